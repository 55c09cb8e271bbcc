#include "tables/airport_manager_dialog.h"

#include "platform/error.h"
#include "tables/airport_cell_delegate.h"
#include "widgets/guarded_handler.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

using namespace quorvel::ui;

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
        connect(button, &QToolButton::clicked, this, guarded(prompter_, [this, i] { navigate(NavigatorButton(i)); }));
    }

    RadioGroup1 = new RadioGroup(QStringLiteral(" Sorting: "),
                                 {QStringLiteral("By ICAO_CODE"), QStringLiteral("By DESCRIPTION")}, 1, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setToolTip(QStringLiteral("Define the sorting type"));
    RadioGroup1->setItemIndex(1);
    connect(RadioGroup1, &RadioGroup::itemClicked, this, guarded(prompter_, [this] { RadioGroup1Click(); }));

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);  // Enter finishes a cell edit; it must not close the window
    connect(Button1, &QPushButton::clicked, this, guarded(prompter_, [this] { Button1Click(); }));

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
    model_->setOrder(RadioGroup1->itemIndex() == 0 ? quorvel::tables::AirportCode
                                                   : quorvel::tables::AirportDescription);
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
            postOpenRow();  // the row may move to its place in the order; the step counts from there
            const int current = DBGrid1->currentIndex().row();
            const int target = button == First   ? 0
                               : button == Prior ? current - 1
                               : button == Next  ? current + 1
                                                 : model_->rowCount() - 1;
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

void TAManager::dropOpenEditor()
{
    delegate_->close();
}
