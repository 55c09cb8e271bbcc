#include "flags/flag_picture.h"

#include "platform/error.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <set>

using quorvel::flags::flagPicture;
using quorvel::test::TempFolder;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path& file)
{
    quorvel::test::writeBytes(file, "BM");
}

std::optional<std::string> found(const fs::path& folder, std::string_view flagName)
{
    const auto picture = flagPicture(folder, flagName);
    if (!picture) return std::nullopt;
    EXPECT_EQ(picture->parent_path(), folder);
    return picture->filename().string();
}

}  // namespace

TEST(FlagPicture, FoundWhateverTheLetterCaseOfTheFileName)
{
    const struct {
        std::set<std::string> files;
        std::string flagName;  // Windows-1252
        std::optional<std::string> picture;
    } cases[] = {
        {{"AZA.bmp"}, "aza", "AZA.bmp"},
        {{"AZA.BMP"}, "AZA", "AZA.BMP"},
        {{"Aza.Bmp"}, "aZA", "Aza.Bmp"},
        {{"ALP.BMP"}, "alp", "ALP.BMP"},
        {{"\xC3\x89TO.bmp"}, "\xE9to", "\xC3\x89TO.bmp"},  // UTF-8 file name, Windows-1252 flag name
        {{"AZA.bmp"}, "AZ", std::nullopt},
        {{"AZA.bmp.bak"}, "AZA", std::nullopt},
        {{".bmp", "x.bmp"}, "", std::nullopt},                  // an empty flag name has no picture
        {{"aza.bmp", "AZA.BMP", "AZA.bmp"}, "AZA", "AZA.bmp"},  // the name as asked comes first,
        {{"aza.bmp", "AZA.BMP"}, "AZA", "AZA.BMP"},             // then with the extension in capitals,
        {{"aza.bmp", "Aza.BMP"}, "AZA", "Aza.BMP"},             // then the first in byte order
    };
    for (const auto& c : cases) {
        TempFolder folder;
        for (const auto& name : c.files) touch(folder / name);
        EXPECT_EQ(found(folder.path(), c.flagName), c.picture) << c.flagName;
    }
}

TEST(FlagPicture, OnlyFilesInsideTheFlagFolderCount)
{
    TempFolder folder;
    fs::create_directories(folder / "flag" / "DIR.bmp");
    touch(folder / "OUT.bmp");
    fs::create_directories(folder / "flag" / "sub");
    touch(folder / "flag" / "sub" / "IN.bmp");
    const fs::path flags = folder / "flag";
    EXPECT_EQ(found(flags, "DIR"), std::nullopt);
    EXPECT_EQ(found(flags, "../OUT"), std::nullopt);
    EXPECT_EQ(found(flags, "sub/IN"), std::nullopt);
    EXPECT_EQ(found(folder / "no-such-folder", "OUT"), std::nullopt);
}

TEST(FlagPicture, AddedRenamedAndRemovedPicturesAreSeenAtTheNextCall)
{
    TempFolder folder;
    EXPECT_EQ(found(folder.path(), "KLM"), std::nullopt);
    touch(folder / "klm.bmp");
    EXPECT_EQ(found(folder.path(), "KLM"), "klm.bmp");
    fs::rename(folder / "klm.bmp", folder / "KLM.BMP");
    EXPECT_EQ(found(folder.path(), "KLM"), "KLM.BMP");
    fs::remove(folder / "KLM.BMP");
    EXPECT_EQ(found(folder.path(), "KLM"), std::nullopt);
}

TEST(FlagPicture, ChangeWithinOneTickOfTheFolderClockIsSeen)
{
    // On a file system with a coarse clock, adding a file may leave the folder's time as it was.
    TempFolder folder;
    touch(folder / "AZA.bmp");
    EXPECT_EQ(found(folder.path(), "KLM"), std::nullopt);
    const auto listedAt = fs::last_write_time(folder.path());
    touch(folder / "KLM.bmp");
    fs::last_write_time(folder.path(), listedAt);
    EXPECT_EQ(found(folder.path(), "KLM"), "KLM.bmp");
}

TEST(FlagPicture, RequiredPictureThatIsMissingNamesTheFileLookedFor)
{
    TempFolder folder;
    try {
        quorvel::flags::requireFlagPicture(folder.path(), "AZ.");
        ADD_FAILURE();
    } catch (const quorvel::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  (folder / "AZ..bmp").string() + ": cannot be loaded: there is no such picture in the flag folder");
    }
    touch(folder / "az..BMP");
    EXPECT_EQ(quorvel::flags::requireFlagPicture(folder.path(), "AZ."), folder / "az..BMP");
}

TEST(FlagPictureFinder, ListsTheFolderAgainUntilTheListingIsSettled)
{
    TempFolder folder;
    touch(folder / "AZA.bmp");
    const fs::file_time_type stamp = fs::last_write_time(folder.path());
    quorvel::test::FixedFileClock clock(stamp + std::chrono::seconds(1));
    quorvel::flags::FlagPictureFinder finder(clock);
    const auto find = [&](std::string_view flagName) -> std::optional<std::string> {
        const auto picture = finder.find(folder.path(), flagName);
        if (!picture) return std::nullopt;
        EXPECT_EQ(picture->parent_path(), folder.path());
        return picture->filename().string();
    };
    // A picture added within the same tick of a coarse file-system clock leaves the folder's time as it was.
    const auto addWithin = [&](const char* name) {
        touch(folder / name);
        fs::last_write_time(folder.path(), stamp);
    };

    EXPECT_EQ(find("KLM"), std::nullopt);
    addWithin("klm.bmp");
    EXPECT_EQ(find("KLM"), "klm.bmp") << "a listing younger than the settle time is not trusted";
    EXPECT_EQ(finder.listings(), 2);

    clock.set(stamp + std::chrono::seconds(3));
    EXPECT_EQ(find("AZA"), "AZA.bmp");
    EXPECT_EQ(finder.listings(), 3);
    addWithin("ALP.BMP");
    EXPECT_EQ(find("ALP"), std::nullopt) << "a settled listing is kept while the folder's time holds";
    EXPECT_EQ(find("KLM"), "klm.bmp");
    EXPECT_EQ(finder.listings(), 3);

    fs::last_write_time(folder.path(), stamp + std::chrono::seconds(1));
    clock.set(stamp + std::chrono::hours(1));
    EXPECT_EQ(find("ALP"), "ALP.BMP");
    EXPECT_EQ(find(""), std::nullopt);
    EXPECT_EQ(finder.listings(), 4);
    fs::remove_all(folder.path());
    EXPECT_EQ(find("ALP"), std::nullopt);
}
