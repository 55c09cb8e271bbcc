// about/about_content.h: the about box's title and lines, built from a version record. The box looks
// the record's first translation up, asks its block for six values, and adds a line only for a
// value that is present and not empty.
#pragma once

#include "about/version_record.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::about {

inline constexpr std::string_view kFallbackTitle = "About";
inline constexpr std::string_view kFallbackLine = "No version information available.";

struct AboutContent {
    std::string title;               // Windows-1252, as the record holds it
    std::vector<std::string> lines;  // one entry per line of the text box; "" is an empty line
    friend bool operator==(const AboutContent&, const AboutContent&) = default;
};

// The fallback ("About", "No version information available.") when there is no record or the record
// has no translation list. A record without "ProductName" also gets the title "About".
AboutContent aboutContent(const std::optional<VersionRecord>& record);

// The content for the record in `executable`; an unreadable or damaged file gives the fallback,
// as a file without a record does.
AboutContent aboutContentOf(const std::filesystem::path& executable);

}  // namespace quorvel::about
