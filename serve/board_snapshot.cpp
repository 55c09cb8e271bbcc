#include "serve/board_snapshot.h"

namespace quorvel::serve {

SnapshotStore::SnapshotStore() : current_(std::make_shared<const Snapshot>()) {}

std::shared_ptr<const Snapshot> SnapshotStore::current() const
{
    const std::lock_guard lock(mutex_);
    return current_;
}

std::uint64_t SnapshotStore::publish(BoardData data)
{
    const std::lock_guard lock(mutex_);
    auto next = std::make_shared<Snapshot>(Snapshot{std::move(data), current_->generation + 1});
    current_ = std::move(next);
    return current_->generation;
}

BoardData makeBoardData(std::shared_ptr<const tables::LoadedFlights> flights, const tables::AirportLookup& airports,
                        const tables::AirportZones& zones, const flags::FlagList& flagList,
                        std::filesystem::path flagFolder, int assumedUtcOffsetHours)
{
    BoardData data;
    data.flights = std::move(flights);
    data.airports = std::make_shared<const tables::AirportLookup>(airports);
    data.zones = std::make_shared<const tables::AirportZones>(zones);
    data.flagList = std::make_shared<const flags::FlagList>(flagList);
    data.flagFolder = std::move(flagFolder);
    data.assumedUtcOffsetHours = assumedUtcOffsetHours;
    return data;
}

}  // namespace quorvel::serve
