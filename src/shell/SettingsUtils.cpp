#include "shell/SettingsUtils.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "platform/ini/CommaList.h"
#include "platform/ini/IniFile.h"

namespace kroyna::shell {
namespace {

std::string key(std::string_view prefix, std::string_view suffix) {
  std::string k(prefix);
  k += suffix;
  return k;
}

QColor paletteColour(int index) {
  const QPalette pal = QGuiApplication::palette();
  switch (index) {
    case 0: return pal.color(QPalette::Mid);        // scroll bar
    case 1: return pal.color(QPalette::Dark);       // desktop
    case 2: return pal.color(QPalette::Highlight);  // active caption
    case 3: return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 4: return pal.color(QPalette::Window);           // menu
    case 5: return pal.color(QPalette::Base);             // window background
    case 6: return pal.color(QPalette::Shadow);           // window frame
    case 7: return pal.color(QPalette::WindowText);       // menu text
    case 8: return pal.color(QPalette::Text);             // window text
    case 9: return pal.color(QPalette::HighlightedText);  // caption text
    case 10: return pal.color(QPalette::Window);          // active border
    case 11: return pal.color(QPalette::Window);          // inactive border
    case 12: return pal.color(QPalette::Dark);            // workspace behind documents
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);                    // button face
    case 16: return pal.color(QPalette::Mid);                       // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return pal.color(QPalette::ButtonText);
    case 19: return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return pal.color(QPalette::Light);     // button highlight
    case 21: return pal.color(QPalette::Shadow);    // 3D dark shadow
    case 22: return pal.color(QPalette::Midlight);  // 3D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    case 26: return pal.color(QPalette::Link);  // hot-tracked item
    case 27: return pal.color(QPalette::Highlight);
    case 28: return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 29: return pal.color(QPalette::Highlight);  // menu highlight
    case 30: return pal.color(QPalette::Window);     // menu bar
    default: return pal.color(QPalette::Window);
  }
}

}  // namespace

QColor toQColor(int32_t colour) {
  const auto u = static_cast<uint32_t>(colour);
  if ((u & 0xFF000000u) == 0x80000000u) return paletteColour(static_cast<int>(u & 0xFF));
  return QColor(static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF));
}

int32_t fromQColor(const QColor& colour) {
  const QColor c = colour.toRgb();
  return static_cast<int32_t>(static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
                              (static_cast<uint32_t>(c.blue()) << 16));
}

int32_t readColour(const ini::IniFile& ini, std::string_view section, std::string_view key, int32_t def) {
  if (!ini.keyExists(section, key)) return def;
  std::string s = ini.readString(section, key);
  std::string_view v(s);
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  long long n = 0;
  const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || ptr == v.data()) return def;
  if (n < INT32_MIN || n > static_cast<long long>(UINT32_MAX)) return def;
  return static_cast<int32_t>(static_cast<uint32_t>(n));
}

void writeColour(ini::IniFile& ini, std::string_view section, std::string_view key, int32_t colour) {
  ini.writeInt(section, key, colour);
}

FontKeys readFont(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& def) {
  FontKeys f;
  f.name = ini.readString(section, key(prefix, "_Name"), def.name);
  f.colour = readColour(ini, section, key(prefix, "_Color"), def.colour);
  f.size = ini.readInt(section, key(prefix, "_Size"), def.size);
  f.charset = ini.readInt(section, key(prefix, "_Charset"), def.charset);
  f.bold = ini.readBool(section, key(prefix, "_Style_B"), def.bold);
  f.italic = ini.readBool(section, key(prefix, "_Style_I"), def.italic);
  f.underline = ini.readBool(section, key(prefix, "_Style_U"), def.underline);
  f.strikeOut = ini.readBool(section, key(prefix, "_Style_S"), def.strikeOut);
  return f;
}

