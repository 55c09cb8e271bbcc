// convert/traffic_check.h: the traffic files read once, the way the conversion reads them, and
// every problem listed at once before a conversion replaces the flight table.
//
// The check cuts the lines with the conversion's own functions (flight_plan_file.h, secondsOfDay),
// so what it calls an error is exactly what ends a conversion, and what it calls a warning is
// what a conversion takes in silently but wrongly ("<not found>" rows, cut numbers, wrong days).
#pragma once

#include "tables/airport_table.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel::convert {

enum class Severity {
    Error,    // the conversion stops on it and saves nothing
    Warning,  // converted, but not as the author of the file meant
    Note,     // read as meant; worth knowing
};

enum class ProblemKind {
    // errors
    BadTime,     // a time the conversion must read and cannot
    BadPercent,  // the traffic percentage is not a whole number with its percent sign
    BadPeriod,   // neither WEEK nor an hour count
    ZeroHours,   // a daily period of 0 hours
    // warnings
    TouchAndGo,         // a touch-and-go leg read as a plain time
    DayInDailyPlan,     // a day-prefixed time in a daily plan, stored as its first five characters
    UnreadTime,         // another time that is no time, stored as its first five characters
    UnknownAircraft,    // an aircraft number the aircraft list or table does not know
    DuplicateAircraft,  // one number, two different titles in the aircraft list
    UnmatchedTitle,     // a list title that no installed aircraft has
    LongNumber,         // longer than the aircraft table's 8 characters
    UnknownAirport,     // an airport code the airport table does not know
    LongAirline,        // longer than the board's 15 characters
    MondayDays,         // the file counts its day digits from Monday
    // notes
    CommentLine,
    NoComma,
    ByteOrderMark,
    CrLineEnds,
};

struct Problem {
    std::string file;      // the file's name as given (UTF-8)
    std::size_t line = 0;  // 1-based; 0 for the file as a whole
    int field = 0;         // 1-based comma field of the line; 0 when the problem is not one field
    Severity severity = Severity::Note;
    ProblemKind kind = ProblemKind::NoComma;
    std::string text;      // the offending text as written (UTF-8)
    std::string detail;    // what is wrong and, where it is clear, what the text looks like it meant
    std::string effect;    // what the conversion does with it
    std::string lineText;  // the whole line as written (UTF-8); empty for the file as a whole
};

struct CheckInputs {
    std::filesystem::path flightPlanFile;
    std::filesystem::path aircraftListFile;
    const tables::AirportLookup& airports;
    std::optional<std::filesystem::path> aircraftTableFile;  // "aircraft.cds", when the user has one
    int utcOffsetHours = 0;  // a daily time is read whole only when it is shifted or repeated
    // The titles of the installed aircraft, as the aircraft scan reads them, when the simulator
    // folder is known; called once, on the thread that runs the check.
    std::function<std::vector<std::string>()> installedTitles;
};

struct CheckSummary {
    std::map<Severity, std::size_t> perSeverity;
    std::map<ProblemKind, std::size_t> perKind;
    std::size_t planLines = 0;  // flight plan lines
    std::size_t badLines = 0;   // plan lines with an error, which a skipping conversion leaves out
    std::size_t records = 0;    // records the conversion makes from the other lines
    std::size_t legs = 0;       // legs of the other lines
    std::size_t knownLegs = 0;  // ... whose aircraft and both airports are known
};

struct CheckResult {
    std::vector<Problem> problems;  // the flight plan file's in line order, then the aircraft list's
    CheckSummary summary;
};

// Throws quorvel::Error naming the file when the flight plan file, the aircraft list or the
// aircraft table cannot be read.
// `progress`, when given, is called now and then on the thread that runs the check with the flight
// plan lines done and their number; when it returns false the check ends early, with the
// problems found so far.
using CheckProgress = std::function<bool(std::size_t done, std::size_t total)>;
CheckResult checkTraffic(const CheckInputs& inputs, const CheckProgress& progress = {});

// Where comma field `field` (1-based) of `line` starts and how long it is; nothing for field 0
// or a field the line does not have.
std::optional<std::pair<std::size_t, std::size_t>> fieldSpan(std::string_view line, int field);

std::string_view severityName(Severity severity);  // "error", "warning", "note"
Severity severityOf(ProblemKind kind);
std::string_view kindName(ProblemKind kind);   // "bad-time", "unknown-airport", ...
std::string_view kindTitle(ProblemKind kind);  // "bad time", "unknown airport", ...
bool hasErrors(const CheckResult& result);

}  // namespace quorvel::convert
