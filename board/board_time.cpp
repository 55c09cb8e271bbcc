#include "board/board_time.h"

#include "platform/zone_offsets.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace quorvel::board {

namespace {

using namespace std::chrono;
using tables::RowId;
using tables::StringPool;
using tables::Table;
using tables::TextId;

constexpr int minutesPerDay = 24 * 60;
constexpr int minutesPerWeek = 7 * minutesPerDay;

int wrap(int value, int modulus)
{
    return (value % modulus + modulus) % modulus;
}

sys_seconds asInstant(const LocalDateTime& t)
{
    return sys_days{year{t.year} / month{unsigned(t.month)} / day{unsigned(t.day)}} + hours{t.hour} +
           minutes{t.minute} + seconds{t.second};
}

LocalDateTime fromInstant(sys_seconds moment)
{
    return LocalDateTime{1970, 1, 1, 0, 0, 0}.plusMinutes(floor<minutes>(moment).time_since_epoch().count());
}

int offsetMinutesAt(const std::string& zone, sys_seconds moment)
{
    return int(duration_cast<minutes>(platform::zoneOffsetAt(zone, moment)->utcOffset).count());
}

// The zone's offset at a wall-clock time of the zone. In a gap or an overlap of a daylight-saving
// change the wall time has no single instant; either offset is then taken.
int offsetMinutesAtWall(const std::string& zone, const LocalDateTime& wall)
{
    const sys_seconds asIfUtc = asInstant(wall);
    const int first = offsetMinutesAt(zone, asIfUtc);
    return offsetMinutesAt(zone, asIfUtc - minutes{first});
}

int minuteOfWeek(const LocalDateTime& t)
{
    return t.weekday() * minutesPerDay + t.hour * 60 + t.minute;
}

// Minutes after midnight of a stored "HH:MM"; -1 for anything else.
int storedMinutes(std::string_view text)
{
    const auto digit = [&text](std::size_t i) { return text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -100; };
    if (text.size() != 5 || text[2] != ':') return -1;
    const int hour = digit(0) * 10 + digit(1);
    const int minute = digit(3) * 10 + digit(4);
    return hour < 0 || hour > 23 || minute < 0 || minute > 59 ? -1 : hour * 60 + minute;
}

// Everything the row loop reads, worked out once per query: the instances' weekly minute of each
// (time text, day digit) and the limits.
class InstanceFinder {
public:
    InstanceFinder(const Table& flights, const InstanceQuery& query)
        : query_(query),
          times_(flights.textIds(timeField()).data()),
          schedules_(flights.textIds(schedulingField()).data()),
          percents_(flights.intValues(tables::TPercent).data()),
          percentMarks_(flights.marks(tables::TPercent).data()),
          nationalMarks_(flights.marks(tables::National).data())
    {
        const BoardInterval& interval = query.interval;
        const int startOfWeek = minuteOfWeek(interval.start);
        const StringPool& timePool = flights.pool(timeField());
        // Minutes after the interval's start of the instance on Sunday; other days add whole days.
        sundayDelta_.assign(timePool.size(), -1);
        for (TextId id = 1; id < timePool.size(); ++id) {
            const int stored = storedMinutes(timePool.text(id));
            if (stored < 0) continue;
            const int greenwich = query.toGreenwich ? wrap(stored + query.tableShiftMinutes, minutesPerDay) : stored;
            sundayDelta_[id] = wrap(greenwich + interval.offsetMinutes - startOfWeek, minutesPerWeek);
        }
        const StringPool& schedulingPool = flights.pool(schedulingField());
        dayBits_.assign(schedulingPool.size(), 0);
        for (TextId id = 1; id < schedulingPool.size(); ++id)
            for (const char c : schedulingPool.text(id))
                if (c >= '0' && c <= '6') dayBits_[id] = std::uint8_t(dayBits_[id] | 1u << (c - '0'));
        buckets_.assign(std::size_t(interval.lengthMinutes) + 1, 0);
    }

    // Notes the row's instances in the interval.
    void take(RowId row)
    {
        const Predicate& p = query_.predicate;
        if (!percentMarks_[row] || percents_[row] > p.maxPercent || nationalMarks_[row] != (p.national ? 2 : 1)) return;
        const int sunday = sundayDelta_[times_[row]];
        const unsigned days = dayBits_[schedules_[row]];
        if (sunday < 0 || days == 0) return;
        for (int d = 0; d < 7; ++d) {
            if (!(days & 1u << d)) continue;
            const int delta = wrap(sunday + d * minutesPerDay, minutesPerWeek);
            if (delta >= query_.interval.lengthMinutes) continue;
            found_.push_back({row, delta});
            ++buckets_[std::size_t(delta) + 1];
        }
    }

    // The instances in time order by a counting sort over the minutes, which keeps the order in
    // which the rows were taken for instances of one minute.
    Instances ordered()
    {
        for (std::size_t b = 1; b < buckets_.size(); ++b) buckets_[b] += buckets_[b - 1];
        Instances result;
        result.rows.resize(found_.size());
        result.minutes.resize(found_.size());
        for (const Found& f : found_) {
            const std::uint32_t at = buckets_[std::size_t(f.delta)]++;
            result.rows[at] = f.row;
            result.minutes[at] = f.delta;
        }
        return result;
    }

private:
    struct Found {
        RowId row;
        std::int32_t delta;
    };

    bool departure() const { return query_.predicate.direction == Direction::Departure; }
    int timeField() const { return departure() ? tables::TimeDep : tables::TimeArr; }
    int schedulingField() const { return departure() ? tables::SchedulingDep : tables::SchedulingArr; }

