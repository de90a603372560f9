#include "platform/report/Render.h"

#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

namespace kroyna::report {

void renderPage(QPainter& painter, const PreparedPage& page, double scale, QPointF origin) {
  RenderContext rc = RenderContext::forDevice(&painter, scale, origin);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const auto& o : page.objects) {
    painter.save();
    o->draw(rc);
    painter.restore();
  }
  painter.restore();
}

// Page sizes are kept upright; a page wider than high is an upright
// paper turned to landscape.
static void setPage(QPagedPaintDevice& device, const PreparedPage& p) {
  const bool landscape = p.size.width() > p.size.height();
  QSizeF mm(p.size.width() / kUnitsPerMm, p.size.height() / kUnitsPerMm);
  if (landscape) mm.transpose();
  QPageLayout layout(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
  layout.setMode(QPageLayout::FullPageMode);
  device.setPageLayout(layout);
}

void writePdf(const PreparedReport& report, const QString& path) {
  QBuffer file;
  file.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&file);
    pdf.setResolution(600);
    pdf.setTitle(report.title);
    pdf.setCreator(QStringLiteral("Kroyna"));
    if (!report.pages.empty()) setPage(pdf, report.pages.front());
    QPainter painter;
    if (!painter.begin(&pdf)) throw ReportError("Не удается создать PDF \"" + path.toStdString() + "\".");
    const double scale = pdf.resolution() / kUnitsPerInch;
    for (size_t i = 0; i < report.pages.size(); ++i) {
      if (i > 0) {
        setPage(pdf, report.pages[i]);
        pdf.newPage();
      }
      renderPage(painter, report.pages[i], scale);
    }
    painter.end();
  }
  saveFileAtomically(path, file.data());
}

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
    renderPage(painter, page, printer.resolution() / kUnitsPerInch);
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
