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

namespace {

std::uint64_t load64(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

std::uint32_t load32(const char* p)
{
    std::uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

// The last (up to) eight bytes of a text as one number, read in at most two loads that may
// overlap (the bytes they share are the same, so or-ing them in place loses nothing): short
// texts (codes, times, day lists) cost no loop and no call.
std::uint64_t tailWord(const char* p, std::size_t n)
{
    if (n >= 8) return load64(p + n - 8);
    if (n >= 4) return load32(p) | std::uint64_t(load32(p + n - 4)) << (8 * (n - 4));
    if (n > 0)
        return std::uint64_t(static_cast<unsigned char>(p[0])) |
               std::uint64_t(static_cast<unsigned char>(p[n / 2])) << (8 * (n / 2)) |
               std::uint64_t(static_cast<unsigned char>(p[n - 1])) << (8 * (n - 1));
    return 0;
}

// Whether the n bytes at a and b are equal; most texts are short enough for two loads each.
bool sameBytes(const char* a, const char* b, std::size_t n)
{
    if (n > 16) return std::memcmp(a, b, n) == 0;
    if (n > 8) return load64(a) == load64(b) && load64(a + n - 8) == load64(b + n - 8);
    return tailWord(a, n) == tailWord(b, n);
}

}  // namespace

std::uint64_t StringPool::hash(std::string_view text)
{
    // Eight bytes at a time: most texts are codes and times, but names run to thirty characters.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n > 8; p += 8, n -= 8) {
        h = (h ^ load64(p)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    // Every byte must reach the low bits that pick a slot: the last digit of a flight number too.
    h ^= tailWord(p, n);
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDull;
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

bool StringPool::holds(TextId id, std::string_view text) const
{
    const std::uint32_t at = offsets_[id];
    return static_cast<unsigned char>(bytes_[at]) == text.size() &&
           sameBytes(bytes_.data() + at + 1, text.data(), text.size());
}

TextId StringPool::find(std::string_view text) const
{
    if (text.size() > 255) return nullText;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash(text) & mask;; slot = (slot + 1) & mask) {
        const TextId id = slots_[slot];
        if (id == nullText) return nullText;
        if (holds(id, text)) return id;
    }
}

TextId StringPool::intern(std::string_view text)
{
    if (text.size() > 255) text = text.substr(0, 255);  // no field is wider than a length byte
    if (last_ != nullText && holds(last_, text)) return last_;
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash(text) & mask;
    for (;; slot = (slot + 1) & mask) {
        const TextId id = slots_[slot];
        if (id == nullText) break;
        if (holds(id, text)) return last_ = id;
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
