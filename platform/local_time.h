// platform/local_time.h: a local calendar date and time of day, and the clock that gives the present one.
// Board rules work on the wall-clock time the user sees, so this is a plain civil value, not an instant.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct LocalDateTime {
    int year = 2000;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;

    int weekday() const;                                 // 0 Sunday .. 6 Saturday
    LocalDateTime plusMinutes(long long minutes) const;  // calendar arithmetic, no time zone involved
    std::string timeText() const;                        // "hh:mm", zero-padded, 24-hour
};

// Parses "YYYY-MM-DD HH:MM" (seconds 0); nothing when the text is not such a valid moment.
std::optional<LocalDateTime> parseLocalDateTime(std::string_view text);

// The instant at which the computer's clock reads `local` (C library rules, TZ honoured); in a
// daylight-saving gap or overlap one of the candidates.
std::chrono::sys_seconds instantOfLocal(const LocalDateTime& local);

struct Clock {
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The computer's clock in its local time zone.
class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

}  // namespace quorvel
