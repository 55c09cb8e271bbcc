// tests/fuzz/fuzz_check.h: what every fuzz target shares.
// A reader may refuse an input with quorvel::Error; anything else it does wrong (a crash, another
// exception, a broken promise checked with QRVL_FUZZ_CHECK) ends the run so the fuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#define QRVL_FUZZ_CHECK(condition)                                                             \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace quorvel::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// A path that reads as `bytes`, for readers that take a file. The file lives in memory
// (one per process, rewritten for every input), so fuzzing touches no disk.
std::filesystem::path memoryFile(std::string_view bytes);

}  // namespace quorvel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
