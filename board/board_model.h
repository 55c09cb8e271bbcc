// board/board_model.h: the board grid's rows: the flight table seen through the board query's view.
#pragma once

#include "board/board_query.h"
#include "tables/table.h"

#include <QAbstractTableModel>

class BoardModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BoardModel(QObject* parent = nullptr);

    // One reset per query. `flights` must outlive the view shown; pass nullptr for an empty board.
    void showView(const quorvel::tables::Table* flights, quorvel::tables::View view);
    const quorvel::tables::Table* flights() const { return flights_; }
    quorvel::tables::RowId rowId(int row) const { return view_[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const quorvel::tables::Table* flights_ = nullptr;
    quorvel::tables::View view_;  // row numbers into flights_, in board order; rows are never copied
};
