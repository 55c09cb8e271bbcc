// bench/sqlite_board.h: the baseline the board query is measured against: the same flight rows
// in an in-memory SQLite database, with an index on each airport code column that ignores letter
// case, answering the board query with the same predicate and the same order.
#pragma once

#include "board/board_query.h"
#include "board/board_time.h"
#include "tables/table.h"

struct sqlite3;
struct sqlite3_stmt;

class SqliteBoard {
public:
    // Copies every row of `flights` (row r becomes rowid r + 1). Throws std::runtime_error.
    explicit SqliteBoard(const quorvel::tables::Table& flights);
    ~SqliteBoard();
    SqliteBoard(const SqliteBoard&) = delete;
    SqliteBoard& operator=(const SqliteBoard&) = delete;

    // The rows the query shows, as row numbers of the copied table, in board order; rows with
    // equal sort keys in row order, as the program keeps them. The statements are prepared once
    // and reused, SQLite's best case.
    quorvel::tables::View select(const quorvel::board::BoardQuery& query);

    // The statement select() runs for `query`, for the report.
    static std::string sql(const quorvel::board::BoardQuery& query);

    // The board in another zone or a window, departures: a table of the legs' instances, one row a
    // leg and day digit with its Greenwich minute of the week (day digit, then the stored time moved
    // back by `utcOffsetHours`), indexed on airport and that minute.
    void addInstances(const quorvel::tables::Table& flights, int utcOffsetHours);
    // The instances in the query's interval, in time order and then row order, as the board shows them.
    quorvel::board::Instances selectInstances(const quorvel::board::InstanceQuery& query);

private:
    sqlite3_stmt* statement(const quorvel::board::BoardQuery& query);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statements_[2][3] = {};  // direction, then: plain, from a time, midnight wrap
    sqlite3_stmt* instances_ = nullptr;
};
