#include "tables/string_pool.h"

#include <algorithm>
#include <cstring>
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
    // Eight bytes at a time: most texts are codes and times, but names run to thirty characters.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    for (std::size_t i = 0; i < n; ++i) tail |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
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
    if (last_ != nullText && this->text(last_) == text) return last_;
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash(text) & mask;
    for (;; slot = (slot + 1) & mask) {
        const TextId id = slots_[slot];
        if (id == nullText) break;
        if (this->text(id) == text) return last_ = id;
    }
    const auto id = TextId(offsets_.size());
    offsets_.push_back(std::uint32_t(bytes_.size()));
    bytes_.push_back(char(text.size()));
    bytes_.append(text);
    slots_[slot] = id;
    ranks_.clear();
    if (offsets_.size() * 2 > slots_.size()) grow();
    return last_ = id;
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
