#include "board/flag_cell_delegate.h"

#include "board/board_model.h"
#include "flags/flag_list.h"
#include "widgets/qt_text.h"

#include <QPainter>

namespace quorvel::ui {

namespace {

// Far more pictures than any board shows; past this the cache starts again rather than grow.
constexpr std::size_t pictureLimit = 512;

// The cell's own colours after the standard painting: the selection's when selected.
QPalette::ColorGroup colourGroup(const QStyleOptionViewItem& option)
{
    if (!(option.state & QStyle::State_Enabled)) return QPalette::Disabled;
    return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

QBrush cellBrush(const QStyleOptionViewItem& option)
{
    const bool selected = option.state & QStyle::State_Selected;
    return option.palette.brush(colourGroup(option), selected ? QPalette::Highlight : QPalette::Base);
}

QColor cellTextColour(const QStyleOptionViewItem& option)
{
    const bool selected = option.state & QStyle::State_Selected;
    return option.palette.color(colourGroup(option), selected ? QPalette::HighlightedText : QPalette::Text);
}

// Text at the cell's top-left corner, in the cell's font and colours, without the standard margin.
void writeTopLeft(QPainter* painter, const QStyleOptionViewItem& option, const QString& text)
{
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(cellTextColour(option));
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter->restore();
}

}  // namespace

FlagPictureCache::FlagPictureCache(const quorvel::platform::FileClock& clock)
    : files_(clock), images_(clock, pictureLimit)
{
}

const QImage* FlagPictureCache::picture(const std::filesystem::path& flagFolder, std::string_view flagName)
{
    const std::optional<std::filesystem::path> file = files_.find(flagFolder, flagName);
    if (!file) return nullptr;
    // A file that is not a bitmap is kept as a null image, so it is not decoded at every paint.
    const QImage* image = images_.get(*file, [](const std::filesystem::path& path) {
        quorvel::platform::FileStampCache<QImage>::Made made;
        made.value.load(fromUtf8(path.string()), "BMP");
        return made;
    });
    return image && !image->isNull() ? image : nullptr;
}

FlagCellDelegate::FlagCellDelegate(const quorvel::flags::FlagList& flagList, std::filesystem::path flagFolder,
                                   const quorvel::platform::FileClock& fileClock, QObject* parent)
    : QStyledItemDelegate(parent), flagList_(flagList), flagFolder_(std::move(flagFolder)), pictures_(fileClock)
{
}

void FlagCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (index.column() == BoardModel::AirlineColumn) {
        paintAirline(painter, option, index.data(Qt::DisplayRole).toString());
    } else if (index.column() == BoardModel::ExpectedTimeColumn) {
        // The converted legs carry no expected time, so the board promises the scheduled one.
        writeTopLeft(painter, option, index.data(BoardModel::ScheduledTimeRole).toString());
    }
}

void FlagCellDelegate::paintAirline(QPainter* painter, const QStyleOptionViewItem& option, const QString& airline) const
{
    painter->fillRect(option.rect, cellBrush(option));
    const std::optional<std::string> flagName = flagList_.flagName(toWindows1252(airline));
    const QImage* picture = flagName ? pictures_.picture(flagFolder_, *flagName) : nullptr;
    if (picture)
        painter->drawImage(QRectF(option.rect), *picture);
    else
        writeTopLeft(painter, option, airline);
}

}  // namespace quorvel::ui
