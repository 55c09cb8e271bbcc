#include "tools/traffic/traffic_generator.h"

#include "platform/atomic_file.h"
#include "platform/case_fold.h"
#include "platform/error.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string_view>
#include <utility>

namespace quorvel::traffic {

namespace {

constexpr int minutesPerDay = 24 * 60;
constexpr int minutesPerWeek = 7 * minutesPerDay;

// Draws built on the raw 64-bit output only, so the numbers are the same with every library.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    double unit() { return double(engine_() >> 11) * 0x1.0p-53; }           // [0, 1)
    int below(int n) { return int(unit() * n); }                            // [0, n)
    int between(int low, int high) { return low + below(high - low + 1); }  // [low, high]
    bool chance(double p) { return unit() < p; }
    char letter() { return char('A' + below(26)); }

private:
    std::mt19937_64 engine_;
};

// A skewed choice: item i is drawn with weight 1 / (i + 1)^exponent.
class Popularity {
public:
    Popularity(std::size_t count, double exponent)
    {
        double sum = 0;
        for (std::size_t i = 0; i < count; ++i) cumulative_.push_back(sum += 1.0 / std::pow(double(i + 1), exponent));
    }
    std::size_t draw(Random& random) const
    {
        const double at = random.unit() * cumulative_.back();
        return std::size_t(std::upper_bound(cumulative_.begin(), cumulative_.end(), at) - cumulative_.begin());
    }

private:
    std::vector<double> cumulative_;
};

struct AircraftType {
    const char* folder;
    const char* maker;
    const char* uiType;
    const char* model;  // atc_model: what the board's MODEL shows
    int minMinutes, maxMinutes;
    int speed;  // knots, the AI list's second field
    int minLevel, maxLevel;
    enum Role { Regional, Narrow, Wide, Freighter } role;
};

constexpr AircraftType aircraftTypes[] = {
    {"Dash8_300", "de Havilland", "Dash 8-300", "DH8C", 30, 95, 280, 170, 250, AircraftType::Regional},
    {"ATR72", "ATR", "ATR 72", "AT72", 30, 95, 270, 170, 250, AircraftType::Regional},
    {"CRJ200", "Bombardier", "CRJ-200", "CRJ2", 35, 120, 420, 280, 350, AircraftType::Regional},
    {"E170", "Embraer", "ERJ-170", "E170", 40, 130, 430, 280, 370, AircraftType::Regional},
    {"B737_800", "Boeing", "737-800", "B738", 55, 210, 450, 310, 390, AircraftType::Narrow},
    {"A320", "Airbus", "A320", "A320", 55, 210, 450, 310, 390, AircraftType::Narrow},
    {"A321", "Airbus", "A321", "A321", 60, 230, 450, 310, 390, AircraftType::Narrow},
    {"B757_200", "Boeing", "757-200", "B752", 90, 320, 460, 330, 390, AircraftType::Narrow},
    {"B767_300", "Boeing", "767-300", "B763", 300, 600, 470, 330, 410, AircraftType::Wide},
    {"A330_200", "Airbus", "A330-200", "A332", 300, 660, 470, 330, 410, AircraftType::Wide},
    {"B777_200", "Boeing", "777-200", "B772", 330, 720, 490, 330, 430, AircraftType::Wide},
    {"B747_400", "Boeing", "747-400", "B744", 360, 780, 490, 330, 430, AircraftType::Wide},
    {"MD11F", "McDonnell Douglas", "MD-11F", "MD11", 240, 600, 480, 330, 410, AircraftType::Freighter},
};
constexpr int typeCount = int(std::size(aircraftTypes));

struct Airline {
    std::string name;     // as the variations' ui_variation shows it
    std::string code;     // three letters, the start of its flight numbers
    std::size_t hub = 0;  // index into the airport list
    std::vector<int> types;
    std::vector<int> listNumbers;  // AI list number of each type, parallel to `types`
};

// Country of a code as the national test reads it: the first letter of K codes, else two
// letters with ED and ET as one.
std::string countryOf(std::string_view code)
{
    if (code.starts_with('K')) return "K";
    if (code.starts_with("ED") || code.starts_with("ET")) return "E0";
    return std::string(code.substr(0, 2));
}

std::string upper(std::string text)
{
    for (char& c : text) c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    return text;
}

// Minutes between two airports: fixed for the pair whichever way it is flown, within the type's range.
int flightMinutes(std::string_view a, std::string_view b, const AircraftType& type, std::uint64_t seed)
{
    if (b < a) std::swap(a, b);
    std::uint64_t h = 1469598103934665603ull ^ seed;
    for (const char c : std::string(a) + "-" + std::string(b))
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    h ^= h >> 31;
    const int span = type.maxMinutes - type.minMinutes;
    return type.minMinutes + int(h % std::uint64_t(span / 5 + 1)) * 5;
}

struct LegSpec {
    int depMinute = 0;  // minutes from Sunday 00:00 (weekly) or from midnight (daily), Greenwich time
    int arrMinute = 0;
    std::size_t arrival = 0;
    int flightNumber = 0;
};

enum class Period { Week, Hours24, Hours12, Hours8 };

int repetitions(Period period)
{
    return period == Period::Hours12 ? 2 : period == Period::Hours8 ? 3 : 1;
}

class Generator {
public:
    Generator(const TrafficOptions& options, const std::vector<std::string>& codes)
        : options_(options),
          random_(options.seed),
          spokePopularity_(codes.size(), 0.85),
          hubPopularity_(std::min<std::size_t>(60, codes.size()), 0.7)
    {
        if (codes.size() < 50)
            throw Error("The airport list has " + std::to_string(codes.size()) + " codes; traffic needs at least 50");
        // Popularity follows a shuffled order, so the busiest airports differ from seed to seed.
        airports_ = codes;
        for (std::size_t i = airports_.size(); i > 1; --i)
            std::swap(airports_[i - 1], airports_[std::size_t(random_.below(int(i)))]);
        const std::set<std::string> known(codes.begin(), codes.end());
        while (unknown_.size() < 12) {
            std::string code{random_.letter(), random_.letter(), random_.letter(), random_.letter()};
            if (!known.count(code) && std::find(unknown_.begin(), unknown_.end(), code) == unknown_.end())
                unknown_.push_back(code);
        }
        for (std::size_t i = 0; i < airports_.size(); ++i) byCountry_[countryOf(airports_[i])].push_back(i);
        makeAirlines();
    }

