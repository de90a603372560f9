#include "reports/mapprint/MapReportObjects.h"

#include "common/StyleCodes.h"
#include "maps/model/MapRules.h"
#include "platform/report/ReportError.h"
#include "reports/mapprint/MapPrintSettings.h"
#include "reports/mapprint/MapReportStream.h"

#include <QByteArray>
#include <QPainter>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace kroyna::reports {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Widths and positions a stream may hold; sheets are far smaller.
constexpr double kMaxRatio = 1e6;

// Bytes of the records with fixed size.
constexpr std::size_t kPartRowBytes = 1 + kShortNameLength + 3 * 4 + 4 * 4 + 4 * 4;  // 65
constexpr std::size_t kEdgeRowBytes = 1 + kShortNameLength + 4 + 4;                  // 29
// The smallest element: kind, empty Title, four int32, three flags.
constexpr std::size_t kMinElementBytes = 1 + 3 + 16 + 3;

// Space between a text and the side of its part, report units.
constexpr double kTextPad = 1;
// How far inside an element's outline its texts begin, report units.
constexpr double kTextInset = 0.75;
// Space on either side of a table cell's text, report units.
constexpr double kCellPad = 2;
// Room for the rounding of measured widths, report units.
constexpr double kMeasureSlack = 0.5;
// Pass numbers are drawn at most this large, points.
constexpr double kPassNumberPoints = 8;

double fontPoints(const common::FontKeys& f) { return reportFont(f).size; }

QFont deviceFont(const common::FontKeys& f, const report::RenderContext& rc, double sizeFactor = 1) {
  QFont font = reportFont(f, sizeFactor).toQFont(rc.fontScale);
  font.setStrikeOut(f.strikeOut);
  return font;
}

// A map font at `points`, as drawn.
QFont deviceFontAt(const common::FontKeys& f, const report::RenderContext& rc, double points) {
  const double base = fontPoints(f);
  return deviceFont(f, rc, base > 0 ? points / base : 1);
}

// A font measured in report units (the same on every device) at any size.
// Report text is measured without hinting and kerning, so widths grow with
// the size: each text is measured once.
class UnitsMeasure {
 public:
  explicit UnitsMeasure(const common::FontKeys& f) : font_(reportFont(f)) {
    base_ = font_.size;
    line_ = report::textLineHeight(font_);
  }
  double lineHeight(double points) const { return line_ * points / base_; }
  double width(const std::string& s, double points) const {
    auto it = widths_.find(s);
    if (it == widths_.end()) it = widths_.emplace(s, report::textWidth(font_, q(s))).first;
    return it->second * points / base_;
  }
  maps::FontMeasure measure() const {
    return {[this](double pt) { return lineHeight(pt); },
            [this](const std::string& s, double pt) { return width(s, pt); }};
  }
  report::FontSpec specAt(double points) const {
    report::FontSpec f = font_;
    f.size = points;
    return f;
  }

 private:
  report::FontSpec font_;
  double base_ = 1, line_ = 0;
  mutable std::unordered_map<std::string, double> widths_;
};

// Pen widths are pixels of the map at its own size, one view unit each.
QPen devicePen(const common::PenKeys& p, double scale) {
  QPen pen(windowsColour(p.colour));
  pen.setStyle(common::penStyle(p.style));
  pen.setWidthF(std::max(1, p.width) * scale);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QBrush deviceBrush(const common::BrushKeys& b, double scale) {
  QBrush brush(windowsColour(b.colour), common::brushStyle(b.style));
  // Hatching keeps its spacing relative to the map on every device.
  if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush)
    brush.setTransform(QTransform::fromScale(scale, scale));
  return brush;
}

