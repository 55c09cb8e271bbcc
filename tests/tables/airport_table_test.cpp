#include "tables/airport_table.h"
#include "platform/error.h"
#include "tables/airport_zones.h"
#include "tables/packet.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <set>
#include <sstream>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

namespace {

struct Row {
    std::optional<std::string> code;
    std::optional<std::string> description;
};

Table airportTable(const std::vector<Row>& rows)
{
    Table table = newAirportTable();
    for (const Row& r : rows) {
        const RowId row = table.appendRow();
        if (r.code) table.setText(row, AirportCode, *r.code);
        if (r.description) table.setText(row, AirportDescription, *r.description);
    }
    return table;
}

std::vector<std::pair<std::string, std::string>> entries(const AirportLookup& lookup)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i < lookup.size(); ++i) out.emplace_back(lookup.code(i), lookup.description(i));
    return out;
}

// Stored order on purpose: the lookup must order by description, keeping stored order among equals.
const std::vector<Row> sample = {
    {"YSSY", "SYDNEY"}, {"LSZH", "ZURICH"},      {"CYQY", "SYDNEY"},        {"EKYT", "AALBORG"},    {"LIPQ", "TRIESTE"},
    {"LIPQ", "RONCHI"}, {"\xC9LLL", "\xC9VORA"}, {std::nullopt, "NOWHERE"}, {"XXXX", std::nullopt},
};

}  // namespace

TEST(AirportLookup, ListsByDescriptionKeepingStoredOrderOfEqualDescriptions)
{
    AirportLookup lookup;
    lookup.assign(airportTable(sample));
    using E = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(entries(lookup), (E{{"XXXX", ""},
                                  {"EKYT", "AALBORG"},
                                  {"", "NOWHERE"},
                                  {"LIPQ", "RONCHI"},
                                  {"YSSY", "SYDNEY"},
                                  {"CYQY", "SYDNEY"},
                                  {"LIPQ", "TRIESTE"},
                                  {"LSZH", "ZURICH"},
                                  {"\xC9LLL", "\xC9VORA"}}));
}

TEST(AirportLookup, DescriptionOfACodeIsTheFirstInDescriptionOrder)
{
    AirportLookup lookup;
    lookup.assign(airportTable(sample));
    const struct {
        std::string code;
        std::optional<std::string> description;
        std::optional<std::size_t> index;
    } cases[] = {
        {"LIPQ", "RONCHI", 3},  // stored second, but RONCHI sorts before TRIESTE
        {"CYQY", "SYDNEY", 5},
        {"XXXX", "", 0},  // a row without description still names its code
        {"KJFK", std::nullopt, std::nullopt},
        {"lipq", std::nullopt, std::nullopt},  // codes match exactly
        {"LIP", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},  // an empty code names no airport, not the row without one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lookup.descriptionOf(c.code), c.description) << c.code;
        EXPECT_EQ(lookup.indexOfCode(c.code), c.index) << c.code;
    }
}

