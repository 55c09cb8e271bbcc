// tests/fuzz/elf_section.cpp: the executable's section reader and the record it carries, as the
// about box reads them.
#include "about/elf_section.h"
#include "about/about_content.h"
#include "platform/error.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path file = fuzz::memoryFile(fuzz::bytesOf(data, size));
    try {
        if (const auto section = about::readElfSection(file, ".qrvl_version")) QRVL_FUZZ_CHECK(section->size() <= size);
    } catch (const Error&) {
    }
    about::aboutContentOf(file);
    return 0;
}
