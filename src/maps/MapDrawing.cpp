#include "maps/MapDrawing.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

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

// The metrics of the font at a size, made once a size.
class ScreenMetrics {
 public:
  explicit ScreenMetrics(const QFont& font) : font_(font) {}
  const QFontMetricsF& at(double points) {
    const long key = std::lround(points * 4);
    auto it = cache_.find(key);
    if (it == cache_.end()) {
      QFont f = font_;
      f.setPointSizeF(points);
      it = cache_.emplace(key, QFontMetricsF(f)).first;
    }
    return it->second;
  }

 private:
  QFont font_;
  std::map<long, QFontMetricsF> cache_;
};

double pointsOf(const QFont& font) { return font.pointSizeF() > 0 ? font.pointSizeF() : 8; }

}  // namespace

FontMeasure screenMeasure(const QFont& font) {
  auto metrics = std::make_shared<ScreenMetrics>(font);
  return {[metrics](double pt) { return metrics->at(pt).height(); },
          [metrics](const std::string& s, double pt) {
            return metrics->at(pt).horizontalAdvance(QString::fromStdString(s));
          }};
}

namespace {

FittedLabel partLabelsWith(const MapPart& p, int w, int h, const FontMeasure& measure, double points,
                           const std::string& number) {
  if (!p.ShowTitle && !p.ShowDim) return {};
  // The frame inside the part leaves room for the edge marks.
  const int x0 = p.LeftBorder > 0 ? 4 : 2;
  const int y0 = p.TopBorder > 0 ? 4 : 1;
  const int right = p.RightBorder > 0 ? w - 5 : w - 2;
  const int bottom = p.BottomBorder > 0 ? h - 5 : h - 1;
  LabelTexts texts;
  if (p.ShowTitle) texts.title = p.Title;
  texts.showSize = p.ShowDim;
  texts.length = p.length;
  texts.width = p.width;
  texts.number = number;
  return fitLabel({double(x0), double(y0), double(right - x0), double(bottom - y0)}, texts, measure, points, 0);
}

FittedLabel offcutLabelsWith(const MapOffcut& o, int w, int h, const FontMeasure& measure, double points) {
  const bool hasText = o.ShowText && !o.Text.empty();
  if (!hasText && !o.ShowDim) return {};
  LabelTexts texts;
  if (hasText) texts.title = o.Text;
  texts.showSize = o.ShowDim;
  texts.length = o.length;
  texts.width = o.width;
  return fitLabel({1, 1, double(w - 3), double(h - 3)}, texts, measure, points, 0);
}

}  // namespace

FittedLabel partLabels(const MapPart& p, int w, int h, const QFont& font, const std::string& number) {
  return partLabelsWith(p, w, h, screenMeasure(font), pointsOf(font), number);
}

FittedLabel offcutLabels(const MapOffcut& o, int w, int h, const QFont& font) {
  return offcutLabelsWith(o, w, h, screenMeasure(font), pointsOf(font));
}

QFont mapQFont(const common::FontKeys& font) {
  QFont f = common::toQFont(font);
  if (f.pointSize() <= 0) f.setPointSize(8);
  return f;
}

namespace {

QFont fontAt(const QFont& font, double points) {
  QFont f = font;
  f.setPointSizeF(points);
  return f;
}

// A text placed by the label rules, `at` being its element's corner.
void drawRun(QPainter& painter, const LabelRun& run, QPointF at) {
  const QString text = QString::fromStdString(run.text);
  const QRectF box(at.x() + run.box.x, at.y() + run.box.y, run.box.w, run.box.h);
  if (run.vertical) {
    // The save/restore pair puts the unturned transform back also when
    // drawing the turned text fails.
    painter.save();
    painter.translate(box.left(), box.bottom());
    painter.rotate(-90);
    painter.drawText(QRectF(0, 0, box.height() + 2, box.width()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
    painter.restore();
  } else {
    painter.drawText(QRectF(box.left(), box.top(), box.width() + 2, box.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }
}

void paintPartShape(QPainter& painter, const MapPart& p, const QRect& rect) {
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
  painter.restore();
}

}  // namespace

void paintSheet(QPainter& painter, const SheetMap& m, double ratio, const std::vector<NumberStretch>* passNumbers) {
  const QSize size = sheetSize(m, ratio);
  painter.fillRect(QRect(QPoint(0, 0), size), common::toQColor(m.Color));
  for (const MapPart& p : m.Parts) paintPartShape(painter, p, elementRect(p, ratio));
  for (const MapOffcut& o : m.Offcuts) {
    const QRect r = elementRect(o, ratio);
    if (r.width() > 0 && r.height() > 0) painter.fillRect(r, common::toQColor(o.Color));
  }
  for (const MapCut& c : m.Cuts) {
    if (!c.Visible) continue;
    const QRect r = elementRect(c, ratio);
    if (r.width() > 0 && r.height() > 0) painter.fillRect(r, common::toQColor(c.Color));
  }

  // The texts, each inside its element; a part too small for them shows
  // its row in the parts list.
  const QFont font = mapQFont(m.Font);
  const FontMeasure measure = screenMeasure(font);
  const std::vector<int> rows = partListRows(m);
  std::vector<TextBox> taken;
  painter.save();
  painter.setPen(common::toQColor(m.Font.colour));
  painter.setBrush(Qt::NoBrush);
  auto draw = [&](const FittedLabel& label, QPoint at) {
    if (label.runs.empty()) return;
    painter.setFont(fontAt(font, label.points));
    for (const LabelRun& run : label.runs) {
      drawRun(painter, run, at);
      taken.push_back({at.x() + run.box.x, at.y() + run.box.y, run.box.w, run.box.h});
    }
  };
  for (std::size_t i = 0; i < m.Parts.size(); ++i) {
    const QRect r = elementRect(m.Parts[i], ratio);
    if (r.width() <= 0 || r.height() <= 0) continue;
    draw(partLabelsWith(m.Parts[i], r.width(), r.height(), measure, pointsOf(font), std::to_string(rows[i] + 1)),
         r.topLeft());
  }
  for (const MapOffcut& o : m.Offcuts) {
    const QRect r = elementRect(o, ratio);
    if (r.width() <= 0 || r.height() <= 0) continue;
    draw(offcutLabelsWith(o, r.width(), r.height(), measure, pointsOf(font)), r.topLeft());
  }

  if (passNumbers && !passNumbers->empty()) {
    std::vector<NumberLine> lines;
    lines.reserve(passNumbers->size());
    for (const NumberStretch& n : *passNumbers) {
      const double at = n.at * ratio, from = n.from * ratio, to = n.to * ratio;
      lines.push_back(n.alongX ? NumberLine{std::to_string(n.number), from, at, to, at}
                               : NumberLine{std::to_string(n.number), at, from, at, to});
    }
    QFont bold = font;
    bold.setBold(true);
    const TextBox sheet{0, 0, double(size.width()), double(size.height())};
    const std::vector<PlacedNumber> placed = placeNumbers(lines, taken, sheet, screenMeasure(bold), pointsOf(bold), 1);
    for (const PlacedNumber& n : placed) {
      const QRectF box(n.box.x, n.box.y, n.box.w, n.box.h);
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(Qt::white);
      painter.drawRect(box.adjusted(0, 0, -1, -1));
      painter.setFont(fontAt(bold, n.points));
      painter.setPen(Qt::black);
      painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(n.text));
    }
  }
  painter.restore();
}

}  // namespace kroyna::maps