// A text whose box is given in report units: horizontal from the box's
// top-left corner, or turned to read upwards from its bottom-left corner.
void drawTextBox(QPainter& p, const report::RenderContext& rc, const std::string& text, const maps::TextBox& box,
                 bool vertical) {
  if (text.empty()) return;
  const QRectF b = rc.toDevice(QRectF(box.x, box.y, box.w, box.h));
  const QString t = q(text);
  const double room = 1e7;
  if (vertical) {
    p.save();
    p.translate(b.left(), b.bottom());
    p.rotate(-90);
    p.drawText(QRectF(0, 0, room, b.width()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
    p.restore();
  } else {
    p.drawText(QRectF(b.left(), b.top(), room, b.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
  }
}

// The longest start of `text` that fits `room` with "…" after it (the
// whole text when it fits).
std::string elide(const std::string& text, double room, const UnitsMeasure& m, double points) {
  if (m.width(text, points) <= room) return text;
  std::string cut = text;
  while (!cut.empty()) {
    std::size_t end = cut.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80) --end;
    cut.erase(end);
    if (m.width(cut + "…", points) <= room) return cut + "…";
  }
  return {};
}

std::string number(std::int32_t v) { return std::to_string(v); }

// The sizes a list is tried at: `points`, then smaller by half a point
// down to 6 pt.
std::vector<double> listSizes(double points) {
  std::vector<double> sizes;
  for (double p = points; p > kMinListPoints + 1e-6; p -= 0.5) sizes.push_back(p);
  sizes.push_back(std::min(points, kMinListPoints));
  return sizes;
}

}  // namespace

QColor windowsColour(std::int32_t colour) {
  const auto u = static_cast<std::uint32_t>(colour);
  if (u & 0x80000000u) {
    switch (u & 0xFF) {
      case 5:  // window
      case 14: return Qt::white;
      case 12:  // workspace
      case 16: return QColor(0x80, 0x80, 0x80);
      case 15:  // button face
        return QColor(0xF0, 0xF0, 0xF0);
      default: return Qt::black;
    }
  }
  return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

// ---- texts inside the elements ----------------------------------------------

maps::LabelTexts MapElement::labelTexts() const {
  maps::LabelTexts t;
  if (ShowTitle) t.title = Title;
  t.showSize = ShowDim;
  t.length = length;
  t.width = width;
  if (ShowDim) {
    t.edgesTopBottom = topBottomLabels();
    t.edgesLeftRight = leftRightLabels();
  }
  return t;
}

maps::FittedLabel MapElement::planTexts(const maps::TextBox& frame, const maps::FontMeasure& font, double points,
                                        const std::string& number) const {
  if (!ShowTitle && !ShowDim) return {};
  maps::LabelTexts t = labelTexts();
  t.number = number;
  return maps::fitLabel(frame, t, font, points, kTextPad);
}

// ---- elements: streams and styles ------------------------------------------

void MapElement::load(StreamReader& in) {
  Title = in.string();
  x = in.i32();
  y = in.i32();
  length = in.i32();
  width = in.i32();
  ShowTitle = in.boolean();
  ShowDim = in.boolean();
  TruncText = in.boolean();
}

void MapElement::save(StreamWriter& out) const {
  out.string(Title);
  out.i32(x);
  out.i32(y);
  out.i32(length);
  out.i32(width);
  out.boolean(ShowTitle);
  out.boolean(ShowDim);
  out.boolean(TruncText);
}

const common::BrushKeys* MapPartElement::brush(const MapReportView& map) const { return &map.partBrush; }
const common::PenKeys& MapPartElement::pen(const MapReportView& map) const { return map.partPen; }
const common::FontKeys* MapPartElement::font(const MapReportView& map) const { return &map.partFont; }

void MapPartElement::load(StreamReader& in) {
  MapElement::load(in);
  edgeLabels = in.boolean();
  edgeLabelStyle = in.i32();
  for (EdgeRecord& e : edges) {
    e.name = in.shortString(kShortNameLength);
    e.code = in.i32();
  }
}

void MapPartElement::save(StreamWriter& out) const {
  MapElement::save(out);
  out.boolean(edgeLabels);
  out.i32(edgeLabelStyle);
  for (const EdgeRecord& e : edges) {
    out.shortString(e.name, kShortNameLength);
    out.i32(e.code);
  }
}

std::string MapPartElement::label(Side side) const {
  const EdgeRecord& e = edges[side];
  if (e.code == 0) return {};
  return "[" + (edgeLabelStyle != 0 ? e.name : number(e.code)) + "]";
}

std::string MapPartElement::topBottomLabels() const {
  return edgeLabels ? label(TopSide) + label(BottomSide) : std::string();
}

std::string MapPartElement::leftRightLabels() const {
  return edgeLabels ? label(LeftSide) + label(RightSide) : std::string();
}

const common::BrushKeys* MapOffcutElement::brush(const MapReportView& map) const {
  return useless ? &map.wasteBrush : &map.offcutBrush;
}
const common::PenKeys& MapOffcutElement::pen(const MapReportView& map) const {
  return useless ? map.wastePen : map.offcutPen;
}
const common::FontKeys* MapOffcutElement::font(const MapReportView& map) const {
  return useless ? &map.wasteFont : &map.offcutFont;
}

void MapOffcutElement::load(StreamReader& in) {
  MapElement::load(in);
  useless = in.boolean();
}

void MapOffcutElement::save(StreamWriter& out) const {
  MapElement::save(out);
  out.boolean(useless);
}

const common::PenKeys& MapCutElement::pen(const MapReportView& map) const { return map.cutPen; }

const common::PenKeys& MapCutNumberElement::pen(const MapReportView& map) const { return map.cutPen; }
const common::FontKeys* MapCutNumberElement::font(const MapReportView& map) const { return &map.partFont; }

// ---- the cutting map object ------------------------------------------------

MapReportView::MapReportView() { frameLines = report::FrameAll; }

MapReportView::MapReportView(const MapReportView& o)
    : report::ReportObject(o),
      partFont(o.partFont),
      offcutFont(o.offcutFont),
      wasteFont(o.wasteFont),
      partBrush(o.partBrush),
      offcutBrush(o.offcutBrush),
      wasteBrush(o.wasteBrush),
      partPen(o.partPen),
      offcutPen(o.offcutPen),
      wastePen(o.wastePen),
      cutPen(o.cutPen),
      edgeLabels(o.edgeLabels),
      edgeLabelStyle(o.edgeLabelStyle),
      Ratio(o.Ratio) {
  elements.reserve(o.elements.size());
  for (const auto& e : o.elements) elements.push_back(e->clone());
}

MapReportView& MapReportView::operator=(const MapReportView& o) {
  if (this != &o) {
    MapReportView copy(o);
    report::ReportObject::operator=(copy);
    partFont = copy.partFont;
    offcutFont = copy.offcutFont;
    wasteFont = copy.wasteFont;
    partBrush = copy.partBrush;
    offcutBrush = copy.offcutBrush;
    wasteBrush = copy.wasteBrush;
    partPen = copy.partPen;
    offcutPen = copy.offcutPen;
    wastePen = copy.wastePen;
    cutPen = copy.cutPen;
    edgeLabels = copy.edgeLabels;
    edgeLabelStyle = copy.edgeLabelStyle;
    Ratio = copy.Ratio;
    elements = std::move(copy.elements);
  }
  return *this;
}

MapReportView::~MapReportView() = default;

std::string MapReportView::saveStream() const {
  StreamWriter out;
  for (const common::FontKeys* f : {&partFont, &offcutFont, &wasteFont}) out.font(*f);
  for (const common::BrushKeys* b : {&partBrush, &offcutBrush, &wasteBrush}) {
    out.i32(b->colour);
    out.u8(static_cast<std::uint8_t>(std::clamp(b->style, 0, 255)));
  }
  for (const common::PenKeys* p : {&partPen, &offcutPen, &wastePen, &cutPen}) {
    out.i32(p->colour);
    out.u8(static_cast<std::uint8_t>(std::clamp(p->style, 0, 255)));
    out.u8(static_cast<std::uint8_t>(std::clamp(p->width, 0, 255)));
  }
  out.boolean(edgeLabels);
  out.i32(edgeLabelStyle);
  out.extended(Ratio);
  out.i32(static_cast<std::int32_t>(elements.size()));
  for (const auto& e : elements) {
    out.u8(static_cast<std::uint8_t>(e->kind()));
    e->save(out);
  }
  return out.bytes();
}

void MapReportView::loadStream(std::string_view bytes) {
  StreamReader in(bytes, "карты раскроя \"" + name + "\"");
  MapReportView v;
  for (common::FontKeys* f : {&v.partFont, &v.offcutFont, &v.wasteFont}) *f = in.font();
  for (common::BrushKeys* b : {&v.partBrush, &v.offcutBrush, &v.wasteBrush}) {
    b->colour = in.i32();
    b->style = in.u8();
  }
  for (common::PenKeys* p : {&v.partPen, &v.offcutPen, &v.wastePen, &v.cutPen}) {
    p->colour = in.i32();
    p->style = in.u8();
    p->width = in.u8();
  }
  v.edgeLabels = in.boolean();
  v.edgeLabelStyle = in.i32();
  v.Ratio = in.extended();
  if (v.Ratio < 0 || v.Ratio > kMaxRatio) in.fail("неверный масштаб " + std::to_string(v.Ratio));
  const std::int32_t n = in.count(kMinElementBytes, "элементов");
  for (std::int32_t i = 0; i < n; ++i) {
    const int kind = in.u8();
    std::unique_ptr<MapElement> e;
    if (kind == MapPartElement::kKind)
      e = std::make_unique<MapPartElement>();
    else if (kind == MapOffcutElement::kKind)
      e = std::make_unique<MapOffcutElement>();
    else if (kind == MapCutElement::kKind)
      e = std::make_unique<MapCutElement>();
    else if (kind == MapCutNumberElement::kKind)
      e = std::make_unique<MapCutNumberElement>();
    else
      in.fail("неизвестный вид элемента " + std::to_string(kind));
    e->load(in);
    v.elements.push_back(std::move(e));
  }
  in.expectEnd();
  partFont = v.partFont;
  offcutFont = v.offcutFont;
  wasteFont = v.wasteFont;
  partBrush = v.partBrush;
  offcutBrush = v.offcutBrush;
  wasteBrush = v.wasteBrush;
  partPen = v.partPen;
  offcutPen = v.offcutPen;
  wastePen = v.wastePen;
  cutPen = v.cutPen;
  edgeLabels = v.edgeLabels;
  edgeLabelStyle = v.edgeLabelStyle;
  Ratio = v.Ratio;
  elements = std::move(v.elements);
}

namespace {

void saveData(QXmlStreamWriter& w, const std::string& bytes) {
  w.writeTextElement(QStringLiteral("data"),
                     QString::fromLatin1(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64()));
}

// Reads the <data> element of an object (the only child it may have).
template <class Load>
void loadData(QXmlStreamReader& r, const std::string& what, Load load) {
  while (r.readNextStartElement()) {
    if (r.name() != QLatin1String("data"))
      throw report::ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\" у объекта " + what);
    const QString text = r.readElementText();
    if (r.hasError()) return;  // the reader reports the XML error
    auto decoded = QByteArray::fromBase64Encoding(text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) throw report::ReportError("Данные объекта " + what + " не в кодировке base64.");
    load(std::string_view(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size())));
  }
}

}  // namespace

void MapReportView::saveProperties(QXmlStreamWriter& w) const { saveData(w, saveStream()); }

void MapReportView::loadProperties(QXmlStreamReader& r) {
  loadData(r, "карты раскроя \"" + name + "\"", [this](std::string_view bytes) { loadStream(bytes); });
}

QStringList MapReportView::texts() const {
  QStringList out;
  for (const auto& e : elements)
    if (e->kind() != MapCutElement::kKind && e->kind() != MapCutNumberElement::kKind && !e->Title.empty())
      out << q(e->Title);
  return out;
}

std::vector<MapText> planMapTexts(const MapReportView& v) {
  std::vector<MapText> out;
  if (!(v.Ratio > 0)) return out;
  const double r = v.Ratio;
  const maps::TextBox sheet{v.x, v.y, v.width, v.height};

  // The parts' rows in the parts list: a part too small for its texts
  // shows the number of its row.
  std::vector<maps::PartRowKey> keys;
  std::vector<int> keyOf(v.elements.size(), -1);
  for (std::size_t i = 0; i < v.elements.size(); ++i) {
    const auto* part = dynamic_cast<const MapPartElement*>(v.elements[i].get());
    if (!part) continue;
    keyOf[i] = static_cast<int>(keys.size());
    keys.push_back({part->Title,
                    part->length,
                    part->width,
                    {part->edges[LeftSide].code, part->edges[RightSide].code, part->edges[TopSide].code,
                     part->edges[BottomSide].code}});
  }
  const std::vector<int> rows = maps::partListRows(keys);

  std::map<const common::FontKeys*, std::unique_ptr<UnitsMeasure>> measures;
  auto measureOf = [&](const common::FontKeys* f) -> const UnitsMeasure& {
    auto& m = measures[f];
    if (!m) m = std::make_unique<UnitsMeasure>(*f);
    return *m;
  };
  std::vector<maps::NumberLine> lines;
  std::vector<int> lineElement;
  for (std::size_t i = 0; i < v.elements.size(); ++i) {
    const MapElement& e = *v.elements[i];
    if (e.kind() == MapCutNumberElement::kKind) {
      lines.push_back({e.Title, v.x + e.x * r, v.y + e.y * r, v.x + (e.x + e.length) * r, v.y + (e.y + e.width) * r});
      lineElement.push_back(static_cast<int>(i));
      continue;
    }
    const common::FontKeys* f = e.font(v);
    if (!f || e.kind() == MapCutElement::kKind) continue;
    // Inside the element's outline and inside the sheet.
    const double left = std::max(sheet.x, v.x + e.x * r + kTextInset);
    const double top = std::max(sheet.y, v.y + e.y * r + kTextInset);
    const double right = std::min(sheet.right(), v.x + (e.x + e.length) * r - kTextInset);
    const double bottom = std::min(sheet.bottom(), v.y + (e.y + e.width) * r - kTextInset);
    if (right <= left || bottom <= top) continue;
    const std::string row =
        keyOf[i] >= 0 ? std::to_string(rows[static_cast<std::size_t>(keyOf[i])] + 1) : std::string();
    const maps::FittedLabel fit =
        e.planTexts({left, top, right - left, bottom - top}, measureOf(f).measure(), fontPoints(*f), row);
    for (const maps::LabelRun& run : fit.runs)
      out.push_back({run.text, run.box, run.vertical, fit.points, f, false, static_cast<int>(i)});
  }
  if (lines.empty()) return out;

  std::vector<maps::TextBox> taken;
  taken.reserve(out.size());
  for (const MapText& t : out) taken.push_back(t.box);
  common::FontKeys bold = v.partFont;
  bold.bold = true;
  const UnitsMeasure numbers(bold);
  const double points = std::min(fontPoints(bold), kPassNumberPoints);
  for (const maps::PlacedNumber& n : maps::placeNumbers(lines, taken, sheet, numbers.measure(), points, kTextPad))
    out.push_back({n.text, n.box, false, n.points, &v.partFont, true, lineElement[n.line]});
  return out;
}

void MapReportView::draw(const report::RenderContext& rc) const {
  QPainter& p = *rc.painter;
  const QRectF frame = rc.toDevice(QRectF(x, y, width, height));
  // The object's own frame: all four sides, solid, in its colour and width.
  if (fill.isValid()) p.fillRect(frame, fill);
  if (frameLines) {
    QPen pen(frameColor);
    pen.setWidthF(std::max(0.0, frameWidth * rc.scale));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
  }
  if (!(Ratio > 0)) return;

  const double X = frame.left(), Y = frame.top(), sx = rc.scale, sy = rc.scale, r = Ratio;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const auto& e : elements) {
    if (e->kind() == MapCutNumberElement::kKind) continue;
    if (e->kind() == MapCutElement::kKind) {
      p.setPen(devicePen(e->pen(*this), sx));
      const QPointF from(X + std::round(e->x * sx * r), Y + std::round(e->y * sy * r));
      p.drawLine(from, from + QPointF(std::round(sx * e->length * r), std::round(sy * e->width * r)));
      continue;
    }
    const double L = X + std::round(e->x * sx * r);
    const double T = Y + std::round(e->y * sy * r);
    const double w = std::round(e->length * sx * r) - 1;
    const double h = std::round(e->width * sy * r) - 1;
    const QRectF rect(L, T, w, h);
    p.fillRect(rect, Qt::white);
    const common::BrushKeys* b = e->brush(*this);
    p.setBrush(b ? deviceBrush(*b, sx) : QBrush(Qt::NoBrush));
    p.setPen(devicePen(e->pen(*this), sx));
    p.drawRect(rect);
  }
  p.restore();

  // The texts, over every outline and cut.
  p.save();
  for (const MapText& t : planMapTexts(*this)) {
    if (t.passNumber) {
      common::FontKeys bold = *t.font;
      bold.bold = true;
      const QRectF box = rc.toDevice(QRectF(t.box.x, t.box.y, t.box.w, t.box.h));
      QPen pen(windowsColour(cutPen.colour));
      pen.setWidthF(std::max(0.5, 0.5 * rc.scale));
      p.setPen(pen);
      p.setBrush(Qt::white);
      p.drawRect(box);
      p.setFont(deviceFontAt(bold, rc, t.points));
      p.setPen(windowsColour(bold.colour));
      maps::TextBox inner = t.box;
      inner.x += kTextPad;
      drawTextBox(p, rc, t.text, inner, false);
      continue;
    }
    p.setFont(deviceFontAt(*t.font, rc, t.points));
    p.setPen(windowsColour(t.font->colour));
    drawTextBox(p, rc, t.text, t.box, t.vertical);
  }
  p.restore();
}

