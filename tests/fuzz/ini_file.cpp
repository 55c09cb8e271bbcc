// tests/fuzz/ini_file.cpp: the profile-file reader, as the settings and an aircraft.cfg use it.
// Settings read from any file can be written back, and a key just set reads back.
#include "platform/ini_file.h"
#include "app/settings.h"
#include "platform/error.h"
#include "tests/fuzz/fuzz_check.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::IniFile ini = platform::IniFile::parse(fuzz::bytesOf(data, size));
    const std::vector<std::string> sections = ini.sections();
    for (const std::string& section : sections)
        for (const char* key : {"title", "atc_airline", "ui_variation", "atc_model", "sim", ""})
            ini.value(section, key);

    app::Settings settings = app::readSettings(ini);
    app::writeSettings(ini, settings);  // no value read from a file is refused when written back
    const platform::IniFile reread = platform::IniFile::parse(ini.text());
    QRVL_FUZZ_CHECK(reread.sections().size() >= sections.size());

    for (const std::string& section : sections) {
        try {
            ini.set(section, "fuzz_key", "value");
        } catch (const Error&) {
            continue;  // a name that cannot stand in a header line
        }
        QRVL_FUZZ_CHECK(ini.value(section, "fuzz_key") == "value");
    }
    return 0;
}
