#include "reports/mapprint/MapReportObjects.h"

#include "common/StyleCodes.h"
#include "platform/report/ReportError.h"
#include "reports/mapprint/MapPrintSettings.h"
#include "reports/mapprint/MapReportStream.h"

#include <QByteArray>
#include <QPainter>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

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

// Div of the drawing rules: whole device units, cut towards zero.
double half(double v) { return std::trunc(std::trunc(v) / 2); }

QFont deviceFont(const common::FontKeys& f, const report::RenderContext& rc, double sizeFactor = 1) {
  QFont font = reportFont(f, sizeFactor).toQFont(rc.fontScale);
  font.setStrikeOut(f.strikeOut);
  return font;
}

// Text measured in report units (the same on every device) and given in
// device units.
TextMetrics deviceMetrics(const common::FontKeys& f, const report::RenderContext& rc, double sizeFactor = 1) {
  const report::FontSpec font = reportFont(f, sizeFactor);
  TextMetrics m;
  m.lineHeight = report::textLineHeight(font) * rc.scale;
  m.width = [font, scale = rc.scale](const std::string& s) { return report::textWidth(font, q(s)) * scale; };
  return m;
}

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

void drawRun(QPainter& p, const TextRun& run, double lineHeight) {
  if (run.text.empty()) return;
  p.save();
  p.setClipRect(QRectF(QPointF(run.clipLeft, run.clipTop), QPointF(run.clipRight, run.clipBottom)), Qt::IntersectClip);
  const QString text = q(run.text);
  const double room = 1e7;
  if (run.vertical) {
    p.translate(run.x, run.y);
    p.rotate(-90);
    p.drawText(QRectF(0, 0, room, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  } else {
    p.drawText(QRectF(run.x, run.y, room, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }
  p.restore();
}

// ---- text output of the drawing rules -----------------------------------

enum class Align { Left, Right, Centre };

// Horizontal text at (x, y) in a cell a high and c wide.
TextRun horizontal(const std::string& text, double x, double y, double a, double c, Align align, const TextMetrics& m) {
  TextRun r;
  r.text = text;
  const double tw = m.width(text);
  switch (align) {
    case Align::Left: r.x = x + 1; break;
    case Align::Right: r.x = x + c - tw - 2; break;
    case Align::Centre: r.x = x + half(c - tw - 2) + 1; break;
  }
  r.y = y;
  r.clipLeft = x;
  r.clipTop = y;
  r.clipRight = x + c;
  r.clipBottom = y + a;
  return r;
}

// Text turned to read upwards at (x, y) in a band c wide and a long.
TextRun vertical(const std::string& text, double x, double y, double c, double a, Align align, const TextMetrics& m) {
  TextRun r;
  r.text = text;
  r.vertical = true;
  r.x = x;
  r.y = align == Align::Centre ? y + a - half(a - m.width(text) - 2) - 2 : y + a - 1;
  r.clipLeft = x;
  r.clipTop = y;
  r.clipRight = x + c;
  r.clipBottom = y + a;
  return r;
}

std::string number(std::int32_t v) { return std::to_string(v); }

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

// ---- layout of the texts ---------------------------------------------------

TextLayout chooseTextLayout(const TextMeasures& m, bool showDim, bool truncText) {
  const double xd = showDim ? m.xw : 0;
  if (m.h - 2 * m.th >= m.hw && m.w >= m.tw && m.w >= m.ww) return TextLayout::Standard;
  if (m.w >= m.tw + m.hw + m.ww + m.xw + xd) return TextLayout::OneLineHorizontal;
  if (m.w >= m.hw + m.ww + xd && m.w >= m.tw && 2 * m.th < m.h) return TextLayout::TwoLineHorizontal;
  if (m.tw + m.hw + m.ww + m.xw + xd <= m.h) return TextLayout::OneLineVertical;
  if (m.hw + m.ww + xd <= m.h && m.tw <= m.h && m.w > 2 * m.th) return TextLayout::TwoLineVertical;
  if ((m.h - 2 * m.th >= m.hw && m.w >= m.ww) || m.w >= m.tw) return TextLayout::Standard;
  return truncText ? TextLayout::TwoLineHorizontal : TextLayout::OneLineHorizontal;
}

std::vector<TextRun> MapElement::planTexts(double L, double T, double w, double h, const TextMetrics& m) const {
  std::vector<TextRun> runs;
  if (!ShowTitle && !ShowDim) return runs;
  const std::string widthText = number(length), heightText = number(width);
  TextMeasures me;
  me.w = w;
  me.h = h;
  me.th = m.lineHeight;
  me.tw = ShowTitle ? m.width(Title) : 0;
  me.hw = ShowDim ? m.width(heightText) : 0;
  me.ww = ShowDim ? m.width(widthText) : 0;
  me.xw = m.width("x");
  const double th = me.th;
  auto add = [&](TextRun r) {
    if (!r.text.empty()) runs.push_back(std::move(r));
  };

  const TextLayout layout = chooseTextLayout(me, ShowDim, TruncText);
  if (layout == TextLayout::Standard) {
    if (ShowTitle) add(horizontal(Title, L, T, th, TruncText ? w : std::max(w, me.tw), Align::Left, m));
    if (ShowDim) {
      const double c = TruncText ? w : std::max(w, me.ww);
      add(horizontal(widthText, L, T + h - th, th, c, Align::Centre, m));
      add(horizontal(topBottomLabels(), L, T + h - 2 * th, th, c, Align::Centre, m));
      const double a = TruncText ? h : std::max(h, me.hw);
      add(vertical(heightText, L, T, th, a, Align::Centre, m));
      add(vertical(leftRightLabels(), L + th, T, th, a, Align::Centre, m));
    }
    return runs;
  }

  std::string s1, s2;
  const std::string size = ShowDim ? widthText + "x" + heightText : std::string();
  if (layout == TextLayout::OneLineHorizontal || layout == TextLayout::OneLineVertical) {
    s1 = (ShowTitle ? Title + " " : std::string()) + size;
  } else {
    s1 = ShowTitle ? Title : std::string();
    s2 = size;
    if (s1.empty()) std::swap(s1, s2);
  }
  if (layout == TextLayout::OneLineHorizontal || layout == TextLayout::TwoLineHorizontal) {
    if (TruncText) {
      add(horizontal(s1, L, T, h, w, Align::Left, m));
      add(horizontal(s2, L, T + th, h - th, w, Align::Left, m));
    } else {
      add(horizontal(s1, L, T, th, std::max(w, m.width(s1)), Align::Left, m));
      add(horizontal(s2, L, T + th, th, std::max(w, m.width(s2)), Align::Left, m));
    }
  } else {
    if (TruncText) {
      add(vertical(s1, L, T, w, h, Align::Left, m));
      add(vertical(s2, L + th, T, w - th, h, Align::Left, m));
    } else {
      add(vertical(s1, L, T, th, m.width(s1), Align::Left, m));
      add(vertical(s2, L + th, T, th, m.width(s2), Align::Left, m));
    }
  }
  return runs;
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
    if (e->kind() != MapCutElement::kKind && !e->Title.empty()) out << q(e->Title);
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
    const common::FontKeys* f = e->font(*this);
    if (!f || (!e->ShowTitle && !e->ShowDim)) continue;
    const TextMetrics m = deviceMetrics(*f, rc);
    p.setFont(deviceFont(*f, rc));
    p.setPen(windowsColour(f->colour));
    for (const TextRun& run : e->planTexts(L, T, w, h, m)) drawRun(p, run, m.lineHeight);
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

void PartsListReportView::draw(const report::RenderContext& rc) const {
  QPainter& p = *rc.painter;
  const QRectF frame = rc.toDevice(QRectF(x, y, width, height));
  drawFill(rc);
  p.save();
  p.setClipRect(frame, Qt::IntersectClip);
  const double X = frame.left(), right = frame.right(), bottom = frame.bottom();
  const TextMetrics m = deviceMetrics(font, rc);
  const double th = m.lineHeight;
  const QFont qfont = deviceFont(font, rc);
  const QColor ink = windowsColour(font.colour);
  double yy = frame.top();

  auto line = [&](const std::string& text) {
    p.setFont(qfont);
    p.setPen(ink);
    drawRun(p, horizontal(text, X, yy, th, right - X, Align::Left, m), th);
  };

  auto sketch = [&](const ListPartRow& row) {
    // The sketch's codes are written at four fifths of the list's font.
    const double smallFactor = 0.8;
    const TextMetrics sm = deviceMetrics(font, rc, smallFactor);
    const double sth = sm.lineHeight;
    const QRectF box(X + 1, yy, 3 * sth, 2 * sth);
    const double thick = std::max(1.0, std::trunc(3 * rc.scale));
    const double thin = std::max(1.0, std::trunc(rc.scale));
    const std::array<QLineF, 4> sides = {
        QLineF(box.topLeft(), box.bottomLeft()), QLineF(box.topRight(), box.bottomRight()),
        QLineF(box.topLeft(), box.topRight()), QLineF(box.bottomLeft(), box.bottomRight())};
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
      p.setFont(deviceFont(font, rc, smallFactor));
      p.setPen(ink);
      const double in = thick;
      const double midY = box.top() + half(box.height() - sth);
      const double innerW = box.width() - 2 * in;
      for (int s = 0; s < 4; ++s) {
        if (row.edges[s] <= 0) continue;
        const std::string code = number(row.edges[s]);
        TextRun run;
        switch (s) {
          case LeftSide: run = horizontal(code, box.left() + in, midY, sth, innerW, Align::Left, sm); break;
          case RightSide: run = horizontal(code, box.left() + in, midY, sth, innerW, Align::Right, sm); break;
          case TopSide: run = horizontal(code, box.left() + in, box.top() + in, sth, innerW, Align::Centre, sm); break;
          default:
            run = horizontal(code, box.left() + in, box.bottom() - in - sth, sth, innerW, Align::Centre, sm);
            break;
        }
        drawRun(p, run, sth);
      }
    }
    yy = box.bottom() + 2;
  };

  auto partsList = [&] {
    if (!showPartsList || partRows.empty()) return;
    line("Список деталей:");
    yy += std::trunc(th * 1.3);
    const std::vector<std::string> lines = partLines();
    for (std::size_t i = 0; i < partRows.size() && yy < bottom; ++i) {
      line(lines[i]);
      yy += th;
      const ListPartRow& row = partRows[i];
      const bool banded = std::any_of(row.edges.begin(), row.edges.end(), [](std::int32_t e) { return e > 0; });
      if (showSketch && banded) {
        yy += 2;
        sketch(row);
      }
    }
  };

  auto edgesList = [&] {
    if (!showEdgesList || edgeRows.empty()) return;
    yy += half(th);
    line("Список кромок:");
    yy += std::trunc(th * 1.3);
    for (const std::string& l : edgeLines()) {
      if (yy >= bottom) break;
      line(l);
      yy += th;
    }
  };

  if (edgesListFirst != 0) {
    edgesList();
    partsList();
  } else {
    partsList();
    edgesList();
  }
  p.restore();
  drawFrame(rc);
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

}  // namespace

void registerMapReportObjects() {
  report::ObjectRegistry& registry = report::ObjectRegistry::instance();
  if (!registry.find(MapReportView::kClassName))
    registry.add({MapReportView::kClassName, QStringLiteral("Карта раскроя"), mapBitmap(),
                  [] { return std::make_unique<MapReportView>(); }});
  if (!registry.find(PartsListReportView::kClassName))
    registry.add({PartsListReportView::kClassName, QStringLiteral("Список деталей"), listBitmap(),
                  [] { return std::make_unique<PartsListReportView>(); }});
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
