#include "about/splash_form.h"

#include "platform/error.h"
#include "widgets/jpeg_image.h"
#include "widgets/qt_text.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

using namespace quorvel::ui;

namespace {

constexpr std::chrono::milliseconds exposeBound{2000};

// Ends a local event loop when the window it watches is reported exposed.
class ExposeWatch final : public QObject {
public:
    explicit ExposeWatch(QEventLoop& loop) : loop_(loop) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Expose) loop_.quit();  // the loop ends after this event is handled
        return false;
    }

private:
    QEventLoop& loop_;
};

// The gauge: navy fills from the left over white, and its percentage stays readable over both,
// white where it lies on the fill and black where it lies on the empty part.
class Gauge final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        const QRect filled(inside.topLeft(), QSize(filledWidth(inside.width()), inside.height()));
        const QRect empty = QRect(filled.right() + 1, inside.top(), inside.width() - filled.width(), inside.height());
        painter.fillRect(inside, Qt::white);
        painter.fillRect(filled, fillColour);
        painter.setPen(Qt::gray);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        if (!isTextVisible()) return;
        const QString percentage = text();
        for (const auto& [part, ink] : {std::pair{empty, QColor(Qt::black)}, std::pair{filled, QColor(Qt::white)}}) {
            painter.setClipRect(part);
            painter.setPen(ink);
            painter.drawText(inside, Qt::AlignCenter, percentage);
        }
    }

private:
    static constexpr QColor fillColour{0, 0, 128};  // navy

    int filledWidth(int width) const
    {
        const qint64 span = qint64(maximum()) - minimum();
        if (span <= 0 || value() < minimum()) return 0;
        return int(width * (qint64(value()) - minimum()) / span);
    }
};

}  // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Panel1(new QFrame(this)),
      Image1(new QLabel(Panel1)),
      StaticText1(new QLabel(QStringLiteral("Quorvel for MS- Flight Simulator 2002"), this)),
      InfoLabel(new QLabel(QStringLiteral("Caption INFO"), this)),
      CGauge1(new Gauge(this))
{
    setFixedSize(256, 255);
    setContentsMargins(4, 4, 4, 4);

    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(4, 4, 249, 177);
    Image1->setGeometry(1, 1, 247, 175);
    Image1->setScaledContents(true);
    try {
        Image1->setPixmap(QPixmap::fromImage(loadJpegResource(QString::fromLatin1(kSplashPicture))));
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
    CGauge1->setRange(0, 100);
    CGauge1->setValue(0);
}

void TSplashForm::show()
{
    if (const QScreen* screen = this->screen()) move(screen->geometry().center() - rect().center());
    QWidget::show();
    raise();
    waitUntilExposed();
    repaint();
}

void TSplashForm::waitUntilExposed()
{
    // Qt paints a window only once the window system has reported it exposed, and that report
    // comes as an event. A window manager maps the window some time after we asked, so without
    // this the splash would stay an empty frame until the message loop runs, after start-up.
    QWindow* window = windowHandle();
    if (!window) return;
    const QDeadlineTimer deadline(exposeBound);  // a window system that never answers
    while (!window->isExposed() && !deadline.hasExpired()) {
        QEventLoop loop;
        ExposeWatch watch(loop);
        window->installEventFilter(&watch);
        QTimer::singleShot(int(std::max<qint64>(deadline.remainingTime(), 0)), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        window->removeEventFilter(&watch);
    }
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

int TSplashForm::gauge() const
{
    return CGauge1->value();
}

void TSplashForm::close()
{
    QWidget::close();
    destroy();
}
