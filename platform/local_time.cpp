#include "platform/local_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace quorvel {

namespace {

using namespace std::chrono;

sys_days civilDay(const LocalDateTime& t)
{
    return sys_days{year{t.year} / month{unsigned(t.month)} / day{unsigned(t.day)}};
}

bool parseNumber(std::string_view text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

}  // namespace

int LocalDateTime::weekday() const
{
    return int(std::chrono::weekday{civilDay(*this)}.c_encoding());
}

LocalDateTime LocalDateTime::plusMinutes(long long minutes) const
{
    const sys_seconds start = civilDay(*this) + hours{hour} + std::chrono::minutes{minute} + seconds{second};
    const sys_seconds moved = start + std::chrono::minutes{minutes};
    const sys_days dayPart = floor<days>(moved);
    const year_month_day date{dayPart};
    const hh_mm_ss clock{moved - dayPart};
    return {int(date.year()),           int(unsigned(date.month())),  int(unsigned(date.day())),
            int(clock.hours().count()), int(clock.minutes().count()), int(clock.seconds().count())};
}

std::string LocalDateTime::timeText() const
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
    return text;
}

std::optional<LocalDateTime> parseLocalDateTime(std::string_view text)
{
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') return {};
    LocalDateTime t;
    if (!parseNumber(text.substr(0, 4), t.year) || !parseNumber(text.substr(5, 2), t.month) ||
        !parseNumber(text.substr(8, 2), t.day) || !parseNumber(text.substr(11, 2), t.hour) ||
        !parseNumber(text.substr(14, 2), t.minute))
        return {};
    const year_month_day date{year{t.year}, month{unsigned(t.month)}, day{unsigned(t.day)}};
    if (!date.ok() || t.hour > 23 || t.minute > 59) return {};
    return t;
}

std::chrono::sys_seconds instantOfLocal(const LocalDateTime& local)
{
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;
    return std::chrono::sys_seconds{std::chrono::seconds{std::mktime(&fields)}};
}

LocalDateTime SystemClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
}

}  // namespace quorvel
