#include "app/option_changes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using quorvel::app::OptionChanges;
using quorvel::app::Settings;

TEST(OptionChanges, OnlyTheDaylightOverrideAndTheTrafficPercentReachFurther)
{
    const struct {
        const char* name;
        std::function<void(Settings&)> ok;  // what OK stored
        std::string shownPercent;           // the percent when the dialog was shown
        OptionChanges expected;
    } cases[] = {
        {"nothing touched", [](Settings&) {}, "100", {}},
        {"override switched on", [](Settings& s) { s.overrideDst = true; }, "100", {.reconvert = true}},
        {"percent lowered", [](Settings& s) { s.trafficPercent = "50"; }, "100", {.requery = true}},
        {"both",
         [](Settings& s) {
             s.overrideDst = true;
             s.trafficPercent = "0";
         },
         "100",
         {true, true}},
        {"every other setting",
         [](Settings& s) {
             s.defaultAirport = "LIRF";
             s.autoload = true;
             s.searchByUI = true;
             s.flightPlanFile = "other.txt";
             s.aircraftListFile = "";
             s.gridColor = "clRed";
             s.fontColor = "clBlack";
         },
         "100",
         {}},
        // The spin box showed 100 for a setting it could not read; OK stores "100", a new bound.
        {"unreadable percent replaced", [](Settings&) {}, "abc", {.requery = true}},
        {"percent compared as text", [](Settings&) {}, "0100", {.requery = true}},
    };
    for (const auto& c : cases) {
        const Settings before;
        Settings after = before;
        c.ok(after);
        EXPECT_EQ(quorvel::app::optionChanges(before, after, c.shownPercent), c.expected) << c.name;
    }
}

TEST(OptionChanges, SwitchingTheOverrideOffAsksForReconversionToo)
{
    Settings before;
    before.overrideDst = true;
    Settings after = before;
    after.overrideDst = false;
    EXPECT_TRUE(quorvel::app::optionChanges(before, after, after.trafficPercent).reconvert);
    EXPECT_FALSE(quorvel::app::optionChanges(before, before, before.trafficPercent).reconvert);
}
