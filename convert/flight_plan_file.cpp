#include "convert/flight_plan_file.h"

#include "platform/byte_order_mark.h"
#include "platform/huge_pages.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <fstream>
#include <iterator>

namespace quorvel::convert {

TextLines::TextLines(const TextLines& other) : text(other.text), lines(other.lines)
{
    rebase(other.text.data());
}

TextLines::TextLines(TextLines&& other) noexcept
{
    const char* const oldText = other.text.data();
    text = std::move(other.text);
    lines = std::move(other.lines);
    rebase(oldText);
}

TextLines& TextLines::operator=(const TextLines& other)
{
    if (this != &other) *this = TextLines(other);
    return *this;
}

TextLines& TextLines::operator=(TextLines&& other) noexcept
{
    if (this == &other) return *this;
    const char* const oldText = other.text.data();
    text = std::move(other.text);
    lines = std::move(other.lines);
    rebase(oldText);
    return *this;
}

void TextLines::rebase(const char* oldText)
{
    if (oldText == text.data()) return;
    for (std::string_view& line : lines) line = {text.data() + (line.data() - oldText), line.size()};
}

TextLines splitLines(std::string text)
{
    TextLines result;
    result.text = std::move(text);
    result.lines.reserve(32768);
    const std::string_view all = result.text;
    // Where the next line feed and the next carriage return stand, each found again only once a
    // line has passed it: every byte is searched at most twice, each time for one byte, whatever
    // mix of line ends the file has.
    std::size_t nextFeed = all.find('\n');
    std::size_t nextReturn = all.find('\r');
    std::size_t start = 0;
    while (start < all.size()) {
        if (nextFeed < start) nextFeed = all.find('\n', start);
        if (nextReturn < start) nextReturn = all.find('\r', start);
        const std::size_t end = std::min({nextFeed, nextReturn, all.size()});
        result.lines.push_back(all.substr(start, end - start));
        if (end == all.size()) break;
        const bool crlf = all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return result;
}

std::optional<std::string> readFileBytes(const std::filesystem::path& file)
{
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // A plan file runs to tens of megabytes: read what its size says in one piece, then whatever
    // follows (a file that grew meanwhile, or a pipe, whose size is not known: it cannot seek).
    std::string text;
    std::streamsize size = 0;
    if (std::filesystem::is_regular_file(file, error)) {
        const std::uintmax_t bytes = std::filesystem::file_size(file, error);
        if (!error) size = std::streamsize(bytes);
    }
    if (size > 0) {
        platform::resizeFresh(text, std::size_t(size));
        in.read(text.data(), size);
        text.resize(std::size_t(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    if (!in.eof()) {
        in.clear();
        text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) return std::nullopt;
    }
    return text;
}

std::optional<TextLines> readTextLines(const std::filesystem::path& file)
{
    std::optional<std::string> text = readFileBytes(file);
    if (!text) return std::nullopt;
    text->erase(0, platform::byteOrderMarkSize(*text));
    return splitLines(std::move(*text));
}

std::string_view commaField(std::string_view text, int field, bool withRest)
{
    for (int i = 1; i < field; ++i) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (withRest) return text;
    const std::size_t comma = text.find(',');
    return comma != std::string_view::npos ? text.substr(0, comma) : text.substr(0, 4);
}

bool isCommentLine(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line.substr(first).starts_with("//");
}

bool isFlightPlanLine(std::string_view line)
{
    return !isCommentLine(line) && line.find(',') != std::string_view::npos;
}

std::optional<PlanLine> cutPlanLine(std::string_view raw)
{
    if (!isFlightPlanLine(raw)) return std::nullopt;
    std::string line;
    line.reserve(raw.size());
    for (const char c : raw)
        if (c != '@') line += c;
    const std::string_view text = line;
    PlanLine plan;
    plan.aircraftNumber = commaField(text, 1, false);
    plan.percent = commaField(text, 3, false);
    plan.period = commaField(text, 4, false);
    plan.legList = commaField(text, 6, true);
    plan.homeAirport = text.substr(text.size() >= 4 ? text.size() - 4 : 0);
    return plan;
}

namespace {

// A whole number with an optional sign, blanks around allowed.
std::optional<long long> wholeNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    text = first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.size() > 18) return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}  // namespace

std::optional<std::int16_t> percentValue(std::string_view field)
{
    const auto percent = wholeNumber(field.substr(0, field.empty() ? 0 : field.size() - 1));
    if (!percent || *percent < INT16_MIN || *percent > INT16_MAX) return std::nullopt;
    return std::int16_t(*percent);
}

bool isWeeklyPeriod(std::string_view field)
{
    return field.size() == 4 && upper(field[0]) == 'W' && upper(field[1]) == 'E' && upper(field[2]) == 'E' &&
           upper(field[3]) == 'K';
}

std::optional<int> periodHours(std::string_view field)
{
    const auto hours = wholeNumber(field.substr(0, field.size() >= 2 ? field.size() - 2 : 0));
    if (!hours || *hours < INT_MIN || *hours > INT_MAX) return std::nullopt;
    return int(*hours);
}

WeeklyTime weeklyTime(std::string_view field)
{
    return {field.substr(0, 1), field.substr(std::min<std::size_t>(2, field.size()), 5)};
}

std::optional<Leg> nextLeg(std::string_view& legList)
{
    if (legList.size() <= 4 || legList.find(',') == std::string_view::npos) return std::nullopt;
    Leg leg;
    leg.depTime = commaField(legList, 1, false);
    leg.arrTime = commaField(legList, 2, false);
    leg.flightNumber = commaField(legList, 5, false);
    leg.arrCode = commaField(legList, 6, false);
    legList = commaField(legList, 7, true);
    return leg;
}

std::string quotedTitle(std::string_view text)
{
    if (!text.starts_with('"')) return {};
    std::string title;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '"') {
            title += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            title += '"';
            ++i;
        } else {
            break;
        }
    }
    return title;
}

AircraftLine cutAircraftLine(std::string_view line)
{
    return {std::string(commaField(line, 1, false)), quotedTitle(commaField(line, 3, true))};
}

}  // namespace quorvel::convert
