#include "board/board_query.h"

#include <charconv>
#include <climits>

namespace quorvel::board {

namespace {

char dayDigit(const LocalDateTime& moment)
{
    return char('0' + moment.weekday());
}

}  // namespace

std::optional<int> trafficPercentValue(const std::string& text)
{
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;  // "+50" is an integer too, but from_chars refuses the sign
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || error != std::errc{} || stop != end || value < INT_MIN || value > INT_MAX) return {};
    return int(value);
}

int trafficBound(const std::string& trafficPercent)
{
    return trafficPercentValue(trafficPercent).value_or(100);
}

BoardQuery buildQuery(const BoardInputs& inputs)
{
    BoardQuery query;
    Predicate& p = query.predicate;
    p.direction = inputs.direction;
    p.airport = inputs.airport;
    p.maxPercent = trafficBound(inputs.trafficPercent);
    p.national = inputs.national;

    const std::string x = inputs.direction == Direction::Departure ? "DEP" : "ARR";
    const char day = dayDigit(inputs.moment);
    // The expression shows the bound that is really applied.
    const std::string percentText = trafficPercentValue(inputs.trafficPercent) ? inputs.trafficPercent : "100";
    const std::string code = "ICAO_CODE_" + x + " = '" + inputs.airport + "'";
    const auto scheduling = [&x](char d) { return " AND SCHEDULING_" + x + " LIKE '%" + std::string(1, d) + "%'"; };
    const std::string limits = " AND TPERCENT <=" + percentText + " AND N=" + (inputs.national ? "True" : "False");

    query.sortText = "TIME_" + x;
    if (!inputs.cut15) {
        p.clauses = {{day, std::nullopt}};
        query.filterText = code + scheduling(day) + limits;
    } else {
        const LocalDateTime cut = inputs.moment.plusMinutes(-15);
        const std::string from = cut.timeText();
        const std::string timeBound = " AND TIME_" + x + " >='" + from + "'";
        if (cut.weekday() == inputs.moment.weekday()) {
            p.clauses = {{day, from}};
            query.filterText = code + scheduling(day) + limits + timeBound;
        } else {
            const char previous = dayDigit(cut);
            p.clauses = {{previous, from}, {day, std::nullopt}};
            query.filterText =
                code + scheduling(previous) + timeBound + limits + " OR " + code + scheduling(day) + limits;
            query.sortText = "SCHEDULING_" + x + ";TIME_" + x;
        }
    }

    const bool departure = inputs.direction == Direction::Departure;
    query.columnVisible = {true, true, !departure, departure, !departure, departure, true, true};
    return query;
}

StatusPanels statusPanels(const BoardInputs& inputs, std::uint64_t visibleCount)
{
    return {
        "Flights:" + std::to_string(visibleCount) + "/" + std::to_string(inputs.totalFlights),
        "Traffic:" + inputs.trafficPercent,
        "Available flights:" + std::to_string(inputs.availableFlights),
    };
}

}  // namespace quorvel::board
