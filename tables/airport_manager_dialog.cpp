#include "tables/airport_manager.h"

#include "app/qt_text.h"
#include "platform/error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

using quorvel::tables::AirportField;
using quorvel::tables::RowId;

namespace {

int fieldWidth(int field) { return quorvel::tables::airportSchema().fields[std::size_t(field)].width; }

}  // namespace

AirportTableModel::AirportTableModel(quorvel::tables::Table& airports, QObject* parent)
    : QAbstractTableModel(parent), airports_(airports)
{
    view_ = quorvel::tables::airportOrder(airports_, order_);
}

void AirportTableModel::reset()
{
    beginResetModel();
    state_ = State::Browse;
    openRow_ = -1;
    pending_ = {};
    view_ = quorvel::tables::airportOrder(airports_, order_);
    endResetModel();
    emit stateChanged();
}

void AirportTableModel::setOrder(AirportField field)
{
    post();
    order_ = field;
    reorder();
}

void AirportTableModel::reorder()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    const quorvel::tables::View before = view_;
    view_ = quorvel::tables::airportOrder(airports_, order_);
    std::vector<int> position(view_.size());
    for (std::size_t i = 0; i < view_.size(); ++i) position[view_[i]] = int(i);
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to.append(this->index(position[before[std::size_t(index.row())]], index.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::optional<std::string> AirportTableModel::stored(int row, int field) const
{
    const RowId id = view_[std::size_t(row)];
    if (id == newRow || airports_.isNull(id, field)) return std::nullopt;
    return std::string(airports_.text(id, field));
}

void AirportTableModel::beginEdit(int row)
{
    if (row < 0 || row >= rowCount() || openRow() == row) return;
    const RowId id = view_[std::size_t(row)];
    post();   // another open row goes first; the order may move this one
    row = int(std::find(view_.begin(), view_.end(), id) - view_.begin());
    state_ = State::Edit;
    openRow_ = row;
    pending_ = {stored(row, quorvel::tables::AirportCode), stored(row, quorvel::tables::AirportDescription)};
    emit headerDataChanged(Qt::Vertical, row, row);
    emit stateChanged();
}

int AirportTableModel::insertBlank(int row)
{
    post();
    row = std::clamp(row, 0, rowCount());
    beginInsertRows({}, row, row);
    view_.insert(view_.begin() + row, newRow);
    endInsertRows();
    state_ = State::Insert;
    openRow_ = row;
    pending_ = {};
    emit headerDataChanged(Qt::Vertical, row, row);
    emit stateChanged();
    return row;
}

void AirportTableModel::post()
{
    if (state_ == State::Browse) return;
    const int row = openRow_;
    RowId id = view_[std::size_t(row)];
    if (state_ == State::Insert) {
        id = airports_.appendRow();
        view_[std::size_t(row)] = id;
    }
    for (const int field : {quorvel::tables::AirportCode, quorvel::tables::AirportDescription}) {
        if (pending_[std::size_t(field)])
            airports_.setText(id, field, *pending_[std::size_t(field)]);
        else
            airports_.setNull(id, field);
    }
    state_ = State::Browse;
    openRow_ = -1;
    pending_ = {};
    emit dataChanged(index(row, 0), index(row, 1), {Qt::DisplayRole, Qt::EditRole});
    emit headerDataChanged(Qt::Vertical, row, row);
    reorder();
    emit stateChanged();
}

void AirportTableModel::cancel()
{
    if (state_ == State::Browse) return;
    const int row = openRow_;
    const bool inserted = state_ == State::Insert;
    state_ = State::Browse;
    openRow_ = -1;
    pending_ = {};
    if (inserted) {
        beginRemoveRows({}, row, row);
        view_.erase(view_.begin() + row);
        endRemoveRows();
    } else {
        emit dataChanged(index(row, 0), index(row, 1), {Qt::DisplayRole, Qt::EditRole});
        emit headerDataChanged(Qt::Vertical, row, row);
    }
    emit stateChanged();
}

void AirportTableModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    if (openRow() == row) {
        if (state_ == State::Insert) return cancel();
        state_ = State::Browse;   // the row's changes go with it
        openRow_ = -1;
        pending_ = {};
        emit stateChanged();
    }
    const RowId id = view_[std::size_t(row)];
    post();
    row = int(std::find(view_.begin(), view_.end(), id) - view_.begin());
    beginRemoveRows({}, row, row);
    airports_.eraseRow(id);
    view_.erase(view_.begin() + row);
    for (RowId& other : view_)   // the table's later rows moved up by one
        if (other > id) --other;
    endRemoveRows();
}

int AirportTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(view_.size()); }

int AirportTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant AirportTableModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const auto value = index.row() == openRow() ? pending_[std::size_t(index.column())] : stored(index.row(), index.column());
    return fromWindows1252(value ? *value : std::string());
}

QVariant AirportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return section == 0 ? QStringLiteral("ICAO CODE") : QStringLiteral("DESCRIPTION");
    return section == openRow() ? QStringLiteral("*") : QString();   // marks the row being edited
}

Qt::ItemFlags AirportTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool AirportTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    beginEdit(index.row());
    std::string text = toWindows1252(value.toString());
    text.resize(std::min(text.size(), std::size_t(fieldWidth(index.column()))));
    pending_[std::size_t(index.column())] = std::move(text);
    const QModelIndex cell = this->index(openRow_, index.column());
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

// Opens the row when a cell editor opens, limits the editor to the field's width, and lets the
// window commit or drop the editor from its buttons.
class AirportCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    std::function<void(const QModelIndex&)> opened;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (opened) opened(index);
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setMaxLength(fieldWidth(index.column()));
        editor_ = editor;
        return editor;
    }

    // The view closes editors on its own too (Enter, another cell); then none is open any more.
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (editor == editor_) editor_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void commitAndClose()
    {
        if (QWidget* editor = editor_) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

    void close()
    {
        if (QWidget* editor = editor_) emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

private:
    mutable QPointer<QWidget> editor_;
};

TAManager::TAManager(quorvel::Prompter& prompter, std::filesystem::path programFolder, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      programFolder_(std::move(programFolder)),
      airports_(quorvel::tables::newAirportTable()),
      model_(new AirportTableModel(airports_, this)),
      delegate_(new AirportCellDelegate(this))
{
    setWindowTitle(QStringLiteral("Airport Manager"));

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(QStringLiteral("ICAO Code and description"));
    DBGrid1->setModel(model_);
    DBGrid1->setItemDelegate(delegate_);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->setColumnWidth(0, 90);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    delegate_->opened = [this](const QModelIndex& index) { model_->beginEdit(index.row()); };

    DBNavigator1 = new QWidget(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    auto* navigatorLayout = new QHBoxLayout(DBNavigator1);
    navigatorLayout->setContentsMargins(0, 0, 0, 0);
    navigatorLayout->setSpacing(0);
    const std::array<std::pair<const char*, const char*>, 9> buttons{{
        {"|<", "First record"},
        {"<", "Prior record"},
        {">", "Next record"},
        {">|", "Last record"},
        {"+", "Insert record"},
        {"-", "Delete record"},
        {"^", "Edit record"},
        {"\u2713", "Post edit"},
        {"\u2717", "Cancel edit"},
    }};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* button = new QToolButton(DBNavigator1);
        button->setText(QString::fromUtf8(buttons[i].first));
        button->setToolTip(QString::fromUtf8(buttons[i].second));
        button->setMinimumWidth(28);
        navigatorLayout->addWidget(button);
        navigator_[i] = button;
        connect(button, &QToolButton::clicked, this, [this, i] { navigate(NavigatorButton(i)); });
    }

    RadioGroup1 = new RadioGroup(QStringLiteral(" Sorting: "), {QStringLiteral("By ICAO_CODE"), QStringLiteral("By DESCRIPTION")},
                                 1, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setToolTip(QStringLiteral("Define the sorting type"));
    RadioGroup1->setItemIndex(1);
    connect(RadioGroup1, &RadioGroup::itemClicked, this, [this] { RadioGroup1Click(); });

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);   // Enter finishes a cell edit; it must not close the window
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(DBNavigator1, 0, Qt::AlignVCenter);
    bottom->addStretch();
    bottom->addWidget(RadioGroup1);
    bottom->addWidget(Button1, 0, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1);
    layout->addLayout(bottom);
    resize(520, 460);

    // Leaving the open row posts it, as moving off a record does.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (model_->openRow() >= 0 && previous.row() == model_->openRow() && current.row() != previous.row())
                    model_->post();
            });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateNavigator(); });
    connect(model_, &AirportTableModel::stateChanged, this, [this] { updateNavigator(); });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] { updateNavigator(); });
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { updateNavigator(); });

    FormCreate();
}

