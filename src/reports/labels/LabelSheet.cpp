#include "reports/labels/LabelSheet.h"

#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"
#include "platform/text/Literals.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace kroyna::reports {

namespace {

using text::u;

constexpr double kUnits = report::kUnitsPerMm;
constexpr double kPad = report::kTextPadding;
// Between the text and the barcode.
constexpr double kBarcodeGap = 0.5 * kUnits;
// The identifier under a barcode, points.
constexpr double kCaptionSize = 6;
// Bars of a linear symbol: a quarter of the label's height, 3 to 15 mm.
constexpr double kMinBarHeight = 3 * kUnits;
constexpr double kMaxBarHeight = 15 * kUnits;
// Modules of a linear symbol up to four dots, of a square one up to six.
constexpr int kMaxLinearDots = 4;
constexpr int kMaxSquareDots = 6;
// A square symbol takes at most this share of the label's width, so that
// the text keeps the rest.
constexpr double kSquareShare = 0.4;

const QString kEllipsis = QStringLiteral("\u2026");

constexpr LabelSheetPreset kPresets[] = {
    {"a4-3x8-70x37", "A4: 3 × 8 ярлычков 70 × 37 мм", 210, 297, 70, 37, 0, 0, 0, 0.5, 0, 0.5},
    {"a4-2x7-99.1x38.1", "A4: 2 × 7 ярлычков 99,1 × 38,1 мм", 210, 297, 99.1, 38.1, 2.5, 0, 4.65, 15.15, 4.65, 15.15},
    {"a4-4x10-48.5x25.4", "A4: 4 × 10 ярлычков 48,5 × 25,4 мм", 210, 297, 48.5, 25.4, 0, 0, 8, 21.5, 8, 21.5},
    {"roll-58x40", "Рулон: 58 × 40 мм", 58, 40, 58, 40, 0, 0, 0, 0, 0, 0},
    {"roll-100x50", "Рулон: 100 × 50 мм", 100, 50, 100, 50, 0, 0, 0, 0, 0, 0},
};

report::FontSpec fontSpec(const LabelFont& f, double size) {
  report::FontSpec font;
  font.family = QString::fromStdString(f.name);
  font.size = size;
  font.bold = f.bold;
  font.italic = f.italic;
  return font;
}

report::FontSpec captionFont(const LabelFont& f) {
  report::FontSpec font;
  font.family = QString::fromStdString(f.name);
  font.size = kCaptionSize;
  return font;
}

// The line cut to end in "…" within `room`.
QString withEllipsis(QString line, const report::FontSpec& font, double room) {
  if (line.endsWith(kEllipsis)) line.chop(1);
  while (!line.isEmpty() && report::textWidth(font, line + kEllipsis) > room) line.chop(1);
  return line + kEllipsis;
}

}  // namespace

QString labelSheetTitle(LabelKind kind) {
  return kind == LabelKind::Parts ? u("Ярлычки деталей") : u("Ярлычки остатков");
}

// ---- Sheets ----

std::span<const LabelSheetPreset> labelSheetPresets() { return kPresets; }

const LabelSheetPreset* findLabelSheetPreset(std::string_view id) {
  for (const LabelSheetPreset& p : kPresets)
    if (!id.empty() && id == p.id) return &p;
  return nullptr;
}

QString ownLabelSizeCaption() { return u("Свой размер"); }

void LabelSettings::chooseSheet(std::string_view id) {
  const LabelSheetPreset* p = findLabelSheetPreset(id);
  if (!p) {
    sheet.clear();
    return;
  }
  sheet = p->id;
  width = p->width;
  height = p->height;
  gapX = p->gapX;
  gapY = p->gapY;
}

// ---- One label ----

