// flags/flag_rows.h: the rules of the Flag Manager's list editor, one row per airline.
// The editor shows the list file sorted and without repeated lines; it writes its rows back
// in screen order. Before writing, the rows are checked so that the file reads back as the
// rows the user saw: one row per airline, no "=" or line break inside an airline.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::flags {

struct FlagRow {
    std::string airline;   // Windows-1252
    std::string flagName;  // Windows-1252; may be empty
    bool operator==(const FlagRow&) const = default;
};

// The rows the editor opens with: the lines sorted by their whole text ignoring letter case,
// a line equal ignoring case to one read before it dropped, empty lines dropped. A line
// without "=" becomes a row of that airline with no flag name.
std::vector<FlagRow> editorRows(const std::vector<std::string>& lines);

// The file lines of the rows, airline "=" flag name, in row order; a row with neither an
// airline nor a flag name (a row added and never filled) writes no line.
std::vector<std::string> linesFromRows(const std::vector<FlagRow>& rows);

// Another row than `row` whose airline equals `airline` ignoring letter case.
std::optional<std::size_t> otherRowWithAirline(const std::vector<FlagRow>& rows, std::string_view airline,
                                               std::size_t row);

struct RowProblem {
    std::size_t row;
    std::string message;  // UTF-8, for the message box
    bool operator==(const RowProblem&) const = default;
};

// The first row that cannot be written as it stands, or nothing when all can.
std::optional<RowProblem> findRowProblem(const std::vector<FlagRow>& rows);

std::string duplicateAirlineMessage(std::string_view airline);  // airline in Windows-1252; text in UTF-8

// The flag name a picture chosen in the picture dialog gives: the first three characters of
// its file name, folder dropped ("AZA.bmp" gives AZA, "KLM Royal.bmp" KLM, "AZ.bmp" AZ.).
// `chosen` and the result are UTF-8.
std::string flagNameFromChosenFile(const std::filesystem::path& chosen);

}  // namespace quorvel::flags
