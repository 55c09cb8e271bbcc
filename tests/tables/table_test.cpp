#include "tables/table.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;

namespace {

Schema testSchema()
{
    return {{{"CODE", FieldType::Text, 4},
             {"NAME", FieldType::Text, 10},
             {"NUM", FieldType::Int16, 0},
             {"FLAG", FieldType::Boolean, 0}},
            {}};
}

RowId add(Table& t, std::string_view code, std::string_view name)
{
    const RowId row = t.appendRow();
    t.setText(row, 0, code);
    t.setText(row, 1, name);
    return row;
}

}  // namespace

TEST(Table, NewRowIsNullEverywhereAndNullDiffersFromEmpty)
{
    Table t(testSchema());
    const RowId row = t.appendRow();
    for (int f = 0; f < 4; ++f) EXPECT_TRUE(t.isNull(row, f));
    t.setText(row, 1, "");
    EXPECT_FALSE(t.isNull(row, 1));
    EXPECT_EQ(t.text(row, 1), "");
    t.setInt(row, 2, 0);
    t.setBool(row, 3, false);
    EXPECT_FALSE(t.isNull(row, 2));
    EXPECT_FALSE(t.isNull(row, 3));
    t.setNull(row, 1);
    t.setNull(row, 2);
    t.setNull(row, 3);
    EXPECT_TRUE(t.isNull(row, 1));
    EXPECT_TRUE(t.isNull(row, 2));
    EXPECT_TRUE(t.isNull(row, 3));
}

TEST(Table, TextLongerThanItsFieldIsCutSilently)
{
    Table t(testSchema());
    const RowId row = add(t, "LIRFX", "ROME FIUMICINO AIRPORT");
    EXPECT_EQ(t.text(row, 0), "LIRF");
    EXPECT_EQ(t.text(row, 1), "ROME FIUMI");
}

TEST(Table, IntegersKeepTheirSixteenBitRange)
{
    Table t(testSchema());
    const RowId low = t.appendRow(), high = t.appendRow();
    t.setInt(low, 2, -32768);
    t.setInt(high, 2, 32767);
    EXPECT_EQ(t.integer(low, 2), -32768);
    EXPECT_EQ(t.integer(high, 2), 32767);
}

TEST(Table, OrderByFieldListIsStableWithNullFirst)
{
    Table t(testSchema());
    const RowId a = add(t, "B", "2");
    const RowId b = add(t, "A", "9");
    const RowId c = add(t, "B", "1");
    const RowId d = add(t, "A", "9");
    const RowId e = t.appendRow();  // null code sorts first
    View view = t.allRows();
    t.orderBy(view, "CODE;NAME");
    EXPECT_EQ(view, (View{e, b, d, c, a}));
    t.orderBy(view, "code");  // field names ignore letter case; the previous order breaks ties
    EXPECT_EQ(view, (View{e, b, d, c, a}));
}

TEST(Table, OrderByNumbersAndTruthValues)
{
    Table t(testSchema());
    const RowId r0 = t.appendRow(), r1 = t.appendRow(), r2 = t.appendRow(), r3 = t.appendRow();
    t.setInt(r0, 2, 5);
    t.setInt(r1, 2, -7);
    t.setInt(r3, 2, 32767);
    t.setBool(r0, 3, true);
    t.setBool(r1, 3, false);
    View view = t.allRows();
    t.orderBy(view, "NUM");
    EXPECT_EQ(view, (View{r2, r1, r0, r3}));
    t.orderBy(view, "FLAG");
    EXPECT_EQ(view, (View{r2, r3, r1, r0}));
}

TEST(Table, OrderByUnknownFieldIsAnError)
{
    Table t(testSchema());
    View view = t.allRows();
    EXPECT_THROW(t.orderBy(view, "CODE;NOPE"), Error);
}

TEST(Table, EraseRowMovesLaterRowsUp)
{
    Table t(testSchema());
    add(t, "AAAA", "1");
    add(t, "BBBB", "2");
    add(t, "CCCC", "3");
    t.eraseRow(1);
    ASSERT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.text(0, 0), "AAAA");
    EXPECT_EQ(t.text(1, 0), "CCCC");
}

TEST(Table, LargeReservedTableKeepsItsCellsThroughGrowthCopyAndErase)
{
    constexpr std::size_t rows = 300000;  // more than a huge page of cells: they share one block
    Table t(testSchema());
    t.reserve(rows);
    t.resize(rows);
    for (RowId row = 0; row < rows; row += 1000) {
        t.setText(row, 0, row % 2000 ? "ODD" : "EVEN");
        t.setInt(row, 2, std::int16_t(row % 30000));
        t.setBool(row, 3, true);
    }
    t.reserve(rows + 10);  // a table with cells grows them where they are
    const RowId added = add(t, "LAST", "ROW");
    Table copy = t;
    t.eraseRow(0);
    t = Table(testSchema());  // the first table's block goes

    ASSERT_EQ(copy.rowCount(), rows + 1);
    EXPECT_EQ(copy.text(0, 0), "EVEN");
    EXPECT_EQ(copy.text(1000, 0), "ODD");
    EXPECT_TRUE(copy.isNull(1, 0));
    EXPECT_EQ(copy.integer(299000, 2), std::int16_t(299000 % 30000));
    EXPECT_TRUE(copy.boolean(299000, 3));
    EXPECT_TRUE(copy.isNull(299001, 3));
    EXPECT_EQ(copy.text(added, 1), "ROW");
    copy.resize(rows + 100000);  // past its room
    EXPECT_TRUE(copy.isNull(rows + 99999, 2));
    EXPECT_EQ(copy.text(added, 0), "LAST");
}
