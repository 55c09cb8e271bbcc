// qrvl-tool check: every problem of the traffic files at once, before a conversion replaces
// the flight table. The check reads the files as the conversion does (convert/traffic_check.h).

#include "aircraft/aircraft_scan.h"
#include "convert/conversion_run.h"
#include "convert/leg_rules.h"
#include "convert/traffic_check.h"
#include "convert/traffic_check_report.h"
#include "platform/atomic_file.h"
#include "platform/time_zone.h"
#include "tables/airport_table.h"
#include "tools/qrvl_tool_options.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tool;
using convert::CheckResult;
using convert::Problem;

constexpr const char* checkUsage =
    "usage: qrvl-tool check --flightplans FILE --aircraft-list FILE --airports airport.cds\n"
    "                       [--aircraft-table aircraft.cds] [--sim-folder DIR] [--format text|csv|html]\n"
    "                       [--out FILE]\n"
    "                       [--utc-offset-hours N] [--override-dst]\n"
    "\n"
    "Reads the flight plan file as Convert > FlightPlan does and lists every problem at once, each\n"
    "with its file, line, field, severity (error, warning, note), kind, the text and what the\n"
    "conversion does with it. An error ends a conversion without saving anything.\n"
    "  --flightplans FILE      the simulator's flight plan file (flightplans.txt)\n"
    "  --aircraft-list FILE    the AI aircraft list (aircraft.txt)\n"
    "  --airports FILE         the airport table (airport.cds)\n"
    "  --aircraft-table FILE   the aircraft table (aircraft.cds), to check numbers and airlines\n"
    "  --sim-folder DIR        the simulator's folder, to check the list's titles against the\n"
    "                          aircraft.cfg titles of its \"aircraft\" sub-folders\n"
    "  --format F              text (default, with a summary), csv (RFC 4180) or html (a page)\n"
    "  --out FILE              write there instead of standard output\n"
    "  --utc-offset-hours N    as for convert: a daily time is read whole only when shifted\n"
    "  --override-dst          as for convert\n"
    "Exits with 0 when there is no error, 1 when there is one, 2 on bad usage or unreadable input.\n";

enum class Format { Text, Csv, Html };

struct Options {
    std::string flightPlans, aircraftList, airports, aircraftTable, simFolder, out;
    Format format = Format::Text;
    std::optional<int> utcOffsetHours;
    bool overrideDst = false;
};

Options checkOptions(const std::vector<std::string>& args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (a == "--flightplans") {
            options.flightPlans = value();
        } else if (a == "--aircraft-list") {
            options.aircraftList = value();
        } else if (a == "--airports") {
            options.airports = value();
        } else if (a == "--aircraft-table") {
            options.aircraftTable = value();
        } else if (a == "--sim-folder") {
            options.simFolder = value();
        } else if (a == "--out") {
            options.out = value();
        } else if (a == "--format") {
            const std::string& format = value();
            if (format == "text")
                options.format = Format::Text;
            else if (format == "csv")
                options.format = Format::Csv;
            else if (format == "html")
                options.format = Format::Html;
            else
                throw UsageError{"--format takes text, csv or html, not \"" + format + "\""};
        } else if (a == "--utc-offset-hours") {
            options.utcOffsetHours = utcOffsetHoursOption(value());
        } else if (a == "--override-dst") {
            options.overrideDst = true;
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (options.flightPlans.empty()) throw UsageError{"check needs --flightplans FILE"};
    if (options.aircraftList.empty()) throw UsageError{"check needs --aircraft-list FILE"};
    if (options.airports.empty()) throw UsageError{"check needs --airports FILE"};
    if (!options.simFolder.empty() && !aircraft::hostSimulator(options.simFolder))
        throw UsageError{"--sim-folder " + options.simFolder + " is not a folder"};
    return options;
}

}  // namespace

int tool::checkCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << checkUsage;
        return 0;
    }
    Options options = checkOptions(args);

    CheckResult result;
    try {
        tables::AirportLookup airports;
        airports.load(options.airports);
        convert::CheckInputs inputs{
            .flightPlanFile = options.flightPlans,
            .aircraftListFile = options.aircraftList,
            .airports = airports,
            .aircraftTableFile = options.aircraftTable.empty()
                                     ? std::nullopt
                                     : std::optional<std::filesystem::path>(options.aircraftTable),
            .utcOffsetHours = options.utcOffsetHours
                                  ? *options.utcOffsetHours
                                  : convert::utcOffsetHours(platform::localTimeZone(), options.overrideDst),
            .installedTitles = {},
        };
        if (!options.simFolder.empty())
            inputs.installedTitles = [&options] {
                const aircraft::HostSimulator host = *aircraft::hostSimulator(options.simFolder);
                aircraft::ScanInputs scan;
                scan.simulatorFolder = host.simulatorFolder;
                scan.aircraftFolders = host.aircraftFolders;
                return aircraft::installedTitles(scan);
            };
        result = convert::checkTraffic(inputs);
    } catch (const std::exception& e) {
        std::cerr << "qrvl-tool check: " << e.what() << '\n';
        return 2;
    }

    const std::string report = options.format == Format::Csv ? convert::checkCsvReport(result)
                               : options.format == Format::Html
                                   ? convert::checkHtmlReport(result, {options.flightPlans, options.aircraftList})
                                   : convert::checkTextReport(result);
    if (options.out.empty()) {
        std::cout << report;
        std::cout.flush();
    } else {
        try {
            platform::writeFileAtomically(options.out, report);
        } catch (const std::exception& e) {
            std::cerr << "qrvl-tool check: " << e.what() << '\n';
            return 2;
        }
    }
    return convert::hasErrors(result) ? 1 : 0;
}
