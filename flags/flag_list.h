// flags/flag_list.h: the list that gives airlines their flag pictures, kept in the flag
// folder's "fmlist" (lines of airline "=" flag name, CR LF at the end of each).
// The lines stay as the file holds them, in file order; alongside them an index on the
// case-folded airline answers the board's lookup for every painted cell in constant time.
// The first line that names an airline wins; a line without "=" names no airline.
#pragma once

#include "platform/case_fold.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel::flags {

inline constexpr const char* flagFolderName = "flag";
inline constexpr const char* flagListFileName = "fmlist";

std::filesystem::path flagFolderOf(const std::filesystem::path& programFolder);  // programFolder/flag
std::filesystem::path flagListFile(const std::filesystem::path& flagFolder);     // flagFolder/fmlist

// Splits file bytes into lines ending in CR LF, LF or CR; a last line without an end counts.
std::vector<std::string> splitLines(std::string_view bytes);

class FlagList {
public:
    FlagList() = default;
    explicit FlagList(std::vector<std::string> lines);  // Windows-1252 lines, no line ends

    // Reads `file`, skipping a UTF-8 byte order mark at its start; throws quorvel::Error naming
    // the file and the reason.
    static FlagList read(const std::filesystem::path& file);
    // Replaces the lines by those of `file`. On failure the lines stay as they were and the
    // quorvel::Error names the file and the reason.
    void load(const std::filesystem::path& file);
    // Writes every line with CR LF, replacing `file` atomically; throws quorvel::Error.
    void save(const std::filesystem::path& file) const;

    const std::vector<std::string>& lines() const { return lines_; }
    bool empty() const { return lines_.empty(); }
    void clear();

    // The flag name of the first line whose airline equals `airline` ignoring letter case;
    // nothing when no line names it. The name may be empty.
    std::optional<std::string> flagName(std::string_view airline) const;

private:
    void index();

    std::vector<std::string> lines_;
    std::unordered_map<std::string, std::size_t, platform::FoldedHash, platform::FoldedEqual>
        firstLine_;  // airline -> line
};

}  // namespace quorvel::flags
