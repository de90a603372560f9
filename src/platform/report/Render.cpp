#include "platform/report/Render.h"

#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

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
void setPage(QPagedPaintDevice& device, const PreparedPage& p) {
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

}  // namespace kroyna::report
