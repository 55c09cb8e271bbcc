#include "app/colours.h"

#include "platform/case_fold.h"

#include <cstdio>

namespace quorvel::app {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = platform::foldAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

const std::vector<NamedColour>& namedColours()
{
    static const std::vector<NamedColour> colours{
        {"clBlack", "Black", 0x000000},
        {"clMaroon", "Maroon", 0x000080},
        {"clGreen", "Green", 0x008000},
        {"clOlive", "Olive", 0x008080},
        {"clNavy", "Navy", 0x800000},
        {"clPurple", "Purple", 0x800080},
        {"clTeal", "Teal", 0x808000},
        {"clGray", "Gray", 0x808080},
        {"clSilver", "Silver", 0xC0C0C0},
        {"clRed", "Red", 0x0000FF},
        {"clLime", "Lime", 0x00FF00},
        {"clYellow", "Yellow", 0x00FFFF},
        {"clBlue", "Blue", 0xFF0000},
        {"clFuchsia", "Fuchsia", 0xFF00FF},
        {"clAqua", "Aqua", 0xFFFF00},
        {"clWhite", "White", 0xFFFFFF},
        {"clMoneyGreen", "Money Green", 0xC0DCC0},
        {"clSkyBlue", "Sky Blue", 0xF0CAA6},
        {"clCream", "Cream", 0xF0FBFF},
        {"clMedGray", "Medium Gray", 0xA4A0A0},
    };
    return colours;
}

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t magnitude = 0;
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
        if (text.empty()) return std::nullopt;
        for (const char c : text) {
            const int digit = hexDigit(c);
            if (digit < 0) return std::nullopt;
            magnitude = magnitude * 16 + digit;
            if (magnitude > 0xFFFFFFFFLL) return std::nullopt;
        }
        // Eight hexadecimal digits are the bits of a 32-bit integer, so $FFFFFFFF is -1.
        const auto bits = std::int32_t(std::uint32_t(magnitude));
        return negative ? std::int32_t(0u - std::uint32_t(bits)) : bits;
    }
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 0x80000000LL) return std::nullopt;
    }
    if (negative) return std::int32_t(-magnitude);
    if (magnitude > 0x7FFFFFFFLL) return std::nullopt;
    return std::int32_t(magnitude);
}

std::optional<std::uint32_t> colourValue(std::string_view text)
{
    for (const NamedColour& colour : namedColours())
        if (platform::equalIgnoringAsciiCase(colour.identifier, text)) return colour.value;
    if (const auto number = parseInteger(text)) return std::uint32_t(*number);
    return std::nullopt;
}

std::string colourError(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string colourIdentifier(std::uint32_t value)
{
    for (const NamedColour& colour : namedColours())
        if (colour.value == value) return std::string(colour.identifier);
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%08X", unsigned(value));
    return hex;
}

}  // namespace quorvel::app
