// platform/windows1252.h: the simulator's files and our tables hold single-byte Windows-1252 text;
// everything shown or printed outside them is UTF-8. This is the one conversion between the two.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::platform {

std::string utf8FromWindows1252(std::string_view bytes);

}  // namespace quorvel::platform
