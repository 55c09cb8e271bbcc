#include "flags/flag_manager_dialog.h"

#include "flags/flag_picture.h"
#include "platform/error.h"
#include "widgets/guarded_handler.h"
#include "widgets/qt_text.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>
#include <utility>

using namespace quorvel::ui;

namespace flags = quorvel::flags;

namespace {

constexpr int airlineColumn = 0;
constexpr int flagColumn = 1;
constexpr int committedAirlineRole = Qt::UserRole;  // on airline items: the text last accepted
constexpr int editButtonRole = Qt::UserRole + 1;    // on flag items: the row shows the edit button

const char* const warningCaption = "WARNING";

// Paints the ellipsis button into a flag cell that has one and reports its clicks; everywhere
// else the cell edits in place as usual. A click counts only when the button was already there
// at the press, so the click that selects a row (and so gives it the button) does not also press it.
class EditButtonDelegate final : public QStyledItemDelegate {
public:
    EditButtonDelegate(QTableWidget* view, std::function<void(int row)> clicked)
        : QStyledItemDelegate(view), view_(view), clicked_(std::move(clicked))
    {
        view_->viewport()->installEventFilter(this);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(editButtonRole).toBool()) return;
        QStyleOptionButton button;
        button.rect = buttonRect(option.rect);
        button.text = QStringLiteral("...");
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        const auto type = event->type();
        if (onButton(index, event, option.rect) &&
            (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)) {
            if (type == QEvent::MouseButtonRelease && pressedButton_ == index) clicked_(index.row());
            pressedButton_ = QPersistentModelIndex();
            return true;  // a click on the button does not start editing the cell
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The view sees the press before any delegate does and moves the current cell with it.
        // The type is asked first: while the view is destroyed its viewport still sends events here.
        if (event->type() == QEvent::MouseButtonPress && watched == view_->viewport()) {
            const QModelIndex index = view_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            pressedButton_ = onButton(index, event, view_->visualRect(index)) ? QPersistentModelIndex(index)
                                                                              : QPersistentModelIndex();
            return false;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    static QRect buttonRect(const QRect& cell)
    {
        const int width = qMin(cell.height(), 20);
        return {cell.right() - width + 1, cell.top(), width, cell.height()};
    }

    static bool onButton(const QModelIndex& index, QEvent* event, const QRect& cell)
    {
        if (!index.isValid() || !index.data(editButtonRole).toBool()) return false;
        const auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
            type != QEvent::MouseButtonDblClick)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && buttonRect(cell).contains(mouse->position().toPoint());
    }

    QTableWidget* view_;
    std::function<void(int)> clicked_;
    QPersistentModelIndex pressedButton_;
};

}  // namespace

TFlagManager::TFlagManager(flags::FlagList& flagList, const std::filesystem::path& flagFolder,
                           quorvel::Prompter& prompter, quorvel::FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent), flagList_(flagList), flagFolder_(flagFolder), prompter_(prompter), fileDialogs_(fileDialogs)
{
    setWindowTitle(QStringLiteral("Flag Manager"));

    ValueListEditor1 = new QTableWidget(0, 2, this);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("Airline"), QStringLiteral("Flag file")});
    ValueListEditor1->setColumnWidth(airlineColumn, 150);
    ValueListEditor1->setColumnWidth(flagColumn, 141);
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ValueListEditor1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ValueListEditor1->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueListEditor1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    ValueListEditor1->setToolTip(QStringLiteral("Airline and flag bitmap association"));
    const auto editButtonClicked = guarded(prompter_, [this](int row) {
        ValueListEditor1->setCurrentCell(row, flagColumn);
        ValueListEditor1EditButtonClick();
    });
    ValueListEditor1->setItemDelegateForColumn(flagColumn, new EditButtonDelegate(ValueListEditor1, editButtonClicked));
    const int frame = 2 * ValueListEditor1->frameWidth();
    ValueListEditor1->setFixedSize(150 + 141 + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + frame, 240);

    insertRowAction = new QAction(QStringLiteral("Insert row"), ValueListEditor1);
    insertRowAction->setShortcut(Qt::Key_Insert);
    deleteRowAction = new QAction(QStringLiteral("Delete row"), ValueListEditor1);
    deleteRowAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    editButtonAction = new QAction(QStringLiteral("Choose flag picture..."), ValueListEditor1);
    editButtonAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    for (QAction* action : {editButtonAction, insertRowAction, deleteRowAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        ValueListEditor1->addAction(action);
    }
    ValueListEditor1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(insertRowAction, &QAction::triggered, this, guarded(prompter_, [this] { insertRow(); }));
    connect(deleteRowAction, &QAction::triggered, this, guarded(prompter_, [this] { deleteRow(); }));
    connect(editButtonAction, &QAction::triggered, this, guarded(prompter_, [this] {
                if (hasEditButton(ValueListEditor1->currentRow())) ValueListEditor1EditButtonClick();
            }));
    connect(ValueListEditor1, &QTableWidget::currentCellChanged, this,
            guarded(prompter_, [this](int row, int column) { ValueListEditor1SelectCell(row, column); }));
    connect(ValueListEditor1, &QTableWidget::itemChanged, this,
            guarded(prompter_, [this](QTableWidgetItem* item) { airlineEdited(item); }));

    Label1 = new QLabel(QStringLiteral("Flag"), this);
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setFixedSize(89, 25);
    FMImage = new QLabel(Panel1);
    FMImage->setAlignment(Qt::AlignCenter);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(FMImage);

    FMOkButton = new QPushButton(QStringLiteral("OK"), this);
    FMCancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    // Enter belongs to the cell being edited, not to the buttons.
    FMOkButton->setAutoDefault(false);
    FMCancelButton->setAutoDefault(false);
    connect(FMOkButton, &QPushButton::clicked, this, guarded(prompter_, [this] { FMOkButtonClick(); }));
    connect(FMCancelButton, &QPushButton::clicked, this, guarded(prompter_, [this] { FMCancelButtonClick(); }));

    auto* side = new QVBoxLayout;
    side->addWidget(Label1);
    side->addWidget(Panel1);
    side->addStretch();
    side->addWidget(FMOkButton);
    side->addWidget(FMCancelButton);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(ValueListEditor1);
    layout->addLayout(side);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFlagManager::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded(prompter_, [this] { FormShow(); })();  // not when the window comes back from being minimised
}

