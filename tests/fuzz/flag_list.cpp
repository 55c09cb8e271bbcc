// tests/fuzz/flag_list.cpp: the flag list reader and the Flag Manager's rows made from its lines.
// Every airline the file names has a flag name, and a saved list reads back as the same lines.
// Read as a file, the list differs only by a byte order mark at its start, which is skipped.
#include "flags/flag_list.h"
#include "flags/flag_rows.h"
#include "platform/byte_order_mark.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    std::vector<std::string> lines = flags::splitLines(bytes);
    const flags::FlagList list(lines);
    std::string saved;
    for (const std::string& line : list.lines()) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) QRVL_FUZZ_CHECK(list.flagName(line.substr(0, equals)));
        saved += line + "\r\n";
    }
    QRVL_FUZZ_CHECK(flags::splitLines(saved) == list.lines());

    const std::vector<flags::FlagRow> rows = flags::editorRows(list.lines());
    QRVL_FUZZ_CHECK(rows.size() <= lines.size());
    flags::linesFromRows(rows);

    const flags::FlagList fromFile = flags::FlagList::read(fuzz::memoryFile(bytes));
    QRVL_FUZZ_CHECK(fromFile.lines() == flags::splitLines(bytes.substr(platform::byteOrderMarkSize(bytes))));
    return 0;
}
