#include "platform/kept_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>

using quorvel::platform::KeptFreedMemory;

namespace {

constexpr std::size_t block = 16 << 20;

// Takes a large block, writes it and frees it, where the compiler cannot leave the work out.
void takeAndFree()
{
    void* volatile data = std::malloc(block);
    ASSERT_NE(data, nullptr);
    std::memset(data, 1, block);
    std::free(data);
}

}  // namespace

TEST(KeptFreedMemory, LargeBlocksStayInTheHeapAndFreeMemoryGoesWithTheLastHolder)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's allocator stands in for the C library's";
#endif
    const std::size_t mappedBefore = mallinfo2().hblkhd;
    {
        const KeptFreedMemory kept;
        {
            const KeptFreedMemory nested;  // going first, it leaves the memory kept
        }
        void* volatile data = std::malloc(block);
        EXPECT_EQ(mallinfo2().hblkhd, mappedBefore) << "a large block is taken from the heap";
        std::free(data);
        takeAndFree();
        EXPECT_GE(mallinfo2().keepcost, block) << "the freed block stays at the top of the heap";
    }
    EXPECT_LT(mallinfo2().keepcost, block) << "the heap's free memory is given back";
    void* volatile data = std::malloc(block);
    EXPECT_EQ(mallinfo2().hblkhd, mappedBefore) << "large blocks still come from the heap";
    std::free(data);
}

#endif
