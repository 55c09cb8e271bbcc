// platform/byte_order_mark.h: Windows editors that save "UTF-8" put the three bytes EF BB BF
// before the first line. They are no part of the text: every reader of a text file (the flight
// plan file, the AI aircraft list, aircraft.cfg, fmlist, qrvl.ini, system.reg) skips them at the
// start of the file, and only there.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel::platform {

inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// 3 when `text` starts with the mark, else 0: how many bytes a reader skips before the first line.
constexpr std::size_t byteOrderMarkSize(std::string_view text)
{
    return text.starts_with(byteOrderMark) ? byteOrderMark.size() : 0;
}

}  // namespace quorvel::platform
