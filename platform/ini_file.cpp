#include "platform/ini_file.h"

#include "platform/atomic_file.h"
#include "platform/byte_order_mark.h"
#include "platform/case_fold.h"
#include "platform/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace quorvel::platform {

namespace {

constexpr std::size_t sizeLimit = std::numeric_limits<std::uint32_t>::max();

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string lowered(std::string_view text)
{
    return foldAscii(text);
}

bool sameName(std::string_view a, std::string_view b)
{
    return equalIgnoringAsciiCase(a, b);
}

// The section name of a header line "[name]", as an offset and length within `line`.
// A line that opens with "[" but never closes it is no header.
std::optional<std::pair<std::size_t, std::size_t>> headerName(std::string_view line)
{
    const std::size_t open = line.find_first_not_of(" \t");
    if (open == std::string_view::npos || line[open] != '[') return std::nullopt;
    const std::size_t close = line.find(']', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::size_t begin = open + 1;
    std::size_t end = close;
    while (begin < end && isBlank(line[begin])) ++begin;
    while (end > begin && isBlank(line[end - 1])) --end;
    return std::pair{begin, end - begin};
}

// The key of a value line, or nothing for a comment, a header, a line without "=" or with an empty key.
std::optional<std::string_view> keyOf(std::string_view line)
{
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = trimBlanks(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return key;
}

std::string valueOf(std::string_view line)
{
    std::string_view value = trimBlanks(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

IniFile IniFile::read(const std::filesystem::path& file)
{
    const std::string name = file.string();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (error) throw Error(name + ": cannot be read: " + error.message());
    if (std::filesystem::is_directory(status)) throw Error(name + ": is a folder, not a settings file");

    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    const std::unique_ptr<std::FILE, Closer> handle(std::fopen(name.c_str(), "rb"));
    if (!handle) throw Error(name + ": cannot be opened: " + std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, handle.get());
        bytes.append(buffer, got);
        if (bytes.size() >= sizeLimit) throw Error(name + ": is too large for a settings file");
        if (got < sizeof buffer) {
            if (std::ferror(handle.get())) throw Error(name + ": cannot be read: " + std::strerror(errno));
            break;
        }
    }
    return parse(bytes);
}

IniFile IniFile::parse(std::string_view text)
{
    if (text.size() >= sizeLimit) throw Error("The settings text is too large");
    IniFile ini;
    ini.bytes_.assign(text);
    const char* const data = ini.bytes_.data();
    const std::size_t size = ini.bytes_.size();
    // An editor may have put a UTF-8 byte order mark before the first header; it stays in the
    // text but does not hide the header.
    const std::size_t mark = byteOrderMarkSize(text);
    std::size_t begin = 0;
    while (begin < size) {
        std::size_t end = begin;
        while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
        ini.lines_.push_back({std::uint32_t(begin), std::uint32_t(end - begin)});
        const std::size_t from = begin == 0 ? std::min(mark, end) : begin;
        if (const auto name = headerName({data + from, end - from}))
            ini.addSection({data + from + name->first, name->second}, ini.lines_.size() - 1,
                           std::uint32_t(from + name->first), std::uint32_t(name->second));
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ++end;
        begin = end + 1;
    }
    return ini;
}

void IniFile::addSection(std::string_view name, std::size_t headerLine, std::uint32_t nameBegin,
                         std::uint32_t nameLength)
{
    sections_.push_back({std::uint32_t(headerLine), nameBegin, nameLength});
    firstSection_.try_emplace(lowered(name), sections_.size() - 1);
}

std::size_t IniFile::sectionEnd(std::size_t sectionIndex) const
{
    return sectionIndex + 1 < sections_.size() ? sections_[sectionIndex + 1].header : lines_.size();
}

std::optional<std::size_t> IniFile::findSection(std::string_view name) const
{
    const auto found = firstSection_.find(lowered(trimBlanks(name)));
    if (found == firstSection_.end()) return std::nullopt;
    return found->second;
}

std::optional<std::size_t> IniFile::findKey(std::size_t sectionIndex, std::string_view key) const
{
    key = trimBlanks(key);
    const std::size_t end = sectionEnd(sectionIndex);
    for (std::size_t i = sections_[sectionIndex].header + 1; i < end; ++i) {
        const auto lineKey = keyOf(line(i));
        if (lineKey && sameName(*lineKey, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    const auto sectionIndex = findSection(section);
    if (!sectionIndex) return std::nullopt;
    const auto lineIndex = findKey(*sectionIndex, key);
    if (!lineIndex) return std::nullopt;
    return valueOf(line(*lineIndex));
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const std::string_view name = sectionName(sections_[i]);
        if (firstSection_.at(lowered(name)) == i) names.emplace_back(name);
    }
    return names;
}

IniFile::Line IniFile::store(std::string_view text)
{
    if (bytes_.size() + text.size() >= sizeLimit) throw Error("The settings text is too large");
    const Line stored{std::uint32_t(bytes_.size()), std::uint32_t(text.size())};
    bytes_.append(text);
    return stored;
}

void IniFile::insertLine(std::size_t at, Line stored)
{
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), stored);
    for (Section& section : sections_)
        if (section.header >= at) ++section.header;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty()) throw Error("A setting needs a section and a key name");
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos || key.front() == ';' ||
        key.front() == '[')
        throw Error("The setting [" + std::string(section) + "] " + std::string(key) +
                    " cannot be written as one line of a settings file");

    const auto sectionIndex = findSection(section);
    if (!sectionIndex) {
        const Line header = store("[" + std::string(section) + "]");
        lines_.push_back(header);
        addSection(section, lines_.size() - 1, header.begin + 1, std::uint32_t(section.size()));
        lines_.push_back(store(std::string(key) + "=" + std::string(value)));
        return;
    }
    if (const auto lineIndex = findKey(*sectionIndex, key)) {
        const std::string spelling(*keyOf(line(*lineIndex)));  // copied: store() may move bytes_
        lines_[*lineIndex] = store(spelling + "=" + std::string(value));
        return;
    }
    std::size_t last = sections_[*sectionIndex].header;
    const std::size_t end = sectionEnd(*sectionIndex);
    for (std::size_t i = last + 1; i < end; ++i)
        if (!trimBlanks(line(i)).empty()) last = i;
    insertLine(last + 1, store(std::string(key) + "=" + std::string(value)));
}

std::string IniFile::text() const
{
    std::string out;
    out.reserve(bytes_.size() + lines_.size() * 2);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out.append(line(i));
        out.append("\r\n");
    }
    return out;
}

void IniFile::save(const std::filesystem::path& file) const
{
    writeFileAtomically(file, text());
}

}  // namespace quorvel::platform