QString labelText(const Label& label, const LabelSettings& s, LabelKind kind) {
  QStringList items;
  auto add = [&](bool on, const QString& item) {
    if (on && !item.isEmpty()) items << item;
  };
  add(s.code, label.code);
  add(s.size, label.size);
  add(s.material, label.material);
  add(s.comment, label.comment);
  if (kind == LabelKind::Parts && s.edges) {
    static const QRegularExpression breaks(QStringLiteral("[\r\n]+"));
    items << label.edges.split(breaks, Qt::SkipEmptyParts);
  }
  return items.join(QLatin1Char('\r'));
}

QString barcodeText(const Label& label, report::Symbology symbology) {
  if (symbology == report::Symbology::None) return {};
  return symbology == report::Symbology::Code128 ? report::asciiForCode128(label.barcode) : label.barcode;
}

FittedText fitLabelText(const QString& text, const LabelFont& font, double width, double height, bool wrap) {
  FittedText out;
  const double start = font.size > 0 ? font.size : 10;
  const double smallest = std::min(start, kMinLabelFontSize);
  const double roomW = std::max(0.0, width - 2 * kPad);
  const double roomH = std::max(0.0, height - 2 * kPad);
  out.fontSize = start;
  if (text.isEmpty()) return out;

  // The sizes tried, half a point apart: the font's own first, 5 pt last.
  std::vector<double> sizes;
  for (double size = start; size > smallest + 1e-9; size -= 0.5) sizes.push_back(size);
  sizes.push_back(smallest);
  struct Attempt {
    report::FontSpec font;
    std::vector<QString> lines;
    double lineHeight = 0;
    bool fits = false;
  };
  auto tooWide = [&](const report::FontSpec& face, const QString& l) {
    return report::textWidth(face, l) > roomW + 1e-6;
  };
  auto attempt = [&](std::size_t i) {
    Attempt a;
    a.font = fontSpec(font, sizes[i]);
    a.lines = report::breakText(text, a.font, roomW, wrap);
    a.lineHeight = report::textLineHeight(a.font);
    a.fits = static_cast<double>(a.lines.size()) * a.lineHeight <= roomH + 1e-6;
    if (a.fits && !wrap)
      a.fits = std::none_of(a.lines.begin(), a.lines.end(), [&](const QString& l) { return tooWide(a.font, l); });
    return a;
  };
  // A smaller font never needs more room, so the largest size that fits is
  // found by halving the sizes between one that does not and one that does.
  Attempt best = attempt(0);
  if (!best.fits && sizes.size() > 1) {
    best = attempt(sizes.size() - 1);
    std::size_t no = 0, yes = sizes.size() - 1;
    while (best.fits && yes - no > 1) {
      const std::size_t mid = (no + yes) / 2;
      Attempt a = attempt(mid);
      if (a.fits) {
        yes = mid;
        best = std::move(a);
      } else {
        no = mid;
      }
    }
  }
  out.fontSize = best.font.size;
  if (!best.fits) {
    // Even 5 pt is too large: what fits, ending in "…".
    out.cutShort = true;
    const auto keep =
        static_cast<std::size_t>(best.lineHeight > 0 ? std::max(0.0, std::floor((roomH + 1e-6) / best.lineHeight)) : 0);
    const bool dropped = best.lines.size() > keep;
    if (dropped) best.lines.resize(keep);
    for (QString& l : best.lines)
      if (tooWide(best.font, l)) l = withEllipsis(l, best.font, roomW);
    if (dropped && !best.lines.empty()) best.lines.back() = withEllipsis(best.lines.back(), best.font, roomW);
  }
  for (const QString& l : best.lines) out.lines << l;
  return out;
}

