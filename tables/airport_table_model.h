// tables/airport_table_model.h: the Airport Manager's grid over its airport editor.
//
// The rules (open row, post, cancel, field widths, order) are the editor's; the model passes
// the user's edits to it and turns what it reports into the model's signals. It reads every
// cell through the editor, so a reset costs nothing per row.
#pragma once

#include "tables/airport_editor.h"

#include <QAbstractTableModel>

namespace quorvel::ui {

class AirportTableModel final : public QAbstractTableModel, private quorvel::tables::AirportEditorListener {
    Q_OBJECT
public:
    using State = quorvel::tables::AirportEditor::State;

    // `airports` must outlive the model and change only through it (or be followed by reset()).
    explicit AirportTableModel(quorvel::tables::Table& airports, QObject* parent = nullptr);

    void reset();  // after the table was replaced: browse, rows in order
    void setOrder(quorvel::tables::AirportField field) { editor_.setOrder(field); }  // rows keep their identity
    quorvel::tables::AirportField order() const { return editor_.order(); }

    State state() const { return editor_.state(); }
    int openRow() const { return editor_.openRow(); }  // -1 when browsing
    void beginEdit(int row) { editor_.beginEdit(row); }
    int insertBlank(int row) { return editor_.insertBlank(row); }
    void post() { editor_.post(); }
    void cancel() { editor_.cancel(); }
    void removeRowAt(int row) { editor_.removeRowAt(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Cuts the text to the field's width (4 or 30 characters). Opens the row when it is not open.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void stateChanged();

private:
    void aboutToInsert(int row) override { beginInsertRows({}, row, row); }
    void inserted(int) override { endInsertRows(); }
    void aboutToRemove(int row) override { beginRemoveRows({}, row, row); }
    void removed(int) override { endRemoveRows(); }
    void aboutToReorder() override;
    void reordered(const std::vector<int>& newRowOf) override;
    void rowChanged(int row) override;
    void cellChanged(int row, int field) override;
    void editingChanged() override { emit stateChanged(); }

    quorvel::tables::AirportEditor editor_;
};

}  // namespace quorvel::ui
