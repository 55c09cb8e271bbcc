#include "app/startup.h"
#include "platform/error.h"
#include "tables/airport_table.h"
#include "tables/table.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_program.h"

#include <gtest/gtest.h>

using namespace quorvel;

namespace {

// Splash screen and waits in one log, so the order of texts, gauge values and waits is checked together.
class Recorder final : public about::SplashScreen, public Sleeper {
public:
    void show() override { log.push_back("show"); }
    void say(std::string_view message) override { log.push_back("say " + std::string(message)); }
    void setGaugeRange(int minimum, int maximum) override
    {
        max_ = maximum;
        log.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
    }
    void setGauge(int value) override
    {
        gauge_ = std::min(value, max_);
        log.push_back("gauge " + std::to_string(gauge_));
    }
    int gauge() const override { return gauge_; }
    void close() override { log.push_back("close"); }
    void wait(std::chrono::milliseconds duration) override
    {
        log.push_back("wait " + std::to_string(duration.count()));
    }

    std::vector<std::string> log;

private:
    int gauge_ = 0;
    int max_ = 100;
};

}  // namespace

TEST(Startup, GaugeStepsForEveryFolderAndDotEntryButNotForFiles)
{
    test::TestProgram program;
    for (const char* folder : {"b737", "a320", "md80"})
        std::filesystem::create_directory(program.aircraftFolder() / folder);
    test::writeBytes(program.aircraftFolder() / "readme.txt", "");
    test::writeBytes(program.aircraftFolder() / "list.doc", "");
    test::writeBytes(program.environment.settingsFile, "[Airport]\ndefault=LIRF\n");
    Recorder recorder;
    tables::AirportLookup airports;
    const app::StartupState state = app::runStartup(program.environment, recorder, recorder, airports);

    const std::vector<std::string> expected = {"range 0..100",
                                               "show",
                                               "gauge 10",
                                               "say Finding MS-FS2002 Directory...",
                                               "wait 250",
                                               "say Finding Aircraft.cfgs...",
                                               "gauge 11",
                                               "wait 100",
                                               "gauge 12",
                                               "wait 100",
                                               "gauge 13",
                                               "wait 100",
                                               "gauge 14",
                                               "wait 100",
                                               "gauge 15",
                                               "wait 100",
                                               "gauge 16",
                                               "say Loading airports name...",
                                               "gauge 90",
                                               "gauge 91",
                                               "say Load settings...",
                                               "say Reading ini file...",
                                               "wait 75",
                                               "gauge 100",
                                               "say Ok for now...!",
                                               "wait 1000",
                                               "close"};
    EXPECT_EQ(recorder.log, expected);
    auto folders = state.aircraftFolders;
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"a320", "b737", "md80"}));
    EXPECT_EQ(state.simulatorFolder, "C:\\FS2002");
    EXPECT_EQ(state.settings.defaultAirport, "LIRF");
    EXPECT_EQ(airports.size(), 2u);
}

TEST(Startup, FirstRunWarnsAndUsesDefaults)
{
    test::TestProgram program;
    Recorder recorder;
    tables::AirportLookup airports;
    const app::StartupState state = app::runStartup(program.environment, recorder, recorder, airports);
    const auto warning = std::find(recorder.log.begin(), recorder.log.end(), "say WARNING: Error reading ini file!");
    ASSERT_NE(warning, recorder.log.end());
    EXPECT_EQ(*(warning + 1), "wait 1000");
    EXPECT_EQ(state.settings.trafficPercent, "100");
    EXPECT_EQ(state.settings.flightPlanFile, "flightplans.txt");
    EXPECT_FALSE(std::filesystem::exists(program.environment.settingsFile));
}

TEST(Startup, MenuStateFollowsTheTableFiles)
{
    test::TestProgram program;
    Recorder recorder;
    tables::AirportLookup airports;
    EXPECT_FALSE(app::runStartup(program.environment, recorder, recorder, airports).flightTableExists);
    test::writeBytes(program.environment.programFolder / "flight.cds", "");
    const app::StartupState state = app::runStartup(program.environment, recorder, recorder, airports);
    EXPECT_TRUE(state.flightTableExists);
    EXPECT_FALSE(state.aircraftTableExists);
}

TEST(Startup, AbortsWithoutSimulatorKeyOrAirportList)
{
    struct Case {
        const char* name;
        std::function<void(test::TestProgram&)> spoil;
        const char* message;
    } cases[] = {
        {"no registry", [](test::TestProgram& p) { std::filesystem::remove(p.root / "prefix" / "system.reg"); },
         "ABORT: MS FS2002:path not found!"},
        {"no airports",
         [](test::TestProgram& p) { std::filesystem::remove(p.environment.programFolder / "airport.cds"); },
         "ABORT: airport.cds not found!"},
        {"damaged airports",
         [](test::TestProgram& p) { test::writeBytes(p.environment.programFolder / "airport.cds", "junk"); },
         "ABORT: airport.cds not found!"},
    };
    for (const Case& c : cases) {
        test::TestProgram program;
        test::writeBytes(program.environment.settingsFile, "[Airport]\ndefault=LIRF\n");
        c.spoil(program);
        Recorder recorder;
        tables::AirportLookup airports;
        EXPECT_THROW(app::runStartup(program.environment, recorder, recorder, airports), app::StartupAborted) << c.name;
        ASSERT_GE(recorder.log.size(), 3u);
        const std::vector<std::string> ending(recorder.log.end() - 3, recorder.log.end());
        EXPECT_EQ(ending, (std::vector<std::string>{std::string("say ") + c.message, "wait 1000", "close"})) << c.name;
        EXPECT_EQ(test::readBytes(program.environment.settingsFile), "[Airport]\ndefault=LIRF\n");
    }
}
