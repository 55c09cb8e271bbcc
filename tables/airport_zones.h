// tables/airport_zones.h: the time zone of each airport, read from "airport-zones.csv" in the
// program folder: a header line "ICAO_CODE,TIME_ZONE", then one airport a line ("LIRF,Europe/Rome").
//
// Every zone is checked against the system's time-zone database when the file is read, so a
// zone found here always has offsets. Airports that the user adds in the Airport Manager have
// no line and so no zone. After load() the list is only read.
#pragma once

#include "platform/case_fold.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorvel::tables {

inline constexpr const char* airportZonesFileName = "airport-zones.csv";

class AirportZones {
public:
    // Replaces the list by that of `file`; on failure the list stays as it was. Throws
    // quorvel::Error naming the file, and the line for a line that is not a code of one to four
    // characters, a comma and a zone the database knows, or that repeats an earlier code.
    void load(const std::filesystem::path& file);

    std::size_t size() const { return zones_.size(); }
    // The zone name ("Europe/Rome") of the airport with exactly this code; nothing when it has none.
    std::optional<std::string_view> zoneOf(std::string_view code) const;

private:
    std::unordered_map<std::string, std::string, platform::TextHash, std::equal_to<>> zones_;
};

}  // namespace quorvel::tables
