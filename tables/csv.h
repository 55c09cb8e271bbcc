// tables/csv.h: a table's rows as RFC 4180 CSV, for spreadsheets and scripts.
// A header line of the field names, then one line per row of the view, CR LF line ends.
// A null value is an empty field, an empty text is "", Booleans are True/False, integers
// decimal; text is converted from Windows-1252 to UTF-8 and quoted only when it must be.
#pragma once

#include "tables/table.h"

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::tables {

void writeCsv(std::ostream& out, const Table& table, const View& rows);
// The same with columns before the fields: their names, then row i's values in leadValues[i].
void writeCsv(std::ostream& out, const Table& table, const View& rows, const std::vector<std::string>& leadNames,
              const std::vector<std::vector<std::string>>& leadValues);

}  // namespace quorvel::tables
