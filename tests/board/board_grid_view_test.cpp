#include "board/board_grid_view.h"
#include "board/board_model.h"
#include "board/flag_cell_delegate.h"
#include "flags/flag_list.h"
#include "platform/file_stamp_cache.h"
#include "tests/support/flight_rows.h"

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

using namespace quorvel;
using namespace quorvel::ui;

namespace {

struct BoardGridTest : ::testing::Test {
    BoardGridTest()
    {
        for (const char* model : {"B737", "A320", "MD80"}) {
            const tables::RowId row = test::addLeg(flights, test::Leg{});
            flights.setText(row, tables::Model, model);
        }
        board.showView(&flights, {2, 0, 1});
        grid.setModel(&board);
        delegate = configureBoardGrid(grid, flagList, "flag", fileClock);
    }

    void select(std::initializer_list<int> rows)
    {
        grid.clearSelection();
        for (const int row : rows)
            grid.selectionModel()->select(board.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    tables::Table flights = tables::newFlightTable();
    flags::FlagList flagList;
    platform::SystemFileClock fileClock;
    BoardModel board;
    QTableView grid;
    FlagCellDelegate* delegate = nullptr;
};

}  // namespace

TEST_F(BoardGridTest, ColumnsFontsAndOptions)
{
    const int defaultWidth = grid.horizontalHeader()->defaultSectionSize();
    const int widths[8] = {76, defaultWidth, 112, 124, defaultWidth, 142, 140, 76};
    for (int column = 0; column < 8; ++column) EXPECT_EQ(grid.columnWidth(column), widths[column]) << column;

    EXPECT_EQ(grid.font().pixelSize(), 13);
    EXPECT_TRUE(grid.font().italic());
    EXPECT_EQ(grid.horizontalHeader()->font().pixelSize(), 13);
    EXPECT_FALSE(grid.horizontalHeader()->font().italic());
    EXPECT_EQ(grid.horizontalHeader()->defaultAlignment(), Qt::AlignCenter);

    EXPECT_FALSE(grid.horizontalHeader()->isHidden()) << "titles shown";
    EXPECT_TRUE(grid.verticalHeader()->isHidden()) << "no row indicator";
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_TRUE(grid.showGrid());
    EXPECT_TRUE(grid.tabKeyNavigation());
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid.itemDelegate(), delegate);
    EXPECT_GE(grid.verticalHeader()->defaultSectionSize(), 16);
    EXPECT_LE(grid.verticalHeader()->defaultSectionSize(), 24) << "rows as high as their text";
}

TEST_F(BoardGridTest, ColoursOfTheSettingsSelectionOfTheToolkit)
{
    const QColor highlight = grid.palette().color(QPalette::Active, QPalette::Highlight);
    applyBoardColours(grid, QColor(0, 0, 0), QColor(255, 255, 255));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        EXPECT_EQ(grid.palette().color(group, QPalette::Base), QColor(0, 0, 0));
        EXPECT_EQ(grid.palette().color(group, QPalette::Text), QColor(255, 255, 255));
    }
    EXPECT_EQ(grid.palette().color(QPalette::Active, QPalette::Highlight), highlight);
}

TEST_F(BoardGridTest, OneSelectedRowShowsItsAircraft)
{
    select({1});
    EXPECT_EQ(aircraftPanelText(grid, board), QStringLiteral("Aircraft:B737")) << "row 1 is the table's first row";
    // Hidden columns, as a query leaves them, change nothing.
    grid.setColumnHidden(2, true);
    grid.setColumnHidden(4, true);
    select({0});
    EXPECT_EQ(aircraftPanelText(grid, board), QStringLiteral("Aircraft:MD80"));
}

TEST_F(BoardGridTest, NoneOrSeveralSelectedRowsShowNothing)
{
    select({});
    EXPECT_EQ(aircraftPanelText(grid, board), std::nullopt);
    select({0, 2});
    EXPECT_EQ(aircraftPanelText(grid, board), std::nullopt);
}
