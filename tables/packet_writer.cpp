#include "tables/packet.h"

#include "platform/atomic_file.h"
#include "platform/error.h"

namespace quorvel::tables {

namespace {

constexpr std::uint16_t integerPropertyType = 0x0001;  // a signed whole number, as the 16-bit field type

void put16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

void putName(std::string& out, std::string_view name)
{
    out += char(name.size());
    out.append(name);
}

// Field descriptors and packet properties: everything between the header and the first record.
std::string describe(const Table& table)
{
    const Schema& schema = table.schema();
    std::string out;
    for (const FieldDef& field : schema.fields) {
        if (field.name.size() > 255) throw Error("Field name '" + field.name + "' is too long for a table file");
        putName(out, field.name);
        switch (field.type) {
            case FieldType::Text:
                put16(out, 1);
                put16(out, 0x0049);
                put16(out, 0);
                put16(out, 1);
                putName(out, "WIDTH");
                put16(out, 2);
                put16(out, 0x0002);
                put16(out, std::uint16_t(field.width));
                break;
            case FieldType::Int16:
            case FieldType::Boolean:
                put16(out, 2);
                put16(out, field.type == FieldType::Int16 ? 0x0001 : 0x0003);
                put16(out, 0);
                put16(out, 0);
                break;
        }
    }
    put16(out, std::uint16_t(schema.indexes.size() + table.integerProperties().size()));
    for (const IndexDef& index : schema.indexes) {
        const std::string value = index.name + "|" + index.fields + "|" + std::to_string(index.options);
        putName(out, "INDEX_DEF");
        put16(out, 1);
        put16(out, 0x0082);
        put32(out, std::uint32_t(value.size()));
        out += value;
    }
    for (const auto& [name, value] : table.integerProperties()) {
        if (name.size() > 255) throw Error("Property name '" + name + "' is too long for a table file");
        putName(out, name);
        put16(out, 4);
        put16(out, integerPropertyType);
        put32(out, std::uint32_t(value));
    }
    return out;
}

template <typename Sink>
void writePacket(const Table& table, Sink&& sink)
{
    const Schema& schema = table.schema();
    const std::string descriptors = describe(table);
    if (24 + descriptors.size() > 0xFFFF) throw Error("The table's field descriptions are too long for a table file");
    if (table.rowCount() > 0xFFFFFFFFu) throw Error("The table has too many rows for a table file");

    std::string out;
    out.append("\x96\x19\xE0\xBD", 4);
    put32(out, 1);
    put32(out, 24);
    put16(out, std::uint16_t(schema.fields.size()));
    put32(out, std::uint32_t(table.rowCount()));
    put32(out, 3);
    put16(out, std::uint16_t(24 + descriptors.size()));
    out += descriptors;
    sink(std::string_view(out));

    const std::size_t flagBytes = (2 * schema.fields.size() + 7) / 8;
    for (RowId row = 0; row < table.rowCount(); ++row) {
        out.clear();
        out += '\0';
        const std::size_t flagsAt = out.size();
        out.append(flagBytes, '\0');
        for (std::size_t f = 0; f < schema.fields.size(); ++f) {
            if (table.isNull(row, int(f))) {
                out[flagsAt + f / 4] = char(out[flagsAt + f / 4] | (1 << (2 * (f % 4))));
                continue;
            }
            switch (schema.fields[f].type) {
                case FieldType::Text:
                    putName(out, table.text(row, int(f)));
                    break;
                case FieldType::Int16:
                    put16(out, std::uint16_t(table.integer(row, int(f))));
                    break;
                case FieldType::Boolean:
                    put16(out, table.boolean(row, int(f)) ? 1 : 0);
                    break;
            }
        }
        sink(std::string_view(out));
    }
}

}  // namespace

std::string packetBytes(const Table& table)
{
    std::string bytes;
    writePacket(table, [&bytes](std::string_view part) { bytes += part; });
    return bytes;
}

void writePacketFile(const Table& table, const std::filesystem::path& file)
{
    platform::AtomicFile out(file);
    writePacket(table, [&out](std::string_view part) { out.write(part); });
    out.commit();
}

}  // namespace quorvel::tables
