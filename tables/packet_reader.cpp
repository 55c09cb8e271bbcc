#include "tables/packet.h"

#include "platform/error.h"
#include "platform/huge_pages.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace quorvel::tables {

namespace {

constexpr unsigned char signature[4] = {0x96, 0x19, 0xE0, 0xBD};
constexpr std::uint16_t arrayBit = 0x0080;
constexpr std::uint16_t integerPropertyType = 0x0001;  // a signed whole number, as the 16-bit field type

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The packet's bytes, from memory or read from a file a block at a time, so that loading a
// large table never holds the whole file and the whole table at once.
class PacketSource {
public:
    PacketSource(std::string_view bytes, std::string name) : name_(std::move(name)), window_(bytes), size_(bytes.size())
    {
    }

    PacketSource(std::FILE* file, std::uint64_t size, std::string name)
        : name_(std::move(name)), file_(file), size_(size)
    {
        // A small file needs no large block.
        platform::resizeFresh(buffer_, std::size_t(std::min<std::uint64_t>(size, blockSize)));
    }

    std::uint64_t position() const { return position_; }
    std::uint64_t remaining() const { return size_ - position_; }
    const std::string& name() const { return name_; }

    [[noreturn]] void truncated() const { throw Error(name_ + ": truncated at byte " + std::to_string(size_)); }
    [[noreturn]] void corrupted(const std::string& what) const
    {
        throw Error(name_ + ": damaged at byte " + std::to_string(position_) + ": " + what);
    }

    // The next n bytes, contiguous; n is at most a few hundred bytes.
    const char* take(std::size_t n)
    {
        if (n > remaining()) truncated();
        if (n > window_.size()) refill(n);
        const char* at = window_.data();
        window_.remove_prefix(n);
        position_ += n;
        return at;
    }

    void skip(std::uint64_t n)
    {
        if (n > remaining()) truncated();
        while (n > 0) {
            if (window_.empty()) refill(1);
            const auto step = std::size_t(std::min<std::uint64_t>(n, window_.size()));
            window_.remove_prefix(step);
            position_ += step;
            n -= step;
        }
    }

    // At least n of the next bytes, and as many more as the buffer holds, without taking them;
    // n must not exceed what remains.
    std::string_view peek(std::size_t n)
    {
        if (n > remaining()) truncated();
        if (n > window_.size()) {
            if (file_ && n > buffer_.size()) {
                // The window moves to the front first: a larger buffer may lie elsewhere.
                const std::size_t kept = window_.size();
                if (kept > 0) std::memmove(buffer_.data(), window_.data(), kept);
                buffer_.resize(n);
                window_ = std::string_view(buffer_.data(), kept);
            }
            refill(n);
        }
        return window_;
    }
    void advance(std::size_t n)
    {
        window_.remove_prefix(n);
        position_ += n;
    }

    std::uint8_t u8() { return static_cast<std::uint8_t>(*take(1)); }
    std::uint16_t u16()
    {
        const auto* p = reinterpret_cast<const unsigned char*>(take(2));
        return std::uint16_t(p[0] | p[1] << 8);
    }
    std::uint32_t u32()
    {
        const auto* p = reinterpret_cast<const unsigned char*>(take(4));
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    }
    std::string_view name8()
    {
        const std::uint8_t n = u8();
        return {take(n), n};
    }

private:
    static constexpr std::size_t blockSize = 4 << 20;

    void refill(std::size_t n)
    {
        if (!file_) truncated();
        const std::size_t kept = window_.size();
        if (kept > 0) std::memmove(buffer_.data(), window_.data(), kept);  // an empty window may point nowhere
        const std::size_t wanted = std::size_t(std::min<std::uint64_t>(buffer_.size() - kept, remaining() - kept));
        const std::size_t got = std::fread(buffer_.data() + kept, 1, wanted, file_);
        if (got < wanted && std::ferror(file_)) throw Error(name_ + ": cannot be read: " + std::strerror(errno));
        window_ = std::string_view(buffer_.data(), kept + got);
        if (window_.size() < n) truncated();  // the file shrank while we read it
    }

