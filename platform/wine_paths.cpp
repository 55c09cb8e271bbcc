#include "platform/wine_paths.h"

#include "platform/case_fold.h"
#include "platform/windows1252.h"

#include <dirent.h>
#include <sys/stat.h>

namespace quorvel::platform {

namespace {

// The entry of `folder` named `name` in whatever letter case it has on disk.
std::string matchingEntry(const std::filesystem::path& folder, const std::string& name)
{
    std::error_code error;
    if (std::filesystem::exists(folder / name, error)) return name;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return name;
    std::string found = name;
    while (const dirent* entry = ::readdir(dir)) {
        if (equalIgnoringAsciiCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::filesystem::path settingFile(const std::filesystem::path& folder, std::string_view windows1252Name)
{
    if (windows1252Name.empty()) return {};
    return folder / utf8FromWindows1252(windows1252Name);
}

std::filesystem::path resolveIgnoringCase(const std::filesystem::path& base, const std::filesystem::path& relative)
{
    std::filesystem::path result = base;
    for (const auto& component : relative) {
        const std::string name = component.string();
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            result = result.parent_path();
            continue;
        }
        result /= matchingEntry(result, name);
    }
    return result;
}

std::filesystem::path hostPath(std::string_view windowsPath, const std::filesystem::path& winePrefix)
{
    if (windowsPath.starts_with('/')) return std::filesystem::path(std::string(windowsPath));
    char drive = 'c';
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        drive = foldAscii(windowsPath[0]);
        windowsPath.remove_prefix(2);
    }
    std::string relative;
    for (const char c : windowsPath) relative += c == '\\' ? '/' : c;
    while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    const std::filesystem::path root = winePrefix / "dosdevices" / (std::string(1, drive) + ":");
    return resolveIgnoringCase(root, relative);
}

std::vector<FolderEntry> listFolder(const std::filesystem::path& folder)
{
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir)) {
        FolderEntry e{entry->d_name, entry->d_type == DT_DIR};
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            e.isFolder = ::stat((folder / entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(e));
    }
    ::closedir(dir);
    return entries;
}

std::filesystem::path winePrefix(const char* winePrefixVariable, const char* home)
{
    if (winePrefixVariable && *winePrefixVariable) return winePrefixVariable;
    return std::filesystem::path(home && *home ? home : "/") / ".wine";
}

}  // namespace quorvel::platform
