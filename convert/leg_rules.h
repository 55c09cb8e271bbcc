// convert/leg_rules.h: the rules the conversion applies to each leg of a flight plan: what reads
// as a time of day, how many whole hours the plan's Greenwich times move, and which legs stay
// within one country.
#pragma once

#include "platform/time_zone.h"

#include <optional>
#include <string_view>

namespace quorvel::convert {

// Whole hours subtracted from a Greenwich time to get local time: the standard offset west,
// less an hour when the zone has daylight saving (inverted by overrideDst), truncated toward zero.
int utcOffsetHours(const platform::TimeZone& zone, bool overrideDst);

// Seconds after midnight of "H:M" or "H:M:S" (one or two digits each, blanks around allowed);
// nothing when the text is not a time of day.
std::optional<int> secondsOfDay(std::string_view time);

// Both airports in one country by the code prefix: the first letter for "K" codes, otherwise
// the first two, ED and ET counting as one.
bool isNationalLeg(std::string_view depCode, std::string_view arrCode);

}  // namespace quorvel::convert
