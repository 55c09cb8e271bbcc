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

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
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

// "flightplans.txt, line 12"
std::string placeOfLine(const ConvertInputs& inputs, std::size_t line)
{
    // A host file name, already UTF-8.
    return inputs.flightPlanFile.filename().string() + ", line " + std::to_string(line);
}

// What the run tells its caller, in the order it happened while a stretch of lines was
// converted; the run's thread passes it on, stretch after stretch, in the order of the lines.
// There is one before each leg, so an event is three numbers; its text, when it has one, is
// kept beside the events.
struct Event {
    enum class Kind {
        StopCheck,    // the stop flag is read here; `value`: the stretch's records at that point
        LogLine,      // text: a key not found, first used on this line
        LineWorked,   // a flight plan line counted: progress and label
        Message,      // text: a warning, shown before the run goes on or ends
        PressButton,  // the dialog closes as "Stop" does
        SkippedLine,  // text: a line left out and why
        StoppedAt,    // text: the line the run stops on and why, for the log
    };
    Kind kind;
    std::size_t line = 0;   // the 1-based plan line it belongs to
    std::size_t value = 0;  // StopCheck: records; the others with a text: the text's number
};

// A stretch of consecutive plan lines, converted on any thread into records of its own, in the
// flight table file's layout: the run's thread only writes them out.
struct Stretch {
    std::size_t first = 0;  // index of its first line
    std::size_t end = 0;    // one past its last line
    std::string records;
    std::size_t recordCount = 0;
    std::vector<Event> events;
    std::vector<std::string> texts;       // of the events that have one
    Outcome outcome = Outcome::Finished;  // anything else ended the stretch at its last event
    std::string problem;
    std::exception_ptr failure;  // an exception thrown while converting, passed on in line order
};

// What every converter only reads.
struct Shared {
    const ConvertInputs& inputs;
    const std::atomic<bool>& stop;
    const Table& aircraft;
    const std::unordered_map<std::string_view, RowId>& aircraftRows;  // first row of each number
    int utcOffsetHours = 0;
};

// Converts stretches of lines, one at a time, on the thread that owns it.
class LineConverter {
public:
    explicit LineConverter(const Shared& shared)
        : shared_(shared), inputs_(shared.inputs), encoder_(tables::flightSchema())
    {
    }

    void convert(Stretch& stretch, const std::vector<std::string_view>& lines);

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

    bool stopped();
    bool workLine(std::string_view raw);
    bool workLeg(const Leg& leg, std::string_view depCode);
    std::optional<Aircraft> aircraftOf(std::string_view number) const;
    std::string_view airportName(std::string_view code);
    void reportMissing(std::string_view key);
    void addRecord(const LegValues& leg);
    bool badInput(const std::string& what);
    bool skippingBadLines() const { return inputs_.skipBadLines && lineNumber_ > 0; }
    void skipLine(std::size_t bytesBefore, std::size_t recordsBefore);
    void tell(Event::Kind kind) { stretch_->events.push_back({kind, lineNumber_, 0}); }
    void tell(Event::Kind kind, std::string text)
    {
        stretch_->events.push_back({kind, lineNumber_, stretch_->texts.size()});
        stretch_->texts.push_back(std::move(text));
    }
    std::string where() const;  // "flightplans.txt, line 12: "

    const Shared& shared_;
    const ConvertInputs& inputs_;
    Stretch* stretch_ = nullptr;
    tables::RecordEncoder encoder_;
    std::unordered_set<std::string, platform::TextHash, std::equal_to<>> reported_;  // in this stretch
    std::size_t lineNumber_ = 0;  // 1-based line of the file being worked on

    // The current flight plan line.
    std::string airline_;
    std::string model_;
    std::string percentText_;
    std::optional<std::int16_t> percent_;
    std::string period_;
    bool weekly_ = false;
    int periodHours_ = 0;
};

class Run {
public:
    Run(const ConvertInputs& inputs, ConversionReport& report, const std::atomic<bool>& stop)
        : inputs_(inputs), report_(report), stop_(stop)
    {
    }

    Summary execute();

private:
    bool badInput(const std::string& what);
    void indexAircraft();
    bool convertLines(const std::vector<std::string_view>& lines, tables::PacketFileWriter& out);
    bool passOn(Stretch& stretch, tables::PacketFileWriter& out);

