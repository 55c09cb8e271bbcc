// platform/program_folder.h: where the program keeps its tables, the simulator's copied files and
// the flag folder.
//
// Run from where it was built, that is the executable's own folder. Installed, it cannot be: the
// executable sits in a folder like /usr/bin beside other programs. The program counts as installed
// when its shipped data sits in "../share/quorvel" beside the executable's folder, or when it may
// not write into the executable's folder. Then the program folder is "$XDG_DATA_HOME/quorvel"
// (by default "~/.local/share/quorvel"), made at the first start and given a copy of the shipped
// airport table, airport zones and flag folder. Writability alone cannot decide it: root may write
// into /usr/bin, and its tables do not belong there.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::platform {

// The name of the folder under share/ and under $XDG_DATA_HOME.
inline constexpr std::string_view programDataName = "quorvel";

// What a new program folder gets from the shipped data: the airport table, the airports' time
// zones and the flag folder with its list and pictures.
inline constexpr std::array<std::string_view, 3> shippedItems = {"airport.cds", "airport-zones.csv", "flag"};

struct ProgramFolder {
    std::filesystem::path folder;      // where the program reads and writes its files
    std::filesystem::path dataFolder;  // the shipped files `folder` is filled from; empty when run where it was built
    friend bool operator==(const ProgramFolder&, const ProgramFolder&) = default;
};

// "<folder of the executable>/../share/quorvel", without the "..".
std::filesystem::path dataFolderOf(const std::filesystem::path& executable);

// The decision, without touching anything but the test for the data folder. `xdgDataHome` and
// `home` are the environment's values (null when unset); a relative XDG_DATA_HOME is ignored, as
// the XDG rules ask. Throws quorvel::Error when the folder is in the home and neither is set.
ProgramFolder chooseProgramFolder(const std::filesystem::path& executable, bool executableFolderWritable,
                                  const char* xdgDataHome, const char* home);

// Whether this process may make files in `folder`.
bool folderWritable(const std::filesystem::path& folder);

// Makes the program folder when it is missing and copies into it each shipped item that it lacks,
// each under a hidden name first and then renamed, so that a copy cut short is never taken for the
// item. Items already there, edited by the user or not, stay as they are. Returns the names copied.
// Throws quorvel::Error naming the file and the reason when the folder cannot be made or an item
// cannot be copied.
std::vector<std::string> prepareProgramFolder(const ProgramFolder& place);

// The program folder of this process, from /proc/self/exe, XDG_DATA_HOME and HOME; not yet
// prepared. Throws quorvel::Error as chooseProgramFolder() does.
ProgramFolder thisProgramFolder();

// A file the program reads: the program folder's copy, else the shipped one when there is a data
// folder and it has the file, else the program folder's path (for the error message).
std::filesystem::path readableProgramFile(const ProgramFolder& place, std::string_view name);

}  // namespace quorvel::platform
