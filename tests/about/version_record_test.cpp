#include "about/version_record.h"
#include "about/about_content.h"
#include "about/program_version.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace quorvel::about;

namespace {

VersionRecord recordWith(std::vector<StringValue> values, std::vector<Translation> translations = {{0x0409, 0x04E4}})
{
    VersionRecord record;
    record.translations = std::move(translations);
    record.blocks.push_back({"040904E4", std::move(values)});
    return record;
}

}  // namespace

TEST(VersionRecord, ProgramRecordSurvivesEncoding)
{
    const VersionRecord record = programVersionRecord();
    const std::string bytes = encodeVersionRecord(record);
    EXPECT_TRUE(bytes.starts_with("QRVLVER1"));
    EXPECT_EQ(decodeVersionRecord(bytes, "test"), record);
    // Linker padding after the record is not part of it.
    EXPECT_EQ(decodeVersionRecord(bytes + std::string(13, '\0'), "test"), record);
}

TEST(VersionRecord, ProgramRecordHoldsTheProgramsValues)
{
    const VersionRecord record = programVersionRecord();
    const std::string block = "\\StringFileInfo\\040904E4\\";
    const std::pair<const char*, const char*> expected[] = {{"ProductName", "Quorvel"},
                                                            {"ProductVersion", "1.0.0.0"},
                                                            {"CompanyName", "Quorvel developers"},
                                                            {"FileDescription", "Quorvel"},
                                                            {"FileVersion", "0.9.9.6"},
                                                            {"InternalName", "QRVL"},
                                                            {"OriginalFilename", "qrvl.exe"},
                                                            {"LegalCopyright", ""},
                                                            {"LegalTrademarks", ""},
                                                            {"Comments", ""}};
    for (const auto& [name, text] : expected) EXPECT_EQ(lookupText(record, block + name), text) << name;
    EXPECT_EQ(record.fixed.fileVersion, (FixedVersion{{0, 9, 9, 6}}));
    EXPECT_EQ(record.fixed.productVersion, (FixedVersion{{0, 9, 9, 6}}));
    EXPECT_EQ(record.fixed.flags, kFlagPrerelease);
    EXPECT_EQ(record.fixed.os, kOsWindows32);
    EXPECT_EQ(record.fixed.fileType, kFileTypeApplication);
}

TEST(VersionRecord, LookupsIgnoreCaseAndRejectOtherPaths)
{
    const VersionRecord record = programVersionRecord();
    EXPECT_EQ(lookupTranslations(record, "\\VarFileInfo\\Translation"), (std::vector<Translation>{{0x0409, 0x04E4}}));
    EXPECT_EQ(lookupTranslations(record, "\\varfileinfo\\TRANSLATION"), (std::vector<Translation>{{0x0409, 0x04E4}}));
    EXPECT_EQ(lookupText(record, "\\StringFileInfo\\040904e4\\ProductName"), "Quorvel");
    EXPECT_EQ(lookupText(record, "\\STRINGFILEINFO\\040904E4\\productname"), "Quorvel");
    EXPECT_EQ(lookupText(record, "StringFileInfo\\040904e4\\FileVersion"), "0.9.9.6");

    for (const char* path : {"\\StringFileInfo\\040904e4\\PrivateBuild", "\\StringFileInfo\\040704e4\\ProductName",
                             "\\StringFileInfo\\040904e4", "\\StringFileInfo\\040904e4\\ProductName\\",
                             "\\StringFileInfo\\\\ProductName", "\\VarFileInfo\\Translation", "\\", "",
                             "\\StringFileInfo\\040904e4\\ProductNam", "\\StringFileInfo\\040904e4\\ProductName\\x"})
        EXPECT_EQ(lookupText(record, path), std::nullopt) << path;
    for (const char* path : {"\\VarFileInfo", "\\VarFileInfo\\Translation\\0", "\\StringFileInfo\\Translation", ""})
        EXPECT_EQ(lookupTranslations(record, path), std::nullopt) << path;
    EXPECT_EQ(lookupTranslations(recordWith({}, {}), "\\VarFileInfo\\Translation"), std::nullopt);
}

TEST(VersionRecord, EveryCutOrWrongCountIsAnErrorNamingTheSource)
{
    const std::string bytes = encodeVersionRecord(programVersionRecord());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        try {
            decodeVersionRecord(std::string_view(bytes).substr(0, length), "qrvl-section");
            ADD_FAILURE() << "a record cut to " << length << " bytes was read";
        } catch (const quorvel::Error& error) {
            EXPECT_NE(std::string(error.what()).find("qrvl-section"), std::string::npos) << error.what();
        }
    }
    const auto damaged = [&](std::size_t at, char value) {
        std::string copy = bytes;
        copy[at] = value;
        return copy;
    };
    const std::size_t translationCount = 8 + 4 + 28;
    const std::size_t blockName = translationCount + 2 + 4 + 2;
    for (const std::string& bad : {damaged(0, 'X'),               // not our mark
                                   damaged(8, 3),                 // a size smaller than the header
                                   damaged(11, 1),                // a size beyond the bytes
                                   damaged(translationCount, 9),  // more translations than bytes
                                   damaged(blockName, 'G'),       // a block name that is no number
                                   damaged(blockName + 8, 40),    // more values than bytes
                                   damaged(blockName + 8, 1)})    // fewer values than the size says
        EXPECT_THROW(decodeVersionRecord(bad, "test"), quorvel::Error);
}

TEST(AboutContent, ProgramRecordShowsTitleAndLines)
{
    const AboutContent content = aboutContent(programVersionRecord());
    EXPECT_EQ(content.title, "Quorvel");
    EXPECT_EQ(content.lines, (std::vector<std::string>{"Product Version:   1.0.0.0", "By:   Quorvel developers", "",
                                                       "Quorvel", "File Version:   0.9.9.6", ""}));
}

TEST(AboutContent, LinesAppearOnlyForPresentValues)
{
    struct Case {
        const char* what;
        std::vector<StringValue> values;
        AboutContent expected;
    };
    const Case cases[] = {
        {"only a product name", {{"ProductName", "Solo"}}, {"Solo", {}}},
        {"copyright and comments",
         {{"ProductName", "P"}, {"LegalCopyright", "(c) us"}, {"Comments", "note"}, {"CompanyName", ""}},
         {"P", {"Copyright:   (c) us", "", "note"}}},
        {"names in other case", {{"PRODUCTNAME", "P"}, {"fileversion", "2"}}, {"P", {"File Version:   2", ""}}},
        {"no product name", {{"FileDescription", "D"}}, {"About", {"D"}}},
        {"empty product name", {{"ProductName", ""}}, {"About", {}}},
    };
    for (const Case& c : cases) EXPECT_EQ(aboutContent(recordWith(c.values)), c.expected) << c.what;
}

TEST(AboutContent, MissingRecordOrTranslationGivesTheFallback)
{
    const AboutContent fallback{"About", {"No version information available."}};
    EXPECT_EQ(aboutContent(std::nullopt), fallback);
    EXPECT_EQ(aboutContent(recordWith({{"ProductName", "P"}}, {})), fallback);
    // The first translation names the block, in lower-case hexadecimal digits.
    const VersionRecord german = recordWith({{"ProductName", "English"}}, {{0x0407, 0x04B0}, {0x0409, 0x04E4}});
    EXPECT_EQ(aboutContent(german).title, "About");
    VersionRecord both = german;
    both.blocks.push_back({"040704b0", {{"ProductName", "Deutsch"}}});
    EXPECT_EQ(aboutContent(both).title, "Deutsch");
}