    const ConvertInputs& inputs_;
    ConversionReport& report_;
    const std::atomic<bool>& stop_;
    Summary summary_;

    Table aircraft_;
    std::unordered_map<std::string_view, RowId> aircraftRows_;  // first row of each number, views into aircraft_
    std::unordered_set<std::string, platform::TextHash, std::equal_to<>> reported_;
    int utcOffsetHours_ = 0;
    int totalLines_ = 0;
    std::string label_;
};

Summary Run::execute()
{
    Table flights = tables::readFlightFile(inputs_.flightTableFile);
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

    // The board needs the offset to get the Greenwich times back. The records go to the file as
    // they are passed on; the file takes their place only when the run has finished.
    flights.setIntegerProperty(tables::utcOffsetPropertyName, utcOffsetHours_);
    tables::PacketFileWriter out(flights, inputs_.flightTableFile);
    if (!convertLines(lines->lines, out)) return summary_;
    out.commit();
    report_.buttonCaption("Ok");
    return summary_;
}

bool Run::badInput(const std::string& what)
{
    summary_.outcome = Outcome::BadInput;
    summary_.problem = what;
    report_.message(warningCaption, what);
    return false;
}

// Lines convert independently of each other, so stretches of them convert on every core at once;
// this thread converts too, and passes each stretch's records and reports on in line order.
bool Run::convertLines(const std::vector<std::string_view>& lines, tables::PacketFileWriter& out)
{
    const std::size_t workers = std::max<std::size_t>(
        1, inputs_.workers > 0 ? std::size_t(inputs_.workers) : std::thread::hardware_concurrency());
    // Stretches small enough that the work evens out and the progress moves, large enough to be cheap.
    const std::size_t perStretch = std::clamp<std::size_t>(lines.size() / (workers * 8), 1, 2048);
    std::vector<Stretch> stretches((lines.size() + perStretch - 1) / perStretch);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        stretches[i].first = i * perStretch;
        stretches[i].end = std::min(lines.size(), (i + 1) * perStretch);
    }
    const Shared shared{inputs_, stop_, aircraft_, aircraftRows_, utcOffsetHours_};

    std::mutex mutex;
    std::condition_variable finished;  // a stretch is converted
    std::condition_variable room;      // a stretch was passed on, or the run has ended
    std::vector<char> done(stretches.size(), 0);  // guarded by mutex, as the four below
    // The converters keep at most this many stretches ahead of the one passed on next, so the run
    // works in the same few buffers over and over: each stretch's records take megabytes, and
    // memory the run has used once costs nothing more where fresh memory costs a fault per page.
    const std::size_t ahead = 2 * workers;
    std::size_t next = 0;    // the first stretch nobody has taken
    std::size_t passed = 0;  // the stretches passed on
    bool ended = false;      // nothing more is to be taken
    std::vector<Stretch> spare;  // the buffers of stretches passed on, for later ones
    const auto end = [&] {
        {
            const std::lock_guard lock(mutex);
            ended = true;
        }
        room.notify_all();
    };
    // Takes the next stretch nobody has taken and converts it; false when none is left, the run
    // has ended, or (unless `waitForRoom`) the converters are as far ahead as they may be.
    const auto convertNext = [&](LineConverter& converter, bool waitForRoom) {
        std::size_t i = 0;
        {
            std::unique_lock lock(mutex);
            const auto mayTake = [&] { return ended || next >= stretches.size() || next < passed + ahead; };
            if (waitForRoom) room.wait(lock, mayTake);
            if (ended || next >= stretches.size() || next >= passed + ahead) return false;
            i = next++;
            if (!spare.empty()) {
                stretches[i].records = std::move(spare.back().records);
                stretches[i].events = std::move(spare.back().events);
                spare.pop_back();
            }
        }
        try {
            converter.convert(stretches[i], lines);
        } catch (...) {
            stretches[i].failure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        done[i] = 1;
        finished.notify_all();
        return true;
    };

    struct Helpers {
        const decltype(end)& endRun;
        std::vector<std::thread> threads;
        ~Helpers()
        {
            endRun();
            for (std::thread& thread : threads) thread.join();
        }
    } helpers{end, {}};
    for (std::size_t w = 1; w < workers && w < stretches.size(); ++w)
        helpers.threads.emplace_back([&] {
            LineConverter converter(shared);
            while (convertNext(converter, true)) {
            }
        });

    LineConverter own(shared);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        for (;;) {
            {
                const std::lock_guard lock(mutex);
                if (done[i]) break;
            }
            // Stretch i is always within reach: taken by a converter already, or next to be taken.
            if (convertNext(own, false)) continue;
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return done[i] != 0; });
            break;
        }
        // A stretch that ends the run ends the others' work before its message waits for the user.
        if (stretches[i].outcome != Outcome::Finished || stretches[i].failure) end();
        if (!passOn(stretches[i], out)) return false;
        // Its records are in the file; its buffers serve a later stretch.
        Stretch emptied;
        emptied.records = std::move(stretches[i].records);
        emptied.records.clear();
        emptied.events = std::move(stretches[i].events);
        emptied.events.clear();
        stretches[i] = Stretch{};
        {
            const std::lock_guard lock(mutex);
            spare.push_back(std::move(emptied));
            passed = i + 1;
        }
        room.notify_all();
    }
    return true;
}

