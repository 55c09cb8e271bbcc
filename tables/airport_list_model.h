// tables/airport_list_model.h: the airports of the lookup copy as a list, in ascending
// DESCRIPTION order: each entry shows its description and yields its ICAO code.
#pragma once

#include "tables/airport_table.h"

#include <QAbstractListModel>

namespace quorvel::ui {

class AirportListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    // `airports` must outlive the model.
    explicit AirportListModel(const quorvel::tables::AirportLookup& airports, QObject* parent = nullptr);

    // Call after the lookup copy was loaded again: the list starts over from its rows.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    // Qt::DisplayRole (and EditRole): DESCRIPTION; Qt::UserRole: ICAO_CODE.
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const quorvel::tables::AirportLookup& airports_;
};

}  // namespace quorvel::ui
