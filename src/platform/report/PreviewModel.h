#pragma once

#include "platform/report/PreparedReport.h"

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace kroyna::report {

// What the preview window shows and decides: the report, the zoom, where
// each page lies on the scrolled canvas, and the text search.
class PreviewModel {
 public:
  static constexpr double kMinZoom = 0.1;
  static constexpr double kMaxZoom = 8.0;
  static constexpr double kGap = 12;  // pixels around and between pages

  explicit PreviewModel(PreparedReport report = {});

  const PreparedReport& report() const { return report_; }
  // A report loaded from a file replaces the shown one; the search restarts.
  void setReport(PreparedReport report);

  double zoom() const { return zoom_; }
  void setZoom(double z);
  void zoomIn();
  void zoomOut();
  // Zoom at which the widest page, or the tallest whole page, fits the viewport.
  double fitWidthZoom(double viewportWidthPx, double dpi) const;
  double fitPageZoom(QSizeF viewportPx, double dpi) const;

  // Device pixels per report unit on a screen of `dpi`.
  double scale(double dpi) const;
  // Pages stacked top to bottom, centred across the canvas.
  QSizeF canvasSize(double dpi) const;
  QRectF pageRect(int page, double dpi) const;
  // The page at a canvas height (the nearest one), 0-based; -1 with no pages.
  int pageAt(double yPx, double dpi) const;

  // Goes to the next object holding the text, after the current hit,
  // wrapping round to the first; false when there is none. A new text
  // starts from the first hit.
  bool findNext(const QString& text);
  std::optional<FindHit> currentHit() const;
  // The current hit's rectangle on the canvas.
  QRectF hitRect(double dpi) const;

 private:
  PreparedReport report_;
  double zoom_ = 1.0;
  QString findText_;
  std::vector<FindHit> hits_;
  int hitIndex_ = -1;
};

}  // namespace kroyna::report
