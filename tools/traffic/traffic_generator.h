// tools/traffic/traffic_generator.h: large, realistic simulator traffic made up from a seed, for
// the benchmarks and for trying the program on a busy sky.
//
// Airlines sit at hub airports and send their aircraft out and back to spokes. Hubs, spokes and
// the size of each airline are drawn with a skewed popularity from the airport list, so a few
// airports are very busy and most see a handful of flights a day, as real traffic does. Plans
// mix weekly schedules with daily ones that repeat every 24, 12 or 8 hours.
//
// The same seed and options give the same files byte for byte on any machine: every draw comes
// from std::mt19937_64, whose output the standard fixes, and never from a library distribution.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::traffic {

struct TrafficOptions {
    std::uint64_t seed = 1;
    // Flight records the conversion makes of the plans (a leg of a daily plan repeated every
    // 12 hours makes two); the last plan line is cut so that the count is reached exactly.
    std::uint64_t records = 1'000'000;
};

struct AircraftConfig {
    std::string folder;  // the sub-folder of the simulator's aircraft folder
    std::string text;    // its aircraft.cfg
};

struct Traffic {
    std::string flightPlans;   // flightplans.txt, CR LF line ends
    std::string aircraftList;  // aircraft.txt
    std::vector<AircraftConfig> aircraftConfigs;
    std::size_t planLines = 0;  // lines that are flight plans (the file also has comments)
    std::size_t legs = 0;
    std::uint64_t records = 0;  // what the conversion will make: equals options.records
};

// `airportCodes`: the codes the traffic flies between, as the airport list holds them; at least
// 50. A few codes of the plans are deliberately missing from the list, and a few aircraft
// numbers from the aircraft list, so the conversion's "<not found>" path is part of the run.
Traffic makeTraffic(const TrafficOptions& options, const std::vector<std::string>& airportCodes);

// The ICAO codes of an airport list "ICAO_CODE,DESCRIPTION" (data/airports.csv). Throws quorvel::Error.
std::vector<std::string> readAirportCodes(const std::filesystem::path& csvFile);

// Writes flightplans.txt, aircraft.txt and sim/Aircraft/<folder>/aircraft.cfg under `folder`.
// Throws quorvel::Error naming the file that could not be written.
void writeTraffic(const Traffic& traffic, const std::filesystem::path& folder);

}  // namespace quorvel::traffic