namespace {

// Fitted texts by text and room: the copies of a part share theirs.
using FitCache = std::map<std::tuple<QString, double, double>, FittedText>;

LabelLayout layOut(const Label& label, const LabelSettings& s, LabelKind kind, FitCache* cache) {
  LabelLayout out;
  const double w = std::max(0.0, s.width * kUnits);
  const double h = std::max(0.0, s.height * kUnits);
  out.text = QRectF(0, 0, w, h);
  const QRectF inner(kPad, kPad, std::max(0.0, w - 2 * kPad), std::max(0.0, h - 2 * kPad));
  if (s.barcode != report::Symbology::None) {
    out.barcodeText = barcodeText(label, s.barcode);
    out.barcode = LabelLayout::Barcode::TooSmall;
    std::optional<report::BarcodeModules> m;
    if (out.barcodeText.isEmpty())
      out.barcode = LabelLayout::Barcode::NothingToEncode;
    else
      m = report::encodeBarcode(s.barcode, out.barcodeText.toStdString());
    if (m) {
      const report::FontSpec caption = captionFont(s.font);
      const double captionHeight = report::textLineHeight(caption);
      const double captionWidth = report::textWidth(caption, out.barcodeText) + 2 * report::kBarcodeDot;
      const double dot = report::kBarcodeDot;
      if (m->linear) {
        // Along the foot of the label, as wide as its modules allow.
        const int dots = std::min(kMaxLinearDots, static_cast<int>(std::floor(inner.width() / (m->columns * dot))));
        const double bars = std::clamp(inner.height() / 4, kMinBarHeight, kMaxBarHeight);
        const double block = bars + captionHeight;
        if (dots >= report::kMinModuleDots && block <= inner.height() && captionWidth <= inner.width()) {
          out.module = dots * dot;
          const double blockWidth = std::max(m->columns * out.module, captionWidth);
          double left = inner.left();
          if (s.alignment == AlignRight)
            left = inner.right() - blockWidth;
          else if (s.alignment == AlignCenter)
            left = inner.left() + (inner.width() - blockWidth) / 2;
          out.barcodeRect = QRectF(left, inner.bottom() - block, blockWidth, block);
          out.text.setHeight(std::max(0.0, out.barcodeRect.top() - kBarcodeGap + kPad));
        }
      } else {
        // At the right of the label, as large as its height allows.
        const double side = std::min(inner.height() - captionHeight, inner.width() * kSquareShare);
        const int dots = std::min(kMaxSquareDots, static_cast<int>(std::floor(side / (m->rows * dot))));
        if (dots >= report::kMinModuleDots) {
          out.module = dots * dot;
          const double blockWidth = std::max(m->columns * out.module, captionWidth);
          if (blockWidth <= inner.width() * (1 - kSquareShare)) {
            out.barcodeRect =
                QRectF(inner.right() - blockWidth, inner.top(), blockWidth, m->rows * out.module + captionHeight);
            out.text.setWidth(std::max(0.0, out.barcodeRect.left() - kBarcodeGap + kPad));
          }
        }
      }
      if (!out.barcodeRect.isEmpty()) out.barcode = LabelLayout::Barcode::Printed;
    }
  }
  const QString text = labelText(label, s, kind);
  if (!cache) {
    out.fitted = fitLabelText(text, s.font, out.text.width(), out.text.height(), s.wordWrap);
    return out;
  }
  const auto key = std::make_tuple(text, out.text.width(), out.text.height());
  auto it = cache->find(key);
  if (it == cache->end())
    it = cache->emplace(key, fitLabelText(text, s.font, out.text.width(), out.text.height(), s.wordWrap)).first;
  out.fitted = it->second;
  return out;
}

}  // namespace

LabelLayout layoutLabel(const Label& label, const LabelSettings& settings, LabelKind kind) {
  return layOut(label, settings, kind, nullptr);
}

// ---- The sheet ----

LabelSheetVariables labelSheetVariables(const LabelSettings& s) {
  LabelSheetVariables v;
  v.cellWidth = s.width * kUnits;
  v.cellHeight = s.height * kUnits;
  v.frameType = s.frame ? report::FrameAll : 0;
  v.textAlignment = (s.alignment >= AlignLeft && s.alignment <= AlignCenter) ? s.alignment : AlignLeft;
  return v;
}

