#include "about/about_dialog.h"

#include "about/about_content.h"
#include "platform/error.h"
#include "widgets/jpeg_image.h"
#include "widgets/qt_text.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

using namespace quorvel::ui;

TVersionAwareAbout::TVersionAwareAbout(std::filesystem::path executable, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Image1(new QLabel(this)),
      reVersionInfo(new QTextEdit(this)),
      btnOK(new QPushButton(QStringLiteral("OK"), this)),
      executable_(std::move(executable))
{
    setFixedSize(267, 242);

    Image1->setGeometry(8, 8, 251, 105);
    Image1->setScaledContents(true);
    try {
        Image1->setPixmap(QPixmap::fromImage(loadJpegResource(QString::fromLatin1(kLogoPicture))));
    } catch (const quorvel::Error&) {
        // The box still shows the version lines; the picture is compiled in, so its tests catch this.
    }

    reVersionInfo->setGeometry(9, 118, 249, 89);
    reVersionInfo->setReadOnly(true);
    reVersionInfo->setAcceptRichText(false);
    reVersionInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reVersionInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    reVersionInfo->viewport()->setCursor(Qt::ArrowCursor);
    reVersionInfo->setFocusPolicy(Qt::NoFocus);
    QPalette palette = reVersionInfo->palette();
    palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
    reVersionInfo->setPalette(palette);

    btnOK->setGeometry(96, 212, 75, 25);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TVersionAwareAbout::FormCreate()
{
    const quorvel::about::AboutContent content = quorvel::about::aboutContentOf(executable_);
    setWindowTitle(fromWindows1252(content.title));
    reVersionInfo->clear();
    for (const std::string& line : content.lines) reVersionInfo->append(fromWindows1252(line));
}

void showAboutBox(const std::filesystem::path& executable)
{
    TVersionAwareAbout about(executable, QApplication::activeWindow());
    about.exec();
}
