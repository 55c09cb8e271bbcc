#include "tables/aircraft_table.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;
using quorvel::test::ToolRun;

namespace {

const std::string cleanLine = "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\r\n";
const std::string touchAndGoLine =
    "AC#1,x,100%,WEEK,IFR,1/08:00,1/09:00,1,F,B1,LFPG,1/10:00,TNG2/09:45:59,1,F,B2,LIRF\r\n";

class ToolCheck : public ::testing::Test {
protected:
    ToolCheck()
    {
        Table airports = newAirportTable();
        for (const char* code : {"LIRF", "LFPG"}) {
            const RowId r = airports.appendRow();
            airports.setText(r, AirportCode, code);
            airports.setText(r, AirportDescription, std::string("AIRPORT ") + code);
        }
        writeAirportFile(airports, folder / "airport.cds");
        test::writeBytes(folder / "aircraft.txt", "AC#1,450,\"Alitalia B737\"\r\n");
    }

    ToolRun check(const std::string& plan, std::vector<std::string> more = {})
    {
        test::writeBytes(folder / "plans.txt", plan);
        std::vector<std::string> args{"check",
                                      "--flightplans",
                                      (folder / "plans.txt").string(),
                                      "--aircraft-list",
                                      (folder / "aircraft.txt").string(),
                                      "--airports",
                                      (folder / "airport.cds").string()};
        args.insert(args.end(), more.begin(), more.end());
        return test::runTool(QRVL_TOOL_PATH, args, folder.path(), "UTC0");
    }

    TempFolder folder;
};

}  // namespace

TEST_F(ToolCheck, ExitStatusTellsErrorsFromUsage)
{
    const struct {
        std::string plan;
        std::vector<std::string> more;
        int status;
    } cases[] = {
        {cleanLine, {}, 0},
        {cleanLine + "AC#7,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,XXXX\r\n", {}, 0},  // warnings only
        {cleanLine + touchAndGoLine, {}, 1},
        {cleanLine, {"--format", "pdf"}, 2},
        {cleanLine, {"--aircraft-table", "/nonexistent/aircraft.cds"}, 2},
        {cleanLine, {"--flightplans", "/nonexistent/plans.txt"}, 2},
        {cleanLine, {"--bogus"}, 2},
    };
    for (const auto& c : cases) {
        const ToolRun run = check(c.plan, c.more);
        EXPECT_EQ(run.status, c.status) << c.plan << (c.more.empty() ? "" : c.more[0]) << run.err;
        if (c.status == 2) {
            EXPECT_NE(run.err, "");
        }
    }
    std::vector<std::string> noAirports{"check", "--flightplans", (folder / "plans.txt").string(), "--aircraft-list",
                                        (folder / "aircraft.txt").string()};
    EXPECT_EQ(test::runTool(QRVL_TOOL_PATH, noAirports, folder.path()).status, 2);
}

TEST_F(ToolCheck, CsvHasAHeaderAndOneQuotedRowPerProblem)
{
    const ToolRun run = check("// made by hand, with \"care\"\r\n" + cleanLine + touchAndGoLine, {"--format", "csv"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string expectedStart =
        "file,line,field,severity,kind,text,detail,effect\r\n"
        "plans.txt,1,,note,comment,\"// made by hand, with \"\"care\"\"\",a comment,skipped\r\n"
        "plans.txt,3,13,error,bad-time,TNG2/09:45:59,";
    EXPECT_EQ(run.out.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3);  // no summary in CSV
}

TEST_F(ToolCheck, HtmlIsAPageWithEverythingEscaped)
{
    const ToolRun run =
        check("// <b>bold</b> & \"more\"\r\n" + cleanLine, {"--format", "html", "--out", (folder / "r.html").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string page = test::readBytes(folder / "r.html");
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(page.find("&lt;b&gt;bold&lt;/b&gt; &amp; &quot;more&quot;"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("0 errors, 0 warnings, 1 notes"), std::string::npos);
    EXPECT_TRUE(page.ends_with("</html>\n"));
}

TEST_F(ToolCheck, ConvertSkipsTheBadLinesOnlyWhenAsked)
{
    Table aircraft = newAircraftTable();
    const RowId row = aircraft.appendRow();
    aircraft.setText(row, AircraftNumber, "AC#1");
    aircraft.setText(row, AircraftAirline, "ALITALIA");
    writeAircraftFile(aircraft, folder / "aircraft.cds");
    test::writeBytes(folder / "plans.txt", cleanLine + touchAndGoLine + cleanLine);
    std::vector<std::string> args{"convert",
                                  "--flightplans",
                                  (folder / "plans.txt").string(),
                                  "--aircraft-table",
                                  (folder / "aircraft.cds").string(),
                                  "--airports",
                                  (folder / "airport.cds").string(),
                                  "--out",
                                  (folder / "flight.cds").string(),
                                  "--utc-offset-hours",
                                  "0"};
    const ToolRun strict = test::runTool(QRVL_TOOL_PATH, args, folder.path());
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(readFlightFile(folder / "flight.cds").rowCount(), 0u);

    args.push_back("--skip-bad-lines");
    const ToolRun skipping = test::runTool(QRVL_TOOL_PATH, args, folder.path());
    EXPECT_EQ(skipping.status, 0) << skipping.err;
    EXPECT_EQ(skipping.out, "plans.txt, line 2 skipped: Found Error: G2/09\n");
    EXPECT_EQ(readFlightFile(folder / "flight.cds").rowCount(), 4u);
}

TEST_F(ToolCheck, SimFolderMatchesTheListsTitlesAgainstTheInstalledOnes)
{
    std::filesystem::create_directories(folder / "sim" / "Aircraft" / "b737");
    test::writeBytes(folder / "sim" / "Aircraft" / "b737" / "aircraft.cfg",
                     "[fltsim.0]\r\ntitle=Alitalia B737\r\natc_airline=ALITALIA\r\n");
    test::writeBytes(folder / "aircraft.txt", "AC#1,450,\"Alitalia B737\"\r\nAC#2,450,\"Air Inter A320\"\r\n");
    const ToolRun run = check(cleanLine, {"--sim-folder", (folder / "sim").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("aircraft.txt, line 2, field 3: warning unmatched-title: \"Air Inter A320\""),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("line 1, field 3"), std::string::npos);
    EXPECT_EQ(check(cleanLine, {"--sim-folder", (folder / "nowhere").string()}).status, 2);
}

// The demo's flight plans hold an aircraft number the AI list lacks and an airport code that
// no airport has, on purpose.
TEST_F(ToolCheck, TheDemoShowsItsUnknownNumberAndCodeWithTheirLines)
{
    const std::string airports = (folder / "world.cds").string();
    const std::string make =
        std::string("'") + QRVL_MAKE_AIRPORTS_PATH + "' '" + QRVL_AIRPORTS_CSV + "' '" + airports + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string demo = QRVL_DEMO_FOLDER;
    const ToolRun run = test::runTool(QRVL_TOOL_PATH,
                                      {"check", "--flightplans", demo + "/flightplans.txt", "--aircraft-list",
                                       demo + "/aircraft.txt", "--airports", airports, "--utc-offset-hours", "-1"},
                                      folder.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("flightplans.txt, line 17, field 1: warning unknown-aircraft: \"AC#99\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("flightplans.txt, line 18, field 11: warning unknown-airport: \"LIXX\""), std::string::npos);
    EXPECT_NE(run.out.find("0 errors, 2 warnings"), std::string::npos);
}
