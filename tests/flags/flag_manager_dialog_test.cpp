#include "flags/flag_manager_dialog.h"

#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

using quorvel::flags::FlagList;
using quorvel::flags::FlagRow;
using quorvel::test::ScriptedFileDialogs;
using quorvel::test::ScriptedPrompter;
using quorvel::test::Shown;
using quorvel::test::TempFolder;
using Rows = std::vector<FlagRow>;
namespace fs = std::filesystem;

namespace quorvel::flags {
void PrintTo(const FlagRow& row, std::ostream* out)
{
    *out << row.airline << "=" << row.flagName;
}
}  // namespace quorvel::flags

namespace {

class FlagManagerTest : public ::testing::Test {
protected:
    FlagManagerTest() { fs::create_directory(flagFolder); }

    void writeList(std::string_view bytes) { quorvel::test::writeBytes(flagFolder / "fmlist", bytes); }
    std::string listBytes() const { return quorvel::test::readBytes(flagFolder / "fmlist"); }
    void writePicture(const std::string& name, Qt::GlobalColor colour) const
    {
        QImage image(30, 10, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString((flagFolder / name).string()), "BMP"));
    }
    QColor previewColour() const { return dialog.preview().isNull() ? QColor() : dialog.preview().pixelColor(0, 0); }
    void setCell(int row, int column, const QString& text)
    {
        dialog.ValueListEditor1->item(row, column)->setText(text);
    }

    TempFolder folder;
    const fs::path flagFolder = folder / "flag";
    FlagList mainList{std::vector<std::string>{"Before=BEF"}};
    ScriptedPrompter prompter;
    ScriptedFileDialogs fileDialogs;
    TFlagManager dialog{mainList, flagFolder, prompter, fileDialogs};
};

}  // namespace

TEST_F(FlagManagerTest, OpensWithTheFileSortedAndPreviewsTheFirstRow)
{
    writeList("klm=KLM\r\nKLM=KLM\r\nAlitalia=AZA\r\n");
    writePicture("AZA.BMP", Qt::red);
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), "Flag Manager");
    EXPECT_EQ(dialog.ValueListEditor1->horizontalHeaderItem(0)->text(), "Airline");
    EXPECT_EQ(dialog.ValueListEditor1->horizontalHeaderItem(1)->text(), "Flag file");
    EXPECT_EQ(dialog.ValueListEditor1->columnWidth(0), 150);
    EXPECT_EQ(dialog.ValueListEditor1->columnWidth(1), 141);
    EXPECT_EQ(dialog.ValueListEditor1->toolTip(), "Airline and flag bitmap association");
    EXPECT_EQ(dialog.FMOkButton->text(), "OK");
    EXPECT_EQ(dialog.FMCancelButton->text(), "Cancel");
    EXPECT_EQ(dialog.Label1->text(), "Flag");
    EXPECT_EQ(dialog.Panel1->size(), QSize(89, 25));

    EXPECT_EQ(dialog.rows(), (Rows{{"Alitalia", "AZA"}, {"klm", "KLM"}}));
    EXPECT_EQ(previewColour(), QColor(Qt::red));
    EXPECT_FALSE(dialog.FMImage->pixmap().isNull());
    EXPECT_LE(dialog.FMImage->pixmap().width(), 89);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FlagManagerTest, OkWritesTheRowsInScreenOrderAndRefreshesTheMainList)
{
    writeList("KLM=KLM\r\nAlitalia=AZA\r\n");
    dialog.show();
    setCell(1, 1, "KLX");
    dialog.ValueListEditor1->setCurrentCell(1, 0);
    dialog.insertRow();
    setCell(2, 0, "Iberia");
    dialog.insertRow();  // added and never filled: writes nothing
    dialog.ValueListEditor1->setCurrentCell(0, 0);
    dialog.deleteRow();
    dialog.FMOkButtonClick();

    EXPECT_EQ(listBytes(), "KLM=KLX\r\nIberia=\r\n");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.ValueListEditor1->rowCount(), 0);  // closing clears the rows
    EXPECT_EQ(mainList.lines(), (std::vector<std::string>{"KLM=KLX", "Iberia="}));
    EXPECT_EQ(mainList.flagName("klm"), "KLX");
    EXPECT_EQ(mainList.flagName("Before"), std::nullopt);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FlagManagerTest, CancelWritesNothingAndLeavesTheMainList)
{
    writeList("KLM=KLM\r\n");
    dialog.show();
    setCell(0, 1, "XYZ");
    dialog.FMCancelButton->click();

    EXPECT_EQ(listBytes(), "KLM=KLM\r\n");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.ValueListEditor1->rowCount(), 0);
    EXPECT_EQ(mainList.flagName("Before"), "BEF");

    dialog.show();  // the next opening reads the file again
    EXPECT_EQ(dialog.rows(), (Rows{{"KLM", "KLM"}}));
}