    std::string name_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::string_view window_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

// A property's value: a single element, or (type word with the array bit) a count and elements.
// Values longer than any property we read (a long change log) are skipped and read as empty.
std::string_view readPropertyValue(PacketSource& in, std::uint16_t elementSize, std::uint16_t type)
{
    std::uint64_t bytes = elementSize;
    if (type & arrayBit) bytes = std::uint64_t(in.u32()) * elementSize;
    if (bytes > in.remaining()) in.truncated();
    if (bytes <= 1024) return {in.take(std::size_t(bytes)), std::size_t(bytes)};
    in.skip(bytes);
    return {};
}

std::uint64_t littleEndian(std::string_view value)
{
    std::uint64_t n = 0;
    for (std::size_t i = std::min<std::size_t>(value.size(), 8); i-- > 0;)
        n = n << 8 | static_cast<unsigned char>(value[i]);
    return n;
}

FieldDef readFieldDescriptor(PacketSource& in)
{
    FieldDef field;
    field.name = std::string(in.name8());
    const std::uint16_t valueSize = in.u16();
    const std::uint16_t type = in.u16();
    in.u16();  // attribute flags
    const std::uint16_t propertyCount = in.u16();
    int width = -1;
    for (std::uint16_t p = 0; p < propertyCount; ++p) {
        const std::string_view name = in.name8();
        const bool isWidth = name == "WIDTH";
        const std::uint16_t size = in.u16();
        const std::uint16_t propertyType = in.u16();
        const std::string_view value = readPropertyValue(in, size, propertyType);
        if (isWidth && !(propertyType & arrayBit)) width = int(std::min<std::uint64_t>(littleEndian(value), 255));
    }
    if (type == 0x0049 && valueSize == 1) {
        field.type = FieldType::Text;
        field.width = width < 0 ? 255 : width;
    } else if (type == 0x0001 && valueSize == 2) {
        field.type = FieldType::Int16;
    } else if (type == 0x0003 && valueSize == 2) {
        field.type = FieldType::Boolean;
    } else {
        char word[8];
        std::snprintf(word, sizeof word, "%04X", type);
        in.corrupted("field '" + field.name + "' has a type this program does not read (type word 0x" + word +
                     ", value size " + std::to_string(valueSize) + ")");
    }
    return field;
}

IndexDef parseIndexDef(std::string_view value)
{
    IndexDef index;
    const std::size_t first = value.find('|');
    const std::size_t second = first == std::string_view::npos ? first : value.find('|', first + 1);
    index.name = std::string(value.substr(0, first));
    if (first != std::string_view::npos) index.fields = std::string(value.substr(first + 1, second - first - 1));
    if (second != std::string_view::npos)
        for (const char c : value.substr(second + 1))
            if (c >= '0' && c <= '9' && index.options < 100000) index.options = index.options * 10 + (c - '0');
    return index;
}

// Where a record's cells stand: a status byte, two flag bits per field, then the cells that are
// not null, a text as a length byte and its bytes, a number or truth value as two bytes.
class RecordLayout {
public:
    static constexpr std::uint32_t nullCell = 0xFFFFFFFFu;

    explicit RecordLayout(const Schema& schema) : flagBytes_((2 * schema.fields.size() + 7) / 8)
    {
        for (const FieldDef& field : schema.fields) types_.push_back(field.type);
    }

    std::size_t fieldCount() const { return types_.size(); }

    // The length of the record at `at` in `bytes`, each field's place written to `cells` (nullCell
    // for a null field); 0 when the record runs past the end of the bytes.
    std::size_t length(std::string_view bytes, std::size_t at, std::uint32_t* cells) const
    {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t start = at;
        if (bytes.size() - at < 1 + flagBytes_) return 0;
        const unsigned char* flags = b + at + 1;
        at += 1 + flagBytes_;
        for (std::size_t f = 0; f < types_.size(); ++f) {
            if (isNull(flags, f)) {
                cells[f] = nullCell;
                continue;
            }
            cells[f] = std::uint32_t(at);
            if (types_[f] != FieldType::Text)
                at += 2;
            else if (at < bytes.size())
                at += 1 + std::size_t(b[at]);
            else
                return 0;
        }
        return at <= bytes.size() ? at - start : 0;
    }

    // Sets one field's cells of `rows` rows from `firstRow`, whose places in `bytes` are in
    // `cells` (row after row, a place per field); the field's column up to there is made first.
    void fill(Table& table, std::string_view bytes, const std::uint32_t* cells, RowId firstRow, std::uint32_t rows,
              std::size_t field) const
    {
        table.resizeField(int(field), firstRow + rows);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t stride = types_.size();
        const int f = int(field);
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t at = cells[std::size_t(r) * stride + field];
            if (at == nullCell) continue;
            const RowId row = firstRow + r;
            switch (types_[field]) {
                case FieldType::Text:
                    table.setText(row, f, std::string_view(bytes.data() + at + 1, b[at]));
                    break;
                case FieldType::Int16:
                    table.setInt(row, f, std::int16_t(b[at] | b[at + 1] << 8));
                    break;
                case FieldType::Boolean:
                    table.setBool(row, f, (b[at] | b[at + 1]) != 0);
                    break;
            }
        }
    }

private:
    static bool isNull(const unsigned char* flags, std::size_t f) { return (flags[f / 4] >> (2 * (f % 4))) & 0x03; }

