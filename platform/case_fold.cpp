#include "platform/case_fold.h"

#include <algorithm>
#include <cstdint>

namespace quorvel::platform {

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string foldAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = foldAscii(c);
    return out;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char foldWindows1252(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return char(b + 0x20);
    switch (b) {
        case 0x8A:
            return char(0x9A);  // S caron
        case 0x8C:
            return char(0x9C);  // OE
        case 0x8E:
            return char(0x9E);  // Z caron
        case 0x9F:
            return char(0xFF);  // Y diaeresis
        default:
            return c;
    }
}

std::string foldWindows1252(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = foldWindows1252(c);
    return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return foldWindows1252(x) == foldWindows1252(y); });
}

std::string foldUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (b >= 'A' && b <= 'Z') {
            out += char(b + 0x20);
        } else if (b == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) {  // U+00C0..U+00DE
            out += char(0xC3);
            out += char(next + 0x20);
            ++i;
        } else if (b == 0xC5 && (next == 0xA0 || next == 0x92 || next == 0xBD)) {  // S caron, OE, Z caron
            out += char(0xC5);
            out += char(next + 1);
            ++i;
        } else if (b == 0xC5 && next == 0xB8) {  // Y diaeresis folds to U+00FF
            out += "\xC3\xBF";
            ++i;
        } else {
            out += char(b);
        }
    }
    return out;
}

std::size_t FoldedHash::operator()(std::string_view text) const
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(foldWindows1252(c));
        hash *= 1099511628211ull;
    }
    return std::size_t(hash);
}

}  // namespace quorvel::platform
