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

bool ConversionLog::add(std::string_view key)
{
    return addLine(lineFor(key));
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
