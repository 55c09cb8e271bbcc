#include "platform/huge_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

using namespace quorvel::platform;

namespace {

template <typename T>
using ArenaVector = std::vector<T, ArenaAllocator<T>>;

std::uintptr_t address(const void* data)
{
    return reinterpret_cast<std::uintptr_t>(data);
}

}  // namespace

TEST(PageArena, HandsOutAlignedPiecesBackToBackUntilFull)
{
    PageArena arena(3 * hugePageBytes);
    char* first = static_cast<char*>(arena.take(100));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(address(first) % hugePageBytes, 0u) << "the block starts on a huge page";
    char* second = static_cast<char*>(arena.take(1));
    EXPECT_EQ(second, first + 2 * PageArena::alignment) << "a piece takes whole cache lines";
    EXPECT_TRUE(arena.holds(first));
    EXPECT_TRUE(arena.holds(second));

    // The rest of the block, then nothing.
    const std::size_t rest = 3 * hugePageBytes - 3 * PageArena::alignment;
    char* last = static_cast<char*>(arena.take(rest));
    ASSERT_NE(last, nullptr);
    last[rest - 1] = 'x';  // the whole piece is memory of ours
    EXPECT_EQ(arena.take(1), nullptr);
    EXPECT_EQ(arena.take(std::size_t(-1)), nullptr) << "a size that would wrap when aligned";

    std::vector<char> heap(16);
    EXPECT_FALSE(arena.holds(heap.data()));
    EXPECT_FALSE(arena.holds(first + 3 * hugePageBytes));
}

TEST(PageArena, APieceGivenBackLosesItsOwnPagesOnly)
{
    constexpr std::size_t page = 4096;
    PageArena arena(16 * page);
    char* before = static_cast<char*>(arena.take(100));
    char* piece = static_cast<char*>(arena.take(4 * page));  // starts inside the first page
    char* after = static_cast<char*>(arena.take(100));
    std::memset(before, 'b', 100);
    std::memset(piece, 'p', 4 * page);
    std::memset(after, 'a', 100);
    arena.giveBack(piece, 4 * page);
    EXPECT_EQ(before[99], 'b');
    EXPECT_EQ(after[0], 'a');
    EXPECT_EQ(piece[0], 'p') << "the page it shares with the piece before it stays";
    EXPECT_EQ(piece[page], '\0') << "its own pages are given back, and read as fresh memory";
    EXPECT_EQ(piece[3 * page - 1], '\0');
    EXPECT_EQ(piece[4 * page - 1], 'p') << "the page it shares with the piece after it stays";
    EXPECT_EQ(arena.take(0) != nullptr, true) << "even an empty piece has a place of its own";
}

TEST(PageArena, VectorsMoveToTheHeapWhenTheArenaIsFullAndCopiesLiveOnTheirOwn)
{
    ArenaVector<std::uint32_t> copy;
    {
        auto arena = std::make_shared<PageArena>(1000 * sizeof(std::uint32_t));
        ArenaVector<std::uint32_t> cells{ArenaAllocator<std::uint32_t>(arena)};
        cells.reserve(1000);
        EXPECT_TRUE(arena->holds(cells.data()));
        cells.resize(1000);
        std::iota(cells.begin(), cells.end(), 0u);

        cells.resize(200000, 7);  // past the arena: the cells move to the heap, in order
        EXPECT_FALSE(arena->holds(cells.data()));
        for (std::uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(cells[i], i);
        EXPECT_EQ(cells.back(), 7u);

        copy = cells;
        EXPECT_EQ(copy.get_allocator().arena(), nullptr) << "a copy does not keep the arena alive";

        // A vector that came from the arena keeps it while it lives, moved or not.
        ArenaVector<std::uint32_t> second{ArenaAllocator<std::uint32_t>(arena)};
        second.reserve(10);
        ArenaVector<std::uint32_t> moved = std::move(second);
        arena.reset();
        moved.assign(10, 3);
        EXPECT_TRUE(moved.get_allocator().arena()->holds(moved.data()));
    }
    ASSERT_EQ(copy.size(), 200000u);
    EXPECT_EQ(copy[999], 999u);
    EXPECT_EQ(copy[150000], 7u);
}

TEST(PageArena, ThreadsTakingAtOnceGetPiecesOfTheirOwn)
{
    constexpr int perThread = 20000;
    PageArena arena(2 * perThread * PageArena::alignment);
    std::vector<char*> taken[2];
    std::vector<std::thread> threads;
    for (auto& pieces : taken)
        threads.emplace_back([&arena, &pieces] {
            for (int i = 0; i < perThread; ++i) pieces.push_back(static_cast<char*>(arena.take(1)));
        });
    for (std::thread& thread : threads) thread.join();
    std::vector<char*> all = taken[0];
    all.insert(all.end(), taken[1].begin(), taken[1].end());
    EXPECT_EQ(std::count(all.begin(), all.end(), nullptr), 0);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "no piece handed out twice";
    EXPECT_EQ(arena.take(1), nullptr);
}
