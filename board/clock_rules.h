// board/clock_rules.h: when the custom date-time dialog re-runs the board query, and what the
// status bar's daylight-saving indicator shows.
#pragma once

#include "platform/local_time.h"
#include "platform/time_zone.h"

#include <cstdint>
#include <string>

namespace quorvel::board {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct DaylightPanel {
    std::string text;  // "DST:ON" or "DST:OFF"
    Rgb colour;        // green while automatic, red while overridden

    friend bool operator==(const DaylightPanel&, const DaylightPanel&) = default;
};

// Panel 1: whether daylight-saving time is taken as in force (the zone's rule inverted by the
// override, as the conversion takes it), and whether the user overrode the automatic setting.
// `overrideTicked` is the options dialog's box as it stands, confirmed or not.
DaylightPanel daylightPanel(const platform::TimeZone& zone, bool overrideTicked);

// The custom date-time dialog refreshes the board only when it was confirmed, custom time is on,
// and the moment changed.
bool customDateTimeRequeries(bool accepted, bool customTimeOn, const LocalDateTime& before, const LocalDateTime& after);

}  // namespace quorvel::board
