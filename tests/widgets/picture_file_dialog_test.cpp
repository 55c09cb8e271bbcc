#include "widgets/picture_file_dialog.h"

#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QLabel>

using quorvel::test::TempFolder;
using namespace quorvel::ui;

namespace {

QString pathOf(const std::filesystem::path& file)
{
    return QString::fromStdString(file.string());
}

QString writePicture(const std::filesystem::path& file, QSize size, Qt::GlobalColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(pathOf(file), "BMP"));
    return pathOf(file);
}

}  // namespace

TEST(PictureFileDialog, PreviewsThePictureUnderTheCursorBesideTheList)
{
    TempFolder folder;
    const QString wide = writePicture(folder / "AZA.bmp", {400, 100}, Qt::red);
    const QString small = writePicture(folder / "KLM.bmp", {30, 10}, Qt::blue);
    quorvel::test::writeBytes(folder / "BAD.bmp", "not a picture");
    PictureFileDialog dialog(nullptr, QStringLiteral("Flag picture"), pathOf(folder.path()),
                             QStringLiteral("Bitmaps (*.bmp *.BMP)"));
    dialog.resize(700, 400);
    dialog.show();

    QLabel* preview = dialog.preview();
    ASSERT_TRUE(preview->isVisible());
    const auto inDialog = [&dialog](const QWidget* widget) {
        return QRect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size());
    };
    int lists = 0;
    for (const char* name : {"sidebar", "listView", "treeView", "fileNameEdit"}) {
        const auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        if (!widget || !widget->isVisible()) continue;
        ++lists;
        EXPECT_FALSE(inDialog(preview).intersects(inDialog(widget))) << "the preview covers the " << name;
    }
    EXPECT_GE(lists, 2);
    EXPECT_TRUE(dialog.isSizeGripEnabled());
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));

    const struct {
        const char* what;
        QString file;
        QSize shown;  // nothing: the preview is empty
        QColor colour;
    } cases[] = {
        {"a large picture shrinks to the box, its proportions kept",
         wide,
         {preview->contentsRect().width(), preview->contentsRect().width() / 4},
         Qt::red},
        {"a small picture keeps its size", small, {30, 10}, Qt::blue},
        {"a file that is no picture clears the preview", pathOf(folder / "BAD.bmp"), {}, {}},
        {"no current file clears it too", QString(), {}, {}},
    };
    for (const auto& c : cases) {
        emit dialog.currentChanged(c.file);
        const QPixmap shown = preview->pixmap();
        EXPECT_EQ(shown.isNull() ? QSize() : shown.size(), c.shown) << c.what;
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2), c.colour) << c.what;
        }
    }
}