// What one stretch told, passed on to the caller as the serial run would have told it.
bool Run::passOn(Stretch& stretch, tables::PacketFileWriter& out)
{
    if (stretch.failure) std::rethrow_exception(stretch.failure);
    char digits[24];
    for (const Event& event : stretch.events) {
        const auto text = [&] { return std::string_view(stretch.texts[event.value]); };
        switch (event.kind) {
            case Event::Kind::StopCheck:
                if (stop_) {
                    summary_.outcome = Outcome::Stopped;
                    summary_.records += event.value;
                    return false;
                }
                break;
            case Event::Kind::LogLine:
                // The log keeps each line once anyway; asking it once per key spares the wait for the window.
                if (reported_.find(text()) == reported_.end()) {
                    reported_.emplace(text());
                    report_.notFound(text(), placeOfLine(inputs_, event.line));
                }
                break;
            case Event::Kind::LineWorked:
                ++summary_.planLines;
                report_.progress(int(summary_.planLines));
                label_.assign("Flights:");
                label_.append(digits, std::to_chars(digits, digits + sizeof digits, summary_.planLines).ptr);
                label_ += '/';
                label_.append(digits, std::to_chars(digits, digits + sizeof digits, totalLines_).ptr);
                report_.label(label_);
                break;
            case Event::Kind::Message:
                report_.message(warningCaption, text());
                break;
            case Event::Kind::PressButton:
                report_.pressButton();
                break;
            case Event::Kind::SkippedLine:
                summary_.skippedLines.push_back(event.line);
                report_.skippedLine(text());
                break;
            case Event::Kind::StoppedAt:
                report_.stoppedAt(text());
                break;
        }
    }
    summary_.records += stretch.recordCount;
    if (stretch.outcome != Outcome::Finished) {
        summary_.outcome = stretch.outcome;
        summary_.problem = stretch.problem;
        return false;
    }
    out.append(stretch.records, stretch.recordCount);
    return true;
}

void LineConverter::convert(Stretch& stretch, const std::vector<std::string_view>& lines)
{
    stretch_ = &stretch;
    reported_.clear();
    for (std::size_t i = stretch.first; i < stretch.end; ++i) {
        lineNumber_ = i + 1;
        if (stopped()) return;
        const std::size_t bytesBefore = stretch.records.size();
        const std::size_t recordsBefore = stretch.recordCount;
        if (!workLine(lines[i])) {
            if (stretch.outcome == Outcome::Stopped || !inputs_.skipBadLines) return;
            skipLine(bytesBefore, recordsBefore);
        }
    }
}

// The stop flag, read before each line and each leg; the run's thread reads it again at the same point.
bool LineConverter::stopped()
{
    stretch_->events.push_back({Event::Kind::StopCheck, lineNumber_, stretch_->recordCount});
    if (!shared_.stop) return false;
    stretch_->outcome = Outcome::Stopped;
    return true;
}

// The records the bad line had already added go again; the run goes on with the next line.
void LineConverter::skipLine(std::size_t bytesBefore, std::size_t recordsBefore)
{
    stretch_->records.resize(bytesBefore);
    stretch_->recordCount = recordsBefore;
    const std::string text = stretch_->outcome == Outcome::TimeError ? where() + stretch_->problem : stretch_->problem;
    stretch_->outcome = Outcome::Finished;
    stretch_->problem.clear();
    tell(Event::Kind::SkippedLine, text);
}

