#include "platform/report/ui/ReportPrint.h"

#include "platform/report/Render.h"
#include "platform/report/ReportError.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

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

namespace {

PdfFolderMemory& memory() {
  static PdfFolderMemory m;
  return m;
}

QString& runFolder() {
  static QString folder;
  return folder;
}

}  // namespace

void setPdfFolderMemory(PdfFolderMemory m) { memory() = std::move(m); }

QString lastPdfFolder() { return memory().read ? memory().read() : runFolder(); }

void setLastPdfFolder(const QString& folder) {
  if (memory().write)
    memory().write(folder);
  else
    runFolder() = folder;
}

QString suggestedPdfPath(const QString& title) {
  const QString folder = lastPdfFolder();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return {};
  QString name = title.trimmed();
  for (QChar& c : name)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) c = QLatin1Char('_');
  if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name = QStringLiteral("Отчет");
  return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

void suggestPdfFile(QPrinter& printer, const QString& title) {
  const QString path = suggestedPdfPath(title);
  if (path.isEmpty()) return;
  printer.setOutputFileName(path);  // this alone would choose the PDF file
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) printer.setOutputFormat(QPrinter::NativeFormat);
}

void rememberPdfFolder(const QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) return;
  setLastPdfFolder(QFileInfo(printer.outputFileName()).absolutePath());
}

bool printWithDialog(const PreparedReport& report, QWidget* parent) {
  if (report.pages.empty()) return false;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(report.title);
  suggestPdfFile(printer, report.title);
  QPrintDialog dialog(&printer, parent);
  dialog.setMinMax(1, report.pageCount());
  dialog.setFromTo(1, report.pageCount());
  if (dialog.exec() != QDialog::Accepted) return false;
  rememberPdfFolder(printer);
  int from = 1, to = report.pageCount();
  if (printer.printRange() == QPrinter::PageRange) {
    from = printer.fromPage();
    to = printer.toPage();
  }
  printPages(report, printer, from, to);
  return true;
}

}  // namespace kroyna::report
