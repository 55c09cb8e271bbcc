#include "flags/flag_rows.h"

#include <gtest/gtest.h>

using namespace quorvel::flags;
using Rows = std::vector<FlagRow>;

namespace quorvel::flags {
void PrintTo(const FlagRow& row, std::ostream* out)
{
    *out << row.airline << "=" << row.flagName;
}
void PrintTo(const RowProblem& problem, std::ostream* out)
{
    *out << "row " << problem.row << ": " << problem.message;
}
}  // namespace quorvel::flags

TEST(FlagRows, EditorShowsTheFileSortedWithoutRepeatedLines)
{
    const std::vector<std::string> lines{"klm=KLM",  "Iberia=",      "KLM=KLM", "",
                                         "NoEquals", "Alitalia=AZA", "KLM=XYZ", "alitalia=aza"};
    // "KLM=KLM" repeats "klm=KLM" ignoring case and goes; "KLM=XYZ" is another line and stays.
    EXPECT_EQ(editorRows(lines),
              (Rows{{"Alitalia", "AZA"}, {"Iberia", ""}, {"klm", "KLM"}, {"KLM", "XYZ"}, {"NoEquals", ""}}));
    EXPECT_EQ(editorRows({}), Rows{});
}

TEST(FlagRows, RowsWriteAsAirlineEqualsFlagNameSkippingUnfilledRows)
{
    EXPECT_EQ(linesFromRows({{"Zeta", "ZET"}, {"", ""}, {"Iberia", ""}, {"Alitalia", "A=B"}}),
              (std::vector<std::string>{"Zeta=ZET", "Iberia=", "Alitalia=A=B"}));
}

TEST(FlagRows, RowsThatCannotBeWrittenAsTheyStandAreRefused)
{
    const struct {
        Rows rows;
        std::optional<RowProblem> problem;
    } cases[] = {
        {{{"KLM", "KLM"}, {"Iberia", ""}, {"", ""}}, std::nullopt},  // an empty flag name is allowed
        {{{"KLM", "KLM"}, {"Alitalia", "AZA"}, {"klm", "XYZ"}},
         RowProblem{2, "The airline \"klm\" is already in the list; an airline may appear only once."}},
        {{{"A=B", "AZA"}}, RowProblem{0, "The airline \"A=B\" holds \"=\"; an airline name cannot contain \"=\"."}},
        {{{"KLM", "KLM"}, {"", "AZA"}},
         RowProblem{1, "The flag file \"AZA\" has no airline; type the airline or delete the row."}},
        {{{"Two\nLines", "X"}},
         RowProblem{0,
                    "The row of the airline \"Two\nLines\" holds a line break; an airline and a flag file must each "
                    "fit on one line."}},
        {{{"\xC9toile", "ETO"}, {"\xE9TOILE", "E"}},
         RowProblem{1, "The airline \"\xC3\xA9TOILE\" is already in the list; an airline may appear only once."}},
    };
    for (const auto& c : cases) EXPECT_EQ(findRowProblem(c.rows), c.problem);
}

TEST(FlagRows, EditedAirlineIsCheckedAgainstTheOtherRowsOnly)
{
    const Rows rows{{"KLM", "KLM"}, {"Alitalia", "AZA"}};
    EXPECT_EQ(otherRowWithAirline(rows, "alitalia", 0), 1u);
    EXPECT_EQ(otherRowWithAirline(rows, "alitalia", 1), std::nullopt);
    EXPECT_EQ(otherRowWithAirline(rows, "Iberia", 0), std::nullopt);
}

TEST(FlagRows, ChosenPictureGivesTheFirstThreeCharactersOfItsFileName)
{
    const struct {
        std::string chosen;
        std::string flagName;
    } cases[] = {
        {"/home/pilot/pictures/AZA.bmp", "AZA"},
        {"/elsewhere/KLM Royal.bmp", "KLM"},
        {"AZ.bmp", "AZ."},
        {"/x/\xC3\x89TOILE.bmp", "\xC3\x89TO"},  // characters, not bytes
        {"/x/A", "A"},
    };
    for (const auto& c : cases) EXPECT_EQ(flagNameFromChosenFile(c.chosen), c.flagName) << c.chosen;
}
