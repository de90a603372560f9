#include "platform/report/Barcode.h"

#include "platform/report/ReportError.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QXmlStreamWriter>

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace kroyna::report {

namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

// ECI 26 tells the reader that the bytes are UTF-8.
constexpr int kEciUtf8 = 26;

const char* const kNames[] = {"none", "code128", "datamatrix", "qr"};

}  // namespace

const char* symbologyName(Symbology s) {
  const int i = static_cast<int>(s);
  return i >= 0 && i < 4 ? kNames[i] : kNames[0];
}

std::optional<Symbology> symbologyFromName(const QString& name) {
  for (int i = 0; i < 4; ++i)
    if (name.compare(QLatin1String(kNames[i]), Qt::CaseInsensitive) == 0) return static_cast<Symbology>(i);
  return std::nullopt;
}

std::optional<BarcodeModules> encodeBarcode(Symbology symbology, const std::string& data, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<BarcodeModules> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (symbology == Symbology::None) return fail("no barcode chosen");
  if (data.empty()) return fail("nothing to encode");
  if (data.size() > 1000) return fail("too long for a label");
  std::unique_ptr<zint_symbol, SymbolDeleter> s(ZBarcode_Create());
  if (!s) return fail("out of memory");
  s->input_mode = UNICODE_MODE;
  s->show_hrt = 0;
  s->scale = 0.5f;  // one pixel a module
  s->output_options = BARCODE_QUIET_ZONES;
  switch (symbology) {
    case Symbology::Code128:
      s->symbology = BARCODE_CODE128;
      for (unsigned char c : data)
        if (c < 32 || c > 126) return fail("Code 128 carries printable ASCII only");
      break;
    case Symbology::DataMatrix:
      s->symbology = BARCODE_DATAMATRIX;
      s->option_3 = DM_SQUARE;
      s->eci = kEciUtf8;
      break;
    case Symbology::QrCode:
      s->symbology = BARCODE_QRCODE;
      s->eci = kEciUtf8;
      break;
    case Symbology::None: break;
  }
  const int rc = ZBarcode_Encode_and_Buffer(s.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                            static_cast<int>(data.size()), 0);
  if (rc >= ZINT_ERROR) return fail(s->errtxt);
  if (!s->bitmap || s->bitmap_width <= 0 || s->bitmap_height <= 0) return fail("no symbol");
  BarcodeModules m;
  m.linear = symbology == Symbology::Code128;
  m.columns = s->bitmap_width;
  m.rows = m.linear ? 1 : s->bitmap_height;
  m.dark.resize(static_cast<std::size_t>(m.columns) * static_cast<std::size_t>(m.rows));
  for (int r = 0; r < m.rows; ++r)
    for (int c = 0; c < m.columns; ++c) {
      // The raster is RGB, black on white.
      const unsigned char* px = s->bitmap + 3 * (static_cast<std::size_t>(r) * m.columns + c);
      m.dark[static_cast<std::size_t>(r) * m.columns + c] = px[0] < 128;
    }
  return m;
}

QString asciiForCode128(const QString& text) {
  // Russian after the passport rules, with the Ukrainian and Belarusian
  // letters beside them.
  static const struct {
    char16_t letter;
    const char* latin;
  } table[] = {
      {u'а', "a"},  {u'б', "b"},  {u'в', "v"},    {u'г', "g"},  {u'д', "d"}, {u'е', "e"}, {u'ё', "e"},  {u'ж', "zh"},
      {u'з', "z"},  {u'и', "i"},  {u'й', "i"},    {u'к', "k"},  {u'л', "l"}, {u'м', "m"}, {u'н', "n"},  {u'о', "o"},
      {u'п', "p"},  {u'р', "r"},  {u'с', "s"},    {u'т', "t"},  {u'у', "u"}, {u'ф', "f"}, {u'х', "kh"}, {u'ц', "ts"},
      {u'ч', "ch"}, {u'ш', "sh"}, {u'щ', "shch"}, {u'ъ', "ie"}, {u'ы', "y"}, {u'ь', ""},  {u'э', "e"},  {u'ю', "iu"},
      {u'я', "ia"}, {u'і', "i"},  {u'ї', "i"},    {u'є', "ie"}, {u'ґ', "g"}, {u'ў', "u"},
  };
  QString out;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c >= 32 && c <= 126) {
      out += ch;
      continue;
    }
    const char16_t lower = ch.toLower().unicode();
    const char* latin = nullptr;
    for (const auto& t : table)
      if (t.letter == lower) latin = t.latin;
    if (!latin) {
      out += QLatin1Char(c == u'\u00A0' ? ' ' : '_');
      continue;
    }
    QString l = QString::fromLatin1(latin);
    if (ch.isUpper() && !l.isEmpty()) l[0] = l[0].toUpper();
    out += l;
  }
  return out;
}

// ---- the report object ----------------------------------------------------

