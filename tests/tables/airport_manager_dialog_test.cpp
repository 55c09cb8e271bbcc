#include "tables/airport_manager_dialog.h"
#include "platform/error.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

using namespace quorvel;
using namespace quorvel::ui;
using namespace quorvel::tables;
using quorvel::test::ScriptedPrompter;
using quorvel::test::TempFolder;

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Table airportTable(const Rows& rows)
{
    Table table = newAirportTable();
    for (const auto& [code, description] : rows) {
        const RowId row = table.appendRow();
        table.setText(row, AirportCode, code);
        table.setText(row, AirportDescription, description);
    }
    return table;
}

Rows rowsOf(const Table& table)
{
    Rows rows;
    for (RowId row = 0; row < table.rowCount(); ++row)
        rows.emplace_back(table.text(row, AirportCode), table.text(row, AirportDescription));
    return rows;
}

Rows gridRows(const QAbstractItemModel& model)
{
    Rows rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.emplace_back(model.index(row, 0).data().toString().toStdString(),
                          model.index(row, 1).data().toString().toStdString());
    return rows;
}

const Rows stored = {{"YSSY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}};

class AirportManagerTest : public ::testing::Test {
protected:
    AirportManagerTest()
    {
        writeAirportFile(airportTable(stored), file());
        manager = std::make_unique<TAManager>(prompter, folder.path());
        tester = std::make_unique<QAbstractItemModelTester>(manager->gridModel(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    std::filesystem::path file() const { return folder / "airport.cds"; }
    Rows saved() const { return rowsOf(readAirportFile(file())); }
    QModelIndex cell(int row, int column) const { return manager->gridModel()->index(row, column); }
    QLineEdit* openEditor() const
    {
        return qobject_cast<QLineEdit*>(manager->DBGrid1->indexWidget(manager->DBGrid1->currentIndex()));
    }

    // Types into the grid's current cell the way a user does: the first key opens the editor.
    void typeIntoGrid(const QString& text)
    {
        QTest::keyClick(manager->DBGrid1, text.front().toLatin1());
        QLineEdit* editor = openEditor();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, text.mid(1));
    }

    void showManager()
    {
        manager->show();
        QApplication::setActiveWindow(manager.get());
        manager->DBGrid1->setFocus();
    }

    TempFolder folder;
    ScriptedPrompter prompter;
    std::unique_ptr<TAManager> manager;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace

TEST_F(AirportManagerTest, ShowsTheFileByDescriptionWithItsControls)
{
    EXPECT_EQ(manager->windowTitle(), "Airport Manager");
    EXPECT_EQ(gridRows(*manager->gridModel()),
              (Rows{{"EKYT", "AALBORG"}, {"EGLL", "LONDON HEATHROW"}, {"YSSY", "SYDNEY"}, {"CYQY", "SYDNEY"}}));
    EXPECT_EQ(manager->gridModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole), "ICAO CODE");
    EXPECT_EQ(manager->gridModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole), "DESCRIPTION");
    EXPECT_EQ(manager->DBGrid1->toolTip(), "ICAO Code and description");
    EXPECT_EQ(manager->RadioGroup1->title(), " Sorting: ");
    EXPECT_EQ(manager->RadioGroup1->toolTip(), "Define the sorting type");
    EXPECT_EQ(manager->RadioGroup1->item(0)->text(), "By ICAO_CODE");
    EXPECT_EQ(manager->RadioGroup1->item(1)->text(), "By DESCRIPTION");
    EXPECT_EQ(manager->RadioGroup1->itemIndex(), 1);
    EXPECT_EQ(manager->Button1->text(), "Close");
    QStringList hints;
    for (int b = TAManager::First; b <= TAManager::Cancel; ++b)
        hints << manager->navigatorButton(TAManager::NavigatorButton(b))->toolTip();
    EXPECT_EQ(hints, QStringList({"First record", "Prior record", "Next record", "Last record", "Insert record",
                                  "Delete record", "Edit record", "Post edit", "Cancel edit"}));
}

TEST_F(AirportManagerTest, AMissingFileStopsTheCreationNamingTheFile)
{
    TempFolder empty;
    try {
        TAManager missing(prompter, empty.path());
        FAIL() << "created without airport.cds";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find((empty / "airport.cds").string()), std::string::npos) << e.what();
    }
}

TEST_F(AirportManagerTest, SortingFollowsTheRadioGroupAndKeepsTheCurrentAirport)
{
    manager->DBGrid1->setCurrentIndex(cell(1, 1));  // LONDON HEATHROW
    manager->RadioGroup1->item(0)->click();
    EXPECT_EQ(gridRows(*manager->gridModel()),
              (Rows{{"CYQY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"EKYT", "AALBORG"}, {"YSSY", "SYDNEY"}}));
    EXPECT_EQ(manager->DBGrid1->currentIndex().siblingAtColumn(0).data(), "EGLL");
    manager->DBGrid1->setCurrentIndex(cell(2, 0));  // EKYT
    manager->RadioGroup1->item(1)->click();
    EXPECT_EQ(gridRows(*manager->gridModel()),
              (Rows{{"EKYT", "AALBORG"}, {"EGLL", "LONDON HEATHROW"}, {"YSSY", "SYDNEY"}, {"CYQY", "SYDNEY"}}));
    EXPECT_EQ(manager->DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(rowsOf(manager->airports()), stored);  // only the grid's order changed
}

TEST_F(AirportManagerTest, EscSavesAndClosesLikeClose)
{
    showManager();
    manager->DBGrid1->setCurrentIndex(cell(0, 1));
    typeIntoGrid("AALBORG AIRPORT");
    QTest::keyClick(openEditor(), Qt::Key_Return);  // finishes the cell, the row stays open
    QTest::keyClick(manager->DBGrid1, Qt::Key_Escape);
    EXPECT_FALSE(manager->isVisible());
    EXPECT_EQ(manager->result(), QDialog::Accepted);
    EXPECT_EQ(saved(),
              (Rows{{"YSSY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG AIRPORT"}}));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(AirportManagerTest, CloseSavesWhatIsStillTypedInAnOpenCell)
{
    showManager();
    manager->DBGrid1->setCurrentIndex(cell(1, 0));  // EGLL
    typeIntoGrid("EGKK");
    ASSERT_NE(openEditor(), nullptr);
    manager->Button1->click();
    EXPECT_FALSE(manager->isVisible());
    EXPECT_EQ(saved(),
              (Rows{{"YSSY", "SYDNEY"}, {"EGKK", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}}));
}

TEST_F(AirportManagerTest, TheCloseBoxWritesNothingButKeepsTheEditForTheNextOpening)
{
    showManager();
    manager->DBGrid1->setCurrentIndex(cell(2, 1));  // YSSY SYDNEY
    typeIntoGrid("SYDNEY KINGSFORD SMITH");
    const std::string before = test::readBytes(file());
    manager->close();
    EXPECT_FALSE(manager->isVisible());
    EXPECT_EQ(test::readBytes(file()), before);
    EXPECT_EQ(manager->gridModel()->state(), AirportTableModel::State::Browse);  // the row was posted

    showManager();
    EXPECT_EQ(gridRows(*manager->gridModel())[3],
              (std::pair<std::string, std::string>{"YSSY", "SYDNEY KINGSFORD SMITH"}));
    manager->Button1Click();
    EXPECT_EQ(saved()[0], (std::pair<std::string, std::string>{"YSSY", "SYDNEY KINGSFORD SMITH"}));
}

TEST_F(AirportManagerTest, AFailedSaveIsShownAndTheWindowStaysOpenWithTheEdits)
{
    showManager();
    manager->gridModel()->setData(cell(0, 0), "EKYX");
    std::filesystem::remove_all(folder.path());  // nowhere to write airport.cds
    manager->Button1->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
    EXPECT_NE(prompter.shown()[0].second.find(file().string()), std::string::npos) << prompter.shown()[0].second;
    EXPECT_TRUE(manager->isVisible());
    EXPECT_EQ(cell(0, 0).data(), "EKYX");

    std::filesystem::create_directories(folder.path());  // the folder is back: the next Close saves
    manager->Button1->click();
    EXPECT_FALSE(manager->isVisible());
    EXPECT_EQ(saved()[3], (std::pair<std::string, std::string>{"EKYX", "AALBORG"}));
}

// The fields' widths themselves are the editor's rule (airport_editor_test.cpp); the grid's
// cell editor takes no more characters than its field keeps.
TEST_F(AirportManagerTest, TheCellEditorTakesNoMoreThanTheFieldWidth)
{
    showManager();
    manager->DBGrid1->setCurrentIndex(cell(1, 0));
    typeIntoGrid("WXYZW");
    EXPECT_EQ(openEditor()->text(), "WXYZ");
}

TEST_F(AirportManagerTest, InsertPostAndCancelFromTheNavigator)
{
    showManager();
    AirportTableModel& model = *manager->gridModel();
    manager->DBGrid1->setCurrentIndex(cell(2, 0));
    manager->navigatorButton(TAManager::Insert)->click();
    EXPECT_EQ(model.state(), AirportTableModel::State::Insert);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(manager->DBGrid1->currentIndex(), cell(2, 0));
    QTest::keyClicks(openEditor(), "LIRF");
    manager->DBGrid1->setCurrentIndex(cell(2, 1));
    QTest::keyClick(manager->DBGrid1, 'R');
    QTest::keyClicks(openEditor(), "OME FIUMICINO");
    manager->navigatorButton(TAManager::Post)->click();
    EXPECT_EQ(model.state(), AirportTableModel::State::Browse);
    EXPECT_EQ(gridRows(model)[2], (std::pair<std::string, std::string>{"LIRF", "ROME FIUMICINO"}));
    EXPECT_EQ(rowsOf(manager->airports()).back(), (std::pair<std::string, std::string>{"LIRF", "ROME FIUMICINO"}));

    manager->navigatorButton(TAManager::Insert)->click();
    QTest::keyClicks(openEditor(), "XXXX");
    manager->navigatorButton(TAManager::Cancel)->click();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(manager->airports().rowCount(), 5u);

    // A blank row is a row: it stays and is saved.
    manager->navigatorButton(TAManager::Insert)->click();
    manager->navigatorButton(TAManager::Post)->click();
    manager->Button1Click();
    EXPECT_EQ(saved().size(), 6u);
    EXPECT_EQ(saved().back(), (std::pair<std::string, std::string>{"", ""}));
}

TEST_F(AirportManagerTest, CancelRestoresTheRowAndMovingAwayPostsIt)
{
    AirportTableModel& model = *manager->gridModel();
    manager->DBGrid1->setCurrentIndex(cell(0, 1));
    model.setData(cell(0, 1), "ZZZ");
    EXPECT_EQ(model.openRow(), 0);
    manager->navigatorButton(TAManager::Cancel)->click();
    EXPECT_EQ(cell(0, 1).data(), "AALBORG");
    EXPECT_EQ(rowsOf(manager->airports()), stored);

    model.setData(cell(0, 1), "ZZZ");  // moves to the end of the order once posted
    manager->navigatorButton(TAManager::Next)->click();
    EXPECT_EQ(model.state(), AirportTableModel::State::Browse);
    EXPECT_EQ(gridRows(model).back(), (std::pair<std::string, std::string>{"EKYT", "ZZZ"}));
    EXPECT_EQ(manager->DBGrid1->currentIndex().row(), 3);  // the next row after the record's new place: the last
    manager->navigatorButton(TAManager::First)->click();
    EXPECT_EQ(manager->DBGrid1->currentIndex().row(), 0);
    EXPECT_FALSE(manager->navigatorButton(TAManager::Prior)->isEnabled());
}

TEST_F(AirportManagerTest, DeleteAsksFirstAndKeepsDuplicatesApart)
{
    AirportTableModel& model = *manager->gridModel();
    manager->DBGrid1->setCurrentIndex(cell(2, 0));  // YSSY, the first SYDNEY
    prompter.answer(false);
    manager->navigatorButton(TAManager::Delete)->click();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(prompter.shown(), (test::Shown{{"Confirm", "Delete record?"}}));

    manager->navigatorButton(TAManager::Delete)->click();  // the script is empty: Yes
    EXPECT_EQ(gridRows(model), (Rows{{"EKYT", "AALBORG"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}}));
    manager->Button1Click();
    EXPECT_EQ(saved(), (Rows{{"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}}));
}
