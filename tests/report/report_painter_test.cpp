#include "report/report_painter.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QProcess>
#include <cstdlib>
#include <functional>

using namespace quorvel::report;
using namespace quorvel::ui;

namespace {

constexpr double dpi = 96;

// An A4 sheet at 96 dots per inch, white.
QImage sheet()
{
    QImage image(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

int px(double mm)
{
    return int(mm / 25.4 * dpi);
}

int darkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

Page onePage()
{
    PlacedBand title;
    title.kind = BandKind::Title;
    title.left = 10;
    title.top = 10;
    title.width = 189.8;
    title.height = 10.6;
    title.frame = {true, true, true, true, LineStyle::Solid};
    title.texts.push_back({"QRReportTitle", "Quorvel Report for ROME - DEPARTURES", 10, 14.2, std::nullopt, 189.8,
                           Font{"Arial", 14, true, false}});

    PlacedBand header;
    header.kind = BandKind::ColumnHeader;
    header.left = 10;
    header.top = 20.6;
    header.width = 189.8;
    header.height = 10.6;
    header.frame.bottom = true;
    header.frame.style = LineStyle::Dotted;
    header.texts.push_back({"QRToFromLabel", "FROM-AND-FAR-TOO-LONG", 58, 24.8, 11.6, 0, Font{}});
    header.texts.push_back({"QRLAirline", "AN AIRLINE NAME FAR TOO LONG", 10, 24.8, std::nullopt, 20, Font{}});

    Page page;
    page.bands = {title, header};
    return page;
}

}  // namespace

TEST(ReportPainter, DrawsFramesAndTextsWhereTheMillimetresSay)
{
    QImage image = sheet();
    {
        QPainter painter(&image);
        paintPage(painter, onePage());
    }
    // The title band's frame: its top and left lines, nothing above or beside them.
    EXPECT_GT(darkPixels(image, QRect(px(50), px(10) - 1, px(100), 3)), px(100) / 2) << "top line at 10 mm";
    EXPECT_GT(darkPixels(image, QRect(px(10) - 1, px(12), 3, px(6))), px(6) / 2) << "left line at 10 mm";
    EXPECT_EQ(darkPixels(image, QRect(0, 0, image.width(), px(10) - 2)), 0) << "nothing in the top margin";
    // The title's text inside the band; the dotted line under the header: some pixels, not all.
    EXPECT_GT(darkPixels(image, QRect(px(10) + 3, px(14.2), px(60), px(6))), 50);
    const int dotted = darkPixels(image, QRect(px(50), px(31.2) - 1, px(100), 3));
    EXPECT_GT(dotted, px(100) / 5);
    EXPECT_LT(dotted, px(100) * 3 / 4) << "dotted, not solid";
    // A fixed-width text is cut at its width, a text sized to itself at the room it has.
    EXPECT_GT(darkPixels(image, QRect(px(58), px(24.8), px(11.6), px(4))), 10);
    EXPECT_EQ(darkPixels(image, QRect(px(69.6) + 2, px(24.8), px(20), px(4))), 0);
    EXPECT_GT(darkPixels(image, QRect(px(10), px(24.8), px(20), px(4))), 10);
    EXPECT_EQ(darkPixels(image, QRect(px(30) + 2, px(24.8), px(27), px(4))), 0);
}

TEST(ReportPainter, ATextTooLongForItsRoomEndsOnAWholeCharacter)
{
    const QImage device = sheet();
    const struct {
        const char* what;
        PlacedText placed;
    } cases[] = {
        {"an airline sized to its room",
         {"QRAirline", "KLM ROYAL DUTCH AIRLINES WORLDWIDE", 10, 40, std::nullopt, 29, Font{}}},
        {"a fixed-width label", {"QRToFromLabel", "FROMWARDS", 58, 40, 11.6, 0, Font{}}},
        {"a name cut at a blank", {"QRAirline", "WWWWWWWWWW WWWWWWWWWWWW", 10, 40, std::nullopt, 29, Font{}}},
    };
    for (const auto& c : cases) {
        const PlacedText& placed = c.placed;
        const QString shown = shownText(placed, device);
        const QFontMetricsF metrics(QFont(QStringLiteral("Arial"), 10), &device);
        const double room = (placed.width ? *placed.width : placed.room) / 25.4 * dpi;
        ASSERT_FALSE(shown.isEmpty()) << c.what;
        EXPECT_TRUE(QString::fromLatin1(placed.text.c_str()).startsWith(shown)) << c.what;
        EXPECT_FALSE(shown.endsWith(' ')) << c.what;
        EXPECT_LE(metrics.horizontalAdvance(shown), room) << c.what;
        const QString withNext = QString::fromLatin1(placed.text.c_str()).left(shown.size() + 1);
        EXPECT_GT(metrics.horizontalAdvance(withNext), room) << c.what << ": one more character would not fit";

        // On paper: exactly the whole characters, as if the shorter text had been printed with room to spare.
        const auto paint = [](const PlacedText& text) {
            QImage image = sheet();
            PlacedBand band;
            band.texts.push_back(text);
            Page page;
            page.bands.push_back(band);
            QPainter painter(&image);
            paintPage(painter, page);
            return image;
        };
        PlacedText whole = placed;
        whole.text = shown.toStdString();
        whole.width = 150;
        EXPECT_EQ(paint(placed), paint(whole)) << c.what << ": no character is printed in part";
    }
}

namespace {

// A band of texts that lean out of their box (italics), reach its foot (descenders), touch its
// right edge (a text filling its fixed width), or lie over another text.
PlacedBand awkwardTexts()
{
    PlacedBand band;
    band.left = 10;
    band.top = 10;
    band.width = 189.8;
    band.height = 60;
    const Font plain{}, leaning{"Arial", 14, true, true}, large{"Arial", 20, false, false};
    const std::pair<const char*, Font> texts[] = {
        {"ROME FIUMICINO", plain},
        {"gjpqy Wf", leaning},
        {"fffffffffffffff", leaning},
        {"13:45", plain},
        {"Qgjpy|", large},
        {"WWWWWWWWWWWWWWWWWWWWWWW", plain},
        {"AVIANCA \xC9QUATEUR", leaning},
        {"", plain},
    };
    double top = 12;
    for (const auto& [text, font] : texts) {
        band.texts.push_back({"A", text, 12, top, std::nullopt, 25, font});
        band.texts.push_back({"B", text, 40, top, 11.6, 0, font});            // a fixed width
        band.texts.push_back({"C", text, 55, top, std::nullopt, 140, font});  // room to spare
        band.texts.push_back({"D", text, 20, top + 1, 6.0, 0, font});         // over A, so on white
        top += 7;
    }
    return band;
}

// The band as it would look with every text filled and clipped to its box, on any device.
void paintEachTextClipped(QPainter& painter, const PlacedBand& band)
{
    QPaintDevice& device = *painter.device();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double perMm = device.logicalDpiX() / 25.4;
    for (const PlacedText& placed : band.texts) {
        QFont font(QString::fromStdString(placed.font.family));
        font.setPointSizeF(placed.font.points);
        font.setItalic(placed.font.italic);
        font.setBold(placed.font.bold);
        const QFontMetricsF metrics(font, &device);
        const QString shown = shownText(placed, device);
        const QString whole = QString::fromLatin1(placed.text.c_str());
        const double width =
            placed.width ? *placed.width * perMm : std::min(metrics.horizontalAdvance(whole), placed.room * perMm);
        const QRectF box(placed.left * perMm, placed.top * perMm, width, metrics.height());
        painter.setClipRect(box);
        painter.fillRect(box, Qt::white);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    }
}

}  // namespace

// Texts are clipped only when their ink would leave the box, and filled white only over what was
// drawn before; the page must look exactly as if every text had been filled and clipped.
TEST(ReportPainter, TextsLookAsIfEachWereClippedToItsBox)
{
    Page page;
    page.bands.push_back(awkwardTexts());
    QImage painted = sheet();
    {
        QPainter painter(&painted);
        paintPage(painter, page);
    }
    QImage clipped = sheet();
    {
        QPainter painter(&clipped);
        paintEachTextClipped(painter, page.bands.front());
    }
    EXPECT_GT(darkPixels(painted, QRect(0, 0, painted.width(), painted.height())), 500);
    EXPECT_EQ(painted, clipped);
}

// A print preview records its pages and shows them at any zoom, so there every text keeps its
// clip: shown at 91 %, the recorded page looks as the one with every text filled and clipped.
TEST(ReportPainter, ARecordedPageShownAtAnyZoomLooksAsIfEachTextWereClipped)
{
    Page page;
    page.bands.push_back(awkwardTexts());
    const auto shown = [](const std::function<void(QPainter&)>& paint) {
        QPicture picture;
        {
            QPainter painter(&picture);
            paint(painter);
        }
        QImage image = sheet();
        QPainter painter(&image);
        painter.scale(0.91, 0.91);
        picture.play(&painter);
        return image;
    };
    const QImage painted = shown([&](QPainter& painter) { paintPage(painter, page); });
    const QImage clipped = shown([&](QPainter& painter) { paintEachTextClipped(painter, page.bands.front()); });
    EXPECT_GT(darkPixels(painted, painted.rect()), 500);
    EXPECT_EQ(painted, clipped);
}

// The same in a PDF, where clips are exact and texts are left unclipped closer to their box's
// edge: both files, rendered at a resolution finer than a printer's dot, give the same picture.
TEST(ReportPainter, APdfLooksAsIfEachTextWereClippedToItsBox)
{
#ifndef QRVL_PDFTOPPM
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
#else
    quorvel::test::TempFolder folder;
    Page page;
    page.bands.push_back(awkwardTexts());
    const auto render = [&](const std::string& name, const std::function<void(QPainter&)>& paint) {
        const QString pdf = QString::fromStdString((folder / (name + ".pdf")).string());
        {
            QPdfWriter writer(pdf);
            writer.setResolution(1200);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            QPainter painter(&writer);
            paint(painter);
        }
        QProcess pdftoppm;
        pdftoppm.start(QStringLiteral(QRVL_PDFTOPPM),
                       {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                        QStringLiteral("-singlefile"), pdf, QString::fromStdString((folder / name).string())});
        EXPECT_TRUE(pdftoppm.waitForFinished(30000));
        return QImage(QString::fromStdString((folder / (name + ".png")).string()));
    };
    const QImage painted = render("painted", [&](QPainter& painter) { paintPage(painter, page); });
    const QImage clipped =
        render("clipped", [&](QPainter& painter) { paintEachTextClipped(painter, page.bands.front()); });
    ASSERT_FALSE(painted.isNull());
    ASSERT_EQ(painted.size(), clipped.size());
    EXPECT_GT(darkPixels(painted, painted.rect()), 500);
    // The renderer's smoothing may round a grey a step differently under a clip: no more.
    int differing = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            differing += std::abs(qGray(painted.pixel(x, y)) - qGray(clipped.pixel(x, y))) > 4;
    EXPECT_EQ(differing, 0);
#endif
}

// A text's white box hides what was drawn before it under the box, a frame line of the band above
// as much as another text; elsewhere the line shows.
TEST(ReportPainter, ATextBoxHidesTheLineItStandsOn)
{
    PlacedBand framed;
    framed.left = 10;
    framed.top = 10;
    framed.width = 100;
    framed.height = 20;
    framed.frame = {true, true, true, true, LineStyle::Solid};
    PlacedBand below;
    below.left = 10;
    below.top = 30;
    below.width = 100;
    below.height = 10;
    below.texts.push_back({"A", "xx", 40, 29.6, 20.0, 0, Font{}});  // its box's top 0.4 mm above the line
    Page page;
    page.bands = {framed, below};
    QImage image = sheet();
    {
        QPainter painter(&image);
        paintPage(painter, page);
    }
    const int line = px(30);
    EXPECT_EQ(darkPixels(image, QRect(px(40) + 2, line - 1, px(20) - 4, 3)), 0) << "the line under the box";
    EXPECT_GT(darkPixels(image, QRect(px(15), line - 1, px(20), 3)), px(20) / 2) << "the line beside it";
    EXPECT_GT(darkPixels(image, QRect(px(40), line + 2, px(20), px(5))), 5) << "the text itself";
}
