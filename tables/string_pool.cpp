#include "tables/string_pool.h"

#include <algorithm>
#include <numeric>

namespace quorvel::tables {

StringPool::StringPool()
{
    offsets_.push_back(0);  // nullText
    bytes_.push_back('\0');
    slots_.assign(64, nullText);
}

std::uint64_t StringPool::hash(std::string_view text)
{
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a: the texts are short
    for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h ^ (h >> 29);
}

std::string_view StringPool::text(TextId id) const
{
    if (id == nullText || id >= offsets_.size()) return {};
    const std::uint32_t at = offsets_[id];
    return {bytes_.data() + at + 1, static_cast<unsigned char>(bytes_[at])};
}

TextId StringPool::find(std::string_view text) const
{
    if (text.size() > 255) return nullText;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash(text) & mask;; slot = (slot + 1) & mask) {
        const TextId id = slots_[slot];
        if (id == nullText) return nullText;
        if (this->text(id) == text) return id;
    }
}

TextId StringPool::intern(std::string_view text)
{
    if (text.size() > 255) text = text.substr(0, 255);  // no field is wider than a length byte
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash(text) & mask;
    for (;; slot = (slot + 1) & mask) {
        const TextId id = slots_[slot];
        if (id == nullText) break;
        if (this->text(id) == text) return id;
    }
    const auto id = TextId(offsets_.size());
    offsets_.push_back(std::uint32_t(bytes_.size()));
    bytes_.push_back(char(text.size()));
    bytes_.append(text);
    slots_[slot] = id;
    ranks_.clear();
    if (offsets_.size() * 2 > slots_.size()) grow();
    return id;
}

void StringPool::grow()
{
    slots_.assign(slots_.size() * 2, nullText);
    const std::size_t mask = slots_.size() - 1;
    for (TextId id = 1; id < offsets_.size(); ++id) {
        std::size_t slot = hash(text(id)) & mask;
        while (slots_[slot] != nullText) slot = (slot + 1) & mask;
        slots_[slot] = id;
    }
}

const std::vector<std::uint32_t>& StringPool::ranks() const
{
    if (ranks_.size() == offsets_.size()) return ranks_;
    std::vector<TextId> order(offsets_.size() - 1);
    std::iota(order.begin(), order.end(), TextId{1});
    std::sort(order.begin(), order.end(), [this](TextId a, TextId b) { return text(a) < text(b); });
    ranks_.assign(offsets_.size(), 0);
    for (std::size_t i = 0; i < order.size(); ++i) ranks_[order[i]] = std::uint32_t(i + 1);
    return ranks_;
}

std::size_t StringPool::memoryBytes() const
{
    return bytes_.capacity() + offsets_.capacity() * sizeof(std::uint32_t) + slots_.capacity() * sizeof(TextId) +
           ranks_.capacity() * sizeof(std::uint32_t);
}

}  // namespace quorvel::tables
