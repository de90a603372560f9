#include "platform/report/Render.h"

#include "platform/report/ReportError.h"
#include "platform/report/Template.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

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

QRectF contentBounds(const PreparedPage& page) {
  QRectF bounds;
  for (const auto& o : page.objects) {
    const double pen = o->frameLines || o->className() == "line" ? std::max(0.0, o->frameWidth) / 2 : 0.0;
    const QRectF r = QRectF(o->x, o->y, o->width, o->height).normalized().adjusted(-pen, -pen, pen, pen);
    bounds = bounds.isNull() ? r : bounds.united(r);
  }
  return bounds;
}

PagePlacement placeOnPrintableArea(const PreparedPage& page, const QRectF& printable) {
  PagePlacement at;
  const QRectF content = contentBounds(page);
  if (content.isNull() || printable.isEmpty()) return at;
  const double eps = 1e-6;
  if (printable.adjusted(-eps, -eps, eps, eps).contains(content)) return at;
  at.scale = std::min(
      {1.0, printable.width() / std::max(content.width(), eps), printable.height() / std::max(content.height(), eps)});
  // Scaled about the page's centre first, then moved inside the printable area.
  auto axis = [&](double pageSize, double lo, double hi, double from, double to) {
    double offset = (1 - at.scale) * pageSize / 2;
    if (offset + at.scale * lo < from) offset = from - at.scale * lo;
    if (offset + at.scale * hi > to) offset = to - at.scale * hi;
    return offset;
  };
  at.offset = QPointF(axis(page.size.width(), content.left(), content.right(), printable.left(), printable.right()),
                      axis(page.size.height(), content.top(), content.bottom(), printable.top(), printable.bottom()));
  return at;
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
