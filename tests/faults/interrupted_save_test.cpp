// A save cut short by the end of the process (a crash, a kill, a power cut as far as the process
// can tell) leaves the file either as it was or as it was going to be, never a mix of the two.
// Its hidden temporary file stays behind until the next save of that file removes it.
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_seed.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <random>
#include <thread>

using namespace quorvel;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;

namespace {

// A flight table of some megabytes, so that a save takes long enough to be killed in the middle.
tables::Table bigFlights(char mark)
{
    tables::Table table = tables::newFlightTable();
    const std::string airline(30, mark);
    for (int i = 0; i < 60000; ++i) {
        const tables::RowId row = table.appendRow();
        table.setText(row, tables::IcaoCodeDep, "LIRF");
        table.setText(row, tables::DepApt, "ROME FIUMICINO " + std::to_string(i));
        table.setText(row, tables::IcaoCodeArr, "EGLL");
        table.setText(row, tables::DestApt, "LONDON HEATHROW " + std::to_string(i));
        table.setText(row, tables::Airline, airline);
        table.setText(row, tables::FlightNumber, mark + std::to_string(i));
        table.setInt(row, tables::TPercent, 100);
    }
    return table;
}

std::size_t temporariesIn(const std::filesystem::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".flight.cds.")) ++count;
    return count;
}

}  // namespace

TEST(InterruptedSave, KillDuringASaveLeavesTheOldOrTheNewFileAndTheNextSaveTidiesUp)
{
    TempFolder folder;
    const auto file = folder / tables::flightFileName;
    const tables::Table first = bigFlights('A');
    const tables::Table second = bigFlights('B');
    const std::string firstBytes = tables::packetBytes(first);
    const std::string secondBytes = tables::packetBytes(second);
    tables::writePacketFile(first, file);

    // The pauses before each kill are drawn from a seed the test prints, so a failure can be replayed.
    const std::uint32_t seed = test::testSeed();
    SCOPED_TRACE("QRVL_TEST_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::size_t interrupted = 0;
    for (int round = 0; round < 6; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two versions in turn until it is killed; it never returns into the test.
            try {
                for (int save = 0;; ++save) tables::writePacketFile(save % 2 ? first : second, file);
            } catch (...) {
            }
            ::_exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution(20, 400)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saving process ended on its own";
        // The child's saves removed what earlier kills left: a file here is most likely this kill's.
        if (temporariesIn(folder.path()) > 0) ++interrupted;

        const std::string now = readBytes(file);
        EXPECT_TRUE(now == firstBytes || now == secondBytes) << "round " << round << ": " << now.size() << " bytes";
        EXPECT_EQ(tables::readFlightFile(file).rowCount(), 60000u) << "round " << round;
    }
    // The kills must have hit saves in the middle, or the test proved nothing.
    EXPECT_GT(interrupted, 0u);
    tables::writePacketFile(second, file);
    EXPECT_EQ(readBytes(file), secondBytes);
    EXPECT_EQ(temporariesIn(folder.path()), 0u);
}
