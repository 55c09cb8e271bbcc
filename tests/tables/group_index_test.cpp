#include "tables/group_index.h"

#include "platform/error.h"
#include "tables/flight_table.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;

namespace {

struct Row {
    const char* code;  // nullptr: null
    const char* time;  // nullptr: null
};

Table tableOf(std::initializer_list<Row> rows)
{
    Table table = newFlightTable();
    for (const Row& r : rows) {
        const RowId row = table.appendRow();
        if (r.code) table.setText(row, IcaoCodeDep, r.code);
        if (r.time) table.setText(row, TimeDep, r.time);
    }
    return table;
}

std::vector<RowId> rowsOf(const GroupIndex& index, std::string_view key)
{
    const auto rows = index.rows(key);
    return {rows.begin(), rows.end()};
}

TEST(GroupIndex, GroupsIgnoreLetterCaseAndKeepTimeThenRowOrder)
{
    const Table table = tableOf({
        {"LIRF", "10:00"},
        {"LFPG", "09:00"},
        {"lirf", "08:00"},
        {"LIRF", nullptr},
        {"LiRf", "10:00"},
        {nullptr, "07:00"},
        {"LIRF", "00:00"},
        {"", "05:00"},
    });
    const GroupIndex index(table, IcaoCodeDep, TimeDep);
    const struct {
        const char* key;
        std::vector<RowId> rows;
    } cases[] = {
        {"LIRF", {3, 6, 2, 0, 4}},  // null time first, then by time, equal times by row
        {"lirf", {3, 6, 2, 0, 4}},
        {"LFPG", {1}},
        {"EDDF", {}},
        {"", {}},  // an empty key names no airport, even where a row holds ""
        {"LIRFX", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(rowsOf(index, c.key), c.rows) << c.key;
}

TEST(GroupIndex, EmptyTableAndDefaultIndexHoldNothing)
{
    EXPECT_TRUE(GroupIndex().rows("LIRF").empty());
    EXPECT_TRUE(GroupIndex(newFlightTable(), IcaoCodeDep, TimeDep).rows("LIRF").empty());
}

TEST(GroupIndex, OnlyTextFieldsCanBeIndexed)
{
    const Table table = tableOf({{"LIRF", "10:00"}});
    EXPECT_THROW(GroupIndex(table, IcaoCodeDep, TPercent), Error);
    EXPECT_THROW(GroupIndex(table, National, TimeDep), Error);
    EXPECT_THROW(GroupIndex(table, -1, TimeDep), Error);
}

}  // namespace
