#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace quorvel::platform {

void adviseHugePages(void* data, std::size_t bytes)
{
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    if (data == nullptr || bytes < hugePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(hugePage - 1);
    if (end <= first) return;
    // Advice the system does not take (no huge pages configured) leaves the memory as it was.
    ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void populatePages(void* data, std::size_t bytes)
{
    constexpr std::uintptr_t page = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes + page - 1) & ~(page - 1);
    if (data == nullptr || end - start < 4 * page) return;  // a few faults cost no more than the call
    // A system without the advice (before Linux 5.14) leaves the pages to their faults.
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

}  // namespace quorvel::platform
