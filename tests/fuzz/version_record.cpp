// tests/fuzz/version_record.cpp: the version-record decoder. A record it accepts encodes back to
// exactly the bytes it was read from, and the about box can be built from it.
#include "about/version_record.h"
#include "about/about_content.h"
#include "platform/error.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    about::VersionRecord record;
    try {
        record = about::decodeVersionRecord(bytes, "fuzz");
    } catch (const Error&) {
        return 0;
    }
    const std::string encoded = about::encodeVersionRecord(record);
    QRVL_FUZZ_CHECK(encoded == bytes.substr(0, encoded.size()));
    about::aboutContent(record);
    about::lookupTranslations(record, "\\VarFileInfo\\Translation");
    for (const about::StringBlock& block : record.blocks)
        for (const about::StringValue& value : block.values)
            QRVL_FUZZ_CHECK(about::lookupText(record, "\\StringFileInfo\\" + block.name + "\\" + value.name) ||
                            value.name.empty() || value.name.find('\\') != std::string::npos);
    return 0;
}
