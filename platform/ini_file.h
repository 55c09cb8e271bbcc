// platform/ini_file.h: profile files, the INI text of "qrvl.ini" and of the simulator's "aircraft.cfg".
//
// Reading follows the Windows profile-file rules: section and key names match without regard to
// (ASCII) letter case, the first matching section and the first matching key in it count, a value
// is the text after the first "=" without surrounding blanks and tabs and without one pair of
// enclosing double or single quotes, and a line whose first non-blank is ";" is a comment.
// Lines end at CR LF, LF or CR; bytes are kept as they are (Windows-1252). A UTF-8 byte order mark
// at the start of the file is skipped when reading and written back as it was.
//
// The file is held once, as its bytes plus an index of lines (8 bytes a line) and of section
// headers, so a large aircraft.cfg costs memory in proportion to its size. Finding a section is a
// hash look-up; finding a key walks that section's lines only. Writing changes only the lines it
// must and keeps every other line byte for byte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel::platform {

class IniFile {
public:
    // A missing file reads as empty; a file that exists but cannot be read throws quorvel::Error
    // naming the path and the reason.
    static IniFile read(const std::filesystem::path& file);
    static IniFile parse(std::string_view text);  // throws quorvel::Error for text of 4 GiB or more

    // The value of `key` in the first section named `section`; nothing when either is absent.
    // A key present with nothing after "=" gives the empty text.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Section names in file order, as spelled at their first occurrence; a name repeated later
    // (in any letter case) is listed once, since only its first section is ever read.
    std::vector<std::string> sections() const;

    // Replaces the first matching key's line by "key=value" in place (keeping the key's spelling),
    // or adds the key after the last non-blank line of the first matching section, or adds the
    // section ("[section]") and the key at the end of the text. Throws quorvel::Error for a name or
    // value that cannot be written as one line of the file (a line break, "=" in a key, "]" in a
    // section name, an empty name).
    void set(std::string_view section, std::string_view key, std::string_view value);

    std::string text() const;                            // every line ends with CR LF
    void save(const std::filesystem::path& file) const;  // atomic; throws quorvel::Error

private:
    struct Line {
        std::uint32_t begin;   // offset into bytes_
        std::uint32_t length;  // without the line end
    };
    struct Section {
        std::uint32_t header;  // line index of "[name]"; its lines run to the next header
        std::uint32_t nameBegin;
        std::uint32_t nameLength;
    };

    std::string_view line(std::size_t index) const
    {
        return {bytes_.data() + lines_[index].begin, lines_[index].length};
    }
    std::string_view sectionName(const Section& section) const
    {
        return {bytes_.data() + section.nameBegin, section.nameLength};
    }
    std::size_t sectionEnd(std::size_t sectionIndex) const;
    std::optional<std::size_t> findSection(std::string_view name) const;
    std::optional<std::size_t> findKey(std::size_t sectionIndex, std::string_view key) const;
    Line store(std::string_view text);  // appends `text` to bytes_ as the content of a new line
    void insertLine(std::size_t at, Line line);
    void addSection(std::string_view name, std::size_t headerLine, std::uint32_t nameBegin, std::uint32_t nameLength);

    std::string bytes_;  // the file's bytes, then the text of written lines
    std::vector<Line> lines_;
    std::vector<Section> sections_;                              // every header, in file order
    std::unordered_map<std::string, std::size_t> firstSection_;  // lower-case name -> index into sections_
};

}  // namespace quorvel::platform
