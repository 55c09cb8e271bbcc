#include "platform/zone_offsets.h"

#include <date/tz.h>

#include <stdexcept>

namespace quorvel::platform {

namespace {

const date::time_zone* findZone(std::string_view zone)
{
    if (zone.empty()) return nullptr;
    try {
        return date::locate_zone(zone);
    } catch (const std::runtime_error&) {  // the library's way of saying "no such zone"
        return nullptr;
    }
}

}  // namespace

bool isKnownZone(std::string_view zone)
{
    return findZone(zone) != nullptr;
}

std::optional<ZoneOffset> zoneOffsetAt(std::string_view zone, std::chrono::sys_seconds moment)
{
    const date::time_zone* found = findZone(zone);
    if (!found) return std::nullopt;
    const date::sys_info info = found->get_info(moment);
    return ZoneOffset{info.offset, info.save != std::chrono::minutes{0}, info.abbrev};
}

}  // namespace quorvel::platform
