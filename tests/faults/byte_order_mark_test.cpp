// Windows editors that save "UTF-8" start the file with the bytes EF BB BF. Every text file the
// program reads skips them there, and only there: further on they are text like any other.
#include "platform/byte_order_mark.h"
#include "app/settings.h"
#include "convert/flight_plan_file.h"
#include "flags/flag_list.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quorvel;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

using Reader = std::function<std::string(const std::filesystem::path& file)>;

// The first line of the file that is not empty: where the mark would hide a number.
std::string_view firstLine(const convert::TextLines& text)
{
    for (const std::string_view line : text.lines)
        if (!line.empty()) return line;
    return {};
}

std::string orNone(const std::optional<std::string>& value)
{
    return value.value_or("(none)");
}

}  // namespace

TEST(ByteOrderMark, EveryTextFileSkipsItAtItsStartOnly)
{
    const struct {
        const char* reader;
        const char* fileName;
        std::string text;  // its first line holds what is read
        Reader read;
        std::string expected;
    } cases[] = {
        {"flight plan file", "flightplans.txt", "AC#5,x,100%,24Hr,IFR,10:00,11:00,1,F,AZ1,LIRF\r\n",
         [](const auto& file) {
             return convert::cutPlanLine(firstLine(*convert::readTextLines(file)))->aircraftNumber;
         },
         "AC#5"},
        {"AI aircraft list", "aircraft.txt", "AC#1,450,\"Boeing 737 Alpina\"\r\n",
         [](const auto& file) { return convert::cutAircraftLine(firstLine(*convert::readTextLines(file))).number; },
         "AC#1"},
        {"aircraft.cfg", "aircraft.cfg", "[fltsim.0]\r\ntitle=Boeing 737 Alpina\r\n",
         [](const auto& file) { return orNone(platform::IniFile::read(file).value("fltsim.0", "title")); },
         "Boeing 737 Alpina"},
        {"flag list", "fmlist", "ALITALIA=AZA\r\n",
         [](const auto& file) { return orNone(flags::FlagList::read(file).flagName("ALITALIA")); }, "AZA"},
        {"settings", "qrvl.ini", "[Airport]\r\ndefault=EGLL\r\n",
         [](const auto& file) { return app::loadSettings(file).defaultAirport; }, "EGLL"},
        {"Wine registry", "system.reg",
         "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1700000000\n"
         "\"EXE Path\"=\"C:\\\\FS2002\"\n",
         [](const auto& file) {
             const auto key = platform::openLocalMachineKey(
                 file.parent_path(), "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0");
             return key ? orNone(key->text("EXE Path")) : "(no key)";
         },
         "C:\\FS2002"},
    };
    const std::string mark(platform::byteOrderMark);
    for (const auto& c : cases) {
        TempFolder folder;
        const std::filesystem::path file = folder / c.fileName;
        writeBytes(file, c.text);
        EXPECT_EQ(c.read(file), c.expected) << c.reader << ", without a mark";
        writeBytes(file, mark + c.text);
        EXPECT_EQ(c.read(file), c.expected) << c.reader << ", the mark at the start";
        // After a blank line the same bytes are no mark: the line they begin is not the one wanted.
        writeBytes(file, "\r\n" + mark + c.text);
        EXPECT_NE(c.read(file), c.expected) << c.reader << ", the mark on the second line";
    }
}