    Traffic run();

private:
    void makeAirlines();
    std::string airlineName(std::set<std::string>& used);
    std::size_t spokeFor(const Airline& airline, const AircraftType& type);
    std::vector<LegSpec> schedule(const Airline& airline, const AircraftType& type, Period period);
    std::string planLine(const Airline& airline, int typeSlot, Period period, const std::vector<LegSpec>& legs);
    std::string code(std::size_t airport) const
    {
        return airport < airports_.size() ? airports_[airport] : unknown_[airport - airports_.size()];
    }

    const TrafficOptions& options_;
    Random random_;
    Popularity spokePopularity_;
    Popularity hubPopularity_;
    std::vector<std::string> airports_;
    std::vector<std::string> unknown_;  // codes missing from the airport list
    std::map<std::string, std::vector<std::size_t>> byCountry_;
    std::vector<Airline> airlines_;
    int nextListNumber_ = 1;
    int registrations_ = 0;
};

std::string Generator::airlineName(std::set<std::string>& used)
{
    static constexpr const char* starts[] = {"Alp", "Bor", "Cor", "Del", "Est", "Fal", "Gal", "Hel", "Ist",
                                             "Jun", "Kes", "Lum", "Mar", "Nor", "Ori", "Pel", "Quo", "Ros",
                                             "Sol", "Tal", "Umb", "Ver", "Wes", "Xan", "Yor", "Zeph"};
    static constexpr const char* middles[] = {"ina", "ea", "ava", "ia", "on", "ara", "ix", "ena", "ora", "us"};
    static constexpr const char* ends[] = {" Air", " Airways", " Express", " Connect", " Cargo", " Lines", " Jet"};
    for (;;) {
        std::string name = std::string(starts[random_.below(int(std::size(starts)))]) +
                           middles[random_.below(int(std::size(middles)))] + ends[random_.below(int(std::size(ends)))];
        if (used.insert(name).second) return name;
    }
}

void Generator::makeAirlines()
{
    std::set<std::string> names, codes;
    for (int a = 0; a < 80; ++a) {
        Airline airline;
        airline.name = airlineName(names);
        do airline.code = {random_.letter(), random_.letter(), random_.letter()};
        while (!codes.insert(airline.code).second);
        airline.hub = hubPopularity_.draw(random_);
        const bool regional = airline.name.ends_with("Connect") || airline.name.ends_with("Express");
        const bool cargo = airline.name.ends_with("Cargo");
        std::set<int> types;
        if (cargo) {
            types = {typeCount - 1, 11};
        } else if (regional) {
            while (types.size() < 2) types.insert(random_.below(4));
        } else {
            while (types.size() < 3) types.insert(4 + random_.below(4));
            if (random_.chance(0.6)) types.insert(8 + random_.below(4));
        }
        airline.types.assign(types.begin(), types.end());
        for (std::size_t t = 0; t < airline.types.size(); ++t) airline.listNumbers.push_back(nextListNumber_++);
        airlines_.push_back(std::move(airline));
    }
}

std::size_t Generator::spokeFor(const Airline& airline, const AircraftType& type)
{
    if (random_.chance(0.002)) return airports_.size() + std::size_t(random_.below(int(unknown_.size())));
    const std::vector<std::size_t>& home = byCountry_[countryOf(airports_[airline.hub])];
    const bool domestic = type.role == AircraftType::Regional ? random_.chance(0.8)
                          : type.role == AircraftType::Narrow ? random_.chance(0.55)
                                                              : false;
    for (;;) {
        std::size_t spoke = spokePopularity_.draw(random_);
        // Within the hub's country the airports keep their order of popularity.
        if (domestic && home.size() > 3)
            spoke = home[std::min(home.size() - 1, spoke * home.size() / airports_.size())];
        if (spoke != airline.hub) return spoke;
    }
}

std::vector<LegSpec> Generator::schedule(const Airline& airline, const AircraftType& type, Period period)
{
    const bool wide = type.role == AircraftType::Wide || type.role == AircraftType::Freighter;
    int roundTrips = 1;
    if (!wide) {
        switch (period) {
            case Period::Week:
                roundTrips = random_.between(2, 4);
                break;
            case Period::Hours24:
                roundTrips = random_.between(1, 4);
                break;
            case Period::Hours12:
                roundTrips = random_.between(1, 2);
                break;
            case Period::Hours8:
                roundTrips = 1;
                break;
        }
    }
    // The day's rotation, repeated on each flying day of a weekly plan.
    std::vector<LegSpec> day;
    int minute = wide ? random_.between(16 * 12, 23 * 12) * 5 : random_.between(5 * 12, 9 * 12) * 5;
    int number = random_.between(1, 980) * 10;
    for (int trip = 0; trip < roundTrips; ++trip) {
        const std::size_t spoke = spokeFor(airline, type);
        const int block = flightMinutes(code(airline.hub), code(spoke), type, options_.seed);
        const int turn = wide ? random_.between(18, 36) * 5 : random_.between(7, 12) * 5;
        day.push_back({minute, minute + block, spoke, number++});
        minute += block + turn;
        day.push_back({minute, minute + block, airline.hub, number++});
        minute += block + random_.between(7, 12) * 5;
        if (minute > 19 * 60) break;  // the day's last trip ends the evening
    }
    if (period != Period::Week) return day;

    std::vector<int> days = {0, 1, 2, 3, 4, 5, 6};
    const int flyingDays = wide ? random_.between(3, 7) : random_.chance(0.7) ? 7 : random_.between(4, 6);
    while (int(days.size()) > flyingDays) days.erase(days.begin() + random_.below(int(days.size())));
    std::vector<LegSpec> week;
    for (const int d : days)
        for (LegSpec leg : day) {
            leg.depMinute += d * minutesPerDay;
            leg.arrMinute += d * minutesPerDay;
            week.push_back(leg);
        }
    return week;
}

std::string Generator::planLine(const Airline& airline, int typeSlot, Period period, const std::vector<LegSpec>& legs)
{
    const AircraftType& type = aircraftTypes[airline.types[std::size_t(typeSlot)]];
    const bool lowerCase = random_.chance(0.001);  // some hand-written plans keep codes in lower case
    const auto codeText = [&](std::size_t airport) {
        return lowerCase ? platform::foldAscii(code(airport)) : code(airport);
    };
    const auto timeText = [&](int minute) {
        char text[16];
        if (period == Period::Week) {
            minute = ((minute % minutesPerWeek) + minutesPerWeek) % minutesPerWeek;
            std::snprintf(text, sizeof text, "%d/%02d:%02d:00", minute / minutesPerDay, minute % minutesPerDay / 60,
                          minute % 60);
        } else {
            minute = ((minute % minutesPerDay) + minutesPerDay) % minutesPerDay;
            std::snprintf(text, sizeof text, "%02d:%02d:00", minute / 60, minute % 60);
        }
        std::string written = random_.chance(0.01) ? "@" : "";
        written += text;
        return written;
    };

    const int listNumber =
        random_.chance(0.003) ? 9000 + random_.below(20) : airline.listNumbers[std::size_t(typeSlot)];
    const int percent = random_.chance(0.7) ? 100 : random_.between(1, 9) * 10;
    static constexpr const char* periods[] = {"WEEK", "24Hr", "12Hr", "8Hr"};
    char registration[16];
    ++registrations_;
    std::snprintf(registration, sizeof registration, "%c-%c%c%c%c", random_.letter(), char('A' + registrations_ % 26),
                  char('A' + registrations_ / 26 % 26), char('A' + registrations_ / 676 % 26), random_.letter());

    std::string line = "AC#" + std::to_string(listNumber) + "," + registration + "," + std::to_string(percent) + "%," +
                       periods[int(period)] + "," + (random_.chance(0.02) ? "VFR" : "IFR");
    for (const LegSpec& leg : legs) {
        const int level = random_.between(type.minLevel / 10, type.maxLevel / 10) * 10;
        line += "," + timeText(leg.depMinute) + "," + timeText(leg.arrMinute) + "," + std::to_string(level) + "," +
                (random_.chance(0.01) ? "R" : "F") + "," + airline.code + std::to_string(leg.flightNumber % 10000) +
                "," + codeText(leg.arrival);
    }
    return line;
}

Traffic Generator::run()
{
    Traffic traffic;
    const Popularity airlineSize(airlines_.size(), 0.7);
    traffic.flightPlans = "// Traffic made up by qrvl-traffic, seed " + std::to_string(options_.seed) + ", " +
                          std::to_string(options_.records) +
                          " flight records.\r\n"
                          "// Aircraft, registration, traffic %, period, rules, then legs of six fields.\r\n";
    while (traffic.records < options_.records) {
        const Airline& airline = airlines_[airlineSize.draw(random_)];
        const int typeSlot = random_.below(int(airline.types.size()));
        const AircraftType& type = aircraftTypes[airline.types[std::size_t(typeSlot)]];
        const bool wide = type.role == AircraftType::Wide || type.role == AircraftType::Freighter;
        const double p = random_.unit();
        const Period period = wide || p < 0.6 ? Period::Week
                              : p < 0.8       ? Period::Hours24
                              : p < 0.92      ? Period::Hours12
                                              : Period::Hours8;
        std::vector<LegSpec> legs = schedule(airline, type, period);

        // The last plan is cut to the records still wanted; one that cannot be cut to fit is drawn again.
        const std::uint64_t left = options_.records - traffic.records;
        const auto each = std::uint64_t(repetitions(period));
        if (legs.size() * each > left) legs.resize(std::size_t(left / each));
        if (legs.empty()) continue;

        traffic.flightPlans += planLine(airline, typeSlot, period, legs) + "\r\n";
        ++traffic.planLines;
        traffic.legs += legs.size();
        traffic.records += legs.size() * each;
        if (traffic.planLines % 5000 == 0)
            traffic.flightPlans += "// ---- next block, with commas, not a plan ----\r\n";
    }

    traffic.aircraftList = "// AI aircraft list made up by qrvl-traffic.\r\n";
    std::vector<std::vector<const Airline*>> fliers(typeCount);
    for (const Airline& airline : airlines_)
        for (std::size_t t = 0; t < airline.types.size(); ++t) {
            const AircraftType& type = aircraftTypes[airline.types[t]];
            traffic.aircraftList += "AC#" + std::to_string(airline.listNumbers[t]) + "," + std::to_string(type.speed) +
                                    ",\"" + type.maker + " " + type.uiType + " " + airline.name + "\"\r\n";
            fliers[std::size_t(airline.types[t])].push_back(&airline);
        }
    for (int t = 0; t < typeCount; ++t) {
        const AircraftType& type = aircraftTypes[t];
        std::string cfg;
        for (std::size_t v = 0; v < fliers[std::size_t(t)].size(); ++v) {
            const Airline& airline = *fliers[std::size_t(t)][v];
            cfg += "[fltsim." + std::to_string(v) + "]\r\ntitle=" + type.maker + " " + type.uiType + " " +
                   airline.name + "\r\nsim=" + type.folder +
                   "\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=" + platform::foldAscii(airline.code) +
                   "\r\natc_airline=" + upper(airline.name) + "\r\natc_flight_number=\r\natc_id=QV-" + airline.code +
                   "\r\nui_manufacturer=" + type.maker + "\r\nui_type=" + type.uiType +
                   "\r\nui_variation=" + airline.name + "\r\n\r\n";
        }
        cfg += std::string("[General]\r\natc_type=") + upper(type.maker) + "\r\natc_model=" + type.model +
               "\r\neditable=1\r\nperformance=\r\n";
        traffic.aircraftConfigs.push_back({type.folder, std::move(cfg)});
    }
    return traffic;
}

}  // namespace

