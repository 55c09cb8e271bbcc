// The conversion gives the same records, file bytes, log lines and messages on any number of
// threads: the lines convert in stretches on every core and are passed on in line order.
#include "convert/conversion_run.h"
#include "convert/flight_plan_file.h"
#include "tables/flight_table.h"
#include "tests/convert/conversion_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace quorvel;
using namespace quorvel::convert;
using quorvel::test::ConversionFixture;
using quorvel::test::RecordingReport;

namespace {

// Made-up traffic of `lines` lines: weekly and daily plans between known and unknown airports,
// by known and unknown aircraft, with comments, lines that are not plans, and now and then a
// line with something wrong in it (`faults`: which kinds).
std::string traffic(int lines, bool badPeriods, bool badTimes)
{
    const char* airports[] = {"LIRF", "LFPG", "EDDF", "ETAR", "KJFK", "ZZZ1", "LIRF", "ZZZ2"};
    const char* aircraft[] = {"AC#1", "AC#1", "AC#7", "AC#1", "AC#9"};
    std::string plan = "// generated\r\n";
    for (int i = 0; i < lines; ++i) {
        const std::string from = airports[i % 8], to = airports[(i * 3 + 1) % 8];
        const std::string number = aircraft[i % 5];
        const std::string flight = "AZ" + std::to_string(i);
        if (i % 37 == 5) {
            plan += "not a plan line\r\n";
        } else if (i % 41 == 7) {
            plan += "  // AC#1,x,100%,WEEK,IFR\r\n";
        } else if (badPeriods && i % 53 == 11) {
            plan += number + ",x,100%,xHr,IFR,01:00,02:00,1,F," + flight + "," + to + "," + from + "\r\n";
        } else if (badTimes && i % 59 == 13) {
            plan += number + ",x,50%,WEEK,IFR,1/25:99,1/02:00,1,F," + flight + "," + to + "," + from + "\r\n";
        } else if (i % 2 == 0) {
            plan += number + ",x," + std::to_string(i % 100) + "%,WEEK,IFR," + std::to_string(i % 7) + "/0" +
                    std::to_string(i % 10) + ":15," + std::to_string((i + 1) % 7) + "/1" + std::to_string(i % 10) +
                    ":40,1,F," + flight + "," + to + "," + std::to_string(i % 7) + "/20:05," +
                    std::to_string(i % 7) + "/21:30,1,F," + flight + "B," + from + "\r\n";
        } else {
            const char* periods[] = {"24Hr", "12Hr", "8Hr", "6Hr"};
            plan += number + ",x,75%," + periods[i % 4] + ",IFR,0" + std::to_string(i % 10) + ":20,0" +
                    std::to_string(i % 10) + ":55,1,F," + flight + "," + to + "," + from + "\r\n";
        }
    }
    return plan;
}

struct Result {
    Summary summary;
    std::vector<std::string> events;
    std::string fileBytes;
};

class ConversionWorkers : public ConversionFixture {
protected:
    // The conversion of `plan` on `workers` threads; `stopAt`: the progress at which the stop flag goes up.
    Result convertOn(int workers, const std::string& plan, bool skipBadLines, std::optional<int> stopAt = {})
    {
        tables::createEmptyFlightFile(folder / tables::flightFileName);
        test::writeBytes(folder / "plans.txt", plan);
        RecordingReport recording;
        stop = false;
        if (stopAt) recording.onProgress = [this, stopAt](int position) { stop = stop || position == *stopAt; };
        ConvertInputs in = inputs(-2);
        in.skipBadLines = skipBadLines;
        in.workers = workers;
        Result result;
        result.summary = convert::convert(in, recording, stop);
        result.events = recording.events;
        result.fileBytes = readFileBytes(folder / tables::flightFileName).value_or("unreadable");
        return result;
    }
};

void expectSame(const Result& serial, const Result& parallel, const std::string& what)
{
    EXPECT_EQ(parallel.summary.outcome, serial.summary.outcome) << what;
    EXPECT_EQ(parallel.summary.planLines, serial.summary.planLines) << what;
    EXPECT_EQ(parallel.summary.records, serial.summary.records) << what;
    EXPECT_EQ(parallel.summary.problem, serial.summary.problem) << what;
    EXPECT_EQ(parallel.summary.skippedLines, serial.summary.skippedLines) << what;
    EXPECT_EQ(parallel.events, serial.events) << what;
    EXPECT_TRUE(parallel.fileBytes == serial.fileBytes) << what << ": the files differ";
}

}  // namespace

TEST_F(ConversionWorkers, AnyNumberOfThreadsGivesTheSerialRunsResult)
{
    writeAircraft({{"AC#1", "Alitalia B737", "ALITALIA", "B737"}, {"AC#7", "Lufthansa A320", "LUFTHANSA", "A320"}});
    const struct {
        const char* name;
        std::string plan;
        bool skipBadLines;
        std::optional<int> stopAt;
        Outcome expected;
    } cases[] = {
        {"clean traffic", traffic(700, false, false), false, {}, Outcome::Finished},
        {"bad lines skipped", traffic(700, true, true), true, {}, Outcome::Finished},
        {"a bad period ends the run", traffic(700, true, false), false, {}, Outcome::BadInput},
        {"a bad weekly time ends the run", traffic(700, false, true), false, {}, Outcome::TimeError},
        {"stopped in the middle", traffic(700, true, true), true, 300, Outcome::Stopped},
        {"stopped after the first line", traffic(700, false, false), false, 1, Outcome::Stopped},
        {"no lines", "", false, {}, Outcome::Finished},
    };
    for (const auto& c : cases) {
        const Result serial = convertOn(1, c.plan, c.skipBadLines, c.stopAt);
        EXPECT_EQ(serial.summary.outcome, c.expected) << c.name << ": " << serial.summary.problem;
        for (const int workers : {2, 3, 8}) expectSame(serial, convertOn(workers, c.plan, c.skipBadLines, c.stopAt),
                                                       std::string(c.name) + " on " + std::to_string(workers));
    }
}

// What the cases above lean on: the traffic really has unknown keys, skipped lines and records.
TEST_F(ConversionWorkers, TheGeneratedTrafficHasWhatTheComparisonNeeds)
{
    writeAircraft({{"AC#1", "Alitalia B737", "ALITALIA", "B737"}, {"AC#7", "Lufthansa A320", "LUFTHANSA", "A320"}});
    const Result result = convertOn(1, traffic(700, true, true), true);
    ASSERT_EQ(result.summary.outcome, Outcome::Finished);
    EXPECT_GT(result.summary.records, 1000u);
    EXPECT_GT(result.summary.skippedLines.size(), 10u);
    std::vector<std::string> logs;
    for (const std::string& event : result.events)
        if (event.starts_with("log ")) logs.push_back(event.substr(4));
    EXPECT_EQ(logs, (std::vector<std::string>{"ZZZ2", "AC#9", "ZZZ1"})) << "each once, in the order of the lines";
}
