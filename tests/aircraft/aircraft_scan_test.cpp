#include "aircraft/aircraft_scan.h"

#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tests/support/test_program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvel;
using namespace quorvel::aircraft;
using quorvel::test::readBytes;
using quorvel::test::writeBytes;

namespace {

using Rows = std::vector<std::string>;  // "ACN|TITLE|AIRLINE|MODEL", a null shown as "~"

Rows rowsOf(const std::filesystem::path& file)
{
    const tables::Table table = tables::readAircraftFile(file);
    Rows rows;
    for (tables::RowId row = 0; row < table.rowCount(); ++row) {
        std::string text;
        for (int f = 0; f < int(table.fieldCount()); ++f) {
            if (f > 0) text += '|';
            text += table.isNull(row, f) ? std::string("~") : std::string(table.text(row, f));
        }
        rows.push_back(text);
    }
    return rows;
}

// Keeps every call in order; the file as it stands when the catalogue ends tells the first save.
class RecordingReport final : public ScanReport {
public:
    explicit RecordingReport(std::filesystem::path out = {}) : out_(std::move(out)) {}
    void catalogueStarted() override { calls.push_back("started"); }
    void catalogueFinished() override
    {
        calls.push_back("finished");
        std::error_code error;
        if (std::filesystem::exists(out_, error)) rowsAtFinish = rowsOf(out_);
    }
    void progressRange(int maximum) override { calls.push_back("range " + std::to_string(maximum)); }
    void progress(int position) override { calls.push_back("at " + std::to_string(position)); }
    void warning(std::string_view caption, std::string_view text) override
    {
        calls.push_back("warning " + std::string(caption) + ": " + std::string(text));
    }

    std::vector<std::string> calls;
    Rows rowsAtFinish;

private:
    std::filesystem::path out_;
};

class AircraftScan : public ::testing::Test {
protected:
    void addAircraft(const std::string& folder, std::string_view config, const std::string& fileName = "aircraft.cfg")
    {
        std::filesystem::create_directories(program.aircraftFolder() / folder);
        writeBytes(program.aircraftFolder() / folder / fileName, config);
        inputs.aircraftFolders.push_back(folder);
    }
    void writeList(std::string_view text) { writeBytes(inputs.aircraftList, text); }
    ScanOutcome scan() { return scanAircraft(inputs, report); }
    Rows rows() const { return rowsOf(inputs.outFile); }

