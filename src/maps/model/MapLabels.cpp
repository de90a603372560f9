#include "maps/model/MapLabels.h"

#include <algorithm>
#include <cmath>

namespace kroyna::maps {

namespace {

// Rounding of the measures must not turn a fit into a miss.
constexpr double kEps = 1e-6;
// How far along its cut a pass's number looks for room, in candidate
// places on each side of the middle.
constexpr int kMaxNumberSteps = 64;

// The sizes a text is tried at: `points`, then smaller by a step down to
// 5 pt (a font given smaller than 5 pt is tried at its own size only).
std::vector<double> trySizes(double points) {
  std::vector<double> sizes;
  for (double p = points; p > kMinLabelPoints + kEps; p -= kLabelPointsStep) sizes.push_back(p);
  sizes.push_back(std::min(points, kMinLabelPoints));
  return sizes;
}

bool allFit(const std::vector<LabelRun>& runs, const TextBox& frame) {
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!runs[i].box.inside(frame)) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (runs[i].box.overlaps(runs[j].box)) return false;
  }
  return !runs.empty();
}

class Layouts {
 public:
  Layouts(const TextBox& frame, const LabelTexts& texts, const FontMeasure& font, double pad)
      : f_(frame), t_(texts), m_(font), pad_(pad) {}

  void turnNumber(bool turned) { turned_ = turned; }

  std::vector<LabelRun> runs(LabelLayout layout, double points) const {
    th_ = m_.lineHeight(points);
    pt_ = points;
    std::vector<LabelRun> out;
    const std::string size = t_.showSize ? std::to_string(t_.length) + "x" + std::to_string(t_.width) : std::string();
    switch (layout) {
      case LabelLayout::Standard: {
        horizontal(out, t_.title, f_.x + pad_, f_.y);
        if (!t_.showSize) break;
        const std::string lengthText = std::to_string(t_.length), widthText = std::to_string(t_.width);
        centred(out, lengthText, f_.bottom() - th_);
        centred(out, t_.edgesTopBottom, f_.bottom() - 2 * th_);
        upwardsCentred(out, widthText, f_.x);
        upwardsCentred(out, t_.edgesLeftRight, f_.x + th_);
        break;
      }
      case LabelLayout::OneLineHorizontal: horizontal(out, oneLine(size), f_.x + pad_, f_.y); break;
      case LabelLayout::TwoLineHorizontal: {
        auto [first, second] = twoLines(size);
        horizontal(out, first, f_.x + pad_, f_.y);
        horizontal(out, second, f_.x + pad_, f_.y + th_);
        break;
      }
      case LabelLayout::OneLineVertical: upwards(out, oneLine(size), f_.x, f_.bottom() - pad_); break;
      case LabelLayout::TwoLineVertical: {
        auto [first, second] = twoLines(size);
        upwards(out, first, f_.x, f_.bottom() - pad_);
        upwards(out, second, f_.x + th_, f_.bottom() - pad_);
        break;
      }
      case LabelLayout::Number: {
        // Level in the middle of the part, or turned when `turned_`.
        const double w = m_.width(t_.number, points);
        if (!turned_)
          out.push_back({t_.number, {f_.x + (f_.w - w) / 2, f_.y + (f_.h - th_) / 2, w, th_}, false});
        else
          out.push_back({t_.number, {f_.x + (f_.w - th_) / 2, f_.y + (f_.h - w) / 2, th_, w}, true});
        break;
      }
      case LabelLayout::None: break;
    }
    return out;
  }

 private:
  std::string oneLine(const std::string& size) const {
    if (t_.title.empty()) return size;
    return size.empty() ? t_.title : t_.title + " " + size;
  }
  std::pair<std::string, std::string> twoLines(const std::string& size) const {
    if (t_.title.empty()) return {size, std::string()};
    return {t_.title, size};
  }
  void horizontal(std::vector<LabelRun>& out, const std::string& s, double x, double y) const {
    if (!s.empty()) out.push_back({s, {x, y, m_.width(s, pt_), th_}, false});
  }
  void centred(std::vector<LabelRun>& out, const std::string& s, double y) const {
    if (s.empty()) return;
    const double w = m_.width(s, pt_);
    out.push_back({s, {f_.x + (f_.w - w) / 2, y, w, th_}, false});
  }
  // Reading upwards in the band from x, ending at `bottom`.
  void upwards(std::vector<LabelRun>& out, const std::string& s, double x, double bottom) const {
    if (s.empty()) return;
    const double w = m_.width(s, pt_);
    out.push_back({s, {x, bottom - w, th_, w}, true});
  }
  void upwardsCentred(std::vector<LabelRun>& out, const std::string& s, double x) const {
    if (s.empty()) return;
    const double w = m_.width(s, pt_);
    out.push_back({s, {x, f_.y + (f_.h - w) / 2, th_, w}, true});
  }

