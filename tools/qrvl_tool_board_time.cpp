// qrvl-tool board in airport or UTC time, or with a rolling window: each row starts with the
// instance's date and time in the chosen zone, then the record as stored.

#include "board/board_time.h"
#include "convert/conversion_run.h"
#include "convert/leg_rules.h"
#include "platform/error.h"
#include "platform/program_folder.h"
#include "platform/time_zone.h"
#include "tables/airport_zones.h"
#include "tables/csv.h"
#include "tables/flight_table.h"
#include "tools/qrvl_tool_options.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

using namespace quorvel;

std::filesystem::path tool::zonesFile(const std::string& given, const std::string& flightsFile)
{
    if (!given.empty()) return given;
    if (!flightsFile.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(flightsFile).parent_path() / tables::airportZonesFileName;
        if (std::filesystem::exists(beside)) return beside;
    }
    // Installed, the program folder may not be made yet: then the shipped list is read.
    return platform::readableProgramFile(platform::thisProgramFolder(), tables::airportZonesFileName);
}

int tool::timedBoardCommand(const board::BoardInputs& inputs, board::TimeInputs time, bool momentGiven,
                            const std::string& flightsFile, const std::string& zonesOption, bool overrideDst,
                            bool explain)
{
    if (time.mode == board::TimeMode::Airport) {
        tables::AirportZones zones;
        zones.load(zonesFile(zonesOption, flightsFile));
        if (const auto zone = zones.zoneOf(inputs.airport)) time.airportZone = std::string(*zone);
    }
    if (!momentGiven) time.present = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());

    std::optional<tables::LoadedFlights> flights;
    if (!explain) {
        // Loaded and selected as the window does.
        flights = tables::loadFlights(flightsFile, 0);
        const std::optional<int> recorded = board::recordedUtcOffsetHours(flights->table);
        time.utcOffsetHours = recorded ? *recorded : convert::utcOffsetHours(platform::localTimeZone(), overrideDst);
        if (!recorded && time.mode != board::TimeMode::Computer)
            std::cerr << "qrvl-tool board: " << flightsFile << ": " << board::assumedOffsetNotice(time.utcOffsetHours)
                      << '\n';
    }
    const board::InstanceQuery query = board::buildInstanceQuery(inputs, time);
    if (query.interval.fellBack)
        std::cerr << "qrvl-tool board: " << inputs.airport << " has no time zone; the board is in computer time\n";
    if (explain) {
        std::cout << board::explainText(query.interval);
        return 0;
    }
    const board::Instances instances = board::selectInstances(*flights, query);
    std::vector<std::vector<std::string>> lead;
    lead.reserve(instances.rows.size());
    for (const std::int32_t minutes : instances.minutes) {
        const LocalDateTime at = query.interval.start.plusMinutes(minutes);
        lead.push_back({board::dateText(at), at.timeText()});
    }
    tables::writeCsv(std::cout, flights->table, instances.rows, {"DAY", "TIME"}, lead);
    return 0;
}
