#include "bench/sqlite_board.h"

#include "tables/flight_table.h"

#include <sqlite3.h>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

using namespace quorvel;
using board::Direction;

void check(sqlite3* db, int status, const char* what)
{
    if (status != SQLITE_OK && status != SQLITE_DONE && status != SQLITE_ROW)
        throw std::runtime_error(std::string("SQLite: ") + what + ": " + sqlite3_errmsg(db));
}

void execute(sqlite3* db, const std::string& sql)
{
    check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), sql.c_str());
}

int shapeOf(const board::Predicate& p)
{
    if (p.clauses.size() == 2) return 2;
    return !p.clauses.empty() && p.clauses.front().fromTime ? 1 : 0;
}

}  // namespace

SqliteBoard::SqliteBoard(const tables::Table& flights)
{
    check(db_, sqlite3_open(":memory:", &db_), "open");
    std::string create = "CREATE TABLE flights(";
    std::string insert = "INSERT INTO flights VALUES(";
    const auto& fields = flights.schema().fields;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const bool code = int(f) == tables::IcaoCodeDep || int(f) == tables::IcaoCodeArr;
        create += (f ? ", " : "") + fields[f].name +
                  (fields[f].type == tables::FieldType::Text ? (code ? " TEXT COLLATE NOCASE" : " TEXT") : " INTEGER");
        insert += f ? ",?" : "?";
    }
    execute(db_, create + ")");
    execute(db_, "BEGIN");
    sqlite3_stmt* add = nullptr;
    check(db_, sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &add, nullptr), "prepare insert");
    for (tables::RowId row = 0; row < flights.rowCount(); ++row) {
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const int column = int(f) + 1;
            if (flights.isNull(row, int(f))) {
                sqlite3_bind_null(add, column);
            } else if (fields[f].type == tables::FieldType::Text) {
                const std::string_view text = flights.text(row, int(f));
                sqlite3_bind_text(add, column, text.data(), int(text.size()), SQLITE_STATIC);
            } else if (fields[f].type == tables::FieldType::Int16) {
                sqlite3_bind_int(add, column, flights.integer(row, int(f)));
            } else {
                sqlite3_bind_int(add, column, flights.boolean(row, int(f)) ? 1 : 0);
            }
        }
        check(db_, sqlite3_step(add), "insert");
        sqlite3_reset(add);
    }
    sqlite3_finalize(add);
    execute(db_, "COMMIT");
    execute(db_, "CREATE INDEX flights_dep_code ON flights(ICAO_CODE_DEP COLLATE NOCASE)");
    execute(db_, "CREATE INDEX flights_arr_code ON flights(ICAO_CODE_ARR COLLATE NOCASE)");
    execute(db_, "ANALYZE");
}

SqliteBoard::~SqliteBoard()
{
    sqlite3_finalize(instances_);
    for (auto& byShape : statements_)
        for (sqlite3_stmt* s : byShape) sqlite3_finalize(s);
    sqlite3_close(db_);
}

std::string SqliteBoard::sql(const board::BoardQuery& query)
{
    const std::string x = query.predicate.direction == Direction::Departure ? "DEP" : "ARR";
    const std::string limits = " AND TPERCENT <= ?3 AND N = ?4";
    const std::string code = "ICAO_CODE_" + x + " = ?1";
    switch (shapeOf(query.predicate)) {
        case 0:
            return "SELECT rowid FROM flights WHERE " + code + " AND SCHEDULING_" + x + " LIKE ?2" + limits +
                   " ORDER BY TIME_" + x + ", rowid";
        case 1:
            return "SELECT rowid FROM flights WHERE " + code + " AND SCHEDULING_" + x + " LIKE ?2" + limits +
                   " AND TIME_" + x + " >= ?5 ORDER BY TIME_" + x + ", rowid";
        default:
            return "SELECT rowid FROM flights WHERE (" + code + " AND SCHEDULING_" + x + " LIKE ?6 AND TIME_" + x +
                   " >= ?5" + limits + ") OR (" + code + " AND SCHEDULING_" + x + " LIKE ?2" + limits +
                   ") ORDER BY SCHEDULING_" + x + ", TIME_" + x + ", rowid";
    }
}

sqlite3_stmt* SqliteBoard::statement(const board::BoardQuery& query)
{
    sqlite3_stmt*& s = statements_[query.predicate.direction == Direction::Departure ? 0 : 1][shapeOf(query.predicate)];
    if (!s)
        check(db_, sqlite3_prepare_v3(db_, sql(query).c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr), "prepare");
    return s;
}

