#include "flags/flag_list.h"

#include "platform/atomic_file.h"
#include "platform/byte_order_mark.h"
#include "platform/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace quorvel::flags {

namespace {

std::string readWholeFile(const std::filesystem::path& file)
{
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) throw Error(file.string() + ": is a folder, not a flag list");
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!handle) throw Error(file.string() + ": cannot be opened: " + std::strerror(errno));
    std::string bytes;
    char chunk[8192];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, handle.get())) > 0) bytes.append(chunk, got);
    if (std::ferror(handle.get())) throw Error(file.string() + ": cannot be read: " + std::strerror(errno));
    return bytes;
}

}  // namespace

std::filesystem::path flagFolderOf(const std::filesystem::path& programFolder)
{
    return programFolder / flagFolderName;
}

std::filesystem::path flagListFile(const std::filesystem::path& flagFolder)
{
    return flagFolder / flagListFileName;
}

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

FlagList::FlagList(std::vector<std::string> lines) : lines_(std::move(lines))
{
    index();
}

FlagList FlagList::read(const std::filesystem::path& file)
{
    const std::string bytes = readWholeFile(file);
    return FlagList(splitLines(std::string_view(bytes).substr(platform::byteOrderMarkSize(bytes))));
}

void FlagList::load(const std::filesystem::path& file)
{
    *this = read(file);
}

void FlagList::save(const std::filesystem::path& file) const
{
    std::string bytes;
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    platform::writeFileAtomically(file, bytes);
}

void FlagList::clear()
{
    lines_.clear();
    firstLine_.clear();
}

std::optional<std::string> FlagList::flagName(std::string_view airline) const
{
    const auto found = firstLine_.find(airline);
    if (found == firstLine_.end()) return std::nullopt;
    const std::string& line = lines_[found->second];
    return line.substr(line.find('=') + 1);
}

void FlagList::index()
{
    firstLine_.clear();
    firstLine_.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::size_t equals = lines_[i].find('=');
        if (equals != std::string::npos) firstLine_.try_emplace(lines_[i].substr(0, equals), i);  // the first line wins
    }
}

}  // namespace quorvel::flags
