#include "board/board_model.h"

#include "app/qt_text.h"
#include "tables/flight_table.h"

namespace {

using namespace quorvel::tables;

struct BoardColumn {
    FlightField field;
    const char* title;
};

// The board's eight columns; which of FROM/TO and ARR./DEP. TIME show depends on the direction.
constexpr BoardColumn columns[quorvel::board::boardColumnCount] = {
    {Airline, "AIRLINE"}, {FlightNumber, "FLIGHT"}, {DepApt, "FROM"},     {DestApt, "TO"},
    {TimeArr, "ARR. TIME"}, {TimeDep, "DEP. TIME "}, {TimeNew, "EXP. TIME"}, {Note, "REMARKS"},
};

}  // namespace

BoardModel::BoardModel(QObject* parent) : QAbstractTableModel(parent) {}

void BoardModel::showView(const Table* flights, View view)
{
    beginResetModel();
    flights_ = flights;
    view_ = flights ? std::move(view) : View{};
    endResetModel();
}

int BoardModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(view_.size()); }

int BoardModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : quorvel::board::boardColumnCount;
}

QVariant BoardModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !flights_) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    return fromWindows1252(flights_->text(view_[std::size_t(index.row())], columns[index.column()].field));
}

QVariant BoardModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(columns[section].title);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}
