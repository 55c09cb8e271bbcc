// app/settings.h: the nine user settings and their file, "qrvl.ini".
//
// They are read once at start-up and written back, all nine, when the main window closes; the
// options dialog edits them in between. A missing file or key gives the default; nothing read is
// checked or corrected here. Writing keeps every other section, key and comment of the file.
#pragma once

#include "board/time_mode.h"
#include "platform/ini_file.h"

#include <filesystem>
#include <string>

namespace quorvel::app {

// Texts are Windows-1252 bytes, as the file holds them.
struct Settings {
    std::string defaultAirport;  // [Airport] default: ICAO code preselected on the board
    bool autoload = false;       // [FlightPlan] Autoload: load the flight table at first show
    bool searchByUI = false;     // [Aircraft] SearchByUI: airline from "ui_variation", not "atc_airline"
    bool overrideDst = false;    // [FlightPlan] OverDST: invert the system's daylight-saving flag
    std::string flightPlanFile = "flightplans.txt";  // [FlightPlan] FlpName
    std::string aircraftListFile = "aircraft.txt";   // [FlightPlan] AirName
    std::string gridColor = "clBlack";               // [Behaviour] GridColor: board background, a colour text
    std::string fontColor = "clWhite";               // [Behaviour] FontColor: board text, a colour text
    std::string trafficPercent = "100";              // [FlightPlan] TrafficPercent: kept and compared as text
    // [BoardTime], a section of its own, written only once it differs from these defaults, so a
    // user who never changes them keeps the nine keys alone.
    board::TimeMode timeMode = board::TimeMode::Computer;  // Mode: "computer", "airport" or "utc"
    int windowHours = 0;                                   // WindowHours: 0 for the day board, 1..24

    bool operator==(const Settings&) const = default;
};

// Yes/no keys read as integers (non-zero is yes); one that is absent or not an integer is no.
// A text key present with an empty value reads as the empty text, not as its default.
Settings readSettings(const platform::IniFile& file);

// Sets the nine keys in their fixed order ("1"/"0" for yes/no), so a new file holds the sections
// Airport, FlightPlan, Aircraft, Behaviour in that order.
void writeSettings(platform::IniFile& file, const Settings& settings);

// A missing file gives every default; an unreadable one throws quorvel::Error.
Settings loadSettings(const std::filesystem::path& file);

// Reads the existing file, sets the nine keys and writes it atomically, creating its folder when
// missing. Throws quorvel::Error naming the path and the reason; the old file then stays whole.
void saveSettings(const std::filesystem::path& file, const Settings& settings);

// "$XDG_CONFIG_HOME/qrvl.ini", else "$HOME/.config/qrvl.ini". An empty or relative
// XDG_CONFIG_HOME counts as unset. Throws quorvel::Error when neither gives a folder.
std::filesystem::path settingsPath(const char* xdgConfigHome, const char* home);

}  // namespace quorvel::app
