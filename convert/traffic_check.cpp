#include "convert/traffic_check.h"

#include "convert/conversion_run.h"
#include "convert/flight_plan_file.h"
#include "convert/leg_rules.h"
#include "platform/byte_order_mark.h"
#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/windows1252.h"
#include "tables/aircraft_table.h"
#include "tables/table.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace quorvel::convert {

namespace {

// The aircraft table and the board keep this many characters of a number, a title and an airline.
constexpr std::size_t numberWidth = 8;
constexpr std::size_t titleWidth = 48;
constexpr std::size_t airlineWidth = 15;

struct KindNames {
    ProblemKind kind;
    Severity severity;
    const char* name;
    const char* title;
};

constexpr KindNames kindNames[] = {
    {ProblemKind::BadTime, Severity::Error, "bad-time", "bad time"},
    {ProblemKind::BadPercent, Severity::Error, "bad-percent", "bad percentage"},
    {ProblemKind::BadPeriod, Severity::Error, "bad-period", "bad period"},
    {ProblemKind::ZeroHours, Severity::Error, "zero-hours", "period of 0 hours"},
    {ProblemKind::TouchAndGo, Severity::Warning, "touch-and-go", "touch-and-go leg"},
    {ProblemKind::DayInDailyPlan, Severity::Warning, "day-in-daily-plan", "day digit in a daily plan"},
    {ProblemKind::UnreadTime, Severity::Warning, "unread-time", "time stored unread"},
    {ProblemKind::UnknownAircraft, Severity::Warning, "unknown-aircraft", "unknown aircraft number"},
    {ProblemKind::DuplicateAircraft, Severity::Warning, "duplicate-aircraft", "aircraft number listed twice"},
    {ProblemKind::UnmatchedTitle, Severity::Warning, "unmatched-title", "title of no installed aircraft"},
    {ProblemKind::LongNumber, Severity::Warning, "long-number", "aircraft number too long"},
    {ProblemKind::UnknownAirport, Severity::Warning, "unknown-airport", "unknown airport code"},
    {ProblemKind::LongAirline, Severity::Warning, "long-airline", "airline name too long"},
    {ProblemKind::MondayDays, Severity::Warning, "monday-days", "days counted from Monday"},
    {ProblemKind::CommentLine, Severity::Note, "comment", "comment line"},
    {ProblemKind::NoComma, Severity::Note, "no-comma", "line without a comma"},
    {ProblemKind::ByteOrderMark, Severity::Note, "byte-order-mark", "byte order mark"},
    {ProblemKind::CrLineEnds, Severity::Note, "cr-line-ends", "CR-only line ends"},
};

const KindNames& namesOf(ProblemKind kind)
{
    return *std::find_if(std::begin(kindNames), std::end(kindNames),
                         [kind](const KindNames& k) { return k.kind == kind; });
}

std::string utf8(std::string_view text)
{
    return platform::utf8FromWindows1252(text);
}
std::string inQuotes(std::string_view text)
{
    return "\"" + utf8(text) + "\"";
}

std::string upperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return result;
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Every comma field of a line, as written.
std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

std::string_view fieldAt(const std::vector<std::string_view>& fields, int field)
{
    return field >= 1 && std::size_t(field) <= fields.size() ? fields[std::size_t(field) - 1] : std::string_view();
}

bool looksLikeTouchAndGo(std::string_view time)
{
    return upperAscii(time).find("TNG") != std::string::npos;
}

// "2/09:45:00": a day digit, a separator and a time.
bool looksDayPrefixed(std::string_view time)
{
    time = trimBlanks(time);
    return time.size() > 2 && isDigit(time[0]) && !isDigit(time[1]) && time[1] != ':' &&
           secondsOfDay(time.substr(2)).has_value();
}

constexpr const char* stopsEffect =
    "the conversion stops here and saves nothing; one that skips the lines with errors leaves this line out";

struct ListedAircraft {
    std::size_t line = 0;
    std::string number;  // as the list writes it
    std::string title;
};

class Checker {
public:
    Checker(const CheckInputs& inputs, const CheckProgress& progress)
        : inputs_(inputs),
          progress_(progress),
          planName_(inputs.flightPlanFile.filename().string()),
          listName_(inputs.aircraftListFile.filename().string())
    {
    }

