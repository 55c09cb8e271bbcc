#include "widgets/clock_caption.h"

#include <QDateTime>
#include <QStringList>

namespace quorvel::ui {

namespace {

bool isFieldLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The literal text between a format's first field and its second, without blanks and without
// quoted words (a French-Canadian time reads "HH 'h' mm": that "h" is no separator).
QString separatorAfterFirstField(const QString& format, const QString& fallback)
{
    qsizetype i = 0;
    while (i < format.size() && !isFieldLetter(format[i])) ++i;
    if (i == format.size()) return fallback;
    const QChar field = format[i];
    while (i < format.size() && format[i] == field) ++i;
    QString separator;
    bool quoted = false;
    for (; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted) {
            if (isFieldLetter(c)) break;
            if (!c.isSpace()) separator += c;
        }
    }
    return separator.isEmpty() ? fallback : separator;
}

// A literal for a date format: quoted text, and a quote itself as two quotes outside the text.
QString quoted(const QString& literal)
{
    QStringList parts = literal.split(u'\'');
    for (QString& part : parts)
        if (!part.isEmpty()) part = u'\'' + part + u'\'';
    return parts.join(QStringLiteral("''"));
}

}  // namespace

ClockSeparators clockSeparators(const QLocale& locale)
{
    return {separatorAfterFirstField(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/")),
            separatorAfterFirstField(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"))};
}

QString clockCaption(const quorvel::LocalDateTime& moment, const QLocale& locale, const ClockSeparators& separators)
{
    const QDateTime time(QDate(moment.year, moment.month, moment.day), QTime(moment.hour, moment.minute));
    const QString date = quoted(separators.date);
    return locale.toString(time, QStringLiteral("ddd dd") + date + QStringLiteral("MM") + date +
                                     QStringLiteral("yyyy HH") + quoted(separators.time) + QStringLiteral("mm"));
}

}  // namespace quorvel::ui
