// board/clock_caption.h: a moment as the board's clock and the custom date-time panel show it:
// "ddd dd/mm/yyyy hh:mm", the abbreviated day name in the locale's language, 24-hour time.
#pragma once

#include "platform/local_time.h"

#include <QLocale>
#include <QString>

QString clockCaption(const quorvel::LocalDateTime& moment, const QLocale& locale = QLocale::system());
