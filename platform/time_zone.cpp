#include "platform/time_zone.h"

#include <ctime>

namespace quorvel::platform {

TimeZone localTimeZone()
{
    ::tzset();
    return {::timezone, ::daylight != 0};
}

std::string gmtPanelText(const TimeZone& zone)
{
    return "GMT:" + std::to_string(-zone.secondsWest / 3600);
}

bool daylightInForce(const TimeZone& zone, bool overrideDst)
{
    return zone.daylight != overrideDst;
}

}  // namespace quorvel::platform
