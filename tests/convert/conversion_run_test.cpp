#include "convert/conversion_run.h"

#include "convert/conversion_log.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::convert;
using namespace quorvel::tables;
using quorvel::test::ConversionFixture;
using quorvel::test::RecordingReport;

namespace {

// "TIME_DEP/SCHEDULING_DEP-TIME_ARR/SCHEDULING_ARR" of every record, in file order.
std::vector<std::string> timesOf(const Table& flights)
{
    std::vector<std::string> times;
    for (RowId row = 0; row < flights.rowCount(); ++row)
        times.push_back(std::string(flights.text(row, TimeDep)) + "/" + std::string(flights.text(row, SchedulingDep)) +
                        "-" + std::string(flights.text(row, TimeArr)) + "/" +
                        std::string(flights.text(row, SchedulingArr)));
    return times;
}

class ConversionRun : public ConversionFixture {};

}  // namespace

TEST_F(ConversionRun, WeeklyAndDailyTimesMoveByWholeHoursAndKeepTheirDays)
{
    const struct {
        const char* legs;
        int offset;
        std::vector<std::string> expected;
    } cases[] = {
        // Across midnight under -2: the days stay as the plan gives them.
        {"WEEK,IFR,1/22:00:00,2/01:30:00,310,F,AZ1,LFPG,LIRF", -2, {"00:00/1-03:30/2"}},
        {"WEEK,IFR,3/02:00,3/04:59,310,F,AZ1,LFPG,LIRF", 4, {"22:00/3-00:59/3"}},
        {"24Hr,IFR,23:00,23:59:59,310,F,AZ1,LFPG,LIRF", -2, {"01:00/0123456-01:59/0123456"}},
        // No shift: the plan's time cut to five characters, seconds and all.
        {"24Hr,IFR,06:00:00,7:05:30,310,F,AZ1,LFPG,LIRF", 0, {"06:00/0123456-7:05:/0123456"}},
        {"WEEK,IFR,6/06:00:00,0/07:30:00,310,F,AZ1,LFPG,LIRF", 0, {"06:00/6-07:30/0"}},
        // A shifted daily time is read whole, seconds included.
        {"24Hr,IFR,6:5:59,07:30,310,F,AZ1,LFPG,LIRF", 1, {"05:05/0123456-06:30/0123456"}},
    };
    for (const auto& c : cases) {
        const Summary summary = run(std::string("AC#1,x,100%,") + c.legs + "\r\n", c.offset);
        EXPECT_EQ(summary.outcome, Outcome::Finished) << c.legs << ": " << summary.problem;
        EXPECT_EQ(timesOf(flights()), c.expected) << c.legs << " at " << c.offset;
    }
}

TEST_F(ConversionRun, WithoutAnExplicitOffsetTheZoneAndTheOverrideDecide)
{
    zone = {-3600, true};  // one hour east, daylight saving: two hours
    EXPECT_EQ(run("AC#1,x,100%,24Hr,IFR,12:00,13:00,310,F,AZ1,LFPG,LIRF\n", std::nullopt).outcome, Outcome::Finished);
    EXPECT_EQ(timesOf(flights()), std::vector<std::string>{"14:00/0123456-15:00/0123456"});
    EXPECT_EQ(flights().integerProperty(tables::utcOffsetPropertyName), -2);
    overrideDst = true;
    run("AC#1,x,100%,24Hr,IFR,12:00,13:00,310,F,AZ1,LFPG,LIRF\n", std::nullopt);
    EXPECT_EQ(timesOf(flights()), std::vector<std::string>{"13:00/0123456-14:00/0123456"});
    EXPECT_EQ(flights().integerProperty(tables::utcOffsetPropertyName), -1);
}

// The table records the hours it moved the times by, so the board gets the Greenwich times back;
// a run that does not finish leaves the empty table, which records none.
TEST_F(ConversionRun, FinishedRunRecordsItsOffsetInTheTable)
{
    for (const int offset : {0, 5, -11}) {
        ASSERT_EQ(run("AC#1,x,100%,24Hr,IFR,12:00,13:00,310,F,AZ1,LFPG,LIRF\n", offset).outcome, Outcome::Finished);
        EXPECT_EQ(flights().integerProperty(tables::utcOffsetPropertyName), offset);
    }
    stop = true;
    EXPECT_EQ(run("AC#1,x,100%,24Hr,IFR,12:00,13:00,310,F,AZ1,LFPG,LIRF\n", 3).outcome, Outcome::Stopped);
    EXPECT_EQ(flights().integerProperty(tables::utcOffsetPropertyName), std::nullopt);
}

