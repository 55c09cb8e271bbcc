#include "report/report_painter.h"

#include "platform/kept_memory.h"
#include "widgets/qt_text.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace quorvel::ui {

using namespace report;

namespace {

constexpr double millimetresPerInch = 25.4;
constexpr double lineWidthMm = 0.2;
constexpr std::size_t shownTextsKept = 20000;  // per font

struct Scale {
    double x = 1;  // device pixels per millimetre
    double y = 1;

    QPointF point(double left, double top) const { return {left * x, top * y}; }
};

QFont qtFont(const Font& font)
{
    // No style hint: with one, the font matcher prefers its generic face over a metric-compatible
    // stand-in for the family ("Arial" printed in a wider face would crowd the columns).
    QFont qt(QString::fromStdString(font.family));
    qt.setPointSizeF(font.points);
    qt.setItalic(font.italic);
    qt.setBold(font.bold);
    return qt;
}

// Whether it drew any line.
bool drawFrame(QPainter& painter, const PlacedBand& band, const Scale& scale)
{
    const Frame& frame = band.frame;
    if (!frame.left && !frame.top && !frame.right && !frame.bottom) return false;
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, lineWidthMm * scale.x));
    pen.setStyle(frame.style == LineStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    painter.setPen(pen);
    const QPointF topLeft = scale.point(band.left, band.top);
    const QPointF bottomRight = scale.point(band.left + band.width, band.top + band.height);
    const QPointF topRight(bottomRight.x(), topLeft.y());
    const QPointF bottomLeft(topLeft.x(), bottomRight.y());
    if (frame.top) painter.drawLine(topLeft, topRight);
    if (frame.bottom) painter.drawLine(bottomLeft, bottomRight);
    if (frame.left) painter.drawLine(topLeft, bottomLeft);
    if (frame.right) painter.drawLine(topRight, bottomRight);
    return true;
}

// Whole characters from the start of `text` while they fit in `width` device pixels; a name cut
// short also loses the blanks it would end on.
QString wholeCharactersThatFit(const QString& text, const QFontMetricsF& metrics, double width)
{
    if (metrics.horizontalAdvance(text) <= width) return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    for (qsizetype end = characters.toNextBoundary(); end > 0; end = characters.toNextBoundary()) {
        if (metrics.horizontalAdvance(text.left(end)) > width) break;
        fits = end;
    }
    return text.left(fits).trimmed();
}

// A field's box on the device and what shows in it.
struct Fit {
    double width = 0;  // its fixed width, else its text's up to the room it has
    QString text;      // the whole characters that fit
};

Fit fitInBox(const PlacedText& placed, const QFontMetricsF& metrics, const Scale& scale)
{
    const QString text = fromWindows1252(placed.text);
    const double advance = metrics.horizontalAdvance(text);  // measured once: most texts fit
    const double width = placed.width ? *placed.width * scale.x : std::min(advance, placed.room * scale.x);
    return {width, advance <= width ? text : wholeCharactersThatFit(text, metrics, width)};
}

Scale scaleOf(const QPaintDevice& device)
{
    return {device.logicalDpiX() / millimetresPerInch, device.logicalDpiY() / millimetresPerInch};
}

// How a text stands in its box on the device.
struct ShownText {
    QString text;         // its whole characters that fit
    double width = 0;     // the box's width
    bool spills = false;  // some ink of it would fall outside the box, so it is drawn clipped
    // Its line laid out and shaped once, drawn wherever it recurs; none for an empty text.
    std::unique_ptr<QTextLayout> layout;
};

// The text as one line from the top left corner of its box, as drawing it left and top aligned
// on a single line lays it out.
std::unique_ptr<QTextLayout> layOut(const QString& text, const QFont& font, const QPaintDevice* device)
{
    if (text.isEmpty()) return nullptr;
    auto layout = std::make_unique<QTextLayout>(text, font, const_cast<QPaintDevice*>(device));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    layout->endLayout();
    return layout;
}

// Where the glyphs of a laid-out text put ink, from the top left corner of its line.
QRectF inkOf(const QTextLayout& layout)
{
    QRectF ink;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
            ink |= font.boundingRect(glyphs[i]).translated(positions[i]);
    }
    return ink;
}

// The fonts of the pages and their metrics on the device, each made once: a report has a
// handful of fonts, its pages thousands of texts. Each font also keeps how its texts are shown,
// worked out once per text and box: a timetable repeats its airlines, airports and times page
// after page, and measuring a text is the dear part of drawing it.
class DeviceFonts {
public:
    explicit DeviceFonts(const QPainter& painter) : device_(painter.device())
    {
        // On a PDF (a printer's too) a clip is exact geometry, and on a picture of pixels it keeps
        // whole pixels. A print preview records its pages and shows them at any zoom: there a clip
        // may cut into the smoothed edge of a glyph that stays inside its box, so every text keeps it.
        switch (painter.paintEngine() ? painter.paintEngine()->type() : QPaintEngine::User) {
            case QPaintEngine::Pdf:
                spare_ = 0;
                break;
            case QPaintEngine::Raster:
                spare_ = 1;
                break;
            default:
                spare_.reset();
                break;
        }
    }

    struct Entry {
        Font font;
        QFont qt;
        QFontMetricsF metrics;
        std::unordered_map<std::string, ShownText> shown;  // by the text and its box's width
    };

