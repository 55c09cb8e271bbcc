#include "tables/packet.h"

#include "platform/atomic_file.h"
#include "platform/error.h"

#include <algorithm>

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

constexpr std::size_t recordCountAt = 14;  // where the header holds the number of records

// The header and the field descriptions, with the table's row count.
std::string packetHead(const Table& table)
{
    const std::string descriptors = describe(table);
    if (24 + descriptors.size() > 0xFFFF) throw Error("The table's field descriptions are too long for a table file");
    if (table.rowCount() > 0xFFFFFFFFu) throw Error("The table has too many rows for a table file");
    std::string out;
    out.append("\x96\x19\xE0\xBD", 4);
    put32(out, 1);
    put32(out, 24);
    put16(out, std::uint16_t(table.schema().fields.size()));
    put32(out, std::uint32_t(table.rowCount()));  // at recordCountAt
    put32(out, 3);
    put16(out, std::uint16_t(24 + descriptors.size()));
    out += descriptors;
    return out;
}

// Every row of the table as records, handed to `sink` a few thousand at a time.
template <typename Sink>
void writeRows(const Table& table, Sink&& sink)
{
    const Schema& schema = table.schema();
    RecordEncoder encoder(schema);
    std::string out;
    for (RowId row = 0; row < table.rowCount(); ++row) {
        encoder.begin(out);
        for (std::size_t f = 0; f < schema.fields.size(); ++f) {
            const int field = int(f);
            if (table.isNull(row, field)) {
                encoder.null(out, field);
                continue;
            }
            switch (schema.fields[f].type) {
                case FieldType::Text:
                    encoder.text(out, field, table.text(row, field));
                    break;
                case FieldType::Int16:
                    encoder.integer(out, table.integer(row, field));
                    break;
                case FieldType::Boolean:
                    encoder.boolean(out, table.boolean(row, field));
                    break;
            }
        }
        if (out.size() >= (1 << 16)) {
            sink(std::string_view(out));
            out.clear();
        }
    }
    if (!out.empty()) sink(std::string_view(out));
}

}  // namespace

RecordEncoder::RecordEncoder(const Schema& schema) : flagBytes_((2 * schema.fields.size() + 7) / 8)
{
    for (const FieldDef& field : schema.fields)
        widths_.push_back(field.type == FieldType::Text ? std::size_t(std::clamp(field.width, 0, 255)) : 0);
}

void RecordEncoder::begin(std::string& out)
{
    out += '\0';  // status: a record in force
    flagsAt_ = out.size();
    out.append(flagBytes_, '\0');
}

void RecordEncoder::text(std::string& out, int field, std::string_view value)
{
    putName(out, value.substr(0, std::min(widths_[std::size_t(field)], value.size())));
}

void RecordEncoder::integer(std::string& out, std::int16_t value)
{
    put16(out, std::uint16_t(value));
}

void RecordEncoder::boolean(std::string& out, bool value)
{
    put16(out, value ? 1 : 0);
}

void RecordEncoder::null(std::string& out, int field)
{
    const auto f = std::size_t(field);
    out[flagsAt_ + f / 4] = char(out[flagsAt_ + f / 4] | (1 << (2 * (f % 4))));
}

PacketFileWriter::PacketFileWriter(const Table& table, const std::filesystem::path& file)
    : out_(file), records_(table.rowCount())
{
    out_.write(packetHead(table));
    writeRows(table, [this](std::string_view records) { out_.write(records); });
}

void PacketFileWriter::append(std::string_view records, std::size_t count)
{
    out_.write(records);
    records_ += count;
}

void PacketFileWriter::commit()
{
    if (records_ > 0xFFFFFFFFu) throw Error("The table has too many rows for a table file");
    std::string count;
    put32(count, std::uint32_t(records_));
    out_.writeAt(recordCountAt, count);
    out_.commit();
}

std::string packetBytes(const Table& table)
{
    std::string bytes = packetHead(table);
    writeRows(table, [&bytes](std::string_view records) { bytes += records; });
    return bytes;
}

void writePacketFile(const Table& table, const std::filesystem::path& file)
{
    PacketFileWriter(table, file).commit();
}

}  // namespace quorvel::tables
