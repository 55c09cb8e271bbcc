#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace quorvel::platform {

namespace {

constexpr std::uintptr_t hugePage = hugePageBytes;
constexpr std::uintptr_t smallPage = 4096;

std::size_t wholePages(std::size_t bytes)
{
    return (bytes + smallPage - 1) & ~(smallPage - 1);
}

}  // namespace

PageArena::PageArena(std::size_t bytes) : size_(wholePages(std::max<std::size_t>(bytes, 1)))
{
    if (size_ < bytes || size_ + hugePage < size_) throw std::bad_alloc();
    // Mapped a huge page longer than asked, then cut to start on a boundary.
    void* mapped = ::mmap(nullptr, size_ + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + hugePage - 1) & ~(hugePage - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    const std::uintptr_t end = start + size_ + hugePage;
    if (end > aligned + size_) ::munmap(reinterpret_cast<void*>(aligned + size_), end - (aligned + size_));
    data_ = reinterpret_cast<char*>(aligned);
    adviseHugePages(data_, size_);
}

PageArena::~PageArena()
{
    ::munmap(data_, size_);
}

void* PageArena::take(std::size_t bytes)
{
    const std::size_t length = footprint(std::max<std::size_t>(bytes, 1));
    if (length < bytes) return nullptr;
    std::size_t used = used_.load(std::memory_order_relaxed);
    do {
        if (length > size_ - used) return nullptr;
    } while (!used_.compare_exchange_weak(used, used + length, std::memory_order_relaxed));
    return data_ + used;
}

void PageArena::giveBack(const void* data, std::size_t bytes)
{
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + smallPage - 1) & ~(smallPage - 1);
    const std::uintptr_t end = (start + bytes) & ~(smallPage - 1);
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

void adviseHugePages(void* data, std::size_t bytes)
{
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
    const auto start = reinterpret_cast<std::uintptr_t>(data) & ~(smallPage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes + smallPage - 1) & ~(smallPage - 1);
    if (data == nullptr || end - start < 4 * smallPage) return;  // a few faults cost no more than the call
    // A system without the advice (before Linux 5.14) leaves the pages to their faults.
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

}  // namespace quorvel::platform
