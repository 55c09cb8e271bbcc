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
    EXPECT_EQ(run.out, header +
                           "LIRF,DEP LIRF,LFPG,ARR LFPG,\"AIR \"\"Z\u00FCRICH\"\", A\",AZ100,10:00,12:00,,0123456,0123456,"
                           "\"\",-3,,True\r\n"
                           "LIRF,DEP LIRF,LFPG,ARR LFPG,PLAIN,AZ100,10:00,12:00,,0123456,0123456,ON TIME,-3,B737,"
                           "False\r\n");
}

TEST(QrvlTool, BoardPrintsTheRowsOfTheMidnightWrapInBoardOrder)
{
    TempFolder folder;
    Table flights = newFlightTable();
    for (const auto& [flight, time, days] : {std::tuple{"MON", "00:05", "1"}, {"SUNLATE", "23:59", "0"},
                                             {"SUNEARLY", "23:58", "0"}, {"TUE", "00:05", "2"}}) {
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
    EXPECT_EQ(run.out, header +
                           "egll,DEP egll,LFPG,ARR LFPG,ALITALIA,SUNLATE,23:59,12:00,,0,0123456,ON TIME,100,B737,True\r\n"
                           "egll,DEP egll,LFPG,ARR LFPG,ALITALIA,MON,00:05,12:00,,1,0123456,ON TIME,100,B737,True\r\n");
}

TEST(QrvlTool, ExplainPrintsFilterAndOrder)
{
    TempFolder folder;
    const ToolRun run = tool(folder, {"board", "--airport", "LIRF", "--arrival", "--at", "2024-01-03 13:45", "--cut15",
                                  "--international", "--traffic", "51", "--explain"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "ICAO_CODE_ARR = 'LIRF' AND SCHEDULING_ARR LIKE '%3%' AND TPERCENT <=51 AND N=False AND "
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
        {{"dump", (folder / "junk.cds").string()}, "qrvl-tool: " + (folder / "junk.cds").string() + ": not a table file\n"},
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
}
