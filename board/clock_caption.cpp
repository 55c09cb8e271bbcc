#include "board/clock_caption.h"

#include <QDateTime>

QString clockCaption(const quorvel::LocalDateTime& moment, const QLocale& locale)
{
    const QDateTime time(QDate(moment.year, moment.month, moment.day), QTime(moment.hour, moment.minute));
    return locale.toString(time, QStringLiteral("ddd dd/MM/yyyy HH:mm"));
}
