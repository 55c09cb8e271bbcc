// tests/fuzz/aircraft_line.cpp: the AI aircraft list, read as a file, split into lines and cut into
// number and title.
#include "convert/flight_plan_file.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<convert::TextLines> file = convert::readTextLines(fuzz::memoryFile(fuzz::bytesOf(data, size)));
    QRVL_FUZZ_CHECK(file);
    for (const std::string_view line : file->lines) {
        const convert::AircraftLine cut = convert::cutAircraftLine(line);
        QRVL_FUZZ_CHECK(cut.number.size() <= line.size() && cut.title.size() <= line.size());
    }
    return 0;
}
