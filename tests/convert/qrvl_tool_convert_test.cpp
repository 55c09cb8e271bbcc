#include "tables/aircraft_table.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

namespace {

using test::ToolRun;

class ToolConvert : public ::testing::Test {
protected:
    ToolConvert()
    {
        Table aircraft = newAircraftTable();
        const RowId row = aircraft.appendRow();
        aircraft.setText(row, AircraftNumber, "AC#1");
        aircraft.setText(row, AircraftAirline, "ALITALIA");
        aircraft.setText(row, AircraftModel, "B737");
        writeAircraftFile(aircraft, folder / "aircraft.cds");
        Table airports = newAirportTable();
        for (const char* code : {"LIRF", "LFPG"}) {
            const RowId r = airports.appendRow();
            airports.setText(r, AirportCode, code);
            airports.setText(r, AirportDescription, std::string("AIRPORT ") + code);
        }
        writeAirportFile(airports, folder / "airport.cds");
    }

    // Runs qrvl-tool convert on "plans.txt" with `plan`, the time zone `tz` and more arguments.
    ToolRun convert(const std::string& plan, std::vector<std::string> more, const std::string& tz = "UTC0")
    {
        test::writeBytes(folder / "plans.txt", plan);
        std::vector<std::string> args{"convert",
                                      "--flightplans",
                                      (folder / "plans.txt").string(),
                                      "--aircraft-table",
                                      (folder / "aircraft.cds").string(),
                                      "--airports",
                                      (folder / "airport.cds").string(),
                                      "--out",
                                      (folder / "flight.cds").string()};
        args.insert(args.end(), more.begin(), more.end());
        return tool(args, tz);
    }

    ToolRun tool(const std::vector<std::string>& args, const std::string& tz = "UTC0")
    {
        return test::runTool(QRVL_TOOL_PATH, args, folder.path(), tz);
    }

    std::vector<std::string> departures() const
    {
        const Table flights = readFlightFile(folder / "flight.cds");
        std::vector<std::string> times;
        for (RowId row = 0; row < flights.rowCount(); ++row)
            times.push_back(std::string(flights.text(row, FlightNumber)) + " " +
                            std::string(flights.text(row, TimeDep)));
        return times;
    }

    TempFolder folder;
};

const std::string plan =
    "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,XXXX,12:00,13:00,1,F,F2,LIRF\r\n"
    "AC#9,x,100%,WEEK,IFR,1/10:00,1/11:00,1,F,F3,xxxx,2/12:00,2/13:00,1,F,F4,LIRF\r\n"
    "AC#\xC4,x,100%,WEEK,IFR,1/10:00,1/11:00,1,F,F5,LFPG,LIRF\r\n";

}  // namespace

TEST_F(ToolConvert, WritesTheTableAndPrintsEachLogLineOnce)
{
    const ToolRun run = convert(plan, {"--utc-offset-hours", "-2"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Each key once, with the line that first used it.
    EXPECT_EQ(run.out,
              "XXXX not found (plans.txt, line 1)\nAC#9 not found (plans.txt, line 2)\nAC#\u00C4 not found (plans.txt, "
              "line 3)\n");
    EXPECT_EQ(departures(), (std::vector<std::string>{"F1 12:00", "F2 14:00", "F3 12:00", "F4 14:00", "F5 12:00"}));
}

TEST_F(ToolConvert, WithoutAnOffsetTheMachinesZoneDecides)
{
    const std::string line = "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,LIRF\n";
    const struct {
        const char* tz;
        bool overrideDst;
        const char* departure;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", false, "F1 12:00"},  // an hour east with daylight saving
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, "F1 11:00"},
        {"IST-5:30", false, "F1 15:00"},  // the half hour is dropped
        {"EST5EDT,M3.2.0,M11.1.0", false, "F1 06:00"},
    };
    for (const auto& c : cases) {
        const ToolRun run = convert(
            line, c.overrideDst ? std::vector<std::string>{"--override-dst"} : std::vector<std::string>{}, c.tz);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(departures(), std::vector<std::string>{c.departure}) << c.tz << " " << c.overrideDst;
    }
}

TEST_F(ToolConvert, ATimeErrorOrMalformedInputExitsWithTheMessageAndAnEmptyTable)
{
    ASSERT_EQ(convert(plan, {"--utc-offset-hours", "0"}).status, 0);
    ASSERT_FALSE(departures().empty());
    const struct {
        const char* plan;
        const char* message;
    } cases[] = {
        {"AC#1,x,1%,WEEK,IFR,1/25:00,1/11:00,1,F,F1,LIRF\n",
         "qrvl-tool convert: WARNING: plans.txt, line 1: Found Error: 25:00\n"},
        {"AC#1,x,1%,0Hr,IFR,10:00,11:00,1,F,F1,LIRF\n",
         "qrvl-tool convert: WARNING: plans.txt, line 1: the period \"0Hr\" repeats every 0 hours\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = convert(c.plan, {"--utc-offset-hours", "0"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(departures(), std::vector<std::string>{}) << c.plan;
    }
    std::filesystem::remove(folder / "aircraft.cds");
    const ToolRun run = convert(plan, {});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The aircraft table cannot be read: " + (folder / "aircraft.cds").string()),
              std::string::npos);
}

TEST_F(ToolConvert, MissingFlightPlanFileWarnsAndLeavesAnEmptyTable)
{
    const ToolRun run = tool({"convert", "--flightplans", (folder / "none.txt").string(), "--aircraft-table",
                              (folder / "aircraft.cds").string(), "--airports", (folder / "airport.cds").string(),
                              "--out", (folder / "flight.cds").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qrvl-tool convert: WARNING: The flightplan file not exist in QRVL directory\n");
    EXPECT_EQ(departures(), std::vector<std::string>{});
}

TEST_F(ToolConvert, BadArgumentsAreOneLineErrors)
{
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"convert", "--flightplans", "p.txt", "--aircraft-table", "a.cds", "--airports", "b.cds"},
         "qrvl-tool convert: convert needs --out FILE (see qrvl-tool convert --help)\n"},
        {{"convert", "--out", "f.cds", "--utc-offset-hours", "2.5"},
         "qrvl-tool convert: --utc-offset-hours takes whole hours from -24 to 24, not \"2.5\" (see qrvl-tool convert "
         "--help)\n"},
        {{"convert", "--out"}, "qrvl-tool convert: --out needs a value (see qrvl-tool convert --help)\n"},
        {{"convert", "--fast"}, "qrvl-tool convert: unknown option --fast (see qrvl-tool convert --help)\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.error);
        EXPECT_EQ(run.out, "");
    }
    const ToolRun help = tool({"convert", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("usage: qrvl-tool convert --flightplans FILE")) << help.out;
    EXPECT_FALSE(std::filesystem::exists(folder / "flight.cds"));
}
