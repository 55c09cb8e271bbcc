#include "tables/flight_table.h"

#include "platform/error.h"
#include "tables/packet.h"

#include <future>
#include <utility>

namespace quorvel::tables {

const Schema& flightSchema()
{
    static const Schema schema{
        {
            {"ICAO_CODE_DEP", FieldType::Text, 4},
            {"DEP_APT", FieldType::Text, 30},
            {"ICAO_CODE_ARR", FieldType::Text, 4},
            {"DEST_APT", FieldType::Text, 30},
            {"AIRLINE", FieldType::Text, 15},
            {"FLIGHT", FieldType::Text, 7},
            {"TIME_DEP", FieldType::Text, 5},
            {"TIME_ARR", FieldType::Text, 5},
            {"TIME_NEW", FieldType::Text, 5},
            {"SCHEDULING_DEP", FieldType::Text, 7},
            {"SCHEDULING_ARR", FieldType::Text, 7},
            {"NOTE", FieldType::Text, 15},
            {"TPERCENT", FieldType::Int16, 0},
            {"MODEL", FieldType::Text, 6},
            {"N", FieldType::Boolean, 0},
        },
        {
            {"TimeIndexArr", "TIME_ARR", 0},
            {"TimeIndexDep", "TIME_DEP", 0},
        },
    };
    return schema;
}

Table newFlightTable()
{
    return Table(flightSchema());
}

void createEmptyFlightFile(const std::filesystem::path& file)
{
    writePacketFile(newFlightTable(), file);
}

Table readFlightFile(const std::filesystem::path& file)
{
    Table table = readPacketFile(file);
    const auto& expected = flightSchema().fields;
    const auto& found = table.schema().fields;
    if (found.size() != expected.size())
        throw Error(file.string() + ": not a flight table: it has " + std::to_string(found.size()) +
                    " fields instead of " + std::to_string(expected.size()));
    for (std::size_t f = 0; f < expected.size(); ++f)
        if (table.schema().fieldIndex(expected[f].name) != int(f) || found[f].type != expected[f].type)
            throw Error(file.string() + ": not a flight table: field " + std::to_string(f + 1) + " is '" +
                        found[f].name + "' where '" + expected[f].name + "' belongs");
    return table;
}

std::uint64_t flightRecordSize()
{
    std::uint64_t size = 0;
    for (const FieldDef& field : flightSchema().fields)
        size += field.type == FieldType::Text ? std::uint64_t(field.width) + 1 : field.type == FieldType::Int16 ? 2 : 1;
    return size;
}

LoadedFlights loadFlights(const std::filesystem::path& file, std::uint64_t availableMemoryBytes)
{
    return indexFlights(readFlightFile(file), availableMemoryBytes);
}

LoadedFlights indexFlights(Table table, std::uint64_t availableMemoryBytes)
{
    LoadedFlights loaded;
    loaded.table = std::move(table);
    const Table& rows = loaded.table;
    // The ranks are worked out on first use and kept; made here, the two threads below only read them.
    rows.pool(TimeDep).ranks();
    rows.pool(TimeArr).ranks();
    // The arrivals on a second core; the time order, and the departures grouped from it, on this one.
    std::future<GroupIndex> arrivals =
        std::async(std::launch::async, [&rows] { return GroupIndex(rows, IcaoCodeArr, TimeArr); });
    loaded.timeOrder = rows.rowsOrderedBy(TimeDep);
    loaded.departures = GroupIndex(rows, IcaoCodeDep, loaded.timeOrder);
    loaded.arrivals = arrivals.get();
    loaded.totalFlights = rows.rowCount();
    loaded.availableFlights = availableMemoryBytes / flightRecordSize();
    return loaded;
}

}  // namespace quorvel::tables
