// convert/flight_plan_file.h: the simulator's flight plan file and AI aircraft list, read and cut.
//
// Both files are read whole as single-byte text, a leading UTF-8 byte order mark skipped, and
// split at CR LF, CR or LF. Both are cut by
// one rule, the comma field: field n (from 1) of a text, alone or with everything after it.
// Asking past the last field gives the last field again, and a field taken alone that has no
// comma after it is its first four characters. Quotes mean nothing to the rule.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::convert {

// A file's text and its lines, which are views into the text. Copies and moves point their views
// into their own text: a short text is kept inside the string object and does not move with it.
struct TextLines {
    std::string text;
    std::vector<std::string_view> lines;

    TextLines() = default;
    TextLines(const TextLines& other);
    TextLines(TextLines&& other) noexcept;
    TextLines& operator=(const TextLines& other);
    TextLines& operator=(TextLines&& other) noexcept;

private:
    void rebase(const char* oldText);  // moves every view from `oldText` to text.data()
};

TextLines splitLines(std::string text);
// The whole file as it is stored, byte order mark and all; nothing when it cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path& file);
// The whole file; nothing when it cannot be read.
std::optional<TextLines> readTextLines(const std::filesystem::path& file);

std::string_view commaField(std::string_view text, int field, bool withRest);

// A line without a comma is not a flight plan, and neither is a comment: a line whose first
// characters after any blanks are "//", whatever commas it holds.
bool isFlightPlanLine(std::string_view line);
bool isCommentLine(std::string_view line);  // "//" after any blanks

// One aircraft's schedule, every "@" already deleted.
struct PlanLine {
    std::string aircraftNumber;  // field 1
    std::string percent;         // field 3: a number and the percent sign
    std::string period;          // field 4: "WEEK", or an hour count and two more characters ("24Hr")
    std::string homeAirport;     // the line's last four characters
    std::string legList;         // field 6 with everything after it
};

std::optional<PlanLine> cutPlanLine(std::string_view line);  // nothing when the line is not a flight plan

// The traffic percentage: the field without its last character (the percent sign), a whole
// number with blanks around allowed; nothing when it is not one or does not fit 16 bits.
std::optional<std::int16_t> percentValue(std::string_view field);
// "WEEK" in any letter case.
bool isWeeklyPeriod(std::string_view field);
// The hour count of a daily period: the field without its last two characters ("24Hr" gives
// 24); nothing when that is not a whole number.
std::optional<int> periodHours(std::string_view field);

// A weekly time field: a day digit, one separator and HH:MM; what follows (seconds) is not read.
struct WeeklyTime {
    std::string_view day;   // the first character
    std::string_view time;  // characters 3 to 7
};
WeeklyTime weeklyTime(std::string_view field);

struct Leg {
    std::string_view depTime;       // leg field 1
    std::string_view arrTime;       // leg field 2
    std::string_view flightNumber;  // leg field 5
    std::string_view arrCode;       // leg field 6, taken alone
};

// The next leg of `legList`, which then holds what follows it; nothing once the list is four
// characters or less, or holds no comma (only the final destination is left).
std::optional<Leg> nextLeg(std::string_view& legList);

struct AircraftLine {
    std::string number;  // field 1, taken alone
    std::string title;   // field 3 with the rest, unquoted
};

AircraftLine cutAircraftLine(std::string_view line);

// A title in double quotes, doubled quotes standing for one; text after the closing quote is
// ignored. A text that does not start with a quote gives the empty title; one whose closing
// quote is missing runs to its end.
std::string quotedTitle(std::string_view text);

}  // namespace quorvel::convert