TEST_F(ConversionRun, DailyPlansRepeatWithinTheDay)
{
    const struct {
        const char* period;
        std::vector<std::string> expected;
    } cases[] = {
        {"24Hr", {"10:00/0123456-11:30/0123456"}},
        {"48Hr", {"10:00/0123456-11:30/0123456"}},
        {"12Hr", {"10:00/0123456-11:30/0123456", "22:00/0123456-23:30/0123456"}},
        {"8Hr", {"10:00/0123456-11:30/0123456", "18:00/0123456-19:30/0123456", "02:00/0123456-03:30/0123456"}},
        {"7Hr", {"10:00/0123456-11:30/0123456", "17:00/0123456-18:30/0123456", "00:00/0123456-01:30/0123456"}},
        {"13Hr", {"10:00/0123456-11:30/0123456"}},
    };
    for (const auto& c : cases) {
        const Summary summary =
            run(std::string("AC#1,x,100%,") + c.period + ",IFR,10:00:00,11:30:00,310,F,AZ1,LFPG,LIRF\n", 0);
        EXPECT_EQ(summary.outcome, Outcome::Finished) << c.period;
        EXPECT_EQ(timesOf(flights()), c.expected) << c.period;
        EXPECT_EQ(summary.records, c.expected.size());
    }
    // Repetitions start from the shifted times.
    run("AC#1,x,100%,12Hr,IFR,23:00,23:45,310,F,AZ1,LFPG,LIRF\n", -2);
    EXPECT_EQ(timesOf(flights()),
              (std::vector<std::string>{"01:00/0123456-01:45/0123456", "13:00/0123456-13:45/0123456"}));
}

TEST_F(ConversionRun, RecordsCarryLookedUpNamesAndTheNationalFlag)
{
    writeAircraft({{"AC#1", "First", "ALITALIA AIRLINES INTL", "A321"},
                   {"AC#1", "Second", "OTHER", "B777"},
                   {"AC#2", "Empty model", "AIR ONE", std::nullopt}});
    const Summary summary =
        run("AC#1,x,75%,WEEK,IFR,1/10:00,1/12:05,310,F,AZ100,LFPG,2/08:00,2/09:40,310,F,AZ101,LIRF\n"
            "AC#2,x,5%,week,IFR,@3/08:00,3/@09:40,310,F,AP1@,ETAR,3/11:00,4/00:10,1,F,AP2,EDDF\n",
            0);
    ASSERT_EQ(summary.outcome, Outcome::Finished) << summary.problem;
    EXPECT_EQ(rows(),
              (std::vector<std::string>{
                  "LIRF|ROME FIUMICINO|LFPG|PARIS CDG|ALITALIA AIRLIN|AZ100|10:00|12:05|~|1|1|ON TIME|75|A321|False",
                  "LFPG|PARIS CDG|LIRF|ROME FIUMICINO|ALITALIA AIRLIN|AZ101|08:00|09:40|~|2|2|ON TIME|75|A321|False",
                  "EDDF|FRANKFURT MAIN|ETAR|RAMSTEIN|AIR ONE|AP1|08:00|09:40|~|3|3|ON TIME|5|<empty>|True",
                  "ETAR|RAMSTEIN|EDDF|FRANKFURT MAIN|AIR ONE|AP2|11:00|00:10|~|3|4|ON TIME|5|<empty>|True",
              }));
    EXPECT_TRUE(report.logs.empty());
    EXPECT_EQ(summary.planLines, 2u);
    EXPECT_EQ(summary.records, 4u);
}