    Entry& of(const Font& font)
    {
        for (Entry& entry : entries_)
            if (entry.font == font) return entry;
        const QFont qt = qtFont(font);
        entries_.push_back(Entry{font, qt, QFontMetricsF(qt, device_), {}});
        return entries_.back();
    }

    const ShownText& shown(Entry& font, const PlacedText& placed, const Scale& scale)
    {
        std::string key = placed.text;
        const double room = placed.width ? -*placed.width : placed.room;  // fixed widths are negative
        key.append(reinterpret_cast<const char*>(&room), sizeof room);
        const auto found = font.shown.find(key);
        if (found != font.shown.end()) return found->second;
        // A long report's flight numbers seldom repeat: the cache starts again rather than grow
        // with every row of a board of a hundred thousand.
        if (font.shown.size() >= shownTextsKept) font.shown.clear();
        ShownText shown;
        Fit fit = fitInBox(placed, font.metrics, scale);
        shown.width = fit.width;
        shown.text = std::move(fit.text);
        shown.layout = layOut(shown.text, font.qt, device_);
        // On a pixel device, a pixel to spare on every side: a box seldom starts on a whole pixel,
        // a clip there keeps whole pixels only, and hinting may shift a glyph by one.
        if (shown.layout && spare_) {
            const QRectF ink = inkOf(*shown.layout);
            const double spare = *spare_;
            shown.spills = ink.left() < spare || ink.right() > shown.width - spare || ink.top() < spare ||
                           ink.bottom() > font.metrics.height() - spare;
        } else {
            shown.spills = shown.layout != nullptr;  // an empty text draws nothing to clip
        }
        return font.shown.emplace(std::move(key), std::move(shown)).first->second;
    }

private:
    const QPaintDevice* device_;
    std::optional<double> spare_;  // nothing: every text is clipped
    std::deque<Entry> entries_;    // entries stay where they are as more are made
};

// What is drawn on a page so far, as rectangles a device pixel wider on every side than the ink
// and paint they hold.
class DrawnAreas {
public:
    void add(const QRectF& area) { areas_.push_back(area.adjusted(-1, -1, 1, 1)); }
    bool meets(const QRectF& box) const
    {
        return std::any_of(areas_.begin(), areas_.end(), [&box](const QRectF& area) { return area.intersects(box); });
    }

private:
    std::vector<QRectF> areas_;
};

// Each text on white in its box, clipped to it. The painter keeps its pen and clipping from one
// text to the next: a preview records every change of state, and a PDF writes each one, hundreds
// of thousands in a long report. So a text whose ink stays well inside its box is not clipped, a
// box that meets nothing drawn before it is not filled (the paper is white already), and the
// text's own layout carries its font.
void drawText(QPainter& painter, const PlacedText& placed, const Scale& scale, DeviceFonts& fonts, DrawnAreas& drawn)
{
    DeviceFonts::Entry& font = fonts.of(placed.font);
    const ShownText& shown = fonts.shown(font, placed, scale);
    const QRectF box(scale.point(placed.left, placed.top), QSizeF(shown.width, font.metrics.height()));
    if (shown.spills)
        painter.setClipRect(box);
    else if (painter.hasClipping())
        painter.setClipping(false);
    if (drawn.meets(box)) painter.fillRect(box, Qt::white);
    if (shown.layout) shown.layout->draw(&painter, box.topLeft());
    drawn.add(box);
}

void paintPage(QPainter& painter, const Page& page, DeviceFonts& fonts)
{
    const Scale scale = scaleOf(*painter.device());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawnAreas drawn;
    for (const PlacedBand& band : page.bands) {
        painter.setPen(Qt::black);
        for (const PlacedText& text : band.texts) drawText(painter, text, scale, fonts, drawn);
        if (painter.hasClipping()) painter.setClipping(false);
        if (drawFrame(painter, band, scale)) {
            // The lines stand on the band's edges, half their width to either side.
            const double half = std::max(1.0, lineWidthMm * scale.x);
            drawn.add(
                QRectF(scale.point(band.left, band.top), scale.point(band.left + band.width, band.top + band.height))
                    .adjusted(-half, -half, half, half));
        }
    }
    painter.restore();
}

}  // namespace

QString shownText(const PlacedText& placed, const QPaintDevice& device)
{
    const QFontMetricsF metrics(qtFont(placed.font), &device);
    return fitInBox(placed, metrics, scaleOf(device)).text;
}

void paintPage(QPainter& painter, const Page& page)
{
    DeviceFonts fonts(painter);
    paintPage(painter, page, fonts);
}

void printPages(QPagedPaintDevice& device, const std::vector<Page>& pages, Waits& waits)
{
    // A PDF writer takes and frees large buffers for every page; kept until the file is closed.
    const platform::KeptFreedMemory keptMemory;
    // Started before the painter opens the device, so whatever the wait shows meets no half-drawn pages.
    ProgressWait progress(waits, "Drawing the pages...", int(pages.size()));
    const double width = pages.empty() ? 210 : pages.front().width;
    const double height = pages.empty() ? 297 : pages.front().height;
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->setFullPage(true);
    device.setPageLayout(QPageLayout(QPageSize(QSizeF(width, height), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter(&device);
    DeviceFonts fonts(painter);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) device.newPage();
        paintPage(painter, pages[i], fonts);
        progress.advance(int(i) + 1);
    }
}

}  // namespace quorvel::ui
