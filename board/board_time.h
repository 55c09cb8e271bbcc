// board/board_time.h: the board in another time than the computer's, and across midnight.
//
// The flight table keeps each leg's time moved to the computer's local time by whole hours, on
// the plan's own (Greenwich) day digits, and records the hours it moved them by. So a leg's
// Greenwich time comes back exactly, and from it the leg's time in any zone.
//
// A leg flies once for each day digit of its scheduling text; each of those is an instance, a
// (weekday, time) in the zone the board is shown in, carried into the previous or next day (and
// around the week) when the zone's offset moves it across midnight. A board in airport or UTC
// time, or with a rolling window, shows the instances that fall in an interval of real dates:
// the reference day, or the N hours from the reference moment on, across midnight and the week's
// end. The design's board (computer time, no window) stays with board_query.h.
#pragma once

#include "board/board_query.h"
#include "board/time_mode.h"
#include "platform/local_time.h"
#include "tables/flight_table.h"
#include "tables/table.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::board {

struct TimeInputs {
    TimeMode mode = TimeMode::Computer;
    int windowHours = 0;                              // 0: the day board; 1..24: the next N hours
    std::optional<std::string> airportZone;           // the chosen airport's zone, when it has one
    std::optional<std::chrono::sys_seconds> present;  // set when the reference moment is now
    int utcOffsetHours = 0;                           // what the table's times were moved by
};

// Whether the board needs instances, or is the design's board.
bool usesInstances(const TimeInputs& time);

// The interval of a board, in the zone it is shown in; it holds its start and not its end.
struct BoardInterval {
    TimeMode mode = TimeMode::Computer;  // airport time falls back to computer time without a zone
    bool fellBack = false;               // airport time was asked for an airport without a zone
    std::string zone;                    // "Europe/Rome", "UTC"; empty in computer time
    int offsetMinutes = 0;               // the zone's clocks minus UTC at the reference moment
    LocalDateTime reference;             // the reference moment in the zone, seconds dropped
    LocalDateTime start;
    LocalDateTime end;
    int lengthMinutes = 0;
};

// The board's rows and where each falls: minutes[i] is row i's instance in minutes after the
// interval's start. Rows are in instance order; rows of one instant keep the table's order.
struct Instances {
    tables::View rows;
    std::vector<std::int32_t> minutes;
};

struct InstanceQuery {
    Predicate predicate;  // airport, direction and limits; its day clauses are unused
    BoardInterval interval;
    int tableShiftMinutes = 0;  // stored time + this, wrapped into the day: Greenwich time
    bool toGreenwich = false;   // false in computer time: stored times are read as they are
};

// `inputs.moment` is the moment as the user gives it: the computer's present local time, or the
// custom date-time, which is read in the board's zone.
InstanceQuery buildInstanceQuery(const BoardInputs& inputs, const TimeInputs& time);

// The rows through the loaded table's airport indexes; the window and qrvl-tool both ask this.
Instances selectInstances(const tables::LoadedFlights& flights, const InstanceQuery& query);

// The hours recorded by the conversion; nothing for a table converted before they were recorded.
std::optional<int> recordedUtcOffsetHours(const tables::Table& flights);
// Said once when a table without them is taken as converted with `assumedHours`.
std::string assumedOffsetNotice(int assumedHours);

// "UTC+01:00", "UTC-03:30"
std::string utcOffsetText(int offsetMinutes);
// "Times: Europe/Rome (UTC+01:00)", "Times: computer", with ", next 12 h" for a window, and the
// fallback said: "Times: computer (no time zone for XXXX)".
std::string timesText(const BoardInterval& interval, int windowHours, const std::string& airport);
// "2024-01-02"
std::string dateText(const LocalDateTime& moment);
// "Sun" .. "Sat"
const char* dayName(int weekday);
// A row's time as the board shows it: "00:40", or "Tue 00:40" off the reference date.
std::string instanceTimeText(const BoardInterval& interval, std::int32_t minutes);
// The explain lines of qrvl-tool: the zone and its offset, the interval's start and end.
std::string explainText(const BoardInterval& interval);

}  // namespace quorvel::board