QString labelSheetNotice(const LabelSheetNotes& n, LabelKind kind) {
  QStringList lines;
  if (n.cutShort > 0)
    lines << u("Текст уместился не целиком на ярлычках: %1. Такие ярлычки кончаются знаком «…».").arg(n.cutShort);
  if (n.barcodeTooSmall > 0)
    lines << u("Штрихкод не уместился на ярлычках: %1. Они напечатаны без штрихкода.").arg(n.barcodeTooSmall);
  if (n.nothingToEncode > 0)
    lines << (kind == LabelKind::Parts ? u("Без штрихкода ярлычки деталей, строка базы которых не известна: %1.")
                                       : u("Без штрихкода ярлычки остатков без шифра: %1."))
                 .arg(n.nothingToEncode);
  return lines.join(QLatin1Char('\n'));
}

namespace {

// The label's own objects in the band of "Memo1": a frame "Frame1" round
// the cell (the text's frame moves to it, since the text no longer fills
// the cell) and the barcode "Barcode1", both at the cell's corner, added
// when an older template has not got them.
void completeLabelBand(report::Template& t) {
  report::Band* band = nullptr;
  report::TextObject* memo = nullptr;
  for (report::Band& b : t.bands)
    for (const auto& o : b.objects)
      if (o->name == "Memo1") {
        memo = dynamic_cast<report::TextObject*>(o.get());
        band = &b;
      }
  if (!memo || !band) throw report::ReportError("В шаблоне ярлычков нет текста Memo1.");
  auto at = [&](report::ReportObject& o) {
    o.x = memo->x;
    o.y = memo->y;
    for (const char* a : {"x", "y"})
      if (auto it = memo->bindings.find(a); it != memo->bindings.end()) o.bindings[a] = it->second;
  };
  if (!t.findObject("Frame1")) {
    auto frame = std::make_unique<report::RectObject>();
    frame->name = "Frame1";
    at(*frame);
    frame->width = memo->width;
    frame->height = memo->height;
    frame->frameLines = memo->frameLines;
    frame->frameWidth = memo->frameWidth;
    frame->frameColor = memo->frameColor;
    for (const char* a : {"width", "height", "frame", "frameWidth"})
      if (auto it = memo->bindings.find(a); it != memo->bindings.end()) frame->bindings[a] = it->second;
    memo->frameLines = 0;
    memo->bindings.erase("frame");
    band->objects.insert(band->objects.begin(), std::move(frame));
  }
  if (!t.findObject("Barcode1")) {
    auto barcode = std::make_unique<report::BarcodeObject>();
    barcode->name = "Barcode1";
    at(*barcode);
    barcode->text = "[BARCODE]";
    band->objects.push_back(std::move(barcode));
  }
}

}  // namespace

