#include "about/splash_form.h"

#include <gtest/gtest.h>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

TEST(SplashForm, OpensWithItsPictureTitleAndPlaceholder)
{
    TSplashForm splash;
    splash.show();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.size(), QSize(256, 255));
    EXPECT_EQ(splash.Image1->pixmap().size(), QSize(247, 175));
    EXPECT_EQ(splash.StaticText1->text(), QStringLiteral("Quorvel for MS- Flight Simulator 2002"));
    EXPECT_EQ(splash.StaticText1->font().pixelSize(), 12);
    EXPECT_EQ(splash.InfoLabel->text(), QStringLiteral("Caption INFO"));
    EXPECT_EQ(splash.CGauge1->size(), QSize(241, 17));
    splash.close();
    EXPECT_FALSE(splash.isVisible());
}

TEST(SplashForm, MessagesAndGaugeFollowStartUp)
{
    TSplashForm splash;
    quorvel::about::SplashScreen& screen = splash;  // start-up sees only the interface
    screen.show();
    screen.setGaugeRange(0, 100);
    screen.setGauge(10);
    screen.say("Finding MS-FS2002 Directory...");
    EXPECT_EQ(splash.InfoLabel->text(), QStringLiteral("Finding MS-FS2002 Directory..."));
    screen.stepGauge();
    screen.stepGauge();
    EXPECT_EQ(screen.gauge(), 12);
    EXPECT_EQ(splash.CGauge1->value(), 12);

    screen.setGauge(99);
    for (int i = 0; i < 3; ++i) screen.stepGauge();
    EXPECT_EQ(screen.gauge(), 100);  // stepping past the maximum leaves it full
    screen.setGauge(50);
    screen.setGauge(250);
    EXPECT_EQ(screen.gauge(), 100);
    screen.setGauge(-5);
    EXPECT_EQ(screen.gauge(), 0);  // below the range shows as its start
    screen.say("Ok for now...!");
    EXPECT_EQ(splash.InfoLabel->text(), QStringLiteral("Ok for now...!"));
    screen.close();
}

namespace {

class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

TEST(SplashForm, EveryChangeIsPaintedBeforeTheCallReturns)
{
    // No event loop runs during start-up, so a change merely scheduled for painting would never show.
    TSplashForm splash;
    splash.show();
    PaintCounter label, gauge;
    splash.InfoLabel->installEventFilter(&label);
    splash.CGauge1->installEventFilter(&gauge);
    splash.say("Loading airports name...");
    EXPECT_GE(label.paints, 1);
    const int before = gauge.paints;
    splash.stepGauge();
    EXPECT_GT(gauge.paints, before);
}

TEST(SplashForm, FullGaugeIsNavy)
{
    TSplashForm splash;
    splash.show();
    splash.setGauge(100);
    const QImage shown = splash.grab().toImage();
    const QImage gaugeArea = shown.copy(splash.CGauge1->geometry().adjusted(3, 3, -3, -3));
    int navy = 0;
    for (int y = 0; y < gaugeArea.height(); ++y)
        for (int x = 0; x < gaugeArea.width(); ++x) navy += gaugeArea.pixelColor(x, y) == QColor(0, 0, 128);
    EXPECT_GT(navy, gaugeArea.width() * gaugeArea.height() / 2);
}

namespace {

// Relative luminance, 0 for black to 1 for white.
double luminance(QColor colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(QColor a, QColor b)
{
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QImage paintedGauge(QProgressBar& gauge, bool withText)
{
    gauge.setTextVisible(withText);
    QImage image(gauge.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    gauge.render(&image);
    return image;
}

}  // namespace

TEST(SplashForm, GaugePercentageReadsOverTheFillAndTheEmptyPart)
{
    TSplashForm splash;
    QProgressBar& gauge = *splash.CGauge1;
    for (const int value : {0, 30, 45, 50, 75, 100}) {
        splash.setGauge(value);
        const QImage bare = paintedGauge(gauge, false);
        const QImage text = paintedGauge(gauge, true);
        // Where the text changed a pixel, it must stand out from what lies under it: over the navy
        // fill as well as over the white. Anti-aliased glyph edges are the weaker pixels, so each
        // part must hold glyph pixels of full strength.
        const int fillEnd = 1 + (gauge.width() - 2) * value / 100;
        int strongOnFill = 0, strongOnEmpty = 0, changedOnFill = 0, changedOnEmpty = 0;
        for (int y = 0; y < bare.height(); ++y)
            for (int x = 0; x < bare.width(); ++x) {
                if (bare.pixel(x, y) == text.pixel(x, y)) continue;
                const bool onFill = x < fillEnd;
                const bool strong = contrast(bare.pixelColor(x, y), text.pixelColor(x, y)) >= 4.5;
                (onFill ? changedOnFill : changedOnEmpty) += 1;
                (onFill ? strongOnFill : strongOnEmpty) += strong;
            }
        EXPECT_GT(changedOnFill + changedOnEmpty, 0) << value;  // the percentage is written
        if (value >= 50) {                                      // from half on the fill reaches the text
            EXPECT_GT(changedOnFill, 0) << value;
            EXPECT_GE(strongOnFill, 8) << "over the fill at " << value;
        }
        if (value <= 50) {  // up to half, part of the text lies on the empty part
            EXPECT_GT(changedOnEmpty, 0) << value;
            EXPECT_GE(strongOnEmpty, 8) << "over the empty part at " << value;
        }
    }
}
