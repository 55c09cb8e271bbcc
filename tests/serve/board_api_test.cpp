#include "serve/board_api.h"
#include "serve/flag_png.h"
#include "tests/serve/served_board.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace quorvel;
using serve::Params;

TEST(BoardRequest, ReadsEveryParameter)
{
    const serve::BoardRequest request = serve::parseBoardRequest({{"airport", "lirf"},
                                                                  {"direction", "arrivals"},
                                                                  {"zone", "utc"},
                                                                  {"window", "24"},
                                                                  {"traffic", "0"},
                                                                  {"international", "1"},
                                                                  {"at", "2024-02-29T23:59"},
                                                                  {"limit", "100000"}});
    EXPECT_EQ(request.airport, "LIRF");
    EXPECT_EQ(request.direction, board::Direction::Arrival);
    EXPECT_EQ(request.mode, board::TimeMode::Utc);
    EXPECT_EQ(request.windowHours, 24);
    EXPECT_EQ(request.traffic, 0);
    EXPECT_TRUE(request.international);
    EXPECT_EQ(request.at, (LocalDateTime{2024, 2, 29, 23, 59, 0}));
    EXPECT_EQ(request.limit, 100000);

    const serve::BoardRequest defaults = serve::parseBoardRequest({{"airport", "EGLL"}});
    EXPECT_EQ(defaults.direction, board::Direction::Departure);
    EXPECT_EQ(defaults.mode, board::TimeMode::Computer);
    EXPECT_EQ(defaults.windowHours, 0);
    EXPECT_EQ(defaults.traffic, 100);
    EXPECT_FALSE(defaults.international);
    EXPECT_FALSE(defaults.at);
    EXPECT_EQ(serve::parseBoardRequest({{"airport", "LIRF"}, {"at", "2024-01-08 09:05"}}).at,
              (LocalDateTime{2024, 1, 8, 9, 5, 0}));
}

TEST(BoardRequest, RefusesWhatItDoesNotKnowWithItsReason)
{
    const struct {
        Params params;
        std::string error;
    } cases[] = {
        {{}, "airport is required"},
        {{{"airport", ""}}, "airport is required"},
        {{{"airport", "LIRF"}, {"colour", "red"}}, "unknown parameter \"colour\""},
        {{{"airport", "LIRF"}, {"airport", "LFPG"}}, "parameter \"airport\" given twice"},
        {{{"airport", "../../etc"}}, "airport takes a code of 1 to 8 letters and digits"},
        {{{"airport", "LIRF'OR'1"}}, "airport takes a code of 1 to 8 letters and digits"},
        {{{"airport", "ABCDEFGHI"}}, "airport takes a code of 1 to 8 letters and digits"},
        {{{"airport", "LIRF"}, {"direction", "both"}}, "direction takes departures|arrivals"},
        {{{"airport", "LIRF"}, {"zone", "Europe/Rome"}}, "zone takes computer|airport|utc"},
        {{{"airport", "LIRF"}, {"window", "25"}}, "window takes a whole number from 0 to 24"},
        {{{"airport", "LIRF"}, {"window", "-1"}}, "window takes a whole number from 0 to 24"},
        {{{"airport", "LIRF"}, {"window", "1.5"}}, "window takes a whole number from 0 to 24"},
        {{{"airport", "LIRF"}, {"window", "0000012"}}, "window takes a whole number from 0 to 24"},
        {{{"airport", "LIRF"}, {"traffic", "101"}}, "traffic takes a whole number from 0 to 100"},
        {{{"airport", "LIRF"}, {"traffic", ""}}, "traffic takes a whole number from 0 to 100"},
        {{{"airport", "LIRF"}, {"international", "yes"}}, "international takes 0|1"},
        {{{"airport", "LIRF"}, {"at", "2024-02-30T10:00"}}, "at takes a moment as YYYY-MM-DDTHH:MM"},
        {{{"airport", "LIRF"}, {"at", "2024-01-08T10:00:00"}}, "at takes a moment as YYYY-MM-DDTHH:MM"},
        {{{"airport", "LIRF"}, {"at", "tomorrow"}}, "at takes a moment as YYYY-MM-DDTHH:MM"},
        {{{"airport", "LIRF"}, {"limit", "0"}}, "limit takes a whole number from 1 to 100000"},
        {{{"airport", "LIRF"}, {"limit", "100001"}}, "limit takes a whole number from 1 to 100000"},
        {{{"airport", "LIRF"}, {std::string(100, 'x') + "\x01", "1"}},
         "unknown parameter \"" + std::string(32, 'x') + "...\""},
    };
    for (const auto& [params, error] : cases) {
        try {
            serve::parseBoardRequest(params);
            ADD_FAILURE() << "accepted, should be: " << error;
        } catch (const serve::RequestError& e) {
            EXPECT_EQ(e.what(), error);
        }
    }
}

