// platform/wine_paths.h: Windows paths as the simulator and its registry write them, found on
// the Linux file system of a Wine prefix.
//
// "C:\Program Files\FS2002\Aircraft\b737\Aircraft.cfg" maps the drive letter through the
// prefix's "dosdevices" folder, then resolves each component without regard to letter case,
// as Windows does. A path that already starts with "/" is a Unix path and is used as it is.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::platform {

// The host path of `windowsPath`. Components that match no entry keep their spelling, so the
// result names the file that would be created there. A path without a drive letter is on C:.
std::filesystem::path hostPath(std::string_view windowsPath, const std::filesystem::path& winePrefix);

// The file a file name setting names ("FlpName", "AirName": Windows-1252 bytes). A bare name is a
// file in `folder`, an absolute one stands for itself; either is spelled in UTF-8, as the host's
// file names are, so the setting "avi\xF3n.txt" names the file listed as "avi\u00F3n.txt". The
// empty setting names no file: the empty path. The conversion and the aircraft scan both find
// their file through this, so the two can never disagree on a name.
std::filesystem::path settingFile(const std::filesystem::path& folder, std::string_view windows1252Name);

// `base` / `relative` with every component of `relative` matched without regard to letter case.
std::filesystem::path resolveIgnoringCase(const std::filesystem::path& base, const std::filesystem::path& relative);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// Every entry of `folder` in the order the file system gives them, "." and ".." included.
// A missing or unreadable folder has no entries.
std::vector<FolderEntry> listFolder(const std::filesystem::path& folder);

// The Wine prefix: $WINEPREFIX, else ~/.wine.
std::filesystem::path winePrefix(const char* winePrefixVariable, const char* home);

}  // namespace quorvel::platform
