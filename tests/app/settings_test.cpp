#include "app/settings.h"
#include "app/colours.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using app::Settings;
using platform::IniFile;
using test::TempFolder;

namespace {

const char* const firstFile =
    "[Airport]\r\n"
    "default=\r\n"
    "[FlightPlan]\r\n"
    "Autoload=0\r\n"
    "OverDST=0\r\n"
    "FlpName=flightplans.txt\r\n"
    "AirName=aircraft.txt\r\n"
    "TrafficPercent=100\r\n"
    "[Aircraft]\r\n"
    "SearchByUI=0\r\n"
    "[Behaviour]\r\n"
    "GridColor=clBlack\r\n"
    "FontColor=clWhite\r\n";

}  // namespace

TEST(Settings, FirstRunUsesTheDefaultsAndCreatesTheFourSections)
{
    TempFolder folder;
    const Settings settings = app::loadSettings(folder / "qrvl.ini");
    EXPECT_EQ(settings, Settings{});
    EXPECT_EQ(settings.trafficPercent, "100");
    app::saveSettings(folder / "qrvl.ini", settings);
    EXPECT_EQ(test::readBytes(folder / "qrvl.ini"), firstFile);
}

TEST(Settings, ReadsEveryKeyFromItsSection)
{
    const Settings settings =
        app::readSettings(IniFile::parse("[airport]\ndefault = EGLL\n"
                                         "[FLIGHTPLAN]\nautoload=1\noverdst=-1\nflpname=Plans.TXT\n"
                                         "airname=ai.txt\ntrafficpercent=50\n"
                                         "[Aircraft]\nSearchByUI=2\n"
                                         "[Behaviour]\nGridColor=clNavy\nFontColor=$0000FFFF\n"));
    Settings expected;
    expected.defaultAirport = "EGLL";
    expected.autoload = expected.overrideDst = expected.searchByUI = true;
    expected.flightPlanFile = "Plans.TXT";
    expected.aircraftListFile = "ai.txt";
    expected.trafficPercent = "50";
    expected.gridColor = "clNavy";
    expected.fontColor = "$0000FFFF";
    EXPECT_EQ(settings, expected);
}

TEST(Settings, YesNoIsAnIntegerAndAnythingElseIsNo)
{
    const struct {
        const char* text;
        bool yes;
    } cases[] = {{"1", true},     {"-3", true}, {"$10", true}, {" 7 ", true},          {"0", false}, {"yes", false},
                 {"true", false}, {"", false},  {"1x", false}, {"99999999999", false}, {"$", false}, {"-", false}};
    for (const auto& c : cases) {
        const Settings settings = app::readSettings(IniFile::parse(std::string("[FlightPlan]\nAutoload=") + c.text));
        EXPECT_EQ(settings.autoload, c.yes) << "'" << c.text << "'";
    }
}

TEST(Settings, AnEmptyValueIsTheEmptyTextNotTheDefault)
{
    const Settings settings =
        app::readSettings(IniFile::parse("[Airport]\ndefault=\n[FlightPlan]\nFlpName=\nTrafficPercent=\n"));
    EXPECT_EQ(settings.defaultAirport, "");
    EXPECT_EQ(settings.flightPlanFile, "");
    EXPECT_EQ(settings.trafficPercent, "");
    EXPECT_EQ(settings.aircraftListFile, "aircraft.txt");
}

TEST(Settings, WritingKeepsTheRestOfTheFileAndReadsBackTheSame)
{
    TempFolder folder;
    test::writeBytes(folder / "qrvl.ini",
                     "; my settings\n[Behaviour]\nfontcolor=clRed\nExtra=keep me\n\n"
                     "[Airport]\nDefault=LIRF\n");
    Settings settings = app::loadSettings(folder / "qrvl.ini");
    EXPECT_EQ(settings.fontColor, "clRed");
    settings.defaultAirport = "KJFK";
    settings.overrideDst = true;
    settings.fontColor = "clYellow";
    app::saveSettings(folder / "qrvl.ini", settings);
    EXPECT_EQ(test::readBytes(folder / "qrvl.ini"),
              "; my settings\r\n"
              "[Behaviour]\r\n"
              "fontcolor=clYellow\r\n"
              "Extra=keep me\r\n"
              "GridColor=clBlack\r\n"
              "\r\n"
              "[Airport]\r\n"
              "Default=KJFK\r\n"
              "[FlightPlan]\r\n"
              "Autoload=0\r\n"
              "OverDST=1\r\n"
              "FlpName=flightplans.txt\r\n"
              "AirName=aircraft.txt\r\n"
              "TrafficPercent=100\r\n"
              "[Aircraft]\r\n"
              "SearchByUI=0\r\n");
    EXPECT_EQ(app::loadSettings(folder / "qrvl.ini"), settings);
}

