// An aircraft.cfg of many variations: every section is found, by any letter case, and a value
// set in one lands in that one. How long this takes is a figure of bench/.
#include "platform/ini_file.h"
#include "tests/support/limit_inputs.h"

#include <gtest/gtest.h>

using quorvel::platform::IniFile;

TEST(IniFileLimits, ManySectionsAreEachFound)
{
    constexpr int count = 200000;
    IniFile ini = IniFile::parse(quorvel::test::profileOfManySections(count));
    int found = 0;
    for (int i = 0; i < count; ++i)
        if (ini.value("FLTSIM." + std::to_string(i), "Title") == "Aircraft " + std::to_string(i)) ++found;
    ini.set("fltsim.0", "ui_variation", "Y");
    EXPECT_EQ(found, count);
    EXPECT_EQ(ini.sections().size(), std::size_t(count) + 1);
    EXPECT_EQ(ini.value("fltsim.0", "ui_variation"), "Y");
    EXPECT_EQ(ini.value("fltsim.1", "title"), "Aircraft 1");
    EXPECT_EQ(ini.value("fltsim.1", "ui_variation"), std::nullopt);
}
