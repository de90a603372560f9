#include "platform/report/ui/ReportPrint.h"

#include "platform/report/Render.h"
#include "platform/report/ReportError.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace kroyna::report {

void printPages(const PreparedReport& report, QPrinter& printer, int from, int to) {
  from = std::max(1, from);
  to = std::min(report.pageCount(), to);
  if (from > to) return;
  printer.setFullPage(true);
  setPage(printer, report.pages[static_cast<size_t>(from - 1)]);
  QPainter painter;
  if (!painter.begin(&printer)) throw ReportError("Не удается начать печать.");
  for (int i = from; i <= to; ++i) {
    const PreparedPage& page = report.pages[static_cast<size_t>(i - 1)];
    if (i > from) {
      setPage(printer, page);
      printer.newPage();
    }
    // The printer's layout knows the border it cannot print on; a page
    // with smaller margins is fitted inside it.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const QRectF paper(QPointF(0, 0), page.size);
    const QMarginsF border = layout.minimumMargins() * (kUnitsPerInch / 72.0);
    const PagePlacement at = placeOnPrintableArea(page, paper.marginsRemoved(border));
    const double scale = printer.resolution() / kUnitsPerInch;
    renderPage(painter, page, scale * at.scale, at.offset * scale);
  }
  painter.end();
}

bool printWithDialog(const PreparedReport& report, QWidget* parent) {
  if (report.pages.empty()) return false;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(report.title);
  QPrintDialog dialog(&printer, parent);
  dialog.setMinMax(1, report.pageCount());
  dialog.setFromTo(1, report.pageCount());
  if (dialog.exec() != QDialog::Accepted) return false;
  int from = 1, to = report.pageCount();
  if (printer.printRange() == QPrinter::PageRange) {
    from = printer.fromPage();
    to = printer.toPage();
  }
  printPages(report, printer, from, to);
  return true;
}

}  // namespace kroyna::report
