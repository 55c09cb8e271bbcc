#include "bench/sqlite_board.h"

#include "tables/flight_table.h"

#include <sqlite3.h>
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

void execute(sqlite3* db, const std::string& sql) { check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), sql.c_str()); }

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
        return "SELECT rowid FROM flights WHERE " + code + " AND SCHEDULING_" + x + " LIKE ?2" + limits + " AND TIME_" + x +
               " >= ?5 ORDER BY TIME_" + x + ", rowid";
    default:
        return "SELECT rowid FROM flights WHERE (" + code + " AND SCHEDULING_" + x + " LIKE ?6 AND TIME_" + x + " >= ?5" +
               limits + ") OR (" + code + " AND SCHEDULING_" + x + " LIKE ?2" + limits + ") ORDER BY SCHEDULING_" + x +
               ", TIME_" + x + ", rowid";
    }
}

sqlite3_stmt* SqliteBoard::statement(const board::BoardQuery& query)
{
    sqlite3_stmt*& s = statements_[query.predicate.direction == Direction::Departure ? 0 : 1][shapeOf(query.predicate)];
    if (!s) check(db_, sqlite3_prepare_v3(db_, sql(query).c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr), "prepare");
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
