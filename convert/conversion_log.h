// convert/conversion_log.h: the conversion log: one line "KEY not found" for each aircraft number
// or airport code a conversion could not look up.
//
// A line the log already holds, compared without regard to letter case (Windows-1252 letters
// included), is not added again, so each key is listed once, in the order of first occurrence,
// over every conversion the log has seen. A line may say where its key was first found, and
// other lines (a line left out, the line a run stopped on) may stand between them. Lines are
// Windows-1252 bytes, as the plan file gave them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvel::convert {

class ConversionLog {
public:
    static std::string lineFor(std::string_view key);  // key + " not found"
    // "FILE, line N: what" as the log says it of a line left out ("FILE, line N skipped: what")
    // and of the line a run stopped on ("Stopped at FILE, line N: what").
    static std::string skippedLineText(std::string_view text);
    static std::string stoppedLineText(std::string_view text);

    // Adds the line for `key`, followed by " (PLACE)" when a place is given ("flightplans.txt,
    // line 12"); false when the log already held the key's line, wherever it was found.
    bool add(std::string_view key, std::string_view place = {});
    bool addLine(std::string_view line);

    const std::vector<std::string>& lines() const { return lines_; }
    std::string text() const;                            // every line ended by CR LF; empty when no line
    void save(const std::filesystem::path& file) const;  // atomic; throws quorvel::Error naming the file and reason

private:
    std::vector<std::string> lines_;
    std::unordered_set<std::string> folded_;  // the lines in lower case, without their places
};

}  // namespace quorvel::convert