bool BarcodeObject::readAttribute(const QString& n, const QString& v) {
  if (n == QLatin1String("symbology")) {
    if (auto s = symbologyFromName(v)) {
      symbology = *s;
      bindings.erase("symbology");
    } else {
      double d = 0;
      readNumber(n, v, d, 0, 3, true);
      symbology = static_cast<Symbology>(static_cast<int>(d));
    }
    return true;
  }
  if (n == QLatin1String("module")) {
    readNumber(n, v, module, 0, 100);
    return true;
  }
  if (n == QLatin1String("showText")) {
    double d = showText ? 1 : 0;
    readNumber(n, v, d, 0, 1, true);
    showText = d != 0;
    return true;
  }
  // Alignment and wrapping of the data mean nothing here; the rest of a
  // text's attributes (colour of the caption) do.
  return TextObject::readAttribute(n, v);
}

void BarcodeObject::writeAttributes(QXmlStreamWriter& w) const {
  auto sb = bindings.find("symbology");
  w.writeAttribute(QStringLiteral("symbology"), sb != bindings.end() ? QString::fromStdString(sb->second.source())
                                                                     : QLatin1String(symbologyName(symbology)));
  auto mb = bindings.find("module");
  w.writeAttribute(QStringLiteral("module"), mb != bindings.end()
                                                 ? QString::fromStdString(mb->second.source())
                                                 : QString::fromStdString(Value::number(module).toText()));
  w.writeAttribute(QStringLiteral("showText"), QLatin1String(showText ? "1" : "0"));
  if (color != QColor(Qt::black)) w.writeAttribute(QStringLiteral("color"), colorText(color));
}

bool BarcodeObject::applyBinding(const std::string& a, const Value& v) {
  const double d = v.toNumber();
  if (a == "symbology") {
    symbology = static_cast<Symbology>(std::isfinite(d) ? static_cast<int>(std::clamp(d, 0.0, 3.0)) : 0);
    return true;
  }
  if (a == "module") {
    module = std::isfinite(d) ? std::clamp(d, 0.0, 100.0) : 0;
    return true;
  }
  if (a == "showText") {
    showText = v.toBool();
    return true;
  }
  return TextObject::applyBinding(a, v);
}

QString BarcodeObject::data() const {
  if (!lines.empty()) {
    QString s;
    for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? QStringLiteral("\n") : QString()) + lines[i];
    return s;
  }
  return shown;
}

double BarcodeObject::captionHeight() const { return showText ? report::textLineHeight(font) : 0; }

double BarcodeObject::moduleSize(const BarcodeModules& m) const {
  if (module > 0) return module;
  if (m.columns <= 0 || m.rows <= 0) return 0;
  double fit = width / m.columns;
  if (!m.linear) fit = std::min(fit, (height - captionHeight()) / m.rows);
  const double dots = std::floor(fit / kBarcodeDot + 1e-9);
  return dots >= kMinModuleDots ? dots * kBarcodeDot : 0;
}

void BarcodeObject::draw(const RenderContext& rc) const {
  drawFill(rc);
  const QString text = data();
  std::optional<BarcodeModules> m;
  if (symbology != Symbology::None && !text.isEmpty()) m = encodeBarcode(symbology, text.toStdString());
  const double mod = m ? moduleSize(*m) : 0;
  const double caption = captionHeight();
  const double symbolHeight = m && m->linear ? height - caption : (m ? m->rows * mod : 0);
  if (m && mod > 0 && symbolHeight > 0) {
    QPainter& p = *rc.painter;
    p.save();
    p.setClipRect(rc.toDevice(QRectF(x, y, width, height)), Qt::IntersectClip);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Centred across the object, its corner on the dots of a 300 dpi
    // printer, so that each module covers whole dots.
    const double symbolWidth = m->columns * mod;
    const double left = std::round((x + (width - symbolWidth) / 2) / kBarcodeDot) * kBarcodeDot;
    const double top = std::round(y / kBarcodeDot) * kBarcodeDot;
    const QColor ink = Qt::black;
    for (int r = 0; r < m->rows; ++r) {
      const double rowTop = top + r * mod;
      const double rowHeight = m->linear ? symbolHeight : mod;
      for (int c = 0; c < m->columns;) {
        if (!m->at(c, r)) {
          ++c;
          continue;
        }
        int end = c;
        while (end < m->columns && m->at(end, r)) ++end;
        p.fillRect(rc.toDevice(QRectF(left + c * mod, rowTop, (end - c) * mod, rowHeight)), ink);
        c = end;
      }
    }
    if (showText) {
      const QFont qf = font.toQFont(rc.fontScale);
      p.setFont(qf);
      p.setPen(color.isValid() ? color : QColor(Qt::black));
      const QFontMetricsF fm(qf, p.device());
      const QRectF under = rc.toDevice(QRectF(x, top + symbolHeight, width, caption));
      const double w = fm.horizontalAdvance(text);
      p.drawText(QPointF(under.left() + (under.width() - w) / 2, under.top() + fm.ascent()), text);
    }
    p.restore();
  }
  drawFrame(rc);
}

}  // namespace kroyna::report
