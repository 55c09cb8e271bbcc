#include "tables/table.h"

#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/huge_pages.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <ranges>

namespace quorvel::tables {

namespace {

// `rows` ordered by the rank of their text in one column: a counting sort, linear, and stable
// (rows of equal texts keep their order in `rows`).
template <typename Rows>
View orderedByRank(const Rows& rows, std::size_t count, const TextId* ids, const std::uint32_t* ranks,
                   std::size_t rankCount)
{
    std::vector<std::uint32_t> starts(rankCount + 1, 0);
    for (const RowId row : rows) ++starts[ranks[ids[row]] + 1];
    for (std::size_t r = 1; r < starts.size(); ++r) starts[r] += starts[r - 1];
    View ordered;
    platform::resizeFresh(ordered, count);
    for (const RowId row : rows) ordered[starts[ranks[ids[row]]]++] = row;
    return ordered;
}

}  // namespace

int Schema::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (platform::equalIgnoringAsciiCase(fields[i].name, name)) return int(i);
    return -1;
}

std::vector<int> parseFieldList(const Schema& schema, std::string_view fieldList)
{
    std::vector<int> fields;
    while (!fieldList.empty()) {
        const std::size_t end = std::min(fieldList.find(';'), fieldList.size());
        const std::string_view name = fieldList.substr(0, end);
        const int field = schema.fieldIndex(name);
        if (field < 0) throw Error("Field '" + std::string(name) + "' not found");
        fields.push_back(field);
        fieldList.remove_prefix(std::min(end + 1, fieldList.size()));
    }
    return fields;
}

Table::Table(Schema schema) : schema_(std::move(schema)), columns_(schema_.fields.size()) {}

namespace {

// Room for `rows` cells in a column not yet filled, taken from `arena` when there is one.
template <typename T>
void reserveCells(Cells<T>& cells, std::size_t rows, const std::shared_ptr<platform::PageArena>& arena)
{
    if (arena && cells.capacity() == 0) cells = Cells<T>(platform::ArenaAllocator<T>(arena));
    cells.reserve(rows);
}

}  // namespace

void Table::reserve(std::size_t rows)
{
    // A fresh table's columns are made in one block: a million rows' worth is first touched a huge
    // page at a time. A table that has cells grows them where they are.
    std::size_t bytes = 0;
    bool fresh = true;
    const auto add = [&](const auto& cells) {
        fresh = fresh && cells.capacity() == 0;
        bytes += platform::PageArena::footprint(rows * sizeof(cells[0]));
    };
    for (std::size_t f = 0; f < columns_.size(); ++f) {
        const Column& column = columns_[f];
        if (schema_.fields[f].type == FieldType::Text) add(column.ids);
        if (schema_.fields[f].type == FieldType::Int16) add(column.ints);
        if (schema_.fields[f].type != FieldType::Text) add(column.marks);
    }
    std::shared_ptr<platform::PageArena> arena;
    if (fresh && bytes >= platform::hugePageBytes) {
        try {
            arena = std::make_shared<platform::PageArena>(bytes);
        } catch (const std::bad_alloc&) {
            // No room for the block in one piece: the columns come from the heap, as small ones do.
        }
    }
    for (std::size_t f = 0; f < columns_.size(); ++f) {
        Column& column = columns_[f];
        if (schema_.fields[f].type == FieldType::Text) reserveCells(column.ids, rows, arena);
        if (schema_.fields[f].type == FieldType::Int16) reserveCells(column.ints, rows, arena);
        if (schema_.fields[f].type != FieldType::Text) reserveCells(column.marks, rows, arena);
    }
}

void Table::resize(std::size_t rows)
{
    for (std::size_t f = 0; f < columns_.size(); ++f) resizeField(int(f), rows);
    rows_ = rows;
}

namespace {

// Grows a column within the room reserved for it, its new pages made present in one call.
template <typename T>
void growCells(Cells<T>& cells, std::size_t rows, T value)
{
    if (rows > cells.size() && rows <= cells.capacity())
        platform::populatePages(cells.data() + cells.size(), (rows - cells.size()) * sizeof(T));
    cells.resize(rows, value);
}

}  // namespace

void Table::resizeField(int field, std::size_t rows)
{
    Column& column = columns_[std::size_t(field)];
    switch (schema_.fields[std::size_t(field)].type) {
        case FieldType::Text:
            growCells(column.ids, rows, nullText);
            break;
        case FieldType::Int16:
            growCells(column.ints, rows, std::int16_t{0});
            growCells(column.marks, rows, std::uint8_t{0});
            break;
        case FieldType::Boolean:
            growCells(column.marks, rows, std::uint8_t{0});
            break;
    }
}

RowId Table::appendRow()
{
    for (std::size_t f = 0; f < columns_.size(); ++f) {
        switch (schema_.fields[f].type) {
            case FieldType::Text:
                columns_[f].ids.push_back(nullText);
                break;
            case FieldType::Int16:
                columns_[f].ints.push_back(0);
                columns_[f].marks.push_back(0);
                break;
            case FieldType::Boolean:
                columns_[f].marks.push_back(0);
                break;
        }
    }
    return RowId(rows_++);
}