TEST_F(FlagManagerTest, SelectingARowGivesItTheEditButtonAndPreviewsItsFlag)
{
    writeList("Alitalia=AZA\r\nGhost=GHO\r\nIberia=\r\nKLM=klm\r\n");
    writePicture("AZA.bmp", Qt::red);
    writePicture("KLM.BMP", Qt::blue);
    dialog.show();
    EXPECT_FALSE(dialog.hasEditButton(0));  // opening previews, but gives no button

    dialog.ValueListEditor1->setCurrentCell(3, 1);
    EXPECT_TRUE(dialog.hasEditButton(3));
    EXPECT_EQ(previewColour(), QColor(Qt::blue));
    dialog.ValueListEditor1->setCurrentCell(1, 0);  // its picture is missing: the preview stays, silently
    dialog.ValueListEditor1->setCurrentCell(2, 0);  // no flag name: the preview stays
    EXPECT_EQ(previewColour(), QColor(Qt::blue));
    EXPECT_TRUE(dialog.hasEditButton(1));
    EXPECT_TRUE(dialog.hasEditButton(3));  // kept until the dialog closes
    dialog.insertRow();
    EXPECT_FALSE(dialog.hasEditButton(3));  // a new row, no airline yet
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FlagManagerTest, PictureDialogSetsThreeCharactersAndPreviewsFromTheFlagFolder)
{
    writeList("Alitalia=\r\nKLM=KLM\r\n");
    writePicture("aza.bmp", Qt::green);
    writePicture("AZ.bmp", Qt::red);
    quorvel::test::writeBytes(flagFolder / "BAD.bmp", "not a picture");
    dialog.show();
    dialog.ValueListEditor1->setCurrentCell(0, 1);

    fileDialogs.answer(fs::path("/somewhere/else/AZA.bmp"));
    dialog.ValueListEditor1EditButtonClick();
    EXPECT_EQ(dialog.rows()[0], (FlagRow{"Alitalia", "AZA"}));
    EXPECT_EQ(previewColour(), QColor(Qt::green));  // the flag folder's aza.bmp, not the chosen file
    EXPECT_TRUE(prompter.shown().empty());

    fileDialogs.answer(std::nullopt);  // cancelled: nothing changes
    dialog.ValueListEditor1EditButtonClick();
    EXPECT_EQ(dialog.rows()[0].flagName, "AZA");

    fileDialogs.answer(flagFolder / "AZ.bmp");
    fileDialogs.answer(flagFolder / "BAD.bmp");
    dialog.ValueListEditor1EditButtonClick();
    dialog.ValueListEditor1EditButtonClick();
    EXPECT_EQ(dialog.rows()[0].flagName, "BAD");  // the name stays although the picture failed
    EXPECT_EQ(previewColour(), QColor(Qt::green));
    EXPECT_EQ(prompter.shown(),
              (Shown{{"WARNING", (flagFolder / "AZ..bmp").string() +
                                     ": cannot be loaded: there is no such picture in the flag folder"},
                     {"WARNING",
                      (flagFolder / "BAD.bmp").string() + ": cannot be loaded: it is not a bitmap (BMP) picture"}}));
    EXPECT_EQ(fileDialogs.asked().size(), 4u);
    EXPECT_EQ(fileDialogs.pictureDialogs(), 4) << "the flag is chosen in the dialog that previews pictures";
}

