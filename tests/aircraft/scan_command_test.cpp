#include "tables/aircraft_table.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>

using namespace quorvel;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

using test::ToolRun;

ToolRun tool(const TempFolder& folder, const std::vector<std::string>& args)
{
    return test::runTool(QRVL_TOOL_PATH, args, folder.path());
}

class ScanCommand : public ::testing::Test {
protected:
    ScanCommand()
    {
        std::filesystem::create_directories(folder / "sim" / "AIRCRAFT" / "B747");
        writeBytes(folder / "sim" / "AIRCRAFT" / "B747" / "Aircraft.cfg",
                   "[General]\r\natc_model=B744\r\n"
                   "[fltsim.0]\r\ntitle=Jumbo\r\natc_airline=SPEEDBIRD\r\nui_variation=British Airways\r\n");
        std::filesystem::create_directories(folder / "sim" / "AIRCRAFT" / "empty");
        writeBytes(folder / "aircraft.txt", "747,x,\"JUMBO\"\r\n1,x,\"Unknown\"\r\n");
    }
    std::vector<std::string> args(std::vector<std::string> more = {}) const
    {
        std::vector<std::string> all{"scan",
                                     "--sim-folder",
                                     (folder / "sim").string(),
                                     "--aircraft-list",
                                     (folder / "aircraft.txt").string(),
                                     "--out",
                                     (folder / "aircraft.cds").string()};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    }
    std::string record(tables::RowId row, int field) const
    {
        const tables::Table table = tables::readAircraftFile(folder / "aircraft.cds");
        return row < table.rowCount() ? std::string(table.text(row, field)) : "(no row)";
    }

    TempFolder folder;
};

TEST_F(ScanCommand, WritesTheAircraftTableOfTheSimulatorFolder)
{
    const ToolRun run = tool(folder, args());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(tables::readAircraftFile(folder / "aircraft.cds").rowCount(), 2u);
    EXPECT_EQ(record(0, tables::AircraftNumber), "747");
    EXPECT_EQ(record(0, tables::AircraftAirline), "SPEEDBIRD");
    EXPECT_EQ(record(1, tables::AircraftNumber), "<nf>");

    ASSERT_EQ(tool(folder, args({"--search-by-ui"})).status, 0);
    EXPECT_EQ(record(0, tables::AircraftAirline), "British Airways");

    ASSERT_EQ(tool(folder, args({"--aircraft-list", ""})).status, 0);  // the empty setting: an empty table
    EXPECT_EQ(tables::readAircraftFile(folder / "aircraft.cds").rowCount(), 0u);
}

TEST_F(ScanCommand, AnUnreadableListFailsAndLeavesTheOutputAlone)
{
    writeBytes(folder / "aircraft.cds", "previous");
    std::filesystem::remove(folder / "aircraft.txt");
    const ToolRun run = tool(folder, args());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The aircraft file not exist in QRVL directory"), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(folder / "aircraft.cds"), "previous");
}

TEST_F(ScanCommand, BadArgumentsAreOneLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> bad{
        {"scan", "--aircraft-list", (folder / "aircraft.txt").string(), "--out", (folder / "aircraft.cds").string()},
        {"scan", "--sim-folder", (folder / "sim").string(), "--out", (folder / "aircraft.cds").string()},
        {"scan", "--sim-folder", (folder / "sim").string(), "--aircraft-list", (folder / "aircraft.txt").string()},
        {"scan", "--sim-folder", (folder / "nowhere").string(), "--aircraft-list", (folder / "aircraft.txt").string(),
         "--out", (folder / "aircraft.cds").string()},
        args({"--fast"}),
        args({"--out"}),
    };
    for (const auto& arguments : bad) {
        const ToolRun run = tool(folder, arguments);
        EXPECT_EQ(run.status, 2) << arguments.back();
        EXPECT_TRUE(run.err.starts_with("qrvl-tool scan: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "aircraft.cds"));
    }
}

TEST_F(ScanCommand, HelpDescribesTheOptions)
{
    const ToolRun run = tool(folder, {"scan", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("usage: qrvl-tool scan --sim-folder DIR")) << run.out;
    EXPECT_NE(tool(folder, {"--help"}).out.find("  scan "), std::string::npos);
}

}  // namespace
