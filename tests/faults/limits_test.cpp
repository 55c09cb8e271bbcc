// The stated limits: inputs far larger or stranger than any real one complete, or fail with a
// message, in bounded time and with memory in proportion to what the input really holds.
#include "about/elf_section.h"
#include "aircraft/aircraft_scan.h"
#include "convert/conversion_run.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_program.h"
#include "tests/support/silent_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>

using namespace quorvel;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

constexpr std::uint64_t megabyte = 1 << 20;

// The most memory the process held at once while `work` ran, above what it held before. The
// sanitizer build keeps freed memory in quarantine and doubles for shadow memory, so it is not
// measured there; the work must still complete.
class PeakMemory {
public:
    static std::optional<std::uint64_t> during(const std::function<void()>& work)
    {
#if defined(__SANITIZE_ADDRESS__)
        work();
        return std::nullopt;
#else
        std::ofstream("/proc/self/clear_refs") << "5";   // the peak starts again from here
        const std::uint64_t before = field("VmRSS:");
        work();
        const std::uint64_t peak = field("VmHWM:");
        return peak > before ? peak - before : 0;
#endif
    }

private:
    static std::uint64_t field(std::string_view name)
    {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with(name)) return std::stoull(line.substr(name.size())) * 1024;
        return 0;
    }
};

using NoReport = test::SilentReport;

struct NoScanReport final : aircraft::ScanReport {
    void catalogueStarted() override {}
    void catalogueFinished() override {}
    void progressRange(int) override {}
    void progress(int) override {}
    void warning(std::string_view, std::string_view) override {}
};

class Limits : public ::testing::Test {
protected:
    Limits()
    {
        tables::Table table = tables::newAircraftTable();
        const tables::RowId row = table.appendRow();
        table.setText(row, tables::AircraftNumber, "AC#1");
        table.setText(row, tables::AircraftAirline, "ALPINA AIR");
        table.setText(row, tables::AircraftModel, "B737");
        tables::writeAircraftFile(table, folder / tables::aircraftFileName);
        tables::createEmptyFlightFile(folder / tables::flightFileName);
    }

    convert::Summary convertPlan(const std::string& plan)
    {
        writeBytes(folder / "flightplans.txt", plan);
        const convert::ConvertInputs inputs{.flightPlanFile = folder / "flightplans.txt",
                                            .flightTableFile = folder / tables::flightFileName,
                                            .aircraftTableFile = folder / tables::aircraftFileName,
                                            .airports = airports,
                                            .overrideDst = false,
                                            .zone = {},
                                            .utcOffsetHours = 1};
        NoReport report;
        const std::atomic<bool> stop{false};
        return convert::convert(inputs, report, stop);
    }

    TempFolder folder;
    tables::AirportLookup airports;
};

using Clock = std::chrono::steady_clock;

}  // namespace

TEST_F(Limits, FlightPlanLineOfOneMegabyteConverts)
{
    const std::string leg = "10:00,11:00,310,F,AZ1,LFPG,";
    std::string line = "AC#1,x,100%,24Hr,IFR,";
    while (line.size() < megabyte) line += leg;
    line += "LIRF";
    const std::size_t legs = (line.size() - 25) / leg.size();

    convert::Summary summary;
    const auto start = Clock::now();
    const auto memory = PeakMemory::during([&] { summary = convertPlan(line); });
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(summary.outcome, convert::Outcome::Finished);
    EXPECT_EQ(summary.records, legs);
    EXPECT_EQ(tables::readFlightFile(folder / tables::flightFileName).rowCount(), legs);
    // Each leg of 27 bytes becomes one record: its cells, its texts and its bytes in the file.
    if (memory) {
        EXPECT_LT(*memory, 40 * megabyte) << *memory;
    }
}

TEST_F(Limits, MillionLinesWithoutACommaAreSkipped)
{
    std::string plan;
    for (int i = 0; i < 1000000; ++i) plan += "AC#1 LIRF\r\n";

    convert::Summary summary;
    const auto start = Clock::now();
    const auto memory = PeakMemory::during([&] { summary = convertPlan(plan); });
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(summary.outcome, convert::Outcome::Finished);
    EXPECT_EQ(summary.planLines, 0u);
    EXPECT_EQ(summary.records, 0u);
    // The text once or twice while it is read, and one view of 16 bytes per line.
    if (memory) {
        EXPECT_LT(*memory, 2 * plan.size() + 16 * 1000000 + 16 * megabyte) << *memory;
    }
}

