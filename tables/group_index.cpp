#include "tables/group_index.h"

#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/huge_pages.h"

#include <algorithm>
#include <string>

namespace quorvel::tables {

namespace {

constexpr std::size_t longestKey = 255;  // no text field is wider

// `text` with its ASCII letter case folded, in `buffer`: a query folds its key without allocating.
std::string_view fold(std::string_view text, char (&buffer)[longestKey])
{
    const std::size_t n = std::min(text.size(), longestKey);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = platform::foldAscii(text[i]);
    return {buffer, n};
}

}  // namespace

GroupIndex::GroupIndex(const Table& table, int keyField, int orderField)
{
    checkTextField(table, keyField);
    checkTextField(table, orderField);
    group(table, keyField, table.rowsOrderedBy(orderField));
}

GroupIndex::GroupIndex(const Table& table, int keyField, std::span<const RowId> ordered)
{
    checkTextField(table, keyField);
    if (ordered.size() != table.rowCount()) throw Error("A row group index needs every row of its table once");
    group(table, keyField, ordered);
}

void GroupIndex::checkTextField(const Table& table, int field)
{
    const Schema& schema = table.schema();
    if (field < 0 || std::size_t(field) >= schema.fields.size() ||
        schema.fields[std::size_t(field)].type != FieldType::Text)
        throw Error("A row group index needs two text fields");
}

void GroupIndex::group(const Table& table, int keyField, std::span<const RowId> ordered)
{
    // Each text number of the key column to its group; spellings that differ in case share one.
    const StringPool& keyTexts = table.pool(keyField);
    std::vector<std::uint32_t> groupOf(keyTexts.size(), 0);
    char buffer[longestKey];
    for (TextId id = 1; id < keyTexts.size(); ++id) groupOf[id] = keys_.intern(fold(keyTexts.text(id), buffer));

    // A stable counting sort by group over the rows in order. Null keys (group 0) are left out.
    const Cells<TextId>& keys = table.textIds(keyField);
    const std::size_t rowCount = table.rowCount();
    starts_.assign(keys_.size() + 1, 0);
    for (std::size_t row = 0; row < rowCount; ++row) ++starts_[groupOf[keys[row]] + 1];
    for (std::size_t g = 1; g < starts_.size(); ++g) starts_[g] += starts_[g - 1];
    platform::resizeFresh(rows_, rowCount - starts_[1]);  // the null keys' rows are not kept
    std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
    for (const RowId row : ordered) {
        const std::uint32_t group = groupOf[keys[row]];
        if (group != 0) rows_[next[group]++ - starts_[1]] = row;
    }
    const std::uint32_t nullRows = starts_[1];
    for (std::uint32_t& start : starts_) start = start >= nullRows ? start - nullRows : 0;
}

std::span<const RowId> GroupIndex::rows(std::string_view key) const
{
    if (key.empty() || key.size() > longestKey) return {};
    char buffer[longestKey];
    const TextId group = keys_.find(fold(key, buffer));
    if (group == nullText) return {};
    return std::span<const RowId>(rows_).subspan(starts_[group], starts_[group + 1] - starts_[group]);
}

std::size_t GroupIndex::memoryBytes() const
{
    return keys_.memoryBytes() + starts_.capacity() * sizeof(std::uint32_t) + rows_.capacity() * sizeof(RowId);
}

}  // namespace quorvel::tables
