// tables/string_pool.h: the distinct texts of one text column, each stored once.
// A cell holds a 32-bit text number instead of the text. Flight tables repeat a few
// thousand airport codes, names, airlines and times over a million rows, so this keeps
// a row small and lets a query compare numbers instead of texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::tables {

using TextId = std::uint32_t;
inline constexpr TextId nullText = 0;  // the cell holds no value; every real text has a number from 1

class StringPool {
public:
    StringPool();

    TextId intern(std::string_view text);      // the text's number, adding it when new
    TextId find(std::string_view text) const;  // nullText when the pool does not hold it
    std::string_view text(TextId id) const     // empty for nullText
    {
        if (id == nullText || id >= offsets_.size()) return {};
        const std::uint32_t at = offsets_[id];
        return {bytes_.data() + at + 1, static_cast<unsigned char>(bytes_[at])};
    }
    std::size_t size() const { return offsets_.size(); }  // texts held, nullText included

    // Position of each text number in byte order (rank[nullText] == 0, before every text), so
    // ordering cells compares two integers. Computed on demand and kept until the next new text.
    const std::vector<std::uint32_t>& ranks() const;

    std::size_t memoryBytes() const;

private:
    void grow();
    static std::uint64_t hash(std::string_view text);
    bool holds(TextId id, std::string_view text) const;  // the text numbered `id` is `text`

    std::string bytes_;                   // each text as a length byte and its characters
    std::vector<std::uint32_t> offsets_;  // offsets_[id]: where the text's length byte stands
    std::vector<TextId> slots_;           // open addressing over the ids; nullText marks a free slot
    TextId last_ = nullText;              // the text interned last: columns repeat a value row after row
    mutable std::vector<std::uint32_t> ranks_;
};

}  // namespace quorvel::tables
