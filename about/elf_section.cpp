#include "about/elf_section.h"

#include "platform/error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace quorvel::about {

namespace {

constexpr std::uint16_t kSectionIndexExtended = 0xFFFF;  // the real index is in section 0's link
constexpr std::uint32_t kSectionNoBits = 8;              // a section that takes no room in the file

// Reads ranges of an open file, each one checked against the file's size first.
class FileRanges {
public:
    explicit FileRanges(const std::filesystem::path& file) : file_(file)
    {
        fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) fail("cannot be opened: " + std::string(std::strerror(errno)));
        struct stat status {};
        if (::fstat(fd_, &status) != 0) fail("cannot be read: " + std::string(std::strerror(errno)));
        if (!S_ISREG(status.st_mode)) fail("is not a file");
        size_ = std::uint64_t(status.st_size);
    }
    ~FileRanges() { ::close(fd_); }
    FileRanges(const FileRanges&) = delete;
    FileRanges& operator=(const FileRanges&) = delete;

    std::uint64_t size() const { return size_; }
    bool holds(std::uint64_t offset, std::uint64_t count) const { return offset <= size_ && count <= size_ - offset; }

    std::string read(std::uint64_t offset, std::uint64_t count, std::string_view what) const
    {
        if (!holds(offset, count))
            fail("is damaged: " + std::string(what) + " at byte " + std::to_string(offset) + " (" +
                 std::to_string(count) + " bytes) lies beyond its end at byte " + std::to_string(size_));
        std::string bytes(count, '\0');
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd_, bytes.data() + done, count - done, off_t(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) fail("cannot be read: " + std::string(std::strerror(errno)));
            if (got == 0) fail("became shorter while it was read");
            done += std::size_t(got);
        }
        return bytes;
    }

    [[noreturn]] void fail(const std::string& reason) const { throw Error(file_.string() + " " + reason); }

private:
    std::filesystem::path file_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

std::uint64_t littleEndian(std::string_view bytes, std::size_t offset, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = value << 8 | std::uint8_t(bytes[offset + i]);
    return value;
}

// Where the fields of the ELF header and of a section header lie, for one file class.
struct Layout {
    std::size_t headerSize, addressWidth;
    std::size_t tableOffsetField, entrySizeField, countField, nameTableField;  // in the ELF header
    std::size_t entrySize, typeField, offsetField, sizeField, linkField;       // in a section header
};

constexpr Layout kElf32{52, 4, 0x20, 0x2E, 0x30, 0x32, 40, 4, 16, 20, 24};
constexpr Layout kElf64{64, 8, 0x28, 0x3A, 0x3C, 0x3E, 64, 4, 24, 32, 40};

struct Section {
    std::uint32_t name, type;
    std::uint64_t offset, size;
    std::uint32_t link;
};

Section readSectionHeader(const FileRanges& in, const Layout& at, std::uint64_t tableOffset, std::uint64_t entrySize,
                          std::uint64_t index)
{
    const std::string entry = in.read(tableOffset + index * entrySize, at.entrySize, "a section header");
    return Section{std::uint32_t(littleEndian(entry, 0, 4)), std::uint32_t(littleEndian(entry, at.typeField, 4)),
                   littleEndian(entry, at.offsetField, at.addressWidth),
                   littleEndian(entry, at.sizeField, at.addressWidth),
                   std::uint32_t(littleEndian(entry, at.linkField, 4))};
}

}  // namespace

std::optional<std::string> readElfSection(const std::filesystem::path& file, std::string_view name)
{
    const FileRanges in(file);
    if (in.size() < 6 || in.read(0, 4, "the ELF mark") !=
                             "\x7F"
                             "ELF")
        in.fail("is not an ELF file");
    const std::string ident = in.read(0, 6, "the ELF mark");
    if (ident[4] != 1 && ident[4] != 2) in.fail("is an ELF file of an unknown class");
    if (ident[5] != 1) in.fail("is not a little-endian ELF file");
    const Layout& at = ident[4] == 1 ? kElf32 : kElf64;
    const std::string header = in.read(0, at.headerSize, "the ELF header");

    const std::uint64_t tableOffset = littleEndian(header, at.tableOffsetField, at.addressWidth);
    const std::uint64_t entrySize = littleEndian(header, at.entrySizeField, 2);
    std::uint64_t count = littleEndian(header, at.countField, 2);
    std::uint64_t nameTableIndex = littleEndian(header, at.nameTableField, 2);
    if (tableOffset == 0) return std::nullopt;  // a file without section headers holds no sections
    if (entrySize < at.entrySize)
        in.fail("is damaged: its section headers are " + std::to_string(entrySize) + " bytes");
    // A file with very many sections keeps their count and the name table's index in section 0.
    if (count == 0 || nameTableIndex == kSectionIndexExtended) {
        const Section first = readSectionHeader(in, at, tableOffset, entrySize, 0);
        if (count == 0) count = first.size;
        if (nameTableIndex == kSectionIndexExtended) nameTableIndex = first.link;
    }
    // The whole table must lie inside the file; that also bounds the loop below by the file's size.
    if (!in.holds(tableOffset, 0) || count > (in.size() - tableOffset) / entrySize)
        in.fail("is damaged: its " + std::to_string(count) + " section headers at byte " + std::to_string(tableOffset) +
                " lie beyond its end at byte " + std::to_string(in.size()));
    if (nameTableIndex == 0) return std::nullopt;  // sections without names
    if (nameTableIndex >= count)
        in.fail("is damaged: its section-name table is section " + std::to_string(nameTableIndex) + " of " +
                std::to_string(count));

    const Section nameTable = readSectionHeader(in, at, tableOffset, entrySize, nameTableIndex);
    if (nameTable.type == kSectionNoBits) in.fail("is damaged: its section-name table holds no bytes");
    const std::string names = in.read(nameTable.offset, nameTable.size, "the section-name table");

    for (std::uint64_t index = 0; index < count; ++index) {
        const Section candidate = readSectionHeader(in, at, tableOffset, entrySize, index);
        if (candidate.name >= names.size()) continue;  // a name outside the table names nothing we look for
        // Only as many bytes as the wanted name are compared: a name table without terminators is
        // not searched to its end again for every section.
        const std::string_view named = std::string_view(names).substr(candidate.name);
        if (!named.starts_with(name) || named.size() == name.size() || named[name.size()] != '\0') continue;
        if (candidate.type == kSectionNoBits)
            in.fail("is damaged: its section " + std::string(name) + " holds no bytes");
        return in.read(candidate.offset, candidate.size, "section " + std::string(name));
    }
    return std::nullopt;
}

}  // namespace quorvel::about
