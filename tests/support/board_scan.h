// tests/support/board_scan.h: the board's rows found by reading every row of the table.
// This is the reference the airport indexes are checked against: it follows the filter
// expression word for word (fields looked up by name, the order applied by the sort text), so
// it shares nothing with the indexed selection but the query.
#pragma once

#include "board/board_query.h"
#include "tables/table.h"

namespace quorvel::test {

// The rows of `flights` that pass the query, in board order (equal keys keep stored order).
tables::View scanBoard(const tables::Table& flights, const board::BoardQuery& query);

}  // namespace quorvel::test
