#include "tests/support/board_scan.h"

#include "platform/case_fold.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace quorvel::test {

namespace {

using board::DayClause;
using board::Direction;
using board::Predicate;
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

View scanBoard(const Table& flights, const board::BoardQuery& query)
{
    const Predicate& p = query.predicate;
    const Fields f = fieldsOf(flights, p.direction);
    const int percentField = flights.schema().fieldIndex("TPERCENT");
    const int nationalField = flights.schema().fieldIndex("N");
    if (p.airport.empty() || f.code < 0 || f.scheduling < 0 || f.time < 0 || percentField < 0 || nationalField < 0)
        return {};

    const std::vector<std::uint8_t> codeOk = passingTexts(flights.pool(f.code), [&p](std::string_view code) {
        return platform::equalIgnoringAsciiCase(code, p.airport);
    });
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
            test.timeOk =
                passingTexts(flights.pool(f.time), [&clause](std::string_view t) { return t >= *clause.fromTime; });
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

}  // namespace quorvel::test
