// tables/airport_cell_delegate.h: the Airport Manager's cell editor.
//
// It tells the window when a cell editor opens (so the row opens too), limits the editor to the
// field's width, and lets the window commit or drop the editor from its buttons.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

namespace quorvel::ui {

class AirportCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    std::function<void(const QModelIndex&)> opened;  // called as an editor is created for the cell

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The view closes editors on its own too (Enter, another cell); then none is open any more.
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    void commitAndClose();  // the open editor's text goes to the model, then the editor closes
    void close();           // the open editor closes, its text dropped

private:
    mutable QPointer<QWidget> editor_;
};

}  // namespace quorvel::ui
