// qrvl-tool serve: the board as a web page for a spare screen, from the table files, without the
// program. It answers until it is interrupted; a hangup signal reads the files again, and the
// page then refreshes at once.

#include "convert/leg_rules.h"
#include "flags/flag_list.h"
#include "platform/error.h"
#include "platform/time_zone.h"
#include "serve/board_server.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/flight_table.h"
#include "tools/qrvl_tool_options.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tool;

constexpr const char* serveUsage =
    "usage: qrvl-tool serve --flights flight.cds --airports airport.cds [--flags DIR]\n"
    "                       [--zones FILE] [--listen ADDRESS:PORT] [--override-dst]\n"
    "\n"
    "Serves the airport board as a web page, departures and arrivals, until interrupted.\n"
    "  --flights FILE    the flight table (flight.cds)\n"
    "  --airports FILE   the airport table (airport.cds), for names and the airport search\n"
    "  --flags DIR       the flag folder with its list fmlist; default: the folder \"flag\"\n"
    "                    beside the flight table, when there is one\n"
    "  --zones FILE      the airports' time zones (airport-zones.csv); default: beside the\n"
    "                    flight table, else in the program folder\n"
    "  --listen ADDR     address and port to listen on; default: 127.0.0.1:8017. Port 0 takes\n"
    "                    a free port. Another address than 127.0.0.1 lets other computers in\n"
    "  --override-dst    for a table that does not record its UTC offset: take it as a\n"
    "                    conversion with Override DST would\n"
    "The address is printed on standard output. SIGHUP reads the files again.\n";

struct ServeFiles {
    std::string flights;
    std::string airports;
    std::string flags;
    bool flagsGiven = false;
    std::string zones;
    bool overrideDst = false;
};

serve::BoardData readFiles(const ServeFiles& files)
{
    auto flights = std::make_shared<const tables::LoadedFlights>(tables::loadFlights(files.flights, 0));
    tables::AirportLookup airports;
    airports.load(files.airports);
    tables::AirportZones zones;
    const std::filesystem::path zonesPath = zonesFile(files.zones, files.flights);
    if (!files.zones.empty() || std::filesystem::exists(zonesPath))
        zones.load(zonesPath);
    else
        std::cerr << "qrvl-tool serve: " << zonesPath.string()
                  << " not found; airport time falls back to computer time\n";
    flags::FlagList flagList;
    const std::filesystem::path flagFolder =
        files.flagsGiven ? std::filesystem::path(files.flags)
                         : std::filesystem::path(files.flights).parent_path() / flags::flagFolderName;
    if (files.flagsGiven || std::filesystem::exists(flags::flagListFile(flagFolder)))
        flagList.load(flags::flagListFile(flagFolder));
    const int assumed = convert::utcOffsetHours(platform::localTimeZone(), files.overrideDst);
    return serve::makeBoardData(std::move(flights), airports, zones, flagList, flagFolder, assumed);
}

struct ServeOptions {
    ServeFiles files;
    std::pair<std::string, int> address;
};

ServeOptions serveOptions(const std::vector<std::string>& args)
{
    ServeOptions options;
    ServeFiles& files = options.files;
    std::string listen = std::string(serve::defaultHost) + ":" + std::to_string(serve::defaultPort);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (a == "--flights") {
            files.flights = value();
        } else if (a == "--airports") {
            files.airports = value();
        } else if (a == "--flags") {
            files.flags = value();
            files.flagsGiven = true;
        } else if (a == "--zones") {
            files.zones = value();
        } else if (a == "--listen") {
            listen = value();
        } else if (a == "--override-dst") {
            files.overrideDst = true;
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (files.flights.empty()) throw UsageError{"serve needs --flights FILE"};
    if (files.airports.empty()) throw UsageError{"serve needs --airports FILE"};
    const auto address = serve::parseListenAddress(listen);
    if (!address) throw UsageError{"--listen takes ADDRESS:PORT, not \"" + listen + "\""};
    options.address = *address;
    return options;
}

}  // namespace

int tool::serveCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << serveUsage;
        return 0;
    }
    ServeOptions parsed = serveOptions(args);
    const ServeFiles& files = parsed.files;
    const auto& address = parsed.address;

    serve::SnapshotStore store;
    store.publish(readFiles(files));

    // The signals are taken by this thread alone: the server's threads start with them blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const SystemClock clock;
    serve::ServerOptions options;
    options.host = address.first;
    options.port = address.second;
    serve::BoardServer server(store, clock, options);
    server.start();
    std::cout << "Serving the board at " << server.url() << std::endl;
    for (;;) {
        int signal = 0;
        sigwait(&signals, &signal);
        if (signal != SIGHUP) break;
        try {
            store.publish(readFiles(files));
            std::cerr << "qrvl-tool serve: the files were read again\n";
        } catch (const std::exception& e) {
            // The board keeps the tables it had; the page goes on showing them.
            std::cerr << "qrvl-tool serve: " << e.what() << "; the tables read before are still served\n";
        }
    }
    server.stop();
    return 0;
}