report::PreparedReport prepareLabelSheet(const std::vector<Label>& labels, const LabelSettings& settings,
                                         LabelKind kind, const QString& templatePath, const ReportPage& page,
                                         LabelSheetNotes* notesOut) {
  if (static_cast<long long>(labels.size()) > kMaxLabels)
    throw report::ReportError(u("Слишком много ярлычков: %1.\rЗа один раз можно напечатать не более %2 ярлычков.")
                                  .arg(labels.size())
                                  .arg(kMaxLabels)
                                  .toStdString());
  report::Report r;
  r.loadTemplate(templatePath);
  report::Template& t = r.reportTemplate();
  t.title = labelSheetTitle(kind);
  completeLabelBand(t);

  const LabelSheetVariables v = labelSheetVariables(settings);
  r.setVariable("CELLHEIGHT", report::Value::number(v.cellHeight));
  r.setVariable("CELLWIDTH", report::Value::number(v.cellWidth));
  r.setVariable("FRAMETYPE", report::Value::number(v.frameType));
  r.setVariable("TEXTALIGNMENT", report::Value::number(v.textAlignment));
  auto* memo = dynamic_cast<report::TextObject*>(r.findObject("Memo1"));
  memo->font.family = QString::fromStdString(settings.font.name);
  memo->font.bold = settings.font.bold;
  memo->font.italic = settings.font.italic;
  memo->font.underline = false;
  // The lines are broken before they are given to the text.
  memo->wordWrap = false;
  memo->bindings.erase("wrap");
  for (report::Band& b : t.bands)
    if (b.kind == report::BandKind::MasterData) {
      b.columnGap = std::max(0.0, settings.gapX) * kUnits;
      b.rowGap = std::max(0.0, settings.gapY) * kUnits;
      b.columnGapExpr.reset();
      b.rowGapExpr.reset();
    }

  if (const LabelSheetPreset* sheet = findLabelSheetPreset(settings.sheet)) {
    // The sheet bought: its paper upright and its margins to a hair.
    t.page.paperWidthMm = sheet->paperWidth;
    t.page.paperHeightMm = sheet->paperHeight;
    t.page.landscape = false;
    r.setMargins(sheet->left * kUnits, sheet->top * kUnits, sheet->right * kUnits, sheet->bottom * kUnits);
  } else {
    if (page.landscape) r.setLandscape(true);
    r.setMarginsMm(page.margins.left, page.margins.top, page.margins.right, page.margins.bottom);
  }

  LabelSheetNotes notes;
  std::vector<LabelLayout> layouts;
  layouts.reserve(labels.size());
  FitCache fitted;
  for (const Label& l : labels) {
    layouts.push_back(layOut(l, settings, kind, &fitted));
    const LabelLayout& L = layouts.back();
    notes.cutShort += L.fitted.cutShort;
    notes.barcodeTooSmall += L.barcode == LabelLayout::Barcode::TooSmall;
    notes.nothingToEncode += L.barcode == LabelLayout::Barcode::NothingToEncode;
  }

  int record = 0;
  const int count = static_cast<int>(labels.size());
  report::DrivenRecordSource source = report::DrivenRecordSource::counted(count, &record);
  r.setDataSource(&source);
  auto current = [&]() -> const LabelLayout* {
    return record >= 0 && record < count ? &layouts[static_cast<std::size_t>(record)] : nullptr;
  };
  r.setVariableCallback([&](std::string_view name) -> std::optional<report::Value> {
    const LabelLayout* L = current();
    if (!L) return std::nullopt;
    if (text::equalsIgnoreCase(name, "DATA"))
      return report::Value::text(L->fitted.lines.join(QLatin1Char('\r')).toStdString());
    if (text::equalsIgnoreCase(name, "BARCODE")) return report::Value::text(L->barcodeText.toStdString());
    return std::nullopt;
  });
  r.setBeforePrint([&](report::ReportObject& o) {
    const LabelLayout* L = current();
    if (!L) return;
    auto place = [&](const QRectF& rect) {
      o.x += rect.x();
      o.y += rect.y();
      o.width = rect.width();
      o.height = rect.height();
    };
    if (o.name == "Memo1") {
      place(L->text);
      if (auto* text = dynamic_cast<report::TextObject*>(&o)) text->font.size = L->fitted.fontSize;
    } else if (o.name == "Barcode1") {
      auto* barcode = dynamic_cast<report::BarcodeObject*>(&o);
      if (!barcode || L->barcode != LabelLayout::Barcode::Printed) {
        o.visible = false;
        return;
      }
      place(L->barcodeRect);
      barcode->symbology = settings.barcode;
      barcode->module = L->module;
      barcode->showText = true;
      barcode->font = captionFont(settings.font);
    }
  });
  report::PreparedReport prepared = r.prepare();
  prepared.notice = labelSheetNotice(notes, kind);
  if (notesOut) *notesOut = notes;
  return prepared;
}

}  // namespace kroyna::reports