// ---- the parts list object -------------------------------------------------

PartsListReportView::PartsListReportView() { font.size = 10; }

std::string PartsListReportView::saveStream() const {
  StreamWriter out;
  out.font(font);
  out.boolean(showPartsList);
  out.i32(listFormat);
  out.boolean(showSketch);
  out.boolean(showEdgesList);
  out.i32(edgesListFormat);
  out.i32(edgesListFirst);
  out.boolean(showSketchCodes);
  out.i32(static_cast<std::int32_t>(partRows.size()));
  for (const ListPartRow& row : partRows) {
    out.shortString(row.name, kShortNameLength);
    out.i32(row.length);
    out.i32(row.width);
    out.i32(row.count);
    for (std::int32_t e : row.edges) out.i32(e);
    for (std::int32_t c : row.colours) out.i32(c);
  }
  out.i32(static_cast<std::int32_t>(edgeRows.size()));
  for (const ListEdgeRow& row : edgeRows) {
    out.shortString(row.name, kShortNameLength);
    out.i32(row.length);
    out.i32(row.code);
  }
  // The room the list goes on in, only when it has one.
  if (moreWidth > 0 && moreHeight > 0)
    for (double v : {moreX, moreY, moreWidth, moreHeight}) out.i32(static_cast<std::int32_t>(std::lround(v * 100)));
  return out.bytes();
}

