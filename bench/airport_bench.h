// bench/airport_bench.h: the airport list at its shipped size (about 19,000 rows): the start-up
// load of the lookup copy and of the airports' zones, opening the Airport Manager, sorting it
// by either column, and typing a search into the airport box. Each figure has a 50 ms budget.
#pragma once

#include <filesystem>

namespace quorvel::bench {

// Runs the figures over `airportTable` ("airport.cds") and `zonesFile` ("airport-zones.csv"),
// prints their table and "budgets: M of N met". Returns 1 when a budget is missed (never when
// `smoke`, which runs each figure once).
int runAirportBenchmarks(const std::filesystem::path& airportTable, const std::filesystem::path& zonesFile, bool smoke);

}  // namespace quorvel::bench
