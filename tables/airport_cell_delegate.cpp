#include "tables/airport_cell_delegate.h"

#include "tables/airport_editor.h"

#include <QLineEdit>

QWidget* AirportCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    if (opened) opened(index);
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setMaxLength(int(quorvel::tables::airportFieldWidth(index.column())));
    editor_ = editor;
    return editor;
}

void AirportCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == editor_) editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void AirportCellDelegate::commitAndClose()
{
    if (QWidget* editor = editor_) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void AirportCellDelegate::close()
{
    if (QWidget* editor = editor_) emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}
