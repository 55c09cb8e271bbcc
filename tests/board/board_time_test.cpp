#include "board/board_time.h"
#include "tables/packet.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

using namespace quorvel;
using namespace quorvel::board;
using namespace quorvel::tables;

namespace {

long long minutesSinceEpoch(const LocalDateTime& t)
{
    using namespace std::chrono;
    const sys_days date = year{t.year} / month{unsigned(t.month)} / day{unsigned(t.day)};
    return date.time_since_epoch().count() * 1440LL + t.hour * 60 + t.minute;
}

// Every instance found the long way: each day digit on each calendar date around the interval,
// the leg's time on that date (Greenwich time moved by the zone's offset, or the stored time in
// computer time), kept when it falls in [start, end). Rows of one instant stay in row order.
Instances scanInstances(const Table& flights, const InstanceQuery& q)
{
    const bool departure = q.predicate.direction == Direction::Departure;
    const int code = departure ? IcaoCodeDep : IcaoCodeArr;
    const int time = departure ? TimeDep : TimeArr;
    const int scheduling = departure ? SchedulingDep : SchedulingArr;
    const long long start = minutesSinceEpoch(q.interval.start);
    std::vector<std::pair<long long, RowId>> found;
    for (RowId row = 0; row < flights.rowCount(); ++row) {
        std::string key(flights.text(row, code));
        std::string wanted = q.predicate.airport;
        for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : wanted) c = char(std::toupper(static_cast<unsigned char>(c)));
        if (flights.isNull(row, code) || key != wanted) continue;
        if (flights.isNull(row, TPercent) || flights.integer(row, TPercent) > q.predicate.maxPercent) continue;
        if (flights.isNull(row, National) || flights.boolean(row, National) != q.predicate.national) continue;
        const std::string_view t = flights.text(row, time);
        int hour = 0, minute = 0;
        if (t.size() != 5 || std::sscanf(std::string(t).c_str(), "%2d:%2d", &hour, &minute) != 2) continue;
        int minutes = hour * 60 + minute;
        if (q.toGreenwich) minutes = ((minutes + q.tableShiftMinutes) % 1440 + 1440) % 1440 + q.interval.offsetMinutes;
        for (int k = -3; k <= 3; ++k) {
            LocalDateTime date = q.interval.start;
            date.hour = date.minute = date.second = 0;
            date = date.plusMinutes(k * 1440LL);
            if (flights.text(row, scheduling).find(char('0' + date.weekday())) == std::string_view::npos) continue;
            const long long at = minutesSinceEpoch(date.plusMinutes(minutes)) - start;
            if (at >= 0 && at < q.interval.lengthMinutes) found.emplace_back(at, row);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Instances result;
    for (const auto& [at, row] : found) {
        result.rows.push_back(row);
        result.minutes.push_back(std::int32_t(at));
    }
    return result;
}

struct Shown {
    std::string flight;
    std::string time;  // as the board shows it: "00:30" or "Tue 00:30"

    friend bool operator==(const Shown&, const Shown&) = default;
};

void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << shown.flight << "@" << shown.time;
}

// A departure from `airport` stored as a conversion under `utcOffsetHours` leaves it: the
// Greenwich time moved back by those hours within the day, on the plan's day digits.
test::Leg departure(const std::string& flight, const std::string& storedTime, const std::string& days,
                    const std::string& airport = "LIRF")
{
    test::Leg leg;
    leg.flight = flight;
    leg.dep = airport;
    leg.timeDep = storedTime;
    leg.schedulingDep = days;
    return leg;
}

Table tableOf(const std::vector<test::Leg>& legs, std::optional<int> utcOffsetHours)
{
    Table flights = newFlightTable();
    for (const test::Leg& leg : legs) test::addLeg(flights, leg);
    if (utcOffsetHours) flights.setIntegerProperty(utcOffsetPropertyName, *utcOffsetHours);
    return flights;
}

struct Board {
    std::string airport = "LIRF";
    LocalDateTime moment;
    TimeMode mode = TimeMode::Airport;
    std::optional<std::string> zone = "Europe/Rome";
    int windowHours = 0;
    bool cut15 = false;
};

InstanceQuery queryOf(const Board& b, const Table& flights)
{
    BoardInputs inputs;
    inputs.airport = b.airport;
    inputs.moment = b.moment;
    inputs.cut15 = b.cut15;
    TimeInputs time;
    time.mode = b.mode;
    time.windowHours = b.windowHours;
    time.airportZone = b.zone;
    time.utcOffsetHours = recordedUtcOffsetHours(flights).value_or(0);
    return buildInstanceQuery(inputs, time);
}

std::vector<Shown> shown(const Table& flights, const Board& b)
{
    const InstanceQuery query = queryOf(b, flights);
    const LoadedFlights loaded = indexFlights(flights, 0);
    const Instances instances = selectInstances(loaded, query);
    const Instances scanned = scanInstances(flights, query);
    EXPECT_EQ(instances.rows, scanned.rows);
    EXPECT_EQ(instances.minutes, scanned.minutes);
    std::vector<Shown> result;
    for (std::size_t i = 0; i < instances.rows.size(); ++i)
        result.push_back({std::string(flights.text(instances.rows[i], FlightNumber)),
                          instanceTimeText(query.interval, instances.minutes[i])});
    return result;
}

// The zone's offset moves a Greenwich time across midnight, into the next day or the previous
// one, with daylight saving counted at the reference moment.
TEST(BoardTime, GreenwichDayAndTimeCarryIntoTheZonesDay)
{
    // Greenwich Monday 23:30, converted on a computer two hours east: stored 01:30 on digit 1.
    const Table rome = tableOf({departure("MON2330", "01:30", "1")}, -2);
    // Greenwich Sunday 23:00 from Sydney, converted on a computer at Greenwich: stored as it is.
    const Table sydney = tableOf({departure("SUN2300", "23:00", "0", "YSSY")}, 0);
    struct Case {
        const char* name;
        const Table& flights;
        Board board;
        std::vector<Shown> expected;
    };
    const Case cases[] = {
        {"Rome in winter, Tuesday", rome, {.moment = {2024, 1, 9, 12, 0, 0}}, {{"MON2330", "00:30"}}},
        {"Rome in summer, Tuesday", rome, {.moment = {2024, 7, 9, 12, 0, 0}}, {{"MON2330", "01:30"}}},
        {"Rome in winter, Monday", rome, {.moment = {2024, 1, 8, 12, 0, 0}}, {}},
        {"UTC, Monday", rome, {.moment = {2024, 1, 8, 12, 0, 0}, .mode = TimeMode::Utc}, {{"MON2330", "23:30"}}},
        {"computer time reads the stored time on the stored digit",
         rome,
         {.moment = {2024, 1, 8, 0, 0, 0}, .mode = TimeMode::Computer, .windowHours = 2},
         {{"MON2330", "01:30"}}},
        {"Sydney in January, Monday morning",
         sydney,
         {.airport = "YSSY", .moment = {2024, 1, 8, 8, 0, 0}, .zone = "Australia/Sydney"},
         {{"SUN2300", "10:00"}}},
        {"Sydney in July, Monday morning",
         sydney,
         {.airport = "YSSY", .moment = {2024, 7, 8, 8, 0, 0}, .zone = "Australia/Sydney"},
         {{"SUN2300", "09:00"}}},
        {"Sydney, Sunday",
         sydney,
         {.airport = "yssy", .moment = {2024, 1, 7, 8, 0, 0}, .zone = "Australia/Sydney"},
         {}},
        {"a window from Sunday evening in Sydney reaches Monday morning",
         sydney,
         {.airport = "YSSY", .moment = {2024, 1, 7, 22, 0, 0}, .zone = "Australia/Sydney", .windowHours = 13},
         {{"SUN2300", "Mon 10:00"}}},
        {"the window holds not its end",
         sydney,
         {.airport = "YSSY", .moment = {2024, 1, 7, 22, 0, 0}, .zone = "Australia/Sydney", .windowHours = 12},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(shown(c.flights, c.board), c.expected) << c.name;
}

TEST(BoardTime, WindowRunsAcrossTheWeeksEndAndHoldsItsStartButNotItsEnd)
{
    const Table flights = tableOf(
        {departure("SUN0200", "02:00", "0"), departure("SAT2159", "21:59", "6"), departure("SUN0100", "01:00", "0"),
         departure("SAT2300", "23:00", "6"), departure("SAT2200", "22:00", "6"), departure("FRI2300", "23:00", "5")},
        0);
    const Board board{.moment = {2024, 1, 13, 22, 0, 0}, .mode = TimeMode::Utc, .zone = {}, .windowHours = 4};
    EXPECT_EQ(shown(flights, board),
              (std::vector<Shown>{{"SAT2200", "22:00"}, {"SAT2300", "23:00"}, {"SUN0100", "Sun 01:00"}}));

    const InstanceQuery query = queryOf(board, flights);
    EXPECT_EQ(query.interval.start, (LocalDateTime{2024, 1, 13, 22, 0, 0}));
    EXPECT_EQ(query.interval.end, (LocalDateTime{2024, 1, 14, 2, 0, 0}));
    EXPECT_EQ(explainText(query.interval), "zone UTC UTC+00:00\nfrom 2024-01-13 22:00\nto 2024-01-14 02:00\n");
}

// A daily leg shows once for each day of the interval it flies; rows of one instant keep the
// table's order.
TEST(BoardTime, DailyLegInAWindowAcrossMidnightShowsOnEachSide)
{
    const Table flights = tableOf({departure("D2150", "21:50", "0123456"), departure("D2140", "21:40", "0123456"),
                                   departure("D2300", "23:00", "0123456"), departure("B2150", "21:50", "0123456"),
                                   departure("D2200", "22:00", "0123456")},
                                  0);
    const Board board{.moment = {2024, 1, 8, 22, 0, 0}, .mode = TimeMode::Utc, .windowHours = 24, .cut15 = true};
    EXPECT_EQ(shown(flights, board), (std::vector<Shown>{{"D2150", "21:50"},
                                                         {"B2150", "21:50"},
                                                         {"D2200", "22:00"},
                                                         {"D2300", "23:00"},
                                                         {"D2140", "Tue 21:40"},
                                                         {"D2150", "Tue 21:50"},
                                                         {"B2150", "Tue 21:50"}}));
}

TEST(BoardTime, DayBoardRunsFromMidnightOrFromTheCutToMidnight)
{
    const Table flights = tableOf({departure("D0010", "00:10", "0123456"), departure("D2350", "23:50", "0123456"),
                                   departure("D1329", "13:29", "0123456"), departure("D1330", "13:30", "0123456")},
                                  0);
    Board board{.moment = {2024, 1, 8, 13, 45, 30}, .mode = TimeMode::Utc};
    EXPECT_EQ(shown(flights, board),
              (std::vector<Shown>{{"D0010", "00:10"}, {"D1329", "13:29"}, {"D1330", "13:30"}, {"D2350", "23:50"}}));
    board.cut15 = true;
    EXPECT_EQ(shown(flights, board), (std::vector<Shown>{{"D1330", "13:30"}, {"D2350", "23:50"}}));
    // Shortly after midnight the cut reaches back into the previous day.
    board.moment = {2024, 1, 8, 0, 5, 0};
    EXPECT_EQ(
        shown(flights, board),
        (std::vector<Shown>{
            {"D2350", "Sun 23:50"}, {"D0010", "00:10"}, {"D1329", "13:29"}, {"D1330", "13:30"}, {"D2350", "23:50"}}));
}

TEST(BoardTime, TableWithoutItsOffsetIsReadWithTheOffsetGiven)
{
    const test::TempFolder folder;
    writePacketFile(tableOf({departure("MON2330", "00:30", "1")}, std::nullopt), folder / "old.cds");
    writePacketFile(tableOf({departure("MON2330", "00:30", "1")}, -1), folder / "new.cds");
    const Table old = readFlightFile(folder / "old.cds");
    EXPECT_EQ(recordedUtcOffsetHours(old), std::nullopt);
    EXPECT_EQ(recordedUtcOffsetHours(readFlightFile(folder / "new.cds")), -1);

    BoardInputs inputs;
    inputs.airport = "LIRF";
    inputs.moment = {2024, 1, 8, 12, 0, 0};
    TimeInputs time;
    time.mode = TimeMode::Utc;
    time.utcOffsetHours = -1;  // as a conversion now would take it
    const InstanceQuery query = buildInstanceQuery(inputs, time);
    const Instances instances = selectInstances(indexFlights(old, 0), query);
    ASSERT_EQ(instances.rows.size(), 1u);
    EXPECT_EQ(instanceTimeText(query.interval, instances.minutes[0]), "23:30");
    EXPECT_NE(assumedOffsetNotice(-1).find("-1 hours"), std::string::npos);
}

TEST(BoardTime, AirportWithoutAZoneFallsBackToComputerTime)
{
    const Table flights = tableOf({departure("X1", "10:00", "1", "ZZZZ")}, -1);
    const Board board{.airport = "ZZZZ", .moment = {2024, 1, 8, 9, 0, 0}, .zone = std::nullopt, .windowHours = 2};
    const InstanceQuery query = queryOf(board, flights);
    EXPECT_EQ(query.interval.mode, TimeMode::Computer);
    EXPECT_TRUE(query.interval.fellBack);
    EXPECT_EQ(timesText(query.interval, 2, "ZZZZ"), "Times: computer (no time zone for ZZZZ), next 2 h");
    EXPECT_EQ(shown(flights, board), (std::vector<Shown>{{"X1", "10:00"}}));  // the stored time, unshifted

    const InstanceQuery unknown =
        queryOf({.airport = "ZZZZ", .moment = {2024, 1, 8, 9, 0, 0}, .zone = "Mars/Base"}, flights);
    EXPECT_TRUE(unknown.interval.fellBack);
}

TEST(BoardTime, ReferenceMomentIsReadInTheZone)
{
    BoardInputs inputs;
    inputs.airport = "LIRF";
    inputs.moment = {2024, 7, 1, 9, 0, 0};
    TimeInputs time;
    time.mode = TimeMode::Airport;
    time.airportZone = "Asia/Tokyo";
    // A custom moment is a wall time of the zone.
    EXPECT_EQ(buildInstanceQuery(inputs, time).interval.reference, (LocalDateTime{2024, 7, 1, 9, 0, 0}));
    // The present is an instant: 23:30 UTC is 08:30 the next morning in Tokyo.
    time.present = std::chrono::sys_days{std::chrono::year{2024} / 6 / 30} + std::chrono::hours{23} +
                   std::chrono::minutes{30} + std::chrono::seconds{42};
    const BoardInterval interval = buildInstanceQuery(inputs, time).interval;
    EXPECT_EQ(interval.reference, (LocalDateTime{2024, 7, 1, 8, 30, 0}));
    EXPECT_EQ(timesText(interval, 0, "RJTT"), "Times: Asia/Tokyo (UTC+09:00)");
    time.airportZone = "America/St_Johns";
    EXPECT_EQ(utcOffsetText(buildInstanceQuery(inputs, time).interval.offsetMinutes), "UTC-02:30");
}

// The airport index gives exactly the rows and instants that the long way finds.
TEST(BoardTime, IndexedSelectionMatchesTheWholeTableScan)
{
    std::mt19937 draw(5);
    const char* codes[] = {"LIRF", "lirf", "RJTT", "KJFK"};
    const char* days[] = {"0", "1", "3", "6", "0123456", "35", ""};
    std::vector<test::Leg> legs;
    for (int i = 0; i < 2000; ++i) {
        test::Leg leg;
        leg.dep = codes[draw() % 4];
        leg.arr = codes[draw() % 4];
        char time[8];
        std::snprintf(time, sizeof time, "%02u:%02u", unsigned(draw() % 24), unsigned(draw() % 4 * 15));
        leg.timeDep = time;
        leg.timeArr = i % 50 == 0 ? "bad" : time;
        leg.schedulingDep = days[draw() % 7];
        leg.schedulingArr = days[draw() % 7];
        leg.percent = int(draw() % 3) * 50;
        leg.national = draw() % 2;
        leg.flight = "F" + std::to_string(i);
        legs.push_back(leg);
    }
    const test::TempFolder folder;
    writePacketFile(tableOf(legs, -2), folder / "flight.cds");
    const LoadedFlights loaded = loadFlights(folder / "flight.cds", 0);
    for (const Direction direction : {Direction::Departure, Direction::Arrival})
        for (const int window : {0, 5, 24})
            for (const bool cut : {false, true})
                for (const char* zone : {"Asia/Tokyo", "America/St_Johns", "Europe/Rome"}) {
                    BoardInputs inputs;
                    inputs.airport = "LIRF";
                    inputs.direction = direction;
                    inputs.moment = {2024, 3, 31, 0, 10, 0};
                    inputs.cut15 = cut;
                    inputs.trafficPercent = "50";
                    TimeInputs time;
                    time.mode = TimeMode::Airport;
                    time.windowHours = window;
                    time.airportZone = zone;
                    time.utcOffsetHours = -2;
                    const InstanceQuery query = buildInstanceQuery(inputs, time);
                    const Instances scanned = scanInstances(loaded.table, query);
                    const Instances indexed = selectInstances(loaded, query);
                    EXPECT_FALSE(scanned.rows.empty());
                    EXPECT_EQ(indexed.rows, scanned.rows) << window << cut << zone;
                    EXPECT_EQ(indexed.minutes, scanned.minutes);
                    EXPECT_TRUE(std::is_sorted(scanned.minutes.begin(), scanned.minutes.end()));
                }
}

}  // namespace
