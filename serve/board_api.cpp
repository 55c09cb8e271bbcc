#include "serve/board_api.h"

#include "board/board_time.h"
#include "platform/case_fold.h"
#include "platform/windows1252.h"
#include "platform/zone_offsets.h"
#include "tables/flight_table.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace quorvel::serve {

namespace {

using Json = nlohmann::ordered_json;
using tables::FlightField;

constexpr std::size_t maxAirportLength = 8;

std::string dump(const Json& json)
{
    // Texts from the tables are converted to UTF-8; a parameter echoed in an error may not be.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A parameter's name as an error may quote it: short, and only its printable ASCII.
std::string quotedName(std::string_view text)
{
    std::string shown;
    for (const char c : text.substr(0, 32)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
    return "\"" + shown + (text.size() > 32 ? "...\"" : "\"");
}

// Each name at most once, and only names of `allowed`.
void checkNames(const Params& params, std::initializer_list<std::string_view> allowed)
{
    std::vector<std::string_view> seen;
    for (const auto& [name, value] : params) {
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
            throw RequestError("unknown parameter " + quotedName(name));
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            throw RequestError("parameter " + quotedName(name) + " given twice");
        seen.push_back(name);
    }
}

const std::string* find(const Params& params, std::string_view name)
{
    for (const auto& [key, value] : params)
        if (key == name) return &value;
    return nullptr;
}

int wholeNumber(const std::string& value, std::string_view name, int low, int high)
{
    const bool digits = !value.empty() && value.size() <= 6 &&
                        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int number = digits ? std::stoi(value) : -1;
    if (number < low || number > high)
        throw RequestError(std::string(name) + " takes a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high));
    return number;
}

template <typename T, std::size_t N>
T choice(const std::string& value, std::string_view name, const std::array<std::pair<std::string_view, T>, N>& choices)
{
    for (const auto& [text, result] : choices)
        if (value == text) return result;
    std::string names;
    for (const auto& [text, result] : choices) names += (names.empty() ? "" : "|") + std::string(text);
    throw RequestError(std::string(name) + " takes " + names);
}

std::string utf8(std::string_view windows1252)
{
    return platform::utf8FromWindows1252(windows1252);
}

// "2024-01-02T13:45", as the page's URL and the answers write moments.
std::string momentText(const LocalDateTime& moment)
{
    return board::dateText(moment) + "T" + moment.timeText();
}

std::chrono::sys_seconds asIfUtc(const LocalDateTime& local)
{
    using namespace std::chrono;
    const sys_days day{year_month_day{year{local.year}, month{unsigned(local.month)}, std::chrono::day{unsigned(local.day)}}};
    return day + hours{local.hour} + minutes{local.minute} + seconds{local.second};
}

// Minutes to add to UTC for the clock of the board's zone at the present instant.
int clockOffsetMinutes(const board::BoardInterval& interval, const Present& present)
{
    using namespace std::chrono;
    if (interval.mode == board::TimeMode::Utc) return 0;
    if (interval.mode == board::TimeMode::Airport)
        if (const auto offset = platform::zoneOffsetAt(interval.zone, present.instant))
            return int(duration_cast<minutes>(offset->utcOffset).count());
    const auto difference = asIfUtc(present.local) - present.instant;
    return int(std::lround(double(difference.count()) / 60.0));  // the computer's clock, seconds apart at most
}

const char* modeName(board::TimeMode mode)
{
    switch (mode) {
    case board::TimeMode::Airport: return "airport";
    case board::TimeMode::Utc: return "utc";
    case board::TimeMode::Computer: break;
    }
    return "computer";
}

Json rowJson(const Snapshot& snapshot, tables::RowId row, const LocalDateTime& at, std::string shown)
{
    const tables::Table& table = snapshot.data.flights->table;
    const auto text = [&](FlightField field) { return utf8(table.text(row, field)); };
    Json json;
    json["day"] = board::dateText(at);
    json["time"] = at.timeText();
    json["shown"] = std::move(shown);
    json["airline"] = text(FlightField::Airline);
    json["flight"] = text(FlightField::FlightNumber);
    json["depCode"] = text(FlightField::IcaoCodeDep);
    json["from"] = text(FlightField::DepApt);
    json["arrCode"] = text(FlightField::IcaoCodeArr);
    json["to"] = text(FlightField::DestApt);
    json["timeDep"] = text(FlightField::TimeDep);
    json["timeArr"] = text(FlightField::TimeArr);
    // The expected time is the scheduled time, as the grid paints it, in the board's zone.
    json["expected"] = at.timeText();
    json["remarks"] = text(FlightField::Note);
    std::optional<std::string> flag;
    if (snapshot.data.flagList) flag = snapshot.data.flagList->flagName(table.text(row, FlightField::Airline));
    json["flag"] = flag && !flag->empty() ? Json(utf8(*flag)) : Json(nullptr);
    return json;
}

}  // namespace

BoardRequest parseBoardRequest(const Params& params)
{
    checkNames(params, {"airport", "direction", "zone", "window", "traffic", "international", "at", "limit"});
    BoardRequest request;
    const std::string* airport = find(params, "airport");
    if (!airport || airport->empty()) throw RequestError("airport is required");
    if (airport->size() > maxAirportLength ||
        !std::all_of(airport->begin(), airport->end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        throw RequestError("airport takes a code of 1 to 8 letters and digits");
    request.airport = platform::foldAscii(*airport);
    std::transform(request.airport.begin(), request.airport.end(), request.airport.begin(),
                   [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); });
    if (const std::string* value = find(params, "direction"))
        request.direction = choice<board::Direction, 2>(
            *value, "direction",
            {{{"departures", board::Direction::Departure}, {"arrivals", board::Direction::Arrival}}});
    if (const std::string* value = find(params, "zone"))
        request.mode = choice<board::TimeMode, 3>(*value, "zone",
                                                  {{{"computer", board::TimeMode::Computer},
                                                    {"airport", board::TimeMode::Airport},
                                                    {"utc", board::TimeMode::Utc}}});
    if (const std::string* value = find(params, "window"))
        request.windowHours = wholeNumber(*value, "window", 0, board::maxWindowHours);
    if (const std::string* value = find(params, "traffic")) request.traffic = wholeNumber(*value, "traffic", 0, 100);
    if (const std::string* value = find(params, "international"))
        request.international = choice<bool, 2>(*value, "international", {{{"0", false}, {"1", true}}});
    if (const std::string* value = find(params, "limit")) request.limit = wholeNumber(*value, "limit", 1, maxRowLimit);
    if (const std::string* value = find(params, "at")) {
        std::string text = *value;
        if (text.size() == 16 && text[10] == 'T') text[10] = ' ';
        request.at = text.size() == 16 ? parseLocalDateTime(text) : std::nullopt;
        if (!request.at) throw RequestError("at takes a moment as YYYY-MM-DDTHH:MM");
    }
    return request;
}

std::string boardJson(const Snapshot& snapshot, const BoardRequest& request, const Present& present)
{
    const BoardData& data = snapshot.data;
    std::optional<std::string> description;
    if (data.airports) {
        description = data.airports->descriptionOf(request.airport);
        if (!description) throw RequestError("unknown airport \"" + request.airport + "\"");
    }

    board::BoardInputs inputs;
    inputs.airport = request.airport;
    inputs.direction = request.direction;
    inputs.moment = request.at ? *request.at : present.local;
    inputs.national = !request.international;
    inputs.trafficPercent = std::to_string(request.traffic);

    board::TimeInputs time;
    time.mode = request.mode;
    time.windowHours = request.windowHours;
    if (data.zones)
        if (const auto zone = data.zones->zoneOf(request.airport)) time.airportZone = std::string(*zone);
    if (!request.at) time.present = present.instant;
    const std::optional<int> recorded =
        data.flights ? board::recordedUtcOffsetHours(data.flights->table) : std::nullopt;
    time.utcOffsetHours = recorded ? *recorded : data.assumedUtcOffsetHours;

    // The interval and the rows, as the window chooses them.
    board::BoardInterval interval;
    Json rows = Json::array();
    std::size_t total = 0;
    const std::size_t limit = request.limit ? std::size_t(*request.limit) : std::size_t(-1);
    if (board::usesInstances(time)) {
        const board::InstanceQuery query = board::buildInstanceQuery(inputs, time);
        interval = query.interval;
        if (data.flights) {
            const board::Instances instances = board::selectInstances(*data.flights, query);
            total = instances.rows.size();
            for (std::size_t i = 0; i < std::min(total, limit); ++i)
                rows.push_back(rowJson(snapshot, instances.rows[i], interval.start.plusMinutes(instances.minutes[i]),
                                       board::instanceTimeText(interval, instances.minutes[i])));
        }
    } else {
        interval.reference = inputs.moment;
        interval.reference.second = 0;
        interval.start = LocalDateTime{inputs.moment.year, inputs.moment.month, inputs.moment.day, 0, 0, 0};
        interval.end = interval.start.plusMinutes(24 * 60);
        interval.lengthMinutes = 24 * 60;
        if (data.flights) {
            const board::BoardQuery query = board::buildQuery(inputs);
            const FlightField timeField =
                request.direction == board::Direction::Departure ? FlightField::TimeDep : FlightField::TimeArr;
            const tables::View view = board::select(*data.flights, query);
            total = view.size();
            for (const tables::RowId row : std::span(view).first(std::min(total, limit))) {
                // A stored time that is not "hh:mm" still shows as stored; the day is the board's.
                const std::string stored(data.flights->table.text(row, timeField));
                LocalDateTime at = interval.start;
                if (stored.size() == 5 && stored[2] == ':') {
                    at.hour = std::atoi(stored.substr(0, 2).c_str());
                    at.minute = std::atoi(stored.substr(3, 2).c_str());
                }
                Json json = rowJson(snapshot, row, at, stored);
                json["time"] = json["expected"] = stored;
                rows.push_back(std::move(json));
            }
        }
    }

    Json json;
    json["generation"] = snapshot.generation;
    json["loaded"] = data.flights != nullptr;
    json["airport"] = request.airport;
    json["description"] = description ? Json(utf8(*description)) : Json(nullptr);
    json["direction"] = request.direction == board::Direction::Departure ? "departures" : "arrivals";
    json["traffic"] = request.traffic;
    json["international"] = request.international;
    json["zone"] = {{"mode", modeName(interval.mode)},
                    {"name", interval.zone.empty() ? Json(nullptr) : Json(interval.zone)},
                    {"offset", interval.mode == board::TimeMode::Computer ? Json(nullptr)
                                                                          : Json(board::utcOffsetText(interval.offsetMinutes))},
                    {"fellBack", interval.fellBack}};
    json["interval"] = {{"reference", momentText(interval.reference)},
                        {"start", momentText(interval.start)},
                        {"end", momentText(interval.end)},
                        {"windowHours", request.windowHours}};
    json["times"] = utf8(board::timesText(interval, request.windowHours, request.airport));
    json["clockOffsetMinutes"] = clockOffsetMinutes(interval, present);
    json["total"] = total;
    json["rows"] = std::move(rows);
    return dump(json);
}

std::string airportsJson(const Snapshot& snapshot, const Params& params)
{
    checkNames(params, {"q"});
    const std::string* q = find(params, "q");
    const std::string typed = q ? std::string(platform::trimBlanks(*q)) : std::string();
    if (typed.size() > maxSearchLength)
        throw RequestError("q takes at most " + std::to_string(maxSearchLength) + " characters");
    const std::string folded = platform::foldUtf8(typed);

    Json airports = Json::array();
    const BoardData& data = snapshot.data;
    if (data.airports) {
        // Codes that begin with the text first, then names that begin with it, names with a word
        // that begins with it, and names that hold it; each group in description order.
        std::array<std::vector<std::size_t>, 4> groups;
        for (std::size_t i = 0; i < data.airports->size() && groups[0].size() < maxSearchResults; ++i) {
            if (platform::foldUtf8(data.airports->code(i)).starts_with(folded)) {
                groups[0].push_back(i);
                continue;
            }
            const std::string name = platform::foldUtf8(utf8(data.airports->description(i)));
            const std::size_t at = name.find(folded);
            if (at == std::string::npos) continue;
            const bool wordStart = at > 0 && (name[at - 1] == ' ' || name.find(" " + folded) != std::string::npos);
            std::vector<std::size_t>& group = groups[at == 0 ? 1 : wordStart ? 2 : 3];
            if (group.size() < maxSearchResults) group.push_back(i);
        }
        std::vector<std::size_t> byCode;
        for (const auto& group : groups) byCode.insert(byCode.end(), group.begin(), group.end());
        byCode.resize(std::min(byCode.size(), maxSearchResults));
        for (const std::size_t i : byCode) {
            const std::string code(data.airports->code(i));
            std::optional<std::string_view> zone;
            if (data.zones) zone = data.zones->zoneOf(code);
            airports.push_back({{"code", utf8(code)},
                                {"description", utf8(data.airports->description(i))},
                                {"zone", zone ? Json(std::string(*zone)) : Json(nullptr)}});
        }
    }
    return dump(Json{{"airports", std::move(airports)}});
}

std::string versionJson(const Snapshot& snapshot)
{
    return dump(Json{{"generation", snapshot.generation}, {"loaded", snapshot.data.flights != nullptr}});
}

std::string errorJson(const std::string& message)
{
    return dump(Json{{"error", message}});
}

}  // namespace quorvel::serve
