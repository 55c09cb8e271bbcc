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

// In another time the board's times are worded when the grid asks for a row, as they used to be
// worded for every row at each query.
TEST_F(BoardModelTest, ShownTimesAreWordedForTheRowsTheGridAsksFor)
{
    board::BoardInterval interval;
    interval.mode = board::TimeMode::Airport;
    interval.zone = "Europe/Rome";
    interval.reference = *parseLocalDateTime("2024-05-15 22:00");
    interval.start = interval.reference;
    interval.lengthMinutes = 24 * 60;
    const std::vector<std::int32_t> minutes = {30, 150};
    model.showView(&flights, {1, 0}, {minutes, interval});
    const struct {
        Direction direction;
        int shownColumn;   // the scheduled time of the direction: the zone's time
        int storedColumn;  // the other one: as stored
        const char* stored[2];
    } cases[] = {
        {Direction::Departure, 5, 4, {"08:30", "09:10"}},
        {Direction::Arrival, 4, 5, {"06:00", "07:45"}},
    };
    for (const auto& c : cases) {
        model.setDirection(c.direction);
        for (int row = 0; row < 2; ++row) {
            const QString worded = QString::fromLatin1(board::instanceTimeText(interval, minutes[std::size_t(row)]));
            EXPECT_EQ(model.index(row, c.shownColumn).data().toString(), worded) << row;
            EXPECT_EQ(model.index(row, BoardModel::ExpectedTimeColumn).data(BoardModel::ScheduledTimeRole).toString(),
                      worded)
                << row;
            EXPECT_EQ(model.shownTime(row), worded) << row;
            EXPECT_EQ(model.index(row, c.storedColumn).data().toString(), c.stored[row]) << row;
        }
    }
    EXPECT_EQ(model.shownTime(0), "22:30");
    EXPECT_EQ(model.shownTime(1), "Thu 00:30") << "past midnight the day is named";
    EXPECT_EQ(model.shownTime(2), "") << "no such row";

    // Times that do not match the rows one for one are not shown: the stored times are.
    model.setDirection(Direction::Departure);
    model.showView(&flights, {1, 0}, {{30}, interval});
    EXPECT_EQ(model.index(0, 5).data().toString(), "06:00");
    EXPECT_EQ(model.shownTime(0), "");
}