void PartsListReportView::loadStream(std::string_view bytes) {
  StreamReader in(bytes, "списка деталей \"" + name + "\"");
  PartsListReportView v;
  v.font = in.font();
  v.showPartsList = in.boolean();
  v.listFormat = in.i32();
  v.showSketch = in.boolean();
  v.showEdgesList = in.boolean();
  v.edgesListFormat = in.i32();
  v.edgesListFirst = in.i32();
  v.showSketchCodes = in.boolean();
  const std::int32_t parts = in.count(kPartRowBytes, "деталей");
  v.partRows.reserve(static_cast<std::size_t>(parts));
  for (std::int32_t i = 0; i < parts; ++i) {
    ListPartRow row;
    row.name = in.shortString(kShortNameLength);
    row.length = in.i32();
    row.width = in.i32();
    row.count = in.i32();
    for (std::int32_t& e : row.edges) e = in.i32();
    for (std::int32_t& c : row.colours) c = in.i32();
    v.partRows.push_back(std::move(row));
  }
  const std::int32_t edges = in.count(kEdgeRowBytes, "кромок");
  v.edgeRows.reserve(static_cast<std::size_t>(edges));
  for (std::int32_t i = 0; i < edges; ++i) {
    ListEdgeRow row;
    row.name = in.shortString(kShortNameLength);
    row.length = in.i32();
    row.code = in.i32();
    v.edgeRows.push_back(std::move(row));
  }
  if (in.left() >= 4 * 4) {
    for (double* d : {&v.moreX, &v.moreY, &v.moreWidth, &v.moreHeight}) {
      *d = in.i32() / 100.0;
      if (std::abs(*d) > report::kMaxPosition) in.fail("неверное место продолжения списка");
    }
  }
  in.expectEnd();
  font = v.font;
  showPartsList = v.showPartsList;
  listFormat = v.listFormat;
  showSketch = v.showSketch;
  showEdgesList = v.showEdgesList;
  edgesListFormat = v.edgesListFormat;
  edgesListFirst = v.edgesListFirst;
  showSketchCodes = v.showSketchCodes;
  partRows = std::move(v.partRows);
  edgeRows = std::move(v.edgeRows);
  moreX = v.moreX;
  moreY = v.moreY;
  moreWidth = v.moreWidth;
  moreHeight = v.moreHeight;
}

void PartsListReportView::saveProperties(QXmlStreamWriter& w) const { saveData(w, saveStream()); }

void PartsListReportView::loadProperties(QXmlStreamReader& r) {
  loadData(r, "списка деталей \"" + name + "\"", [this](std::string_view bytes) { loadStream(bytes); });
}

std::vector<std::string> PartsListReportView::partLines() const {
  std::vector<std::string> lines;
  for (const ListPartRow& row : partRows)
    lines.push_back(row.name + " [" + number(row.length) + "x" + number(row.width) + "] " + number(row.count) + " шт");
  return lines;
}

std::vector<std::string> PartsListReportView::edgeLines() const {
  std::vector<std::string> lines;
  for (const ListEdgeRow& row : edgeRows) {
    const std::string metres = common::lengthText(row.length, 2) + "м";
    const std::string code = "[" + number(row.code) + "]";
    switch (edgesListFormat) {
      case EdgeCodeName: lines.push_back(code + row.name + ": " + metres); break;
      case EdgeName: lines.push_back(row.name + ": " + metres); break;
      case EdgeCode: lines.push_back(code + ": " + metres); break;
      default: lines.push_back(row.name + code + ": " + metres); break;
    }
  }
  return lines;
}

QStringList PartsListReportView::texts() const {
  QStringList out;
  if (showPartsList)
    for (const std::string& l : partLines()) out << q(l);
  if (showEdgesList)
    for (const std::string& l : edgeLines()) out << q(l);
  return out;
}

