#include "convert/conversion_run.h"

#include "convert/flight_plan_file.h"
#include "convert/leg_rules.h"
#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/windows1252.h"
#include "platform/wine_paths.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tables/packet.h"

#include <charconv>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace quorvel::convert {

namespace {

using tables::FlightField;
using tables::RowId;
using tables::Table;

constexpr int secondsPerDay = 24 * 3600;
constexpr std::string_view everyDay = "0123456";

// "HH:MM" of a time of day, kept in place so that a leg's times cost no allocation.
struct HhMm {
    char text[5] = {'0', '0', ':', '0', '0'};

    explicit HhMm(int seconds)
    {
        seconds = ((seconds % secondsPerDay) + secondsPerDay) % secondsPerDay;
        const int hours = seconds / 3600;
        const int minutes = seconds % 3600 / 60;
        text[0] = char('0' + hours / 10);
        text[1] = char('0' + hours % 10);
        text[3] = char('0' + minutes / 10);
        text[4] = char('0' + minutes % 10);
    }
    std::string_view view() const { return {text, 5}; }
};

std::string_view firstFive(std::string_view text)
{
    return text.substr(0, 5);
}

class Run {
public:
    Run(const ConvertInputs& inputs, ConversionReport& report, const std::atomic<bool>& stop)
        : inputs_(inputs), report_(report), stop_(stop)
    {
    }

    Summary execute();

private:
    struct Aircraft {
        std::string_view airline;
        std::string_view model;
    };
    // One leg as it goes into the record; the views point into the current line or into buffers.
    struct LegValues {
        std::string_view depCode, depName, arrCode, arrName, flight, timeDep, timeArr, daysDep, daysArr;
        bool national = false;
    };

    bool workLine(std::string_view raw);
    bool workLeg(const Leg& leg, std::string_view depCode);
    void indexAircraft();
    std::optional<Aircraft> aircraftOf(std::string_view number) const;
    std::string_view airportName(std::string_view code);
    void reportMissing(std::string_view key);
    void addRecord(const LegValues& leg);
    bool badInput(const std::string& what);
    bool skippingBadLines() const { return inputs_.skipBadLines && lineNumber_ > 0; }
    void skipLine(std::size_t rowsBefore);
    std::string where() const;
    std::string place() const;  // "flightplans.txt, line 12"

    const ConvertInputs& inputs_;
    ConversionReport& report_;
    const std::atomic<bool>& stop_;
    Summary summary_;

    Table flights_;
    Table aircraft_;
    std::unordered_map<std::string_view, RowId> aircraftRows_;  // first row of each number, views into aircraft_
    std::unordered_set<std::string, platform::TextHash, std::equal_to<>> reported_;
    int utcOffsetHours_ = 0;
    std::size_t lineNumber_ = 0;  // 1-based line of the file being worked on
    int totalLines_ = 0;
    std::string label_;

