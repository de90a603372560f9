#include "platform/report/ReportObject.h"

#include "platform/report/Barcode.h"
#include "platform/report/ReportError.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QXmlStreamAttributes>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::report {

int mmToUnits(double mm) { return static_cast<int>(std::lround(mm * 18.0 / 5.0)); }

RenderContext RenderContext::forDevice(QPainter* painter, double scale, QPointF origin) {
  RenderContext rc;
  rc.painter = painter;
  rc.scale = scale;
  rc.origin = origin;
  // The device turns points into its own units by its logical resolution;
  // the page asks for scale × units-per-inch device units per inch.
  int dpi = painter && painter->device() ? painter->device()->logicalDpiY() : 96;
  rc.fontScale = scale * kUnitsPerInch / (dpi > 0 ? dpi : 96);
  return rc;
}

QRectF RenderContext::toDevice(const QRectF& u) const {
  return QRectF(origin.x() + u.x() * scale, origin.y() + u.y() * scale, u.width() * scale, u.height() * scale);
}

QPointF RenderContext::toDevice(QPointF u) const {
  return QPointF(origin.x() + u.x() * scale, origin.y() + u.y() * scale);
}

QFont FontSpec::toQFont(double fontScale) const {
  QFont f(family);
  double pt = size * fontScale;
  f.setPointSizeF(pt > 0.1 ? pt : 0.1);
  f.setBold(bold);
  f.setItalic(italic);
  f.setUnderline(underline);
  // Measurement and drawing must agree at every size.
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setKerning(false);
  return f;
}

// ---- measurement ----------------------------------------------------------

