// tables/aircraft_table.h: what each aircraft number of the AI aircraft list flies as, kept in
// "aircraft.cds": its title, airline and model. The aircraft scan rebuilds it from scratch; the
// conversion only reads it.
#pragma once

#include "tables/table.h"

#include <filesystem>

namespace quorvel::tables {

enum AircraftField : int { AircraftNumber, AircraftTitle, AircraftAirline, AircraftModel };

inline constexpr const char* aircraftFileName = "aircraft.cds";
inline constexpr const char* notUsedMarker = "<nu>";   // a simulator variation no list line has taken
inline constexpr const char* notFoundMarker = "<nf>";  // a list line whose title matches no variation

const Schema& aircraftSchema();  // ACN 8, TITLE 48, AIRLINE 30, MODEL 5; index "ACN" on ACN
Table newAircraftTable();

// Reads `file` and checks that it holds the aircraft table's fields. Throws quorvel::Error.
Table readAircraftFile(const std::filesystem::path& file);
void writeAircraftFile(const Table& table, const std::filesystem::path& file);  // atomic; throws quorvel::Error

}  // namespace quorvel::tables
