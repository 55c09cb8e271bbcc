#include "convert/conversion_log.h"

#include "platform/atomic_file.h"

namespace quorvel::convert {

namespace {

// Windows-1252 lower case: ASCII, the Latin-1 letters, and the few letters of 0x80..0x9F.
char lower1252(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return char(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return char(u + 32);
    switch (u) {
    case 0x8A: return char(0x9A);
    case 0x8C: return char(0x9C);
    case 0x8E: return char(0x9E);
    case 0x9F: return char(0xFF);
    default: return c;
    }
}

}  // namespace

std::string ConversionLog::lineFor(std::string_view key)
{
    std::string line(key);
    line += " not found";
    return line;
}

bool ConversionLog::add(std::string_view key) { return addLine(lineFor(key)); }

bool ConversionLog::addLine(std::string_view line)
{
    std::string folded(line);
    for (char& c : folded) c = lower1252(c);
    if (!folded_.insert(std::move(folded)).second) return false;
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

void ConversionLog::save(const std::filesystem::path& file) const { platform::writeFileAtomically(file, text()); }

}  // namespace quorvel::convert
