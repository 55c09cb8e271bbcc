#include "about/about_dialog.h"
#include "about/version_record.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace quorvel::about;

namespace {

const std::filesystem::path kProgram = QRVL_PROGRAM_PATH;  // the quorvel executable, built before these tests

}  // namespace

TEST(VersionAwareAbout, ProgramCarriesItsRecordInItsOwnFile)
{
    const std::optional<VersionRecord> record = readVersionRecord(kProgram);
    ASSERT_TRUE(record) << kProgram << " has no section " << kVersionSection;
    EXPECT_EQ(lookupText(*record, "\\StringFileInfo\\040904e4\\ProductName"), "Quorvel");
    EXPECT_EQ(lookupText(*record, "\\StringFileInfo\\040904e4\\FileVersion"), "0.9.9.6");
    EXPECT_EQ(lookupText(*record, "\\StringFileInfo\\040904e4\\CompanyName"), "Quorvel developers");
    EXPECT_EQ(lookupTranslations(*record, "\\VarFileInfo\\Translation"), (std::vector<Translation>{{0x0409, 0x04E4}}));
    EXPECT_EQ(record->fixed.fileVersion, (FixedVersion{{0, 9, 9, 6}}));
}

TEST(VersionAwareAbout, ShowsTheProgramsRecordTheSameOnEveryOpening)
{
    for (int opening = 0; opening < 2; ++opening) {
        TVersionAwareAbout about(kProgram);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("Quorvel"));
        EXPECT_EQ(about.reVersionInfo->toPlainText(),
                  QStringLiteral("Product Version:   1.0.0.0\nBy:   Quorvel developers\n\nQuorvel\n"
                                 "File Version:   0.9.9.6\n"));
        EXPECT_TRUE(about.reVersionInfo->isReadOnly());
        EXPECT_EQ(about.reVersionInfo->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(about.size(), QSize(267, 242));
        EXPECT_EQ(about.Image1->pixmap().size(), QSize(251, 105));
        EXPECT_EQ(about.Image1->size(), QSize(251, 105));
    }
}

TEST(VersionAwareAbout, ExecutableWithoutRecordGetsTheFallback)
{
    quorvel::test::TempFolder folder;
    quorvel::test::writeBytes(folder / "damaged",
                              "\x7F"
                              "ELF");
    for (const std::filesystem::path& file :
         {std::filesystem::path("/bin/true"), folder / "damaged", folder / "missing"}) {
        TVersionAwareAbout about(file);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About")) << file;
        EXPECT_EQ(about.reVersionInfo->toPlainText(), QStringLiteral("No version information available.")) << file;
    }
}

TEST(VersionAwareAbout, OkButtonClosesTheBox)
{
    TVersionAwareAbout about(kProgram);
    about.show();
    EXPECT_TRUE(about.btnOK->isDefault());
    about.btnOK->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}