namespace {

// Text is measured on an image of ten device units per report unit, which
// keeps rounding in the font engine well below what shows on paper.
constexpr double kMeasureFactor = 10.0;

const QImage& measureDevice() {
  static const QImage image = [] {
    QImage img(1, 1, QImage::Format_ARGB32);
    int dpm = static_cast<int>(std::lround(kUnitsPerInch * kMeasureFactor / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    return img;
  }();
  return image;
}

QFontMetricsF metrics(const FontSpec& font) {
  const QImage& dev = measureDevice();
  double dpi = dev.logicalDpiY();
  // Point sizes at the measuring resolution, as drawing uses them.
  return QFontMetricsF(font.toQFont(kUnitsPerInch * kMeasureFactor / dpi), &dev);
}

}  // namespace

double textLineHeight(const FontSpec& font) { return metrics(font).height() / kMeasureFactor; }

double textWidth(const FontSpec& font, const QString& s) { return metrics(font).horizontalAdvance(s) / kMeasureFactor; }

std::vector<QString> breakText(const QString& text, const FontSpec& font, double width, bool wrap) {
  QString norm = text;
  norm.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  norm.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QStringList paragraphs = norm.split(QLatin1Char('\n'));
  std::vector<QString> out;
  QFontMetricsF fm = metrics(font);
  double limit = width * kMeasureFactor;
  auto fits = [&](const QString& s) { return fm.horizontalAdvance(s) <= limit; };
  for (const QString& para : paragraphs) {
    if (!wrap || para.isEmpty() || fits(para)) {
      out.push_back(para);
      continue;
    }
    const QStringList words = para.split(QLatin1Char(' '));
    QString line;
    for (const QString& word : words) {
      QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
      if (fits(candidate)) {
        line = candidate;
        continue;
      }
      if (!line.isEmpty()) out.push_back(line);
      // A word wider than the frame is broken between characters.
      QString rest = word;
      while (!rest.isEmpty() && !fits(rest)) {
        int n = 1;
        while (n < rest.size() && fits(rest.left(n + 1))) ++n;
        out.push_back(rest.left(n));
        rest = rest.mid(n);
      }
      line = rest;
    }
    out.push_back(line);
  }
  return out;
}

// ---- common attributes ----------------------------------------------------

QColor parseColor(const QString& s) {
  if (s.isEmpty() || s == QLatin1String("none")) return {};
  QColor c = QColor::fromString(s);
  if (!c.isValid()) throw ReportError("Неверный цвет \"" + s.toStdString() + "\"");
  return c;
}

QString colorText(const QColor& c) { return c.isValid() ? c.name(QColor::HexRgb) : QString(); }

static QString numberText(double v) { return QString::fromStdString(Value::number(v).toText()); }

void ReportObject::readNumber(const QString& attr, const QString& value, double& target, double lo, double hi,
                              bool whole) {
  auto refused = [&](const std::string& why) {
    return ReportError("Неверное значение " + attr.toStdString() + " \"" + value.toStdString() + "\"" +
                       (name.empty() ? std::string() : " у объекта \"" + name + "\"") + ": " + why);
  };
  double v = 0;
  if (parseNumber(value.toStdString(), v)) {
    if (!(v >= lo && v <= hi) || (whole && v != std::floor(v)))
      throw refused(std::string("допустимо ") + (whole ? "целое " : "") + "от " + Value::number(lo).toText() + " до " +
                    Value::number(hi).toText());
    target = v;
    bindings.erase(attr.toStdString());
    return;
  }
  try {
    bindings[attr.toStdString()] = Expression::parse(value.toStdString());
  } catch (const ReportError& e) {
    throw refused(e.what());
  }
}

void ReportObject::readCommonAttributes(const QXmlStreamAttributes& attrs) {
  // The name first, so that a refused value names its object.
  name = attrs.value(QLatin1String("name")).toString().toStdString();
  for (const QXmlStreamAttribute& a : attrs) {
    const QString n = a.name().toString();
    const QString v = a.value().toString();
    double d = 0;
    if (n == QLatin1String("class") || n == QLatin1String("name")) continue;
    if (n == QLatin1String("x"))
      readNumber(n, v, x, -kMaxPosition, kMaxPosition);
    else if (n == QLatin1String("y"))
      readNumber(n, v, y, -kMaxPosition, kMaxPosition);
    else if (n == QLatin1String("width"))
      readNumber(n, v, width, -kMaxPosition, kMaxPosition);
    else if (n == QLatin1String("height"))
      readNumber(n, v, height, -kMaxPosition, kMaxPosition);
    else if (n == QLatin1String("frame")) {
      d = frameLines;
      readNumber(n, v, d, 0, FrameAll, true);
      frameLines = static_cast<int>(d);
    } else if (n == QLatin1String("frameWidth"))
      readNumber(n, v, frameWidth, -kMaxPosition, kMaxPosition);
    else if (n == QLatin1String("frameColor"))
      frameColor = parseColor(v);
    else if (n == QLatin1String("fill"))
      fill = parseColor(v);
    else if (n == QLatin1String("visible")) {
      d = visible ? 1 : 0;
      readNumber(n, v, d, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
      visible = d != 0;
    } else if (!readAttribute(n, v))
      throw ReportError("Неизвестный атрибут \"" + n.toStdString() + "\" у объекта \"" + name + "\"");
  }
}

void ReportObject::writeCommonAttributes(QXmlStreamWriter& w) const {
  w.writeAttribute(QStringLiteral("class"), QString::fromStdString(className()));
  if (!name.empty()) w.writeAttribute(QStringLiteral("name"), QString::fromStdString(name));
  auto num = [&](const char* attr, double v) {
    auto it = bindings.find(attr);
    w.writeAttribute(QLatin1String(attr),
                     it != bindings.end() ? QString::fromStdString(it->second.source()) : numberText(v));
  };
  num("x", x);
  num("y", y);
  num("width", width);
  num("height", height);
  if (frameLines || bindings.count("frame")) num("frame", frameLines);
  if (frameWidth != 1 || bindings.count("frameWidth")) num("frameWidth", frameWidth);
  if (frameColor != QColor(Qt::black)) w.writeAttribute(QStringLiteral("frameColor"), colorText(frameColor));
  if (fill.isValid()) w.writeAttribute(QStringLiteral("fill"), colorText(fill));
  if (!visible || bindings.count("visible")) num("visible", visible ? 1 : 0);
  writeAttributes(w);
}

bool ReportObject::readAttribute(const QString&, const QString&) { return false; }
void ReportObject::writeAttributes(QXmlStreamWriter&) const {}
void ReportObject::saveProperties(QXmlStreamWriter&) const {}

void ReportObject::loadProperties(QXmlStreamReader& r) {
  while (r.readNextStartElement()) r.skipCurrentElement();
}

bool ReportObject::applyBinding(const std::string& a, const Value& v) {
  // Positions and sizes stay within a sane range whatever an expression gives.
  double d = v.toNumber();
  d = std::isfinite(d) ? std::clamp(d, -kMaxPosition, kMaxPosition) : 0;
  if (a == "x")
    x = d;
  else if (a == "y")
    y = d;
  else if (a == "width")
    width = d;
  else if (a == "height")
    height = d;
  else if (a == "frame")
    frameLines = static_cast<int>(d) & FrameAll;
  else if (a == "frameWidth")
    frameWidth = d;
  else if (a == "visible")
    visible = v.toBool();
  else
    return false;
  return true;
}

void ReportObject::drawFill(const RenderContext& rc) const {
  if (fill.isValid()) rc.painter->fillRect(rc.toDevice(QRectF(x, y, width, height)), fill);
}

void ReportObject::drawFrame(const RenderContext& rc) const {
  if (!frameLines) return;
  QPainter& p = *rc.painter;
  QPen pen(frameColor);
  pen.setWidthF(std::max(0.0, frameWidth * rc.scale));
  p.setPen(pen);
  QRectF d = rc.toDevice(QRectF(x, y, width, height));
  if (frameLines & FrameLeft) p.drawLine(d.topLeft(), d.bottomLeft());
  if (frameLines & FrameTop) p.drawLine(d.topLeft(), d.topRight());
  if (frameLines & FrameRight) p.drawLine(d.topRight(), d.bottomRight());
  if (frameLines & FrameBottom) p.drawLine(d.bottomLeft(), d.bottomRight());
}

void ReportObject::draw(const RenderContext& rc) const {
  drawFill(rc);
  drawFrame(rc);
}

// ---- text -----------------------------------------------------------------

static bool boolText(const QString& v, bool& out) {
  if (v == QLatin1String("1") || v == QLatin1String("true")) {
    out = true;
    return true;
  }
  if (v == QLatin1String("0") || v == QLatin1String("false")) {
    out = false;
    return true;
  }
  return false;
}

bool TextObject::readAttribute(const QString& n, const QString& v) {
  if (n == QLatin1String("align")) {
    if (v == QLatin1String("left"))
      align = HAlign::Left;
    else if (v == QLatin1String("right"))
      align = HAlign::Right;
    else if (v == QLatin1String("center"))
      align = HAlign::Center;
    else {
      double d = 0;
      readNumber(n, v, d, 0, 2, true);
      align = static_cast<HAlign>(static_cast<int>(d));
    }
    return true;
  }
  if (n == QLatin1String("valign")) {
    if (v == QLatin1String("top"))
      valign = VAlign::Top;
    else if (v == QLatin1String("center"))
      valign = VAlign::Center;
    else if (v == QLatin1String("bottom"))
      valign = VAlign::Bottom;
    else
      throw ReportError("Неверное значение valign \"" + v.toStdString() + "\"");
    return true;
  }
  if (n == QLatin1String("wrap")) {
    if (!boolText(v, wordWrap)) {
      double d = 0;
      readNumber(n, v, d, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
      wordWrap = d != 0;
    }
    return true;
  }
  if (n == QLatin1String("stretch")) {
    if (!boolText(v, stretch)) throw ReportError("Неверное значение stretch \"" + v.toStdString() + "\"");
    return true;
  }
  if (n == QLatin1String("color")) {
    color = parseColor(v);
    return true;
  }
  return false;
}

void TextObject::writeAttributes(QXmlStreamWriter& w) const {
  static const char* const aligns[] = {"left", "right", "center"};
  static const char* const valigns[] = {"top", "center", "bottom"};
  auto it = bindings.find("align");
  w.writeAttribute(QStringLiteral("align"), it != bindings.end() ? QString::fromStdString(it->second.source())
                                                                 : QLatin1String(aligns[static_cast<int>(align)]));
  w.writeAttribute(QStringLiteral("valign"), QLatin1String(valigns[static_cast<int>(valign)]));
  auto wb = bindings.find("wrap");
  w.writeAttribute(QStringLiteral("wrap"), wb != bindings.end() ? QString::fromStdString(wb->second.source())
                                                                : QLatin1String(wordWrap ? "1" : "0"));
  if (stretch) w.writeAttribute(QStringLiteral("stretch"), QStringLiteral("1"));
  if (color != QColor(Qt::black)) w.writeAttribute(QStringLiteral("color"), colorText(color));
}

void TextObject::saveProperties(QXmlStreamWriter& w) const {
  w.writeStartElement(QStringLiteral("font"));
  w.writeAttribute(QStringLiteral("family"), font.family);
  w.writeAttribute(QStringLiteral("size"), numberText(font.size));
  if (font.bold) w.writeAttribute(QStringLiteral("bold"), QStringLiteral("1"));
  if (font.italic) w.writeAttribute(QStringLiteral("italic"), QStringLiteral("1"));
  if (font.underline) w.writeAttribute(QStringLiteral("underline"), QStringLiteral("1"));
  w.writeEndElement();
  if (!text.empty()) w.writeTextElement(QStringLiteral("text"), QString::fromStdString(text));
  // A prepared object keeps the lines it was broken into, so that it
  // reopens exactly as it was laid out.
  for (const QString& l : lines) w.writeTextElement(QStringLiteral("line"), l);
}

void TextObject::loadProperties(QXmlStreamReader& r) {
  bool anyLine = false;
  while (r.readNextStartElement()) {
    if (r.name() == QLatin1String("font")) {
      const auto a = r.attributes();
      font.family = a.value(QLatin1String("family")).toString();
      if (font.family.isEmpty()) font.family = QStringLiteral("Arial");
      double size = 10;
      if (a.hasAttribute(QLatin1String("size")) &&
          (!parseNumber(a.value(QLatin1String("size")).toString().toStdString(), size) || size <= 0 || size > 1000))
        throw ReportError("Неверный размер шрифта у объекта \"" + name + "\"");
      font.size = size;
      font.bold = a.value(QLatin1String("bold")) == QLatin1String("1");
      font.italic = a.value(QLatin1String("italic")) == QLatin1String("1");
      font.underline = a.value(QLatin1String("underline")) == QLatin1String("1");
      r.skipCurrentElement();
    } else if (r.name() == QLatin1String("text")) {
      text = r.readElementText().toStdString();
      // Checked now, so that a broken expression stops the load with its reason.
      TextTemplate::parse(text);
    } else if (r.name() == QLatin1String("line")) {
      lines.push_back(r.readElementText());
      anyLine = true;
    } else {
      throw ReportError("Неизвестный элемент \"" + r.name().toString().toStdString() + "\" в тексте \"" + name + "\"");
    }
  }
  if (anyLine) {
    shown.clear();
    for (size_t i = 0; i < lines.size(); ++i) shown += (i ? QStringLiteral("\n") : QString()) + lines[i];
  }
}

bool TextObject::applyBinding(const std::string& a, const Value& v) {
  if (a == "align") {
    // Clamped before the conversion: an expression may give any number.
    const double d = v.toNumber();
    align = static_cast<HAlign>(std::isfinite(d) ? static_cast<int>(std::clamp(d, 0.0, 2.0)) : 0);
    return true;
  }
  if (a == "wrap") {
    wordWrap = v.toBool();
    return true;
  }
  return ReportObject::applyBinding(a, v);
}

QStringList TextObject::texts() const {
  if (!lines.empty()) {
    QStringList l;
    l.reserve(static_cast<int>(lines.size()));
    for (const QString& s : lines) l << s;
    return {l.join(QLatin1Char('\n'))};
  }
  return {shown};
}

void TextObject::layout() {
  lines = breakText(shown, font, std::max(0.0, width - 2 * kTextPadding), wordWrap);
  if (stretch) {
    double need = static_cast<double>(lines.size()) * textLineHeight(font) + 2 * kTextPadding;
    if (need > height) height = need;
  }
}

void TextObject::draw(const RenderContext& rc) const {
  drawFill(rc);
  QPainter& p = *rc.painter;
  const QRectF frame = rc.toDevice(QRectF(x, y, width, height));
  if (!lines.empty()) {
    p.save();
    p.setClipRect(frame, Qt::IntersectClip);
    const QFont qf = font.toQFont(rc.fontScale);
    p.setFont(qf);
    p.setPen(color.isValid() ? color : QColor(Qt::black));
    // Lines are placed with the metrics of the font as this device draws
    // it: a font standing in for the template's may space its lines wider
    // than the frame was drawn for.
    const QFontMetricsF fm(qf, p.device());
    const double lh = fm.height();
    const double n = static_cast<double>(lines.size());
    const double pad = rc.toDevice(kTextPadding);
    double top = frame.top() + pad;
    if (valign == VAlign::Center)
      top = frame.top() + (frame.height() - lh * n) / 2;
    else if (valign == VAlign::Bottom)
      top = frame.bottom() - pad - lh * n;
    double baseline = top + fm.ascent();
    if (lh * n > frame.height() - 2 * pad) {
      // The line spacing does not fit: the ink of the lines, which leaves
      // room above capitals and below descenders, is kept inside the
      // frame (inside its padding when there is room), moved as little as
      // that takes.
      double above = 0, below = 0;
      for (const QString& l : lines) {
        const QRectF ink = fm.tightBoundingRect(l);
        above = std::max(above, -ink.top());
        below = std::max(below, ink.bottom());
      }
      const double inkHeight = above + lh * (n - 1) + below;
      const double inset = std::clamp((frame.height() - inkHeight) / 2, 0.0, pad);
      const double low = frame.top() + inset, high = frame.bottom() - inset;
      const double inkTop = baseline - above;
      const double inkBottom = baseline + lh * (n - 1) + below;
      if (inkHeight > high - low)
        baseline += valign == VAlign::Top      ? low - inkTop
                    : valign == VAlign::Bottom ? high - inkBottom
                                               : (low + high - inkTop - inkBottom) / 2;
      else if (inkBottom > high)
        baseline += high - inkBottom;
      else if (inkTop < low)
        baseline += low - inkTop;
    }
    const double room = std::max(0.0, frame.width() - 2 * pad);
    for (size_t i = 0; i < lines.size(); ++i) {
      // The device's own advance places right and centred lines; a line
      // wider than the frame overhangs and is clipped by the frame.
      const double w = fm.horizontalAdvance(lines[i]);
      double left = frame.left() + pad;
      if (align == HAlign::Right)
        left = frame.right() - pad - w;
      else if (align == HAlign::Center)
        left += (room - w) / 2;
      p.drawText(QPointF(left, baseline + lh * static_cast<double>(i)), lines[i]);
    }
    p.restore();
  }
  drawFrame(rc);
}

// ---- line -----------------------------------------------------------------

void LineObject::draw(const RenderContext& rc) const {
  QPen pen(frameColor);
  pen.setWidthF(std::max(0.0, frameWidth * rc.scale));
  rc.painter->setPen(pen);
  rc.painter->drawLine(rc.toDevice(QPointF(x, y)), rc.toDevice(QPointF(x + width, y + height)));
}

// ---- registry -------------------------------------------------------------

ObjectRegistry& ObjectRegistry::instance() {
  static ObjectRegistry registry;
  return registry;
}

bool ObjectRegistry::add(ObjectClass cls) {
  if (cls.name.empty() || !cls.create || cls.name == "text" || cls.name == "line" || cls.name == "rect" ||
      cls.name == "barcode" || find(cls.name))
    return false;
  classes_.push_back(std::move(cls));
  return true;
}

const ObjectClass* ObjectRegistry::find(const std::string& name) const {
  for (const ObjectClass& c : classes_)
    if (c.name == name) return &c;
  return nullptr;
}

std::vector<const ObjectClass*> ObjectRegistry::classes() const {
  std::vector<const ObjectClass*> out;
  for (const ObjectClass& c : classes_) out.push_back(&c);
  return out;
}

std::unique_ptr<ReportObject> ObjectRegistry::create(const std::string& name) const {
  if (name == "text") return std::make_unique<TextObject>();
  if (name == "line") return std::make_unique<LineObject>();
  if (name == "rect") return std::make_unique<RectObject>();
  if (name == "barcode") return std::make_unique<BarcodeObject>();
  if (const ObjectClass* c = find(name)) return c->create();
  return nullptr;
}

}  // namespace kroyna::report