namespace {

// One piece of a list as it flows down its columns: a heading, a row with
// the sketch of its part's edges, a line of an edge.
struct ListItem {
  std::string text;
  double gapBefore = 0, gapAfter = 0;  // lines
  const ListPartRow* sketch = nullptr;
  bool row = false;  // counts in "… ещё N"
};

struct PlacedItem {
  std::size_t item = 0;
  std::size_t column = 0;  // in ListLayout::columnRoom
  double x = 0, y = 0;
  std::vector<QString> lines;
};

struct ListLayout {
  bool fits = false;
  double points = 0;
  double columnWidth = 0;
  std::vector<PlacedItem> placed;
  std::vector<std::size_t> columnRoom;  // the room of each column
  int leftOut = 0;                      // rows not shown
  double moreX = 0, moreY = 0;
};

std::string moreText(int n) { return "… ещё " + std::to_string(n); }

// Lays the items out in columns of `room`: as many columns side by side
// as there is width for, one after another from the top. With `truncate`
// the items that do not fit are left out and "… ещё N" takes the place of
// the last ones shown.
ListLayout flowList(const std::vector<ListItem>& items, const UnitsMeasure& m, double pt,
                    const std::vector<QRectF>& rooms, bool wrap, bool truncate) {
  ListLayout out;
  out.points = pt;
  const double th = m.lineHeight(pt), sth = m.lineHeight(pt * 0.8);
  double natural = 0;
  for (const ListItem& it : items) {
    natural = std::max(natural, m.width(it.text, pt) + 2 * kTextPad + kMeasureSlack);
    if (it.sketch) natural = std::max(natural, 3 * sth + 2);
  }
  // The columns: as many side by side in each room as its width holds,
  // each as wide as the widest line (or the room).
  const double gap = th;
  std::vector<QRectF> columns;
  for (std::size_t r = 0; r < rooms.size(); ++r) {
    const QRectF& room = rooms[r];
    if (!(room.width() > 0) || !(room.height() > 0)) continue;
    const double colW = std::min(room.width(), natural);
    const int n = std::max(1, static_cast<int>((room.width() + gap) / (colW + gap)));
    for (int c = 0; c < n; ++c) {
      columns.emplace_back(room.left() + c * (colW + gap), room.top(), colW, room.height());
      out.columnRoom.push_back(r);
    }
  }
  if (columns.empty()) return out;
  out.columnWidth = columns.front().width();
  const report::FontSpec font = m.specAt(pt);
  auto sketchHeight = [&](const ListItem& it) { return it.sketch ? 2 + 2 * sth + 2 : 0.0; };

  std::size_t column = 0;
  double y = 0;
  std::size_t i = 0;
  std::vector<std::pair<std::size_t, double>> ends;  // the column and the bottom of each placed item
  for (; i < items.size() && column < columns.size(); ++i) {
    const ListItem& it = items[i];
    PlacedItem placed;
    placed.item = i;
    auto lay = [&] {
      const double colW = columns[column].width();
      if (!wrap && m.width(it.text, pt) > colW - 2 * kTextPad + 1e-6) return false;  // smaller first
      placed.lines = report::breakText(q(it.text), font, std::max(0.0, colW - 2 * kTextPad), wrap);
      return true;
    };
    if (!lay()) return out;
    double before = y > 0 ? it.gapBefore * th : 0;
    double h = before + static_cast<double>(placed.lines.size()) * th + it.gapAfter * th + sketchHeight(it);
    if (y + h > columns[column].height() + 1e-6 && y > 0) {
      if (++column >= columns.size()) break;
      y = 0;
      if (!lay()) return out;
      before = 0;
      h = static_cast<double>(placed.lines.size()) * th + it.gapAfter * th + sketchHeight(it);
    }
    if (h > columns[column].height() + 1e-6) break;
    placed.column = column;
    placed.x = columns[column].left();
    placed.y = columns[column].top() + y + before;
    out.placed.push_back(std::move(placed));
    y += h;
    ends.emplace_back(column, columns[column].top() + y);
  }
  if (i == items.size()) {
    out.fits = true;
    return out;
  }
  if (!truncate) return out;
  // Room for "… ещё N" after the last item kept: in its column, or at the
  // top of the next one.
  auto rowsFrom = [&](std::size_t first) {
    int n = 0;
    for (std::size_t k = first; k < items.size(); ++k) n += items[k].row;
    return n;
  };
  while (true) {
    const std::size_t kept = out.placed.size();
    const std::size_t last = kept ? ends.back().first : 0;
    const double lastBottom = kept ? ends.back().second : columns[0].top();
    out.leftOut = rowsFrom(kept);
    if (lastBottom + th <= columns[last].bottom() + 1e-6) {
      out.moreX = columns[last].left();
      out.moreY = lastBottom;
      return out;
    }
    if (last + 1 < columns.size() && th <= columns[last + 1].height() + 1e-6) {
      out.moreX = columns[last + 1].left();
      out.moreY = columns[last + 1].top();
      return out;
    }
    if (!kept) {
      out.leftOut = -1;  // not even the note fits
      return out;
    }
    out.placed.pop_back();
    ends.pop_back();
  }
}

// The sizes a list is tried at until it fits whole, each line on one line;
// at 6 pt long lines are broken, and then the list is cut short.
ListLayout fitList(const std::vector<ListItem>& items, const UnitsMeasure& m, double points,
                   const std::vector<QRectF>& room) {
  for (double pt : listSizes(points)) {
    ListLayout l = flowList(items, m, pt, room, false, false);
    if (l.fits) return l;
  }
  const double smallest = std::min(points, kMinListPoints);
  ListLayout l = flowList(items, m, smallest, room, true, false);
  if (l.fits) return l;
  return flowList(items, m, smallest, room, true, true);
}

// The parts list and the edges list as the list object shows them, the
// parts numbered by their rows (the number a part too small for its texts
// shows on the map).
std::vector<ListItem> listItems(const PartsListReportView& v) {
  std::vector<ListItem> items;
  auto partsList = [&] {
    if (!v.showPartsList || v.partRows.empty()) return;
    items.push_back({"Список деталей:", 0, 0.3, nullptr, false});
    const std::vector<std::string> lines = v.partLines();
    for (std::size_t i = 0; i < v.partRows.size(); ++i) {
      const ListPartRow& row = v.partRows[i];
      const bool banded = std::any_of(row.edges.begin(), row.edges.end(), [](std::int32_t e) { return e > 0; });
      items.push_back({std::to_string(i + 1) + ". " + lines[i], 0, 0, v.showSketch && banded ? &row : nullptr, true});
    }
  };
  auto edgesList = [&] {
    if (!v.showEdgesList || v.edgeRows.empty()) return;
    items.push_back({"Список кромок:", 0.5, 0.3, nullptr, false});
    for (const std::string& l : v.edgeLines()) items.push_back({l, 0, 0, nullptr, true});
  };
  if (v.edgesListFirst != 0) {
    edgesList();
    partsList();
  } else {
    partsList();
    edgesList();
  }
  return items;
}

}  // namespace

std::vector<QRectF> PartsListReportView::rooms() const {
  std::vector<QRectF> out = {QRectF(x, y, width, height)};
  if (moreWidth > 0 && moreHeight > 0) out.emplace_back(x + moreX, y + moreY, moreWidth, moreHeight);
  return out;
}

PartsListReportView::Shown PartsListReportView::shown() const {
  Shown out;
  const std::vector<ListItem> items = listItems(*this);
  if (items.empty()) return out;
  const UnitsMeasure m(font);
  std::vector<QRectF> all = rooms();
  for (QRectF& r : all) r.translate(-x, -y);
  const ListLayout l = fitList(items, m, fontPoints(font), all);
  out.points = l.points;
  std::vector<double> columns;
  for (const PlacedItem& p : l.placed) {
    if (std::none_of(columns.begin(), columns.end(), [&](double c) { return std::abs(c - p.x) < 1e-6; }))
      columns.push_back(p.x);
    for (const QString& line : p.lines) out.lines.push_back(line.toStdString());
  }
  out.columns = static_cast<int>(columns.size());
  if (!l.fits && l.leftOut >= 0) out.lines.push_back(moreText(l.leftOut));
  return out;
}

