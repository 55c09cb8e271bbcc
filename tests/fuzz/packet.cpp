// tests/fuzz/packet.cpp: the table file reader, alone and as the three tables read their files.
// Whatever the reader accepts, the writer writes again, and that reads back to the same bytes.
#include "tables/packet.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tests/fuzz/fuzz_check.h"

#include <string>

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    std::string written;
    try {
        written = tables::packetBytes(tables::readPacket(bytes, "fuzz.cds"));
    } catch (const Error&) {
        return 0;
    }
    QRVL_FUZZ_CHECK(tables::packetBytes(tables::readPacket(written, "written.cds")) == written);

    const std::filesystem::path file = fuzz::memoryFile(bytes);
    try {
        tables::AirportLookup lookup;
        lookup.load(file);
        for (std::size_t i = 0; i < lookup.size(); ++i)
            QRVL_FUZZ_CHECK(lookup.indexOfCode(lookup.code(i)) || lookup.code(i).empty());
    } catch (const Error&) {
    }
    try {
        tables::readAircraftFile(file);
    } catch (const Error&) {
    }
    try {
        const tables::LoadedFlights flights = tables::loadFlights(file, 1 << 20);
        QRVL_FUZZ_CHECK(flights.timeOrder.size() == flights.table.rowCount());
    } catch (const Error&) {
    }
    return 0;
}
