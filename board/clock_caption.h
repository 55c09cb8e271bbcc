// board/clock_caption.h: a moment as the board's clock and the custom date-time panel show it:
// "ddd dd/mm/yyyy hh:mm", the abbreviated day name in the locale's language, 24-hour time, and
// the locale's own date and time separators standing for "/" and ":".
#pragma once

#include "platform/local_time.h"

#include <QLocale>
#include <QString>

// What the locale writes between the fields of a short date and between hours and minutes.
struct ClockSeparators {
    QString date;
    QString time;
};

// Read off the locale's short date and time formats; "/" and ":" where a format has none.
ClockSeparators clockSeparators(const QLocale& locale);

QString clockCaption(const quorvel::LocalDateTime& moment, const QLocale& locale, const ClockSeparators& separators);

// With the locale's own separators.
inline QString clockCaption(const quorvel::LocalDateTime& moment, const QLocale& locale)
{
    return clockCaption(moment, locale, clockSeparators(locale));
}
