// platform/huge_pages.h: asking the system to back a large buffer with huge pages.
//
// A million-row table fills some sixty megabytes of fresh memory at once. With ordinary 4 KB
// pages that is fifteen thousand page faults, each a trip into the kernel (and, on a virtual
// machine, out to the host): a good part of loading or converting a big table. With 2 MB
// pages it is a few dozen. The advice is only advice: where the system has no huge pages, or
// the buffer is too small to hold one, nothing changes.
#pragma once

#include <cstddef>
#include <vector>

namespace quorvel::platform {

// Advises huge pages for the whole 2 MB pages inside [data, data + bytes), before they are first
// touched; does nothing for buffers smaller than one.
void adviseHugePages(void* data, std::size_t bytes);

// Makes the pages of [data, data + bytes) that are not yet in memory present at once, in one
// call into the kernel instead of a fault for each page, before they are first written.
void populatePages(void* data, std::size_t bytes);

// Sizes an empty vector to `count` elements of `value`, its pages made present in one call.
template <typename T>
void resizeFresh(std::vector<T>& cells, std::size_t count, const T& value = T())
{
    cells.reserve(count);
    populatePages(cells.data(), count * sizeof(T));
    cells.resize(count, value);
}

}  // namespace quorvel::platform
