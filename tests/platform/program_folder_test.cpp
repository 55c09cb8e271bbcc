#include "platform/program_folder.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace quorvel;
using platform::ProgramFolder;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;
namespace fs = std::filesystem;

namespace {

// An installed layout: <root>/usr/bin/quorvel and the shipped files in <root>/usr/share/quorvel.
fs::path layOutInstalled(const fs::path& root)
{
    const fs::path share = root / "usr/share/quorvel";
    fs::create_directories(root / "usr/bin");
    fs::create_directories(share / "flag");
    writeBytes(share / "airport.cds", "shipped airports");
    writeBytes(share / "airport-zones.csv", "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome\n");
    writeBytes(share / "flag/fmlist", "Alitalia=AZL\n");
    writeBytes(share / "flag/AZL.bmp", std::string(300, '\x7f'));
    return root / "usr/bin/quorvel";
}

std::vector<std::string> entriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::ranges::sort(names);
    return names;
}

}  // namespace

TEST(ProgramFolder, DecidesBetweenTheExecutablesFolderAndTheUsersDataFolder)
{
    TempFolder temp;
    const fs::path installed = layOutInstalled(temp / "root");
    const fs::path built = temp / "build/quorvel/quorvel";
    fs::create_directories(built.parent_path());
    const std::string homeText = (temp / "home").string();
    const std::string xdgText = (temp / "data").string();
    const char* home = homeText.c_str();
    const char* xdg = xdgText.c_str();
    const fs::path own = built.parent_path();
    const fs::path share = temp / "root/usr/share/quorvel";
    const fs::path inXdg = temp / "data/quorvel";
    const fs::path inHome = temp / "home/.local/share/quorvel";

    struct Case {
        const char* what;
        fs::path executable;
        bool writable;
        const char* xdgDataHome;
        const char* home;
        ProgramFolder expected;
    };
    const Case cases[] = {
        {"run where it was built", built, true, xdg, home, {own, {}}},
        {"built, in a folder it may not write", built, false, xdg, home, {inXdg, own}},
        {"installed, run by a user", installed, false, xdg, home, {inXdg, share}},
        {"installed, run by root, who may write into bin", installed, true, xdg, home, {inXdg, share}},
        {"XDG_DATA_HOME unset", installed, false, nullptr, home, {inHome, share}},
        {"XDG_DATA_HOME empty", installed, false, "", home, {inHome, share}},
        {"XDG_DATA_HOME relative, which the rules ignore", installed, false, "data", home, {inHome, share}},
        {"run where it was built, nothing set", built, true, nullptr, nullptr, {own, {}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::chooseProgramFolder(c.executable, c.writable, c.xdgDataHome, c.home), c.expected) << c.what;

    EXPECT_THROW(platform::chooseProgramFolder(installed, false, nullptr, nullptr), Error);
    EXPECT_THROW(platform::chooseProgramFolder(installed, false, "relative", ""), Error);
}

TEST(ProgramFolder, DataFolderIsShareBesideTheBinFolder)
{
    EXPECT_EQ(platform::dataFolderOf("/usr/bin/quorvel"), fs::path("/usr/share/quorvel"));
    EXPECT_EQ(platform::dataFolderOf("/tmp/root/usr/bin/qrvl-tool"), fs::path("/tmp/root/usr/share/quorvel"));
    EXPECT_EQ(platform::dataFolderOf("/opt/q/bin/../bin/quorvel"), fs::path("/opt/q/share/quorvel"));
}

TEST(ProgramFolder, WritableFolders)
{
    TempFolder temp;
    EXPECT_TRUE(platform::folderWritable(temp.path()));
    EXPECT_FALSE(platform::folderWritable(temp / "missing"));
    writeBytes(temp / "file", "");
    EXPECT_FALSE(platform::folderWritable(temp / "file/below"));
}

TEST(ProgramFolder, FirstStartCopiesTheShippedFiles)
{
    TempFolder temp;
    const fs::path executable = layOutInstalled(temp / "root");
    const std::string xdg = (temp / "xdg/data").string();
    const ProgramFolder place = platform::chooseProgramFolder(executable, false, xdg.c_str(), nullptr);

    EXPECT_EQ(platform::prepareProgramFolder(place),
              (std::vector<std::string>{"airport.cds", "airport-zones.csv", "flag"}));
    EXPECT_EQ(entriesOf(place.folder), (std::vector<std::string>{"airport-zones.csv", "airport.cds", "flag"}))
        << "nothing hidden left behind";
    EXPECT_EQ(readBytes(place.folder / "airport.cds"), "shipped airports");
    EXPECT_EQ(readBytes(place.folder / "airport-zones.csv"), readBytes(place.dataFolder / "airport-zones.csv"));
    EXPECT_EQ(entriesOf(place.folder / "flag"), (std::vector<std::string>{"AZL.bmp", "fmlist"}));
    EXPECT_EQ(readBytes(place.folder / "flag/AZL.bmp"), std::string(300, '\x7f'));
    // The copies are the user's to change.
    EXPECT_NE(fs::status(place.folder / "flag/fmlist").permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(ProgramFolder, LaterStartsKeepTheUsersFilesAndRestoreOnlyWhatIsMissing)
{
    TempFolder temp;
    const ProgramFolder place{temp / "mine", temp / "root/usr/share/quorvel"};
    layOutInstalled(temp / "root");
    platform::prepareProgramFolder(place);

    writeBytes(place.folder / "airport.cds", "edited in the Airport Manager");
    writeBytes(place.folder / "flag/fmlist", "Alitalia=AZL\nTAT=TAT\n");
    fs::remove(place.folder / "flag/AZL.bmp");  // the flag folder is the user's as a whole
    writeBytes(place.folder / "flight.cds", "converted");
    fs::remove(place.folder / "airport-zones.csv");

    EXPECT_EQ(platform::prepareProgramFolder(place), (std::vector<std::string>{"airport-zones.csv"}));
    EXPECT_EQ(readBytes(place.folder / "airport.cds"), "edited in the Airport Manager");
    EXPECT_EQ(readBytes(place.folder / "flag/fmlist"), "Alitalia=AZL\nTAT=TAT\n");
    EXPECT_FALSE(fs::exists(place.folder / "flag/AZL.bmp"));
    EXPECT_EQ(readBytes(place.folder / "flight.cds"), "converted");
    EXPECT_EQ(readBytes(place.folder / "airport-zones.csv"), "ICAO_CODE,TIME_ZONE\nLIRF,Europe/Rome\n");
    EXPECT_TRUE(platform::prepareProgramFolder(place).empty());
}

TEST(ProgramFolder, RunWhereItWasBuiltCopiesNothing)
{
    TempFolder temp;
    writeBytes(temp / "airport.cds", "built");
    EXPECT_TRUE(platform::prepareProgramFolder({temp.path(), {}}).empty());
    EXPECT_EQ(entriesOf(temp.path()), (std::vector<std::string>{"airport.cds"}));
}

TEST(ProgramFolder, FailedCopySaysWhichFileAndWhy)
{
    TempFolder temp;
    layOutInstalled(temp / "root");
    const fs::path data = temp / "root/usr/share/quorvel";
    const auto messageOf = [](const ProgramFolder& place) -> std::optional<std::string> {
        try {
            platform::prepareProgramFolder(place);
        } catch (const Error& e) {
            return e.what();
        }
        return std::nullopt;
    };

    // A file stands where the folder's parent should be.
    writeBytes(temp / "blocked", "");
    const std::optional<std::string> noFolder = messageOf({temp / "blocked/quorvel", data});
    ASSERT_TRUE(noFolder);
    EXPECT_NE(noFolder->find((temp / "blocked/quorvel").string()), std::string::npos) << *noFolder;
    EXPECT_NE(noFolder->find("Not a directory"), std::string::npos) << *noFolder;

    // A shipped item is missing: the items before it are copied, the message names it, and no
    // half-made copy is left to be taken for it at the next start.
    fs::remove_all(data / "flag");
    const std::optional<std::string> noFlags = messageOf({temp / "mine", data});
    ASSERT_TRUE(noFlags);
    EXPECT_NE(noFlags->find((data / "flag").string()), std::string::npos) << *noFlags;
    EXPECT_NE(noFlags->find("No such file or directory"), std::string::npos) << *noFlags;
    EXPECT_EQ(entriesOf(temp / "mine"), (std::vector<std::string>{"airport-zones.csv", "airport.cds"}));

    // A flag picture that cannot be read mid-folder leaves no partial flag folder behind.
    fs::create_directories(data / "flag/inner");
    writeBytes(data / "flag/fmlist", "A=B\n");
    fs::create_symlink(data / "flag/gone.bmp", data / "flag/inner/dangling.bmp");
    const std::optional<std::string> unreadable = messageOf({temp / "mine", data});
    ASSERT_TRUE(unreadable);
    EXPECT_NE(unreadable->find("dangling.bmp"), std::string::npos) << *unreadable;
    EXPECT_EQ(entriesOf(temp / "mine"), (std::vector<std::string>{"airport-zones.csv", "airport.cds"}));
}

TEST(ProgramFolder, ReadsItsOwnCopyElseTheShippedFile)
{
    TempFolder temp;
    layOutInstalled(temp / "root");
    const ProgramFolder place{temp / "mine", temp / "root/usr/share/quorvel"};
    fs::create_directories(place.folder);
    EXPECT_EQ(platform::readableProgramFile(place, "airport-zones.csv"), place.dataFolder / "airport-zones.csv");
    writeBytes(place.folder / "airport-zones.csv", "mine");
    EXPECT_EQ(platform::readableProgramFile(place, "airport-zones.csv"), place.folder / "airport-zones.csv");
    EXPECT_EQ(platform::readableProgramFile(place, "nowhere.csv"), place.folder / "nowhere.csv");
    EXPECT_EQ(platform::readableProgramFile({place.folder, {}}, "airport.cds"), place.folder / "airport.cds");
}
