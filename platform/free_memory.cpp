#include "platform/free_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace quorvel::platform {

std::uint64_t availablePhysicalMemory(const std::filesystem::path& meminfo)
{
    std::ifstream in(meminfo);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("MemAvailable:", 0) != 0) continue;
        std::istringstream fields(line.substr(13));
        std::uint64_t kilobytes = 0;
        std::string unit;
        if (!(fields >> kilobytes)) return 0;
        fields >> unit;
        return unit == "kB" ? kilobytes * 1024 : kilobytes;
    }
    return 0;
}

}  // namespace quorvel::platform
