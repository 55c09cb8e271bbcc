// widgets/qt_text.h: the one crossing between the core's Windows-1252 bytes and the windows' QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quorvel::ui {

QString fromWindows1252(std::string_view bytes);
std::string toWindows1252(const QString& text);  // characters Windows-1252 cannot hold become '?'
QString fromUtf8(std::string_view text);         // messages and paths, which the core keeps in UTF-8

}  // namespace quorvel::ui
