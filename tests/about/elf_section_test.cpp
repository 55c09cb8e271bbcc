#include "about/elf_section.h"
#include "about/about_content.h"
#include "about/program_version.h"
#include "about/version_record.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel::about;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

void put(std::string& bytes, std::size_t at, std::size_t width, std::uint64_t value)
{
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

struct Section {
    std::string name;
    std::string bytes;
    std::uint32_t type = 1;  // program data
};

// A small ELF file: header, the sections' bytes, the section-name table, then the section headers
// (a null section first, the given sections, the name table last).
struct Elf {
    bool is64;
    std::string bytes;
    std::size_t tableOffset = 0;

    std::size_t entrySize() const { return is64 ? 64 : 40; }
    std::size_t entry(std::size_t index) const { return tableOffset + index * entrySize(); }
    // Field positions in the ELF header and in section header `index`.
    std::size_t tableOffsetField() const { return is64 ? 0x28 : 0x20; }
    std::size_t countField() const { return is64 ? 0x3C : 0x30; }
    std::size_t nameTableField() const { return is64 ? 0x3E : 0x32; }
    std::size_t entrySizeField() const { return is64 ? 0x3A : 0x2E; }
    std::size_t offsetOf(std::size_t index) const { return entry(index) + (is64 ? 24 : 16); }
    std::size_t sizeOf(std::size_t index) const { return entry(index) + (is64 ? 32 : 20); }
    std::size_t width() const { return is64 ? 8 : 4; }
};

Elf buildElf(bool is64, const std::vector<Section>& sections)
{
    Elf elf{is64, std::string(is64 ? 64 : 52, '\0')};
    elf.bytes.replace(0, 7,
                      std::string("\x7F"
                                  "ELF",
                                  4) +
                          char(is64 ? 2 : 1) + '\1' + '\1');
    std::vector<std::size_t> offsets;
    std::string names(1, '\0');
    std::vector<std::size_t> nameOffsets;
    for (const Section& section : sections) {
        offsets.push_back(elf.bytes.size());
        elf.bytes += section.bytes;
        nameOffsets.push_back(names.size());
        names += section.name + '\0';
    }
    const std::size_t nameTableName = names.size();
    names += std::string(".shstrtab") + '\0';
    const std::size_t nameTableOffset = elf.bytes.size();
    elf.bytes += names;
    elf.tableOffset = elf.bytes.size();
    const std::size_t count = sections.size() + 2;
    elf.bytes += std::string(count * elf.entrySize(), '\0');
    put(elf.bytes, elf.tableOffsetField(), elf.width(), elf.tableOffset);
    put(elf.bytes, elf.entrySizeField(), 2, elf.entrySize());
    put(elf.bytes, elf.countField(), 2, count);
    put(elf.bytes, elf.nameTableField(), 2, count - 1);
    const auto describe = [&](std::size_t index, std::size_t name, std::uint32_t type, std::size_t offset,
                              std::size_t size) {
        put(elf.bytes, elf.entry(index), 4, name);
        put(elf.bytes, elf.entry(index) + 4, 4, type);
        put(elf.bytes, elf.offsetOf(index), elf.width(), offset);
        put(elf.bytes, elf.sizeOf(index), elf.width(), size);
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        describe(i + 1, nameOffsets[i], sections[i].type, offsets[i], sections[i].bytes.size());
    describe(count - 1, nameTableName, 3, nameTableOffset, names.size());
    return elf;
}

const std::vector<Section> kSections = {{".text", "code"}, {".qrvl_version", "the record"}, {".data", "data"}};

class ElfSection : public ::testing::TestWithParam<bool> {
protected:
    std::optional<std::string> read(const std::string& bytes, std::string_view name = ".qrvl_version")
    {
        writeBytes(folder_ / "program", bytes);
        return readElfSection(folder_ / "program", name);
    }
    TempFolder folder_;
};

}  // namespace

TEST_P(ElfSection, FindsSectionsByTheirExactName)
{
    const Elf elf = buildElf(GetParam(), kSections);
    EXPECT_EQ(read(elf.bytes), "the record");
    EXPECT_EQ(read(elf.bytes, ".data"), "data");
    EXPECT_EQ(read(elf.bytes, ".qrvl"), std::nullopt);
    EXPECT_EQ(read(elf.bytes, ".QRVL_VERSION"), std::nullopt);
    EXPECT_EQ(read(buildElf(GetParam(), {{".text", "code"}}).bytes), std::nullopt);

    std::string noHeaders = elf.bytes;
    put(noHeaders, elf.tableOffsetField(), elf.width(), 0);
    EXPECT_EQ(read(noHeaders), std::nullopt);

    // A file with very many sections keeps their count in section 0.
    std::string extended = elf.bytes;
    put(extended, elf.countField(), 2, 0);
    put(extended, elf.sizeOf(0), elf.width(), kSections.size() + 2);
    EXPECT_EQ(read(extended), "the record");
}

TEST_P(ElfSection, DamagedHeadersAreErrorsNamingTheFile)
{
    const Elf elf = buildElf(GetParam(), kSections);
    const auto patched = [&](std::size_t at, std::size_t width, std::uint64_t value) {
        std::string copy = elf.bytes;
        put(copy, at, width, value);
        return copy;
    };
    const std::uint64_t huge = GetParam() ? ~std::uint64_t(0) : 0xFFFFFFFF;
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"cut inside the ELF header", elf.bytes.substr(0, 40)},
        {"cut inside the section headers", elf.bytes.substr(0, elf.bytes.size() - 1)},
        {"section headers beyond the end", patched(elf.tableOffsetField(), elf.width(), elf.bytes.size() + 8)},
        {"section headers at the largest offset", patched(elf.tableOffsetField(), elf.width(), huge)},
        {"more section headers than the file holds", patched(elf.countField(), 2, 0xFF00)},
        {"section headers too small", patched(elf.entrySizeField(), 2, 16)},
        {"name table index beyond the sections", patched(elf.nameTableField(), 2, 9)},
        {"name table beyond the end", patched(elf.offsetOf(4), elf.width(), elf.bytes.size())},
        {"section bytes beyond the end", patched(elf.offsetOf(2), elf.width(), elf.bytes.size() - 3)},
        {"section size beyond the end", patched(elf.sizeOf(2), elf.width(), elf.bytes.size())},
        {"section size wrapping around", patched(elf.sizeOf(2), elf.width(), huge)},
        {"section without bytes", patched(elf.entry(2) + 4, 4, 8)},
        {"not an ELF file", "#!/bin/sh\nexit 0\n"},
        {"big-endian", patched(5, 1, 2)},
        {"unknown class", patched(4, 1, 3)},
    };
    for (const auto& [what, bytes] : cases) {
        try {
            read(bytes);
            ADD_FAILURE() << what << " was read";
        } catch (const quorvel::Error& error) {
            EXPECT_NE(std::string(error.what()).find((folder_ / "program").string()), std::string::npos)
                << error.what();
        }
    }
    // A section whose name lies outside the name table is simply not the one looked for.
    EXPECT_EQ(read(patched(elf.entry(2), 4, 5000)), std::nullopt);
}