TEST(AirportLookup, PrefixSearchIgnoresLetterCaseAndFindsTheFirstInListOrder)
{
    AirportLookup lookup;
    lookup.assign(airportTable(sample));
    const struct {
        std::string typed;
        std::optional<std::size_t> found;
    } cases[] = {
        {"s", 4},
        {"SyD", 4},
        {"sydney", 4},
        {"t", 6},
        {"z", 7},
        {"\xE9v", 8},  // e acute finds E acute
        {"sydneyx", std::nullopt},
        {"q", std::nullopt},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(lookup.findPrefix(c.typed), c.found) << c.typed;
}

TEST(AirportFile, RoundTripKeepsRowsNullsAndEmptiesInStoredOrder)
{
    TempFolder folder;
    const Table written =
        airportTable({{"EGLL", "LONDON HEATHROW"}, {"", ""}, {std::nullopt, "NO CODE"}, {"LIRF", std::nullopt}});
    writeAirportFile(written, folder / airportFileName);
    const Table read = readAirportFile(folder / airportFileName);
    ASSERT_EQ(read.schema(), airportSchema());
    ASSERT_EQ(read.rowCount(), 4u);
    for (RowId row = 0; row < 4; ++row)
        for (const int field : {AirportCode, AirportDescription}) {
            EXPECT_EQ(read.isNull(row, field), written.isNull(row, field)) << row << ' ' << field;
            EXPECT_EQ(read.text(row, field), written.text(row, field)) << row << ' ' << field;
        }
}

TEST(AirportFile, FieldsAreFoundByNameAndCutToTheirWidths)
{
    TempFolder folder;
    Table other(
        {{{"NOTE", FieldType::Text, 10}, {"description", FieldType::Text, 60}, {"ICAO_CODE", FieldType::Text, 8}}, {}});
    const RowId row = other.appendRow();
    other.setText(row, 0, "IGNORED");
    other.setText(row, 1, "A DESCRIPTION THAT IS LONGER THAN THIRTY CHARACTERS");
    other.setText(row, 2, "ABCDEFGH");
    writePacketFile(other, folder / "airport.cds");

    const Table read = readAirportFile(folder / "airport.cds");
    ASSERT_EQ(read.schema(), airportSchema());
    ASSERT_EQ(read.rowCount(), 1u);
    EXPECT_EQ(read.text(0, AirportCode), "ABCD");
    EXPECT_EQ(read.text(0, AirportDescription), "A DESCRIPTION THAT IS LONGER T");
}

TEST(AirportFile, ATableWithoutTheAirportFieldsIsRefusedNamingTheFile)
{
    TempFolder folder;
    writePacketFile(Table({{{"ICAO_CODE", FieldType::Text, 4}}, {}}), folder / "airport.cds");
    try {
        readAirportFile(folder / "airport.cds");
        FAIL() << "a table without DESCRIPTION was read";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find((folder / "airport.cds").string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("DESCRIPTION"), std::string::npos) << e.what();
    }
}

TEST(AirportLookup, AFailedLoadNamesTheFileAndKeepsTheRowsItHad)
{
    TempFolder folder;
    AirportLookup lookup;
    writeAirportFile(airportTable({{"EGLL", "LONDON HEATHROW"}}), folder / "airport.cds");
    lookup.load(folder / "airport.cds");

    const std::string whole =
        packetBytes(airportTable({{"LIRF", "ROME FIUMICINO"}, {"LFPG", "PARIS CHARLES DE GAULLE"}}));
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"truncated", whole.substr(0, whole.size() - 5)},
        {"not a table", "ICAO_CODE,DESCRIPTION\n"},
        {"missing", ""},
    };
    for (const auto& [what, bytes] : damaged) {
        const auto file = folder / ("damaged-" + std::to_string(&what - &damaged.front().first) + ".cds");
        if (what != "missing") test::writeBytes(file, bytes);
        try {
            lookup.load(file);
            ADD_FAILURE() << what << ": loaded";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << what << ": " << e.what();
        }
        EXPECT_EQ(lookup.descriptionOf("EGLL"), "LONDON HEATHROW") << what;
        EXPECT_EQ(lookup.size(), 1u) << what;
    }
}

// The build-time program that makes "airport.cds" out of data/airports.csv.
namespace {

struct ToolRun {
    int status = -1;
    std::string err;
};

ToolRun makeAirports(const TempFolder& folder, const std::filesystem::path& csv, const std::filesystem::path& out)
{
    const std::string command = std::string("'") + QRVL_MAKE_AIRPORTS_PATH + "' '" + csv.string() + "' '" +
                                out.string() + "' 2>'" + (folder / "stderr").string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readBytes(folder / "stderr")};
}

}  // namespace

TEST(MakeAirports, TheShippedListHoldsTheWorldsAirportsUnderDistinctUpperCaseDescriptions)
{
    TempFolder folder;
    const ToolRun run = makeAirports(folder, QRVL_AIRPORTS_CSV, folder / "airport.cds");
    ASSERT_EQ(run.status, 0) << run.err;
    AirportLookup lookup;
    lookup.load(folder / "airport.cds");

    EXPECT_GE(lookup.size(), 17000u);
    const std::pair<const char*, const char*> known[] = {
        {"EGLL", "LONDON HEATHROW"},
        {"LFPG", "PARIS CHARLES DE GAULLE"},
        {"KJFK", "NEW YORK JOHN F. KENNEDY"},
        {"LIRF", "ROME FIUMICINO"},
        {"LSZH", "ZURICH"},
        {"EKYT", "AALBORG"},
    };
    for (const auto& [code, description] : known) EXPECT_EQ(lookup.descriptionOf(code), description) << code;
    // Large hubs, a regional airport, a small strip and a seaplane base.
    for (const char* code : {"LFMN", "LGAV", "YSSY", "CYQY", "EDDF", "KLAX", "RJTT", "WSSS", "ESNX", "EGPR", "EIMS",
                             "AGAF", "KSWF", "EGLC"})
        EXPECT_TRUE(lookup.descriptionOf(code)) << code;

    std::set<std::string_view> codes, descriptions;
    for (std::size_t i = 0; i < lookup.size(); ++i) {
        const std::string_view code = lookup.code(i), description = lookup.description(i);
        EXPECT_EQ(code.size(), 4u) << code;
        EXPECT_TRUE(codes.insert(code).second) << code << " twice";
        EXPECT_TRUE(descriptions.insert(description).second) << description << " twice";
        EXPECT_TRUE(!description.empty() && description.size() <= 30) << code << " " << description;
        for (const char c : description)
            EXPECT_TRUE(c >= ' ' && c <= '~' && !(c >= 'a' && c <= 'z')) << code << " " << description;
    }
}

