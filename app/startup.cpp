#include "app/startup.h"

#include "platform/error.h"
#include "platform/registry.h"
#include "platform/wine_paths.h"

namespace quorvel::app {

namespace {

using namespace std::chrono_literals;

[[noreturn]] void abortStartup(about::SplashScreen& splash, Sleeper& sleeper, const std::string& message)
{
    splash.say(message);
    sleeper.wait(1000ms);
    splash.close();
    throw StartupAborted(message);
}

}  // namespace

std::filesystem::path simulatorPath(const std::string& simulatorFolder, const ProgramEnvironment& environment,
                                    std::string_view below)
{
    // The folder text is used as the registry holds it: no separator is added or removed.
    return platform::hostPath(simulatorFolder + std::string(below), environment.winePrefix);
}

StartupState runStartup(const ProgramEnvironment& environment, about::SplashScreen& splash, Sleeper& sleeper,
                        tables::AirportLookup& airports)
{
    StartupState state;
    splash.setGaugeRange(0, 100);
    splash.show();
    splash.setGauge(10);

    splash.say("Finding MS-FS2002 Directory...");
    const auto key = platform::openLocalMachineKey(environment.winePrefix, simulatorKey);
    if (key) {
        state.simulatorFolder = key->text("EXE Path").value_or("");
        sleeper.wait(250ms);
    }
    if (!key) abortStartup(splash, sleeper, "ABORT: MS FS2002:path not found!");

    splash.say("Finding Aircraft.cfgs...");
    for (const platform::FolderEntry& entry :
         platform::listFolder(simulatorPath(state.simulatorFolder, environment, "\\aircraft\\"))) {
        if (!entry.isFolder) continue;  // only plain folders count; a file costs no step and no wait
        if (entry.name != "." && entry.name != "..") state.aircraftFolders.push_back(entry.name);
        splash.stepGauge();
        sleeper.wait(100ms);
    }
    splash.stepGauge();

    splash.say("Loading airports name...");
    try {
        airports.load(environment.programFolder / tables::airportFileName);
    } catch (const Error&) {
        abortStartup(splash, sleeper, "ABORT: airport.cds not found!");
    }
    splash.setGauge(90);
    splash.stepGauge();

    splash.say("Load settings...");
    try {
        state.settings = loadSettings(environment.settingsFile);
    } catch (const Error&) {
        state.settings = Settings{};  // an unreadable file is a missing one: the defaults, and the warning below
    }
    if (state.settings.defaultAirport.empty()) {
        splash.say("WARNING: Error reading ini file!");
        sleeper.wait(1000ms);
    } else {
        splash.say("Reading ini file...");
        sleeper.wait(75ms);
    }

    splash.setGauge(100);
    splash.say("Ok for now...!");
    sleeper.wait(1000ms);
    splash.close();

    std::error_code ignored;
    state.flightTableExists = std::filesystem::exists(environment.programFolder / "flight.cds", ignored);
    state.aircraftTableExists = std::filesystem::exists(environment.programFolder / "aircraft.cds", ignored);
    return state;
}

}  // namespace quorvel::app
