#include "platform/registry.h"

#include "platform/byte_order_mark.h"
#include "platform/case_fold.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace quorvel::platform {

namespace {

// "a\\b" with the escapes of the file undone: \\ is one backslash, \" a quote, \n a line end.
// Stops at the first unescaped quote; `end` receives the position after it (npos when there is none).
std::string unescape(std::string_view text, std::size_t& end)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            end = i + 1;
            return out;
        }
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next == '0' ? '\0' : next;
        } else {
            out += c;
        }
    }
    end = std::string_view::npos;
    return out;
}

// The key name of a section line "[Software\\Foo] 123456", unescaped and folded to lower case.
std::optional<std::string> sectionName(std::string_view line)
{
    const std::size_t close = line.rfind(']');
    if (line.empty() || line[0] != '[' || close == std::string_view::npos) return {};
    std::string name;
    const std::string_view inner = line.substr(1, close - 1);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\' && i + 1 < inner.size() && inner[i + 1] == '\\') ++i;
        name += inner[i];
    }
    return foldAscii(name);
}

void addValue(RegistryKey& key, std::string_view line)
{
    std::string name;
    std::size_t at = 0;
    if (line.starts_with('@')) {
        at = 1;
    } else if (line.starts_with('"')) {
        std::size_t end = 0;
        name = unescape(line.substr(1), end);
        if (end == std::string_view::npos) return;
        at = 1 + end;
    } else {
        return;
    }
    if (at >= line.size() || line[at] != '=') return;
    std::string_view value = line.substr(at + 1);
    if (value.starts_with("str(2):")) value.remove_prefix(7);  // an expandable string is text as well
    if (!value.starts_with('"')) return;
    std::size_t end = 0;
    std::string text = unescape(value.substr(1), end);
    if (end == std::string_view::npos) return;
    key.put(std::move(name), std::move(text));
}

}  // namespace

std::optional<std::string> RegistryKey::text(std::string_view valueName) const
{
    const auto found = values_.find(foldAscii(valueName));
    if (found == values_.end()) return {};
    return found->second;
}

void RegistryKey::put(std::string name, std::string value)
{
    values_.emplace(foldAscii(name), std::move(value));
}

std::optional<RegistryKey> findKey(std::string_view systemReg, std::string_view keyPath)
{
    std::string wanted = foldAscii(keyPath);
    while (!wanted.empty() && wanted.back() == '\\') wanted.pop_back();
    std::string alternative;
    if (wanted.starts_with("software\\") && !wanted.starts_with("software\\wow6432node\\"))
        alternative = "software\\wow6432node\\" + wanted.substr(9);

    std::optional<RegistryKey> exact, other;
    std::optional<RegistryKey>* current = nullptr;
    systemReg.remove_prefix(byteOrderMarkSize(systemReg));
    while (!systemReg.empty()) {
        const std::size_t end = std::min(systemReg.find_first_of("\r\n"), systemReg.size());
        std::string_view line = systemReg.substr(0, end);
        systemReg.remove_prefix(std::min(end + 1, systemReg.size()));
        if (line.starts_with('[')) {
            current = nullptr;
            const auto name = sectionName(line);
            if (name && *name == wanted && !exact)
                current = &exact;
            else if (name && !alternative.empty() && *name == alternative && !other)
                current = &other;
            if (current) current->emplace();
            continue;
        }
        if (current) addValue(**current, line);
    }
    return exact ? exact : other;
}

std::optional<RegistryKey> openLocalMachineKey(const std::filesystem::path& winePrefix, std::string_view keyPath)
{
    std::ifstream in(winePrefix / "system.reg", std::ios::binary);
    if (!in) return {};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return findKey(text, keyPath);
}

}  // namespace quorvel::platform
