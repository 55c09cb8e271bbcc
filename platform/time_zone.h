// platform/time_zone.h: the local time zone as the C library describes it after tzset():
// the standard offset in seconds west of Greenwich, and whether the zone has daylight-saving rules.
#pragma once

#include <string>

namespace quorvel::platform {

struct TimeZone {
    long secondsWest = 0;   // standard time, whatever the season
    bool daylight = false;  // the zone has daylight-saving rules
};

TimeZone localTimeZone();  // reads TZ afresh

// Where a window learns the local zone: the program reads the system's, tests pass a fixed one.
struct TimeZoneSource {
    virtual ~TimeZoneSource() = default;
    virtual TimeZone zone() const = 0;
};

// The system's zone, read afresh at each call as localTimeZone() does.
class SystemTimeZone final : public TimeZoneSource {
public:
    TimeZone zone() const override { return localTimeZone(); }
};

// "GMT:" and the standard offset in whole hours east, the fraction dropped toward zero: "GMT:5", "GMT:-3".
std::string gmtPanelText(const TimeZone& zone);

// Daylight-saving time is taken as in force when the zone has rules, inverted by the user's override.
bool daylightInForce(const TimeZone& zone, bool overrideDst);

}  // namespace quorvel::platform
