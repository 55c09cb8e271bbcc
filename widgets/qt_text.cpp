#include "widgets/qt_text.h"

#include "platform/windows1252.h"

namespace quorvel::ui {

QString fromWindows1252(std::string_view bytes)
{
    const std::string utf8 = quorvel::platform::utf8FromWindows1252(bytes);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string toWindows1252(const QString& text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        char found = '?';
        for (int b = 0x80; b < 0xA0; ++b) {
            const std::string one = quorvel::platform::utf8FromWindows1252(std::string(1, char(b)));
            if (QString::fromUtf8(one.data(), qsizetype(one.size())) == QString(c)) {
                found = char(b);
                break;
            }
        }
        out += found;
    }
    return out;
}

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace quorvel::ui
