#include "convert/flight_plan_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fstream>
#include <thread>

using namespace quorvel::convert;

TEST(CommaField, AloneWithRestAndPastTheEnd)
{
    const struct {
        const char* text;
        int field;
        bool withRest;
        const char* expected;
    } cases[] = {
        {"a,bb,ccc", 1, false, "a"},
        {"a,bb,ccc", 2, false, "bb"},
        {"a,bb,ccc", 2, true, "bb,ccc"},
        {"a,bb,ccc", 3, false, "ccc"},  // no comma after it: its first four characters
        {"a,bb,cccccc", 3, false, "cccc"},
        {"a,bb,ccc", 9, false, "ccc"},  // past the last field: the last field again
        {"a,bb,ccc", 9, true, "ccc"},
        {"a,,c", 2, false, ""},          // two commas in a row give an empty field
        {"\"x,y\",z", 1, false, "\"x"},  // quotes mean nothing
        {"", 1, false, ""},
        {"LIRF", 1, false, "LIRF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commaField(c.text, c.field, c.withRest), c.expected) << c.text << " " << c.field;
}

TEST(FlightPlanFile, LinesEndAtCrLfCrOrLf)
{
    const TextLines lines = splitLines("one\r\ntwo\rthree\nfour\n\nsix\r\n");
    EXPECT_EQ(lines.lines, (std::vector<std::string_view>{"one", "two", "three", "four", "", "six"}));
    EXPECT_TRUE(splitLines("").lines.empty());
    EXPECT_EQ(splitLines("\r\r\n").lines, (std::vector<std::string_view>{"", ""}));
    // Carriage returns far apart, and none after the first lines.
    EXPECT_EQ(splitLines("a\nb\nc\rd\ne\nf\r\ng\nh").lines,
              (std::vector<std::string_view>{"a", "b", "c", "d", "e", "f", "g", "h"}));
}

// A short text lives inside the string object itself, so the lines must follow it when the
// object moves (as it does into the optional that readTextLines returns).
TEST(FlightPlanFile, LinesFollowTheTextWhenItMovesOrIsCopied)
{
    for (const std::string& text : {std::string("AC#1,x\nRF"), std::string(40, 'x') + "\n,y"}) {
        TextLines first = splitLines(text);
        const std::vector<std::string> wanted(first.lines.begin(), first.lines.end());
        TextLines moved = std::move(first);
        first.text.assign(text.size(), '#');  // overwrites whatever the old object still holds
        EXPECT_EQ(std::vector<std::string>(moved.lines.begin(), moved.lines.end()), wanted);
        TextLines copy = moved;
        moved.text.assign(text.size(), '#');
        EXPECT_EQ(std::vector<std::string>(copy.lines.begin(), copy.lines.end()), wanted);
        TextLines assigned;
        assigned = std::move(copy);
        copy.text.assign(text.size(), '#');
        EXPECT_EQ(std::vector<std::string>(assigned.lines.begin(), assigned.lines.end()), wanted);
    }
}

TEST(FlightPlanFile, WhatIsNotAFlightPlanLine)
{
    for (const char* skipped :
         {"", "0", "// a comment", "  // comment, with commas, 24Hr, LIRF", "\t//x,y", "AC#1 LIRF"})
        EXPECT_FALSE(cutPlanLine(skipped)) << skipped;
    EXPECT_TRUE(cutPlanLine("1, x/ y // not a comment,100%,WEEK,IFR,LIRF"));
}

TEST(FlightPlanFile, PlanLineFieldsWithAtSignsRemoved)
{
    const auto plan =
        cutPlanLine("AC#12,0,75%,WEEK,IFR,@1/10:00:00,@1/12:05:00,310,F,AZ100,LFPG,2/08:00,2/09:40,310,F,AZ101,LIRF");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->aircraftNumber, "AC#12");
    EXPECT_EQ(plan->percent, "75%");
    EXPECT_EQ(plan->period, "WEEK");
    EXPECT_EQ(plan->homeAirport, "LIRF");
    std::string_view legs = plan->legList;
    const auto first = nextLeg(legs);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->depTime, "1/10:00:00");
    EXPECT_EQ(first->arrTime, "1/12:05:00");
    EXPECT_EQ(first->flightNumber, "AZ100");
    EXPECT_EQ(first->arrCode, "LFPG");
    const auto second = nextLeg(legs);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->arrCode, "LIRF");
    EXPECT_EQ(legs, "LIRF");
    EXPECT_FALSE(nextLeg(legs));
}

TEST(FlightPlanFile, HomeAirportIsTheLastFourCharactersWhateverTheyAre)
{
    EXPECT_EQ(cutPlanLine("1,0,50%,24Hr,IFR,10:00,11:00,1,F,X1,EGLL  ")->homeAirport, "LL  ");
    EXPECT_EQ(cutPlanLine("1,0,50%,24Hr,IFR,10:00,11:00,1,F,X1,EGLL,")->homeAirport, "GLL,");
    // Only the home airport after field 5: no legs.
    const auto plan = cutPlanLine("1,0,50%,24Hr,IFR,EGLL");
    std::string_view legs = plan->legList;
    EXPECT_EQ(legs, "EGLL");
    EXPECT_FALSE(nextLeg(legs));
}

TEST(FlightPlanFile, ShortLegRepeatsItsLastField)
{
    std::string_view legs = "10:00,11:00,LFPG";
    const auto leg = nextLeg(legs);
    ASSERT_TRUE(leg);
    EXPECT_EQ(leg->flightNumber, "LFPG");
    EXPECT_EQ(leg->arrCode, "LFPG");
    EXPECT_EQ(legs, "LFPG");
}

TEST(AircraftList, NumberAndQuotedTitle)
{
    const struct {
        const char* line;
        const char* number;
        const char* title;
    } cases[] = {
        {"AC#1,x,\"Boeing 737-800 Alpina Air\"", "AC#1", "Boeing 737-800 Alpina Air"},
        {"AC#2,x,\"Title, with a comma\"", "AC#2", "Title, with a comma"},
        {"AC#3,x,\"Say \"\"hi\"\"\" ignored", "AC#3", "Say \"hi\""},
        {"AC#4,x,Unquoted title", "AC#4", ""},
        {"AC#5,x,\"\"", "AC#5", ""},
        {"AC#6,x,\"No closing quote, runs on", "AC#6", "No closing quote, runs on"},
        {"AC#7,\"Only one comma\"", "AC#7", "Only one comma"},
        {"ABCDEFG no comma", "ABCD", ""},
        {"\"Quoted whole line\"", "\"Quo", "Quoted whole line"},
    };
    for (const auto& c : cases) {
        const AircraftLine line = cutAircraftLine(c.line);
        EXPECT_EQ(line.number, c.number) << c.line;
        EXPECT_EQ(line.title, c.title) << c.line;
    }
}

// A plan file given as a pipe (a shell's <(...)) has no size and cannot seek: it is read to its end.
TEST(FlightPlanFile, APipeIsReadToItsEnd)
{
    quorvel::test::TempFolder folder;
    const auto pipe = folder / "plans";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string plan = "AC#1,x,100%,WEEK,IFR,0/10:00,0/11:00,1,F,F1,LIRF\r\n// end\r\n";
    std::thread writer([&] { std::ofstream(pipe, std::ios::binary) << plan; });
    const std::optional<TextLines> lines = readTextLines(pipe);
    writer.join();
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->text, plan);
    EXPECT_EQ(lines->lines.size(), 2u);
}
