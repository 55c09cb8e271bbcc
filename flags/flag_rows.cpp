#include "flags/flag_rows.h"

#include "platform/case_fold.h"
#include "platform/windows1252.h"

#include <algorithm>

namespace quorvel::flags {

namespace {

std::string inQuotes(std::string_view windows1252)
{
    return "\"" + platform::utf8FromWindows1252(windows1252) + "\"";
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool isBlank(const FlagRow& row)
{
    return row.airline.empty() && row.flagName.empty();
}

}  // namespace

std::vector<FlagRow> editorRows(const std::vector<std::string>& lines)
{
    std::vector<std::string> folded;
    std::vector<std::size_t> order;
    folded.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        folded.push_back(platform::foldWindows1252(lines[i]));
        if (!lines[i].empty()) order.push_back(i);
    }
    // Stable, so of lines equal ignoring case the one read first comes first and is the one kept.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });
    order.erase(
        std::unique(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return folded[a] == folded[b]; }),
        order.end());

    std::vector<FlagRow> rows;
    rows.reserve(order.size());
    for (const std::size_t i : order) {
        const std::string& line = lines[i];
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            rows.push_back({line, {}});
        else
            rows.push_back({line.substr(0, equals), line.substr(equals + 1)});
    }
    return rows;
}

std::vector<std::string> linesFromRows(const std::vector<FlagRow>& rows)
{
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const FlagRow& row : rows)
        if (!isBlank(row)) lines.push_back(row.airline + "=" + row.flagName);
    return lines;
}

std::optional<std::size_t> otherRowWithAirline(const std::vector<FlagRow>& rows, std::string_view airline,
                                               std::size_t row)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (i != row && platform::equalIgnoringCase(rows[i].airline, airline)) return i;
    return std::nullopt;
}

std::optional<RowProblem> findRowProblem(const std::vector<FlagRow>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FlagRow& row = rows[i];
        if (isBlank(row)) continue;
        if (hasLineBreak(row.airline) || hasLineBreak(row.flagName))
            return RowProblem{i, "The row of the airline " + inQuotes(row.airline) +
                                     " holds a line break; an airline and a flag file must each fit on one line."};
        if (row.airline.find('=') != std::string::npos)
            return RowProblem{
                i, "The airline " + inQuotes(row.airline) + " holds \"=\"; an airline name cannot contain \"=\"."};
        if (row.airline.empty())
            return RowProblem{
                i, "The flag file " + inQuotes(row.flagName) + " has no airline; type the airline or delete the row."};
        const auto earlier = otherRowWithAirline(rows, row.airline, i);
        if (earlier && *earlier < i) return RowProblem{i, duplicateAirlineMessage(row.airline)};
    }
    return std::nullopt;
}

std::string duplicateAirlineMessage(std::string_view airline)
{
    return "The airline " + inQuotes(airline) + " is already in the list; an airline may appear only once.";
}

std::string flagNameFromChosenFile(const std::filesystem::path& chosen)
{
    const std::string name = chosen.filename().string();
    std::size_t end = 0;
    for (int characters = 0; characters < 3 && end < name.size(); ++characters) {
        ++end;
        while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
            ++end;  // UTF-8 continuation bytes
    }
    return name.substr(0, end);
}

}  // namespace quorvel::flags
