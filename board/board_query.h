// board/board_query.h: which legs the airport board shows, and in which order.
//
// The board is the departures (or arrivals) of one airport on the weekday of a reference
// moment, within the traffic percent and the national/international choice, optionally cut
// to the legs at most 15 minutes old. Shortly after midnight that cut reaches back into the
// previous weekday, so the board then shows the late legs of yesterday before today's.
//
// buildQuery turns the inputs into a predicate that select() evaluates over the loaded table's
// airport indexes; the filter-expression text is kept alongside for people and tools.
#pragma once

#include "platform/local_time.h"
#include "tables/flight_table.h"
#include "tables/table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::board {

enum class Direction { Departure, Arrival };

struct BoardInputs {
    std::string airport;  // ICAO code of the chosen airport; empty when the box shows no text
    Direction direction = Direction::Departure;
    LocalDateTime moment;                // the reference moment: now, or the custom date-time
    bool cut15 = false;                  // show only legs from 15 minutes before the moment on
    bool national = true;                // National (true) or International (false)
    std::string trafficPercent = "100";  // the setting's text
    std::uint64_t totalFlights = 0;
    std::uint64_t availableFlights = 0;
};

// Rows on one weekday, from a time of day on when there is one.
struct DayClause {
    char day = '0';                       // day digit, '0' Sunday .. '6' Saturday
    std::optional<std::string> fromTime;  // "hh:mm": TIME_X >= fromTime, compared as text

    friend bool operator==(const DayClause&, const DayClause&) = default;
};

// A row is shown when its airport code equals `airport` (letter case ignored), its TPERCENT is
// at most `maxPercent`, its N equals `national`, and it passes any one of the clauses.
struct Predicate {
    Direction direction = Direction::Departure;
    std::string airport;
    int maxPercent = 100;
    bool national = true;
    std::vector<DayClause> clauses;
};

inline constexpr int boardColumnCount = 8;  // AIRLINE FLIGHT FROM TO ARR.TIME DEP.TIME EXP.TIME REMARKS

struct BoardQuery {
    Predicate predicate;
    std::string filterText;  // the predicate as a filter expression
    std::string sortText;    // "TIME_DEP", "SCHEDULING_DEP;TIME_DEP", ... (ARR for arrivals)
    std::array<bool, boardColumnCount> columnVisible{};
};

struct StatusPanels {
    std::string flights;    // panel 2: "Flights:" V "/" total
    std::string traffic;    // panel 3: "Traffic:" and the setting's text
    std::string available;  // panel 4: "Available flights:" n
};

// The traffic percent text as a number; nothing when it is not an integer.
std::optional<int> trafficPercentValue(const std::string& trafficPercent);
// The bound the board applies: a text that is not an integer (only a hand-edited settings
// file gives one) counts as 100.
int trafficBound(const std::string& trafficPercent);

BoardQuery buildQuery(const BoardInputs& inputs);

// The rows of the loaded table that pass the query, in board order (equal keys keep stored
// order), read through its airport indexes: only the chosen airport's rows are looked at, so a
// quiet airport costs microseconds however large the table. The window and qrvl-tool both ask
// this, so the tool prints what the board shows.
tables::View select(const tables::LoadedFlights& flights, const BoardQuery& query);

StatusPanels statusPanels(const BoardInputs& inputs, std::uint64_t visibleCount);

}  // namespace quorvel::board
