#include "tables/packet.h"

#include "platform/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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
        buffer_.resize(std::size_t(std::min<std::uint64_t>(size, blockSize)));  // a small file needs no large block
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
    std::vector<std::uint8_t> flags(flagBytes);
    for (std::uint32_t r = 0; r < recordCount; ++r) {
        const bool replaced = in.u8() & 0x01;
        const char* flagData = in.take(flagBytes);
        if (flagBytes > 0) std::memcpy(flags.data(), flagData, flagBytes);  // a table without fields has none
        const RowId row = replaced ? 0 : table.appendRow();
        for (std::size_t f = 0; f < schema.fields.size(); ++f) {
            if ((flags[f / 4] >> (2 * (f % 4))) & 0x03) continue;  // null: no bytes stored
            switch (schema.fields[f].type) {
                case FieldType::Text: {
                    const std::string_view value = in.name8();
                    if (!replaced) table.setText(row, int(f), value);
                    break;
                }
                case FieldType::Int16: {
                    const auto value = std::int16_t(in.u16());
                    if (!replaced) table.setInt(row, int(f), value);
                    break;
                }
                case FieldType::Boolean: {
                    const bool value = in.u16() != 0;
                    if (!replaced) table.setBool(row, int(f), value);
                    break;
                }
            }
        }
    }
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
