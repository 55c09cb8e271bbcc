#include "convert/traffic_check.h"

#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tests/convert/conversion_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quorvel;
using namespace quorvel::convert;
using quorvel::test::writeBytes;

namespace {

// "LINE:FIELD severity kind text", one problem.
std::string describe(const Problem& p)
{
    return std::to_string(p.line) + ":" + std::to_string(p.field) + " " + std::string(severityName(p.severity)) + " " +
           std::string(kindName(p.kind)) + " " + p.text;
}

std::vector<std::string> describeAll(const CheckResult& result)
{
    std::vector<std::string> all;
    for (const Problem& p : result.problems) all.push_back(describe(p));
    return all;
}

class TrafficCheck : public test::ConversionFixture {
protected:
    TrafficCheck()
    {
        writeBytes(folder / "aircraft.txt", "AC#1,450,\"Alitalia B737\"\r\nAC#2,450,\"Air Inter A320\"\r\n");
    }

    CheckResult check(const std::string& plan, int offset = 0, bool withTable = false)
    {
        writeBytes(folder / "plans.txt", plan);
        return checkTraffic(CheckInputs{
            .flightPlanFile = folder / "plans.txt",
            .aircraftListFile = folder / "aircraft.txt",
            .airports = airports,
            .aircraftTableFile = withTable ? std::optional(folder / tables::aircraftFileName) : std::nullopt,
            .utcOffsetHours = offset,
            .installedTitles = {},
        });
    }
};

const std::string cleanLine = "AC#1,x,100%,24Hr,IFR,10:00:00,11:00:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF";

struct LineCase {
    const char* line;
    int offset;
    const char* found;   // the one problem, as describe() writes it for line 1
    const char* detail;  // a piece of its detail
};

// Each line holds one problem; none of them has another.
const LineCase lineCases[] = {
    {"AC#1,x,100%,WEEK,IFR,1/08:00:00,TNG2/09:45:59,1,F,F1,LFPG,1/10:00,1/11:00,1,F,F2,LIRF", 0,
     "1:7 error bad-time TNG2/09:45:59", "touch-and-go"},
    {"AC#1,x,100%,WEEK,IFR,1/08:00:00,1/09:00,1,F,F1,LFPG,10:00:00,1/11:00,1,F,F2,LIRF", 0,
     "1:12 error bad-time 10:00:00", "without its day digit"},
    {"AC#1,x,100%,24Hr,IFR,10:00,TNG11:00,1,F,F1,LIRF", 0, "1:7 warning touch-and-go TNG11:00", "touch-and-go"},
    {"AC#1,x,100%,24Hr,IFR,10:00,TNG11:00,1,F,F1,LIRF", 2, "1:7 error bad-time TNG11:00", "touch-and-go"},
    {"AC#1,x,100%,12Hr,IFR,10:00,TNG11:00,1,F,F1,LIRF", 0, "1:7 error bad-time TNG11:00", "repeat"},
    {"AC#1,x,100%,24Hr,IFR,2/10:00,11:00,1,F,F1,LIRF", 0, "1:6 warning day-in-daily-plan 2/10:00", "weekly time"},
    {"AC#1,x,100%,24Hr,IFR,10:00 UTC,11:00,1,F,F1,LIRF", -1, "1:6 error bad-time 10:00 UTC", "not a time"},
    {"AC#1,x,5x%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0, "1:3 error bad-percent 5x%", "percent sign"},
    {"AC#1,x,100%,5WEEKS,IFR,1/10:00,1/11:00,1,F,F1,LIRF", 0, "1:4 error bad-period 5WEEKS", "in weeks"},
    {"AC#1,x,100%,0Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0, "1:4 error zero-hours 0Hr", "0 hours"},
    {"AC#7,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0, "1:1 warning unknown-aircraft AC#7", "aircraft list"},
    {"AC#123456789,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0, "1:1 warning long-number AC#123456789", "8 characters"},
    {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,lfpg,12:00,13:00,1,F,F2,LIRF", 0, "1:11 warning unknown-airport lfpg",
     "lower case"},
    {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1, LFPG,12:00,13:00,1,F,F2,LIRF", 0, "1:11 warning unknown-airport  LFPG",
     "blanks around"},
    {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,JFK,12:00,13:00,1,F,F2,LIRF", 0, "1:11 warning unknown-airport JFK",
     "\"KJFK\" is NEW YORK JFK"},
    {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF ", 0, "1:17 warning unknown-airport IRF ",
     "last four characters"},
    {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,XXXX", 0, "1:17 warning unknown-airport XXXX",
     "not in the airport table"},
    {"//FSXDAYS=TRUE", 0, "1:0 warning monday-days //FSXDAYS=TRUE", "Monday"},
    {"// generated, with commas", 0, "1:0 note comment // generated, with commas", "comment"},
    {"0", 0, "1:0 note no-comma 0", "without a comma"},
};

}  // namespace

TEST_F(TrafficCheck, EachProblemIsFoundAtItsLineAndField)
{
    for (const LineCase& c : lineCases) {
        const CheckResult result = check(cleanLine + "\r\n" + c.line + "\r\n", c.offset);
        ASSERT_EQ(result.problems.size(), 1u) << c.line;
        std::string expected = c.found;
        expected.replace(0, 1, "2");  // the clean line comes first
        EXPECT_EQ(describe(result.problems[0]), expected);
        EXPECT_NE(result.problems[0].detail.find(c.detail), std::string::npos) << result.problems[0].detail;
        EXPECT_EQ(result.problems[0].file, "plans.txt");
    }
}

TEST_F(TrafficCheck, AFileMixingEveryProblemListsThemAllInLineOrder)
{
    std::string plan;
    std::vector<std::string> expected;
    int line = 0;
    for (const LineCase& c : lineCases) {
        if (c.offset != 0) continue;
        plan += std::string(c.line) + "\n";
        expected.push_back(std::to_string(++line) + std::string(c.found).substr(1));
    }
    const CheckResult result = check(plan);
    EXPECT_EQ(describeAll(result), expected);
    EXPECT_TRUE(hasErrors(result));
    EXPECT_EQ(result.summary.perKind.at(ProblemKind::BadTime), 3u);
    EXPECT_EQ(result.summary.perKind.at(ProblemKind::UnknownAirport), 5u);
    EXPECT_EQ(result.summary.perSeverity.at(Severity::Note), 2u);
}

TEST_F(TrafficCheck, ProblemsOfALineComeInFieldOrder)
{
    EXPECT_EQ(describeAll(check("AC#9,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,lfpg,12:00,13:00,1,F,F2,LIRF,")),
              (std::vector<std::string>{"1:1 warning unknown-aircraft AC#9", "1:11 warning unknown-airport lfpg",
                                        "1:18 warning unknown-airport IRF,"}));
}

TEST_F(TrafficCheck, AThreeLetterLastCodeAlsoSpoilsTheHomeAirport)
{
    const CheckResult result = check("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,FCO");
    ASSERT_EQ(describeAll(result),
              (std::vector<std::string>{"1:17 warning unknown-airport ,FCO", "1:17 warning unknown-airport FCO"}));
    EXPECT_NE(result.problems[0].detail.find("\"FCO\" is shorter than four characters"), std::string::npos)
        << result.problems[0].detail;
    EXPECT_NE(result.problems[1].detail.find("three-letter code"), std::string::npos);
}

TEST_F(TrafficCheck, ACleanFileHasNothingToSay)
{
    const CheckResult result = check(cleanLine + "\r\n" + cleanLine + "\r\n", 2);
    EXPECT_EQ(describeAll(result), std::vector<std::string>{});
    EXPECT_FALSE(hasErrors(result));
    EXPECT_EQ(result.summary.planLines, 2u);
    EXPECT_EQ(result.summary.records, 4u);
    EXPECT_EQ(result.summary.knownLegs, 4u);
}

TEST_F(TrafficCheck, FileLevelNotes)
{
    EXPECT_EQ(describeAll(check("\xEF\xBB\xBF" + cleanLine + "\r\n")),
              std::vector<std::string>{"1:0 note byte-order-mark "});
    EXPECT_EQ(describeAll(check(cleanLine + "\r\n" + cleanLine + "\r" + cleanLine + "\n")),
              std::vector<std::string>{"2:0 note cr-line-ends "});
    // Counted after a byte order mark and over LF and CR LF lines; a lone CR at the very end too.
    EXPECT_EQ(describeAll(check("\xEF\xBB\xBF" + cleanLine + "\n" + cleanLine + "\r\n\n" + cleanLine + "\r")),
              (std::vector<std::string>{"1:0 note byte-order-mark ", "4:0 note cr-line-ends "}));
}

TEST_F(TrafficCheck, AircraftListAndTableProblems)
{
    writeBytes(folder / "aircraft.txt",
               "AC#1,450,\"Alitalia B737\"\n"
               "AC#LONG0001,450,\"A\"\n"
               "AC#LONG0002,450,\"B\"\n"
               "AC#1,450,\"ALITALIA b737\"\n"  // the same title: the scan matches it alike
               "AC#1,450,\"Alitalia A321\"\n"
               "AC#3,450,\"Long Airline\"\n");
    writeAircraft({{"AC#1", "Alitalia B737", "ALITALIA", "B737"},
                   {"AC#3", "Long Airline", "AEROLINEAS ARGENTINAS CARGO", "B747"},
                   {"AC#4", "Gone", "GONE AIR", "A300"},
                   {"AC#5", "No airline", std::nullopt, "A300"}});
    const CheckResult result = check(
        "AC#3,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n"
        "AC#3,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n"
        "AC#4,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n"
        "AC#5,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n",
        0, true);
    EXPECT_EQ(describeAll(result), (std::vector<std::string>{
                                       "1:1 warning long-airline AEROLINEAS ARGENTINAS CARGO",  // once per number
                                       "3:1 warning unknown-aircraft AC#4",
                                       "4:1 warning unknown-aircraft AC#5",
                                       "2:1 warning long-number AC#LONG0001",
                                       "3:1 warning long-number AC#LONG0002",
                                       "5:1 warning duplicate-aircraft AC#1",
                                   }));
    EXPECT_EQ(result.problems[3].file, "aircraft.txt");
    EXPECT_NE(result.problems[4].detail.find("same as \"AC#LONG0001\" on line 2"), std::string::npos);
    EXPECT_NE(result.problems[2].detail.find("without an airline"), std::string::npos);
    EXPECT_EQ(result.summary.knownLegs, 3u);  // AC#4 still converts with the table's airline
    EXPECT_EQ(result.summary.legs, 4u);
}

// What the check calls an error is exactly what ends a conversion; the records it counts are
// those the conversion makes.
TEST_F(TrafficCheck, AgreesWithTheConversion)
{
    for (const LineCase& c : lineCases) {
        for (const int offset : {0, 2}) {
            const std::string plan = cleanLine + "\r\n" + c.line + "\r\n" + cleanLine + "\r\n";
            const CheckResult result = check(plan, offset);
            report = {};
            const Summary summary = run(plan, offset);
            EXPECT_EQ(hasErrors(result), summary.outcome != Outcome::Finished) << c.line << " at " << offset;
            if (summary.outcome == Outcome::Finished) {
                EXPECT_EQ(result.summary.records, summary.records) << c.line;
            }
            EXPECT_EQ(result.summary.badLines, hasErrors(result) ? 1u : 0u);
        }
    }
}

TEST_F(TrafficCheck, UnreadableInputsNameTheFile)
{
    std::filesystem::remove(folder / "aircraft.txt");
    try {
        check(cleanLine);
        FAIL() << "no error for a missing aircraft list";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("aircraft.txt"), std::string::npos) << e.what();
    }
}

TEST_F(TrafficCheck, SkippingBadLinesConvertsEveryOtherLine)
{
    // The bad time is in the second leg: the first leg's record has to go again.
    const std::string plan =
        cleanLine + "\r\n" + "AC#1,x,100%,WEEK,IFR,1/08:00,1/09:00,1,F,B1,LFPG,1/10:00,TNG2/09:45:59,1,F,B2,LIRF\r\n" +
        "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F3,LIRF\r\n" + "AC#1,x,5x%,24Hr,IFR,10:00,11:00,1,F,F4,LIRF\r\n";
    const Summary strict = run(plan, 0);
    EXPECT_EQ(strict.outcome, Outcome::TimeError);
    EXPECT_EQ(flights().rowCount(), 0u);

    report = {};
    tables::createEmptyFlightFile(folder / tables::flightFileName);
    ConvertInputs skipping = inputs(0);
    skipping.skipBadLines = true;
    const Summary summary = convert::convert(skipping, report, stop);
    EXPECT_EQ(summary.outcome, Outcome::Finished);
    EXPECT_EQ(summary.skippedLines, (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(summary.records, 3u);
    std::vector<std::string> flightsSaved;
    const tables::Table table = flights();
    for (tables::RowId row = 0; row < table.rowCount(); ++row)
        flightsSaved.emplace_back(table.text(row, tables::FlightNumber));
    EXPECT_EQ(flightsSaved, (std::vector<std::string>{"F1", "F2", "F3"}));
    const std::vector<std::string> skips(report.events.begin(), report.events.end());
    EXPECT_NE(std::find(skips.begin(), skips.end(), "skip plans.txt, line 2: Found Error: G2/09"), skips.end());
    EXPECT_EQ(std::count_if(skips.begin(), skips.end(),
                            [](const std::string& e) { return e.starts_with("skip plans.txt, line 4: "); }),
              1);
    EXPECT_EQ(std::count_if(skips.begin(), skips.end(),
                            [](const std::string& e) { return e.starts_with("message") || e == "press"; }),
              0);
    EXPECT_EQ(report.events.back(), "caption Ok");
    EXPECT_TRUE(report.stops.empty());  // a skipped line does not stop the run
    // The check counts the same records.
    EXPECT_EQ(check(plan).summary.records, 3u);
}

TEST_F(TrafficCheck, EachProblemCarriesItsWholeLine)
{
    const std::string bad = "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,lfpg,12:00,13:00,1,F,F2,LIRF";
    const CheckResult result = check(cleanLine + "\r\n" + bad + "\r\n");
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].lineText, bad);
    const auto span = fieldSpan(result.problems[0].lineText, result.problems[0].field);
    ASSERT_TRUE(span);
    EXPECT_EQ(bad.substr(span->first, span->second), "lfpg");
}

TEST(FieldSpan, FindsEachCommaField)
{
    const struct {
        const char* line;
        int field;
        std::optional<std::pair<std::size_t, std::size_t>> span;
    } cases[] = {
        {"a,bb,,d", 1, std::pair<std::size_t, std::size_t>{0, 1}},
        {"a,bb,,d", 2, std::pair<std::size_t, std::size_t>{2, 2}},
        {"a,bb,,d", 3, std::pair<std::size_t, std::size_t>{5, 0}},  // an empty field
        {"a,bb,,d", 4, std::pair<std::size_t, std::size_t>{6, 1}},  // the last, without a comma after it
        {"a,bb,,d", 5, std::nullopt},
        {"a,bb,,d", 0, std::nullopt},  // the line as a whole
        {"", 1, std::pair<std::size_t, std::size_t>{0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldSpan(c.line, c.field), c.span) << c.line << " " << c.field;
}

TEST_F(TrafficCheck, ListTitlesThatNoInstalledAircraftHasAreWarnedOf)
{
    writeBytes(folder / "aircraft.txt",
               "AC#1,450,\"ALITALIA b737\"\r\nAC#2,450,\"Air Inter A320\"\r\nAC#3,450,Unquoted A321\r\n");
    writeBytes(folder / "plans.txt", cleanLine + "\r\n");
    CheckInputs inputs{
        .flightPlanFile = folder / "plans.txt",
        .aircraftListFile = folder / "aircraft.txt",
        .airports = airports,
        .aircraftTableFile = std::nullopt,
        .utcOffsetHours = 0,
        .installedTitles = {},
    };
    EXPECT_EQ(describeAll(checkTraffic(inputs)), std::vector<std::string>{});  // no folder, no titles to match

    // Letter case aside and on the 48 characters a title keeps, as the scan matches them.
    inputs.installedTitles = [] { return std::vector<std::string>{"Alitalia B737", "Unquoted A321"}; };
    const CheckResult result = checkTraffic(inputs);
    EXPECT_EQ(describeAll(result), (std::vector<std::string>{"2:3 warning unmatched-title Air Inter A320",
                                                             "3:3 warning unmatched-title "}));  // no quotes, no title
    EXPECT_EQ(result.problems[0].file, "aircraft.txt");
    EXPECT_NE(result.problems[0].effect.find("\"AC#2\""), std::string::npos) << result.problems[0].effect;
}