TEST(MakeAirports, TheToolDumpsTheShippedTableWithEveryCodeOnce)
{
    TempFolder folder;
    ASSERT_EQ(makeAirports(folder, QRVL_AIRPORTS_CSV, folder / "airport.cds").status, 0);
    const test::ToolRun dump =
        test::runTool(QRVL_TOOL_PATH, {"dump", (folder / "airport.cds").string()}, folder.path());
    ASSERT_EQ(dump.status, 0) << dump.err;
    std::istringstream lines(dump.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "ICAO_CODE,DESCRIPTION\r");
    std::set<std::string> codes;
    while (std::getline(lines, line)) codes.insert(line.substr(0, line.find(',')));
    EXPECT_GE(codes.size(), 17000u);
    for (const char* code : {"EGLL", "LFPG", "KJFK", "LIRF", "LSZH", "EKYT"}) EXPECT_EQ(codes.count(code), 1u) << code;
}

TEST(AirportZones, EveryShippedAirportHasAZoneTheSystemKnows)
{
    AirportZones zones;
    zones.load(QRVL_AIRPORT_ZONES_CSV);  // refuses any zone the system's database lacks
    AirportLookup lookup;
    TempFolder folder;
    ASSERT_EQ(makeAirports(folder, QRVL_AIRPORTS_CSV, folder / "airport.cds").status, 0);
    lookup.load(folder / "airport.cds");
    EXPECT_EQ(zones.size(), lookup.size());
    for (std::size_t i = 0; i < lookup.size(); ++i) EXPECT_TRUE(zones.zoneOf(lookup.code(i))) << lookup.code(i);
    const std::pair<const char*, const char*> known[] = {
        {"LIRF", "Europe/Rome"},  {"KJFK", "America/New_York"}, {"YSSY", "Australia/Sydney"},
        {"VIDP", "Asia/Kolkata"}, {"EGLL", "Europe/London"},    {"NZAA", "Pacific/Auckland"},
    };
    for (const auto& [code, zone] : known) EXPECT_EQ(zones.zoneOf(code), zone) << code;
}

TEST(MakeAirports, ReadsQuotedFieldsLineEndsAndUtf8IntoWindows1252)
{
    TempFolder folder;
    test::writeBytes(folder / "list.csv",
                     "\xEF\xBB\xBFICAO_CODE,DESCRIPTION\r\n"
                     "LFMN,\"NICE, \"\"COTE\"\" D'AZUR\"\r\n"
                     "\"LSZH\",Z\xC3\x9CRICH\r\n"
                     "XXXX,\n"
                     ",NO CODE");
    const ToolRun run = makeAirports(folder, folder / "list.csv", folder / "airport.cds");
    ASSERT_EQ(run.status, 0) << run.err;
    const Table table = readAirportFile(folder / "airport.cds");
    ASSERT_EQ(table.rowCount(), 4u);
    const std::pair<const char*, const char*> rows[] = {
        {"LFMN", "NICE, \"COTE\" D'AZUR"}, {"LSZH", "Z\xDCRICH"}, {"XXXX", ""}, {"", "NO CODE"}};
    for (RowId row = 0; row < 4; ++row) {
        EXPECT_EQ(table.text(row, AirportCode), rows[row].first);
        EXPECT_EQ(table.text(row, AirportDescription), rows[row].second);
    }
}

TEST(MakeAirports, AFaultyListIsRefusedNamingTheFileAndLine)
{
    const struct {
        const char* what;
        std::string csv;
        int line;
    } cases[] = {
        {"header", "CODE,NAME\nEGLL,LONDON\n", 1},
        {"three fields", "ICAO_CODE,DESCRIPTION\nEGLL,LONDON\nLIRF,ROME,ITALY\n", 3},
        {"one field", "ICAO_CODE,DESCRIPTION\nEGLL\n", 2},
        {"long code", "ICAO_CODE,DESCRIPTION\nEGLLX,LONDON\n", 2},
        {"long description", "ICAO_CODE,DESCRIPTION\nEGLL,LONDON HEATHROW INTERNATIONAL AIRPORT\n", 2},
        {"open quote", "ICAO_CODE,DESCRIPTION\nEGLL,LONDON\nLIRF,\"ROME\n", 3},
        {"stray quote", "ICAO_CODE,DESCRIPTION\nEGLL,LON\"DON\n", 2},
        {"not windows-1252", "ICAO_CODE,DESCRIPTION\nRJTT,\xE6\x9D\xB1\xE4\xBA\xAC\n", 2},
        {"not utf-8", "ICAO_CODE,DESCRIPTION\nLSZH,Z\xFCRICH\n", 2},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        test::writeBytes(folder / "list.csv", c.csv);
        test::writeBytes(folder / "airport.cds", "old");
        const ToolRun run = makeAirports(folder, folder / "list.csv", folder / "airport.cds");
        EXPECT_EQ(run.status, 1) << c.what;
        const std::string where = (folder / "list.csv").string() + ":" + std::to_string(c.line) + ":";
        EXPECT_NE(run.err.find(where), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(test::readBytes(folder / "airport.cds"), "old") << c.what;
    }
}