TEST_F(ConversionRun, UnknownNumbersAndCodesAreLoggedOnceAndStoredAsNotFound)
{
    writeAircraft({{"AC#3", "No airline", std::nullopt, "B737"}});
    run("AC#12345678,x,50%,24Hr,IFR,10:00,11:00,1,F,F1,XXXX,11:30,12:30,1,F,F2,LIRF\n"
        "AC#12345678,x,50%,24Hr,IFR,10:00,11:00,1,F,F3,XXXX,11:30,12:30,1,F,F4,LIRF\n"
        "AC#3,x,50%,24Hr,IFR,10:00,11:00,1,F,F5,xxxx,11:30,12:30,1,F,F6,LIRF\n",
        0);
    const Table table = flights();
    ASSERT_EQ(table.rowCount(), 6u);
    EXPECT_EQ(table.text(0, Airline), "<not found>");
    EXPECT_EQ(table.text(0, Model), "AC#123");  // the number itself, cut to the field
    EXPECT_EQ(table.text(0, DestApt), "<not found>");
    EXPECT_EQ(table.text(0, IcaoCodeArr), "XXXX");  // the code is kept
    EXPECT_EQ(table.text(1, DepApt), "<not found>");
    EXPECT_EQ(table.text(4, Airline), "<not found>");  // a record without an airline tells nothing
    EXPECT_EQ(table.text(4, Model), "AC#3");
    // Once per key and run, in the order of first occurrence; letter case is the log's business.
    EXPECT_EQ(report.logs, (std::vector<std::string>{"AC#12345678", "XXXX", "AC#3", "xxxx"}));
    EXPECT_EQ(report.places, (std::vector<std::string>{"AC#12345678 @ plans.txt, line 1", "XXXX @ plans.txt, line 1",
                                                       "AC#3 @ plans.txt, line 3", "xxxx @ plans.txt, line 3"}));

    ConversionLog log;
    for (const std::string& key : report.logs) log.add(key);
    report.logs.clear();
    run("AC#3,x,50%,24Hr,IFR,10:00,11:00,1,F,F5,XxXx,11:30,12:30,1,F,F6,YYYY\n", 0);
    for (const std::string& key : report.logs) log.add(key);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"AC#12345678 not found", "XXXX not found", "AC#3 not found",
                                                     "YYYY not found"}));
}

TEST(ConversionLogLines, KeptOnceWithoutRegardToCaseAndSavedWithCrLf)
{
    ConversionLog log;
    EXPECT_EQ(log.text(), "");
    EXPECT_TRUE(log.add("EDDF"));
    EXPECT_FALSE(log.add("eddf"));
    EXPECT_TRUE(log.add("Z\xDCR1"));
    EXPECT_FALSE(log.add("z\xFCr1"));  // Windows-1252 letters fold too
    EXPECT_FALSE(log.addLine("EDDF NOT FOUND"));
    // A key is one line wherever it was found; the place is only said the first time.
    EXPECT_TRUE(log.add("LIXX", "plans.txt, line 7"));
    EXPECT_FALSE(log.add("lixx", "plans.txt, line 9"));
    EXPECT_FALSE(log.add("LIXX"));
    EXPECT_TRUE(log.addLine(ConversionLog::skippedLineText("plans.txt, line 8: Found Error: G2/09")));
    EXPECT_EQ(log.text(),
              "EDDF not found\r\nZ\xDCR1 not found\r\nLIXX not found (plans.txt, line 7)\r\n"
              "plans.txt, line 8 skipped: Found Error: G2/09\r\n");

    test::TempFolder folder;
    log.save(folder / "conversion.log");
    EXPECT_EQ(test::readBytes(folder / "conversion.log"), log.text());
    EXPECT_THROW(log.save(folder / "no such folder" / "x.log"), Error);
}

TEST_F(ConversionRun, StopSeenAtTheNextLineLeavesTheEmptyTable)
{
    std::string plan;
    for (int i = 0; i < 10; ++i) plan += "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\n";
    report.onProgress = [this](int position) {
        if (position == 3) stop = true;
    };
    const Summary summary = run(plan, 0);
    EXPECT_EQ(summary.outcome, Outcome::Stopped);
    EXPECT_EQ(summary.planLines, 3u);
    EXPECT_EQ(flights().rowCount(), 0u);
    EXPECT_EQ(flights().schema(), flightSchema());
    EXPECT_EQ(report.events.back(), "label Flights:3/10");  // no "Ok"
}

