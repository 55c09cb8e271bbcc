// qrvl-tool: the timetable outside the window, for spreadsheets, web pages and scripts.
// It uses the same core code as the program: what `board` prints is what the board shows.

#include "board/board_query.h"
#include "board/board_time.h"
#include "platform/error.h"
#include "platform/local_time.h"
#include "tables/csv.h"
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tools/qrvl_tool_options.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tool;

constexpr const char* usage =
    "usage: qrvl-tool COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  dump FILE.cds     write a table file as CSV to standard output\n"
    "  board ...         write the rows the airport board shows as CSV\n"
    "  scan ...          build the aircraft table from the simulator's aircraft and the AI list\n"
    "  convert ...       convert the flight plan file into the flight table\n"
    "  check ...         list every problem of the traffic files before converting them\n"
    "  serve ...         serve the board as a web page for a browser\n"
    "\n"
    "Run 'qrvl-tool COMMAND --help' for the options of a command, 'qrvl-tool --version' for the version.\n";

constexpr const char* dumpUsage =
    "usage: qrvl-tool dump FILE.cds\n"
    "\n"
    "Writes every row of a table file, in stored order, as CSV (RFC 4180): a header line of\n"
    "the field names, then one line per row. A null value is an empty field, an empty text\n"
    "is \"\", truth values are True/False; text is written as UTF-8.\n";

constexpr const char* boardUsage =
    "usage: qrvl-tool board --flights flight.cds --airport CODE [--arrival]\n"
    "                       [--at \"YYYY-MM-DD HH:MM\"] [--cut15] [--international]\n"
    "                       [--traffic N] [--explain]\n"
    "                       [--zone computer|airport|utc] [--window HOURS] [--zones FILE]\n"
    "                       [--override-dst]\n"
    "\n"
    "Writes the rows the airport board shows, in board order, as CSV.\n"
    "  --flights FILE    the flight table (flight.cds)\n"
    "  --airport CODE    ICAO code of the airport (letter case ignored)\n"
    "  --arrival         arrivals instead of departures\n"
    "  --at MOMENT       reference moment in local time; default: now\n"
    "  --cut15           only legs from 15 minutes before the moment on\n"
    "  --international   international legs instead of national ones\n"
    "  --traffic N       traffic percent bound; default: 100\n"
    "  --explain         print the filter expression and the sort order instead of rows\n"
    "  --zone ZONE       the time the board is shown in: computer (default, the stored times),\n"
    "                    airport (the airport's time zone) or utc; --at is read in it\n"
    "  --window HOURS    the next 1 to 24 hours from the moment, across midnight, instead of\n"
    "                    the moment's day\n"
    "  --zones FILE      the airports' time zones (airport-zones.csv); default: beside the\n"
    "                    flight table, else in the program folder\n"
    "  --override-dst    for a table that does not record its UTC offset: take it as a\n"
    "                    conversion with Override DST would\n"
    "With --zone airport or utc, or --window, each row starts with DAY (YYYY-MM-DD) and TIME\n"
    "(HH:MM in the chosen zone), and --explain prints the zone, its offset and the interval.\n";

int dumpCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << dumpUsage;
        return 0;
    }
    if (args.size() != 1 || args[0].starts_with("--")) throw UsageError{"dump takes one table file"};
    const tables::Table table = tables::readPacketFile(args[0]);
    tables::writeCsv(std::cout, table, table.allRows());
    return 0;
}

int boardCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << boardUsage;
        return 0;
    }
    board::BoardInputs inputs;
    std::string flightsFile;
    bool explain = false;
    bool hasMoment = false;
    board::TimeInputs time;
    std::string zonesFile;
    bool overrideDst = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (a == "--flights") {
            flightsFile = value();
        } else if (a == "--airport") {
            inputs.airport = value();
        } else if (a == "--arrival") {
            inputs.direction = board::Direction::Arrival;
        } else if (a == "--at") {
            const std::string& text = value();
            const auto moment = parseLocalDateTime(text);
            if (!moment) throw UsageError{"--at takes \"YYYY-MM-DD HH:MM\", not \"" + text + "\""};
            inputs.moment = *moment;
            hasMoment = true;
        } else if (a == "--cut15") {
            inputs.cut15 = true;
        } else if (a == "--international") {
            inputs.national = false;
        } else if (a == "--traffic") {
            inputs.trafficPercent = value();
            if (!board::trafficPercentValue(inputs.trafficPercent))
                throw UsageError{"--traffic takes a whole number, not \"" + inputs.trafficPercent + "\""};
        } else if (a == "--explain") {
            explain = true;
        } else if (a == "--zone") {
            const std::string& zone = value();
            if (zone == "computer")
                time.mode = board::TimeMode::Computer;
            else if (zone == "airport")
                time.mode = board::TimeMode::Airport;
            else if (zone == "utc")
                time.mode = board::TimeMode::Utc;
            else
                throw UsageError{"--zone takes computer, airport or utc, not \"" + zone + "\""};
        } else if (a == "--window") {
            const std::string& hours = value();
            const auto number = board::trafficPercentValue(hours);
            if (!number || *number < 1 || *number > board::maxWindowHours)
                throw UsageError{"--window takes a whole number of hours from 1 to 24, not \"" + hours + "\""};
            time.windowHours = *number;
        } else if (a == "--zones") {
            zonesFile = value();
        } else if (a == "--override-dst") {
            overrideDst = true;
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (!hasMoment) inputs.moment = SystemClock().now();
    if (board::usesInstances(time)) {
        if (!explain && flightsFile.empty()) throw UsageError{"board needs --flights FILE"};
        if (!explain && inputs.airport.empty()) throw UsageError{"board needs --airport CODE"};
        return tool::timedBoardCommand(inputs, time, hasMoment, flightsFile, zonesFile, overrideDst, explain);
    }
    const board::BoardQuery query = board::buildQuery(inputs);
    if (explain) {
        std::cout << query.filterText << '\n' << query.sortText << '\n';
        return 0;
    }
    if (flightsFile.empty()) throw UsageError{"board needs --flights FILE"};
    if (inputs.airport.empty()) throw UsageError{"board needs --airport CODE"};
    // Loaded and selected as the window does; the tool shows no free-memory panel, so it asks for none.
    const tables::LoadedFlights flights = tables::loadFlights(flightsFile, 0);
    tables::writeCsv(std::cout, flights.table, board::select(flights, query));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty() || all[0] == "--help" || all[0] == "-h") {
        (all.empty() ? std::cerr : std::cout) << usage;
        return all.empty() ? 2 : 0;
    }
    if (all[0] == "--version") {
        std::cout << "qrvl-tool " << QRVL_VERSION << '\n';
        return 0;
    }
    const std::vector<std::string> args(all.begin() + 1, all.end());
    try {
        if (all[0] == "dump") return dumpCommand(args);
        if (all[0] == "board") return boardCommand(args);
        if (all[0] == "scan") return scanCommand(args);
        if (all[0] == "convert") return convertCommand(args);
        if (all[0] == "check") return checkCommand(args);
        if (all[0] == "serve") return serveCommand(args);
        std::cerr << "qrvl-tool: unknown command " << all[0] << " (see qrvl-tool --help)\n";
        return 2;
    } catch (const UsageError& e) {
        std::cerr << "qrvl-tool " << all[0] << ": " << e.text << " (see qrvl-tool " << all[0] << " --help)\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "qrvl-tool: " << e.what() << '\n';
        return 1;
    }
}
