#include "tests/fuzz/fuzz_check.h"

#include <sys/mman.h>
#include <unistd.h>
#include <string>

namespace quorvel::fuzz {

std::filesystem::path memoryFile(std::string_view bytes)
{
    static const int fd = ::memfd_create("qrvl-fuzz-input", 0);
    QRVL_FUZZ_CHECK(fd >= 0);
    QRVL_FUZZ_CHECK(::ftruncate(fd, 0) == 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        QRVL_FUZZ_CHECK(wrote > 0);
        done += std::size_t(wrote);
    }
    // Opening the descriptor's /proc name gives a fresh, independent file position for the reader.
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace quorvel::fuzz
