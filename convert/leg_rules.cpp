#include "convert/leg_rules.h"

#include "platform/case_fold.h"

namespace quorvel::convert {

int utcOffsetHours(const platform::TimeZone& zone, bool overrideDst)
{
    const long daylight = platform::daylightInForce(zone, overrideDst) ? 1 : 0;
    return int((zone.secondsWest - daylight * 3600) / 3600);
}

std::optional<int> secondsOfDay(std::string_view time)
{
    time = platform::trimBlanks(time);
    int parts[3] = {0, 0, 0};
    int count = 0;
    while (true) {
        std::size_t digits = 0;
        while (digits < time.size() && time[digits] >= '0' && time[digits] <= '9') ++digits;
        if (digits == 0 || digits > 2 || count == 3) return std::nullopt;
        parts[count++] = digits == 1 ? time[0] - '0' : (time[0] - '0') * 10 + (time[1] - '0');
        time.remove_prefix(digits);
        if (time.empty()) break;
        if (time.front() != ':') return std::nullopt;
        time.remove_prefix(1);
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

bool isNationalLeg(std::string_view depCode, std::string_view arrCode)
{
    if (!depCode.empty() && platform::foldAscii(depCode[0]) == 'k') return depCode.substr(0, 1) == arrCode.substr(0, 1);
    // German codes begin with ED or ET: both count as one prefix.
    const auto prefix = [](std::string_view code) -> std::string_view {
        code = code.substr(0, 2);
        if (platform::equalIgnoringAsciiCase(code, "ED") || platform::equalIgnoringAsciiCase(code, "ET")) return "E0";
        return code;
    };
    return prefix(depCode) == prefix(arrCode);
}

}  // namespace quorvel::convert
