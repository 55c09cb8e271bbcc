// tables/group_index.h: the rows of a table grouped by a text field, letter case ignored, each
// group kept in the order of a second text field.
//
// The board asks for one airport's departures (or arrivals) in time order. Scanning a million
// rows for the few dozen of a quiet airport costs milliseconds; with this index the query reads
// that airport's rows alone, already in board order. It is built once, when the table is loaded,
// in linear time, and takes one row number per row. A table changed afterwards needs a new index.
#pragma once

#include "tables/string_pool.h"
#include "tables/table.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quorvel::tables {

class GroupIndex {
public:
    GroupIndex() = default;  // no rows
    // Throws quorvel::Error when either field is not a text field.
    GroupIndex(const Table& table, int keyField, int orderField);
    // The same, the groups keeping the order of `ordered`, which holds every row of the table
    // once (a view already sorted by the order field saves the sort). Throws quorvel::Error
    // when the key is not a text field or `ordered` has another number of rows.
    GroupIndex(const Table& table, int keyField, std::span<const RowId> ordered);

    // The rows whose key equals `key` without regard to ASCII letter case, ordered by the order
    // field (null first, then texts in byte order) and rows with equal values by row number.
    // Empty for an empty or unknown key; null keys belong to no group.
    std::span<const RowId> rows(std::string_view key) const;

    std::size_t memoryBytes() const;

private:
    static void checkTextField(const Table& table, int field);
    void group(const Table& table, int keyField, std::span<const RowId> ordered);

    StringPool keys_;                    // the folded keys; a key's number is its group's
    std::vector<std::uint32_t> starts_;  // group g holds rows_[starts_[g] .. starts_[g + 1])
    std::vector<RowId> rows_;
};

}  // namespace quorvel::tables
