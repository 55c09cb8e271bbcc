#include "board/board_query.h"
#include "tests/support/flight_rows.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::board;
using namespace quorvel::tables;
using test::Leg;

namespace {

// 2024-01-01 was a Monday.
LocalDateTime monday(int hour, int minute)
{
    return {2024, 1, 1, hour, minute, 0};
}

BoardInputs inputsAt(LocalDateTime moment, bool cut15 = false)
{
    BoardInputs inputs;
    inputs.airport = "LIRF";
    inputs.moment = moment;
    inputs.cut15 = cut15;
    return inputs;
}

Leg departure(std::string flight, std::string time, std::string days = "0123456")
{
    Leg leg;
    leg.flight = std::move(flight);
    leg.timeDep = std::move(time);
    leg.schedulingDep = std::move(days);
    return leg;
}

// The flight numbers the board shows, in order, once `flights` is loaded as the window loads it.
std::vector<std::string> flightsShown(const Table& flights, const BoardInputs& inputs)
{
    const LoadedFlights loaded = indexFlights(flights, 0);
    std::vector<std::string> shown;
    for (const RowId row : select(loaded, buildQuery(inputs))) shown.emplace_back(loaded.table.text(row, FlightNumber));
    return shown;
}

using Shown = std::vector<std::string>;

}  // namespace

TEST(BoardQuery, ExpressionTextsForEachCase)
{
    BoardInputs inputs = inputsAt(monday(13, 45));
    BoardQuery q = buildQuery(inputs);
    EXPECT_EQ(q.filterText, "ICAO_CODE_DEP = 'LIRF' AND SCHEDULING_DEP LIKE '%1%' AND TPERCENT <=100 AND N=True");
    EXPECT_EQ(q.sortText, "TIME_DEP");

    inputs.cut15 = true;
    inputs.national = false;
    inputs.trafficPercent = "50";
    inputs.direction = Direction::Arrival;
    q = buildQuery(inputs);
    EXPECT_EQ(q.filterText,
              "ICAO_CODE_ARR = 'LIRF' AND SCHEDULING_ARR LIKE '%1%' AND TPERCENT <=50 AND N=False "
              "AND TIME_ARR >='13:30'");
    EXPECT_EQ(q.sortText, "TIME_ARR");

    inputs = inputsAt(monday(0, 14), true);
    inputs.airport = "EGLL";
    q = buildQuery(inputs);
    EXPECT_EQ(q.filterText,
              "ICAO_CODE_DEP = 'EGLL' AND SCHEDULING_DEP LIKE '%0%' AND TIME_DEP >='23:59' AND "
              "TPERCENT <=100 AND N=True OR ICAO_CODE_DEP = 'EGLL' AND SCHEDULING_DEP LIKE '%1%' "
              "AND TPERCENT <=100 AND N=True");
    EXPECT_EQ(q.sortText, "SCHEDULING_DEP;TIME_DEP");
    EXPECT_EQ(q.predicate.clauses, (std::vector<DayClause>{{'0', "23:59"}, {'1', std::nullopt}}));
}

TEST(BoardQuery, ColumnsFollowTheDirection)
{
    BoardInputs inputs = inputsAt(monday(9, 0));
    EXPECT_EQ(buildQuery(inputs).columnVisible,
              (std::array<bool, 8>{true, true, false, true, false, true, true, true}));
    inputs.direction = Direction::Arrival;
    EXPECT_EQ(buildQuery(inputs).columnVisible,
              (std::array<bool, 8>{true, true, true, false, true, false, true, true}));
}

TEST(BoardQuery, JustAfterMidnightTheCutReachesIntoYesterday)
{
    Table flights = newFlightTable();
    test::addLeg(flights, departure("MON0005", "00:05", "1"));
    test::addLeg(flights, departure("SUN2359", "23:59", "0"));
    test::addLeg(flights, departure("SUN2358", "23:58", "0"));
    test::addLeg(flights, departure("MON2300", "23:00", "1"));
    test::addLeg(flights, departure("DAILY0001", "00:01"));
    test::addLeg(flights, departure("DAILY2359", "23:59"));
    test::addLeg(flights, departure("TUE0100", "01:00", "2"));
    // Sunday legs from 23:59 and every Monday leg, ordered by the scheduling text, then time.
    EXPECT_EQ(flightsShown(flights, inputsAt(monday(0, 14), true)),
              (Shown{"SUN2359", "DAILY00", "DAILY23", "MON0005", "MON2300"}));
}

TEST(BoardQuery, CutAtExactlyQuarterPastMidnightStaysOnToday)
{
    Table flights = newFlightTable();
    test::addLeg(flights, departure("SUN2359", "23:59", "0"));
    test::addLeg(flights, departure("MON0000", "00:00", "1"));
    test::addLeg(flights, departure("MON2359", "23:59", "1"));
    const BoardInputs inputs = inputsAt(monday(0, 15), true);
    EXPECT_EQ(buildQuery(inputs).predicate.clauses, (std::vector<DayClause>{{'1', "00:00"}}));
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"MON0000", "MON2359"}));
}

