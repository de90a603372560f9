#include "maps/MapDrawing.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kroyna::maps {

double mapsRatio(QSize page, int statusHeight, std::int32_t maxWidth, std::int32_t maxHeight) {
  if (maxWidth <= 0 || maxHeight <= 0) return 0;
  const double rx = double(page.width() - 2 * kSheetMargin) / maxWidth;
  const double ry = double(page.height() - 2 * kSheetMargin - 2 * statusHeight) / maxHeight;
  return std::max(0.0, std::min(rx, ry));
}

int toPixels(std::int32_t mm, double ratio) { return static_cast<int>(std::lround(double(mm) * ratio)); }

QRect elementRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, double ratio) {
  return QRect(toPixels(left, ratio), toPixels(top, ratio), toPixels(width, ratio), toPixels(height, ratio));
}

namespace {

QString sizeText(std::int32_t w, std::int32_t h) {
  return QString::number(w) + QStringLiteral("x") + QString::number(h);
}

}  // namespace

ElementLabels partLabels(const MapPart& p, int w, int h, const QFontMetrics& fm) {
  ElementLabels out;
  if (!p.ShowTitle && !p.ShowDim) return out;
  const int th = fm.height();
  const int x0 = p.LeftBorder > 0 ? 4 : 2;
  const int y0 = p.TopBorder > 0 ? 4 : 1;
  const int right = p.RightBorder > 0 ? w - 5 : w - 2;
  const int bottom = p.BottomBorder > 0 ? h - 5 : h - 1;

  bool inlineDims = false;
  int heightWidth = 0;
  const QString heightText = QString::number(p.width);
  if (p.ShowDim) {
    heightWidth = fm.horizontalAdvance(heightText);
    inlineDims = p.ShowTitle ? heightWidth > bottom - th : heightWidth > bottom;
  }
  if (p.ShowTitle || inlineDims) {
    out.line = true;
    if (p.ShowTitle) out.lineText = QString::fromStdString(p.Title) + QStringLiteral(" ");
    if (inlineDims) out.lineText += sizeText(p.length, p.width);
    out.lineClip = QRect(x0, y0, std::max(0, right - x0), th);
  }
  if (p.ShowDim && !inlineDims) {
    out.sideDims = true;
    out.heightText = heightText;
    out.heightAt = QPoint(x0, (h + heightWidth) / 2);
    out.widthText = QString::number(p.length);
    out.widthAt = QPoint((w - fm.horizontalAdvance(out.widthText)) / 2, bottom - th);
  }
  return out;
}

ElementLabels offcutLabels(const MapOffcut& o, int w, int h, const QFontMetrics& fm) {
  ElementLabels out;
  if (!o.ShowText && !o.ShowDim) return out;
  const int th = fm.height();
  const bool hasText = o.ShowText && !o.Text.empty();
  bool inlineDims = false;
  int heightWidth = 0;
  const QString heightText = QString::number(o.width);
  if (o.ShowDim) {
    heightWidth = fm.horizontalAdvance(heightText);
    inlineDims = hasText ? heightWidth > h - th : heightWidth > h;
  }
  if (hasText || inlineDims) {
    out.line = true;
    if (hasText) out.lineText = QString::fromStdString(o.Text) + QStringLiteral(" ");
    if (inlineDims) out.lineText += sizeText(o.length, o.width);
    out.lineClip = QRect(1, 1, std::max(0, w - 3), th);
  }
  if (o.ShowDim && !inlineDims) {
    out.sideDims = true;
    out.heightText = heightText;
    out.heightAt = QPoint(1, (h + heightWidth) / 2);
    out.widthText = QString::number(o.length);
    out.widthAt = QPoint((w - fm.horizontalAdvance(out.widthText)) / 2, h - th - 2);
  }
  return out;
}

QFont mapQFont(const common::FontKeys& font) {
  QFont f = common::toQFont(font);
  if (f.pointSize() <= 0) f.setPointSize(8);
  return f;
}

