// tables/table.h: an in-memory table of rows over a fixed list of fields.
//
// Storage is by column. A text cell is a 32-bit number into its column's StringPool, so a
// flight row of thirteen texts, a small integer and a truth value takes 56 bytes however long
// its texts are, and filtering or ordering compares integers. Null (never set) is its own cell
// value in every column, distinct from the empty text.
//
// A filtered and ordered selection is a View: row numbers into the table, never copied rows.
// Row numbers stay valid until a row is erased or the table is replaced.
#pragma once

#include "platform/huge_pages.h"
#include "tables/string_pool.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel::tables {

enum class FieldType { Text, Int16, Boolean };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0;  // Text: the most characters a value keeps (1..255); unused otherwise

    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

// A stored index definition: a name, the fields it orders by ("A;B") and its option bits.
// Lookups and ordering take field lists, so nothing selects an index by its name.
struct IndexDef {
    std::string name;
    std::string fields;
    int options = 0;

    friend bool operator==(const IndexDef&, const IndexDef&) = default;
};

struct Schema {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    int fieldIndex(std::string_view name) const;  // -1 when there is no such field (letter case ignored)
    friend bool operator==(const Schema&, const Schema&) = default;
};

using RowId = std::uint32_t;
using View = std::vector<RowId>;
// A column's cells; the columns of a large table share one block of huge pages.
template <typename T>
using Cells = std::vector<T, platform::ArenaAllocator<T>>;

class Table {
public:
    explicit Table(Schema schema = {});

    const Schema& schema() const { return schema_; }
    std::size_t fieldCount() const { return schema_.fields.size(); }
    std::size_t rowCount() const { return rows_; }

    void reserve(std::size_t rows);
    void resize(std::size_t rows);  // new rows have every field null; rows past `rows` go
    // resize() of one field's cells: a reader may size the columns it fills on the threads that
    // fill them. The row count stays until resize() brings every field to the same length.
    void resizeField(int field, std::size_t rows);
    RowId appendRow();         // a new row with every field null
    void eraseRow(RowId row);  // later rows move up by one
    void clear();

    // Setting a text longer than the field's width keeps its first `width` characters.
    void setText(RowId row, int field, std::string_view value);
    void setInt(RowId row, int field, std::int16_t value);
    void setBool(RowId row, int field, bool value);
    void setNull(RowId row, int field);

    bool isNull(RowId row, int field) const;
    std::string_view text(RowId row, int field) const;  // empty when null
    std::int16_t integer(RowId row, int field) const;   // 0 when null
    bool boolean(RowId row, int field) const;           // false when null

    // Direct reads for queries that work on text numbers rather than texts.
    const Cells<TextId>& textIds(int field) const { return columns_[field].ids; }
    const StringPool& pool(int field) const { return columns_[field].pool; }
    const Cells<std::int16_t>& intValues(int field) const { return columns_[field].ints; }
    // Int16: 0 null, 1 a value; Boolean: 0 null, 1 false, 2 true.
    const Cells<std::uint8_t>& marks(int field) const { return columns_[field].marks; }

    View allRows() const;  // every row in stored order
    // Orders `view` by a field list such as "SCHEDULING_DEP;TIME_DEP", ascending, keeping the
    // previous order of rows with equal keys; null sorts before every value. Throws on an unknown field.
    void orderBy(View& view, std::string_view fieldList) const;
    // Every row ordered by one text field as orderBy() does it, in one pass over the rows.
    View rowsOrderedBy(int textField) const;

    std::size_t memoryBytes() const;  // what the cells and texts take, for memory estimates

    // Whole-number packet properties ("UTC_OFFSET_HOURS" = -1) that travel with the table in its
    // file; setting a name again replaces its value.
    void setIntegerProperty(std::string_view name, std::int32_t value);
    std::optional<std::int32_t> integerProperty(std::string_view name) const;
    const std::vector<std::pair<std::string, std::int32_t>>& integerProperties() const { return integerProperties_; }

private:
    struct Column {
        Cells<TextId> ids;          // Text
        StringPool pool;            // Text
        Cells<std::int16_t> ints;   // Int16
        Cells<std::uint8_t> marks;  // Int16: 0 null, 1 value; Boolean: 0 null, 1 false, 2 true
    };

    Schema schema_;
    std::vector<Column> columns_;
    std::size_t rows_ = 0;
    std::vector<std::pair<std::string, std::int32_t>> integerProperties_;
};

std::vector<int> parseFieldList(const Schema& schema, std::string_view fieldList);  // throws quorvel::Error

}  // namespace quorvel::tables
