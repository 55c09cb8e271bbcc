#include "report/report_painter.h"

#include "app/qt_text.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace quorvel::report {

namespace {

constexpr double millimetresPerInch = 25.4;
constexpr double lineWidthMm = 0.2;

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

void drawFrame(QPainter& painter, const PlacedBand& band, const Scale& scale)
{
    const Frame& frame = band.frame;
    if (!frame.left && !frame.top && !frame.right && !frame.bottom) return;
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
}

void drawText(QPainter& painter, const PlacedText& placed, const Scale& scale)
{
    const QString text = fromWindows1252(placed.text);
    const QFont font = qtFont(placed.font);
    const QFontMetricsF metrics(font, painter.device());
    const double width =
        placed.width ? *placed.width * scale.x : std::min(metrics.horizontalAdvance(text), placed.room * scale.x);
    const QRectF box(scale.point(placed.left, placed.top), QSizeF(width, metrics.height()));
    painter.save();
    painter.setClipRect(box);
    painter.fillRect(box, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

}  // namespace

void paintPage(QPainter& painter, const Page& page)
{
    const QPaintDevice* device = painter.device();
    const Scale scale{device->logicalDpiX() / millimetresPerInch, device->logicalDpiY() / millimetresPerInch};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlacedBand& band : page.bands) {
        for (const PlacedText& text : band.texts) drawText(painter, text, scale);
        drawFrame(painter, band, scale);
    }
    painter.restore();
}

void printPages(QPagedPaintDevice& device, const std::vector<Page>& pages)
{
    const double width = pages.empty() ? 210 : pages.front().width;
    const double height = pages.empty() ? 297 : pages.front().height;
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->setFullPage(true);
    device.setPageLayout(QPageLayout(QPageSize(QSizeF(width, height), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter(&device);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) device.newPage();
        paintPage(painter, pages[i]);
    }
}

}  // namespace quorvel::report
