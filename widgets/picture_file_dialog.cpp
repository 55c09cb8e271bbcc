#include "widgets/picture_file_dialog.h"

#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace quorvel::ui {

namespace {

constexpr QSize previewBox(160, 120);

}  // namespace

PictureFileDialog::PictureFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter)
    : QFileDialog(parent, caption, folder, filter), preview_(new QLabel(this))
{
    // Only the dialog drawn by the toolkit itself can take the preview; the file list is read
    // only, since choosing a flag is no occasion to rename or delete pictures.
    setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setSizeGripEnabled(true);

    preview_->setObjectName(QStringLiteral("picturePreview"));
    preview_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFixedSize(previewBox);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(preview_, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    connect(this, &QFileDialog::currentChanged, this, &PictureFileDialog::showPreview);
}

void PictureFileDialog::showPreview(const QString& file)
{
    QImageReader reader(file);
    const QImage picture = reader.canRead() ? reader.read() : QImage();
    if (picture.isNull()) {
        preview_->clear();
        return;
    }
    const QSize room = preview_->contentsRect().size();
    // A picture smaller than the box keeps its size; a larger one is shrunk to fit.
    const QImage shown = picture.width() > room.width() || picture.height() > room.height()
                             ? picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : picture;
    preview_->setPixmap(QPixmap::fromImage(shown));
}

}  // namespace quorvel::ui
