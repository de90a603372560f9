#pragma once

#include "platform/report/PreparedReport.h"

#include <QString>

class QPainter;
class QPrinter;
class QWidget;

namespace kroyna::report {

// Draws the page's objects with `scale` device units per report unit, the
// page's top-left corner at `origin`. Draws no background.
void renderPage(QPainter& painter, const PreparedPage& page, double scale, QPointF origin = {});

// Writes the report as a PDF file, one PDF page per report page in its
// own size; needs no display. Throws ReportError when the file cannot be
// written (an old file of that name is then left as it was).
void writePdf(const PreparedReport& report, const QString& path);

// Prints pages from..to (1-based, inclusive) on a printer that is set up.
void printPages(const PreparedReport& report, QPrinter& printer, int from, int to);

// Shows the platform's print dialog and prints; false when cancelled.
bool printWithDialog(const PreparedReport& report, QWidget* parent);

}  // namespace kroyna::report
