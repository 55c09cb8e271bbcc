// serve/board_api.h: the board server's answers, without the HTTP around them.
//
// A request's parameters are checked strictly: a name the server does not know, a name given
// twice, or a value out of its range is a RequestError, which the server answers with 400 and
// the error's text. Rows are chosen by the same core calls as the window and `qrvl-tool board`,
// so the page shows the rows the desktop board shows for the same question.
#pragma once

#include "board/board_query.h"
#include "board/time_mode.h"
#include "platform/local_time.h"
#include "serve/board_snapshot.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::serve {

// A parameter that is not accepted; what() is the text the answer carries.
class RequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Params = std::vector<std::pair<std::string, std::string>>;  // decoded, in the order they came

inline constexpr std::size_t maxSearchLength = 64;  // characters of an airport search
inline constexpr std::size_t maxSearchResults = 20;

struct BoardRequest {
    std::string airport;  // upper case
    board::Direction direction = board::Direction::Departure;
    board::TimeMode mode = board::TimeMode::Computer;
    int windowHours = 0;  // 0: the reference day
    int traffic = 100;
    bool international = false;
    std::optional<LocalDateTime> at;  // the reference moment, read in the board's zone; now when unset
    std::optional<int> limit;         // the first rows only; "total" still counts them all
};

inline constexpr int maxRowLimit = 100000;

// airport=CODE (required), direction=departures|arrivals, zone=computer|airport|utc,
// window=0..24, traffic=0..100, international=0|1, at=YYYY-MM-DDTHH:MM, limit=1..100000.
// Throws RequestError.
BoardRequest parseBoardRequest(const Params& params);

// The present as the server sees it: the computer's local time and the instant.
struct Present {
    LocalDateTime local;
    std::chrono::sys_seconds instant;
};

// The board as JSON: the question, the zone and interval used, and the rows in board order.
// Throws RequestError for an airport the airport table does not hold.
std::string boardJson(const Snapshot& snapshot, const BoardRequest& request, const Present& present);

// q=TEXT: airports whose code begins with TEXT (those first) or whose description holds it,
// letter case ignored, at most maxSearchResults. Throws RequestError.
std::string airportsJson(const Snapshot& snapshot, const Params& params);

// {"generation": N}
std::string versionJson(const Snapshot& snapshot);

// {"error": TEXT}
std::string errorJson(const std::string& message);

}  // namespace quorvel::serve
