#include "board/clock_rules.h"

namespace quorvel::board {

DaylightPanel daylightPanel(const platform::TimeZone& zone, bool overrideTicked)
{
    return {platform::daylightInForce(zone, overrideTicked) ? "DST:ON" : "DST:OFF",
            overrideTicked ? Rgb{255, 0, 0} : Rgb{0, 128, 0}};
}

bool customDateTimeRequeries(bool accepted, bool customTimeOn, const LocalDateTime& before, const LocalDateTime& after)
{
    return accepted && customTimeOn && before != after;
}

}  // namespace quorvel::board