TEST(BoardQuery, CutHidesLegsOlderThanFifteenMinutes)
{
    Table flights = newFlightTable();
    test::addLeg(flights, departure("LATE", "13:31"));
    test::addLeg(flights, departure("EDGE", "13:30"));
    test::addLeg(flights, departure("OLD", "13:29"));
    test::addLeg(flights, departure("EARLY", "00:10"));
    EXPECT_EQ(flightsShown(flights, inputsAt(monday(13, 45), true)), (Shown{"EDGE", "LATE"}));
    EXPECT_EQ(flightsShown(flights, inputsAt(monday(13, 45), false)), (Shown{"EARLY", "OLD", "EDGE", "LATE"}));
}

TEST(BoardQuery, WeekdayDigitSelectsTheLegsOfTheDay)
{
    Table flights = newFlightTable();
    test::addLeg(flights, departure("WED", "10:00", "3"));
    test::addLeg(flights, departure("DAILY", "11:00"));
    const LocalDateTime wednesday{2024, 1, 3, 9, 0, 0};
    EXPECT_EQ(flightsShown(flights, inputsAt(wednesday)), (Shown{"WED", "DAILY"}));
    EXPECT_EQ(flightsShown(flights, inputsAt(monday(9, 0))), (Shown{"DAILY"}));
}

TEST(BoardQuery, TrafficNationalAndLetterCase)
{
    Table flights = newFlightTable();
    Leg fifty = departure("P50", "10:00");
    fifty.percent = 50;
    Leg fiftyOne = departure("P51", "10:05");
    fiftyOne.percent = 51;
    Leg abroad = departure("INTL", "10:10");
    abroad.national = false;
    Leg lower = departure("LOWER", "10:15");
    lower.dep = "lirf";
    for (const Leg& leg : {fifty, fiftyOne, abroad, lower}) test::addLeg(flights, leg);

    BoardInputs inputs = inputsAt(monday(9, 0));
    inputs.trafficPercent = "50";
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"P50"})) << "51 and 100 are over the bound";
    inputs.trafficPercent = "100";
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"P50", "P51", "LOWER"}));
    inputs.national = false;
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"INTL"}));
    inputs.national = true;
    inputs.airport = "Lirf";
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"P50", "P51", "LOWER"}));
}

TEST(BoardQuery, ArrivalsUseTheArrivalFields)
{
    Table flights = newFlightTable();
    Leg in = departure("IN", "06:00", "0");
    in.dep = "EGLL";
    in.arr = "LIRF";
    in.timeArr = "08:30";
    in.schedulingArr = "1";
    test::addLeg(flights, in);
    test::addLeg(flights, departure("OUT", "07:00"));
    BoardInputs inputs = inputsAt(monday(9, 0));
    inputs.direction = Direction::Arrival;
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"IN"}));
}

TEST(BoardQuery, NoAirportOrNullCellsShowNothing)
{
    Table flights = newFlightTable();
    const RowId row = test::addLeg(flights, departure("NULLPCT", "10:00"));
    flights.setNull(row, TPercent);
    const RowId other = test::addLeg(flights, departure("NULLN", "10:00"));
    flights.setNull(other, National);
    EXPECT_TRUE(flightsShown(flights, inputsAt(monday(9, 0))).empty());
    test::addLeg(flights, departure("OK", "10:00"));
    BoardInputs inputs = inputsAt(monday(9, 0));
    EXPECT_EQ(flightsShown(flights, inputs), (Shown{"OK"}));
    inputs.airport.clear();
    EXPECT_TRUE(flightsShown(flights, inputs).empty());
}

TEST(BoardQuery, TrafficPercentThatIsNoNumberCountsAsHundred)
{
    EXPECT_EQ(trafficBound("abc"), 100);
    EXPECT_EQ(trafficBound(""), 100);
    EXPECT_EQ(trafficBound("12x"), 100);
    EXPECT_EQ(trafficBound("+40"), 40);
    EXPECT_EQ(trafficBound("-1"), -1);
    BoardInputs inputs = inputsAt(monday(9, 0));
    inputs.trafficPercent = "lots";
    EXPECT_NE(buildQuery(inputs).filterText.find("TPERCENT <=100 "), std::string::npos);
    EXPECT_EQ(statusPanels(inputs, 0).traffic, "Traffic:lots");
}

TEST(BoardQuery, StatusPanelsCountTheBoard)
{
    BoardInputs inputs = inputsAt(monday(9, 0));
    inputs.totalFlights = 1234;
    inputs.availableFlights = 56789;
    inputs.trafficPercent = "75";
    const StatusPanels panels = statusPanels(inputs, 12);
    EXPECT_EQ(panels.flights, "Flights:12/1234");
    EXPECT_EQ(panels.traffic, "Traffic:75");
    EXPECT_EQ(panels.available, "Available flights:56789");
    EXPECT_EQ(statusPanels(BoardInputs{}, 0).flights, "Flights:0/0");
}
