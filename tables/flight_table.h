// tables/flight_table.h: the converted timetable, one row per flight leg, kept in "flight.cds".
// Fields are addressed by the FlightField numbers below; a file whose fields differ is not a
// flight table and is refused on load rather than read into the wrong columns.
#pragma once

#include "tables/group_index.h"
#include "tables/table.h"

#include <cstdint>
#include <filesystem>

namespace quorvel::tables {

enum FlightField : int {
    IcaoCodeDep,
    DepApt,
    IcaoCodeArr,
    DestApt,
    Airline,
    FlightNumber,
    TimeDep,
    TimeArr,
    TimeNew,
    SchedulingDep,
    SchedulingArr,
    Note,
    TPercent,
    Model,
    National,
};

inline constexpr const char* flightFileName = "flight.cds";

// The packet property in which the conversion records the whole hours it subtracted from the
// plan's Greenwich times: Greenwich time = stored time + that many hours, wrapped into the day,
// on the stored day digits. Tables converted before it was recorded lack it.
inline constexpr const char* utcOffsetPropertyName = "UTC_OFFSET_HOURS";

const Schema& flightSchema();  // the fifteen fields and the two time indexes
Table newFlightTable();        // empty, with the flight schema

// Replaces `file` by a table with the schema and no rows. Throws quorvel::Error.
void createEmptyFlightFile(const std::filesystem::path& file);
// Reads `file` and checks that it holds the flight table's fields. Throws quorvel::Error.
Table readFlightFile(const std::filesystem::path& file);

// Bytes one flight record is reckoned at for the free-memory estimate: the sum of the field
// sizes (each text at its full width with its length byte, 2 for the integer, 1 for the flag).
// The table really keeps a row in less, so the estimate errs on the safe side.
std::uint64_t flightRecordSize();

// The board's flight table as the load command leaves it.
struct LoadedFlights {
    Table table = newFlightTable();
    View timeOrder;         // every row, ordered by TIME_DEP
    GroupIndex departures;  // rows by ICAO_CODE_DEP, each airport's in TIME_DEP order
    GroupIndex arrivals;    // rows by ICAO_CODE_ARR, each airport's in TIME_ARR order
    std::uint64_t totalFlights = 0;
    std::uint64_t availableFlights = 0;  // further legs that would fit into the free memory
};

// The load command: read "flight.cds", then index it as below. Throws quorvel::Error.
LoadedFlights loadFlights(const std::filesystem::path& file, std::uint64_t availableMemoryBytes);
// What the load command does with the rows once read: order by TIME_DEP, index the airports,
// count. `table` must have the flight table's fields (readFlightFile or newFlightTable).
LoadedFlights indexFlights(Table table, std::uint64_t availableMemoryBytes);

}  // namespace quorvel::tables
