// platform/zone_offsets.h: what the system's time-zone database (tzdata, /usr/share/zoneinfo)
// says about a named zone ("Europe/Rome"): whether it knows the name, and the offset of the
// zone's clocks from UTC at a moment, daylight saving included.
//
// The database is read once, on first use, by the date/tz library; every later call only reads
// it, so any thread may ask.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::platform {

struct ZoneOffset {
    std::chrono::seconds utcOffset{0};  // local time minus UTC: +3600 s in Rome in January
    bool daylightSaving = false;        // daylight-saving time is in force
    std::string abbreviation;           // "CET", "CEST"; may be a number like "+0530"
};

bool isKnownZone(std::string_view zone);

// The zone's offset at `moment`; nothing when the database does not know the zone.
std::optional<ZoneOffset> zoneOffsetAt(std::string_view zone, std::chrono::sys_seconds moment);

}  // namespace quorvel::platform
