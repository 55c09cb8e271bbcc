// The program's version record, placed by the compiler in a section of its own. This object is
// linked into every program that links the windows (see about/CMakeLists.txt), not pulled from a
// library on demand: nothing refers to these bytes, the about box finds them in the file.
#include "about/program_version.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kSize = quorvel::about::encodeVersionRecord(quorvel::about::programVersionRecord()).size();

constexpr std::array<char, kSize> encoded()
{
    std::array<char, kSize> bytes{};
    const std::string record = quorvel::about::encodeVersionRecord(quorvel::about::programVersionRecord());
    std::ranges::copy(record, bytes.begin());
    return bytes;
}

// "used" keeps the compiler from dropping the unreferenced bytes, "retain" the linker's section
// garbage collection.
[[gnu::section(".qrvl_version"), gnu::used, gnu::retain]] constexpr std::array<char, kSize> kRecord = encoded();

}  // namespace