void writeFont(ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& f) {
  ini.batch([&] {
    ini.writeString(section, key(prefix, "_Name"), f.name);
    writeColour(ini, section, key(prefix, "_Color"), f.colour);
    ini.writeInt(section, key(prefix, "_Size"), f.size);
    ini.writeInt(section, key(prefix, "_Charset"), f.charset);
    ini.writeBool(section, key(prefix, "_Style_B"), f.bold);
    ini.writeBool(section, key(prefix, "_Style_I"), f.italic);
    ini.writeBool(section, key(prefix, "_Style_U"), f.underline);
    ini.writeBool(section, key(prefix, "_Style_S"), f.strikeOut);
  });
}

QFont toQFont(const FontKeys& f) {
  QFont font(QString::fromStdString(f.name));
  // A damaged size must not give an unreadable or enormous font.
  font.setPointSize(f.size >= 1 && f.size <= 1000 ? f.size : 10);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setStrikeOut(f.strikeOut);
  return font;
}

FontKeys fromQFont(const QFont& font, int32_t colour, int charset) {
  FontKeys f;
  f.name = font.family().toStdString();
  f.colour = colour;
  f.size = font.pointSize() > 0 ? font.pointSize() : std::max(1, static_cast<int>(std::lround(font.pointSizeF())));
  f.charset = charset;
  f.bold = font.bold();
  f.italic = font.italic();
  f.underline = font.underline();
  f.strikeOut = font.strikeOut();
  return f;
}

BrushKeys readBrush(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const BrushKeys& def) {
  return {readColour(ini, section, key(prefix, "_Color"), def.colour),
          ini.readInt(section, key(prefix, "_Style"), def.style)};
}

void writeBrush(ini::IniFile& ini, std::string_view section, std::string_view prefix, const BrushKeys& b) {
  ini.batch([&] {
    writeColour(ini, section, key(prefix, "_Color"), b.colour);
    ini.writeInt(section, key(prefix, "_Style"), b.style);
  });
}

Qt::BrushStyle brushStyle(int code) {
  switch (code) {
    case 1: return Qt::NoBrush;
    case 2: return Qt::HorPattern;
    case 3: return Qt::VerPattern;
    case 4: return Qt::FDiagPattern;
    case 5: return Qt::BDiagPattern;
    case 6: return Qt::CrossPattern;
    case 7: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

QBrush toQBrush(const BrushKeys& b) { return QBrush(toQColor(b.colour), brushStyle(b.style)); }

PenKeys readPen(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& def) {
  return {readColour(ini, section, key(prefix, "_Color"), def.colour),
          ini.readInt(section, key(prefix, "_Style"), def.style),
          ini.readInt(section, key(prefix, "_Width"), def.width)};
}

void writePen(ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& p) {
  ini.batch([&] {
    writeColour(ini, section, key(prefix, "_Color"), p.colour);
    ini.writeInt(section, key(prefix, "_Style"), p.style);
    ini.writeInt(section, key(prefix, "_Width"), p.width);
  });
}

Qt::PenStyle penStyle(int code) {
  switch (code) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

QPen toQPen(const PenKeys& p) {
  QPen pen(toQColor(p.colour));
  pen.setStyle(penStyle(p.style));
  pen.setWidth(std::max(1, p.width));
  return pen;
}

std::vector<int> readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                                  std::vector<int> current) {
  const std::string prefix = key(viewName, "_Width");
  for (std::size_t i = 0; i < current.size(); ++i) {
    const int w = ini.readInt(section, prefix + std::to_string(i), current[i]);
    if (w >= 0) current[i] = w;
  }
  return current;
}

void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const std::vector<int>& widths) {
  const std::string prefix = key(viewName, "_Width");
  ini.batch([&] {
    for (std::size_t i = 0; i < widths.size(); ++i) ini.writeInt(section, prefix + std::to_string(i), widths[i]);
  });
}

void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  widths = readColumnWidths(ini, section, viewName, std::move(widths));
  for (int i = 0; i < header.count(); ++i)
    if (widths[static_cast<std::size_t>(i)] != header.sectionSize(i))
      header.resizeSection(i, widths[static_cast<std::size_t>(i)]);
}

