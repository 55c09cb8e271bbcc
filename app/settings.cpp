#include "app/settings.h"

#include "app/colours.h"
#include "platform/case_fold.h"
#include "platform/error.h"

#include <system_error>

namespace quorvel::app {

namespace {

void readText(const platform::IniFile& file, std::string_view section, std::string_view key, std::string& into)
{
    if (auto value = file.value(section, key)) into = std::move(*value);
}

void readYesNo(const platform::IniFile& file, std::string_view section, std::string_view key, bool& into)
{
    if (const auto value = file.value(section, key))
        if (const auto number = parseInteger(*value)) into = *number != 0;
}

const char* yesNo(bool value)
{
    return value ? "1" : "0";
}

constexpr const char* timeModeNames[] = {"computer", "airport", "utc"};

// An unknown mode or a window out of range reads as the default.
void readBoardTime(const platform::IniFile& file, Settings& settings)
{
    if (const auto mode = file.value("BoardTime", "Mode"))
        for (int m = 0; m < 3; ++m)
            if (platform::equalIgnoringAsciiCase(*mode, timeModeNames[m])) settings.timeMode = board::TimeMode(m);
    if (const auto hours = file.value("BoardTime", "WindowHours"))
        if (const auto number = parseInteger(*hours); number && *number >= 0 && *number <= board::maxWindowHours)
            settings.windowHours = int(*number);
}

// Written when it differs from the defaults, or when the file already holds the section, so a
// return to the defaults is kept too.
void writeBoardTime(platform::IniFile& file, const Settings& settings)
{
    const bool differs = settings.timeMode != board::TimeMode::Computer || settings.windowHours != 0;
    if (!differs && !file.value("BoardTime", "Mode") && !file.value("BoardTime", "WindowHours")) return;
    file.set("BoardTime", "Mode", timeModeNames[int(settings.timeMode)]);
    file.set("BoardTime", "WindowHours", std::to_string(settings.windowHours));
}

}  // namespace

Settings readSettings(const platform::IniFile& file)
{
    Settings settings;
    readText(file, "Airport", "default", settings.defaultAirport);
    readYesNo(file, "FlightPlan", "Autoload", settings.autoload);
    readYesNo(file, "Aircraft", "SearchByUI", settings.searchByUI);
    readYesNo(file, "FlightPlan", "OverDST", settings.overrideDst);
    readText(file, "FlightPlan", "FlpName", settings.flightPlanFile);
    readText(file, "FlightPlan", "AirName", settings.aircraftListFile);
    readText(file, "Behaviour", "FontColor", settings.fontColor);
    readText(file, "Behaviour", "GridColor", settings.gridColor);
    readText(file, "FlightPlan", "TrafficPercent", settings.trafficPercent);
    readBoardTime(file, settings);
    return settings;
}

void writeSettings(platform::IniFile& file, const Settings& settings)
{
    file.set("Airport", "default", settings.defaultAirport);
    file.set("FlightPlan", "Autoload", yesNo(settings.autoload));
    file.set("Aircraft", "SearchByUI", yesNo(settings.searchByUI));
    file.set("FlightPlan", "OverDST", yesNo(settings.overrideDst));
    file.set("FlightPlan", "FlpName", settings.flightPlanFile);
    file.set("FlightPlan", "AirName", settings.aircraftListFile);
    file.set("Behaviour", "GridColor", settings.gridColor);
    file.set("Behaviour", "FontColor", settings.fontColor);
    file.set("FlightPlan", "TrafficPercent", settings.trafficPercent);
    writeBoardTime(file, settings);
}

Settings loadSettings(const std::filesystem::path& file)
{
    return readSettings(platform::IniFile::read(file));
}

void saveSettings(const std::filesystem::path& file, const Settings& settings)
{
    platform::IniFile ini = platform::IniFile::read(file);
    writeSettings(ini, settings);
    const std::filesystem::path folder = file.parent_path();
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) throw Error(file.string() + ": cannot be written: " + error.message());
    }
    ini.save(file);
}

std::filesystem::path settingsPath(const char* xdgConfigHome, const char* home)
{
    if (xdgConfigHome && *xdgConfigHome && std::filesystem::path(xdgConfigHome).is_absolute())
        return std::filesystem::path(xdgConfigHome) / "qrvl.ini";
    if (home && *home) return std::filesystem::path(home) / ".config" / "qrvl.ini";
    throw Error("qrvl.ini: no folder for the settings file: neither XDG_CONFIG_HOME nor HOME is set");
}

}  // namespace quorvel::app
