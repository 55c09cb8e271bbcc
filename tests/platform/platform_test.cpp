#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/free_memory.h"
#include "platform/local_time.h"
#include "platform/windows1252.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quorvel;
using quorvel::test::TempFolder;

TEST(LocalDateTime, WeekdaysAndMinuteArithmeticAcrossBoundaries)
{
    EXPECT_EQ((LocalDateTime{2024, 1, 1, 0, 0, 0}.weekday()), 1);     // Monday
    EXPECT_EQ((LocalDateTime{2023, 12, 31, 23, 0, 0}.weekday()), 0);  // Sunday
    EXPECT_EQ((LocalDateTime{2024, 1, 1, 0, 14, 0}.plusMinutes(-15)), (LocalDateTime{2023, 12, 31, 23, 59, 0}));
    EXPECT_EQ((LocalDateTime{2024, 3, 1, 0, 5, 30}.plusMinutes(-15)), (LocalDateTime{2024, 2, 29, 23, 50, 30}));
    EXPECT_EQ((LocalDateTime{2024, 1, 1, 0, 15, 0}.plusMinutes(-15)), (LocalDateTime{2024, 1, 1, 0, 0, 0}));
    EXPECT_EQ((LocalDateTime{2024, 1, 1, 7, 5, 0}.timeText()), "07:05");
}

TEST(LocalDateTime, ParsesOnlyRealMoments)
{
    EXPECT_EQ(parseLocalDateTime("2024-02-29 23:59"), (LocalDateTime{2024, 2, 29, 23, 59, 0}));
    for (const char* bad : {"2023-02-29 10:00", "2024-13-01 10:00", "2024-01-01 24:00", "2024-01-01 10:60",
                            "2024-01-01T10:00", "2024-1-01 10:00", "2024-01-01 10:00:00", "", "abcd-ef-gh ij:kl"})
        EXPECT_FALSE(parseLocalDateTime(bad)) << bad;
}

TEST(FreeMemory, ReadsMemAvailableInBytes)
{
    TempFolder folder;
    test::writeBytes(folder / "meminfo", "MemTotal:       24000000 kB\nMemFree:  100 kB\nMemAvailable:    2048 kB\n");
    EXPECT_EQ(platform::availablePhysicalMemory(folder / "meminfo"), 2048u * 1024);
    EXPECT_EQ(platform::availablePhysicalMemory(folder / "missing"), 0u);
    EXPECT_GT(platform::availablePhysicalMemory(), 0u);
}

TEST(Windows1252, HighBytesBecomeUtf8)
{
    EXPECT_EQ(platform::utf8FromWindows1252("Z\xFCrich \x80 \x93q\x94 \xA0"),
              "Z\u00FCrich \u20AC \u201Cq\u201D \u00A0");
    EXPECT_EQ(platform::utf8FromWindows1252("plain"), "plain");
}

TEST(AtomicFile, UncommittedWriteLeavesTheOldFileAndNoTemporary)
{
    TempFolder folder;
    test::writeBytes(folder / "fmlist", "old");
    {
        platform::AtomicFile file(folder / "fmlist");
        file.write("new but never committed");
    }
    EXPECT_EQ(test::readBytes(folder / "fmlist"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    platform::writeFileAtomically(folder / "fmlist", std::string(3 << 20, 'x'));  // larger than the buffer
    EXPECT_EQ(test::readBytes(folder / "fmlist"), std::string(3 << 20, 'x'));
}

TEST(AtomicFile, CreatedFileModeFollowsTheUmask)
{
    const mode_t saved = ::umask(022);
    for (const mode_t mask : {mode_t(022), mode_t(027), mode_t(077), mode_t(002)}) {
        ::umask(mask);
        TempFolder folder;
        platform::writeFileAtomically(folder / "flight.cds", "rows");
        struct stat info {};
        ASSERT_EQ(::stat((folder / "flight.cds").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
        EXPECT_EQ(::umask(mask), mask) << "the save left the umask as it found it";
    }
    ::umask(saved);
}

TEST(AtomicFile, UmaskIsReadFromTheStatusLineOrFilesStayPrivate)
{
    const struct {
        const char* status;
        mode_t mask;
    } cases[] = {
        {"Name:\tquorvel\nUmask:\t0027\nState:\tR (running)\n", 027},
        {"Umask:\t0002", 002},
        {"Name:\tquorvel\nState:\tR (running)\n", 077},  // an old kernel without the line
        {"Umask:\t0028\n", 077},                         // not octal
        {"Umask:\t-1\n", 077},
        {"Umask:\t01777\n", 077},  // more than permission bits
        {"", 077},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        test::writeBytes(folder / "status", c.status);
        EXPECT_EQ(platform::processUmask(folder / "status"), c.mask) << c.status;
    }
    EXPECT_EQ(platform::processUmask(folder / "missing"), mode_t(077));
}
