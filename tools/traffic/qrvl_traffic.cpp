// qrvl-traffic: writes made-up simulator traffic of a chosen size: flightplans.txt, aircraft.txt
// and a simulator aircraft folder (sim/Aircraft/...), the same files for the same seed.

#include "tools/traffic/traffic_generator.h"

#include <charconv>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* usage =
    "usage: qrvl-traffic --airports AIRPORTS.csv --out FOLDER [--seed N] [--records N]\n"
    "\n"
    "Writes FOLDER/flightplans.txt, FOLDER/aircraft.txt and FOLDER/sim/Aircraft/*/aircraft.cfg.\n"
    "  --airports FILE   the airport list the traffic flies between (data/airports.csv)\n"
    "  --out FOLDER      where the files go; made when missing\n"
    "  --seed N          the draw; the same seed gives the same files (default 1)\n"
    "  --records N       flight records the conversion will make of the plans (default 1000000)\n";

bool number(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc{} && stop == end && stop != text;
}

}  // namespace

int main(int argc, char** argv)
{
    quorvel::traffic::TrafficOptions options;
    std::string airports, out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::cout << usage;
            return 0;
        } else if (arg == "--airports" && hasValue) {
            airports = argv[++i];
        } else if (arg == "--out" && hasValue) {
            out = argv[++i];
        } else if (arg == "--seed" && hasValue && number(argv[i + 1], options.seed)) {
            ++i;
        } else if (arg == "--records" && hasValue && number(argv[i + 1], options.records)) {
            ++i;
        } else {
            std::cerr << "qrvl-traffic: " << arg << " is not understood here\n" << usage;
            return 2;
        }
    }
    if (airports.empty() || out.empty()) {
        std::cerr << usage;
        return 2;
    }
    try {
        const auto traffic = quorvel::traffic::makeTraffic(options, quorvel::traffic::readAirportCodes(airports));
        quorvel::traffic::writeTraffic(traffic, out);
        std::cout << traffic.planLines << " plan lines, " << traffic.legs << " legs, " << traffic.records
                  << " flight records, " << traffic.aircraftConfigs.size() << " aircraft folders in " << out << '\n';
    } catch (const std::exception& e) {
        std::cerr << "qrvl-traffic: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