TEST(AirportSearch, CodesFirstThenNamesThatBeginWithTheTextThenWordsThenAnyPart)
{
    tables::AirportLookup airports;
    tables::Table table = tables::newAirportTable();
    for (const auto& [code, name] :
         {std::pair{"LIRA", "ROME CIAMPINO"}, {"SBAX", "ARAXA ROMEU ZEMA"}, {"ROME", "ALPHA"},
          {"LFFO", "FROMENTINE"}, {"LIRF", "ROME FIUMICINO"}, {"EGLL", "LONDON HEATHROW"}}) {
        const tables::RowId row = table.appendRow();
        table.setText(row, 0, code);
        table.setText(row, 1, name);
    }
    airports.assign(table);
    serve::Snapshot snapshot;
    snapshot.data = serve::makeBoardData(nullptr, airports, {}, {}, {}, 0);
    const auto codes = [&](const Params& params) {
        std::vector<std::string> found;
        const nlohmann::json answer = nlohmann::json::parse(serve::airportsJson(snapshot, params));
        for (const auto& airport : answer["airports"])
            found.push_back(airport["code"]);
        return found;
    };
    EXPECT_EQ(codes({{"q", "rome"}}), (std::vector<std::string>{"ROME", "LIRA", "LIRF", "SBAX", "LFFO"}));
    EXPECT_EQ(codes({{"q", " lirf "}}), (std::vector<std::string>{"LIRF"}));
    EXPECT_EQ(codes({{"q", "heathrow"}}), (std::vector<std::string>{"EGLL"}));
    EXPECT_EQ(codes({{"q", "nowhere"}}), (std::vector<std::string>{}));
    EXPECT_EQ(codes({}).size(), 6u);
    EXPECT_THROW(serve::airportsJson(snapshot, {{"q", std::string(65, 'a')}}), serve::RequestError);
    EXPECT_THROW(serve::airportsJson(snapshot, {{"q", "a"}, {"limit", "5"}}), serve::RequestError);
}

TEST(FlagPng, ConvertsBitmapsAndNothingElse)
{
    const auto png = serve::bitmapToPng(test::bitmap(60, 20, 10, 20, 30));
    ASSERT_TRUE(png);
    EXPECT_EQ(test::pngSize(*png), (std::pair{60, 20}));

    std::string huge = test::bitmap(2, 2, 0, 0, 0);
    huge[18] = '\xFF';  // a width of 0xFFFF... pixels in the header, with four pixels behind it
    huge[19] = '\xFF';
    const std::string pngFile = "\x89PNG\r\n\x1a\n" + std::string(64, '\0');
    for (const std::string& bytes : {std::string(), std::string("BM"), test::bitmap(2, 2, 0, 0, 0).substr(0, 40), huge,
                                     pngFile, std::string("GIF89a") + std::string(40, '\0')})
        EXPECT_FALSE(serve::bitmapToPng(bytes)) << bytes.size() << " bytes";
}

TEST(FlagPng, OnlyNamesTheListGivesAreLookedUp)
{
    const flags::FlagList list({"ALITALIA=AZL", "NO FLAG", "SWISS=", "OUTSIDE=../outside", "Caf\xE9=caf\xE9"});
    EXPECT_EQ(serve::listedFlagName(list, "AZL"), "AZL");
    EXPECT_EQ(serve::listedFlagName(list, "azl"), "AZL");
    EXPECT_EQ(serve::listedFlagName(list, "CAF\xC3\x89"), "caf\xE9");  // UTF-8 in the URL, Windows-1252 in the list
    EXPECT_EQ(serve::listedFlagName(list, "../outside"), "../outside");  // listed, but found only in the folder
    for (const char* name : {"", "ALITALIA", "NO FLAG", "fmlist", "AZL.bmp", "/etc/passwd"})
        EXPECT_FALSE(serve::listedFlagName(list, name)) << name;
}

TEST(FlagPng, ServesAReplacedPictureAnewAndConvertsEachOnce)
{
    test::TempFolder folder;
    const std::filesystem::path flags = folder / "flag";
    std::filesystem::create_directories(flags);
    test::writeBytes(flags / "AZL.bmp", test::bitmap(60, 20, 0, 0, 0));
    test::writeBytes(folder / "outside.bmp", test::bitmap(4, 4, 0, 0, 0));
    serve::FlagPngCache cache;
    EXPECT_EQ(test::pngSize(*cache.png(flags, "azl")), (std::pair{60, 20}));
    EXPECT_EQ(test::pngSize(*cache.png(flags, "AZL")), (std::pair{60, 20}));
    EXPECT_EQ(cache.conversions(), 1);

    test::writeBytes(flags / "AZL.bmp", test::bitmap(30, 10, 0, 0, 0));  // another size: another stamp
    EXPECT_EQ(test::pngSize(*cache.png(flags, "AZL")), (std::pair{30, 10}));
    EXPECT_EQ(cache.conversions(), 2);

    EXPECT_EQ(cache.png(flags, "../outside"), nullptr);
    EXPECT_EQ(cache.png(flags, (folder / "outside").string()), nullptr);
    EXPECT_EQ(cache.png(flags, "missing"), nullptr);
    test::writeBytes(flags / "TEXT.bmp", "not a picture");
    EXPECT_EQ(cache.png(flags, "TEXT"), nullptr);
}