void Table::eraseRow(RowId row)
{
    if (row >= rows_) return;
    for (Column& column : columns_) {
        if (!column.ids.empty()) column.ids.erase(column.ids.begin() + row);
        if (!column.ints.empty()) column.ints.erase(column.ints.begin() + row);
        if (!column.marks.empty()) column.marks.erase(column.marks.begin() + row);
    }
    --rows_;
}

void Table::clear()
{
    columns_.assign(schema_.fields.size(), Column{});
    rows_ = 0;
}

void Table::setText(RowId row, int field, std::string_view value)
{
    const auto width = std::size_t(schema_.fields[field].width);
    Column& column = columns_[field];
    column.ids[row] = column.pool.intern(value.substr(0, std::min(width, value.size())));
}

void Table::setInt(RowId row, int field, std::int16_t value)
{
    columns_[field].ints[row] = value;
    columns_[field].marks[row] = 1;
}

void Table::setBool(RowId row, int field, bool value)
{
    columns_[field].marks[row] = value ? 2 : 1;
}

void Table::setNull(RowId row, int field)
{
    Column& column = columns_[field];
    switch (schema_.fields[field].type) {
        case FieldType::Text:
            column.ids[row] = nullText;
            break;
        case FieldType::Int16:
            column.ints[row] = 0;
            column.marks[row] = 0;
            break;
        case FieldType::Boolean:
            column.marks[row] = 0;
            break;
    }
}

bool Table::isNull(RowId row, int field) const
{
    const Column& column = columns_[field];
    return schema_.fields[field].type == FieldType::Text ? column.ids[row] == nullText : column.marks[row] == 0;
}

std::string_view Table::text(RowId row, int field) const
{
    const Column& column = columns_[field];
    return column.pool.text(column.ids[row]);
}

std::int16_t Table::integer(RowId row, int field) const
{
    return columns_[field].ints[row];
}

bool Table::boolean(RowId row, int field) const
{
    return columns_[field].marks[row] == 2;
}

View Table::allRows() const
{
    View view(rows_);
    std::iota(view.begin(), view.end(), RowId{0});
    return view;
}

View Table::rowsOrderedBy(int textField) const
{
    const Column& column = columns_[textField];
    const std::vector<std::uint32_t>& ranks = column.pool.ranks();
    return orderedByRank(std::views::iota(RowId{0}, RowId(rows_)), rows_, column.ids.data(), ranks.data(),
                         ranks.size());
}

void Table::orderBy(View& view, std::string_view fieldList) const
{
    // One integer sort key per field, so the comparison never touches a text.
    struct Key {
        const std::uint32_t* ranks = nullptr;  // Text: rank of each text number
        const TextId* ids = nullptr;
        const std::int16_t* ints = nullptr;
        const std::uint8_t* marks = nullptr;
        std::size_t texts = 0;  // Text: the ranks there are
        std::int32_t of(RowId row) const
        {
            if (ids) return std::int32_t(ranks[ids[row]]);
            if (ints) return marks[row] ? std::int32_t(ints[row]) + 32769 : 0;
            return marks[row];
        }
    };
    std::vector<Key> keys;
    for (const int field : parseFieldList(schema_, fieldList)) {
        const Column& column = columns_[field];
        Key key;
        switch (schema_.fields[field].type) {
            case FieldType::Text:
                key.ranks = column.pool.ranks().data();
                key.ids = column.ids.data();
                key.texts = column.pool.size();
                break;
            case FieldType::Int16:
                key.ints = column.ints.data();
                key.marks = column.marks.data();
                break;
            case FieldType::Boolean:
                key.marks = column.marks.data();
                break;
        }
        keys.push_back(key);
    }
    if (keys.size() == 1 && keys.front().ids) {
        const Key key = keys.front();
        view = orderedByRank(view, view.size(), key.ids, key.ranks, key.texts);
        return;
    }
    if (keys.size() == 1) {
        const Key key = keys.front();
        std::stable_sort(view.begin(), view.end(), [&key](RowId a, RowId b) { return key.of(a) < key.of(b); });
        return;
    }
    std::stable_sort(view.begin(), view.end(), [&keys](RowId a, RowId b) {
        for (const Key& key : keys) {
            const std::int32_t ka = key.of(a), kb = key.of(b);
            if (ka != kb) return ka < kb;
        }
        return false;
    });
}

std::size_t Table::memoryBytes() const
{
    std::size_t bytes = 0;
    for (const Column& column : columns_)
        bytes += column.ids.capacity() * sizeof(TextId) + column.ints.capacity() * sizeof(std::int16_t) +
                 column.marks.capacity() + (column.ids.empty() ? 0 : column.pool.memoryBytes());
    return bytes;
}

void Table::setIntegerProperty(std::string_view name, std::int32_t value)
{
    for (auto& [known, stored] : integerProperties_)
        if (known == name) {
            stored = value;
            return;
        }
    integerProperties_.emplace_back(std::string(name), value);
}

std::optional<std::int32_t> Table::integerProperty(std::string_view name) const
{
    for (const auto& [known, stored] : integerProperties_)
        if (known == name) return stored;
    return {};
}

}  // namespace quorvel::tables
