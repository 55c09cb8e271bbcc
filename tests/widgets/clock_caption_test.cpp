#include "widgets/clock_caption.h"

#include <gtest/gtest.h>

using quorvel::LocalDateTime;
using namespace quorvel::ui;

TEST(ClockCaption, DayNameOfTheLocaleThenDateAndTwentyFourHourTimeWithItsSeparators)
{
    const struct {
        QLocale locale;
        LocalDateTime moment;
        const char* expected;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedKingdom), {2024, 1, 1, 13, 45, 59}, "Mon 01/01/2024 13:45"},
        {QLocale(QLocale::English, QLocale::UnitedStates), {2024, 12, 31, 0, 5, 0}, "Tue 31/12/2024 00:05"},
        {QLocale(QLocale::Italian, QLocale::Italy), {2024, 1, 7, 23, 59, 0}, "dom 07/01/2024 23:59"},
        {QLocale(QLocale::German, QLocale::Germany), {2024, 3, 9, 7, 0, 0}, "Sa. 09.03.2024 07:00"},
        {QLocale(QLocale::Finnish, QLocale::Finland), {2024, 3, 9, 7, 0, 0}, "la 09.03.2024 07.00"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), {2024, 3, 9, 17, 30, 0}, "lör 09-03-2024 17:30"},
        {QLocale::c(), {2024, 3, 9, 7, 0, 0}, "Sat 09/03/2024 07:00"},  // a date of blanks only: "/"
    };
    for (const auto& c : cases)
        EXPECT_EQ(clockCaption(c.moment, c.locale), QString::fromUtf8(c.expected)) << c.locale.name().toStdString();
}

TEST(ClockCaption, SeparatorsReadOffTheLocalesShortFormats)
{
    const struct {
        QLocale locale;
        const char* date;
        const char* time;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "/", ":"},  // "M/d/yy", "h:mm AP"
        {QLocale(QLocale::Danish, QLocale::Denmark), ".", "."},        // "dd.MM.yyyy", "HH.mm"
        {QLocale(QLocale::Dutch, QLocale::Netherlands), "-", ":"},
        {QLocale(QLocale::Hungarian, QLocale::Hungary), ".", ":"},  // "yyyy. MM. dd.": blanks are no separator
        {QLocale(QLocale::French, QLocale::Canada), "-", ":"},      // "HH 'h' mm": a quoted word is none either
    };
    for (const auto& c : cases) {
        const ClockSeparators separators = clockSeparators(c.locale);
        EXPECT_EQ(separators.date, QString::fromUtf8(c.date)) << c.locale.name().toStdString();
        EXPECT_EQ(separators.time, QString::fromUtf8(c.time)) << c.locale.name().toStdString();
    }
}

TEST(ClockCaption, SeparatorsAreWrittenAsTheyAreNeverReadAsFields)
{
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(clockCaption({2024, 1, 1, 13, 45, 0}, english, {QStringLiteral("'"), QStringLiteral("h")}),
              "Mon 01'01'2024 13h45");
    EXPECT_EQ(clockCaption({2024, 1, 1, 13, 45, 0}, english, {QStringLiteral("-"), QStringLiteral(":")}),
              "Mon 01-01-2024 13:45");
}
