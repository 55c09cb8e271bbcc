#include "about/about_content.h"

#include "platform/error.h"

#include <cstdio>

namespace quorvel::about {

namespace {

AboutContent fallback()
{
    return {std::string(kFallbackTitle), {std::string(kFallbackLine)}};
}

}  // namespace

AboutContent aboutContent(const std::optional<VersionRecord>& record)
{
    if (!record) return fallback();
    const auto translations = lookupTranslations(*record, "\\VarFileInfo\\Translation");
    if (!translations) return fallback();

    char digits[9];
    std::snprintf(digits, sizeof digits, "%04x%04x", unsigned(translations->front().language),
                  unsigned(translations->front().codePage));
    const std::string block = "\\StringFileInfo\\" + std::string(digits);
    const auto value = [&](std::string_view key) { return lookupText(*record, block + std::string(key)).value_or(""); };

    AboutContent content;
    content.title = value("\\ProductName");
    if (content.title.empty()) content.title = kFallbackTitle;

    struct Line {
        std::string_view key, label;
        bool emptyLineAfter;
    };
    static constexpr Line kLines[] = {
        {"\\ProductVersion", "Product Version:   ", false},
        {"\\CompanyName", "By:   ", true},
        {"\\FileDescription", "", false},
        {"\\FileVersion", "File Version:   ", true},
        {"\\LegalCopyright", "Copyright:   ", true},
        {"\\Comments", "", false},
    };
    for (const Line& line : kLines) {
        const std::string text = value(line.key);
        if (text.empty()) continue;
        content.lines.push_back(std::string(line.label) + text);
        if (line.emptyLineAfter) content.lines.emplace_back();
    }
    return content;
}

AboutContent aboutContentOf(const std::filesystem::path& executable)
{
    std::optional<VersionRecord> record;
    try {
        record = readVersionRecord(executable);
    } catch (const Error&) {
        // The about box has nothing to offer about a damaged file but the fallback it shows for none.
    }
    return aboutContent(record);
}

}  // namespace quorvel::about
