// app/startup.h: the main window's creation sequence, the part of start-up that needs no window.
//
// It finds the simulator through the registry, lists the simulator's aircraft folders, loads
// the airport list and reads the settings, telling the splash screen how far it got. The waits
// are the program's own and fixed: the splash is meant to be read. A missing simulator key or
// airport list ends start-up: the ABORT text stays up for a second, nothing is written, and
// StartupAborted reaches the program's entry, which ends with status 1.
#pragma once

#include "about/splash_screen.h"
#include "app/settings.h"
#include "platform/interaction.h"
#include "tables/airport_table.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel::app {

inline constexpr const char* simulatorKey = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";

// Where the program finds its files.
struct ProgramEnvironment {
    std::filesystem::path programFolder;  // the executable's folder: tables, the simulator's copied files, "flag"
    std::filesystem::path executable;     // the program itself: its version record
    std::filesystem::path winePrefix;     // the simulator's Wine prefix: registry and drive letters
    std::filesystem::path settingsFile;   // "qrvl.ini"
};

// What the creation sequence leaves in the main window.
struct StartupState {
    std::string simulatorFolder;               // "EXE Path" as the registry holds it
    std::vector<std::string> aircraftFolders;  // sub-folder names of the simulator's aircraft folder
    Settings settings;
    bool flightTableExists = false;    // enables "Load  FlighPlans"
    bool aircraftTableExists = false;  // enables Convert > "FlightPlan"
};

class StartupAborted : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the creation sequence; fills `airports`. Throws StartupAborted.
StartupState runStartup(const ProgramEnvironment& environment, about::SplashScreen& splash, Sleeper& sleeper,
                        tables::AirportLookup& airports);

// The host path of a file under the simulator folder, e.g. simulatorPath(state, env, "aircraft\\b737\\aircraft.cfg").
std::filesystem::path simulatorPath(const std::string& simulatorFolder, const ProgramEnvironment& environment,
                                    std::string_view below);

}  // namespace quorvel::app
