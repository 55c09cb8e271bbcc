#include "tables/airport_zones.h"

#include "platform/error.h"
#include "platform/zone_offsets.h"

#include <fstream>
#include <sstream>

namespace quorvel::tables {

void AirportZones::load(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(file.string() + ": cannot be opened");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw Error(file.string() + ": cannot be read");
    std::string_view text = bytes.view();
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    decltype(zones_) zones;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const auto fail = [&](const std::string& reason) {
            throw Error(file.string() + ":" + std::to_string(number) + ": " + reason);
        };
        if (number == 1) {
            if (line != "ICAO_CODE,TIME_ZONE") fail("the first line must be ICAO_CODE,TIME_ZONE");
            continue;
        }
        if (line.empty()) continue;
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos || line.find(',', comma + 1) != std::string_view::npos)
            fail("an airport code, a comma and a time zone expected");
        const std::string_view code = line.substr(0, comma), zone = line.substr(comma + 1);
        if (code.empty() || code.size() > 4)
            fail("the airport code \"" + std::string(code) + "\" is not 1 to 4 characters");
        if (!platform::isKnownZone(zone))
            fail("the time zone \"" + std::string(zone) + "\" is not in the system's time-zone database");
        if (!zones.try_emplace(std::string(code), zone).second)
            fail("the airport " + std::string(code) + " has a time zone on an earlier line");
    }
    if (number == 0) throw Error(file.string() + ":1: the first line must be ICAO_CODE,TIME_ZONE");
    zones_ = std::move(zones);
}

std::optional<std::string_view> AirportZones::zoneOf(std::string_view code) const
{
    const auto found = zones_.find(code);
    if (found == zones_.end()) return std::nullopt;
    return found->second;
}

}  // namespace quorvel::tables