void TFlagManager::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFlagManager::FormShow()
{
    temporaryList_.emplace();
    listUnread_ = false;
    try {
        *temporaryList_ = flags::editorRows(flags::FlagList::read(listFile()).lines());
    } catch (const quorvel::Error& error) {
        std::error_code ignored;
        // A missing list is created by OK; one that exists but would not read is never replaced unseen.
        listUnread_ = std::filesystem::exists(listFile(), ignored);
        warn(error.what());
    }
    fillEditor(*temporaryList_);
    if (!temporaryList_->empty() && !temporaryList_->front().flagName.empty())
        showPictureQuietly(temporaryList_->front().flagName);
    ValueListEditor1->setFocus();
    ValueListEditor1->viewport()->update();
}

void TFlagManager::fillEditor(const std::vector<flags::FlagRow>& rows)
{
    const QSignalBlocker blocker(ValueListEditor1);  // filling is neither an edit nor a selection
    ValueListEditor1->setRowCount(0);
    ValueListEditor1->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        auto* airline = new QTableWidgetItem(fromWindows1252(rows[std::size_t(r)].airline));
        airline->setData(committedAirlineRole, airline->text());
        ValueListEditor1->setItem(r, airlineColumn, airline);
        ValueListEditor1->setItem(r, flagColumn, new QTableWidgetItem(fromWindows1252(rows[std::size_t(r)].flagName)));
    }
    if (!rows.empty()) ValueListEditor1->setCurrentCell(0, airlineColumn);
}

void TFlagManager::ValueListEditor1SelectCell(int row, int /*column*/)
{
    if (row < 0 || row >= ValueListEditor1->rowCount()) return;
    const std::vector<flags::FlagRow> all = rows();
    const flags::FlagRow& selected = all[std::size_t(row)];
    if (selected.airline.empty()) return;
    if (QTableWidgetItem* flag = ValueListEditor1->item(row, flagColumn)) {
        const QSignalBlocker blocker(ValueListEditor1);
        flag->setData(editButtonRole, true);
    }
    if (!selected.flagName.empty()) showPictureQuietly(selected.flagName);
    ValueListEditor1->viewport()->update();
}

void TFlagManager::ValueListEditor1EditButtonClick()
{
    const int row = ValueListEditor1->currentRow();
    if (row < 0) return;
    const auto chosen = fileDialogs_.openPicture("Flag picture", flagFolder_, "Bitmaps (*.bmp *.BMP)");
    if (!chosen) return;
    const QString flagName = fromUtf8(flags::flagNameFromChosenFile(*chosen));
    {
        const QSignalBlocker blocker(ValueListEditor1);
        ValueListEditor1->item(row, flagColumn)->setText(flagName);
    }
    ValueListEditor1->viewport()->update();
    // The picture always comes from the flag folder, whichever folder it was chosen in.
    try {
        showPicture(toWindows1252(flagName));
    } catch (const quorvel::Error& error) {
        warn(error.what());
    }
}