// The board's time mode and window have a section of their own that a user who never changes
// them never sees; once written, a return to the defaults is written too.
TEST(Settings, BoardTimeIsWrittenOnlyOnceItDiffersFromTheDefaults)
{
    IniFile ini = IniFile::parse("");
    Settings settings;
    app::writeSettings(ini, settings);
    EXPECT_EQ(ini.text(), firstFile);

    settings.timeMode = board::TimeMode::Airport;
    settings.windowHours = 12;
    app::writeSettings(ini, settings);
    EXPECT_EQ(ini.text(), std::string(firstFile) + "[BoardTime]\r\nMode=airport\r\nWindowHours=12\r\n");
    EXPECT_EQ(app::readSettings(ini), settings);

    settings.timeMode = board::TimeMode::Computer;
    settings.windowHours = 0;
    app::writeSettings(ini, settings);
    EXPECT_EQ(ini.value("BoardTime", "Mode"), "computer");
    EXPECT_EQ(app::readSettings(ini), settings);

    const struct {
        const char* text;
        board::TimeMode mode;
        int hours;
    } cases[] = {
        {"[BoardTime]\nMode=UTC\nWindowHours=24\n", board::TimeMode::Utc, 24},
        {"[BoardTime]\nMode=Airport\nWindowHours=1\n", board::TimeMode::Airport, 1},
        {"[BoardTime]\nMode=moon\nWindowHours=25\n", board::TimeMode::Computer, 0},
        {"[BoardTime]\nMode=\nWindowHours=-1\n", board::TimeMode::Computer, 0},
        {"[BoardTime]\nWindowHours=six\n", board::TimeMode::Computer, 0},
    };
    for (const auto& c : cases) {
        const Settings read = app::readSettings(IniFile::parse(c.text));
        EXPECT_EQ(read.timeMode, c.mode) << c.text;
        EXPECT_EQ(read.windowHours, c.hours) << c.text;
    }
}

TEST(Settings, SaveCreatesTheFolderAndAFailedSaveNamesThePathAndKeepsTheFile)
{
    TempFolder folder;
    app::saveSettings(folder / "config" / "qrvl.ini", Settings{});
    EXPECT_EQ(test::readBytes(folder / "config" / "qrvl.ini"), firstFile);

    test::writeBytes(folder / "plain", "a file, not a folder");
    try {
        app::saveSettings(folder / "plain" / "qrvl.ini", Settings{});
        FAIL() << "saved below a plain file";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find((folder / "plain" / "qrvl.ini").string()), std::string::npos)
            << error.what();
    }

    Settings unwritable;
    unwritable.flightPlanFile = "two\nlines";
    EXPECT_THROW(app::saveSettings(folder / "config" / "qrvl.ini", unwritable), Error);
    EXPECT_EQ(test::readBytes(folder / "config" / "qrvl.ini"), firstFile);
}

TEST(Settings, FileLivesInTheUsersConfigFolder)
{
    EXPECT_EQ(app::settingsPath("/xdg", "/home/u"), "/xdg/qrvl.ini");
    EXPECT_EQ(app::settingsPath("", "/home/u"), "/home/u/.config/qrvl.ini");
    EXPECT_EQ(app::settingsPath(nullptr, "/home/u"), "/home/u/.config/qrvl.ini");
    EXPECT_EQ(app::settingsPath("relative/xdg", "/home/u"), "/home/u/.config/qrvl.ini");
    EXPECT_EQ(app::settingsPath("/xdg", nullptr), "/xdg/qrvl.ini");
    EXPECT_THROW(app::settingsPath(nullptr, ""), Error);
}

TEST(Colours, IdentifiersAndToolkitNumbers)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"clBlack", 0x000000u},
        {"CLWHITE", 0xFFFFFFu},
        {"clred", 0x0000FFu},
        {"clBlue", 0xFF0000u},
        {"clMoneyGreen", 0xC0DCC0u},
        {"clSkyBlue", 0xF0CAA6u},
        {"clCream", 0xF0FBFFu},
        {"clMedGray", 0xA4A0A0u},
        {"$00FF8000", 0xFF8000u},
        {"$ff", 0xFFu},
        {"255", 0xFFu},
        {"-1", 0xFFFFFFFFu},
        {"$FFFFFFFF", 0xFFFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"xyz", std::nullopt},
        {"", std::nullopt},
        {"clBlackish", std::nullopt},
        {"$", std::nullopt},
        {"$1G", std::nullopt},
        {"$100000000", std::nullopt},
        {"2147483648", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(app::colourValue(c.text), c.value) << c.text;
    EXPECT_EQ(app::colourError("xyz"), "'xyz' is not a valid integer value");
}

TEST(Colours, EveryNamedColourHasItsOwnValueAndComesBackByIt)
{
    const auto& colours = app::namedColours();
    ASSERT_EQ(colours.size(), 20u);
    EXPECT_EQ(colours.front().identifier, "clBlack");
    EXPECT_EQ(colours[15].identifier, "clWhite");
    EXPECT_EQ(colours.back().identifier, "clMedGray");
    for (const auto& colour : colours) {
        EXPECT_EQ(app::colourIdentifier(colour.value), colour.identifier);
        EXPECT_EQ(app::colourValue(colour.identifier), colour.value);
    }
    EXPECT_EQ(app::colourIdentifier(0x00FF8000), "$00FF8000");
    const std::uint32_t sky = *app::colourValue("clSkyBlue");
    EXPECT_EQ(int(app::redOf(sky)), 0xA6);
    EXPECT_EQ(int(app::greenOf(sky)), 0xCA);
    EXPECT_EQ(int(app::blueOf(sky)), 0xF0);
}