TEST_F(ConversionRun, WeeklyTimeThatIsNoTimeEndsTheRunWithItsMessage)
{
    const struct {
        const char* legs;
        const char* message;
    } cases[] = {
        {"1/25:00:00,1/26:00:00", "Found Error: 25:00"},  // the departure is checked first
        {"1/10:00:00,1/1x:00:00", "Found Error: 1x:00"},
        {"1/10:00,1", "Found Error: "},
    };
    for (const auto& c : cases) {
        report = {};
        const Summary summary =
            run(std::string("AC#1,x,100%,WEEK,IFR,1/08:00,1/09:00,1,F,F0,LFPG,") + c.legs + ",1,F,F1,LIRF\n", 0);
        EXPECT_EQ(summary.outcome, Outcome::TimeError);
        EXPECT_EQ(summary.problem, c.message);
        EXPECT_EQ(report.events.back(), "press");
        EXPECT_EQ(report.events[report.events.size() - 2], std::string("message WARNING|") + c.message);
        // The message box keeps its text; the log hears of the line.
        EXPECT_EQ(report.stops, std::vector<std::string>{std::string("plans.txt, line 1: ") + c.message});
        EXPECT_EQ(flights().rowCount(), 0u) << "nothing saved after " << c.legs;
    }
}

TEST_F(ConversionRun, MalformedNumbersAndDailyTimesNameTheLineAndTheText)
{
    const struct {
        const char* line;
        int offset;
        const char* message;
    } cases[] = {
        {"AC#1,x,5x%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0,
         "plans.txt, line 3: the traffic percentage \"5x%\" is not a whole number from -32768 to 32767 followed by the "
         "percent sign"},
        {"AC#1,x,32768%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0,
         "plans.txt, line 3: the traffic percentage \"32768%\" is not a whole number from -32768 to 32767 followed by "
         "the percent sign"},
        {"AC#1,x,100%,2xHr,IFR,10:00,11:00,1,F,F1,LIRF", 0,
         "plans.txt, line 3: the period \"2xHr\" is neither WEEK nor an hour count"},
        {"AC#1,x,100%,0Hr,IFR,10:00,11:00,1,F,F1,LIRF", 0,
         "plans.txt, line 3: the period \"0Hr\" repeats every 0 hours"},
        {"AC#1,x,100%,24Hr,IFR,1O:00,11:00,1,F,F1,LIRF", 2, "plans.txt, line 3: \"1O:00\" is not a time of day"},
        {"AC#1,x,100%,24Hr,IFR,10:00,25:00,1,F,F1,LIRF", -1, "plans.txt, line 3: \"25:00\" is not a time of day"},
        // Unshifted, the time is only read when the leg repeats.
        {"AC#1,x,100%,12Hr,IFR,10:00 UTC,11:00,1,F,F1,LIRF", 0,
         "plans.txt, line 3: \"10:00 UTC\" is not a time of day"},
    };
    for (const auto& c : cases) {
        report = {};
        const Summary summary = run(std::string("// header, with commas\r\n\r\n") + c.line + "\r\n", c.offset);
        EXPECT_EQ(summary.outcome, Outcome::BadInput) << c.line;
        EXPECT_EQ(summary.problem, c.message);
        ASSERT_FALSE(report.events.empty());
        EXPECT_EQ(report.events.back(), std::string("message WARNING|") + c.message);  // the button stays "Stop"
        EXPECT_EQ(report.stops, std::vector<std::string>{c.message});
        EXPECT_EQ(flights().rowCount(), 0u) << c.line;
    }
    // A line without legs never reads its percentage, and an unshifted time that is not repeated is only cut.
    EXPECT_EQ(run("AC#1,x,bad,24Hr,IFR,LIRF\nAC#1,x,7%,24Hr,IFR,10:00 UTC,11:00,1,F,F1,LIRF\n", 0).outcome,
              Outcome::Finished);
    EXPECT_EQ(timesOf(flights()), std::vector<std::string>{"10:00/0123456-11:00/0123456"});
}

