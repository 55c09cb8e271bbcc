#include "flags/flag_list.h"

#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <functional>

using quorvel::Error;
using quorvel::flags::FlagList;
using quorvel::flags::splitLines;
using quorvel::test::TempFolder;
using Lines = std::vector<std::string>;

namespace {

std::string errorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(FlagList, LinesEndInCrLfLfOrCr)
{
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a=1\r\nb=2\nc=3\rd=4", {"a=1", "b=2", "c=3", "d=4"}},
        {"a=1\r\n", {"a=1"}},
        {"a=1\r\r\n", {"a=1", ""}},
        {"\r\n\r\n", {"", ""}},
        {"\n\r", {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitLines(c.bytes), c.lines) << c.bytes;
}

TEST(FlagList, AirlineIsTheTextBeforeTheFirstEquals)
{
    const FlagList list(Lines{"Alitalia=AZA", "no airline here", "Iberia=", "=EMPTY", "Odd=A=B", "Alitalia=LATER"});
    EXPECT_EQ(list.flagName("Alitalia"), "AZA");
    EXPECT_EQ(list.flagName("Iberia"), "");  // named, with no picture
    EXPECT_EQ(list.flagName(""), "EMPTY");
    EXPECT_EQ(list.flagName("Odd"), "A=B");
    EXPECT_EQ(list.flagName("no airline here"), std::nullopt);
    EXPECT_EQ(list.flagName("Ali"), std::nullopt);
    EXPECT_EQ(list.lines().size(), 6u);  // every line kept, in file order
    EXPECT_EQ(list.lines()[1], "no airline here");
}

TEST(FlagList, LookupIgnoresLetterCaseAndTheFirstLineWins)
{
    const FlagList list(Lines{"KLM=KLM", "klm=XYZ", "Alitalia=AZA", "\xC9TOILE AIR=ETO"});
    EXPECT_EQ(list.flagName("Klm"), "KLM");
    EXPECT_EQ(list.flagName("ALITALIA"), "AZA");
    EXPECT_EQ(list.flagName("\xE9toile air"), "ETO");  // accented capitals fold too (Windows-1252)
    EXPECT_EQ(list.flagName("ALITALIA "), std::nullopt);
}

TEST(FlagList, SaveWritesCrLfAndReadsBackTheSameLines)
{
    TempFolder folder;
    const Lines lines{"Alitalia=AZA", "no equals", "", "Iberia="};
    FlagList(lines).save(folder / "fmlist");
    EXPECT_EQ(quorvel::test::readBytes(folder / "fmlist"), "Alitalia=AZA\r\nno equals\r\n\r\nIberia=\r\n");
    EXPECT_EQ(FlagList::read(folder / "fmlist").lines(), lines);
    EXPECT_EQ(FlagList::read(folder / "fmlist").flagName("IBERIA"), "");
}

TEST(FlagList, UnreadableFileIsAnErrorNamingItAndLoadKeepsTheOldLines)
{
    TempFolder folder;
    FlagList list(Lines{"KLM=KLM"});
    const auto missing = folder / "fmlist";
    EXPECT_EQ(errorText([&] { list.load(missing); }),
              missing.string() + ": cannot be opened: No such file or directory");
    EXPECT_EQ(list.flagName("KLM"), "KLM");
    std::filesystem::create_directory(folder / "dir");
    EXPECT_EQ(errorText([&] { list.load(folder / "dir"); }),
              (folder / "dir").string() + ": is a folder, not a flag list");

    quorvel::test::writeBytes(missing, "Iberia=IBE\n");
    list.load(missing);
    EXPECT_EQ(list.flagName("KLM"), std::nullopt);
    EXPECT_EQ(list.flagName("iberia"), "IBE");
}

TEST(FlagList, FailedSaveKeepsTheOldFileAndNamesIt)
{
    TempFolder folder;
    const auto file = folder / "fmlist";
    quorvel::test::writeBytes(file, "old=OLD\r\n");
    const FlagList list(Lines{"Alitalia=AZA", "Iberia=IBE", "Lufthansa=DLH"});

    // A file size limit makes the write fail part way, whoever runs the test.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string text = errorText([&] { list.save(file); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(text, file.string() + ": cannot be written: File too large");
    EXPECT_EQ(quorvel::test::readBytes(file), "old=OLD\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left

    const auto nowhere = folder / "no-flag-folder" / "fmlist";
    EXPECT_EQ(errorText([&] { list.save(nowhere); }),
              nowhere.string() + ": cannot be written: No such file or directory");
}
