#include "platform/zone_offsets.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace quorvel::platform;
using namespace std::chrono;

namespace {

sys_seconds utc(int y, unsigned m, unsigned d, int hh, int mm, int ss = 0)
{
    return sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm} + seconds{ss};
}

}  // namespace

TEST(ZoneOffsets, OffsetsFollowTheZonesRulesAcrossTheirSwitches)
{
    const struct {
        const char* zone;
        sys_seconds moment;
        seconds offset;
        bool daylight;
        const char* abbreviation;
    } cases[] = {
        {"Europe/Rome", utc(2024, 1, 15, 12, 0), hours{1}, false, "CET"},
        {"Europe/Rome", utc(2024, 7, 15, 12, 0), hours{2}, true, "CEST"},
        // Spring forward at 01:00 UTC on the last Sunday of March, back at 01:00 UTC in October.
        {"Europe/Rome", utc(2024, 3, 31, 0, 59, 59), hours{1}, false, "CET"},
        {"Europe/Rome", utc(2024, 3, 31, 1, 0, 0), hours{2}, true, "CEST"},
        {"Europe/Rome", utc(2024, 10, 27, 0, 59, 59), hours{2}, true, "CEST"},
        {"Europe/Rome", utc(2024, 10, 27, 1, 0, 0), hours{1}, false, "CET"},
        // New York switches at 07:00 UTC (02:00 local) on the second Sunday of March.
        {"America/New_York", utc(2024, 3, 10, 6, 59, 59), hours{-5}, false, "EST"},
        {"America/New_York", utc(2024, 3, 10, 7, 0, 0), hours{-4}, true, "EDT"},
        // The southern summer: Sydney leaves daylight saving in April at 16:00 UTC the day before.
        {"Australia/Sydney", utc(2024, 4, 6, 15, 59, 59), hours{11}, true, "AEDT"},
        {"Australia/Sydney", utc(2024, 4, 6, 16, 0, 0), hours{10}, false, "AEST"},
        {"Asia/Kolkata", utc(2024, 7, 1, 0, 0), hours{5} + minutes{30}, false, "IST"},
        {"UTC", utc(2024, 7, 1, 0, 0), seconds{0}, false, "UTC"},
    };
    for (const auto& c : cases) {
        const auto offset = zoneOffsetAt(c.zone, c.moment);
        ASSERT_TRUE(offset) << c.zone;
        EXPECT_EQ(offset->utcOffset, c.offset) << c.zone << " " << c.moment.time_since_epoch().count();
        EXPECT_EQ(offset->daylightSaving, c.daylight) << c.zone << " " << c.moment.time_since_epoch().count();
        EXPECT_EQ(offset->abbreviation, c.abbreviation) << c.zone;
    }
}

TEST(ZoneOffsets, AZoneTheDatabaseDoesNotKnowHasNoOffset)
{
    for (const char* zone :
         {"", "Europe/Atlantis", "europe/rome", "Europe/Rome ", "Europe", "+01:00", "../etc/passwd"}) {
        EXPECT_FALSE(isKnownZone(zone)) << zone;
        EXPECT_FALSE(zoneOffsetAt(zone, utc(2024, 1, 1, 0, 0))) << zone;
    }
    for (const char* zone : {"Europe/Rome", "America/New_York", "Asia/Calcutta", "Europe/Kiev"})
        EXPECT_TRUE(isKnownZone(zone)) << zone;  // old names stay known as links
}
