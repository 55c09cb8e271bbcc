// serve/board_page.h: the board page, one HTML file with its style and script inline, built
// into the program from serve/page/board.html so that nothing is fetched from elsewhere.
#pragma once

#include <string_view>

namespace quorvel::serve {

std::string_view boardPage();

}  // namespace quorvel::serve
