// The stated limits: inputs far larger or stranger than any real one complete, or fail with a
// message, with memory in proportion to what the input really holds. How long they take is a
// figure of bench/ ("limits: ..."), not a test.
#include "about/elf_section.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/limit_inputs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>

using namespace quorvel;
using quorvel::test::megabyte;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

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
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
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

class Limits : public ::testing::Test {
protected:
    test::ConversionFolder conversion;
};

}  // namespace

TEST_F(Limits, FlightPlanLineOfOneMegabyteConverts)
{
    const test::LongPlanLine line = test::planLineOfOneMegabyte();

    convert::Summary summary;
    const auto memory = PeakMemory::during([&] { summary = conversion.convert(line.text); });
    EXPECT_EQ(summary.outcome, convert::Outcome::Finished);
    EXPECT_EQ(summary.records, line.legs);
    EXPECT_EQ(tables::readFlightFile(conversion.flightFile()).rowCount(), line.legs);
    // Each leg of 27 bytes becomes one record: its cells, its texts and its bytes in the file.
    if (memory) {
        EXPECT_LT(*memory, 40 * megabyte) << *memory;
    }
}

TEST_F(Limits, MillionLinesWithoutACommaAreSkipped)
{
    const std::string plan = test::linesWithoutAComma();

    convert::Summary summary;
    const auto memory = PeakMemory::during([&] { summary = conversion.convert(plan); });
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
    bytes.replace(14, 4, "\xFF\xFF\xFF\xFF");  // the record count
    const auto file = conversion.flightFile();
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
        conversion.convert("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,AZ1,LFPG,LIRF\r\n");
        ADD_FAILURE() << "the conversion read the damaged table";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), truncated);
    }
}

TEST(LimitsOfTheScan, AircraftCfgOfFiftyMegabytesIsRead)
{
    test::TestProgram program;
    constexpr int variations = 10000;
    const aircraft::ScanInputs inputs = test::bigAircraftCfg(program, variations);
    const auto configSize = std::filesystem::file_size(program.aircraftFolder() / "Big" / "aircraft.cfg");

    aircraft::ScanOutcome outcome{};
    const auto memory = PeakMemory::during([&] { outcome = test::scanQuietly(inputs); });
    EXPECT_EQ(outcome, aircraft::ScanOutcome::TableWritten);
    const tables::Table table = tables::readAircraftFile(inputs.outFile);
    ASSERT_EQ(table.rowCount(), std::size_t(variations));
    EXPECT_EQ(table.text(variations - 1, tables::AircraftNumber), "AC#1");
    // The file's bytes while they are read and kept, and an index of eight bytes a line.
    if (memory) {
        EXPECT_LT(*memory, 6 * configSize) << *memory;
    }
}

// The about box reads the program's own file, but a damaged one may point a great many sections
// into a name table that never ends a name.
TEST(LimitsOfTheExecutable, ManySectionsIntoAnEndlessNameTableFindNoRecord)
{
    TempFolder folder;
    writeBytes(folder / "quorvel", test::elfWithEndlessNameTable(200000));
    EXPECT_EQ(about::readElfSection(folder / "quorvel", ".qrvl_version"), std::nullopt);
}