namespace {

void drawLabels(QPainter& painter, const ElementLabels& labels, const QFont& font, std::int32_t fontColour) {
  if (!labels.line && !labels.sideDims) return;
  painter.setFont(font);
  painter.setPen(common::toQColor(fontColour));
  painter.setBrush(Qt::NoBrush);
  const QFontMetrics fm(font);
  if (labels.line) {
    painter.save();
    painter.setClipRect(labels.lineClip, Qt::IntersectClip);
    painter.drawText(QRect(labels.lineClip.topLeft(), QSize(fm.horizontalAdvance(labels.lineText) + 2, fm.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, labels.lineText);
    painter.restore();
  }
  if (labels.sideDims) {
    // The save/restore pair puts the unturned font and transform back also
    // when drawing the turned text fails.
    painter.save();
    painter.translate(labels.heightAt);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, fm.horizontalAdvance(labels.heightText) + 2, fm.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, labels.heightText);
    painter.restore();
    painter.drawText(QRect(labels.widthAt, QSize(fm.horizontalAdvance(labels.widthText) + 2, fm.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, labels.widthText);
  }
}

}  // namespace

void paintPart(QPainter& painter, const MapPart& p, const QRect& rect, const QFont& font, std::int32_t fontColour) {
  const int w = rect.width();
  const int h = rect.height();
  if (w <= 0 || h <= 0) return;
  painter.save();
  painter.translate(rect.topLeft());
  painter.setClipRect(QRect(0, 0, w, h));
  // The last column and row stay unpainted: the sheet shows as a thin line
  // between neighbouring parts.
  painter.fillRect(QRect(0, 0, w - 1, h - 1), common::toQColor(p.BrushColor));
  if (p.ShowBorder) {
    const int a = h / 3;
    const int b = w / 3;
    auto mark = [&](std::int32_t code, std::int32_t colour, QPoint from, QPoint to) {
      if (code <= 0) return;
      QPen pen(common::toQColor(colour));
      pen.setWidth(3);
      pen.setStyle(Qt::SolidLine);
      pen.setCapStyle(Qt::FlatCap);
      painter.setPen(pen);
      painter.drawLine(from, to);
    };
    mark(p.LeftBorder, p.LeftBorderColor, {2, a}, {2, 2 * a});
    mark(p.RightBorder, p.RightBorderColor, {w - 4, a}, {w - 4, 2 * a});
    mark(p.TopBorder, p.TopBorderColor, {b, 2}, {2 * b, 2});
    mark(p.BottomBorder, p.BottomBorderColor, {b, h - 4}, {2 * b, h - 4});
  }
  drawLabels(painter, partLabels(p, w, h, QFontMetrics(font)), font, fontColour);
  painter.restore();
}

void paintOffcut(QPainter& painter, const MapOffcut& o, const QRect& rect, const QFont& font, std::int32_t fontColour) {
  const int w = rect.width();
  const int h = rect.height();
  if (w <= 0 || h <= 0) return;
  painter.save();
  painter.translate(rect.topLeft());
  painter.setClipRect(QRect(0, 0, w, h));
  painter.fillRect(QRect(0, 0, w, h), common::toQColor(o.Color));
  drawLabels(painter, offcutLabels(o, w, h, QFontMetrics(font)), font, fontColour);
  painter.restore();
}

void paintSheet(QPainter& painter, const SheetMap& m, double ratio) {
  const QSize size = sheetSize(m, ratio);
  painter.fillRect(QRect(QPoint(0, 0), size), common::toQColor(m.Color));
  const QFont font = mapQFont(m.Font);
  for (const MapPart& p : m.Parts) paintPart(painter, p, elementRect(p, ratio), font, m.Font.colour);
  for (const MapOffcut& o : m.Offcuts) paintOffcut(painter, o, elementRect(o, ratio), font, m.Font.colour);
  for (const MapCut& c : m.Cuts) {
    if (!c.Visible) continue;
    const QRect r = elementRect(c, ratio);
    if (r.width() > 0 && r.height() > 0) painter.fillRect(r, common::toQColor(c.Color));
  }
}

}  // namespace kroyna::maps
