#include "tables/airport_list_model.h"

#include "widgets/qt_text.h"

namespace quorvel::ui {

AirportListModel::AirportListModel(const quorvel::tables::AirportLookup& airports, QObject* parent)
    : QAbstractListModel(parent), airports_(airports)
{
}

void AirportListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int AirportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(airports_.size());
}

QVariant AirportListModel::data(const QModelIndex& index, int role) const
{
    // The box asks for the data of "no entry" while it shows none: that is no fault.
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto row = std::size_t(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return fromWindows1252(airports_.description(row));
        case Qt::UserRole:
            return fromWindows1252(airports_.code(row));
        default:
            return {};
    }
}

}  // namespace quorvel::ui
