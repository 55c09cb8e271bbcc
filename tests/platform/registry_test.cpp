#include "platform/registry.h"
#include "platform/time_zone.h"
#include "platform/wine_paths.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace quorvel::platform;
using quorvel::test::TempFolder;

namespace {

constexpr const char* key = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";

const char* systemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0\\\\Sub] 1700000000\n"
    "\"EXE Path\"=\"wrong: a sub-key\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1700000000\n"
    "#time=1d9e0e0c6bc2a4e\n"
    "\"Count\"=dword:00000001\n"
    "\"exe path\"=\"C:\\\\Program Files\\\\Microsoft Games\\\\FS2002\"\n"
    "\"EXE Path\"=\"second occurrence\"\n"
    "\"Quoted\"=\"say \\\"hi\\\"\"\n"
    "\n";

}  // namespace

TEST(Registry, FindsKeyIgnoringCaseAndUndoesEscapes)
{
    const auto found = findKey(systemReg, "software\\MICROSOFT\\Microsoft Games\\Flight Simulator\\8.0");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->text("EXE Path"), "C:\\Program Files\\Microsoft Games\\FS2002");
    EXPECT_EQ(found->text("Quoted"), "say \"hi\"");
    EXPECT_FALSE(found->text("Count"));  // not a text value
    EXPECT_FALSE(found->text("Missing"));
}

TEST(Registry, ThirtyTwoBitKeysOfA64BitPrefixAreFoundToo)
{
    const std::string wow =
        "WINE REGISTRY Version 2\r\n"
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\r\n"
        "\"EXE Path\"=\"D:\\\\FS2002\"\r\n";
    const auto found = findKey(wow, key);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->text("EXE Path"), "D:\\FS2002");
}

TEST(Registry, MissingFileOrKeyCannotBeOpened)
{
    TempFolder prefix;
    EXPECT_FALSE(openLocalMachineKey(prefix.path(), key));
    quorvel::test::writeBytes(prefix / "system.reg", "WINE REGISTRY Version 2\n[Software\\\\Other] 1\n\"A\"=\"b\"\n");
    EXPECT_FALSE(openLocalMachineKey(prefix.path(), key));
    quorvel::test::writeBytes(prefix / "system.reg", systemReg);
    EXPECT_TRUE(openLocalMachineKey(prefix.path(), key));
    // A key without values opens; its absent value reads as nothing.
    EXPECT_FALSE(
        findKey("[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\n", key)->text("EXE Path"));
}

TEST(WinePaths, DriveLettersAndLetterCaseResolveLikeWindows)
{
    TempFolder prefix;
    std::filesystem::create_directories(prefix / "drive_c" / "Program Files" / "FS2002" / "Aircraft" / "B737");
    std::filesystem::create_directories(prefix / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    quorvel::test::writeBytes(prefix / "drive_c" / "Program Files" / "FS2002" / "Aircraft" / "B737" / "Aircraft.CFG",
                              "x");

    const auto cfg = hostPath("C:\\program files\\fs2002\\aircraft\\b737\\aircraft.cfg", prefix.path());
    EXPECT_EQ(quorvel::test::readBytes(cfg), "x");
    EXPECT_EQ(cfg.filename(), "Aircraft.CFG");
    EXPECT_EQ(hostPath("c:\\Program Files\\FS2002\\new.txt", prefix.path()),
              prefix / "dosdevices" / "c:" / "Program Files" / "FS2002" / "new.txt");
    EXPECT_EQ(hostPath("/opt/fs2002/aircraft", prefix.path()), std::filesystem::path("/opt/fs2002/aircraft"));
    // An empty simulator folder makes the aircraft folder the root of the current drive.
    EXPECT_EQ(hostPath("\\aircraft\\", prefix.path()), prefix / "dosdevices" / "c:" / "aircraft");
}

TEST(WinePaths, ListingNamesFoldersAndDotEntries)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "b737");
    quorvel::test::writeBytes(folder / "readme.txt", "");
    auto entries = listFolder(folder.path());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_EQ(entries[2].name, "b737");
    EXPECT_TRUE(entries[2].isFolder);
    EXPECT_EQ(entries[3].name, "readme.txt");
    EXPECT_FALSE(entries[3].isFolder);
    EXPECT_TRUE(listFolder(folder / "missing").empty());
}

TEST(WinePaths, FileNameSettingsNameTheFileAsTheHostSpellsIt)
{
    const std::filesystem::path folder = "/opt/quorvel";
    const struct {
        const char* setting;  // Windows-1252, as qrvl.ini holds it
        std::filesystem::path expected;
    } cases[] = {
        {"aircraft.txt", "/opt/quorvel/aircraft.txt"},
        {"avi\xF3n.txt", "/opt/quorvel/avi\u00F3n.txt"},
        {"\x80 plans.txt", "/opt/quorvel/\u20AC plans.txt"},
        {"/srv/fs/Pl\xE4ne.txt", "/srv/fs/Pl\u00E4ne.txt"},
        {"", ""},  // no file at all, not the folder
    };
    for (const auto& c : cases) EXPECT_EQ(settingFile(folder, c.setting), c.expected) << c.setting;
}

TEST(TimeZone, GmtPanelDropsTheFractionTowardZero)
{
    struct Case {
        const char* tz;
        const char* panel;
    } cases[] = {{"IST-5:30", "GMT:5"},
                 {"NST3:30", "GMT:-3"},
                 {"NPT-5:45", "GMT:5"},
                 {"UTC0", "GMT:0"},
                 {"EST5EDT,M3.2.0,M11.1.0", "GMT:-5"}};
    const char* saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    for (const Case& c : cases) {
        ::setenv("TZ", c.tz, 1);
        EXPECT_EQ(gmtPanelText(localTimeZone()), c.panel) << c.tz;
    }
    ::setenv("TZ", "UTC0", 1);
    EXPECT_FALSE(localTimeZone().daylight);
    ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    EXPECT_TRUE(localTimeZone().daylight);
    EXPECT_FALSE(daylightInForce(localTimeZone(), true));
    if (saved)
        ::setenv("TZ", restore.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}