    const InstanceQuery& query_;
    const TextId* times_;
    const TextId* schedules_;
    const std::int16_t* percents_;
    const std::uint8_t* percentMarks_;
    const std::uint8_t* nationalMarks_;
    std::vector<int> sundayDelta_;
    std::vector<std::uint8_t> dayBits_;
    std::vector<std::uint32_t> buckets_;
    std::vector<Found> found_;
};

std::string twoDigits(int value)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

std::string dateTimeText(const LocalDateTime& t)
{
    return dateText(t) + " " + t.timeText();
}

}  // namespace

bool usesInstances(const TimeInputs& time)
{
    return time.mode != TimeMode::Computer || time.windowHours > 0;
}

InstanceQuery buildInstanceQuery(const BoardInputs& inputs, const TimeInputs& time)
{
    InstanceQuery query;
    query.predicate.direction = inputs.direction;
    query.predicate.airport = inputs.airport;
    query.predicate.maxPercent = trafficBound(inputs.trafficPercent);
    query.predicate.national = inputs.national;

    BoardInterval& interval = query.interval;
    interval.mode = time.mode;
    if (time.mode == TimeMode::Airport) {
        if (time.airportZone && platform::isKnownZone(*time.airportZone)) {
            interval.zone = *time.airportZone;
        } else {
            interval.mode = TimeMode::Computer;
            interval.fellBack = true;
        }
    } else if (time.mode == TimeMode::Utc) {
        interval.zone = "UTC";
    }

    LocalDateTime reference = inputs.moment;
    if (interval.mode == TimeMode::Airport) {
        if (time.present) {
            interval.offsetMinutes = offsetMinutesAt(interval.zone, *time.present);
            reference = fromInstant(*time.present + minutes{interval.offsetMinutes});
        } else {
            interval.offsetMinutes = offsetMinutesAtWall(interval.zone, inputs.moment);
        }
    } else if (interval.mode == TimeMode::Utc && time.present) {
        reference = fromInstant(*time.present);
    }
    reference.second = 0;
    interval.reference = reference;
    query.toGreenwich = interval.mode != TimeMode::Computer;
    query.tableShiftMinutes = time.utcOffsetHours * 60;

    const int cut = inputs.cut15 ? 15 : 0;
    const int window = std::clamp(time.windowHours, 0, maxWindowHours);
    interval.start = reference.plusMinutes(-cut);
    if (window > 0) {
        interval.lengthMinutes = window * 60 + cut;
    } else if (inputs.cut15) {
        interval.lengthMinutes = minutesPerDay - (reference.hour * 60 + reference.minute) + cut;
    } else {
        interval.start.hour = interval.start.minute = 0;
        interval.lengthMinutes = minutesPerDay;
    }
    interval.end = interval.start.plusMinutes(interval.lengthMinutes);
    return query;
}

Instances selectInstances(const tables::LoadedFlights& loaded, const InstanceQuery& query)
{
    const bool departure = query.predicate.direction == Direction::Departure;
    const std::span<const RowId> rows = (departure ? loaded.departures : loaded.arrivals).rows(query.predicate.airport);
    if (rows.empty() || loaded.table.schema().fields != tables::flightSchema().fields) return {};
    // The index keeps an airport's rows in time order, so rows of one instant, which share their
    // stored time, come in row order as they do in a scan of the table.
    InstanceFinder finder(loaded.table, query);
    for (const RowId row : rows) finder.take(row);
    return finder.ordered();
}

std::optional<int> recordedUtcOffsetHours(const tables::Table& flights)
{
    return flights.integerProperty(tables::utcOffsetPropertyName);
}

std::string assumedOffsetNotice(int assumedHours)
{
    return std::string("The flight table does not record the UTC offset it was converted with; taken as ") +
           std::to_string(assumedHours) + " hours, as a conversion now would.";
}

std::string utcOffsetText(int offsetMinutes)
{
    const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return std::string("UTC") + (offsetMinutes < 0 ? "-" : "+") + twoDigits(magnitude / 60) + ":" +
           twoDigits(magnitude % 60);
}

std::string timesText(const BoardInterval& interval, int windowHours, const std::string& airport)
{
    std::string text = "Times: ";
    if (interval.mode == TimeMode::Computer) {
        text += "computer";
        if (interval.fellBack) text += " (no time zone for " + airport + ")";
    } else {
        text += interval.zone + " (" + utcOffsetText(interval.offsetMinutes) + ")";
    }
    if (windowHours > 0) text += ", next " + std::to_string(windowHours) + " h";
    return text;
}

std::string dateText(const LocalDateTime& moment)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", moment.year % 10000, moment.month % 100, moment.day % 100);
    return text;
}

const char* dayName(int weekday)
{
    static const char* const names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return names[wrap(weekday, 7)];
}

std::string instanceTimeText(const BoardInterval& interval, std::int32_t minutes)
{
    const LocalDateTime at = interval.start.plusMinutes(minutes);
    const bool sameDate =
        at.year == interval.reference.year && at.month == interval.reference.month && at.day == interval.reference.day;
    return sameDate ? at.timeText() : std::string(dayName(at.weekday())) + " " + at.timeText();
}

std::string explainText(const BoardInterval& interval)
{
    const std::string zone = interval.mode == TimeMode::Computer
                                 ? std::string("computer")
                                 : interval.zone + " " + utcOffsetText(interval.offsetMinutes);
    return "zone " + zone + "\n" + "from " + dateTimeText(interval.start) + "\n" + "to " + dateTimeText(interval.end) +
           "\n";
}

}  // namespace quorvel::board