    CheckResult run();

private:
    void readAircraftList();
    void readAircraftTable();
    void checkPlanFile();
    void checkSkippedLine(std::size_t line, std::string_view text);
    void checkPlanLine(std::size_t line, std::string_view raw);
    bool checkAircraft(std::size_t line, std::string_view number);
    bool checkAirport(std::size_t line, int field, std::string_view code, std::string_view written, bool home,
                      std::string_view raw);
    // A daily or weekly time field; false when the conversion would stop on it.
    bool checkTime(std::size_t line, int field, std::string_view written, std::string_view read, bool weekly,
                   bool readWhole);

    void add(const std::string& file, std::size_t line, int field, ProblemKind kind, std::string_view text,
             std::string detail, std::string effect)
    {
        result_.problems.push_back(Problem{file, line, field, namesOf(kind).severity, kind, utf8(text),
                                           std::move(detail), std::move(effect),
                                           line > 0 ? utf8(currentLine_) : std::string()});
    }

    const CheckInputs& inputs_;
    const CheckProgress& progress_;
    std::string planName_;
    std::string listName_;
    CheckResult result_;
    std::vector<Problem> listProblems_;  // the aircraft list's, listed after the plan's

    std::unordered_map<std::string, ListedAircraft> listed_;  // by the number as the table keeps it
    std::unordered_set<std::string> listedNumbers_;           // every number as written
    std::optional<tables::Table> aircraftTable_;
    std::unordered_map<std::string, tables::RowId> aircraftRows_;  // the first row of each number
    std::unordered_set<std::string> airlinesReported_;
    std::string_view currentLine_;  // the line being checked, as written
};

CheckResult Checker::run()
{
    readAircraftList();
    readAircraftTable();
    checkPlanFile();
    // A line's home airport is read with its first leg but is its last field.
    std::stable_sort(result_.problems.begin(), result_.problems.end(), [](const Problem& a, const Problem& b) {
        return a.line != b.line ? a.line < b.line : a.field < b.field;
    });
    result_.problems.insert(result_.problems.end(), listProblems_.begin(), listProblems_.end());
    for (const Problem& problem : result_.problems) {
        ++result_.summary.perSeverity[problem.severity];
        ++result_.summary.perKind[problem.kind];
    }
    return std::move(result_);
}

void Checker::readAircraftList()
{
    const std::optional<TextLines> lines = readTextLines(inputs_.aircraftListFile);
    if (!lines) throw Error(inputs_.aircraftListFile.string() + ": the aircraft list cannot be read");
    std::swap(result_.problems, listProblems_);  // add() appends to the plan's list; these go last
    // The scan compares titles without regard to case, on the width the table keeps.
    const auto titleKey = [](std::string_view title) { return platform::foldWindows1252(title.substr(0, titleWidth)); };
    std::optional<std::unordered_set<std::string>> installed;
    if (inputs_.installedTitles) {
        installed.emplace();
        for (const std::string& title : inputs_.installedTitles()) installed->insert(titleKey(title));
    }
    std::size_t number = 0;
    for (const std::string_view line : lines->lines) {
        ++number;
        if (trimBlanks(line).empty()) continue;
        currentLine_ = line;
        const AircraftLine cut = cutAircraftLine(line);
        listedNumbers_.insert(cut.number);
        const std::string key = cut.number.substr(0, numberWidth);
        const auto [found, isNew] = listed_.try_emplace(key, ListedAircraft{number, cut.number, cut.title});
        if (cut.number.size() > numberWidth) {
            std::string detail =
                "longer than the " + std::to_string(numberWidth) + " characters the aircraft table keeps";
            if (!isNew && found->second.number != cut.number)
                detail += "; cut, it is the same as " + inQuotes(found->second.number) + " on line " +
                          std::to_string(found->second.line);
            add(listName_, number, 1, ProblemKind::LongNumber, cut.number, detail,
                "the aircraft table stores " + inQuotes(key) + ", which no flight plan number longer than that finds");
        } else if (!isNew && found->second.number == cut.number &&
                   !platform::equalIgnoringCase(found->second.title, cut.title)) {
            add(listName_, number, 1, ProblemKind::DuplicateAircraft, cut.number,
                "also on line " + std::to_string(found->second.line) + " with the title " +
                    inQuotes(found->second.title) + ", here with " + inQuotes(cut.title),
                "the scan gives the number to both aircraft; the conversion takes the first record of the aircraft "
                "table, so every leg of this number gets that one's airline and model");
        }
        if (installed && !installed->contains(titleKey(cut.title)))
            add(listName_, number, 3, ProblemKind::UnmatchedTitle, cut.title,
                "no installed aircraft has this title (letter case aside)",
                "the aircraft scan keeps the title without the number " + inQuotes(cut.number) +
                    ": its legs get the airline \"<not found>\"");
    }
    std::swap(result_.problems, listProblems_);
    currentLine_ = {};
}

void Checker::readAircraftTable()
{
    if (!inputs_.aircraftTableFile) return;
    aircraftTable_ = tables::readAircraftFile(*inputs_.aircraftTableFile);
    for (tables::RowId row = 0; row < aircraftTable_->rowCount(); ++row)
        if (!aircraftTable_->isNull(row, tables::AircraftNumber))
            aircraftRows_.emplace(std::string(aircraftTable_->text(row, tables::AircraftNumber)), row);
}

void Checker::checkPlanFile()
{
    std::optional<std::string> bytes = readFileBytes(inputs_.flightPlanFile);
    if (!bytes) throw Error(inputs_.flightPlanFile.string() + ": the flight plan file cannot be read");
    const std::size_t mark = platform::byteOrderMarkSize(*bytes);
    if (mark > 0)
        add(planName_, 1, 0, ProblemKind::ByteOrderMark, "", "the file starts with a UTF-8 byte order mark",
            "skipped before the first line");

    // A CR not followed by LF ends a line too; an editor that writes them is worth knowing of.
    const std::string_view text = std::string_view(*bytes).substr(mark);
    for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 2)) {
        if (at + 1 < text.size() && text[at + 1] == '\n') continue;
        // Every CR before it has its LF, so the LFs count the lines before it.
        const std::string_view before = text.substr(0, at);
        const auto line = 1 + std::size_t(std::count(before.begin(), before.end(), '\n'));
        add(planName_, line, 0, ProblemKind::CrLineEnds, "",
            "this line ends with a CR alone (old Mac line ends), the first such line of the file",
            "the line ends there, as it would at CR LF or LF");
        break;
    }

    bytes->erase(0, mark);
    const TextLines lines = splitLines(std::move(*bytes));
    const std::size_t total = lines.lines.size();
    std::size_t number = 0;
    for (const std::string_view raw : lines.lines) {
        if (progress_ && number % 8192 == 0 && !progress_(number, total)) return;
        ++number;
        currentLine_ = raw;
        if (isFlightPlanLine(raw)) {
            checkPlanLine(number, raw);
        } else {
            checkSkippedLine(number, raw);
        }
    }
}