  const TextBox& f_;
  const LabelTexts& t_;
  const FontMeasure& m_;
  double pad_;
  bool turned_ = false;
  mutable double th_ = 0, pt_ = 0;
};

}  // namespace

bool TextBox::overlaps(const TextBox& o) const {
  return x < o.right() - kEps && o.x < right() - kEps && y < o.bottom() - kEps && o.y < bottom() - kEps;
}

bool TextBox::inside(const TextBox& outer) const {
  return x >= outer.x - kEps && y >= outer.y - kEps && right() <= outer.right() + kEps &&
         bottom() <= outer.bottom() + kEps;
}

FittedLabel fitLabel(const TextBox& frame, const LabelTexts& texts, const FontMeasure& font, double points,
                     double pad) {
  FittedLabel out;
  if (!(frame.w > 0) || !(frame.h > 0) || !(points > 0)) return out;
  Layouts layouts(frame, texts, font, pad);
  const std::vector<double> sizes = trySizes(points);
  if (!texts.title.empty() || texts.showSize) {
    for (double pt : sizes)
      for (LabelLayout l : {LabelLayout::Standard, LabelLayout::OneLineHorizontal, LabelLayout::TwoLineHorizontal,
                            LabelLayout::OneLineVertical, LabelLayout::TwoLineVertical}) {
        std::vector<LabelRun> runs = layouts.runs(l, pt);
        if (allFit(runs, frame)) return {l, pt, std::move(runs)};
      }
  }
  // The row number, level at any size before it is turned.
  if (!texts.number.empty())
    for (bool turned : {false, true}) {
      layouts.turnNumber(turned);
      for (double pt : sizes) {
        std::vector<LabelRun> runs = layouts.runs(LabelLayout::Number, pt);
        if (allFit(runs, frame)) return {LabelLayout::Number, pt, std::move(runs)};
      }
    }
  return out;
}

std::vector<PlacedNumber> placeNumbers(const std::vector<NumberLine>& lines, std::vector<TextBox> taken,
                                       const TextBox& sheet, const FontMeasure& font, double points, double pad) {
  std::vector<PlacedNumber> placed;
  auto free = [&](const TextBox& b) {
    if (!b.inside(sheet)) return false;
    return std::none_of(taken.begin(), taken.end(), [&](const TextBox& t) { return t.overlaps(b); });
  };
  // The box moved into the sheet where it reaches over its edge.
  auto intoSheet = [&](TextBox b) {
    b.x = std::clamp(b.x, sheet.x, std::max(sheet.x, sheet.right() - b.w));
    b.y = std::clamp(b.y, sheet.y, std::max(sheet.y, sheet.bottom() - b.h));
    return b;
  };
  const std::vector<double> sizes = trySizes(points);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const NumberLine& l = lines[i];
    const bool alongX = std::abs(l.x1 - l.x0) >= std::abs(l.y1 - l.y0);
    const double from = alongX ? std::min(l.x0, l.x1) : std::min(l.y0, l.y1);
    const double to = alongX ? std::max(l.x0, l.x1) : std::max(l.y0, l.y1);
    const double across = alongX ? l.y0 : l.x0;
    const double mid = (from + to) / 2;
    bool done = false;
    for (double pt : sizes) {
      const double bw = font.width(l.text, pt) + 2 * pad, bh = font.lineHeight(pt);
      const double extent = alongX ? bw : bh, thickness = alongX ? bh : bw;
      const double step = std::max(extent / 2, 1e-3);
      // On the line, then just beside it on either side.
      const double offsets[] = {across - thickness / 2, across - thickness, across};
      for (int k = 0; k <= kMaxNumberSteps && !done; ++k) {
        if (k > 0 && step * k > (to - from) / 2 + kEps) break;
        for (double sign : {1.0, -1.0}) {
          if (done || (k == 0 && sign < 0)) break;
          const double c = mid + sign * step * k;
          for (double off : offsets) {
            const TextBox b = intoSheet(alongX ? TextBox{c - bw / 2, off, bw, bh} : TextBox{off, c - bh / 2, bw, bh});
            if (!free(b)) continue;
            placed.push_back({l.text, b, pt, i});
            taken.push_back(b);
            done = true;
            break;
          }
        }
      }
      if (done) break;
    }
  }
  return placed;
}

}  // namespace kroyna::maps
