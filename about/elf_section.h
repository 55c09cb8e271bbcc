// about/elf_section.h: finds one named section in an executable file through its ELF section
// headers (32- and 64-bit, little-endian). Only the headers, the section-name table and the wanted
// section are read. Every offset, size and count is checked against the file's size before it is
// used, so a damaged or cut-off file is a quorvel::Error naming the file, never a crash.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::about {

// The bytes of the section called `name` (compared exactly, ".qrvl_version"); nothing when the file
// is an ELF file without such a section. Throws quorvel::Error when the file cannot be read, is no
// little-endian ELF file, or its headers point outside the file.
std::optional<std::string> readElfSection(const std::filesystem::path& file, std::string_view name);

}  // namespace quorvel::about
