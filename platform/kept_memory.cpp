#include "platform/kept_memory.h"

#include <atomic>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quorvel::platform {

namespace {

std::atomic<int> holders{0};

#if defined(__GLIBC__)
// Large enough for the biggest block such a job takes, and for two of them to be freed at once:
// the highest values the C library would move its thresholds to by itself.
constexpr int keptMapThreshold = 32 << 20;
constexpr int keptTrimThreshold = 64 << 20;
#endif

}  // namespace

KeptFreedMemory::KeptFreedMemory()
{
    if (holders.fetch_add(1) != 0) return;
#if defined(__GLIBC__)
    ::mallopt(M_MMAP_THRESHOLD, keptMapThreshold);
    ::mallopt(M_TRIM_THRESHOLD, keptTrimThreshold);
#endif
}

KeptFreedMemory::~KeptFreedMemory()
{
    if (holders.fetch_sub(1) != 1) return;
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace quorvel::platform
