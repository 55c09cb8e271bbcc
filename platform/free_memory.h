// platform/free_memory.h: how much physical memory the system can still hand out.
#pragma once

#include <cstdint>
#include <filesystem>

namespace quorvel::platform {

// Available physical memory in bytes (MemAvailable of /proc/meminfo); 0 when it cannot be read.
std::uint64_t availablePhysicalMemory(const std::filesystem::path& meminfo = "/proc/meminfo");

}  // namespace quorvel::platform
