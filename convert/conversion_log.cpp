#include "convert/conversion_log.h"

#include "platform/atomic_file.h"
#include "platform/case_fold.h"

namespace quorvel::convert {

std::string ConversionLog::lineFor(std::string_view key)
{
    std::string line(key);
    line += " not found";
    return line;
}

std::string ConversionLog::skippedLineText(std::string_view text)
{
    const std::size_t colon = text.find(": ");
    if (colon == std::string_view::npos) return std::string(text) + " skipped";
    return std::string(text.substr(0, colon)) + " skipped: " + std::string(text.substr(colon + 2));
}

std::string ConversionLog::stoppedLineText(std::string_view text)
{
    return "Stopped at " + std::string(text);
}

bool ConversionLog::add(std::string_view key, std::string_view place)
{
    std::string line = lineFor(key);
    if (!folded_.insert(platform::foldWindows1252(line)).second) return false;
    if (!place.empty()) {
        line += " (";
        line += place;
        line += ')';
    }
    lines_.push_back(std::move(line));
    return true;
}

bool ConversionLog::addLine(std::string_view line)
{
    if (!folded_.insert(platform::foldWindows1252(line)).second) return false;
    lines_.emplace_back(line);
    return true;
}

std::string ConversionLog::text() const
{
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void ConversionLog::save(const std::filesystem::path& file) const
{
    platform::writeFileAtomically(file, text());
}

}  // namespace quorvel::convert
