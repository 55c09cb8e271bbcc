#include "board/clock_caption.h"

#include <gtest/gtest.h>

using quorvel::LocalDateTime;

TEST(ClockCaption, DayNameOfTheLocaleThenDateAndTwentyFourHourTime)
{
    const struct {
        QLocale locale;
        LocalDateTime moment;
        const char* expected;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedKingdom), {2024, 1, 1, 13, 45, 59}, "Mon 01/01/2024 13:45"},
        {QLocale(QLocale::English, QLocale::UnitedStates), {2024, 12, 31, 0, 5, 0}, "Tue 31/12/2024 00:05"},
        {QLocale(QLocale::Italian, QLocale::Italy), {2024, 1, 7, 23, 59, 0}, "dom 07/01/2024 23:59"},
        {QLocale(QLocale::German, QLocale::Germany), {2024, 3, 9, 7, 0, 0}, "Sa. 09/03/2024 07:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clockCaption(c.moment, c.locale), QString::fromUtf8(c.expected)) << c.locale.name().toStdString();
}
