// serve/board_snapshot.h: what the board server reads, handed over as immutable snapshots.
//
// The program (or qrvl-tool serve) builds a BoardData from its loaded tables and publishes it;
// a request takes the current snapshot once and keeps it for its whole answer, so a table
// loaded meanwhile never changes rows under a request, and no server thread ever touches the
// window's own objects. Each publish raises the generation, which the page polls to refresh at
// once after a new flight table.
#pragma once

#include "flags/flag_list.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/flight_table.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

namespace quorvel::serve {

struct BoardData {
    std::shared_ptr<const tables::LoadedFlights> flights;  // nothing until a flight table is loaded
    std::shared_ptr<const tables::AirportLookup> airports;
    std::shared_ptr<const tables::AirportZones> zones;
    std::shared_ptr<const flags::FlagList> flagList;
    std::filesystem::path flagFolder;
    int assumedUtcOffsetHours = 0;  // for a table that does not record the hours its times were moved by
};

struct Snapshot {
    BoardData data;
    std::uint64_t generation = 0;  // 1 for the first publish, one more for each after it
};

// Safe to call from any thread.
class SnapshotStore {
public:
    SnapshotStore();

    std::shared_ptr<const Snapshot> current() const;
    std::uint64_t publish(BoardData data);  // returns the new generation

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const Snapshot> current_;
};

// Each of the tables is copied (or shared when it is already shared); empty parts stay empty.
BoardData makeBoardData(std::shared_ptr<const tables::LoadedFlights> flights, const tables::AirportLookup& airports,
                        const tables::AirportZones& zones, const flags::FlagList& flagList,
                        std::filesystem::path flagFolder, int assumedUtcOffsetHours);

}  // namespace quorvel::serve
