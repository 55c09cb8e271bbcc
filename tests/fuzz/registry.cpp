// tests/fuzz/registry.cpp: the Wine "system.reg" reader, asked for the simulator's key and for a
// key named by the input's first line.
#include "platform/registry.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::bytesOf(data, size);
    if (const auto key = platform::findKey(text, "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0"))
        key->text("EXE Path");
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    if (const auto key = platform::findKey(text, firstLine.substr(0, 256))) key->text("");
    return 0;
}
