// app/picture_file_dialog.h: the file-open dialog for pictures, which shows the picture of the
// file under the cursor beside the file list before the user takes it.
#pragma once

#include <QFileDialog>

class QLabel;

class PictureFileDialog final : public QFileDialog {
    Q_OBJECT
public:
    // Opens on `folder`, listing the files `filter` names ("Bitmaps (*.bmp *.BMP)"); resizable.
    PictureFileDialog(QWidget* parent, const QString& caption, const QString& folder, const QString& filter);

    // The preview: the current file's picture, shrunk to the box with its proportions kept and
    // centred; empty while the current file is no picture or there is none.
    QLabel* preview() const { return preview_; }

private:
    void showPreview(const QString& file);

    QLabel* preview_;
};
