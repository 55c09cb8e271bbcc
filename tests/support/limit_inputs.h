// tests/support/limit_inputs.h: inputs far larger or stranger than any real one, for the
// program's stated limits. The slow tests check what the program makes of them and how much
// memory that takes; bench/ times them.
#pragma once

#include "aircraft/aircraft_scan.h"
#include "convert/conversion_run.h"
#include "tables/airport_table.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_program.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvel::test {

inline constexpr std::uint64_t megabyte = 1 << 20;

// One flight plan line of 1 MB for the aircraft "AC#1": some 38,000 legs of 27 bytes.
struct LongPlanLine {
    std::string text;
    std::size_t legs = 0;
};
LongPlanLine planLineOfOneMegabyte();

// 1,000,000 lines "AC#1 LIRF" without a comma, so that none is a flight plan.
std::string linesWithoutAComma();

// A folder with an aircraft table of the one aircraft "AC#1" and an empty flight table, to
// convert flight plans in, one after the other.
class ConversionFolder {
public:
    ConversionFolder();
    convert::Summary convert(const std::string& planBytes);  // a report that shows nothing
    std::filesystem::path flightFile() const;

    TempFolder folder;
    tables::AirportLookup airports;
};

// An "aircraft.cfg" of 50 MB in the test program's aircraft folder "Big": `variations` liveries
// "Boeing 737-800 Livery N", then effects lines up to the size. The AI aircraft list names the
// last livery as "AC#1". Returns the inputs of a scan that reads it.
aircraft::ScanInputs bigAircraftCfg(const TestProgram& program, int variations);

// Scans with a report that shows nothing.
aircraft::ScanOutcome scanQuietly(const aircraft::ScanInputs& inputs);

// A program file of 64-bit ELF whose `sections` section headers all point their names into an
// 8 MB name table that never ends a name; the count and the name table's index are in section 0.
std::string elfWithEndlessNameTable(std::uint64_t sections);

// A profile file of `count` sections "[fltsim.N]" after a "[General]" one, each with the title
// "Aircraft N" and "atc_airline=X".
std::string profileOfManySections(int count);

}  // namespace quorvel::test