std::vector<double> PartsListReportView::usedHeights() const {
  const std::vector<QRectF> all = rooms();
  std::vector<double> used(all.size(), 0);
  const std::vector<ListItem> items = listItems(*this);
  if (items.empty()) return used;
  const UnitsMeasure m(font);
  const ListLayout l = fitList(items, m, fontPoints(font), all);
  if (!l.fits || l.placed.empty()) {
    for (std::size_t r = 0; r < all.size(); ++r) used[r] = all[r].height();
    return used;
  }
  const double th = m.lineHeight(l.points), sth = m.lineHeight(l.points * 0.8);
  const std::size_t lastRoom = l.columnRoom[l.placed.back().column];
  for (const PlacedItem& p : l.placed) {
    const std::size_t r = l.columnRoom[p.column];
    // Only a room's one column leaves room under it, and a room the lists
    // went on from is taken whole.
    const bool firstColumn = p.column == 0 || l.columnRoom[p.column - 1] != r;
    if (!firstColumn || r < lastRoom) {
      used[r] = all[r].height();
      continue;
    }
    const ListItem& it = items[p.item];
    const double bottom = p.y - all[r].top() + static_cast<double>(p.lines.size()) * th + it.gapAfter * th +
                          (it.sketch ? 2 + 2 * sth + 2 : 0.0);
    used[r] = std::min(all[r].height(), std::max(used[r], bottom));
  }
  for (std::size_t r = 0; r < lastRoom; ++r) used[r] = all[r].height();
  return used;
}

double PartsListReportView::usedHeight() const { return usedHeights().front(); }

bool PartsListReportView::fitsWhole() const {
  const std::vector<ListItem> items = listItems(*this);
  if (items.empty()) return true;
  const UnitsMeasure m(font);
  return fitList(items, m, fontPoints(font), rooms()).fits;
}

void PartsListReportView::draw(const report::RenderContext& rc) const {
  QPainter& p = *rc.painter;
  drawFill(rc);
  const QRectF room(x, y, width, height);
  const UnitsMeasure m(font);
  const QColor ink = windowsColour(font.colour);

  const std::vector<ListItem> items = listItems(*this);
  if (!items.empty()) {
    const ListLayout l = fitList(items, m, fontPoints(font), rooms());
    const double th = m.lineHeight(l.points);
    const double sth = m.lineHeight(l.points * 0.8);
    p.save();
    for (const PlacedItem& placed : l.placed) {
      const ListItem& it = items[placed.item];
      p.setFont(deviceFontAt(font, rc, l.points));
      p.setPen(ink);
      double yy = placed.y;
      for (const QString& line : placed.lines) {
        drawTextBox(p, rc, line.toStdString(), {placed.x + kTextPad, yy, m.width(line.toStdString(), l.points), th},
                    false);
        yy += th;
      }
      if (!it.sketch) continue;
      // The sketch: a rectangle 3 x 2 lines of four fifths of the font,
      // banded sides in their edge colours, the codes inside when asked.
      const ListPartRow& row = *it.sketch;
      const maps::TextBox box{placed.x + 1, yy + 2, 3 * sth, 2 * sth};
      const QRectF dbox = rc.toDevice(QRectF(box.x, box.y, box.w, box.h));
      const double thick = std::max(1.0, std::trunc(3 * rc.scale));
      const double thin = std::max(1.0, std::trunc(rc.scale));
      const std::array<QLineF, 4> sides = {
          QLineF(dbox.topLeft(), dbox.bottomLeft()), QLineF(dbox.topRight(), dbox.bottomRight()),
          QLineF(dbox.topLeft(), dbox.topRight()), QLineF(dbox.bottomLeft(), dbox.bottomRight())};
      // Plain sides first, so that the banded ones lie on top at the corners.
      for (int banded = 0; banded < 2; ++banded)
        for (int s = 0; s < 4; ++s) {
          const bool isBanded = row.edges[s] > 0;
          if (isBanded != bool(banded)) continue;
          QPen pen(isBanded ? windowsColour(row.colours[s]) : QColor(Qt::black));
          pen.setWidthF(isBanded ? thick : thin);
          pen.setCapStyle(Qt::SquareCap);
          p.setPen(pen);
          p.drawLine(sides[s]);
        }
      if (showSketchCodes) {
        const double small = l.points * 0.8;
        p.setFont(deviceFontAt(font, rc, small));
        p.setPen(ink);
        const double in = thick / rc.scale;
        for (int s = 0; s < 4; ++s) {
          if (row.edges[s] <= 0) continue;
          const std::string code = number(row.edges[s]);
          const double cw = m.width(code, small);
          const double inner = box.w - 2 * in;
          if (cw > inner) continue;  // no room inside the sketch
          double cx = box.x + in + (inner - cw) / 2, cy = box.y + (box.h - sth) / 2;
          if (s == LeftSide) cx = box.x + in;
          if (s == RightSide) cx = box.right() - in - cw;
          if (s == TopSide) cy = box.y + in;
          if (s == BottomSide) cy = box.bottom() - in - sth;
          drawTextBox(p, rc, code, {cx, cy, cw, sth}, false);
        }
      }
    }
    if (l.leftOut >= 0 && !l.fits) {
      p.setFont(deviceFontAt(font, rc, l.points));
      p.setPen(ink);
      const std::string more = moreText(l.leftOut);
      drawTextBox(p, rc, more, {l.moreX + kTextPad, l.moreY, m.width(more, l.points), th}, false);
    }
    p.restore();
  }
  drawFrame(rc);
}

// ---- the cut order table ------------------------------------------------------

std::string CutOrderReportView::saveStream() const {
  StreamWriter out;
  out.font(font);
  out.string(note);
  out.i32(static_cast<std::int32_t>(rows.size()));
  for (const CutOrderRow& row : rows) {
    out.i32(row.number);
    const bool turned = row.direction.starts_with(kTurnMark);
    out.boolean(turned);
    out.string(turned ? std::string_view(row.direction).substr(kTurnMark.size()) : std::string_view(row.direction));
    out.i32(row.fence);
    out.i32(row.length);
    out.string(row.yields);
  }
  // The room beside the map, hundredths of a report unit.
  for (double v : {moreX, moreY, moreWidth, moreHeight}) out.i32(static_cast<std::int32_t>(std::lround(v * 100)));
  return out.bytes();
}

void CutOrderReportView::loadStream(std::string_view bytes) {
  StreamReader in(bytes, "порядка резов \"" + name + "\"");
  CutOrderReportView v;
  v.font = in.font();
  v.note = in.string();
  // A row: three int32, a byte and two strings of at least three bytes.
  const std::int32_t n = in.count(3 * 4 + 1 + 2 * 3, "резов");
  v.rows.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    CutOrderRow row;
    row.number = in.i32();
    const bool turned = in.boolean();
    row.direction = (turned ? std::string(kTurnMark) : std::string()) + in.string();
    row.fence = in.i32();
    row.length = in.i32();
    row.yields = in.string();
    v.rows.push_back(std::move(row));
  }
  for (double* d : {&v.moreX, &v.moreY, &v.moreWidth, &v.moreHeight}) {
    *d = in.i32() / 100.0;
    if (std::abs(*d) > report::kMaxPosition) in.fail("неверное место таблицы");
  }
  in.expectEnd();
  font = v.font;
  note = std::move(v.note);
  rows = std::move(v.rows);
  moreX = v.moreX;
  moreY = v.moreY;
  moreWidth = v.moreWidth;
  moreHeight = v.moreHeight;
}

