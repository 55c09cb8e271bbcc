#include "board/flag_cell_delegate.h"
#include "board/board_grid_view.h"
#include "board/board_model.h"
#include "flags/flag_list.h"
#include "platform/file_stamp_cache.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <chrono>
#include <filesystem>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::board::Direction;
namespace fs = std::filesystem;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 255, 0);
const QColor boardBackground(0, 0, 0);
const QColor boardText(255, 255, 255);

// A 60 by 20 flag, its left half `left` and its right half `right`.
void writeFlag(const fs::path& file, const QColor& left, const QColor& right)
{
    QImage image(60, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) image.setPixelColor(x, y, x < 30 ? left : right);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
}

void makeOld(const fs::path& file, std::chrono::minutes age)
{
    fs::last_write_time(file, fs::file_time_type::clock::now() - age);
}

struct FlagCellTest : ::testing::Test {
    FlagCellTest()
    {
        fs::create_directory(flagFolder);
        test::Leg leg;
        leg.airline = "Alitalia";
        leg.timeDep = "07:45";
        leg.timeArr = "09:10";
        test::addLeg(flights, leg);
        for (const char* airline : {"NOPICTURE", "NOFLAGNAME", "UNLISTED"}) {
            leg.airline = airline;
            test::addLeg(flights, leg);
        }
        model.showView(&flights, flights.allRows());
    }

    // One cell painted by the delegate into an image of the cell's size.
    QImage paintCell(int row, int column, QSize size = {76, 20})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(boardBackground);  // as the grid's viewport leaves it
        QPainter painter(&image);
        delegate.paint(&painter, cellOption(image.rect()), model.index(row, column));
        return image;
    }

    QStyleOptionViewItem cellOption(const QRect& rect) const
    {
        QStyleOptionViewItem option;
        option.rect = rect;
        option.font = boardCellFont();
        option.state = QStyle::State_Enabled | QStyle::State_Active;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option.palette.setColor(group, QPalette::Base, boardBackground);
            option.palette.setColor(group, QPalette::Text, boardText);
        }
        return option;
    }

    // What the cell shows when it shows `text` at its top-left corner on the board's background.
    QImage textAtTopLeft(const QString& text, QSize size = {76, 20}) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(boardBackground);
        QPainter painter(&image);
        painter.setFont(boardCellFont());
        painter.setPen(boardText);
        painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        return image;
    }

    test::TempFolder folder;
    fs::path flagFolder = folder / "flag";
    flags::FlagList flagList{{"ALITALIA=az", "NOPICTURE=zz", "NOFLAGNAME="}};
    tables::Table flights = tables::newFlightTable();
    BoardModel model;
    platform::SystemFileClock fileClock;  // the flag files' times are set from the real clock
    FlagCellDelegate delegate{flagList, flagFolder, fileClock};
};

}  // namespace

TEST_F(FlagCellTest, GridDrawsTheFlagStretchedToTheAirlineCell)
{
    writeFlag(flagFolder / "az.BMP", red, blue);
    QTableView grid;
    grid.setModel(&model);
    configureBoardGrid(grid, flagList, flagFolder, fileClock);
    applyBoardColours(grid, boardBackground, boardText);
    grid.resize(800, 200);
    grid.show();
    const QImage image = grid.viewport()->grab().toImage();
    const QRect cell = grid.visualRect(model.index(0, BoardModel::AirlineColumn));
    ASSERT_EQ(grid.columnWidth(BoardModel::AirlineColumn), 76);
    const int middleY = cell.center().y();
    const int half = cell.left() + cell.width() / 2;
    // Stretched, the flag's halves meet in the middle of the cell and fill it to both ends.
    EXPECT_EQ(image.pixelColor(cell.left() + 1, cell.top() + 1), red);
    EXPECT_EQ(image.pixelColor(half - 3, middleY), red);
    EXPECT_EQ(image.pixelColor(half + 3, middleY), blue);
    EXPECT_EQ(image.pixelColor(cell.right() - 1, cell.bottom() - 1), blue);
}

TEST_F(FlagCellTest, AirlineTextAtTheTopLeftWithoutAPicture)
{
    const struct {
        int row;
        const char* airline;
        const char* why;
    } cases[] = {
        {0, "Alitalia", "the listed picture az.bmp is missing"},
        {1, "NOPICTURE", "the flag name has no picture in the folder"},
        {2, "NOFLAGNAME", "the list names an empty flag"},
        {3, "UNLISTED", "the airline is not in the list"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(paintCell(c.row, BoardModel::AirlineColumn), textAtTopLeft(QString::fromLatin1(c.airline))) << c.why;
}

TEST_F(FlagCellTest, UnreadablePictureShowsTheTextSilently)
{
    test::writeBytes(flagFolder / "az.bmp", "this is not a bitmap");
    EXPECT_EQ(paintCell(0, BoardModel::AirlineColumn), textAtTopLeft(QStringLiteral("Alitalia")));
}

TEST_F(FlagCellTest, ReplacedPictureShowsAtTheNextPaint)
{
    const fs::path file = flagFolder / "az.bmp";
    writeFlag(file, red, red);
    EXPECT_EQ(paintCell(0, BoardModel::AirlineColumn).pixelColor(40, 10), red);
    // Replaced at once, within the same tick of the file-system clock, with the same size.
    writeFlag(file, green, green);
    EXPECT_EQ(paintCell(0, BoardModel::AirlineColumn).pixelColor(40, 10), green);
}

TEST_F(FlagCellTest, SettledPictureIsDecodedOnceUntilItsFileChanges)
{
    const fs::path file = flagFolder / "az.bmp";
    writeFlag(file, red, red);
    makeOld(file, std::chrono::minutes(60));
    for (int paint = 0; paint < 50; ++paint) ASSERT_EQ(paintCell(0, BoardModel::AirlineColumn).pixelColor(40, 10), red);
    EXPECT_EQ(delegate.pictureCache().decodes(), 1) << "scrolling must not read the file again";

    writeFlag(file, blue, blue);
    makeOld(file, std::chrono::minutes(30));
    EXPECT_EQ(paintCell(0, BoardModel::AirlineColumn).pixelColor(40, 10), blue);
    EXPECT_EQ(delegate.pictureCache().decodes(), 2);

    fs::remove(file);
    EXPECT_EQ(paintCell(0, BoardModel::AirlineColumn), textAtTopLeft(QStringLiteral("Alitalia")));
}

TEST_F(FlagCellTest, ExpectedTimeShowsTheScheduledTimeOfTheDirection)
{
    EXPECT_EQ(paintCell(0, BoardModel::ExpectedTimeColumn, {140, 20}),
              textAtTopLeft(QStringLiteral("07:45"), {140, 20}));
    model.setDirection(Direction::Arrival);
    EXPECT_EQ(paintCell(0, BoardModel::ExpectedTimeColumn, {140, 20}),
              textAtTopLeft(QStringLiteral("09:10"), {140, 20}));
}
