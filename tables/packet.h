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

#include "tables/table.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel::tables {

Table readPacketFile(const std::filesystem::path& file);                // throws quorvel::Error
Table readPacket(std::string_view bytes, const std::string& fileName);  // throws quorvel::Error

// Writes the table atomically: the old file stays whole when the save fails. Throws quorvel::Error.
void writePacketFile(const Table& table, const std::filesystem::path& file);
std::string packetBytes(const Table& table);

}  // namespace quorvel::tables
