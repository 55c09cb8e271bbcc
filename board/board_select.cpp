#include "board/board_query.h"

#include "platform/case_fold.h"

#include <algorithm>
#include <span>

namespace quorvel::board {

namespace {

using tables::FieldType;
using tables::RowId;
using tables::StringPool;
using tables::Table;
using tables::TextId;
using tables::View;

// One flag per text number of a column: whether that text passes `test`. A column holds far
// fewer distinct texts than rows, so the row loop only reads these flags.
template <typename Test>
std::vector<std::uint8_t> passingTexts(const StringPool& pool, Test&& test)
{
    std::vector<std::uint8_t> passes(pool.size(), 0);
    for (TextId id = 1; id < pool.size(); ++id) passes[id] = test(pool.text(id)) ? 1 : 0;
    return passes;
}

struct Fields {
    int code, scheduling, time;
};

Fields fieldsOf(const Table& flights, Direction direction)
{
    const std::string x = direction == Direction::Departure ? "DEP" : "ARR";
    const tables::Schema& schema = flights.schema();
    return {schema.fieldIndex("ICAO_CODE_" + x), schema.fieldIndex("SCHEDULING_" + x), schema.fieldIndex("TIME_" + x)};
}

}  // namespace

View select(const Table& flights, const BoardQuery& query)
{
    const Predicate& p = query.predicate;
    const Fields f = fieldsOf(flights, p.direction);
    const int percentField = flights.schema().fieldIndex("TPERCENT");
    const int nationalField = flights.schema().fieldIndex("N");
    if (p.airport.empty() || f.code < 0 || f.scheduling < 0 || f.time < 0 || percentField < 0 || nationalField < 0)
        return {};

    const std::vector<std::uint8_t> codeOk =
        passingTexts(flights.pool(f.code), [&p](std::string_view code) { return platform::equalIgnoringAsciiCase(code, p.airport); });
    struct ClauseTest {
        std::vector<std::uint8_t> dayOk, timeOk;
        bool anyTime;
    };
    std::vector<ClauseTest> clauses;
    for (const DayClause& clause : p.clauses) {
        ClauseTest test;
        test.dayOk = passingTexts(flights.pool(f.scheduling),
                                  [&clause](std::string_view s) { return s.find(clause.day) != s.npos; });
        test.anyTime = !clause.fromTime;
        if (clause.fromTime)
            test.timeOk = passingTexts(flights.pool(f.time),
                                       [&clause](std::string_view t) { return t >= *clause.fromTime; });
        clauses.push_back(std::move(test));
    }

    const auto& codes = flights.textIds(f.code);
    const auto& schedules = flights.textIds(f.scheduling);
    const auto& times = flights.textIds(f.time);
    const auto& percents = flights.intValues(percentField);
    const auto& percentMarks = flights.marks(percentField);
    const auto& nationalMarks = flights.marks(nationalField);
    const std::uint8_t wantedNational = p.national ? 2 : 1;

    View view;
    const std::size_t rows = flights.rowCount();
    for (RowId row = 0; row < rows; ++row) {
        if (!codeOk[codes[row]]) continue;
        // A null percentage or national flag compares as unknown, and unknown shows no row.
        if (!percentMarks[row] || percents[row] > p.maxPercent || nationalMarks[row] != wantedNational) continue;
        for (const ClauseTest& clause : clauses) {
            if (clause.dayOk[schedules[row]] && (clause.anyTime || clause.timeOk[times[row]])) {
                view.push_back(row);
                break;
            }
        }
    }
    flights.orderBy(view, query.sortText);
    return view;
}

View select(const tables::LoadedFlights& loaded, const BoardQuery& query)
{
    const Predicate& p = query.predicate;
    const Table& flights = loaded.table;
    const bool departure = p.direction == Direction::Departure;
    // The airport's rows, in time order and then stored order: the board order of one weekday.
    const std::span<const RowId> rows = (departure ? loaded.departures : loaded.arrivals).rows(p.airport);
    if (rows.empty()) return {};

    const int schedulingField = departure ? tables::SchedulingDep : tables::SchedulingArr;
    const int timeField = departure ? tables::TimeDep : tables::TimeArr;
    const StringPool& schedulingPool = flights.pool(schedulingField);
    const StringPool& timePool = flights.pool(timeField);
    const TextId* schedules = flights.textIds(schedulingField).data();
    const TextId* times = flights.textIds(timeField).data();
    const std::int16_t* percents = flights.intValues(tables::TPercent).data();
    const std::uint8_t* percentMarks = flights.marks(tables::TPercent).data();
    const std::uint8_t* nationalMarks = flights.marks(tables::National).data();
    const std::uint8_t wantedNational = p.national ? 2 : 1;
    const auto passesLimits = [&](RowId row) {
        // A null percentage or national flag compares as unknown, and unknown shows no row.
        return percentMarks[row] && percents[row] <= p.maxPercent && nationalMarks[row] == wantedNational;
    };
    const auto flies = [&](RowId row, char day) {
        return schedulingPool.text(schedules[row]).find(day) != std::string_view::npos;
    };
    // The rows are in time order, so "TIME_X >= from" holds for a tail of them.
    const auto fromTime = [&](const std::optional<std::string>& from) {
        if (!from) return rows.begin();
        return std::partition_point(rows.begin(), rows.end(),
                                    [&](RowId row) { return timePool.text(times[row]) < *from; });
    };

    View view;
    if (p.clauses.size() == 1) {
        const DayClause& clause = p.clauses.front();
        for (auto at = fromTime(clause.fromTime); at != rows.end(); ++at)
            if (flies(*at, clause.day) && passesLimits(*at)) view.push_back(*at);
        return view;
    }

    // Several weekdays: a row shows when any clause takes it, and the board orders by the whole
    // scheduling text first. A counting sort on its rank keeps the time order within each text.
    std::vector<std::span<const RowId>::iterator> from;
    for (const DayClause& clause : p.clauses) from.push_back(fromTime(clause.fromTime));
    for (auto at = rows.begin(); at != rows.end(); ++at) {
        if (!passesLimits(*at)) continue;
        for (std::size_t c = 0; c < p.clauses.size(); ++c) {
            if (at >= from[c] && flies(*at, p.clauses[c].day)) {
                view.push_back(*at);
                break;
            }
        }
    }
    const std::vector<std::uint32_t>& ranks = schedulingPool.ranks();
    std::vector<std::uint32_t> starts(ranks.size() + 1, 0);
    for (const RowId row : view) ++starts[ranks[schedules[row]] + 1];
    for (std::size_t r = 1; r < starts.size(); ++r) starts[r] += starts[r - 1];
    View ordered(view.size());
    for (const RowId row : view) ordered[starts[ranks[schedules[row]]]++] = row;
    return ordered;
}

}  // namespace quorvel::board
