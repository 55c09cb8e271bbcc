// app/colours.h: the board's colours as the settings file names them.
//
// A colour is written as an identifier ("clBlack") or as an integer in the form $00BBGGRR: blue in
// the third byte, red in the lowest. The colour boxes offer the named colours of namedColours(), in
// that order; the settings file may also hold a plain number, which is read but never written by us.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::app {

struct NamedColour {
    std::string_view identifier;   // "clMoneyGreen"
    std::string_view displayName;  // "Money Green", the text of the colour boxes
    std::uint32_t value;           // $00BBGGRR
};

const std::vector<NamedColour>& namedColours();  // the colour boxes' order

// An integer as the settings file writes one: optional sign, then decimal digits or "$" and
// hexadecimal digits. Hexadecimal runs to $FFFFFFFF, read as the negative number of those bits.
std::optional<std::int32_t> parseInteger(std::string_view text);

// A known identifier (letter case ignored), else an integer colour; nothing for any other text.
std::optional<std::uint32_t> colourValue(std::string_view text);

// The message for a colour text that colourValue() refuses: "'xyz' is not a valid integer value".
std::string colourError(std::string_view text);

// The identifier of a named colour, else the value as "$00BBGGRR" (eight hexadecimal digits).
std::string colourIdentifier(std::uint32_t value);

// Red, green and blue of a $00BBGGRR value (the top byte is not a colour and is ignored).
constexpr std::uint8_t redOf(std::uint32_t value)
{
    return std::uint8_t(value & 0xFF);
}
constexpr std::uint8_t greenOf(std::uint32_t value)
{
    return std::uint8_t((value >> 8) & 0xFF);
}
constexpr std::uint8_t blueOf(std::uint32_t value)
{
    return std::uint8_t((value >> 16) & 0xFF);
}

}  // namespace quorvel::app
