// tests/fuzz/plan_convert.cpp: the conversion run over a flight plan file that is the input, in a
// program folder with a small aircraft table and airport lookup. A run never throws; one that
// finishes leaves a flight table holding exactly the records it says it built.
#include "convert/conversion_run.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/silent_report.h"

#include <unistd.h>

using namespace quorvel;

namespace {

using NoReport = test::SilentReport;

// One program folder for the whole run, in memory where the system offers it, so saving the
// flight table costs no disk writes.
struct ProgramFolder {
    std::filesystem::path path;
    tables::AirportLookup airports;

    ProgramFolder()
    {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        path = base / ("qrvl-fuzz-convert-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);

        tables::Table aircraft = tables::newAircraftTable();
        for (const auto& [number, airline, model] :
             {std::tuple{"AC#1", "ALPINA AIR", "B737"}, {"AC#2", "", "A320"}, {"ac#1", "LOWER CASE", "B777"}}) {
            const tables::RowId row = aircraft.appendRow();
            aircraft.setText(row, tables::AircraftNumber, number);
            aircraft.setText(row, tables::AircraftTitle, "Title");
            aircraft.setText(row, tables::AircraftAirline, airline);
            aircraft.setText(row, tables::AircraftModel, model);
        }
        tables::writeAircraftFile(aircraft, path / tables::aircraftFileName);

        tables::Table airportTable = tables::newAirportTable();
        for (const auto& [code, name] : {std::pair{"LIRF", "ROME FIUMICINO"},
                                         {"LIMC", "MILAN MALPENSA"},
                                         {"EGLL", "LONDON HEATHROW"},
                                         {"EDDF", "FRANKFURT MAIN"},
                                         {"KJFK", "NEW YORK JFK"}}) {
            const tables::RowId row = airportTable.appendRow();
            airportTable.setText(row, tables::AirportCode, code);
            airportTable.setText(row, tables::AirportDescription, name);
        }
        airports.assign(airportTable);
    }
    ~ProgramFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ProgramFolder program;
    const std::filesystem::path flightFile = program.path / tables::flightFileName;
    tables::createEmptyFlightFile(flightFile);

    // The offset changes which time rules apply: none at 0, the shift to local time otherwise.
    constexpr int offsets[] = {0, 1, -5};
    const convert::ConvertInputs inputs{
        .flightPlanFile = fuzz::memoryFile(fuzz::bytesOf(data, size)),
        .flightTableFile = flightFile,
        .aircraftTableFile = program.path / tables::aircraftFileName,
        .airports = program.airports,
        .overrideDst = false,
        .zone = {},
        .utcOffsetHours = offsets[size % 3],
    };
    NoReport report;
    const std::atomic<bool> stop{false};
    const convert::Summary summary = convert::convert(inputs, report, stop);
    if (summary.outcome == convert::Outcome::Finished)
        QRVL_FUZZ_CHECK(tables::readFlightFile(flightFile).rowCount() == summary.records);
    else
        QRVL_FUZZ_CHECK(!summary.problem.empty() && tables::readFlightFile(flightFile).rowCount() == 0);
    return 0;
}
