// qrvl-tool convert: Convert > "FlightPlan" outside the window, over the same run the program's
// worker does. The log lines go to standard output, the run's warnings to standard error.

#include "convert/conversion_log.h"
#include "convert/conversion_run.h"
#include "platform/time_zone.h"
#include "platform/windows1252.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tools/qrvl_tool_options.h"

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tool;

constexpr const char* convertUsage =
    "usage: qrvl-tool convert --flightplans FILE --aircraft-table aircraft.cds --airports airport.cds\n"
    "                         --out flight.cds [--utc-offset-hours N] [--override-dst]\n"
    "                         [--skip-bad-lines]\n"
    "\n"
    "Converts a flight plan file into the flight table, as Convert > FlightPlan does, and writes\n"
    "the log lines (\"KEY not found (FILE, line N)\") to standard output, each key once, with the\n"
    "line where it is first used.\n"
    "  --flightplans FILE      the simulator's flight plan file (flightplans.txt)\n"
    "  --aircraft-table FILE   the aircraft table (aircraft.cds)\n"
    "  --airports FILE         the airport table (airport.cds)\n"
    "  --out FILE              the flight table to write (flight.cds)\n"
    "  --utc-offset-hours N    hours subtracted from the plan's Greenwich times; default: from\n"
    "                          this machine's time zone, as the program does\n"
    "  --override-dst          invert the time zone's daylight saving (without --utc-offset-hours)\n"
    "  --skip-bad-lines        leave out the lines with a bad time or number, list them on\n"
    "                          standard output (\"FILE, line N skipped: ...\") and convert the rest\n"
    "A time that is no time, a malformed number, a missing flight plan file or aircraft table\n"
    "exits with status 1, the message on standard error and FILE holding an empty table.\n";

// The tool has no window: the log prints each new line, warnings go to standard error.
class ConsoleReport final : public convert::ConversionReport {
public:
    void progressRange(int, int) override {}
    void progress(int) override {}
    void label(std::string_view) override {}
    void logLine(std::string_view key) override { notFound(key, {}); }
    void notFound(std::string_view key, std::string_view place) override
    {
        if (!log_.add(key)) return;
        std::cout << platform::utf8FromWindows1252(convert::ConversionLog::lineFor(key));
        if (!place.empty()) std::cout << " (" << place << ')';
        std::cout << '\n';
    }
    void message(std::string_view caption, std::string_view text) override
    {
        // The message of the line the run stopped on names that line here.
        std::cerr << "qrvl-tool convert: " << caption << ": " << (stoppedAt_.empty() ? text : stoppedAt_) << '\n';
    }
    void buttonCaption(std::string_view) override {}
    void pressButton() override {}
    void skippedLine(std::string_view text) override
    {
        std::cout << convert::ConversionLog::skippedLineText(text) << '\n';
    }
    void stoppedAt(std::string_view text) override { stoppedAt_ = text; }

private:
    convert::ConversionLog log_;
    std::string stoppedAt_;
};

struct Options {
    std::string flightPlans, aircraftTable, airports, out;
    std::optional<int> utcOffsetHours;
    bool overrideDst = false;
    bool skipBadLines = false;
};

Options convertOptions(const std::vector<std::string>& args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (a == "--flightplans") {
            options.flightPlans = value();
        } else if (a == "--aircraft-table") {
            options.aircraftTable = value();
        } else if (a == "--airports") {
            options.airports = value();
        } else if (a == "--out") {
            options.out = value();
        } else if (a == "--utc-offset-hours") {
            options.utcOffsetHours = utcOffsetHoursOption(value());
        } else if (a == "--override-dst") {
            options.overrideDst = true;
        } else if (a == "--skip-bad-lines") {
            options.skipBadLines = true;
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (options.flightPlans.empty()) throw UsageError{"convert needs --flightplans FILE"};
    if (options.aircraftTable.empty()) throw UsageError{"convert needs --aircraft-table FILE"};
    if (options.airports.empty()) throw UsageError{"convert needs --airports FILE"};
    if (options.out.empty()) throw UsageError{"convert needs --out FILE"};
    return options;
}

}  // namespace

int tool::convertCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << convertUsage;
        return 0;
    }
    Options options = convertOptions(args);

    // The airport table first: without it the program would not have started, and the output stays as it was.
    tables::AirportLookup airports;
    airports.load(options.airports);
    tables::createEmptyFlightFile(options.out);

    const convert::ConvertInputs inputs{
        .flightPlanFile = options.flightPlans,
        .flightTableFile = options.out,
        .aircraftTableFile = options.aircraftTable,
        .airports = airports,
        .overrideDst = options.overrideDst,
        .zone = platform::localTimeZone(),
        .utcOffsetHours = options.utcOffsetHours,
        .skipBadLines = options.skipBadLines,
    };
    ConsoleReport report;
    const std::atomic<bool> stop{false};
    const convert::Summary summary = convert::convert(inputs, report, stop);
    std::cout.flush();
    return summary.outcome == convert::Outcome::Finished && !summary.planFileMissing ? 0 : 1;
}