    std::size_t flagBytes_;
    std::vector<FieldType> types_;
};

// The whole records at the start of some bytes, and where the cells of those in force stand.
struct Block {
    std::uint32_t records = 0;         // whole records at the start of the bytes
    std::size_t bytes = 0;             // their length
    std::uint32_t rows = 0;            // those that are not replaced
    std::vector<std::uint32_t> cells;  // a place per field of each row (RecordLayout::length)
};

// Records are worked through this many at a time: their places take 60 bytes a record, and the
// table itself no more than 80.
constexpr std::uint32_t recordsPerRound = 8192;

void findRecords(const RecordLayout& layout, std::string_view bytes, std::uint32_t most, Block& block)
{
    block.records = 0;
    block.bytes = 0;
    block.rows = 0;
    const std::size_t fields = layout.fieldCount();
    most = std::min(most, recordsPerRound);
    // The first round is the largest.
    if (block.cells.size() < std::size_t(most) * fields) platform::resizeFresh(block.cells, std::size_t(most) * fields);
    while (block.records < most) {
        std::uint32_t* cells = block.cells.data() + std::size_t(block.rows) * fields;
        const std::size_t length = layout.length(bytes, block.bytes, cells);
        if (length == 0) break;
        if (!(static_cast<unsigned char>(bytes[block.bytes]) & 0x01)) ++block.rows;  // a replaced one's places go
        block.bytes += length;
        ++block.records;
    }
}

// Fills the columns of a block's rows, a column at a time (so one column's texts stay in the
// cache while they are looked up), on this thread and a second one, each taking the next column
// not yet taken. The columns that took longest on the last block go first, so that neither
// thread is left with a long one at the end. The second thread lives as long as the filler: a
// large table takes a hundred rounds, and starting a thread for each would cost more than a wait.
class ColumnFiller {
public:
    explicit ColumnFiller(const RecordLayout& layout) : layout_(layout), cost_(layout.fieldCount(), 0)
    {
        for (std::size_t f = 0; f < layout.fieldCount(); ++f) order_.push_back(f);
    }

    ~ColumnFiller()
    {
        if (!second_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        second_.join();
    }

    // `alongside`, when there is one, runs meanwhile as the round's first task, on whichever thread
    // takes it: the search for the next block's records, which would otherwise run between rounds
    // while the second thread waits.
    void fill(Table& table, std::string_view bytes, const Block& block, RowId firstRow,
              const std::function<void()>& alongside)
    {
        std::stable_sort(order_.begin(), order_.end(),
                         [this](std::size_t a, std::size_t b) { return cost_[a] > cost_[b]; });
        next_ = alongside ? 0 : 1;
        round_ = [&, firstRow] {
            for (std::size_t i = next_++; i <= order_.size(); i = next_++) {
                if (i == 0) {
                    alongside();
                    continue;
                }
                const std::size_t field = order_[i - 1];
                const auto start = std::chrono::steady_clock::now();
                layout_.fill(table, bytes, block.cells.data(), firstRow, block.rows, field);
                cost_[field] = (std::chrono::steady_clock::now() - start).count();
            }
        };
        if (block.rows < 4096) {
            round_();
            return;
        }
        if (!second_.joinable()) second_ = std::thread([this] { serve(); });
        {
            const std::lock_guard lock(mutex_);
            ++started_;
        }
        wake_.notify_one();
        std::exception_ptr failure = ownRound();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return finished_ == started_; });
        if (!failure) failure = std::exchange(secondFailure_, nullptr);
        if (failure) std::rethrow_exception(failure);
    }

private:
    // This thread's part of the round; what it threw, to be thrown once both parts are done.
    std::exception_ptr ownRound()
    {
        try {
            round_();
            return nullptr;
        } catch (...) {
            return std::current_exception();
        }
    }

    void serve()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || started_ != finished_; });
            if (quit_) return;
            lock.unlock();
            std::exception_ptr failure = ownRound();
            lock.lock();
            secondFailure_ = failure;
            ++finished_;
            done_.notify_one();
        }
    }

    const RecordLayout& layout_;
    std::vector<std::int64_t> cost_;  // each written by the thread that filled the field
    std::vector<std::size_t> order_;
    std::atomic<std::size_t> next_{0};
    std::function<void()> round_;  // set before a round starts, while the second thread waits

    std::thread second_;
    std::mutex mutex_;
    std::condition_variable wake_;  // a round has started, or the filler ends
    std::condition_variable done_;  // the second thread has finished its part of the round
    std::uint64_t started_ = 0;     // rounds; guarded by mutex_, as the rest below
    std::uint64_t finished_ = 0;
    bool quit_ = false;
    std::exception_ptr secondFailure_;
};