void TFlagManager::FMOkButtonClick()
{
    ValueListEditor1->viewport()->update();
    if (listUnread_) {
        warn(listFile().string() +
             ": could not be read when the Flag Manager opened, so it is left as it is. "
             "Close with Cancel, mend the file and open the Flag Manager again.");
        return;
    }
    const std::vector<flags::FlagRow> edited = rows();
    if (const auto problem = flags::findRowProblem(edited)) {
        ValueListEditor1->setCurrentCell(int(problem->row), airlineColumn);
        warn(problem->message);
        return;
    }
    flags::FlagList written(flags::linesFromRows(edited));
    try {
        written.save(listFile());
    } catch (const quorvel::Error& error) {
        warn(error.what());
        return;
    }
    flagList_ = std::move(written);
    accept();
}

void TFlagManager::FMCancelButtonClick()
{
    reject();
}

void TFlagManager::FormClose()
{
    const QSignalBlocker blocker(ValueListEditor1);
    ValueListEditor1->setRowCount(0);
    temporaryList_.reset();
}

void TFlagManager::insertRow()
{
    const int row = ValueListEditor1->currentRow() + 1;
    {
        const QSignalBlocker blocker(ValueListEditor1);
        ValueListEditor1->insertRow(row);
        auto* airline = new QTableWidgetItem;
        airline->setData(committedAirlineRole, QString());
        ValueListEditor1->setItem(row, airlineColumn, airline);
        ValueListEditor1->setItem(row, flagColumn, new QTableWidgetItem);
    }
    ValueListEditor1->setCurrentCell(row, airlineColumn);
    if (isVisible()) ValueListEditor1->editItem(ValueListEditor1->item(row, airlineColumn));
}

void TFlagManager::deleteRow()
{
    const int row = ValueListEditor1->currentRow();
    if (row >= 0) ValueListEditor1->removeRow(row);
}

std::vector<flags::FlagRow> TFlagManager::rows() const
{
    const auto text = [this](int row, int column) {
        const QTableWidgetItem* item = ValueListEditor1->item(row, column);
        return item ? toWindows1252(item->text()) : std::string();
    };
    std::vector<flags::FlagRow> all;
    all.reserve(std::size_t(ValueListEditor1->rowCount()));
    for (int r = 0; r < ValueListEditor1->rowCount(); ++r) all.push_back({text(r, airlineColumn), text(r, flagColumn)});
    return all;
}

bool TFlagManager::hasEditButton(int row) const
{
    const QTableWidgetItem* flag = row >= 0 ? ValueListEditor1->item(row, flagColumn) : nullptr;
    return flag && flag->data(editButtonRole).toBool();
}

void TFlagManager::airlineEdited(QTableWidgetItem* item)
{
    if (item->column() != airlineColumn) return;
    const std::string airline = toWindows1252(item->text());
    const QSignalBlocker blocker(ValueListEditor1);
    if (!airline.empty() && flags::otherRowWithAirline(rows(), airline, std::size_t(item->row()))) {
        item->setText(item->data(committedAirlineRole).toString());  // the edit is refused, the old name comes back
        warn(flags::duplicateAirlineMessage(airline));
        return;
    }
    item->setData(committedAirlineRole, item->text());
}

void TFlagManager::showPicture(const std::string& flagName)
{
    const std::filesystem::path file = flags::requireFlagPicture(flagFolder_, flagName);
    QImage image;
    if (!image.load(fromUtf8(file.string()), "BMP")) throw quorvel::Error(flags::notABitmapMessage(file));
    preview_ = image;
    FMImage->setPixmap(QPixmap::fromImage(
        preview_.scaled(Panel1->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TFlagManager::showPictureQuietly(const std::string& flagName)
{
    try {
        showPicture(flagName);
    } catch (const quorvel::Error&) {
        // A preview that cannot be shown leaves the previous picture; only a choice in the picture dialog reports it.
    }
}

void TFlagManager::warn(const std::string& text)
{
    prompter_.message(warningCaption, text);
}

std::filesystem::path TFlagManager::listFile() const
{
    return flags::flagListFile(flagFolder_);
}
