#include "platform/report/PreviewModel.h"

#include <algorithm>
#include <cmath>

namespace kroyna::report {

static constexpr double kZoomSteps[] = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0};

PreviewModel::PreviewModel(PreparedReport report) : report_(std::move(report)) {}

void PreviewModel::setReport(PreparedReport report) {
  report_ = std::move(report);
  findText_.clear();
  hits_.clear();
  hitIndex_ = -1;
}

void PreviewModel::setZoom(double z) {
  if (!std::isfinite(z)) return;
  zoom_ = std::clamp(z, kMinZoom, kMaxZoom);
}

void PreviewModel::zoomIn() {
  for (double s : kZoomSteps)
    if (s > zoom_ + 1e-9) {
      zoom_ = s;
      return;
    }
}

void PreviewModel::zoomOut() {
  for (size_t i = std::size(kZoomSteps); i-- > 0;)
    if (kZoomSteps[i] < zoom_ - 1e-9) {
      zoom_ = kZoomSteps[i];
      return;
    }
}

double PreviewModel::scale(double dpi) const { return zoom_ * dpi / kUnitsPerInch; }

double PreviewModel::fitWidthZoom(double viewportWidthPx, double dpi) const {
  double w = 0;
  for (const auto& p : report_.pages) w = std::max(w, p.size.width());
  if (w <= 0 || dpi <= 0) return zoom_;
  return std::clamp((viewportWidthPx - 2 * kGap) / (w * dpi / kUnitsPerInch), kMinZoom, kMaxZoom);
}

double PreviewModel::fitPageZoom(QSizeF viewport, double dpi) const {
  double w = 0, h = 0;
  for (const auto& p : report_.pages) {
    w = std::max(w, p.size.width());
    h = std::max(h, p.size.height());
  }
  if (w <= 0 || h <= 0 || dpi <= 0) return zoom_;
  const double base = dpi / kUnitsPerInch;
  return std::clamp(std::min((viewport.width() - 2 * kGap) / (w * base), (viewport.height() - 2 * kGap) / (h * base)),
                    kMinZoom, kMaxZoom);
}

QSizeF PreviewModel::canvasSize(double dpi) const {
  const double s = scale(dpi);
  double w = 0, h = kGap;
  for (const auto& p : report_.pages) {
    w = std::max(w, p.size.width() * s);
    h += p.size.height() * s + kGap;
  }
  return QSizeF(w + 2 * kGap, h);
}

QRectF PreviewModel::pageRect(int page, double dpi) const {
  if (page < 0 || page >= report_.pageCount()) return {};
  const double s = scale(dpi);
  const double canvasW = canvasSize(dpi).width();
  double top = kGap;
  for (int i = 0; i < page; ++i) top += report_.pages[static_cast<size_t>(i)].size.height() * s + kGap;
  const QSizeF sz = report_.pages[static_cast<size_t>(page)].size * s;
  return QRectF((canvasW - sz.width()) / 2, top, sz.width(), sz.height());
}

int PreviewModel::pageAt(double yPx, double dpi) const {
  if (report_.pages.empty()) return -1;
  for (int i = 0; i < report_.pageCount(); ++i)
    if (yPx < pageRect(i, dpi).bottom() + kGap / 2) return i;
  return report_.pageCount() - 1;
}

bool PreviewModel::findNext(const QString& text) {
  if (text != findText_) {
    findText_ = text;
    hits_ = report_.find(text);
    hitIndex_ = -1;
  }
  if (hits_.empty()) return false;
  hitIndex_ = (hitIndex_ + 1) % static_cast<int>(hits_.size());
  return true;
}

std::optional<FindHit> PreviewModel::currentHit() const {
  if (hitIndex_ < 0 || hitIndex_ >= static_cast<int>(hits_.size())) return std::nullopt;
  return hits_[static_cast<size_t>(hitIndex_)];
}

QRectF PreviewModel::hitRect(double dpi) const {
  auto hit = currentHit();
  if (!hit) return {};
  const QRectF page = pageRect(hit->page, dpi);
  const ReportObject& o = *report_.pages[static_cast<size_t>(hit->page)].objects[static_cast<size_t>(hit->object)];
  const double s = scale(dpi);
  return QRectF(page.x() + o.x * s, page.y() + o.y * s, o.width * s, o.height * s);
}

}  // namespace kroyna::report