void TAManager::FormCreate()
{
    quorvel::tables::Table loaded = quorvel::tables::readAirportFile(programFolder_ / quorvel::tables::airportFileName);
    dropOpenEditor();
    airports_ = std::move(loaded);
    model_->reset();
    if (model_->rowCount() > 0) DBGrid1->setCurrentIndex(model_->index(0, 0));
    updateNavigator();
}

void TAManager::RadioGroup1Click()
{
    postOpenRow();
    model_->setOrder(RadioGroup1->itemIndex() == 0 ? quorvel::tables::AirportCode : quorvel::tables::AirportDescription);
    if (DBGrid1->currentIndex().isValid()) DBGrid1->scrollTo(DBGrid1->currentIndex());
}

void TAManager::Button1Click()
{
    postOpenRow();
    try {
        quorvel::tables::writeAirportFile(airports_, programFolder_ / quorvel::tables::airportFileName);
    } catch (const quorvel::Error& error) {
        prompter_.message("Error", error.what());
        return;
    }
    accept();
}

void TAManager::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Button1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAManager::reject()
{
    postOpenRow();
    QDialog::reject();
}

void TAManager::navigate(NavigatorButton button)
{
    switch (button) {
    case First:
    case Prior:
    case Next:
    case Last: {
        postOpenRow();   // the row may move to its place in the order; the step counts from there
        const int current = DBGrid1->currentIndex().row();
        const int target = button == First ? 0 : button == Prior ? current - 1 : button == Next ? current + 1 : model_->rowCount() - 1;
        moveTo(target);
        break;
    }
    case Insert: {
        postOpenRow();
        const int row = model_->insertBlank(std::max(DBGrid1->currentIndex().row(), 0));
        const QModelIndex cell = model_->index(row, 0);
        DBGrid1->setCurrentIndex(cell);
        DBGrid1->edit(cell);
        break;
    }
    case Delete: {
        const int row = DBGrid1->currentIndex().row();
        if (row < 0 || !prompter_.confirm("Confirm", "Delete record?")) break;
        dropOpenEditor();
        model_->removeRowAt(row);
        break;
    }
    case Edit:
        if (!DBGrid1->currentIndex().isValid()) break;
        model_->beginEdit(DBGrid1->currentIndex().row());
        DBGrid1->edit(DBGrid1->currentIndex());
        break;
    case Post:
        postOpenRow();
        break;
    case Cancel:
        dropOpenEditor();
        model_->cancel();
        break;
    }
    updateNavigator();
}

void TAManager::moveTo(int row)
{
    if (model_->rowCount() == 0) return;
    row = std::clamp(row, 0, model_->rowCount() - 1);
    DBGrid1->setCurrentIndex(model_->index(row, std::max(DBGrid1->currentIndex().column(), 0)));
}

void TAManager::updateNavigator()
{
    const int rows = model_->rowCount();
    const int current = DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().row() : -1;
    const bool browsing = model_->state() == AirportTableModel::State::Browse;
    navigator_[First]->setEnabled(rows > 0 && current != 0);
    navigator_[Prior]->setEnabled(rows > 0 && current != 0);
    navigator_[Next]->setEnabled(rows > 0 && current != rows - 1);
    navigator_[Last]->setEnabled(rows > 0 && current != rows - 1);
    navigator_[Insert]->setEnabled(true);
    navigator_[Delete]->setEnabled(current >= 0);
    navigator_[Edit]->setEnabled(browsing && current >= 0);
    navigator_[Post]->setEnabled(!browsing);
    navigator_[Cancel]->setEnabled(!browsing);
}

void TAManager::postOpenRow()
{
    delegate_->commitAndClose();
    model_->post();
}

void TAManager::dropOpenEditor() { delegate_->close(); }