Traffic makeTraffic(const TrafficOptions& options, const std::vector<std::string>& airportCodes)
{
    return Generator(options, airportCodes).run();
}

std::vector<std::string> readAirportCodes(const std::filesystem::path& csvFile)
{
    std::ifstream in(csvFile, std::ios::binary);
    if (!in) throw Error(csvFile.string() + ": cannot be opened");
    std::vector<std::string> codes;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (std::exchange(header, false)) continue;
        std::string code = line.substr(0, line.find(','));
        std::erase(code, '"');
        std::erase(code, '\r');
        if (!code.empty()) codes.push_back(code);
    }
    if (in.bad()) throw Error(csvFile.string() + ": cannot be read");
    return codes;
}

void writeTraffic(const Traffic& traffic, const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::path aircraftRoot = folder / "sim" / "Aircraft";
    std::filesystem::create_directories(aircraftRoot, error);
    if (error) throw Error(aircraftRoot.string() + ": cannot be made: " + error.message());
    platform::writeFileAtomically(folder / "flightplans.txt", traffic.flightPlans);
    platform::writeFileAtomically(folder / "aircraft.txt", traffic.aircraftList);
    for (const AircraftConfig& config : traffic.aircraftConfigs) {
        std::filesystem::create_directories(aircraftRoot / config.folder, error);
        if (error) throw Error((aircraftRoot / config.folder).string() + ": cannot be made: " + error.message());
        platform::writeFileAtomically(aircraftRoot / config.folder / "aircraft.cfg", config.text);
    }
}

}  // namespace quorvel::traffic
