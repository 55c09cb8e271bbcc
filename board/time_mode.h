// board/time_mode.h: which time the board shows, and how far ahead a rolling window reaches.
#pragma once

namespace quorvel::board {

// Computer: the stored local times, as the design's board; Airport: the chosen airport's zone;
// Utc: Greenwich time.
enum class TimeMode { Computer, Airport, Utc };

inline constexpr int maxWindowHours = 24;

}  // namespace quorvel::board
