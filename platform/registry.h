// platform/registry.h: the simulator's registry keys, read from the Wine prefix our users run it in.
//
// HKEY_LOCAL_MACHINE lives in the prefix's "system.reg": a header line, then sections
// "[Key\\Path] timestamp" followed by value lines "name"="text". Key and value names match
// without regard to letter case. A 32-bit program's keys in a 64-bit prefix live under
// Software\Wow6432Node, so a key is looked for there as well.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::platform {

// The text values of one key; other kinds of value (dword, hex) are not kept.
class RegistryKey {
public:
    std::optional<std::string> text(std::string_view valueName) const;  // nothing when absent
    void put(std::string name, std::string value);

private:
    std::map<std::string, std::string> values_;  // keyed by the lower-case name; the first occurrence wins
};

// The key `keyPath` ("SOFTWARE\Microsoft\...") of HKEY_LOCAL_MACHINE in the prefix, or nothing
// when the file or the key is missing: the "key cannot be opened" case.
std::optional<RegistryKey> openLocalMachineKey(const std::filesystem::path& winePrefix, std::string_view keyPath);

// The same over the text of a "system.reg" file; a UTF-8 byte order mark at its start is skipped.
std::optional<RegistryKey> findKey(std::string_view systemReg, std::string_view keyPath);

}  // namespace quorvel::platform
