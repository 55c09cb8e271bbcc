// Loading large tables: the records are read in blocks, their cells set on two threads, and the
// rows ordered and grouped by counting; whatever the size, the table is the one that was saved.
#include "platform/error.h"
#include "tables/flight_table.h"
#include "tables/group_index.h"
#include "tables/packet.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quorvel;
using namespace quorvel::tables;

namespace {

// `rows` rows of a text, a number and a truth value, some of each null. With `sameLength` every
// record takes the same bytes, so a test can find record k in the packet.
Table sampleTable(std::size_t rows, bool sameLength)
{
    Table table(Schema{{{"CODE", FieldType::Text, 8},
                        {"NAME", FieldType::Text, 40},
                        {"N", FieldType::Int16, 0},
                        {"FLAG", FieldType::Boolean, 0},
                        {"TIME", FieldType::Text, 5}},
                       {}});
    for (std::size_t i = 0; i < rows; ++i) {
        const RowId row = table.appendRow();
        table.setText(row, 0, "C" + std::to_string(1000000 + i % 977));
        if (sameLength || i % 11 != 3)
            table.setText(row, 1, sameLength ? "NAME" + std::to_string(100000 + i) : std::string(i % 37, 'x'));
        table.setInt(row, 2, std::int16_t(i % 5000 - 2500));
        if (sameLength || i % 13 != 0) table.setBool(row, 3, i % 3 == 0);
        table.setText(row, 4, std::to_string(10 + i % 14) + ":" + std::to_string(10 + i % 50));
    }
    return table;
}

}  // namespace

TEST(TableLoad, TablesOfAnySizeComeBackByteForByte)
{
    // Around the size from which the cells are set on two threads, and past a read block of the file.
    for (const std::size_t rows : {0u, 1u, 4095u, 4096u, 4097u, 9000u, 130000u}) {
        const Table table = sampleTable(rows, false);
        const std::string bytes = packetBytes(table);
        EXPECT_EQ(packetBytes(readPacket(bytes, "t.cds")), bytes) << rows << " rows from memory";
        if (rows < 100000) continue;
        const test::TempFolder folder;
        writePacketFile(table, folder / "t.cds");
        ASSERT_GT(bytes.size(), std::size_t(4) << 20) << "the file is read in more than one block";
        EXPECT_EQ(packetBytes(readPacketFile(folder / "t.cds")), bytes) << rows << " rows from a file";
    }
}

TEST(TableLoad, ReplacedRecordsAmongManyAreDropped)
{
    const Table table = sampleTable(10000, true);
    std::string bytes = packetBytes(table);
    const std::size_t start = packetBytes(sampleTable(0, true)).size();  // where the first record stands
    const std::size_t recordBytes = (bytes.size() - start) / table.rowCount();
    std::vector<std::string> expected;
    for (RowId row = 0; row < table.rowCount(); ++row) {
        if (row % 7 == 2)
            bytes[start + row * recordBytes] = '\x01';  // an earlier version, replaced by a later record
        else
            expected.emplace_back(table.text(row, 1));
    }
    const Table read = readPacket(bytes, "t.cds");
    std::vector<std::string> names;
    for (RowId row = 0; row < read.rowCount(); ++row) names.emplace_back(read.text(row, 1));
    EXPECT_EQ(names, expected);
}

TEST(TableLoad, ALargeTableCutAnywhereIsTruncated)
{
    const std::string bytes = packetBytes(sampleTable(20000, false));
    for (const std::size_t size : {bytes.size() - 1, bytes.size() - 7, bytes.size() / 2, std::size_t(5000)}) {
        try {
            readPacket(std::string_view(bytes).substr(0, size), "t.cds");
            ADD_FAILURE() << "a packet cut to " << size << " bytes was read";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "t.cds: truncated at byte " + std::to_string(size));
        }
    }
}

TEST(TableLoad, CountingOrderAndGroupsAgreeWithTheSort)
{
    Table table = newFlightTable();
    const char* codes[] = {"LIRF", "lirf", "EDDF", "", "KJFK"};
    std::size_t rome = 0;
    for (int i = 0; i < 3000; ++i) {
        const RowId row = table.appendRow();
        if (i % 17 != 0) {
            table.setText(row, IcaoCodeDep, codes[i % 5]);
            if (i % 5 < 2) ++rome;
        }
        if (i % 19 != 0) table.setText(row, TimeDep, std::to_string(10 + (i * 7) % 14) + ":00");
    }
    // Null first, then the texts in byte order; rows of one time keep their order.
    const auto byTime = [&table](RowId a, RowId b) {
        const bool nullA = table.isNull(a, TimeDep), nullB = table.isNull(b, TimeDep);
        if (nullA != nullB) return nullA;
        return table.text(a, TimeDep) < table.text(b, TimeDep);
    };
    View sorted = table.allRows();
    std::stable_sort(sorted.begin(), sorted.end(), byTime);
    EXPECT_EQ(table.rowsOrderedBy(TimeDep), sorted);

    View reversed = table.allRows();
    std::reverse(reversed.begin(), reversed.end());
    View expected = reversed;
    std::stable_sort(expected.begin(), expected.end(), byTime);
    table.orderBy(reversed, "TIME_DEP");
    EXPECT_EQ(reversed, expected) << "a view keeps its own order among equal times";

    const GroupIndex sortedHere(table, IcaoCodeDep, TimeDep);
    const GroupIndex fromOrder(table, IcaoCodeDep, sorted);
    for (const char* code : {"LIRF", "EDDF", "KJFK", "LFPG"}) {
        const auto a = sortedHere.rows(code), b = fromOrder.rows(code);
        EXPECT_EQ(View(a.begin(), a.end()), View(b.begin(), b.end())) << code;
    }
    EXPECT_EQ(fromOrder.rows("lirf").size(), rome) << "both spellings, no null keys";
    EXPECT_THROW(GroupIndex(table, IcaoCodeDep, View{1, 2}), Error);
}