TEST_F(ConversionRun, PlanLineQuirks)
{
    const Summary summary =
        run("// comment, with, commas, 24Hr, LIRF\n"
            "0\n"
            "AC#1,x,50,WEEK,IFR,@1/10:00,1/11:00@,1,F,@F1,LFPG,LIRF\n"
            "AC#1,x,100%,wEeK,IFR,2/10:00,2/11:00,1,F,F2,LFPG,LIRF\n"
            "AC#1,x,100%,24Hr,IFR,LIRF\n",
            0);
    EXPECT_EQ(summary.outcome, Outcome::Finished);
    EXPECT_EQ(rows(), (std::vector<std::string>{
                          "LIRF|ROME FIUMICINO|LFPG|PARIS CDG|ALITALIA|F1|10:00|11:00|~|1|1|ON TIME|5|B737|False",
                          "LIRF|ROME FIUMICINO|LFPG|PARIS CDG|ALITALIA|F2|10:00|11:00|~|2|2|ON TIME|100|B737|False",
                      }));
    EXPECT_EQ(summary.planLines, 3u);
    EXPECT_EQ(report.labels(), (std::vector<std::string>{"Flights:1/5", "Flights:2/5", "Flights:3/5"}));
    EXPECT_EQ(report.events.front(), "range 0 5");
    EXPECT_EQ(report.events[1], "progress 0");
    EXPECT_EQ(report.events.back(), "caption Ok");
}

TEST_F(ConversionRun, AFileWithoutPlansNeverSetsTheLabel)
{
    const Summary summary = run("// nothing here\r\n0\r\n\r\n", 0);
    EXPECT_EQ(summary.outcome, Outcome::Finished);
    EXPECT_EQ(report.events, (std::vector<std::string>{"range 0 3", "progress 0", "caption Ok"}));
}

TEST_F(ConversionRun, MissingPlanFileWarnsAndSavesTheEmptyTable)
{
    const Summary summary = run(std::nullopt, 0);
    EXPECT_EQ(summary.outcome, Outcome::Finished);
    EXPECT_TRUE(summary.planFileMissing);
    EXPECT_EQ(report.events,
              (std::vector<std::string>{"message WARNING|The flightplan file not exist in QRVL directory", "range 0 0",
                                        "progress 0", "caption Ok"}));
    EXPECT_EQ(flights().rowCount(), 0u);
}

TEST_F(ConversionRun, MissingAircraftTableEndsTheRunBeforeAnyLine)
{
    std::filesystem::remove(folder / aircraftFileName);
    const Summary summary = run("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n", 0);
    EXPECT_EQ(summary.outcome, Outcome::BadInput);
    ASSERT_EQ(report.events.size(), 1u);
    EXPECT_TRUE(report.events[0].starts_with("message WARNING|The aircraft table cannot be read: "));
    EXPECT_NE(report.events[0].find((folder / aircraftFileName).string()), std::string::npos);
    EXPECT_TRUE(report.stops.empty());  // no line is to blame
    EXPECT_EQ(flights().rowCount(), 0u);
}

TEST_F(ConversionRun, ProgramInputsFindTheFilesInTheProgramFolder)
{
    const ConvertInputs inputs = programInputs(folder.path(), "Pl\xE4ne.txt", airports, true, {3600, false});
    EXPECT_EQ(inputs.flightPlanFile, folder.path() / "Pl\u00E4ne.txt");
    EXPECT_EQ(inputs.flightTableFile, folder.path() / "flight.cds");
    EXPECT_EQ(inputs.aircraftTableFile, folder.path() / "aircraft.cds");
    EXPECT_EQ(&inputs.airports, &airports);
    EXPECT_TRUE(inputs.overrideDst);
    EXPECT_FALSE(inputs.utcOffsetHours);
    EXPECT_EQ(programInputs(folder.path(), "/elsewhere/p.txt", airports, false, {}).flightPlanFile, "/elsewhere/p.txt");

    // The file the setting names is read, and a message names it as the file manager does.
    createEmptyFlightFile(folder / flightFileName);
    test::writeBytes(folder / "Pl\u00E4ne.txt", "AC#1,x,5x%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\r\n");
    const Summary summary = convert::convert(inputs, report, stop);
    EXPECT_FALSE(summary.planFileMissing);
    EXPECT_EQ(summary.outcome, Outcome::BadInput);
    EXPECT_TRUE(summary.problem.starts_with("Pl\u00E4ne.txt, line 1: ")) << summary.problem;
}
