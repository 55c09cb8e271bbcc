// flags/case_fold.h: letter case, as the flag list and the flag folder ignore it.
// Airline names are Windows-1252 bytes; file names on disk are UTF-8. Both fold the same
// letters: A-Z and the accented capitals Windows-1252 can hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::flags {

char foldWindows1252(char c);
std::string foldWindows1252(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);    // Windows-1252 texts
std::string foldUtf8(std::string_view text);                       // bytes that are not such a letter stay

// Hash and equality on the folded Windows-1252 text, usable with string_view lookups.
struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return equalIgnoringCase(a, b); }
};

}  // namespace quorvel::flags