TEST_F(Limits, TableFileClaimingFourBillionRecordsIsRefused)
{
    tables::Table table = tables::newFlightTable();
    for (int i = 0; i < 3; ++i) table.setText(table.appendRow(), tables::IcaoCodeDep, "LIRF");
    std::string bytes = tables::packetBytes(table);
    bytes.replace(14, 4, "\xFF\xFF\xFF\xFF");   // the record count
    const auto file = folder / tables::flightFileName;
    writeBytes(file, bytes);
    const std::string truncated = file.string() + ": truncated at byte " + std::to_string(bytes.size());

    std::string error;
    const auto memory = PeakMemory::during([&] {
        try {
            tables::loadFlights(file, 1 << 30);
        } catch (const Error& e) {
            error = e.what();
        }
    });
    EXPECT_EQ(error, truncated);
    if (memory) {
        EXPECT_LT(*memory, 16 * megabyte) << *memory;
    }
    try {
        convertPlan("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,AZ1,LFPG,LIRF\r\n");
        ADD_FAILURE() << "the conversion read the damaged table";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), truncated);
    }
}

TEST(LimitsOfTheScan, AircraftCfgOfFiftyMegabytesIsRead)
{
    test::TestProgram program;
    const auto folder = program.aircraftFolder() / "Big";
    std::filesystem::create_directories(folder);
    constexpr int variations = 10000;
    std::string config = "[General]\r\natc_type=BOEING\r\natc_model=B737\r\n";
    for (int i = 0; i < variations; ++i)
        config += "[fltsim." + std::to_string(i) + "]\r\ntitle=Boeing 737-800 Livery " + std::to_string(i) +
                  "\r\natc_airline=ALPINA AIR\r\nui_variation=Livery " + std::to_string(i) + "\r\n\r\n";
    config += "[Effects]\r\n";
    for (int i = 0; config.size() < 50 * megabyte; ++i) config += "fx_" + std::to_string(i) + "=fx_wake, 1\r\n";
    writeBytes(folder / "aircraft.cfg", config);
    writeBytes(program.programFile("aircraft.txt"), "AC#1,450,\"Boeing 737-800 Livery 9999\"\r\n");

    const aircraft::ScanInputs inputs{"C:\\FS2002", {"Big"}, false, program.programFile("aircraft.txt"),
                                      program.environment.winePrefix, program.programFile("aircraft.cds")};
    NoScanReport report;
    aircraft::ScanOutcome outcome{};
    const auto start = Clock::now();
    const auto memory = PeakMemory::during([&] { outcome = aircraft::scanAircraft(inputs, report); });
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(120));
    EXPECT_EQ(outcome, aircraft::ScanOutcome::TableWritten);
    const tables::Table table = tables::readAircraftFile(inputs.outFile);
    ASSERT_EQ(table.rowCount(), std::size_t(variations));
    EXPECT_EQ(table.text(variations - 1, tables::AircraftNumber), "AC#1");
    // The file's bytes while they are read and kept, and an index of eight bytes a line.
    if (memory) {
        EXPECT_LT(*memory, 6 * config.size()) << *memory;
    }
}

// The about box reads the program's own file, but a damaged one may point a great many sections
// into a name table that never ends a name.
TEST(LimitsOfTheExecutable, ManySectionsIntoAnEndlessNameTableAreReadInOnePass)
{
    constexpr std::uint64_t sections = 200000;
    const std::string names(8 * megabyte, 'x');
    std::string elf(64, '\0');
    elf.replace(0, 7, "\x7F" "ELF\x02\x01\x01");
    const auto put = [&elf](std::size_t at, std::size_t width, std::uint64_t value) {
        for (std::size_t i = 0; i < width; ++i) elf[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    const std::uint64_t tableOffset = 64 + names.size();
    put(0x28, 8, tableOffset);
    put(0x3A, 2, 64);                // section header size
    put(0x3C, 2, 0);                 // the count is in section 0
    put(0x3E, 2, 0xFFFF);            // and so is the name table's index
    elf += names;
    elf.resize(tableOffset + sections * 64, '\0');
    put(tableOffset + 32, 8, sections);                 // section 0: the count
    put(tableOffset + 40, 4, sections - 1);             // section 0: the name table's index
    for (std::uint64_t i = 1; i < sections; ++i) put(tableOffset + i * 64, 4, (i * 37) % names.size());
    const std::uint64_t last = tableOffset + (sections - 1) * 64;
    put(last + 4, 4, 3);                                // the name table
    put(last + 24, 8, 64);
    put(last + 32, 8, names.size());
    TempFolder folder;
    writeBytes(folder / "quorvel", elf);

    const auto start = Clock::now();
    EXPECT_EQ(about::readElfSection(folder / "quorvel", ".qrvl_version"), std::nullopt);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}
