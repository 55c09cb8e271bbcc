// about/version_record.h: the program's version record, the name/value record that the about box
// shows. The record travels inside the executable file (about/elf_section.h finds it there) in an
// encoding of our own, written at compile time by the constexpr encoder below so that the bytes in
// the executable and the ones the tests decode come from one piece of code.
//
// Encoding. Every integer is little-endian; every length and count is checked against the bytes
// left before it is used, so a damaged record is a quorvel::Error naming the byte, never a crash.
//
//   record       := magic size fixed translations blocks
//   magic        := the 8 bytes "QRVLVER1"
//   size         := u32, bytes of the whole record from the magic on; bytes after it are padding
//   fixed        := u16 fileVersion[4], u16 productVersion[4], u32 flags, u32 os, u32 fileType
//   translations := u16 count, then count x (u16 language, u16 codePage)
//   blocks       := u16 count, then count x block
//   block        := 8 bytes of name (hexadecimal digits: language then code page, "040904E4"),
//                   u16 valueCount, then valueCount x value
//   value        := u16 nameLength, name bytes, u16 textLength, text bytes (Windows-1252)
//
// Look-ups take paths like "\VarFileInfo\Translation" (the translation list) and
// "\StringFileInfo\040904e4\ProductName" (a text value); block and value names match without
// regard to the case of ASCII letters.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::about {

inline constexpr std::string_view kVersionSection = ".qrvl_version";  // the ELF section that holds it
inline constexpr std::string_view kVersionRecordMagic = "QRVLVER1";

// Values of FixedInfo's fields, the same numbers the platform's own version records use.
inline constexpr std::uint32_t kFlagDebug = 0x01;
inline constexpr std::uint32_t kFlagPrerelease = 0x02;
inline constexpr std::uint32_t kOsWindows32 = 0x04;  // 32-bit Windows
inline constexpr std::uint32_t kFileTypeApplication = 0x01;

struct FixedVersion {
    std::array<std::uint16_t, 4> parts{};  // major, minor, release, build
    friend bool operator==(const FixedVersion&, const FixedVersion&) = default;
};

struct FixedInfo {
    FixedVersion fileVersion;
    FixedVersion productVersion;
    std::uint32_t flags = 0;
    std::uint32_t os = 0;
    std::uint32_t fileType = 0;
    friend bool operator==(const FixedInfo&, const FixedInfo&) = default;
};

struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    friend bool operator==(const Translation&, const Translation&) = default;
};

struct StringValue {
    std::string name;
    std::string text;  // Windows-1252 bytes
    friend bool operator==(const StringValue&, const StringValue&) = default;
};

struct StringBlock {
    std::string name;  // eight hexadecimal digits: language, then code page
    std::vector<StringValue> values;
    friend bool operator==(const StringBlock&, const StringBlock&) = default;
};

struct VersionRecord {
    FixedInfo fixed;
    std::vector<Translation> translations;
    std::vector<StringBlock> blocks;
    friend bool operator==(const VersionRecord&, const VersionRecord&) = default;
};

// The translation list at "\VarFileInfo\Translation"; nothing for any other path or an empty list.
std::optional<std::vector<Translation>> lookupTranslations(const VersionRecord& record, std::string_view path);
// The text at "\StringFileInfo\<block>\<name>"; nothing when the path names no value.
std::optional<std::string> lookupText(const VersionRecord& record, std::string_view path);

// Reads an encoded record. `source` names where the bytes came from, for the error text.
VersionRecord decodeVersionRecord(std::string_view bytes, std::string_view source);  // throws quorvel::Error

// The record in the executable's section ".qrvl_version"; nothing when it has no such section.
// Throws quorvel::Error when the file cannot be read or it or its record is damaged.
std::optional<VersionRecord> readVersionRecord(const std::filesystem::path& executable);

// --- the encoder, constexpr so that the executable's record is built by the compiler ---

namespace detail {

constexpr void putU16(std::string& out, std::size_t value)
{
    out.push_back(char(value & 0xFF));
    out.push_back(char((value >> 8) & 0xFF));
}

constexpr void putU32(std::string& out, std::size_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, (value >> 16) & 0xFFFF);
}

constexpr void putText(std::string& out, std::string_view text)
{
    putU16(out, text.size());
    out.append(text);
}

}  // namespace detail

// The encoded bytes of `record`. Names longer than the format holds are cut at 65535 bytes and a
// block name is padded or cut to eight characters; callers keep within those limits.
constexpr std::string encodeVersionRecord(const VersionRecord& record)
{
    std::string out;
    out.append(kVersionRecordMagic);
    detail::putU32(out, 0);  // the size, filled in at the end
    for (const FixedVersion& version : {record.fixed.fileVersion, record.fixed.productVersion})
        for (std::uint16_t part : version.parts) detail::putU16(out, part);
    detail::putU32(out, record.fixed.flags);
    detail::putU32(out, record.fixed.os);
    detail::putU32(out, record.fixed.fileType);
    detail::putU16(out, record.translations.size());
    for (const Translation& translation : record.translations) {
        detail::putU16(out, translation.language);
        detail::putU16(out, translation.codePage);
    }
    detail::putU16(out, record.blocks.size());
    for (const StringBlock& block : record.blocks) {
        std::string name = block.name.substr(0, 8);
        name.resize(8, '0');
        out.append(name);
        detail::putU16(out, block.values.size());
        for (const StringValue& value : block.values) {
            detail::putText(out, std::string_view(value.name).substr(0, 0xFFFF));
            detail::putText(out, std::string_view(value.text).substr(0, 0xFFFF));
        }
    }
    std::string size;
    detail::putU32(size, out.size());
    out.replace(kVersionRecordMagic.size(), 4, size);
    return out;
}

}  // namespace quorvel::about