QStringList CutOrderReportView::texts() const {
  QStringList out;
  if (!note.empty()) out << q(note);
  for (const CutOrderRow& r : rows)
    out << q(number(r.number) + " " + r.direction + " " + number(r.fence) + " " + number(r.length) + " " + r.yields);
  return out;
}

namespace {

const std::array<const char*, 5> kCutOrderHeaders = {"№", "направление", "установка упора (мм)", "длина (мм)",
                                                     "получается"};

std::array<std::string, 5> cells(const CutOrderRow& r) {
  return {number(r.number), r.direction, number(r.fence), number(r.length), r.yields};
}

// One room of the table: blocks of rows side by side under the heading
// of the columns.
struct TableRoom {
  QRectF room;
  bool title = false;  // the table's heading stands on top of it
  std::array<double, 5> widths{};
  std::array<std::vector<QString>, 5> headers;
  double headerHeight = 0;
  int blocks = 0;
  int rowsPerBlock = 0;
  int rows = 0;  // rows it shows
  double blockWidth() const { return widths[0] + widths[1] + widths[2] + widths[3] + widths[4]; }
};

struct TableLayout {
  bool fits = false;
  double points = 0;
  std::vector<TableRoom> rooms;
  int shown = 0;     // rows shown; "… ещё N" stands for the rest
  int capacity = 0;  // rows there is room for
};

double titleHeight(double th) { return 1.3 * th; }

TableLayout layTable(const std::vector<CutOrderRow>& rows, const UnitsMeasure& m, double pt,
                     const std::vector<QRectF>& rooms, bool truncate, bool wholeHeadings, bool elide) {
  TableLayout t;
  t.points = pt;
  const double th = m.lineHeight(pt);
  const report::FontSpec font = m.specAt(pt);
  // Each column as wide as its widest cell and its heading on one line, or
  // the longest word of its heading; what a pass gives takes what is left
  // of a narrow room.
  std::array<double, 5> natural{};
  for (std::size_t c = 0; c < 5; ++c) {
    double w = 0;
    const QStringList words =
        wholeHeadings ? QStringList{q(kCutOrderHeaders[c])} : q(kCutOrderHeaders[c]).split(QLatin1Char(' '));
    for (const QString& word : words) w = std::max(w, m.width(word.toStdString(), pt));
    for (const CutOrderRow& r : rows) w = std::max(w, m.width(cells(r)[c], pt));
    natural[c] = w + 2 * kCellPad + kMeasureSlack;
  }
  const double others = natural[0] + natural[1] + natural[2] + natural[3];
  const double leastYields = m.width(kCutOrderHeaders[4], pt) + 2 * kCellPad + kMeasureSlack;
  const double gap = 2 * th;
  int capacity = 0;
  for (const QRectF& room : rooms) {
    // As many blocks side by side as there is room for; with `elide`, what
    // a pass gives cut short to make room for another block where that
    // shows more rows.
    TableRoom best;
    const int most =
        std::max(1, static_cast<int>((room.width() + gap) / (others + (elide ? leastYields : natural[4]) + gap)));
    for (int k = elide ? 1 : most; k <= most; ++k) {
      TableRoom r;
      r.room = room;
      r.widths = natural;
      r.widths[4] = std::max(std::min(natural[4], (room.width() + gap) / k - gap - others), leastYields);
      std::size_t lines = 1;
      for (std::size_t c = 0; c < 5; ++c) {
        r.headers[c] = report::breakText(q(kCutOrderHeaders[c]), font, std::max(0.0, r.widths[c] - 2 * kCellPad), true);
        lines = std::max(lines, r.headers[c].size());
      }
      r.headerHeight = static_cast<double>(lines) * th + 1;
      r.title = capacity == 0 && t.rooms.empty();
      const double top = (r.title ? titleHeight(th) : 0) + r.headerHeight;
      if (r.blockWidth() <= room.width() + 1e-6 && room.height() > 0) {
        r.blocks = std::max(1, static_cast<int>((room.width() + gap) / (r.blockWidth() + gap)));
        r.rowsPerBlock = std::max(0, static_cast<int>((room.height() - top + 1e-6) / th));
      }
      if (r.blocks * r.rowsPerBlock > best.blocks * best.rowsPerBlock) best = std::move(r);
    }
    if (best.blocks * best.rowsPerBlock == 0) continue;  // no room for a row
    capacity += best.blocks * best.rowsPerBlock;
    t.rooms.push_back(std::move(best));
  }
  const int n = static_cast<int>(rows.size());
  t.capacity = capacity;
  t.fits = n <= capacity;
  if (!t.fits && !truncate) return t;
  t.shown = t.fits ? n : std::max(0, capacity - 1);
  // The rows fill the rooms in turn, the blocks of a room evenly.
  int left = t.fits ? n : capacity;
  for (TableRoom& r : t.rooms) {
    r.rows = std::min(left, r.blocks * r.rowsPerBlock);
    left -= r.rows;
    if (r.rows == 0) continue;
    const int used = (r.rows + r.rowsPerBlock - 1) / r.rowsPerBlock;
    r.rowsPerBlock = (r.rows + used - 1) / used;
    r.blocks = used;
  }
  return t;
}

// The headings of the columns whole on one line, or broken into words
// over several: whichever shows more rows.
TableLayout bestTable(const std::vector<CutOrderRow>& rows, const UnitsMeasure& m, double pt,
                      const std::vector<QRectF>& rooms, bool truncate, bool elide) {
  TableLayout broken = layTable(rows, m, pt, rooms, truncate, false, elide);
  TableLayout whole = layTable(rows, m, pt, rooms, truncate, true, elide);
  if (broken.fits != whole.fits) return broken.fits ? broken : whole;
  return whole.capacity > broken.capacity ? whole : broken;
}

// The largest size down to 6 pt at which every row fits whole; at 6 pt
// what the passes give may be cut short for more blocks, and then the rows
// that still find no room are left out.
TableLayout fitTable(const std::vector<CutOrderRow>& rows, const UnitsMeasure& m, double base,
                     const std::vector<QRectF>& rooms) {
  for (double pt : listSizes(base)) {
    TableLayout t = bestTable(rows, m, pt, rooms, false, false);
    if (t.fits) return t;
  }
  const double smallest = std::min(base, kMinListPoints);
  TableLayout t = bestTable(rows, m, smallest, rooms, false, true);
  return t.fits ? t : bestTable(rows, m, smallest, rooms, true, true);
}

}  // namespace

std::vector<QRectF> CutOrderReportView::rooms() const {
  std::vector<QRectF> out = {QRectF(x, y, width, height)};
  if (moreWidth > 0 && moreHeight > 0) out.emplace_back(x + moreX, y + moreY, moreWidth, moreHeight);
  return out;
}