Table readFrom(PacketSource& in)
{
    if (in.remaining() < 4 || std::memcmp(in.take(4), signature, 4) != 0) throw Error(in.name() + ": not a table file");
    in.u32();  // format version
    const std::uint32_t headerSize = in.u32();
    const std::uint16_t fieldCount = in.u16();
    const std::uint32_t recordCount = in.u32();
    in.u32();  // constant
    const std::uint16_t firstRecord = in.u16();
    if (headerSize < 24) in.corrupted("header size " + std::to_string(headerSize) + " is too small");
    in.skip(headerSize - 24);

    Schema schema;
    for (std::uint16_t f = 0; f < fieldCount; ++f) schema.fields.push_back(readFieldDescriptor(in));

    // Other properties are skipped, except signed 32-bit numbers, which the table keeps.
    std::vector<std::pair<std::string, std::int32_t>> numbers;
    const std::uint16_t propertyCount = in.u16();
    for (std::uint16_t p = 0; p < propertyCount; ++p) {
        const std::string name(in.name8());
        const std::uint16_t size = in.u16();
        const std::uint16_t type = in.u16();
        const std::string_view value = readPropertyValue(in, size, type);
        if (name == "INDEX_DEF" && size == 1)
            schema.indexes.push_back(parseIndexDef(value));
        else if (type == integerPropertyType && size == 4)
            numbers.emplace_back(name, std::int32_t(std::uint32_t(littleEndian(value))));
    }
    if (firstRecord < in.position())
        in.corrupted("the first record is said to start at byte " + std::to_string(firstRecord) +
                     ", inside the field descriptions");
    in.skip(firstRecord - in.position());

    const std::size_t flagBytes = (2 * schema.fields.size() + 7) / 8;
    if (recordCount > in.remaining() / (1 + flagBytes)) in.truncated();

    Table table(schema);
    for (const auto& [name, number] : numbers) table.setIntegerProperty(name, number);
    table.reserve(recordCount);
    const RecordLayout layout(schema);
    ColumnFiller filler(layout);
    Block blocks[2];
    Block* block = &blocks[0];
    Block* following = &blocks[1];
    bool found = false;  // *block holds the records at the start of the buffer, found in the last round
    std::uint32_t read = 0;
    RowId kept = 0;
    while (read < recordCount) {
        // The whole records in the buffer, then their cells.
        std::string_view bytes = in.peek(std::size_t(std::min<std::uint64_t>(in.remaining(), 1 + flagBytes)));
        if (!found) {
            findRecords(layout, bytes, recordCount - read, *block);
            while (block->records == 0) {
                // A record longer than the buffer holds, or one cut off by the end of the file.
                if (bytes.size() >= in.remaining()) in.truncated();
                bytes = in.peek(std::size_t(std::min<std::uint64_t>(in.remaining(), 2 * bytes.size())));
                findRecords(layout, bytes, recordCount - read, *block);
            }
        }
        // The records after these, in the rest of the buffer: where the next round's peek starts,
        // with the same bytes, so their places hold there.
        const std::uint32_t left = recordCount - read - block->records;
        const std::string_view rest = bytes.substr(block->bytes);
        following->records = 0;
        std::function<void()> findFollowing;
        if (left > 0) findFollowing = [&] { findRecords(layout, rest, left, *following); };
        filler.fill(table, bytes.substr(0, block->bytes), *block, kept, findFollowing);
        in.advance(block->bytes);
        read += block->records;
        kept += block->rows;
        found = following->records > 0;
        std::swap(block, following);
    }
    table.resize(kept);
    if (in.remaining() != 0)
        in.corrupted(std::to_string(in.remaining()) + " bytes follow the last of " + std::to_string(recordCount) +
                     " records");
    return table;
}

}  // namespace

Table readPacket(std::string_view bytes, const std::string& fileName)
{
    PacketSource in(bytes, fileName);
    return readFrom(in);
}

Table readPacketFile(const std::filesystem::path& file)
{
    const std::string name = file.string();
    std::unique_ptr<std::FILE, FileCloser> handle(std::fopen(name.c_str(), "rb"));
    if (!handle) throw Error(name + ": cannot be opened: " + std::strerror(errno));
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) throw Error(name + ": is a folder, not a table file");
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) throw Error(name + ": cannot be read: " + error.message());
    PacketSource in(handle.get(), size, name);
    return readFrom(in);
}

}  // namespace quorvel::tables
