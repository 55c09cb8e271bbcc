#include "board/clock_rules.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::board;

TEST(DaylightPanel, TextFromZoneAndOverrideColourFromOverride)
{
    const Rgb green{0, 128, 0};
    const Rgb red{255, 0, 0};
    struct Case {
        bool overrideTicked;
        bool daylight;
        DaylightPanel expected;
    };
    const Case cases[] = {
        {false, true, {"DST:ON", green}},
        {false, false, {"DST:OFF", green}},
        {true, true, {"DST:OFF", red}},
        {true, false, {"DST:ON", red}},
    };
    for (const Case& c : cases) {
        const platform::TimeZone zone{-3600, c.daylight};
        EXPECT_EQ(daylightPanel(zone, c.overrideTicked), c.expected)
            << "override " << c.overrideTicked << ", daylight " << c.daylight;
    }
}

TEST(CustomDateTime, RequeriesOnlyWhenConfirmedOnAndChanged)
{
    const LocalDateTime before{2024, 1, 1, 13, 45, 30};
    const LocalDateTime later{2024, 1, 1, 13, 46, 30};
    const LocalDateTime otherDay{2024, 1, 2, 13, 45, 30};
    EXPECT_TRUE(customDateTimeRequeries(true, true, before, later));
    EXPECT_TRUE(customDateTimeRequeries(true, true, before, otherDay));
    EXPECT_FALSE(customDateTimeRequeries(true, true, before, before)) << "OK without a change";
    EXPECT_FALSE(customDateTimeRequeries(true, false, before, later)) << "custom time off: the board follows the clock";
    EXPECT_FALSE(customDateTimeRequeries(false, true, before, later)) << "cancelled";
}
