#include "about/version_record.h"

#include "about/elf_section.h"
#include "platform/case_fold.h"
#include "platform/error.h"

#include <algorithm>

namespace quorvel::about {

namespace {

class Reader {
public:
    Reader(std::string_view bytes, std::string_view source) : bytes_(bytes), source_(source) {}

    std::string_view take(std::size_t count, std::string_view what)
    {
        if (count > bytes_.size() - position_) fail("the record ends inside " + std::string(what));
        const std::string_view taken = bytes_.substr(position_, count);
        position_ += count;
        return taken;
    }
    std::uint16_t u16(std::string_view what)
    {
        const std::string_view b = take(2, what);
        return std::uint16_t(std::uint8_t(b[0]) | std::uint8_t(b[1]) << 8);
    }
    std::uint32_t u32(std::string_view what)
    {
        const std::uint32_t low = u16(what);
        return low | std::uint32_t(u16(what)) << 16;
    }
    std::string text(std::string_view what) { return std::string(take(u16(what), what)); }

    std::size_t position() const { return position_; }
    void limit(std::size_t size) { bytes_ = bytes_.substr(0, size); }

    [[noreturn]] void fail(const std::string& reason) const
    {
        throw Error(std::string(source_) + ": damaged version record at byte " + std::to_string(position_) + ": " +
                    reason);
    }

private:
    std::string_view bytes_;
    std::string_view source_;
    std::size_t position_ = 0;
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool sameName(std::string_view a, std::string_view b)
{
    return platform::equalIgnoringAsciiCase(a, b);
}

// "\StringFileInfo\040904e4\ProductName" -> its three names. The leading backslash may be left out;
// an empty name anywhere else ("\StringFileInfo\\x", a trailing backslash) makes the path name nothing.
std::optional<std::vector<std::string_view>> splitPath(std::string_view path)
{
    if (path.starts_with('\\')) path.remove_prefix(1);
    std::vector<std::string_view> names;
    while (true) {
        const std::size_t end = path.find('\\');
        const std::string_view name = path.substr(0, end);
        if (name.empty()) return std::nullopt;
        names.push_back(name);
        if (end == std::string_view::npos) return names;
        path.remove_prefix(end + 1);
    }
}

}  // namespace

std::optional<std::vector<Translation>> lookupTranslations(const VersionRecord& record, std::string_view path)
{
    const auto names = splitPath(path);
    if (!names || names->size() != 2 || !sameName((*names)[0], "VarFileInfo") ||
        !sameName((*names)[1], "Translation") || record.translations.empty())
        return std::nullopt;
    return record.translations;
}

std::optional<std::string> lookupText(const VersionRecord& record, std::string_view path)
{
    const auto names = splitPath(path);
    if (!names || names->size() != 3 || !sameName((*names)[0], "StringFileInfo")) return std::nullopt;
    for (const StringBlock& block : record.blocks) {
        if (!sameName(block.name, (*names)[1])) continue;
        for (const StringValue& value : block.values)
            if (sameName(value.name, (*names)[2])) return value.text;
    }
    return std::nullopt;
}

VersionRecord decodeVersionRecord(std::string_view bytes, std::string_view source)
{
    Reader in(bytes, source);
    if (in.take(kVersionRecordMagic.size(), "its mark") != kVersionRecordMagic)
        in.fail("it does not start with QRVLVER1");
    const std::uint32_t size = in.u32("its size");
    if (size < in.position() || size > bytes.size())
        in.fail("it claims " + std::to_string(size) + " bytes but holds " + std::to_string(bytes.size()));
    in.limit(size);

    VersionRecord record;
    for (FixedVersion* version : {&record.fixed.fileVersion, &record.fixed.productVersion})
        for (std::uint16_t& part : version->parts) part = in.u16("the fixed versions");
    record.fixed.flags = in.u32("the fixed flags");
    record.fixed.os = in.u32("the fixed operating system");
    record.fixed.fileType = in.u32("the fixed file type");

    const std::uint16_t translations = in.u16("the translation count");
    for (std::uint16_t i = 0; i < translations; ++i) {
        Translation translation;
        translation.language = in.u16("the translation list");
        translation.codePage = in.u16("the translation list");
        record.translations.push_back(translation);
    }

    const std::uint16_t blocks = in.u16("the block count");
    for (std::uint16_t i = 0; i < blocks; ++i) {
        StringBlock block;
        block.name = std::string(in.take(8, "a block name"));
        if (!std::ranges::all_of(block.name, isHexDigit)) in.fail("a block name is not eight hexadecimal digits");
        const std::uint16_t values = in.u16("a value count");
        for (std::uint16_t v = 0; v < values; ++v) {
            StringValue value;
            value.name = in.text("a value name");
            value.text = in.text("a value text");
            block.values.push_back(std::move(value));
        }
        record.blocks.push_back(std::move(block));
    }
    if (in.position() != size) in.fail("the record is " + std::to_string(size) + " bytes but its values end here");
    return record;
}

std::optional<VersionRecord> readVersionRecord(const std::filesystem::path& executable)
{
    const std::optional<std::string> section = readElfSection(executable, kVersionSection);
    if (!section) return std::nullopt;
    return decodeVersionRecord(*section, executable.string() + " section " + std::string(kVersionSection));
}

}  // namespace quorvel::about