void Run::indexAircraft()
{
    aircraftRows_.reserve(aircraft_.rowCount());
    for (RowId row = 0; row < aircraft_.rowCount(); ++row)
        if (!aircraft_.isNull(row, tables::AircraftNumber))
            aircraftRows_.emplace(aircraft_.text(row, tables::AircraftNumber), row);  // the first row wins
}

std::optional<LineConverter::Aircraft> LineConverter::aircraftOf(std::string_view number) const
{
    const auto found = shared_.aircraftRows.find(number);
    if (found == shared_.aircraftRows.end()) return std::nullopt;
    // A record without an airline (the scan leaves it empty or null) tells nothing about the aircraft.
    const std::string_view airline = shared_.aircraft.text(found->second, tables::AircraftAirline);
    if (airline.empty()) return std::nullopt;
    return Aircraft{airline, shared_.aircraft.text(found->second, tables::AircraftModel)};
}

void LineConverter::reportMissing(std::string_view key)
{
    if (reported_.find(key) != reported_.end()) return;
    reported_.emplace(key);
    tell(Event::Kind::LogLine, std::string(key));
}

std::string_view LineConverter::airportName(std::string_view code)
{
    if (const auto entry = inputs_.airports.indexOfCode(code)) return inputs_.airports.description(*entry);
    reportMissing(code);
    return notFoundText;
}

std::string LineConverter::where() const
{
    return placeOfLine(inputs_, lineNumber_) + ": ";
}

bool LineConverter::badInput(const std::string& what)
{
    stretch_->outcome = Outcome::BadInput;
    stretch_->problem = what;
    if (!skippingBadLines()) {
        tell(Event::Kind::StoppedAt, what);
        tell(Event::Kind::Message, what);
    }
    return false;
}

bool LineConverter::workLine(std::string_view raw)
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

    tell(Event::Kind::LineWorked);

    // The schedule is a cycle: the first leg leaves from where the last one lands, and each
    // later leg from where the one before landed.
    std::string_view legList = plan->legList;
    std::string_view depCode = plan->homeAirport;
    while (const std::optional<Leg> leg = nextLeg(legList)) {
        if (stopped()) return false;
        if (!workLeg(*leg, depCode)) return false;
        depCode = leg->arrCode;
    }
    return true;
}

bool LineConverter::workLeg(const Leg& leg, std::string_view depCode)
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
            stretch_->outcome = Outcome::TimeError;
            stretch_->problem = "Found Error: " + platform::utf8FromWindows1252(time);
            if (skippingBadLines()) return false;
            tell(Event::Kind::StoppedAt, where() + stretch_->problem);
            tell(Event::Kind::Message, stretch_->problem);
            tell(Event::Kind::PressButton);
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
    if (shared_.utcOffsetHours != 0) {
        depSeconds = secondsOfDay(depTime);
        if (!depSeconds) return notATime(depTime);
        arrSeconds = secondsOfDay(arrTime);
        if (!arrSeconds) return notATime(arrTime);
        *depSeconds -= shared_.utcOffsetHours * 3600;
        *arrSeconds -= shared_.utcOffsetHours * 3600;
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

// The fields in the order of the flight table; only the expected time stays empty (null).
void LineConverter::addRecord(const LegValues& leg)
{
    std::string& out = stretch_->records;
    encoder_.begin(out);
    encoder_.text(out, tables::IcaoCodeDep, leg.depCode);
    encoder_.text(out, tables::DepApt, leg.depName);
    encoder_.text(out, tables::IcaoCodeArr, leg.arrCode);
    encoder_.text(out, tables::DestApt, leg.arrName);
    encoder_.text(out, tables::Airline, airline_);
    encoder_.text(out, tables::FlightNumber, leg.flight);
    encoder_.text(out, tables::TimeDep, leg.timeDep);
    encoder_.text(out, tables::TimeArr, leg.timeArr);
    encoder_.null(out, tables::TimeNew);  // the expected time is the user's to fill in
    encoder_.text(out, tables::SchedulingDep, leg.daysDep);
    encoder_.text(out, tables::SchedulingArr, leg.daysArr);
    encoder_.text(out, tables::Note, "ON TIME");
    encoder_.integer(out, *percent_);
    encoder_.text(out, tables::Model, model_);
    encoder_.boolean(out, leg.national);
    ++stretch_->recordCount;
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
