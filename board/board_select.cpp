#include "board/board_query.h"

#include <algorithm>
#include <span>

namespace quorvel::board {

using tables::RowId;
using tables::StringPool;
using tables::Table;
using tables::TextId;
using tables::View;

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
