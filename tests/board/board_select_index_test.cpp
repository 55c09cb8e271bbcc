#include "board/board_query.h"
#include "tables/packet.h"
#include "tests/support/board_scan.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

using namespace quorvel;
using namespace quorvel::board;
using namespace quorvel::tables;

namespace {

// A table of legs between a few airports, spelt in several letter cases, at times that collide,
// on single days and every day, with some nulls where the predicate looks.
Table mixedLegs()
{
    std::mt19937 draw(11);
    const auto pick = [&draw](const auto& items) { return items[draw() % std::size(items)]; };
    const char* codes[] = {"LIRF", "lirf", "LiRF", "LFPG", "EDDF", "KJFK"};
    const char* times[] = {"00:00", "00:05", "13:29", "13:30", "13:30", "13:31", "23:54", "23:55", "23:59"};
    const char* days[] = {"0", "1", "2", "3", "4", "5", "6", "0123456", "35"};
    Table flights = newFlightTable();
    for (int i = 0; i < 3000; ++i) {
        test::Leg leg;
        leg.dep = pick(codes);
        leg.arr = pick(codes);
        leg.timeDep = pick(times);
        leg.timeArr = pick(times);
        leg.schedulingDep = pick(days);
        leg.schedulingArr = pick(days);
        leg.percent = int(draw() % 11) * 10;
        leg.national = draw() % 3 != 0;
        leg.flight = 'F';
        leg.flight += std::to_string(i);
        const RowId row = test::addLeg(flights, leg);
        switch (draw() % 40) {
            case 0:
                flights.setNull(row, TimeDep);
                break;
            case 1:
                flights.setNull(row, SchedulingArr);
                break;
            case 2:
                flights.setNull(row, TPercent);
                break;
            case 3:
                flights.setNull(row, National);
                break;
            case 4:
                flights.setNull(row, IcaoCodeDep);
                break;
            default:
                break;
        }
    }
    return flights;
}

// The indexes of a loaded table must give exactly the rows, in exactly the order, that a scan of
// the whole table gives: for every airport spelling, direction, cut, wrap and limit.
TEST(BoardSelectIndexed, SameRowsInSameOrderAsTheWholeTableScan)
{
    const test::TempFolder folder;
    writePacketFile(mixedLegs(), folder / "flight.cds");
    const LoadedFlights loaded = loadFlights(folder / "flight.cds", 0);

    // 2024-05-15 was a Wednesday; 00:10 on Thursday cuts back into Wednesday.
    const LocalDateTime moments[] = {{2024, 5, 15, 13, 45, 0}, {2024, 5, 16, 0, 10, 0}, {2024, 5, 19, 0, 15, 0}};
    std::size_t shown = 0;
    for (const char* airport : {"LIRF", "lirf", "LFPG", "KJFK", "XXXX", ""})
        for (const Direction direction : {Direction::Departure, Direction::Arrival})
            for (const LocalDateTime& moment : moments)
                for (const bool cut15 : {false, true})
                    for (const bool national : {true, false})
                        for (const char* traffic : {"100", "50", "abc"}) {
                            BoardInputs inputs;
                            inputs.airport = airport;
                            inputs.direction = direction;
                            inputs.moment = moment;
                            inputs.cut15 = cut15;
                            inputs.national = national;
                            inputs.trafficPercent = traffic;
                            const BoardQuery query = buildQuery(inputs);
                            const View indexed = select(loaded, query);
                            ASSERT_EQ(indexed, test::scanBoard(loaded.table, query)) << query.filterText;
                            shown += indexed.size();
                        }
    EXPECT_GT(shown, 10000u);  // the cases above show rows, not only empty boards
}

}  // namespace