void Checker::checkSkippedLine(std::size_t line, std::string_view text)
{
    if (isCommentLine(text)) {
        std::string setting = upperAscii(trimBlanks(text).substr(2));
        std::erase_if(setting, [](char c) { return c == ' ' || c == '\t'; });
        if (setting == "FSXDAYS=TRUE") {
            add(planName_, line, 0, ProblemKind::MondayDays, text,
                "the file says its day digits count from Monday (0 is Monday)",
                "the conversion reads 0 as Sunday: every weekly leg shows one day early on the board");
        } else {
            add(planName_, line, 0, ProblemKind::CommentLine, text, "a comment", "skipped");
        }
        return;
    }
    if (trimBlanks(text).empty()) return;
    add(planName_, line, 0, ProblemKind::NoComma, text, "a line without a comma is not a flight plan", "skipped");
}

bool Checker::checkAircraft(std::size_t line, std::string_view number)
{
    if (number.size() > numberWidth) {
        add(planName_, line, 1, ProblemKind::LongNumber, number,
            "longer than the " + std::to_string(numberWidth) + " characters the aircraft table keeps",
            "never found: the legs get the airline \"<not found>\"");
        return false;
    }
    const bool inList = listedNumbers_.contains(std::string(number));
    if (!aircraftTable_) {
        if (inList) return true;
        add(planName_, line, 1, ProblemKind::UnknownAircraft, number, "not in the aircraft list",
            "the legs get the airline \"<not found>\" and the number as their model");
        return false;
    }
    const auto row = aircraftRows_.find(std::string(number));
    const std::string_view airline =
        row == aircraftRows_.end() ? std::string_view() : aircraftTable_->text(row->second, tables::AircraftAirline);
    if (airline.empty()) {
        std::string detail =
            row == aircraftRows_.end() ? "not in the aircraft table" : "in the aircraft table without an airline";
        detail += inList ? "; the aircraft list has it, so its title matches no installed aircraft or the table is "
                           "older than the list"
                         : ", nor in the aircraft list";
        add(planName_, line, 1, ProblemKind::UnknownAircraft, number, detail,
            "the legs get the airline \"<not found>\" and the number as their model");
        return false;
    }
    if (!inList) {
        add(planName_, line, 1, ProblemKind::UnknownAircraft, number,
            "in the aircraft table but not in the aircraft list: the next aircraft scan loses it",
            "converted with the table's airline " + inQuotes(airline));
    }
    if (airline.size() > airlineWidth && airlinesReported_.insert(std::string(number)).second)
        add(planName_, line, 1, ProblemKind::LongAirline, airline,
            "the airline of " + inQuotes(number) + " is longer than the board's " + std::to_string(airlineWidth) +
                " characters",
            "cut to " + inQuotes(airline.substr(0, airlineWidth)) + " in the flight table");
    return true;  // converted with the table's airline and model
}