    test::TestProgram program;
    ScanInputs inputs{"C:\\FS2002",
                      {},
                      false,
                      program.programFile("aircraft.txt"),
                      program.environment.winePrefix,
                      program.programFile("aircraft.cds")};
    RecordingReport report{inputs.outFile};
};

TEST_F(AircraftScan, VariationsEndAtTheFirstMissingIndexAndMissingKeysReadZero)
{
    addAircraft("b737",
                "[General]\r\natc_type=BOEING\r\n"
                "[fltsim.0]\r\ntitle=Boeing 737 Alitalia\r\natc_airline=ALITALIA\r\n"
                "[fltsim.1]\r\ntitle=Boeing 737 Plain\r\n"
                "[fltsim.3]\r\ntitle=Never Reached\r\natc_airline=NONE\r\n");
    addAircraft("no_variations", "[General]\r\natc_model=A320\r\n[fltsim.1]\r\ntitle=Without A Zero\r\n");
    writeList("");
    EXPECT_EQ(scan(), ScanOutcome::TableWritten);
    EXPECT_EQ(rows(), (Rows{"<nu>|Boeing 737 Alitalia|ALITALIA|0", "<nu>|Boeing 737 Plain|0|0"}));
}

TEST_F(AircraftScan, TitleZeroEndsTheVariationsButAnEmptyTitleIsARecord)
{
    addAircraft("md80",
                "; a comment line\r\n[GENERAL]\r\nATC_Model = \"MD80\"\r\n"
                "[fltsim.0]\r\ntitle=\r\natc_airline=FIRST\r\n"
                "[FLTSIM.1]\r\nTitle= 'Quoted MD-80' \r\nAtc_Airline=SECOND\r\n"
                "[fltsim.2]\r\ntitle=0\r\n"
                "[fltsim.3]\r\ntitle=After The Zero\r\n");
    writeList("");
    scan();
    EXPECT_EQ(rows(), (Rows{"<nu>||FIRST|MD80", "<nu>|Quoted MD-80|SECOND|MD80"}));
}

TEST_F(AircraftScan, TheAirlineComesFromUiVariationWhenSearchingByUI)
{
    const std::string config =
        "[General]\r\natc_model=B744\r\n"
        "[fltsim.0]\r\ntitle=Jumbo\r\natc_airline=SPEEDBIRD\r\nui_variation=British Airways\r\n"
        "[fltsim.1]\r\ntitle=Jumbo Two\r\natc_airline=QANTAS\r\n";
    addAircraft("b747", config);
    writeList("");
    for (const auto& [byUI, expected] :
         {std::pair{false, Rows{"<nu>|Jumbo|SPEEDBIRD|B744", "<nu>|Jumbo Two|QANTAS|B744"}},
          std::pair{true, Rows{"<nu>|Jumbo|British Airways|B744", "<nu>|Jumbo Two|0|B744"}}}) {
        inputs.searchByUI = byUI;
        scan();
        EXPECT_EQ(rows(), expected) << "searchByUI " << byUI;
    }
}

TEST_F(AircraftScan, FoldersAndFilesAreFoundInAnyLetterCase)
{
    addAircraft("B737", "[General]\r\natc_model=B737\r\n[fltsim.0]\r\ntitle=Upper File\r\n", "Aircraft.CFG");
    addAircraft("dash8", "[General]\r\natc_model=DH8D\r\n[fltsim.0]\r\ntitle=Lower Folder\r\n");
    addAircraft("skipped", "[fltsim.0]\r\ntitle=Wrong Name\r\n", "aircraft.cfg.bak");
    std::filesystem::create_directories(program.aircraftFolder() / "folder_named_cfg" / "aircraft.cfg");
    inputs.aircraftFolders = {"b737", "DASH8", "skipped", "folder_named_cfg", "not_installed"};
    std::filesystem::rename(program.aircraftFolder(), program.aircraftFolder().parent_path() / "AIRCRAFT");
    inputs.simulatorFolder = "c:\\fs2002\\";
    writeList("");
    scan();
    EXPECT_EQ(rows(), (Rows{"<nu>|Upper File|0|B737", "<nu>|Lower Folder|0|DH8D"}));
}

TEST_F(AircraftScan, ListLinesTakeNumbersAddCopiesAndNotFoundRecords)
{
    const std::string longTitle = "Airbus A320 in the long livery of an airline that is";  // 52 characters
    addAircraft("b738",
                "[General]\r\natc_model=B738\r\n"
                "[fltsim.0]\r\ntitle=Boeing 737-800 Alitalia\r\natc_airline=ALITALIA\r\n"
                "[fltsim.1]\r\ntitle=Boeing 737-800 Unused\r\natc_airline=NOBODY\r\n");
    addAircraft("a320",
                "[General]\r\natc_model=A320\r\n"
                "[fltsim.0]\r\ntitle=" +
                    longTitle + " still flying\r\natc_airline=AIRFRANS\r\n");
    writeList(
        "101,ai,\"Boeing 737-800 Alitalia\"\r\n"
        "102,ai,\"BOEING 737-800 alitalia\",trailing\r\n"
        "103,ai,\"Unknown, with a comma\"\r\n"
        "104,ai,\"unknown, WITH A COMMA\"\r\n"
        "105,ai,\"" +
        longTitle +
        " and more text past the cut\"\r\n"
        "NOCOMMAS\r\n"
        "106,ai,No Quotes\r\n"
        "107\r\n");
    scan();
    const std::string stored = longTitle.substr(0, 48);
    EXPECT_EQ(rows(), (Rows{
                          "101|Boeing 737-800 Alitalia|ALITALIA|B738", "<nu>|Boeing 737-800 Unused|NOBODY|B738",
                          "105|" + stored + "|AIRFRANS|A320",
                          "102|BOEING 737-800 alitalia|ALITALIA|B738",  // the list's spelling
                          "<nf>|Unknown, with a comma|~|~",
                          "104|unknown, WITH A COMMA|~|~",  // a copy of the "<nf>" record
                          "<nf>||~|~",                      // NOCOMMAS: an empty title, its number dropped
                          "106||~|~",
                          "107||~|~",  // no comma and no quote: an empty title too
                      }));
}

TEST_F(AircraftScan, AListTitleFindsTheFirstOfTwoAircraftThatShareIt)
{
    addAircraft("first", "[General]\r\natc_model=ONE\r\n[fltsim.0]\r\ntitle=Shared\r\natc_airline=FIRST\r\n");
    addAircraft("second", "[General]\r\natc_model=TWO\r\n[fltsim.0]\r\ntitle=SHARED\r\natc_airline=SECOND\r\n");
    writeList("1,x,\"shared\"\n2,x,\"Shared\"\n3,x,\"Elsewhere\"\n");
    scan();
    EXPECT_EQ(rows(),
              (Rows{"1|Shared|FIRST|ONE", "<nu>|SHARED|SECOND|TWO", "2|Shared|FIRST|ONE", "<nf>|Elsewhere|~|~"}));
}

TEST_F(AircraftScan, WithoutAircraftFoldersEveryLineIsNotFoundOrACopy)
{
    writeList("1,x,\"A\"\r\n2,x,\"B\"\r\n3,x,\"a\"\r\n");
    scan();
    EXPECT_EQ(rows(), (Rows{"<nf>|A|~|~", "<nf>|B|~|~", "3|a|~|~"}));
}

TEST_F(AircraftScan, ReportsRangeThenCatalogueThenOneStepPerLineAfterTheFirstSave)
{
    addAircraft("b737", "[fltsim.0]\r\ntitle=Boeing\r\n");
    writeList("1,x,\"Boeing\"\r\n2,x,\"Other\"\r\n3,x,\"Boeing\"");
    scan();
    EXPECT_EQ(report.calls,
              (std::vector<std::string>{"range 3", "at 0", "started", "finished", "at 0", "at 1", "at 2"}));
    EXPECT_EQ(report.rowsAtFinish, (Rows{"<nu>|Boeing|0|0"}));  // saved before the matching pass
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(AircraftScan, AnUnreadableListWarnsAndLeavesTheOldTable)
{
    addAircraft("b737", "[fltsim.0]\r\ntitle=Boeing\r\n");
    writeBytes(inputs.outFile, "the previous table");
    for (const std::filesystem::path& list : {program.programFile("missing.txt"), program.programFile("flag")}) {
        inputs.aircraftList = list;
        report.calls.clear();
        EXPECT_EQ(scan(), ScanOutcome::ListUnreadable) << list;
        EXPECT_EQ(report.calls,
                  (std::vector<std::string>{"warning WARNING: The aircraft file not exist in QRVL directory"}));
        EXPECT_EQ(readBytes(inputs.outFile), "the previous table");
    }
}

TEST_F(AircraftScan, AnEmptyListSettingWritesAnEmptyTableWithoutAPass)
{
    addAircraft("b737", "[fltsim.0]\r\ntitle=Boeing\r\n");
    writeList("1,x,\"Boeing\"\r\n");
    writeBytes(inputs.outFile, "the previous table");
    inputs.aircraftList.clear();
    EXPECT_EQ(scan(), ScanOutcome::TableWritten);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(tables::readAircraftFile(inputs.outFile).schema(), tables::aircraftSchema());
    EXPECT_TRUE(report.calls.empty());
}

TEST_F(AircraftScan, AFailedSaveNamesTheFileAndRestoresTheCursor)
{
    addAircraft("b737", "[fltsim.0]\r\ntitle=Boeing\r\n");
    writeList("1,x,\"Boeing\"\r\n");
    inputs.outFile = program.programFile("no such folder") / "aircraft.cds";
    try {
        scan();
        FAIL() << "the save into a missing folder succeeded";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(inputs.outFile.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(report.calls, (std::vector<std::string>{"range 1", "at 0", "started", "finished"}));
}

TEST_F(AircraftScan, ManyVariationsAndLinesKeepFirstMatchAndOrder)
{
    constexpr int variations = 3000;
    std::string config = "[General]\r\natc_model=MANY\r\n";
    for (int n = 0; n < variations; ++n)
        config += "[fltsim." + std::to_string(n) + "]\r\ntitle=Type " + std::to_string(n) + "\r\natc_airline=AL" +
                  std::to_string(n % 7) + "\r\n";
    addAircraft("fleet", config);
    std::string list;
    for (int pass = 0; pass < 2; ++pass)  // every title named twice, then titles nobody installed
        for (int n = variations - 1; n >= 0; --n)
            list += std::to_string(pass * variations + n) + ",x,\"TYPE " + std::to_string(n) + "\"\r\n";
    for (int n = 0; n < 1000; ++n) list += "9,x,\"Missing " + std::to_string(n % 10) + "\"\r\n";
    writeList(list);
    scan();
    const Rows all = rows();
    ASSERT_EQ(all.size(), std::size_t(2 * variations + 1000));
    EXPECT_EQ(all[5], "5|Type 5|AL5|MANY");
    EXPECT_EQ(all[variations], std::to_string(2 * variations - 1) + "|TYPE " + std::to_string(variations - 1) + "|AL" +
                                   std::to_string((variations - 1) % 7) + "|MANY");
    EXPECT_EQ(all[2 * variations], "<nf>|Missing 0|~|~");
    EXPECT_EQ(all[2 * variations + 10], "9|Missing 0|~|~");
}

}  // namespace
