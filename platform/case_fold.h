// platform/case_fold.h: letter case and blanks, where the program ignores them.
// Names, keys and codes that the simulator and Windows compare without regard to case are
// ASCII; airline names and titles are Windows-1252 bytes, and file names on disk are UTF-8.
// The Windows-1252 and UTF-8 folds cover the same letters: A-Z and the accented capitals
// Windows-1252 can hold.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quorvel::platform {

char foldAscii(char c);
std::string foldAscii(std::string_view text);
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

char foldWindows1252(char c);
std::string foldWindows1252(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);  // Windows-1252 texts
std::string foldUtf8(std::string_view text);                     // bytes that are not such a letter stay

// `text` without the spaces and tabs around it.
std::string_view trimBlanks(std::string_view text);

// Hash on the exact text, usable with string_view lookups (with std::equal_to<>).
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Hash and equality on the folded Windows-1252 text, usable with string_view lookups.
struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return equalIgnoringCase(a, b); }
};

}  // namespace quorvel::platform