bool Checker::checkAirport(std::size_t line, int field, std::string_view code, std::string_view written, bool home,
                           std::string_view raw)
{
    const tables::AirportLookup& airports = inputs_.airports;
    if (airports.indexOfCode(code)) return true;
    const std::string_view trimmed = trimBlanks(written);
    std::string detail = "not in the airport table";
    if (home && !raw.empty() && !isLetter(raw.back()) && !isDigit(raw.back())) {
        detail = "the line ends in " + inQuotes(raw.substr(raw.size() - 1)) +
                 ", so the home airport is read as the line's last four characters " + inQuotes(code) +
                 "; the line should end with the code";
    } else if (home && code.find(',') != std::string_view::npos) {
        detail = "the last code " + inQuotes(written) +
                 " is shorter than four characters, so the home airport is read "
                 "as the line's last four characters " +
                 inQuotes(code);
    } else if (trimmed != written && (airports.indexOfCode(trimmed) || airports.indexOfCode(upperAscii(trimmed)))) {
        detail = "blanks around the code " + inQuotes(trimmed) + ": the code is read with its blanks";
    } else if (airports.indexOfCode(upperAscii(trimmed))) {
        detail = "written in lower case: the table has " + inQuotes(upperAscii(trimmed)) + " and codes match exactly";
    } else if (trimmed.size() == 3 && std::all_of(trimmed.begin(), trimmed.end(), isLetter)) {
        detail = "a three-letter code: the airport table holds four-letter ICAO codes";
        if (const auto withK = airports.descriptionOf("K" + upperAscii(trimmed)))
            detail += " (" + inQuotes("K" + upperAscii(trimmed)) + " is " + utf8(*withK) + ")";
    }
    add(planName_, line, field, ProblemKind::UnknownAirport, code, detail,
        "the legs show the airport name \"<not found>\"");
    return false;
}

bool Checker::checkTime(std::size_t line, int field, std::string_view written, std::string_view read, bool weekly,
                        bool readWhole)
{
    if (weekly) {
        if (secondsOfDay(weeklyTime(read).time)) return true;
        std::string detail = "the conversion reads the time " + inQuotes(weeklyTime(read).time) +
                             " (characters 3 to 7) and says \"Found Error: " + utf8(weeklyTime(read).time) + "\"";
        if (looksLikeTouchAndGo(written)) {
            detail += "; this looks like a touch-and-go leg, which the conversion does not know";
        } else if (secondsOfDay(read)) {
            detail += "; this looks like a daily time without its day digit";
        }
        add(planName_, line, field, ProblemKind::BadTime, written, detail, stopsEffect);
        return false;
    }
    // A daily time is read whole only when it is shifted or repeated; otherwise its first five
    // characters are stored as they are.
    if (secondsOfDay(read)) return true;
    const bool touchAndGo = looksLikeTouchAndGo(written);
    const bool dayPrefixed = !touchAndGo && looksDayPrefixed(read);
    const char* meaning = touchAndGo    ? "this looks like a touch-and-go leg"
                          : dayPrefixed ? "this looks like a weekly time (a day digit first) in a daily plan"
                                        : "this is not a time of day";
    if (readWhole) {
        add(planName_, line, field, ProblemKind::BadTime, written,
            std::string(meaning) + "; the conversion must read it whole to shift or repeat it", stopsEffect);
        return false;
    }
    const ProblemKind kind = touchAndGo    ? ProblemKind::TouchAndGo
                             : dayPrefixed ? ProblemKind::DayInDailyPlan
                                           : ProblemKind::UnreadTime;
    add(planName_, line, field, kind, written, meaning, "stored as the time " + inQuotes(read.substr(0, 5)));
    return true;
}

