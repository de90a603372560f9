#pragma once

#include "platform/report/PreparedReport.h"

#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace kroyna::report {

// Draws the page's objects with `scale` device units per report unit, the
// page's top-left corner at `origin`. Draws no background.
void renderPage(QPainter& painter, const PreparedPage& page, double scale, QPointF origin = {});

// Writes the report as a PDF file, one PDF page per report page in its
// own size; needs no display. Throws ReportError when the file cannot be
// written (an old file of that name is then left as it was).
void writePdf(const PreparedReport& report, const QString& path);

// Gives a PDF writer or printer the size and orientation of a page (sizes
// are kept upright; a page wider than high is an upright paper turned to
// landscape).
void setPage(QPagedPaintDevice& device, const PreparedPage& page);

}  // namespace kroyna::report