tables::View SqliteBoard::select(const board::BoardQuery& query)
{
    const board::Predicate& p = query.predicate;
    sqlite3_stmt* s = statement(query);
    const board::DayClause& today = p.clauses.back();
    const std::string todayLike = std::string("%") + today.day + "%";
    sqlite3_bind_text(s, 1, p.airport.data(), int(p.airport.size()), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, todayLike.data(), int(todayLike.size()), SQLITE_STATIC);
    sqlite3_bind_int(s, 3, p.maxPercent);
    sqlite3_bind_int(s, 4, p.national ? 1 : 0);
    std::string previousLike;
    const board::DayClause& first = p.clauses.front();
    if (first.fromTime) sqlite3_bind_text(s, 5, first.fromTime->data(), int(first.fromTime->size()), SQLITE_STATIC);
    if (p.clauses.size() == 2) {
        previousLike = std::string("%") + first.day + "%";
        sqlite3_bind_text(s, 6, previousLike.data(), int(previousLike.size()), SQLITE_STATIC);
    }
    tables::View rows;
    int status;
    while ((status = sqlite3_step(s)) == SQLITE_ROW) rows.push_back(tables::RowId(sqlite3_column_int64(s, 0) - 1));
    check(db_, status, "query");
    sqlite3_reset(s);
    return rows;
}

void SqliteBoard::addInstances(const tables::Table& flights, int utcOffsetHours)
{
    execute(
        db_,
        "CREATE TABLE departures(row INTEGER, code TEXT COLLATE NOCASE, gmow INTEGER, tpercent INTEGER, n INTEGER)");
    execute(db_, "BEGIN");
    sqlite3_stmt* add = nullptr;
    check(db_, sqlite3_prepare_v2(db_, "INSERT INTO departures VALUES(?,?,?,?,?)", -1, &add, nullptr),
          "prepare instances");
    for (tables::RowId row = 0; row < flights.rowCount(); ++row) {
        // A null code, percentage or national flag shows no row; so does a time that is not HH:MM.
        if (flights.isNull(row, tables::IcaoCodeDep) || flights.isNull(row, tables::TPercent) ||
            flights.isNull(row, tables::National))
            continue;
        const std::string_view time = flights.text(row, tables::TimeDep);
        if (time.size() != 5 || time[2] != ':') continue;
        const int hour = (time[0] - '0') * 10 + (time[1] - '0'), minute = (time[3] - '0') * 10 + (time[4] - '0');
        if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || time[0] > '9' || time[1] > '9' || time[3] > '9' ||
            time[4] > '9')
            continue;
        const int greenwich = ((hour * 60 + minute + utcOffsetHours * 60) % 1440 + 1440) % 1440;
        const std::string_view code = flights.text(row, tables::IcaoCodeDep);
        for (char day = '0'; day <= '6'; ++day) {
            if (flights.text(row, tables::SchedulingDep).find(day) == std::string_view::npos) continue;
            sqlite3_bind_int64(add, 1, row);
            sqlite3_bind_text(add, 2, code.data(), int(code.size()), SQLITE_STATIC);
            sqlite3_bind_int(add, 3, (day - '0') * 1440 + greenwich);
            sqlite3_bind_int(add, 4, flights.integer(row, tables::TPercent));
            sqlite3_bind_int(add, 5, flights.boolean(row, tables::National) ? 1 : 0);
            check(db_, sqlite3_step(add), "insert instance");
            sqlite3_reset(add);
        }
    }
    sqlite3_finalize(add);
    execute(db_, "COMMIT");
    execute(db_, "CREATE INDEX departures_code_gmow ON departures(code COLLATE NOCASE, gmow)");
    execute(db_, "ANALYZE");
}

board::Instances SqliteBoard::selectInstances(const board::InstanceQuery& query)
{
    constexpr int week = 7 * 1440;
    if (!instances_)
        check(db_,
              sqlite3_prepare_v3(
                  db_,
                  "SELECT row, ((gmow - ?2) % 10080 + 10080) % 10080 AS d FROM departures WHERE code = ?1 AND "
                  "((gmow >= ?2 AND gmow < ?3) OR gmow < ?4) AND tpercent <= ?5 AND n = ?6 ORDER BY d, row",
                  -1, SQLITE_PREPARE_PERSISTENT, &instances_, nullptr),
              "prepare instances query");
    const LocalDateTime& start = query.interval.start;
    const int startZone = start.weekday() * 1440 + start.hour * 60 + start.minute;
    const int startGreenwich = ((startZone - query.interval.offsetMinutes) % week + week) % week;
    const int end = startGreenwich + query.interval.lengthMinutes;
    const std::string& airport = query.predicate.airport;
    sqlite3_bind_text(instances_, 1, airport.data(), int(airport.size()), SQLITE_STATIC);
    sqlite3_bind_int(instances_, 2, startGreenwich);
    sqlite3_bind_int(instances_, 3, std::min(end, week));
    sqlite3_bind_int(instances_, 4, std::max(end - week, 0));
    sqlite3_bind_int(instances_, 5, query.predicate.maxPercent);
    sqlite3_bind_int(instances_, 6, query.predicate.national ? 1 : 0);
    board::Instances found;
    int status;
    while ((status = sqlite3_step(instances_)) == SQLITE_ROW) {
        found.rows.push_back(tables::RowId(sqlite3_column_int64(instances_, 0)));
        found.minutes.push_back(std::int32_t(sqlite3_column_int(instances_, 1)));
    }
    check(db_, status, "instances query");
    sqlite3_reset(instances_);
    return found;
}