TEST_F(FlagManagerTest, DuplicateAirlinesAreRefused)
{
    writeList("KLM=KLM\r\nklm=XYZ\r\nAlitalia=AZA\r\n");  // two lines for one airline
    dialog.show();
    ASSERT_EQ(dialog.rows(), (Rows{{"Alitalia", "AZA"}, {"KLM", "KLM"}, {"klm", "XYZ"}}));

    setCell(0, 0, "kLm");  // an edit that repeats an airline is undone
    EXPECT_EQ(dialog.rows()[0].airline, "Alitalia");
    setCell(0, 0, "Alitalia Cargo");  // any other name is taken
    EXPECT_EQ(dialog.rows()[0].airline, "Alitalia Cargo");

    dialog.FMOkButtonClick();  // the file's own repeat must be mended before saving
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ValueListEditor1->currentRow(), 2);
    EXPECT_EQ(listBytes(), "KLM=KLM\r\nklm=XYZ\r\nAlitalia=AZA\r\n");
    const std::string refusal = "The airline \"klm\" is already in the list; an airline may appear only once.";
    EXPECT_EQ(prompter.shown(),
              (Shown{{"WARNING", "The airline \"kLm\" is already in the list; an airline may appear only once."},
                     {"WARNING", refusal}}));

    dialog.deleteRow();
    dialog.FMOkButtonClick();
    EXPECT_EQ(listBytes(), "Alitalia Cargo=AZA\r\nKLM=KLM\r\n");
}

TEST_F(FlagManagerTest, MissingListIsReportedAndOkCreatesIt)
{
    dialog.show();
    const std::string file = (flagFolder / "fmlist").string();
    EXPECT_EQ(prompter.shown(), (Shown{{"WARNING", file + ": cannot be opened: No such file or directory"}}));
    EXPECT_EQ(dialog.ValueListEditor1->rowCount(), 0);
    dialog.insertRow();
    setCell(0, 0, "Iberia");
    setCell(0, 1, "IBE");
    dialog.FMOkButtonClick();
    EXPECT_EQ(listBytes(), "Iberia=IBE\r\n");
}

TEST_F(FlagManagerTest, ListThatExistsButCannotBeReadIsNeverReplaced)
{
    fs::create_directory(flagFolder / "fmlist");
    dialog.show();
    dialog.FMOkButtonClick();
    const std::string file = (flagFolder / "fmlist").string();
    EXPECT_EQ(prompter.shown(),
              (Shown{{"WARNING", file + ": is a folder, not a flag list"},
                     {"WARNING", file + ": could not be read when the Flag Manager opened, so it is left as it is. "
                                        "Close with Cancel, mend the file and open the Flag Manager again."}}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(fs::is_directory(flagFolder / "fmlist"));
}

TEST_F(FlagManagerTest, FailedWriteIsReportedAndTheDialogStaysOpen)
{
    writeList("KLM=KLM\r\n");
    dialog.show();
    fs::remove_all(flagFolder);
    dialog.FMOkButtonClick();
    EXPECT_EQ(
        prompter.shown(),
        (Shown{{"WARNING", (flagFolder / "fmlist").string() + ": cannot be written: No such file or directory"}}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.rows(), (Rows{{"KLM", "KLM"}}));
    EXPECT_EQ(mainList.flagName("Before"), "BEF");
}

TEST_F(FlagManagerTest, EmptyListOpensWithNoRowsAndThePreviousPreview)
{
    writeList("Alitalia=AZA\r\n");
    writePicture("AZA.bmp", Qt::red);
    dialog.show();
    dialog.FMCancelButtonClick();
    writeList("");
    dialog.show();
    EXPECT_EQ(dialog.ValueListEditor1->rowCount(), 0);
    EXPECT_EQ(previewColour(), QColor(Qt::red));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FlagManagerTest, ClickOnTheEllipsisRunsThePictureDialog)
{
    writeList("Alitalia=\r\nKLM=KLM\r\n");
    writePicture("AZA.bmp", Qt::red);
    dialog.show();
    const auto click = [this](int row, int column, int fromRight) {
        QWidget* viewport = dialog.ValueListEditor1->viewport();
        const QRect cell = dialog.ValueListEditor1->visualRect(dialog.ValueListEditor1->model()->index(row, column));
        const QPointF at(cell.right() - fromRight, cell.center().y());
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
    };
    click(1, 1, 3);  // no button yet: the click only selects the row
    EXPECT_TRUE(fileDialogs.asked().empty());
    EXPECT_TRUE(dialog.hasEditButton(1));
    click(0, 0, 3);
    fileDialogs.answer(fs::path("/pictures/AZA.bmp"));
    click(0, 1, 3);  // the ellipsis of the first row
    EXPECT_EQ(fileDialogs.asked(), std::vector<std::string>{"Flag picture"});
    EXPECT_EQ(dialog.rows()[0], (FlagRow{"Alitalia", "AZA"}));
    EXPECT_EQ(previewColour(), QColor(Qt::red));
}
