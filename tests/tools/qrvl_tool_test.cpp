#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/flight_rows.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

namespace {

using test::ToolRun;

ToolRun tool(const TempFolder& folder, const std::vector<std::string>& args)
{
    return test::runTool(QRVL_TOOL_PATH, args, folder.path());
}

const std::string header =
    "ICAO_CODE_DEP,DEP_APT,ICAO_CODE_ARR,DEST_APT,AIRLINE,FLIGHT,TIME_DEP,TIME_ARR,TIME_NEW,SCHEDULING_DEP,"
    "SCHEDULING_ARR,NOTE,TPERCENT,MODEL,N\r\n";

}  // namespace

TEST(QrvlTool, DumpWritesCsvWithNullsEmptiesQuotesAndUtf8)
{
    TempFolder folder;
    Table flights = newFlightTable();
    test::Leg leg;
    leg.airline = "AIR \"Z\xFCRICH\", AG";
    leg.percent = -3;
    const RowId row = test::addLeg(flights, leg);
    flights.setText(row, Note, "");
    flights.setNull(row, Model);
    leg.national = false;
    leg.airline = "PLAIN";
    test::addLeg(flights, leg);
    writePacketFile(flights, folder / "flight.cds");

    const ToolRun run = tool(folder, {"dump", (folder / "flight.cds").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              header +
                  "LIRF,DEP LIRF,LFPG,ARR LFPG,\"AIR \"\"Z\u00FCRICH\"\", A\",AZ100,10:00,12:00,,0123456,0123456,"
                  "\"\",-3,,True\r\n"
                  "LIRF,DEP LIRF,LFPG,ARR LFPG,PLAIN,AZ100,10:00,12:00,,0123456,0123456,ON TIME,-3,B737,"
                  "False\r\n");
}

TEST(QrvlTool, BoardPrintsTheRowsOfTheMidnightWrapInBoardOrder)
{
    TempFolder folder;
    Table flights = newFlightTable();
    for (const auto& [flight, time, days] : {std::tuple{"MON", "00:05", "1"},
                                             {"SUNLATE", "23:59", "0"},
                                             {"SUNEARLY", "23:58", "0"},
                                             {"TUE", "00:05", "2"}}) {
        test::Leg leg;
        leg.flight = flight;
        leg.timeDep = time;
        leg.schedulingDep = days;
        leg.dep = "egll";
        test::addLeg(flights, leg);
    }
    writePacketFile(flights, folder / "flight.cds");
    const ToolRun run = tool(folder, {"board", "--flights", (folder / "flight.cds").string(), "--airport", "EGLL",
                                      "--at", "2024-01-01 00:14", "--cut15"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              header +
                  "egll,DEP egll,LFPG,ARR LFPG,ALITALIA,SUNLATE,23:59,12:00,,0,0123456,ON TIME,100,B737,True\r\n"
                  "egll,DEP egll,LFPG,ARR LFPG,ALITALIA,MON,00:05,12:00,,1,0123456,ON TIME,100,B737,True\r\n");
}

TEST(QrvlTool, ExplainPrintsFilterAndOrder)
{
    TempFolder folder;
    const ToolRun run = tool(folder, {"board", "--airport", "LIRF", "--arrival", "--at", "2024-01-03 13:45", "--cut15",
                                      "--international", "--traffic", "51", "--explain"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "ICAO_CODE_ARR = 'LIRF' AND SCHEDULING_ARR LIKE '%3%' AND TPERCENT <=51 AND N=False AND "
              "TIME_ARR >='13:30'\nTIME_ARR\n");
}

TEST(QrvlTool, BadArgumentsAndFilesFailWithOneLine)
{
    TempFolder folder;
    test::writeBytes(folder / "junk.cds", "junk");
    const std::string missing = (folder / "missing.cds").string();
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"dump", missing}, "qrvl-tool: " + missing + ": cannot be opened: No such file or directory\n"},
        {{"dump", (folder / "junk.cds").string()},
         "qrvl-tool: " + (folder / "junk.cds").string() + ": not a table file\n"},
        {{"board", "--flights", missing, "--airport", "LIRF", "--at", "2024-02-30 10:00"},
         "qrvl-tool board: --at takes \"YYYY-MM-DD HH:MM\", not \"2024-02-30 10:00\" (see qrvl-tool board --help)\n"},
        {{"board", "--airport", "LIRF", "--traffic", "many"},
         "qrvl-tool board: --traffic takes a whole number, not \"many\" (see qrvl-tool board --help)\n"},
        {{"board", "--flights"}, "qrvl-tool board: --flights needs a value (see qrvl-tool board --help)\n"},
        {{"board", "--airport", "LIRF"}, "qrvl-tool board: board needs --flights FILE (see qrvl-tool board --help)\n"},
        {{"frobnicate"}, "qrvl-tool: unknown command frobnicate (see qrvl-tool --help)\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = tool(folder, c.args);
        EXPECT_NE(run.status, 0) << c.args[0];
        EXPECT_EQ(run.err, c.error);
        EXPECT_EQ(run.out, "");
    }
    for (const char* command : {"dump", "board"}) {
        const ToolRun help = tool(folder, {command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find(std::string("usage: qrvl-tool ") + command), std::string::npos);
    }
    const ToolRun version = tool(folder, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "qrvl-tool " QRVL_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

// In airport time each row starts with the instance's date and time in the airport's zone; a
// table that does not record its offset is read with the conversion's offset now, and says so.
TEST(QrvlTool, BoardInAirportTimeLeadsEachRowWithItsDayAndTime)
{
    TempFolder folder;
    test::writeBytes(folder / "airport-zones.csv", "ICAO_CODE,TIME_ZONE\r\nLIRF,Europe/Rome\r\n");
    Table flights = newFlightTable();
    for (const auto& [flight, time, days] : {std::tuple{"LATE", "23:30", "1"}, {"DAILY", "06:00", "0123456"}}) {
        test::Leg leg;
        leg.flight = flight;
        leg.timeDep = time;
        leg.schedulingDep = days;
        test::addLeg(flights, leg);
    }
    writePacketFile(flights, folder / "old.cds");  // converted at Greenwich, before offsets were recorded
    flights.setIntegerProperty(utcOffsetPropertyName, 0);
    writePacketFile(flights, folder / "flight.cds");
    const std::vector<std::string> args = {"--airport", "LIRF",    "--at",     "2024-01-08 20:00",
                                           "--zone",    "airport", "--window", "12"};
    const std::string expected =
        "DAY,TIME," + header +
        "2024-01-09,00:30,LIRF,DEP LIRF,LFPG,ARR LFPG,ALITALIA,LATE,23:30,12:00,,1,0123456,ON TIME,100,B737,True\r\n"
        "2024-01-09,07:00,LIRF,DEP LIRF,LFPG,ARR LFPG,ALITALIA,DAILY,06:00,12:00,,0123456,0123456,ON "
        "TIME,100,B737,True\r\n";

    std::vector<std::string> current = {"board", "--flights", (folder / "flight.cds").string()};
    current.insert(current.end(), args.begin(), args.end());
    ToolRun run = tool(folder, current);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);

    std::vector<std::string> old = {"board", "--flights", (folder / "old.cds").string()};
    old.insert(old.end(), args.begin(), args.end());
    run = test::runTool(QRVL_TOOL_PATH, old, folder.path(), "UTC");
    EXPECT_EQ(run.out, expected);
    EXPECT_NE(run.err.find("does not record the UTC offset"), std::string::npos) << run.err;

    current.push_back("--explain");
    EXPECT_EQ(tool(folder, current).out, "zone Europe/Rome UTC+01:00\nfrom 2024-01-08 20:00\nto 2024-01-09 08:00\n");

    // An airport without a zone: computer time, the stored times as they are, and a line that says so.
    std::vector<std::string> unknown = {"board", "--flights", (folder / "flight.cds").string(), "--airport",
                                        "LIRF",  "--zones",   (folder / "none.csv").string()};
    test::writeBytes(folder / "none.csv", "ICAO_CODE,TIME_ZONE\r\n");
    unknown.insert(unknown.end(), args.begin() + 2, args.end());
    run = tool(folder, unknown);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "qrvl-tool board: LIRF has no time zone; the board is in computer time\n");
    EXPECT_NE(run.out.find("2024-01-09,06:00,LIRF"), std::string::npos) << run.out;

    for (const auto& [option, value, error] :
         {std::tuple{"--zone", "mars", "--zone takes computer, airport or utc, not \"mars\""},
          {"--window", "25", "--window takes a whole number of hours from 1 to 24, not \"25\""},
          {"--window", "0", "--window takes a whole number of hours from 1 to 24, not \"0\""}}) {
        run = tool(folder, {"board", "--airport", "LIRF", option, value});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, std::string("qrvl-tool board: ") + error + " (see qrvl-tool board --help)\n");
    }
}