void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  writeColumnWidths(ini, section, viewName, widths);
}

int appendNumbered(ini::IniFile& ini, std::string_view section, std::string_view value) {
  int n = 1;
  while (ini.keyExists(section, std::to_string(n))) ++n;
  ini.writeString(section, std::to_string(n), value);
  return n;
}

QString fixedPointPattern(int digits) {
  return QStringLiteral("#0.") + QString(std::clamp(digits, 0, 10), QLatin1Char('0'));
}

namespace {

// value / 10^divExp with `digits` decimals. Scaling happens in long double
// before rounding, so a whole number of millimetres that is a half in
// decimal ends exactly on .5 and rounds away from zero as written.
std::string formatScaled(double value, int divExp, int digits) {
  digits = std::clamp(digits, 0, 10);
  if (!std::isfinite(value)) return std::string(value != value ? "NAN" : value > 0 ? "INF" : "-INF");
  long double scaled = static_cast<long double>(value);
  if (digits >= divExp) {
    for (int i = divExp; i < digits; ++i) scaled *= 10;
  } else {
    long double div = 1;
    for (int i = digits; i < divExp; ++i) div *= 10;
    scaled /= div;
  }
  const long double rounded = std::round(scaled);
  if (std::fabs(rounded) >= 9.0e18L) {
    long double plain = static_cast<long double>(value);
    for (int i = 0; i < divExp; ++i) plain /= 10;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, plain);
    return buf;
  }
  const long long q = std::llround(rounded);
  const unsigned long long mag = q < 0 ? 0ULL - static_cast<unsigned long long>(q) : static_cast<unsigned long long>(q);
  unsigned long long pow = 1;
  for (int i = 0; i < digits; ++i) pow *= 10;
  std::string out = q < 0 ? "-" : "";
  out += std::to_string(mag / pow);
  if (digits > 0) {
    const std::string frac = std::to_string(mag % pow);
    out += '.';
    out += std::string(static_cast<std::size_t>(digits) - frac.size(), '0');
    out += frac;
  }
  return out;
}

}  // namespace

std::string formatFixed(double value, int digits) { return formatScaled(value, 0, digits); }

QString formatLength(double mm, int lenDigits) { return QString::fromStdString(formatScaled(mm, 3, lenDigits)); }

QString formatArea(double mm2, int sqrDigits) { return QString::fromStdString(formatScaled(mm2, 6, sqrDigits)); }

double textToFloat(std::string_view text) { return ini::parseFloat(text, 0.0); }

double textToFloat(const QString& text) { return textToFloat(text.toStdString()); }

QString normalizeFolder(const QString& text) {
  QString s = text.trimmed();
  if (s.isEmpty()) return s;
  s.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!s.endsWith(QLatin1Char('/'))) s += QLatin1Char('/');
  return s;
}

std::string normalizeFolder(std::string_view text) {
  return normalizeFolder(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))).toStdString();
}

int randomUnusedCode(int limit, const std::function<bool(int)>& isUsed) {
  if (limit < 2) throw std::invalid_argument("randomUnusedCode: no code below " + std::to_string(limit));
  static thread_local std::mt19937 rng{std::random_device{}()};
  std::uniform_int_distribution<int> draw(1, limit - 1);
  const int range = limit - 1;
  const int tries = std::min(range, 64) * 4;
  for (int i = 0; i < tries; ++i) {
    const int code = draw(rng);
    if (!isUsed(code)) return code;
  }
  // Nearly every code is taken: look at each one, from a random start.
  const int start = draw(rng);
  for (int i = 0; i < range; ++i) {
    const int code = 1 + (start - 1 + i) % range;
    if (!isUsed(code)) return code;
  }
  throw std::runtime_error("Нет свободного кода: заняты все коды от 1 до " + std::to_string(limit - 1) + ".");
}

}  // namespace kroyna::shell