bool CutOrderReportView::fitsWhole() const {
  if (!note.empty() || rows.empty()) return true;
  const UnitsMeasure m(font);
  return bestTable(rows, m, fontPoints(font), rooms(), false, false).fits;
}

void CutOrderReportView::draw(const report::RenderContext& rc) const {
  QPainter& p = *rc.painter;
  drawFill(rc);
  const QRectF room(x, y, width, height);
  const UnitsMeasure m(font);
  const QColor ink = windowsColour(font.colour);
  const double base = fontPoints(font);
  p.save();
  p.setPen(ink);
  if (!note.empty() || rows.empty()) {
    // No table: the note, made smaller down to 6 pt to fit its room.
    const std::string text = "Порядок резов: " + (note.empty() ? std::string("нет резов") : note);
    for (double pt : listSizes(base)) {
      const double th = m.lineHeight(pt);
      const std::vector<QString> lines = report::breakText(q(text), m.specAt(pt), room.width() - 2 * kCellPad, true);
      if (static_cast<double>(lines.size()) * th > room.height() + 1e-6 && pt > kMinListPoints) continue;
      p.setFont(deviceFontAt(font, rc, pt));
      double yy = room.top();
      for (const QString& l : lines) {
        if (yy + th > room.bottom() + 1e-6) break;
        drawTextBox(p, rc, l.toStdString(), {room.left() + kCellPad, yy, m.width(l.toStdString(), pt), th}, false);
        yy += th;
      }
      break;
    }
    p.restore();
    drawFrame(rc);
    return;
  }

  // Under the map first, then the room left beside it.
  const std::vector<QRectF> all = rooms();
  const TableLayout t = fitTable(rows, m, base, all);
  const double pt = t.points, th = m.lineHeight(pt);
  const double gap = 2 * th;
  const int n = static_cast<int>(rows.size());
  common::FontKeys boldKeys = font;
  boldKeys.bold = true;
  const UnitsMeasure bold(boldKeys);
  QPen rule(ink);
  rule.setWidthF(std::max(0.5, 0.5 * rc.scale));
  int next = 0;  // the next row to draw
  for (const TableRoom& r : t.rooms) {
    double top = r.room.top();
    if (r.title) {
      const std::string title = "Порядок резов";
      p.setFont(deviceFontAt(boldKeys, rc, pt));
      drawTextBox(p, rc, title, {r.room.left() + kCellPad, top, bold.width(title, pt), th}, false);
      top += titleHeight(th);
    }
    p.setFont(deviceFontAt(font, rc, pt));
    const double blockW = r.blockWidth();
    for (int b = 0; b < r.blocks; ++b) {
      const double bx = r.room.left() + b * (blockW + gap);
      // The heading of the columns and a line under it.
      double cx = bx;
      for (std::size_t c = 0; c < 5; ++c) {
        double hy = top;
        for (const QString& l : r.headers[c]) {
          drawTextBox(p, rc, l.toStdString(), {cx + kCellPad, hy, m.width(l.toStdString(), pt), th}, false);
          hy += th;
        }
        cx += r.widths[c];
      }
      p.setPen(rule);
      const double ruleY = top + r.headerHeight - 0.5;
      p.drawLine(rc.toDevice(QPointF(bx, ruleY)), rc.toDevice(QPointF(bx + blockW, ruleY)));
      p.setPen(ink);
      double ry = top + r.headerHeight;
      for (int k = 0; k < r.rowsPerBlock && next < n; ++k) {
        if (next == t.shown) {
          // The rows that found no room.
          const std::string more = moreText(n - t.shown);
          drawTextBox(p, rc, more, {bx + kCellPad, ry, m.width(more, pt), th}, false);
          next = n;
          break;
        }
        const std::array<std::string, 5> row = cells(rows[static_cast<std::size_t>(next)]);
        cx = bx;
        for (std::size_t c = 0; c < 5; ++c) {
          const double cw = r.widths[c];
          const std::string text = elide(row[c], cw - 2 * kCellPad, m, pt);
          const double tw = m.width(text, pt);
          // Numbers to the right of their column, words to the left.
          const bool numeric = c != 1 && c != 4;
          drawTextBox(p, rc, text, {numeric ? cx + cw - kCellPad - tw : cx + kCellPad, ry, tw, th}, false);
          cx += cw;
        }
        ry += th;
        ++next;
      }
    }
  }
  p.restore();
  drawFrame(rc);
}

void CutOrderReportView::saveProperties(QXmlStreamWriter& w) const { saveData(w, saveStream()); }

void CutOrderReportView::loadProperties(QXmlStreamReader& r) {
  loadData(r, "порядка резов \"" + name + "\"", [this](std::string_view bytes) { loadStream(bytes); });
}

// ---- registration ------------------------------------------------------------

namespace {

// Designer pictures of the two classes: a sheet with parts, a list with a sketch.
QImage mapBitmap() {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.fillRect(QRect(1, 3, 14, 10), QColor(0xC0, 0xC0, 0xC0));
  p.fillRect(QRect(2, 4, 6, 4), Qt::white);
  p.fillRect(QRect(9, 4, 5, 8), Qt::white);
  p.fillRect(QRect(2, 9, 6, 3), QColor(0xFF, 0x80, 0x80));
  p.setPen(Qt::black);
  p.drawRect(QRect(1, 3, 13, 9));
  return img;
}

QImage listBitmap() {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(Qt::black);
  for (int row = 2; row <= 6; row += 2) p.drawLine(1, row, 14, row);
  p.drawRect(QRect(3, 9, 9, 5));
  p.setPen(QPen(Qt::blue, 2));
  p.drawLine(3, 9, 12, 9);
  return img;
}

QImage cutOrderBitmap() {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(Qt::black);
  for (int row = 3; row <= 13; row += 3) p.drawLine(5, row, 14, row);
  p.setPen(QPen(Qt::red, 2));
  p.drawLine(2, 2, 2, 14);
  return img;
}

}  // namespace

void registerMapReportObjects() {
  report::ObjectRegistry& registry = report::ObjectRegistry::instance();
  if (!registry.find(MapReportView::kClassName))
    registry.add({MapReportView::kClassName, QStringLiteral("Карта раскроя"), mapBitmap(),
                  [] { return std::make_unique<MapReportView>(); }});
  if (!registry.find(PartsListReportView::kClassName))
    registry.add({PartsListReportView::kClassName, QStringLiteral("Список деталей"), listBitmap(),
                  [] { return std::make_unique<PartsListReportView>(); }});
  if (!registry.find(CutOrderReportView::kClassName))
    registry.add({CutOrderReportView::kClassName, QStringLiteral("Порядок резов"), cutOrderBitmap(),
                  [] { return std::make_unique<CutOrderReportView>(); }});
}

report::FontSpec reportFont(const common::FontKeys& f, double sizeFactor) {
  report::FontSpec font;
  font.family = QString::fromStdString(f.name.empty() ? std::string("Arial") : f.name);
  font.size = std::max(0.1, f.size * sizeFactor);
  font.bold = f.bold;
  font.italic = f.italic;
  font.underline = f.underline;
  return font;
}

}  // namespace kroyna::reports
