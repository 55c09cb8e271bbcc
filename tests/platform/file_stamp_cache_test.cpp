#include "platform/file_stamp_cache.h"

#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quorvel::platform::FileStampCache;
using quorvel::test::FixedFileClock;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;
namespace fs = std::filesystem;

namespace {

struct FileStampCacheTest : ::testing::Test {
    // The file's bytes as the cache gives them ("gone" when it gives nothing).
    std::string read()
    {
        const std::string* bytes =
            cache.get(file, [](const fs::path& path) { return FileStampCache<std::string>::Made{readBytes(path)}; });
        return bytes ? *bytes : "gone";
    }

    // Rewrites the file and puts its modification time back to `stamp`, as a second write within
    // one tick of a coarse file-system clock leaves it.
    void rewriteWithin(fs::file_time_type stamp, std::string_view bytes)
    {
        writeBytes(file, bytes);
        fs::last_write_time(file, stamp);
    }

    TempFolder folder;
    fs::path file = folder / "picture.bmp";
    FixedFileClock clock{fs::file_time_type{}};
    FileStampCache<std::string> cache{clock, 8};
};

}  // namespace

TEST_F(FileStampCacheTest, ReadAgainUntilReadAfterTheSettleTimeThenKeptWhileTheStampHolds)
{
    writeBytes(file, "a");
    const fs::file_time_type stamp = fs::last_write_time(file);
    const struct {
        std::chrono::milliseconds age;  // of the stamp, on the clock, when the cache is asked
        const char* rewrite;            // new bytes under the same stamp; nullptr: none
        const char* seen;
        int reads;
    } steps[] = {
        {1s, nullptr, "a", 1},     {1s, "b", "b", 2},  // too recent to trust: read at every call
        {2s, "c", "c", 3},                             // exactly the settle time is still too recent
        {2001ms, nullptr, "c", 4}, {2001ms, nullptr, "c", 4},
        {1h, "d", "c", 4},    // settled: kept, and a change that keeps the stamp is not looked for
        {1h, "ee", "ee", 5},  // a new size is a new stamp
    };
    for (const auto& s : steps) {
        clock.set(stamp + s.age);
        if (s.rewrite) rewriteWithin(stamp, s.rewrite);
        EXPECT_EQ(read(), s.seen) << s.age.count() << " ms";
        EXPECT_EQ(cache.makes(), s.reads) << s.age.count() << " ms";
    }

    writeBytes(file, "f");
    fs::last_write_time(file, stamp + 1s);
    clock.set(stamp + 1h);
    EXPECT_EQ(read(), "f") << "a new modification time is a new stamp";
    EXPECT_EQ(read(), "f");
    EXPECT_EQ(cache.makes(), 6);
}

TEST_F(FileStampCacheTest, GoneFileGivesNothingAndIsForgotten)
{
    writeBytes(file, "a");
    const fs::file_time_type stamp = fs::last_write_time(file);
    clock.set(stamp + 1h);
    EXPECT_EQ(read(), "a");
    fs::remove(file);
    EXPECT_EQ(read(), "gone");
    rewriteWithin(stamp, "b");
    EXPECT_EQ(read(), "b") << "the same stamp again is not the file that went";
    EXPECT_EQ(cache.makes(), 2);
}

TEST_F(FileStampCacheTest, ReadCutShortIsReadAgainHoweverOld)
{
    writeBytes(file, "a");
    clock.set(fs::last_write_time(file) + 1h);
    const auto partly = [](const fs::path& path) { return FileStampCache<std::string>::Made{readBytes(path), false}; };
    EXPECT_EQ(*cache.get(file, partly), "a");
    EXPECT_EQ(*cache.get(file, partly), "a");
    EXPECT_EQ(cache.makes(), 2);
}

TEST_F(FileStampCacheTest, PastItsLimitTheCacheStartsAgain)
{
    FileStampCache<std::string> small(clock, 2);
    const auto get = [&small](const fs::path& path, const char* made) {
        return *small.get(path, [made](const fs::path&) { return FileStampCache<std::string>::Made{made}; });
    };
    for (const char* name : {"a", "b", "c"}) writeBytes(folder / name, name);
    clock.set(fs::last_write_time(folder / "c") + 1h);
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(get(folder / name, name), name);
    EXPECT_EQ(get(folder / "c", "again"), "c");
    EXPECT_EQ(get(folder / "a", "again"), "again") << "a third file emptied the cache";
}
