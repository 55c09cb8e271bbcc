#include "board/board_model.h"

#include "widgets/qt_text.h"

namespace quorvel::ui {

namespace {

using namespace quorvel::tables;
using quorvel::board::Direction;

struct BoardColumn {
    FlightField field;
    const char* title;
};

// The board's eight columns; which of FROM/TO and ARR./DEP. TIME show depends on the direction.
constexpr BoardColumn columns[quorvel::board::boardColumnCount] = {
    {Airline, "AIRLINE"},   {FlightNumber, "FLIGHT"}, {DepApt, "FROM"},       {DestApt, "TO"},
    {TimeArr, "ARR. TIME"}, {TimeDep, "DEP. TIME "},  {TimeNew, "EXP. TIME"}, {Note, "REMARKS"},
};

}  // namespace

BoardModel::BoardModel(QObject* parent) : QAbstractTableModel(parent) {}

void BoardModel::showView(const Table* flights, View view, ShownTimes shownTimes)
{
    beginResetModel();
    flights_ = flights;
    view_ = flights ? std::move(view) : View{};
    shownTimes_ = std::move(shownTimes);
    if (shownTimes_.minutes.size() != view_.size()) shownTimes_.minutes.clear();
    endResetModel();
}

QString BoardModel::shownTime(int row) const
{
    if (row < 0 || std::size_t(row) >= shownTimes_.minutes.size()) return {};
    return QString::fromLatin1(
        quorvel::board::instanceTimeText(shownTimes_.interval, shownTimes_.minutes[std::size_t(row)]));
}

void BoardModel::setDirection(Direction direction)
{
    if (direction == direction_) return;
    direction_ = direction;
    if (!view_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {ScheduledTimeRole});
}

QString BoardModel::fieldText(int row, FlightField field) const
{
    if (!flights_ || row < 0 || row >= rowCount()) return {};
    return fromWindows1252(flights_->text(view_[std::size_t(row)], field));
}

int BoardModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(view_.size());
}

int BoardModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : quorvel::board::boardColumnCount;
}

QVariant BoardModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !flights_) return {};
    switch (role) {
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::DisplayRole: {
            const FlightField field = columns[index.column()].field;
            if (!shownTimes_.minutes.empty() && field == (direction_ == Direction::Arrival ? TimeArr : TimeDep))
                return shownTime(index.row());
            return fieldText(index.row(), field);
        }
        case ScheduledTimeRole:
            if (!shownTimes_.minutes.empty()) return shownTime(index.row());
            return fieldText(index.row(), direction_ == Direction::Arrival ? TimeArr : TimeDep);
        default:
            return {};
    }
}

QVariant BoardModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(columns[section].title);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags BoardModel::flags(const QModelIndex& index) const
{
    // The board is read only: cells can be selected, never edited.
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace quorvel::ui
