#include "tools/qrvl_tool_options.h"

#include <charconv>

namespace quorvel::tool {

bool wantsHelp(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i)
{
    if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
    return args[++i];
}

int utcOffsetHoursOption(const std::string& text)
{
    int hours = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hours);
    if (error != std::errc() || end != text.data() + text.size() || hours < -24 || hours > 24)
        throw UsageError{"--utc-offset-hours takes whole hours from -24 to 24, not \"" + text + "\""};
    return hours;
}

}  // namespace quorvel::tool
