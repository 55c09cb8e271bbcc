#include "board/board_grid_view.h"

#include "board/board_model.h"
#include "board/flag_cell_delegate.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <set>

namespace quorvel::ui {

namespace {

QFont boardFont(bool italic)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    font.setItalic(italic);
    return font;
}

}  // namespace

QFont boardCellFont()
{
    return boardFont(true);
}

QFont boardTitleFont()
{
    return boardFont(false);
}

FlagCellDelegate* configureBoardGrid(QTableView& grid, const quorvel::flags::FlagList& flagList,
                                     const std::filesystem::path& flagFolder,
                                     const quorvel::platform::FileClock& fileClock)
{
    grid.setFont(boardCellFont());
    QHeaderView* titles = grid.horizontalHeader();
    titles->setFont(boardTitleFont());
    titles->setVisible(true);
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionsMovable(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    for (int column = 0; column < int(boardColumnWidths.size()); ++column) {
        const int width = boardColumnWidths[std::size_t(column)];
        grid.setColumnWidth(column, width > 0 ? width : titles->defaultSectionSize());
    }

    // A row as high as its text, so the flag pictures keep their shape.
    QHeaderView* rows = grid.verticalHeader();
    rows->setVisible(false);
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(grid.font()).height() + 4);

    grid.setShowGrid(true);
    grid.setTabKeyNavigation(true);
    grid.setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setWordWrap(false);
    grid.setCornerButtonEnabled(false);

    auto* delegate = new FlagCellDelegate(flagList, flagFolder, fileClock, &grid);
    grid.setItemDelegate(delegate);
    return delegate;
}

void applyBoardColours(QTableView& grid, const QColor& background, const QColor& text)
{
    QPalette palette = grid.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, text);
    }
    // Only the cells take the settings' colours; the titles keep the window's button colours.
    grid.setPalette(palette);
}

std::optional<QString> aircraftPanelText(const QTableView& grid, const BoardModel& model)
{
    const QItemSelectionModel* selection = grid.selectionModel();
    if (!selection) return std::nullopt;
    std::set<int> rows;
    for (const QModelIndex& index : selection->selectedIndexes()) rows.insert(index.row());
    if (rows.size() != 1) return std::nullopt;
    return QStringLiteral("Aircraft:") + model.fieldText(*rows.begin(), quorvel::tables::Model);
}

}  // namespace quorvel::ui
