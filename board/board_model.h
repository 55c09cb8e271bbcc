// board/board_model.h: the board grid's rows: the flight table seen through the board query's view.
#pragma once

#include "board/board_query.h"
#include "board/board_time.h"
#include "tables/flight_table.h"
#include "tables/table.h"

#include <QAbstractTableModel>
#include <vector>

namespace quorvel::ui {

class BoardModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // The grid's columns by their place; the delegate paints these two its own way.
    static constexpr int AirlineColumn = 0;
    static constexpr int ExpectedTimeColumn = 6;
    // The row's scheduled time of the current direction (TIME_DEP or TIME_ARR), for every column.
    static constexpr int ScheduledTimeRole = Qt::UserRole + 1;

    explicit BoardModel(QObject* parent = nullptr);

    // The times of a board in another time than the computer's or across midnight: each row's
    // instance in minutes after the interval's start, shown as "23:10" or "Tue 00:40".
    struct ShownTimes {
        std::vector<std::int32_t> minutes;  // empty, or one a row
        quorvel::board::BoardInterval interval;
    };

    // One reset per query; no row is read until the grid asks for it. `flights` must outlive the
    // view shown; pass nullptr for an empty board. `shownTimes`, when given, holds each row's time
    // as the board shows it; the scheduled time column and the EXP. TIME column show it in place
    // of the stored time.
    void showView(const quorvel::tables::Table* flights, quorvel::tables::View view, ShownTimes shownTimes = {});
    const quorvel::tables::Table* flights() const { return flights_; }
    quorvel::tables::RowId rowId(int row) const { return view_[std::size_t(row)]; }

    // Which scheduled time the EXP. TIME column shows; Departure until told otherwise.
    void setDirection(quorvel::board::Direction direction);
    quorvel::board::Direction direction() const { return direction_; }

    // The row's time as shown in another time or across midnight; empty on the design's board.
    QString shownTime(int row) const;

    // Any field of a shown row, whether or not the grid has a column for it (MODEL has none).
    QString fieldText(int row, quorvel::tables::FlightField field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const quorvel::tables::Table* flights_ = nullptr;
    quorvel::tables::View view_;  // row numbers into flights_, in board order; rows are never copied
    quorvel::board::Direction direction_ = quorvel::board::Direction::Departure;
    ShownTimes shownTimes_;
};

}  // namespace quorvel::ui
