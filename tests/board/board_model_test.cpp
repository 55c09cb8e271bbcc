#include "board/board_model.h"
#include "tests/support/flight_rows.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::board::Direction;

namespace {

struct BoardModelTest : ::testing::Test {
    BoardModelTest()
    {
        test::Leg first;
        first.flight = "AZ100";
        first.timeDep = "07:45";
        first.timeArr = "09:10";
        test::addLeg(flights, first);
        test::Leg second;
        second.flight = "AZ200";
        second.timeDep = "06:00";
        second.timeArr = "08:30";
        const tables::RowId row = test::addLeg(flights, second);
        flights.setText(row, tables::Model, "A320");
    }

    tables::Table flights = tables::newFlightTable();
    BoardModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

}  // namespace

TEST_F(BoardModelTest, ScheduledTimeFollowsTheDirection)
{
    model.showView(&flights, {1, 0});  // board order, not stored order
    EXPECT_EQ(model.index(0, BoardModel::ExpectedTimeColumn).data(BoardModel::ScheduledTimeRole).toString(), "06:00");
    EXPECT_EQ(model.index(1, BoardModel::ExpectedTimeColumn).data(BoardModel::ScheduledTimeRole).toString(), "07:45");

    const QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setDirection(Direction::Arrival);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.index(0, BoardModel::ExpectedTimeColumn).data(BoardModel::ScheduledTimeRole).toString(), "08:30");
    EXPECT_EQ(model.index(1, BoardModel::ExpectedTimeColumn).data(BoardModel::ScheduledTimeRole).toString(), "09:10");
    model.setDirection(Direction::Arrival);
    EXPECT_EQ(changed.count(), 1) << "the same direction again changes nothing";
}

TEST_F(BoardModelTest, ShowsFieldTextsCentredAndReadOnly)
{
    model.showView(&flights, {1, 0});
    EXPECT_EQ(model.index(0, 1).data().toString(), "AZ200");
    EXPECT_EQ(model.index(0, BoardModel::ExpectedTimeColumn).data().toString(), "") << "TIME_NEW is empty";
    EXPECT_EQ(model.index(0, 7).data().toString(), "ON TIME");
    EXPECT_EQ(model.index(0, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
    EXPECT_EQ(model.fieldText(0, tables::Model), "A320");
    EXPECT_EQ(model.fieldText(1, tables::Model), "B737");
    EXPECT_EQ(model.fieldText(2, tables::Model), "") << "no such row";
}

TEST_F(BoardModelTest, EmptyBoardWithoutATable)
{
    model.showView(&flights, {0, 1});
    model.showView(nullptr, {0, 1});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "DEP. TIME ");
    model.setDirection(Direction::Arrival);  // no rows, nothing to announce
}
