#include "about/splash_form.h"

#include "about/jpeg_image.h"
#include "app/qt_text.h"
#include "platform/error.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Panel1(new QFrame(this)),
      Image1(new QLabel(Panel1)),
      StaticText1(new QLabel(QStringLiteral("Quorvel for MS- Flight Simulator 2002"), this)),
      InfoLabel(new QLabel(QStringLiteral("Caption INFO"), this)),
      CGauge1(new QProgressBar(this))
{
    setFixedSize(256, 255);
    setContentsMargins(4, 4, 4, 4);

    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(4, 4, 249, 177);
    Image1->setGeometry(1, 1, 247, 175);
    Image1->setScaledContents(true);
    try {
        Image1->setPixmap(QPixmap::fromImage(quorvel::about::loadJpegResource(QString::fromLatin1(quorvel::about::kSplashPicture))));
    } catch (const quorvel::Error&) {
        // Start-up goes on without its picture; the picture is compiled in, so its tests catch this.
    }

    StaticText1->setGeometry(4, 186, 248, 22);
    StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText1->setAlignment(Qt::AlignCenter);
    QFont titleFont = StaticText1->font();
    titleFont.setPixelSize(12);
    StaticText1->setFont(titleFont);

    InfoLabel->setGeometry(8, 212, 244, 16);

    CGauge1->setGeometry(8, 232, 241, 17);
    CGauge1->setOrientation(Qt::Horizontal);
    CGauge1->setAlignment(Qt::AlignCenter);
    CGauge1->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid gray; background: white; color: black; }"
                                          "QProgressBar::chunk { background: navy; }"));
    CGauge1->setRange(0, 100);
    CGauge1->setValue(0);
}

void TSplashForm::show()
{
    if (const QScreen* screen = this->screen())
        move(screen->geometry().center() - rect().center());
    QWidget::show();
    raise();
    repaint();
}

void TSplashForm::say(std::string_view message)
{
    InfoLabel->setText(fromUtf8(message));
    repaint();
}

void TSplashForm::setGaugeRange(int minimum, int maximum)
{
    CGauge1->setRange(minimum, std::max(minimum, maximum));
    repaint();
}

void TSplashForm::setGauge(int value)
{
    // QProgressBar ignores a value outside its range; the gauge shows it at the nearest end instead.
    CGauge1->setValue(std::clamp(value, CGauge1->minimum(), CGauge1->maximum()));
    repaint();
}

int TSplashForm::gauge() const { return CGauge1->value(); }

void TSplashForm::close()
{
    QWidget::close();
    destroy();
}
