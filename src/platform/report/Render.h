#pragma once

#include "platform/report/PreparedReport.h"

#include <QPointF>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace kroyna::report {

// Draws the page's objects with `scale` device units per report unit, the
// page's top-left corner at `origin`. Draws no background.
void renderPage(QPainter& painter, const PreparedPage& page, double scale, QPointF origin = {});

// Where a page goes on paper that a printer cannot print up to its edge.
// `printable` is the part of the page the printer prints, in report units.
// A page whose objects all lie inside it is drawn as it is (its margins
// hold on paper); otherwise the page is scaled down, keeping its
// proportions, and moved as little as it takes for everything on it to be
// printed. A page is drawn at `offset` + `scale` × its positions.
struct PagePlacement {
  double scale = 1;
  QPointF offset;
};
PagePlacement placeOnPrintableArea(const PreparedPage& page, const QRectF& printable);
// The area the page's objects cover, frames included; empty for an empty page.
QRectF contentBounds(const PreparedPage& page);

// Writes the report as a PDF file, one PDF page per report page in its
// own size; needs no display. Throws ReportError when the file cannot be
// written (an old file of that name is then left as it was).
void writePdf(const PreparedReport& report, const QString& path);

// Gives a PDF writer or printer the size and orientation of a page (sizes
// are kept upright; a page wider than high is an upright paper turned to
// landscape).
void setPage(QPagedPaintDevice& device, const PreparedPage& page);

}  // namespace kroyna::report