    // The current flight plan line.
    std::string airline_;
    std::string model_;
    std::string percentText_;
    std::optional<std::int16_t> percent_;
    std::string period_;
    bool weekly_ = false;
    int periodHours_ = 0;
};

Summary Run::execute()
{
    flights_ = tables::readFlightFile(inputs_.flightTableFile);
    try {
        aircraft_ = tables::readAircraftFile(inputs_.aircraftTableFile);
    } catch (const Error& error) {
        badInput(std::string("The aircraft table cannot be read: ") + error.what());
        return summary_;
    }
    indexAircraft();

    std::optional<TextLines> lines = readTextLines(inputs_.flightPlanFile);
    if (!lines) {
        // The run goes on over no lines and ends normally, so the empty table is saved.
        report_.message(warningCaption, missingPlanFileText);
        summary_.planFileMissing = true;
        lines.emplace();
    }
    totalLines_ = int(lines->lines.size());
    report_.progressRange(0, totalLines_);
    report_.progress(0);
    utcOffsetHours_ =
        inputs_.utcOffsetHours ? *inputs_.utcOffsetHours : utcOffsetHours(inputs_.zone, inputs_.overrideDst);

    for (const std::string_view line : lines->lines) {
        ++lineNumber_;
        if (stop_) {
            summary_.outcome = Outcome::Stopped;
            return summary_;
        }
        const std::size_t rowsBefore = flights_.rowCount();
        if (!workLine(line)) {
            if (summary_.outcome == Outcome::Stopped || !inputs_.skipBadLines) return summary_;
            skipLine(rowsBefore);
        }
    }
    // The board needs the offset to get the Greenwich times back.
    flights_.setIntegerProperty(tables::utcOffsetPropertyName, utcOffsetHours_);
    writePacketFile(flights_, inputs_.flightTableFile);
    report_.buttonCaption("Ok");
    return summary_;
}

// The records the bad line had already added go again; the run goes on with the next line.
void Run::skipLine(std::size_t rowsBefore)
{
    summary_.records -= flights_.rowCount() - rowsBefore;
    while (flights_.rowCount() > rowsBefore) flights_.eraseRow(RowId(flights_.rowCount() - 1));
    const std::string text = summary_.outcome == Outcome::TimeError ? where() + summary_.problem : summary_.problem;
    summary_.skippedLines.push_back(lineNumber_);
    summary_.outcome = Outcome::Finished;
    summary_.problem.clear();
    report_.skippedLine(text);
}

void Run::indexAircraft()
{
    aircraftRows_.reserve(aircraft_.rowCount());
    for (RowId row = 0; row < aircraft_.rowCount(); ++row)
        if (!aircraft_.isNull(row, tables::AircraftNumber))
            aircraftRows_.emplace(aircraft_.text(row, tables::AircraftNumber), row);  // the first row wins
}

std::optional<Run::Aircraft> Run::aircraftOf(std::string_view number) const
{
    const auto found = aircraftRows_.find(number);
    if (found == aircraftRows_.end()) return std::nullopt;
    // A record without an airline (the scan leaves it empty or null) tells nothing about the aircraft.
    const std::string_view airline = aircraft_.text(found->second, tables::AircraftAirline);
    if (airline.empty()) return std::nullopt;
    return Aircraft{airline, aircraft_.text(found->second, tables::AircraftModel)};
}

void Run::reportMissing(std::string_view key)
{
    // The log keeps each line once anyway; asking it once per key spares the wait for the window.
    if (reported_.find(key) != reported_.end()) return;
    reported_.emplace(key);
    report_.notFound(key, place());
}

std::string_view Run::airportName(std::string_view code)
{
    if (const auto entry = inputs_.airports.indexOfCode(code)) return inputs_.airports.description(*entry);
    reportMissing(code);
    return notFoundText;
}

std::string Run::place() const
{
    // A host file name, already UTF-8.
    return inputs_.flightPlanFile.filename().string() + ", line " + std::to_string(lineNumber_);
}

std::string Run::where() const
{
    return place() + ": ";
}

bool Run::badInput(const std::string& what)
{
    summary_.outcome = Outcome::BadInput;
    summary_.problem = what;
    if (!skippingBadLines()) {
        if (lineNumber_ > 0) report_.stoppedAt(what);  // before the first line it is no line's fault
        report_.message(warningCaption, what);
    }
    return false;
}

bool Run::workLine(std::string_view raw)
{
    const std::optional<PlanLine> plan = cutPlanLine(raw);
    if (!plan) return true;

    if (const auto aircraft = aircraftOf(plan->aircraftNumber)) {
        airline_.assign(aircraft->airline);
        model_.assign(aircraft->model);
    } else {
        reportMissing(plan->aircraftNumber);
        airline_ = notFoundText;
        model_ = plan->aircraftNumber;
    }

    // The percentage is read when the line's first record is built: a line without legs never needs it.
    percentText_ = plan->percent;
    percent_ = percentValue(percentText_);

    period_ = plan->period;
    weekly_ = isWeeklyPeriod(plan->period);
    if (!weekly_) {
        const auto hours = periodHours(plan->period);
        if (!hours)
            return badInput(where() + "the period \"" + platform::utf8FromWindows1252(plan->period) +
                            "\" is neither WEEK nor an hour count");
        periodHours_ = *hours;
    }

    ++summary_.planLines;
    report_.progress(int(summary_.planLines));
    char digits[24];
    label_.assign("Flights:");
    label_.append(digits, std::to_chars(digits, digits + sizeof digits, summary_.planLines).ptr);
    label_ += '/';
    label_.append(digits, std::to_chars(digits, digits + sizeof digits, totalLines_).ptr);
    report_.label(label_);

    // The schedule is a cycle: the first leg leaves from where the last one lands, and each
    // later leg from where the one before landed.
    std::string_view legList = plan->legList;
    std::string_view depCode = plan->homeAirport;
    while (const std::optional<Leg> leg = nextLeg(legList)) {
        if (stop_) {
            summary_.outcome = Outcome::Stopped;
            return false;
        }
        if (!workLeg(*leg, depCode)) return false;
        depCode = leg->arrCode;
    }
    return true;
}

bool Run::workLeg(const Leg& leg, std::string_view depCode)
{
    std::string_view depTime = leg.depTime;
    std::string_view arrTime = leg.arrTime;
    std::string_view depDays = everyDay;
    std::string_view arrDays = everyDay;
    if (weekly_) {
        // A weekly time is a day digit, a separator and HH:MM; anything after those is not read.
        const WeeklyTime dep = weeklyTime(leg.depTime);
        const WeeklyTime arr = weeklyTime(leg.arrTime);
        depDays = dep.day;
        arrDays = arr.day;
        depTime = dep.time;
        arrTime = arr.time;
        for (const std::string_view time : {depTime, arrTime}) {
            if (secondsOfDay(time)) continue;
            summary_.outcome = Outcome::TimeError;
            summary_.problem = "Found Error: " + platform::utf8FromWindows1252(time);
            if (skippingBadLines()) return false;
            report_.stoppedAt(where() + summary_.problem);
            report_.message(warningCaption, summary_.problem);
            report_.pressButton();
            return false;
        }
    }

    // Only the time of day moves; the day digits stay as the plan gives them.
    std::optional<int> depSeconds;
    std::optional<int> arrSeconds;
    std::optional<HhMm> depShifted;
    std::optional<HhMm> arrShifted;
    const auto notATime = [this](std::string_view time) {
        return badInput(where() + "\"" + platform::utf8FromWindows1252(time) + "\" is not a time of day");
    };
    if (utcOffsetHours_ != 0) {
        depSeconds = secondsOfDay(depTime);
        if (!depSeconds) return notATime(depTime);
        arrSeconds = secondsOfDay(arrTime);
        if (!arrSeconds) return notATime(arrTime);
        *depSeconds -= utcOffsetHours_ * 3600;
        *arrSeconds -= utcOffsetHours_ * 3600;
        depTime = depShifted.emplace(*depSeconds).view();
        arrTime = arrShifted.emplace(*arrSeconds).view();
    }

    if (!percent_)
        return badInput(where() + "the traffic percentage \"" + platform::utf8FromWindows1252(percentText_) +
                        "\" is not a whole number from -32768 to 32767 followed by the percent sign");
    LegValues values;
    values.depCode = depCode;
    values.arrCode = leg.arrCode;
    values.depName = airportName(depCode);
    values.arrName = airportName(leg.arrCode);
    values.flight = leg.flightNumber;
    values.timeDep = firstFive(depTime);
    values.timeArr = firstFive(arrTime);
    values.daysDep = depDays;
    values.daysArr = arrDays;
    values.national = isNationalLeg(depCode, leg.arrCode);
    addRecord(values);

    if (weekly_ || periodHours_ >= 24) return true;
    if (periodHours_ == 0)
        return badInput(where() + "the period \"" + platform::utf8FromWindows1252(period_) +
                        "\" repeats every 0 hours");
    const int repeats = 24 / periodHours_;
    if (repeats < 2) return true;
    if (!depSeconds) depSeconds = secondsOfDay(depTime);
    if (!depSeconds) return notATime(depTime);
    if (!arrSeconds) arrSeconds = secondsOfDay(arrTime);
    if (!arrSeconds) return notATime(arrTime);
    for (int k = 1; k < repeats; ++k) {
        const HhMm dep(*depSeconds + k * periodHours_ * 3600);
        const HhMm arr(*arrSeconds + k * periodHours_ * 3600);
        values.timeDep = dep.view();
        values.timeArr = arr.view();
        values.daysDep = everyDay;
        values.daysArr = everyDay;
        addRecord(values);
    }
    return true;
}

void Run::addRecord(const LegValues& leg)
{
    const RowId row = flights_.appendRow();
    flights_.setText(row, tables::IcaoCodeDep, leg.depCode);
    flights_.setText(row, tables::DepApt, leg.depName);
    flights_.setText(row, tables::IcaoCodeArr, leg.arrCode);
    flights_.setText(row, tables::DestApt, leg.arrName);
    flights_.setText(row, tables::Airline, airline_);
    flights_.setText(row, tables::FlightNumber, leg.flight);
    flights_.setText(row, tables::TimeDep, leg.timeDep);
    flights_.setText(row, tables::TimeArr, leg.timeArr);
    flights_.setText(row, tables::SchedulingDep, leg.daysDep);
    flights_.setText(row, tables::SchedulingArr, leg.daysArr);
    flights_.setText(row, tables::Note, "ON TIME");
    flights_.setInt(row, tables::TPercent, *percent_);
    flights_.setText(row, tables::Model, model_);
    flights_.setBool(row, tables::National, leg.national);
    ++summary_.records;
}

}  // namespace

ConvertInputs programInputs(const std::filesystem::path& programFolder, std::string_view flightPlanSetting,
                            const tables::AirportLookup& airports, bool overrideDst, platform::TimeZone zone)
{
    return ConvertInputs{
        .flightPlanFile = platform::settingFile(programFolder, flightPlanSetting),
        .flightTableFile = programFolder / tables::flightFileName,
        .aircraftTableFile = programFolder / tables::aircraftFileName,
        .airports = airports,
        .overrideDst = overrideDst,
        .zone = zone,
        .utcOffsetHours = std::nullopt,
    };
}

Summary convert(const ConvertInputs& inputs, ConversionReport& report, const std::atomic<bool>& stop)
{
    return Run(inputs, report, stop).execute();
}

}  // namespace quorvel::convert
