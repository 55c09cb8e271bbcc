// convert/conversion_log.h: the conversion log: one line "KEY not found" for each aircraft number
// or airport code a conversion could not look up.
//
// A line the log already holds, compared without regard to letter case (Windows-1252 letters
// included), is not added again, so each key is listed once, in the order of first occurrence,
// over every conversion the log has seen. Lines are Windows-1252 bytes, as the plan file gave them.
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

    // Adds the line for `key`; false when the log already held it.
    bool add(std::string_view key);
    bool addLine(std::string_view line);

    const std::vector<std::string>& lines() const { return lines_; }
    std::string text() const;                            // every line ended by CR LF; empty when no line
    void save(const std::filesystem::path& file) const;  // atomic; throws quorvel::Error naming the file and reason

private:
    std::vector<std::string> lines_;
    std::unordered_set<std::string> folded_;  // the lines in lower case
};

}  // namespace quorvel::convert
