#include "convert/leg_rules.h"

#include <gtest/gtest.h>

using namespace quorvel::convert;

TEST(UtcOffsetHours, StandardOffsetLessDaylightTruncatedTowardZero)
{
    const struct {
        long secondsWest;
        bool daylight;
        bool overrideDst;
        int expected;
    } cases[] = {
        {-3600, true, false, -2},                               // one hour east with daylight saving
        {18000, true, false, 4},                                // five hours west with daylight saving
        {18000, false, false, 5},  {-19800, false, false, -5},  // five and a half hours east: the half hour is dropped
        {-19800, false, true, -6},                              // the override gives it an hour of daylight saving
        {-3600, true, true, -1},                                // the override takes the daylight hour away
        {0, false, false, 0},      {0, true, false, -1},       {12600, false, false, 3},  // three and a half hours west
    };
    for (const auto& c : cases)
        EXPECT_EQ(utcOffsetHours({c.secondsWest, c.daylight}, c.overrideDst), c.expected)
            << c.secondsWest << " " << c.daylight << " " << c.overrideDst;
}

TEST(TimeOfDay, WhatReadsAsATime)
{
    for (const char* good : {"00:00", "23:59", "23:59:59", "7:5", " 07:05 ", "07:05:0"})
        EXPECT_TRUE(secondsOfDay(good)) << good;
    for (const char* bad : {"", "24:00", "12:60", "12:00:60", "12", "12:", ":30", "1:2:3:4", "123:00", "ab:cd", "12-30",
                            "12:30x", "+1:30"})
        EXPECT_FALSE(secondsOfDay(bad)) << bad;
    EXPECT_EQ(secondsOfDay("01:02:03"), 3723);
}

TEST(NationalLeg, CodePrefixRule)
{
    const struct {
        const char* dep;
        const char* arr;
        bool national;
    } cases[] = {
        {"KJFK", "KLAX", true}, {"KJFK", "PHNL", false}, {"kjfk", "klax", true}, {"KJFK", "kLAX", false},
        {"EDDF", "ETAR", true}, {"ETAR", "EDDF", true},  {"eddf", "ETAR", true}, {"EDDF", "EGLL", false},
        {"LFPG", "LFML", true}, {"LFPG", "LSZH", false}, {"LIRF", "LIMC", true}, {"LIRF", "liMC", false},
        {"", "", true},         {"L", "LF", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isNationalLeg(c.dep, c.arr), c.national) << c.dep << " " << c.arr;
}
