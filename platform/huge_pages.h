// platform/huge_pages.h: asking the system to back a large buffer with huge pages.
//
// A million-row table fills some sixty megabytes of fresh memory at once. With ordinary 4 KB
// pages that is fifteen thousand page faults, each a trip into the kernel (and, on a virtual
// machine, out to the host): a good part of loading or converting a big table. With 2 MB
// pages it is a few dozen. The advice is only advice: where the system has no huge pages, or
// the buffer is too small to hold one, nothing changes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace quorvel::platform {

constexpr std::size_t hugePageBytes = std::size_t{2} << 20;

// Advises huge pages for the whole 2 MB pages inside [data, data + bytes), before they are first
// touched; does nothing for buffers smaller than one.
void adviseHugePages(void* data, std::size_t bytes);

// Makes the pages of [data, data + bytes) that are not yet in memory present at once, in one
// call into the kernel instead of a fault for each page, before they are first written.
void populatePages(void* data, std::size_t bytes);

// One mapping for buffers that are made together and live together, a table's columns: handed
// out back to back from a block that starts on a 2 MB boundary, all of them but the block's last
// 2 MB lie in huge pages, where first touching them costs a fault per 2 MB rather than per 4 KB,
// and no buffer's end is rounded up to a huge page of its own. Its memory goes when it does.
class PageArena {
public:
    explicit PageArena(std::size_t bytes);  // throws std::bad_alloc when the system has no room
    ~PageArena();
    PageArena(const PageArena&) = delete;
    PageArena& operator=(const PageArena&) = delete;

    // The next `bytes` of the block, aligned to a cache line; nullptr when they do not fit.
    // Threads may take at once.
    void* take(std::size_t bytes);
    // Hands the memory of a piece no longer used back to the system; the piece is not handed out
    // again, and its pages that it shares with others stay.
    void giveBack(const void* data, std::size_t bytes);
    bool holds(const void* data) const
    {
        const auto at = reinterpret_cast<std::uintptr_t>(data);
        const auto start = reinterpret_cast<std::uintptr_t>(data_);
        return at >= start && at - start < size_;
    }

    static constexpr std::size_t alignment = 64;
    // What `bytes` take of an arena, their alignment included.
    static std::size_t footprint(std::size_t bytes) { return (bytes + alignment - 1) & ~(alignment - 1); }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::atomic<std::size_t> used_{0};
};

// The allocator of a vector that may live in a PageArena: it takes from the arena while there is
// room, and from the heap after. A buffer freed to the arena gives its pages back at once; the
// arena's mapping goes with the last allocator that shares it. A copy of the vector is made on
// the heap.
template <typename T>
class ArenaAllocator {
public:
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    ArenaAllocator() = default;
    explicit ArenaAllocator(std::shared_ptr<PageArena> arena) : arena_(std::move(arena)) {}
    // Copied, never emptied by a move: an allocator stays equal to what it was.
    ArenaAllocator(const ArenaAllocator&) = default;
    ArenaAllocator& operator=(const ArenaAllocator&) = default;
    template <typename U>
    ArenaAllocator(const ArenaAllocator<U>& other) noexcept : arena_(other.arena())
    {
    }

    T* allocate(std::size_t n)
    {
        if (arena_ && n <= std::size_t(-1) / sizeof(T))
            if (void* data = arena_->take(n * sizeof(T))) return static_cast<T*>(data);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* data, std::size_t n) noexcept
    {
        if (arena_ && arena_->holds(data))
            arena_->giveBack(data, n * sizeof(T));
        else
            std::allocator<T>().deallocate(data, n);
    }

    ArenaAllocator select_on_container_copy_construction() const { return {}; }
    const std::shared_ptr<PageArena>& arena() const { return arena_; }

    template <typename U>
    friend bool operator==(const ArenaAllocator& a, const ArenaAllocator<U>& b) noexcept
    {
        return a.arena_ == b.arena();
    }

private:
    std::shared_ptr<PageArena> arena_;
};

// Sizes an empty buffer (a vector, a string) to `count` elements, in huge pages where the
// system grants them, its pages made present in one call.
template <typename Buffer>
void resizeFresh(Buffer& buffer, std::size_t count)
{
    buffer.reserve(count);
    const std::size_t bytes = count * sizeof(*buffer.data());
    adviseHugePages(buffer.data(), bytes);
    populatePages(buffer.data(), bytes);
    buffer.resize(count);
}

}  // namespace quorvel::platform
