// report/report_painter.h: draws laid-out report pages on any paint device: a printer, the
// print preview, a PDF writer, or an image in tests. Millimetres become device pixels through
// the device's resolution; fonts are sized in points, so a page looks alike on every device.
#pragma once

#include "platform/interaction.h"
#include "report/report_layout.h"

#include <QString>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace quorvel::report {

// A text as a page shows it: whole characters from its start, as many as fit the field's fixed
// width or the room it has, so a long airline name ends on a whole letter before the flight number.
QString shownText(const PlacedText& placed, const QPaintDevice& device);

// Draws one page with the painter's origin at the paper's top-left corner. The paper itself
// is not filled: a printer's is white already.
void paintPage(QPainter& painter, const Page& page);

// Sets the device to the pages' paper (portrait, no margins of its own, so the report's margins
// are the only ones; a printer is set to full page) and draws every page, one sheet each. A long
// report takes seconds, so `waits` shows the busy cursor and counts the pages drawn.
void printPages(QPagedPaintDevice& device, const std::vector<Page>& pages, Waits& waits);

}  // namespace quorvel::report
