// A save killed before its rename leaves its hidden temporary file. The next successful save of
// the same file removes it, touches nothing else in the folder, and flushes the folder after the
// rename so that a power cut cannot take the new file back.
#include "platform/atomic_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <set>

using namespace quorvel;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

// Every fsync of the process while a watch is alive: the file or folder flushed, and for a folder
// the names it held at that moment.
struct Sync {
    std::filesystem::path path;
    std::set<std::string> names;
};
std::vector<Sync>* watchedSyncs = nullptr;

struct SyncWatch {
    std::vector<Sync> syncs;
    SyncWatch() { watchedSyncs = &syncs; }
    ~SyncWatch() { watchedSyncs = nullptr; }
};

std::set<std::string> namesIn(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

// The test program's own fsync stands before the C library's: it notes the call and passes it on.
extern "C" int fsync(int fd)
{
    if (watchedSyncs) {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
        Sync sync{path, {}};
        if (std::filesystem::is_directory(path, error)) sync.names = namesIn(path);
        watchedSyncs->push_back(sync);
    }
    static const auto next = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return next(fd);
}

TEST(LeftoverTemporaries, TheNextSaveRemovesOnlyThoseOfItsOwnFile)
{
    const struct {
        const char* name;
        bool removed;
    } cases[] = {
        {".flight.cds.a1B2c3", true},  // what a killed save leaves
        {".flight.cds.ZZZZZZ", true},    {".flight.cds.000000", true},
        {".flight.cds.a1B2c", false},                                    // five characters
        {".flight.cds.a1B2c3d", false},                                  // seven
        {".flight.cds.a1-2c3", false},                                   // not letters and digits alone
        {".flight.cds.bak", false},      {"flight.cds.a1B2c3", false},   // not hidden
        {"..flight.cds.a1B2c", false},   {".Flight.cds.a1B2c3", false},  // another name, in letter case only
        {".aircraft.cds.a1B2c3", false},                                 // another file's
        {".flight.cds", false},
    };
    TempFolder folder;
    writeBytes(folder / "flight.cds", "old");
    for (const auto& c : cases) writeBytes(folder / c.name, "bytes of a save");
    std::filesystem::create_directory(folder / ".flight.cds.Dir123");  // a folder is no leftover
    writeBytes(folder / "elsewhere", "kept");
    std::filesystem::create_symlink(folder / "elsewhere", folder / ".flight.cds.Lnk123");  // nor is a link

    platform::writeFileAtomically(folder / "flight.cds", "new");

    EXPECT_EQ(readBytes(folder / "flight.cds"), "new");
    for (const auto& c : cases) EXPECT_EQ(!std::filesystem::exists(folder / c.name), c.removed) << c.name;
    EXPECT_TRUE(std::filesystem::is_directory(folder / ".flight.cds.Dir123"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / ".flight.cds.Lnk123"));
    EXPECT_EQ(readBytes(folder / "elsewhere"), "kept");
}

TEST(LeftoverTemporaries, ASaveInProgressKeepsItsTemporaryFile)
{
    TempFolder folder;
    writeBytes(folder / "fmlist", "old");
    const std::set<std::string> before = namesIn(folder.path());
    {
        // Another save of the same file, still writing, as a second program would be.
        platform::AtomicFile other(folder / "fmlist");
        other.write("the other save");
        std::set<std::string> during = namesIn(folder.path());
        ASSERT_EQ(during.size(), 2u);

        platform::writeFileAtomically(folder / "fmlist", "new");
        EXPECT_EQ(namesIn(folder.path()), during);

        other.commit();  // its file is still there to be renamed
    }
    EXPECT_EQ(readBytes(folder / "fmlist"), "the other save");
    EXPECT_EQ(namesIn(folder.path()), before);
}

TEST(AtomicFile, TheFolderIsFlushedAfterTheRenameAndTheCleanUp)
{
    TempFolder folder;
    const std::filesystem::path real = std::filesystem::canonical(folder.path());
    writeBytes(folder / "qrvl.ini", "old");
    writeBytes(folder / ".qrvl.ini.Xy12Ab", "left by a killed save");
    SyncWatch watch;
    platform::writeFileAtomically(folder / "qrvl.ini", "new");

    ASSERT_EQ(watch.syncs.size(), 2u);
    // The data first, under its temporary name; then the folder that now names only the new file.
    EXPECT_EQ(watch.syncs[0].path.parent_path(), real);
    EXPECT_TRUE(watch.syncs[0].path.filename().string().starts_with(".qrvl.ini.")) << watch.syncs[0].path;
    EXPECT_EQ(watch.syncs[1].path, real);
    EXPECT_EQ(watch.syncs[1].names, std::set<std::string>{"qrvl.ini"});
}
