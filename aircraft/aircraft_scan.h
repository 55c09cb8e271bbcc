// aircraft/aircraft_scan.h: Convert > "Aircraft", the scan that rebuilds "aircraft.cds".
//
// Two passes. The catalogue pass reads every variation ("fltsim.0", "fltsim.1", ... up to the
// first title that reads "0") of the "aircraft.cfg" in each of the simulator's aircraft folders
// into one "<nu>" record each, and the table is saved. The matching pass then walks the AI
// aircraft list and gives each line's number to the first record whose title equals the line's
// title without regard to letter case, compared on the 48 characters a title keeps; a record
// that already has a number (or is "<nf>") gets a numbered copy instead, and a title that
// matches nothing becomes an "<nf>" record. The table is saved again.
//
// Titles are looked up through a hash of the case-folded 48-character title to its first record,
// kept up to date as records are added, so a long list against many variations stays linear.
// Each "aircraft.cfg" is held in memory only while its own variations are read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::aircraft {

inline constexpr const char* listUnreadableCaption = "WARNING";
inline constexpr const char* listUnreadableText = "The aircraft file not exist in QRVL directory";

struct ScanInputs {
    std::string simulatorFolder;               // as the registry holds it ("C:\FS2002"), or a Unix path ("/...")
    std::vector<std::string> aircraftFolders;  // names of the sub-folders of the simulator's aircraft folder
    bool searchByUI = false;                   // the airline is "ui_variation" instead of "atc_airline"
    std::filesystem::path aircraftList;        // the AI aircraft list; an empty path means the setting is empty
    std::filesystem::path winePrefix;          // maps the simulator folder's drive letter
    std::filesystem::path outFile;             // "aircraft.cds" in the program folder
};

// What the main window shows while the scan runs. The scan calls it on its own thread, which in
// the program is the user-interface thread.
struct ScanReport {
    virtual ~ScanReport() = default;
    virtual void catalogueStarted() = 0;          // hourglass, "Processing..." in the last status panel, repaint
    virtual void catalogueFinished() = 0;         // normal cursor, the last status panel empty
    virtual void progressRange(int maximum) = 0;  // the bar runs from 0 to `maximum` (the list's lines)
    virtual void progress(int position) = 0;
    virtual void warning(std::string_view caption, std::string_view text) = 0;  // a message box with OK
};

enum class ScanOutcome {
    TableWritten,    // "aircraft.cds" was written: Convert > "FlightPlan" becomes available
    ListUnreadable,  // the warning was shown; nothing was written and the menu stays as it is
};

// A simulator folder on this machine, given as a host path (a relative one is taken from the
// working folder), with the sub-folders of its aircraft folder found in any letter case; nothing
// when it is not a folder.
struct HostSimulator {
    std::string simulatorFolder;  // absolute
    std::vector<std::string> aircraftFolders;
};
std::optional<HostSimulator> hostSimulator(const std::filesystem::path& folder);

// The title of every variation the catalogue pass reads, in its order (the simulator folder,
// aircraft folders and prefix of `inputs`; nothing is written).
std::vector<std::string> installedTitles(const ScanInputs& inputs);

// Runs the scan. A failed save throws quorvel::Error naming the file; the cursor and the
// status panel are put back first.
ScanOutcome scanAircraft(const ScanInputs& inputs, ScanReport& report);

}  // namespace quorvel::aircraft
