#include "tables/airport_table_model.h"

#include "widgets/qt_text.h"

namespace quorvel::ui {

AirportTableModel::AirportTableModel(quorvel::tables::Table& airports, QObject* parent)
    : QAbstractTableModel(parent), editor_(airports, *this)
{
}

void AirportTableModel::reset()
{
    beginResetModel();
    editor_.reset();
    endResetModel();
    emit stateChanged();
}

void AirportTableModel::aboutToReorder()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void AirportTableModel::reordered(const std::vector<int>& newRowOf)
{
    // Only the indexes someone holds move, the current cell among them.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) to.append(this->index(newRowOf[std::size_t(index.row())], index.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void AirportTableModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, 1), {Qt::DisplayRole, Qt::EditRole});
    emit headerDataChanged(Qt::Vertical, row, row);  // the open row's mark
}

void AirportTableModel::cellChanged(int row, int field)
{
    const QModelIndex cell = index(row, field);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

int AirportTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : editor_.rowCount();
}

int AirportTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant AirportTableModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return fromWindows1252(editor_.value(index.row(), index.column()).value_or(std::string_view()));
}

QVariant AirportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return section == 0 ? QStringLiteral("ICAO CODE") : QStringLiteral("DESCRIPTION");
    return section == openRow() ? QStringLiteral("*") : QString();  // marks the row being edited
}

Qt::ItemFlags AirportTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool AirportTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    return editor_.setValue(index.row(), index.column(), toWindows1252(value.toString())) >= 0;
}

}  // namespace quorvel::ui
