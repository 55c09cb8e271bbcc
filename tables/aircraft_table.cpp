#include "tables/aircraft_table.h"

#include "platform/error.h"
#include "tables/packet.h"

namespace quorvel::tables {

const Schema& aircraftSchema()
{
    static const Schema schema{
        {
            {"ACN", FieldType::Text, 8},
            {"TITLE", FieldType::Text, 48},
            {"AIRLINE", FieldType::Text, 30},
            {"MODEL", FieldType::Text, 5},
        },
        {{"ACN", "ACN", 0}},
    };
    return schema;
}

Table newAircraftTable()
{
    return Table(aircraftSchema());
}

Table readAircraftFile(const std::filesystem::path& file)
{
    Table table = readPacketFile(file);
    const auto& expected = aircraftSchema().fields;
    const auto& found = table.schema().fields;
    bool same = found.size() == expected.size();
    for (std::size_t f = 0; same && f < expected.size(); ++f)
        same = table.schema().fieldIndex(expected[f].name) == int(f) && found[f].type == FieldType::Text;
    if (!same) throw Error(file.string() + ": not an aircraft table: its fields are not ACN, TITLE, AIRLINE, MODEL");
    return table;
}

void writeAircraftFile(const Table& table, const std::filesystem::path& file)
{
    writePacketFile(table, file);
}

}  // namespace quorvel::tables