void Checker::checkPlanLine(std::size_t line, std::string_view raw)
{
    const std::optional<PlanLine> plan = cutPlanLine(raw);
    const std::vector<std::string_view> fields = fieldsOf(raw);
    ++result_.summary.planLines;
    bool bad = false;

    const bool aircraftKnown = checkAircraft(line, plan->aircraftNumber);

    const bool weekly = isWeeklyPeriod(plan->period);
    const std::optional<int> period = weekly ? std::nullopt : periodHours(plan->period);
    const bool daily = period.has_value();
    const int hours = period.value_or(0);
    if (!weekly && !daily) {
        const std::string written = upperAscii(plan->period);
        std::string detail = "the period is neither WEEK nor an hour count with two more characters (\"24Hr\")";
        if (written.find("WEEK") != std::string::npos || written.find("WK") != std::string::npos)
            detail += "; this looks like a period in weeks, and only WEEK (one week) is understood";
        add(planName_, line, 4, ProblemKind::BadPeriod, fieldAt(fields, 4), detail, stopsEffect);
        bad = true;
    }

    // Count the legs first: a line without legs never has its percentage or hour count read.
    std::string_view legList = plan->legList;
    std::vector<Leg> legs;
    while (const std::optional<Leg> leg = nextLeg(legList)) legs.push_back(*leg);
    if (!legs.empty() && !percentValue(plan->percent)) {
        add(planName_, line, 3, ProblemKind::BadPercent, fieldAt(fields, 3),
            "the traffic percentage is not a whole number from -32768 to 32767 followed by the percent sign",
            stopsEffect);
        bad = true;
    }
    if (!legs.empty() && daily && hours == 0) {
        add(planName_, line, 4, ProblemKind::ZeroHours, fieldAt(fields, 4), "a daily plan repeating every 0 hours",
            stopsEffect);
        bad = true;
    }
    const int repeats = daily && hours > 0 && hours < 24 ? std::max(1, 24 / hours) : 1;
    const bool readWhole = inputs_.utcOffsetHours != 0 || repeats > 1;

    std::size_t knownLegs = 0;
    bool homeKnown = false;
    for (std::size_t i = 0; i < legs.size(); ++i) {
        const int first = 6 + 6 * int(i);
        if (weekly || daily) {
            bad = !checkTime(line, first, fieldAt(fields, first), legs[i].depTime, weekly, readWhole) || bad;
            bad = !checkTime(line, first + 1, fieldAt(fields, first + 1), legs[i].arrTime, weekly, readWhole) || bad;
        }
        bool known = aircraftKnown;
        if (i == 0) {
            homeKnown = checkAirport(line, int(fields.size()), plan->homeAirport, fields.back(), true, raw);
            known = homeKnown && known;
        } else {
            known = inputs_.airports.indexOfCode(legs[i - 1].arrCode).has_value() && known;
        }
        // The last leg lands where the first left: its code is the home airport, said once.
        if (std::size_t(first + 5) == fields.size() && legs[i].arrCode == plan->homeAirport)
            known = homeKnown && known;
        else
            known = checkAirport(line, first + 5, legs[i].arrCode, fieldAt(fields, first + 5), false, raw) && known;
        if (known) ++knownLegs;
    }
    if (bad) {
        ++result_.summary.badLines;
        return;
    }
    result_.summary.legs += legs.size();
    result_.summary.knownLegs += knownLegs;
    result_.summary.records += legs.size() * std::size_t(weekly ? 1 : repeats);
}

}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> fieldSpan(std::string_view line, int field)
{
    if (field < 1) return std::nullopt;
    std::size_t start = 0;
    for (int n = 1; n < field; ++n) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return std::nullopt;
        start = comma + 1;
    }
    const std::size_t end = std::min(line.find(',', start), line.size());
    return std::pair{start, end - start};
}

CheckResult checkTraffic(const CheckInputs& inputs, const CheckProgress& progress)
{
    return Checker(inputs, progress).run();
}

std::string_view severityName(Severity severity)
{
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            return "note";
    }
    return "note";
}

Severity severityOf(ProblemKind kind)
{
    return namesOf(kind).severity;
}
std::string_view kindName(ProblemKind kind)
{
    return namesOf(kind).name;
}
std::string_view kindTitle(ProblemKind kind)
{
    return namesOf(kind).title;
}

bool hasErrors(const CheckResult& result)
{
    const auto found = result.summary.perSeverity.find(Severity::Error);
    return found != result.summary.perSeverity.end() && found->second > 0;
}

}  // namespace quorvel::convert
