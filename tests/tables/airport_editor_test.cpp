#include "tables/airport_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace quorvel::tables;
using State = AirportEditor::State;

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

// What the grid tells a listener, one line an event, so a test sees the order too.
struct RecordingListener final : AirportEditorListener {
    void aboutToInsert(int row) override { events.push_back("insert " + std::to_string(row)); }
    void inserted(int row) override { events.push_back("inserted " + std::to_string(row)); }
    void aboutToRemove(int row) override { events.push_back("remove " + std::to_string(row)); }
    void removed(int row) override { events.push_back("removed " + std::to_string(row)); }
    void aboutToReorder() override { events.push_back("reorder"); }
    void reordered(const std::vector<int>& newRowOf) override
    {
        std::string line = "reordered";
        for (const int row : newRowOf) line += " " + std::to_string(row);
        events.push_back(line);
    }
    void rowChanged(int row) override { events.push_back("row " + std::to_string(row)); }
    void cellChanged(int row, int field) override
    {
        events.push_back("cell " + std::to_string(row) + "," + std::to_string(field));
    }
    void editingChanged() override { events.push_back("editing"); }

    std::vector<std::string> take() { return std::exchange(events, {}); }
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

const Rows stored = {{"YSSY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}};

class AirportEditorTest : public ::testing::Test {
protected:
    Rows shown() const
    {
        Rows rows;
        for (int row = 0; row < editor.rowCount(); ++row)
            rows.emplace_back(editor.value(row, AirportCode).value_or("<null>"),
                              editor.value(row, AirportDescription).value_or("<null>"));
        return rows;
    }

    Table airports = airportTable(stored);
    RecordingListener listener;
    AirportEditor editor{airports, listener};
};

}  // namespace

TEST_F(AirportEditorTest, OrdersByDescriptionThenByCodeKeepingEqualRowsInStoredOrder)
{
    EXPECT_EQ(shown(),
              (Rows{{"EKYT", "AALBORG"}, {"EGLL", "LONDON HEATHROW"}, {"YSSY", "SYDNEY"}, {"CYQY", "SYDNEY"}}));
    editor.setOrder(AirportCode);
    EXPECT_EQ(shown(),
              (Rows{{"CYQY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"EKYT", "AALBORG"}, {"YSSY", "SYDNEY"}}));
    // The grid rows 0..3 (EKYT, EGLL, YSSY, CYQY) went to 2, 1, 3, 0.
    EXPECT_EQ(listener.take(), (Events{"reorder", "reordered 2 1 3 0"}));
    EXPECT_EQ(rowsOf(airports), stored);
}

TEST_F(AirportEditorTest, AnEditWaitsForPostAndThenMovesTheRowToItsPlace)
{
    EXPECT_EQ(editor.setValue(0, AirportDescription, "ZURICH"), 0);
    EXPECT_EQ(editor.state(), State::Edit);
    EXPECT_EQ(editor.openRow(), 0);
    EXPECT_EQ(editor.value(0, AirportDescription), "ZURICH");
    EXPECT_EQ(editor.value(0, AirportCode), "EKYT");
    EXPECT_EQ(rowsOf(airports), stored);  // nothing reached the table yet
    EXPECT_EQ(listener.take(), (Events{"row 0", "editing", "cell 0,1"}));

    editor.post();
    EXPECT_EQ(editor.state(), State::Browse);
    EXPECT_EQ(editor.openRow(), -1);
    EXPECT_EQ(rowsOf(airports)[3], (std::pair<std::string, std::string>{"EKYT", "ZURICH"}));
    EXPECT_EQ(shown().back(), (std::pair<std::string, std::string>{"EKYT", "ZURICH"}));
    EXPECT_EQ(listener.take(), (Events{"row 0", "reorder", "reordered 3 0 1 2", "editing"}));
}

TEST_F(AirportEditorTest, OpeningAnotherRowPostsTheOpenOneFirst)
{
    editor.setValue(0, AirportDescription, "ZURICH");  // EKYT moves to the end once posted
    listener.take();
    // Row 1 (EGLL) is row 0 once EKYT has moved; the change lands on EGLL all the same.
    EXPECT_EQ(editor.setValue(1, AirportCode, "EGKK"), 0);
    EXPECT_EQ(editor.value(0, AirportCode), "EGKK");
    EXPECT_EQ(rowsOf(airports)[3].second, "ZURICH");
    EXPECT_EQ(rowsOf(airports)[1].first, "EGLL");
    EXPECT_EQ(listener.take(),
              (Events{"row 0", "reorder", "reordered 3 0 1 2", "editing", "row 0", "editing", "cell 0,0"}));
}

TEST_F(AirportEditorTest, CancelRestoresAnEditedRowAndDropsAnInsertedOne)
{
    editor.setValue(2, AirportCode, "XXXX");
    editor.cancel();
    EXPECT_EQ(editor.state(), State::Browse);
    EXPECT_EQ(editor.value(2, AirportCode), "YSSY");

    listener.take();
    EXPECT_EQ(editor.insertBlank(1), 1);
    EXPECT_EQ(editor.state(), State::Insert);
    EXPECT_EQ(editor.rowCount(), 5);
    editor.setValue(1, AirportCode, "LIRF");
    editor.cancel();
    EXPECT_EQ(editor.rowCount(), 4);
    EXPECT_EQ(rowsOf(airports), stored);
    EXPECT_EQ(listener.take(),
              (Events{"insert 1", "inserted 1", "row 1", "editing", "cell 1,0", "remove 1", "removed 1", "editing"}));
}

TEST_F(AirportEditorTest, AnInsertedRowReachesTheTableOnlyWhenPosted)
{
    editor.setOrder(AirportCode);
    EXPECT_EQ(editor.insertBlank(99), 4);  // past the end: the last place
    editor.setValue(4, AirportCode, "LIRF");
    editor.setValue(4, AirportDescription, "ROME FIUMICINO");
    EXPECT_EQ(airports.rowCount(), 4u);
    editor.post();
    EXPECT_EQ(rowsOf(airports).back(), (std::pair<std::string, std::string>{"LIRF", "ROME FIUMICINO"}));
    EXPECT_EQ(shown()[3], (std::pair<std::string, std::string>{"LIRF", "ROME FIUMICINO"}));

    // A blank row is a row: posted untouched, it stays with both fields null.
    editor.insertBlank(0);
    editor.post();
    ASSERT_EQ(airports.rowCount(), 6u);
    EXPECT_TRUE(airports.isNull(5, AirportCode));
    EXPECT_TRUE(airports.isNull(5, AirportDescription));
    EXPECT_EQ(shown()[0], (std::pair<std::string, std::string>{"<null>", "<null>"}));
}

TEST_F(AirportEditorTest, ValuesAreCutToTheFieldWidth)
{
    const struct {
        int field;
        std::string typed;
        std::string kept;
    } cases[] = {
        {AirportCode, "ABCDEFGH", "ABCD"},
        {AirportCode, "ABCD", "ABCD"},
        {AirportCode, "", ""},
        {AirportDescription, "A DESCRIPTION OF MORE THAN THIRTY CHARACTERS", "A DESCRIPTION OF MORE THAN THI"},
        {AirportDescription, std::string(30, 'X'), std::string(30, 'X')},
        {AirportDescription, "S\xC3O PAULO", "S\xC3O PAULO"},  // Windows-1252 bytes, one a character
    };
    for (const auto& c : cases) {
        Table table = airportTable(stored);
        AirportEditorListener quiet;
        AirportEditor fresh(table, quiet);
        fresh.setValue(0, c.field, c.typed);  // EKYT, stored last
        EXPECT_EQ(fresh.value(0, c.field), c.kept) << c.typed;
        fresh.post();
        EXPECT_EQ(table.text(3, c.field), c.kept) << c.typed;
        EXPECT_FALSE(table.isNull(3, c.field)) << c.typed;  // an empty text is not null
    }
    EXPECT_EQ(airportFieldWidth(AirportCode), 4u);
    EXPECT_EQ(airportFieldWidth(AirportDescription), 30u);
}

TEST_F(AirportEditorTest, ErasingRenumbersTheLaterRowsAndKeepsDuplicatesApart)
{
    // Grid rows 2 and 3 are both "SYDNEY": erasing YSSY (stored first) must leave CYQY.
    editor.removeRowAt(2);
    EXPECT_EQ(rowsOf(airports), (Rows{{"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}}));
    EXPECT_EQ(shown(), (Rows{{"EKYT", "AALBORG"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"}}));
    EXPECT_EQ(listener.take(), (Events{"remove 2", "removed 2"}));

    // The grid still reads the right rows after the renumbering: edit and order by them.
    editor.setValue(2, AirportDescription, "AAA SYDNEY");
    editor.post();
    EXPECT_EQ(rowsOf(airports)[1], (std::pair<std::string, std::string>{"CYQY", "AAA SYDNEY"}));
    EXPECT_EQ(shown()[0], (std::pair<std::string, std::string>{"CYQY", "AAA SYDNEY"}));
}

TEST_F(AirportEditorTest, ErasingTheOpenRowDropsItsChangesAndAnotherOpenRowIsPostedFirst)
{
    editor.setValue(1, AirportCode, "XXXX");  // EGLL
    editor.removeRowAt(1);
    EXPECT_EQ(editor.state(), State::Browse);
    EXPECT_EQ(rowsOf(airports), (Rows{{"YSSY", "SYDNEY"}, {"CYQY", "SYDNEY"}, {"EKYT", "AALBORG"}}));

    editor.setValue(0, AirportDescription, "ZURICH");  // EKYT moves to the end once posted...
    listener.take();
    editor.removeRowAt(1);  // ...so grid row 1 (YSSY) is row 0 when it goes
    EXPECT_EQ(rowsOf(airports), (Rows{{"CYQY", "SYDNEY"}, {"EKYT", "ZURICH"}}));
    EXPECT_EQ(shown(), (Rows{{"CYQY", "SYDNEY"}, {"EKYT", "ZURICH"}}));
    EXPECT_EQ(listener.take(), (Events{"row 0", "reorder", "reordered 2 0 1", "editing", "remove 0", "removed 0"}));

    editor.insertBlank(0);
    editor.removeRowAt(0);  // an inserted row is only dropped
    EXPECT_EQ(editor.rowCount(), 2);
    EXPECT_EQ(airports.rowCount(), 2u);
}

TEST_F(AirportEditorTest, RowsOutOfRangeAreIgnored)
{
    for (const int row : {-1, 4}) {
        editor.beginEdit(row);
        EXPECT_EQ(editor.setValue(row, AirportCode, "XXXX"), -1);
        editor.removeRowAt(row);
    }
    EXPECT_EQ(editor.state(), State::Browse);
    EXPECT_EQ(rowsOf(airports), stored);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(AirportEditorTest, ResetShowsAReplacedTableAndDropsTheOpenRow)
{
    editor.setOrder(AirportCode);
    editor.setValue(0, AirportCode, "XXXX");
    airports = airportTable({{"LIRF", "ROME FIUMICINO"}, {"EDDF", "FRANKFURT"}});
    editor.reset();
    EXPECT_EQ(editor.state(), State::Browse);
    EXPECT_EQ(editor.order(), AirportCode);  // the chosen order lasts
    EXPECT_EQ(shown(), (Rows{{"EDDF", "FRANKFURT"}, {"LIRF", "ROME FIUMICINO"}}));
}