TEST_P(ElfSection, NoCutOfTheFileCrashesOrReadsWrongBytes)
{
    const Elf elf = buildElf(GetParam(), kSections);
    for (std::size_t length = 0; length < elf.bytes.size(); ++length) {
        try {
            const auto found = read(elf.bytes.substr(0, length));
            EXPECT_TRUE(!found || found == "the record") << length;
        } catch (const quorvel::Error&) {
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, ElfSection, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Elf64" : "Elf32"; });

TEST(VersionRecordFile, ReadsTheRecordFromItsSection)
{
    TempFolder folder;
    const std::string record = encodeVersionRecord(programVersionRecord());
    writeBytes(folder / "quorvel",
               buildElf(true, {{".text", "code"}, {".qrvl_version", record + std::string(3, '\0')}}).bytes);
    EXPECT_EQ(readVersionRecord(folder / "quorvel"), programVersionRecord());

    writeBytes(folder / "damaged", buildElf(true, {{".qrvl_version", record.substr(0, 30)}}).bytes);
    EXPECT_THROW(readVersionRecord(folder / "damaged"), quorvel::Error);
    EXPECT_EQ(aboutContentOf(folder / "damaged"), aboutContent(std::nullopt));

    EXPECT_THROW(readVersionRecord(folder / "missing"), quorvel::Error);
    EXPECT_EQ(aboutContentOf(folder / "missing"), aboutContent(std::nullopt));
}

TEST(VersionRecordFile, RealExecutableWithoutRecordHasNone)
{
    // The core tests link no windows, so they carry no record; a cut copy of them is damaged.
    TempFolder folder;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(readVersionRecord(self), std::nullopt);
    const std::string bytes = readBytes(self);
    for (std::size_t length : {std::size_t(63), bytes.size() / 2, bytes.size() - 1}) {
        writeBytes(folder / "cut", bytes.substr(0, length));
        EXPECT_THROW(readVersionRecord(folder / "cut"), quorvel::Error) << length;
    }
}
