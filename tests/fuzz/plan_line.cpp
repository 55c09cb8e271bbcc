// tests/fuzz/plan_line.cpp: the flight plan file, read as a file and split into lines, each cut and
// walked leg by leg.
// Every leg takes at least one comma off the list, so the walk always ends.
#include "convert/flight_plan_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<convert::TextLines> file = convert::readTextLines(fuzz::memoryFile(fuzz::bytesOf(data, size)));
    QRVL_FUZZ_CHECK(file);
    for (const std::string_view line : file->lines) {
        const std::optional<convert::PlanLine> plan = convert::cutPlanLine(line);
        if (!plan) continue;
        QRVL_FUZZ_CHECK(plan->homeAirport.size() <= 4 && plan->legList.size() <= line.size());
        std::string_view legs = plan->legList;
        const auto commas = std::count(legs.begin(), legs.end(), ',');
        long walked = 0;
        while (convert::nextLeg(legs)) QRVL_FUZZ_CHECK(++walked <= commas);
    }
    return 0;
}
