#include "platform/ini_file.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using quorvel::Error;
using quorvel::platform::IniFile;
using quorvel::test::TempFolder;

namespace {

std::optional<std::string> none()
{
    return std::nullopt;
}

}  // namespace

TEST(IniFile, ReadsValuesByTheProfileRules)
{
    const IniFile ini = IniFile::parse(
        "orphan=before any section\r\n"
        "[General]\r\n"
        "atc_model = B737 \t\r\n"
        "Atc_Model=second key of that name\r\n"
        "; comment=not a key\r\n"
        "  ;indented=also a comment\r\n"
        "no equals sign here\r\n"
        "=no key\r\n"
        "empty=\r\n"
        "quoted=\"  kept blanks  \"\r\n"
        "single='x'\r\n"
        "lopsided=\"x'\n"
        "inner=a \"b\" c\r"
        "equals=a=b\n"
        "high=Z\xFCrich \x80\n"
        "[ fltsim.0 ]\n"
        "title=first\n"
        "[FLTSIM.0]\n"
        "title=second section of the same name\n"
        "other=only in the second\n"
        "[broken\n"
        "[Last]trailing text\n"
        "k=v");

    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    } cases[] = {
        {"general", "ATC_MODEL", "B737"},
        {"General", "comment", none()},
        {"General", ";indented", none()},
        {"General", "no equals sign here", none()},
        {"General", "", none()},
        {"General", "empty", ""},
        {"General", "quoted", "  kept blanks  "},
        {"General", "single", "x"},
        {"General", "lopsided", "\"x'"},
        {"General", "inner", "a \"b\" c"},
        {"General", "equals", "a=b"},
        {"General", "high", "Z\xFCrich \x80"},
        {"General", "orphan", none()},
        {"General", "missing", none()},
        {"fltsim.0", "title", "first"},
        {"fltsim.0", "other", none()},
        {"Last", "k", "v"},
        {"broken", "k", none()},
        {"nowhere", "title", none()},
    };
    for (const auto& c : cases) EXPECT_EQ(ini.value(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniFile, ListsSectionsInFileOrderOnce)
{
    const IniFile ini = IniFile::parse("[fltsim.0]\n[General]\r[FltSim.0]\r\n[fltsim.1]\n;[comment]\n");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"fltsim.0", "General", "fltsim.1"}));
    EXPECT_TRUE(IniFile::parse("").sections().empty());

    IniFile marked = IniFile::parse("\xEF\xBB\xBF[Airport]\r\ndefault=EGLL\r\n");
    EXPECT_EQ(marked.value("Airport", "default"), "EGLL");
    marked.set("Airport", "default", "LIRF");
    EXPECT_EQ(marked.text(), "\xEF\xBB\xBF[Airport]\r\ndefault=LIRF\r\n");
}

TEST(IniFile, WritingChangesOnlyTheLinesItMust)
{
    IniFile ini = IniFile::parse(
        "; kept \xE9\r\n"
        "[FlightPlan]\n"
        "  AUTOLOAD =  yes  \n"
        "odd   line\n"
        "\n"
        "[Other]\r"
        "x = 1\r\n"
        "\r\n"
        "\t\r\n"
        "[flightplan]\n"
        "FlpName=the second section is never written\n");
    ini.set("flightplan", "autoload", "1");         // replaced in place, the file's spelling kept
    ini.set("FlightPlan", "FlpName", "plans.txt");  // added after the last non-blank line of the first section
    ini.set("other", "y", "2");
    ini.set("Airport", "default", "EGLL");  // a new section goes to the end
    ini.set("Airport", "second", "");
    EXPECT_EQ(ini.text(),
              "; kept \xE9\r\n"
              "[FlightPlan]\r\n"
              "AUTOLOAD=1\r\n"
              "odd   line\r\n"
              "FlpName=plans.txt\r\n"
              "\r\n"
              "[Other]\r\n"
              "x = 1\r\n"
              "y=2\r\n"
              "\r\n"
              "\t\r\n"
              "[flightplan]\r\n"
              "FlpName=the second section is never written\r\n"
              "[Airport]\r\n"
              "default=EGLL\r\n"
              "second=\r\n");
    EXPECT_EQ(ini.value("FLIGHTPLAN", "flpname"), "plans.txt");
    EXPECT_EQ(ini.value("airport", "second"), "");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"FlightPlan", "Other", "Airport"}));
}

TEST(IniFile, RefusesWhatCannotBeOneLine)
{
    IniFile ini = IniFile::parse("[A]\nk=v\n");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } bad[] = {{"A", "k", "two\nlines"}, {"A", "k", "cr\r"}, {"A", "k=x", "v"}, {"A]", "k", "v"},
               {"", "k", "v"},           {"A", " ", "v"},    {"A", ";k", "v"}};
    for (const auto& b : bad) EXPECT_THROW(ini.set(b.section, b.key, b.value), Error) << b.section << "/" << b.key;
    EXPECT_EQ(ini.text(), "[A]\r\nk=v\r\n");
}

TEST(IniFile, MissingFileReadsEmptyAndAFolderIsAnError)
{
    TempFolder folder;
    EXPECT_EQ(IniFile::read(folder / "missing.ini").text(), "");
    try {
        IniFile::read(folder.path());
        FAIL() << "a folder was read as a settings file";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(folder.path().string()), std::string::npos) << error.what();
    }
}

TEST(IniFile, SavesAndReadsBackTheSameBytes)
{
    TempFolder folder;
    IniFile ini = IniFile::parse("[S]\nkey=\xFF\xFE value\n");
    ini.set("S", "more", "\x93quoted\x94");
    ini.save(folder / "qrvl.ini");
    EXPECT_EQ(quorvel::test::readBytes(folder / "qrvl.ini"), "[S]\r\nkey=\xFF\xFE value\r\nmore=\x93quoted\x94\r\n");
    const IniFile back = IniFile::read(folder / "qrvl.ini");
    EXPECT_EQ(back.value("s", "KEY"), "\xFF\xFE value");
    EXPECT_EQ(back.text(), ini.text());
}
