#include "tables/airport_zones.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

TEST(AirportZones, ReadsEachAirportsZone)
{
    TempFolder folder;
    test::writeBytes(folder / "zones.csv",
                     "\xEF\xBB\xBFICAO_CODE,TIME_ZONE\r\n"
                     "LIRF,Europe/Rome\r\n"
                     "KJFK,America/New_York\n"
                     "\n"
                     "X,UTC");
    AirportZones zones;
    zones.load(folder / "zones.csv");
    EXPECT_EQ(zones.size(), 3u);
    EXPECT_EQ(zones.zoneOf("LIRF"), "Europe/Rome");
    EXPECT_EQ(zones.zoneOf("KJFK"), "America/New_York");
    EXPECT_EQ(zones.zoneOf("X"), "UTC");
    for (const char* none : {"", "lirf", "LIR", "EGLL"}) EXPECT_FALSE(zones.zoneOf(none)) << none;
}

TEST(AirportZones, AFaultyFileIsRefusedNamingTheFileAndLineAndKeepsTheOldList)
{
    const struct {
        const char* what;
        std::string text;
        int line;
    } cases[] = {
        {"empty file", "", 1},
        {"header", "ICAO_CODE,ZONE\nLIRF,Europe/Rome\n", 1},
        {"no comma", "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome\nEGLL Europe/London\n", 3},
        {"two commas", "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome,IT\n", 2},
        {"long code", "ICAO_CODE,TIME_ZONE\nLIRFX,Europe/Rome\n", 2},
        {"no code", "ICAO_CODE,TIME_ZONE\n,Europe/Rome\n", 2},
        {"unknown zone", "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome\nEGLL,Europe/Londres\n", 3},
        {"empty zone", "ICAO_CODE,TIME_ZONE\nLIRF,\n", 2},
        {"code twice", "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome\nEGLL,Europe/London\nLIRF,Europe/Paris\n", 4},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        test::writeBytes(folder / "good.csv", "ICAO_CODE,TIME_ZONE\nLSZH,Europe/Zurich\n");
        test::writeBytes(folder / "zones.csv", c.text);
        AirportZones zones;
        zones.load(folder / "good.csv");
        try {
            zones.load(folder / "zones.csv");
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const Error& e) {
            const std::string where = (folder / "zones.csv").string() + ":" + std::to_string(c.line) + ":";
            EXPECT_TRUE(std::string(e.what()).starts_with(where)) << c.what << ": " << e.what();
        }
        EXPECT_EQ(zones.size(), 1u) << c.what;
        EXPECT_EQ(zones.zoneOf("LSZH"), "Europe/Zurich") << c.what;
    }
}

TEST(AirportZones, AMissingFileIsNamed)
{
    TempFolder folder;
    AirportZones zones;
    try {
        zones.load(folder / "airport-zones.csv");
        ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find((folder / "airport-zones.csv").string()), std::string::npos) << e.what();
    }
}
