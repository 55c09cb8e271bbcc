// tables/packet.h: the table file: one data packet holding the field descriptions,
// packet properties and every record of a table.
//
// Layout: a 24-byte header (signature 96 19 E0 BD, version 1, header size, field count,
// record count, the constant 3, offset of the first record), one descriptor per field, the
// packet properties, then the records. All integers are little-endian.
// Field types: text (type word 0x0049, a length byte then the bytes, property WIDTH),
// signed 16-bit integer (0x0001, two bytes), Boolean (0x0003, two bytes, 0 or 1).
// A record is a status byte, then two flag bits per field (field i in bits 2*(i%4) of flag
// byte i/4; 1 = null, and a null field stores no bytes), then the values.
// Records whose status has bit 0x01 are earlier versions replaced by a change and are dropped.
// Index definitions travel as packet properties named "INDEX_DEF" (an array of bytes holding
// "name|fields|options"), so any reader of the generic property layout can skip them.
//
// Every count and length is checked against the bytes left before it is used, so a damaged
// file is an error that names the file and the byte, never a crash or a huge allocation.
#pragma once

#include "platform/atomic_file.h"
#include "tables/table.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::tables {

Table readPacketFile(const std::filesystem::path& file);                // throws quorvel::Error
Table readPacket(std::string_view bytes, const std::string& fileName);  // throws quorvel::Error

// Writes the table atomically: the old file stays whole when the save fails. Throws quorvel::Error.
void writePacketFile(const Table& table, const std::filesystem::path& file);
std::string packetBytes(const Table& table);

// Records in the file's layout, built field by field in the order of the schema, for a table
// whose rows are made and saved without ever being held as a Table. Texts longer than their
// field's width keep their first `width` characters, as Table::setText keeps them.
class RecordEncoder {
public:
    explicit RecordEncoder(const Schema& schema);

    void begin(std::string& out);  // a new record at the end of `out`, every field not null
    void text(std::string& out, int field, std::string_view value);
    void integer(std::string& out, std::int16_t value);
    void boolean(std::string& out, bool value);
    void null(std::string& out, int field);  // stores no bytes

private:
    std::vector<std::size_t> widths_;
    std::size_t flagBytes_ = 0;
    std::size_t flagsAt_ = 0;  // where the current record's null flags stand in `out`
};

// A table file written as its records come: the table's header, descriptions and rows at once,
// records appended later (from a RecordEncoder of the same schema), and the record count when
// it is committed. Until then the old file stays as it was; a writer destroyed uncommitted
// leaves it so. Throws quorvel::Error.
class PacketFileWriter {
public:
    PacketFileWriter(const Table& table, const std::filesystem::path& file);

    void append(std::string_view records, std::size_t count);  // whole records
    void commit();

private:
    platform::AtomicFile out_;
    std::uint64_t records_ = 0;
};

}  // namespace quorvel::tables
