#include "common/SettingsUtils.h"

#include "common/StyleCodes.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kroyna::common {
namespace {

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

QBrush toQBrush(const BrushKeys& b) { return QBrush(toQColor(b.colour), brushStyle(b.style)); }

QPen toQPen(const PenKeys& p) {
  QPen pen(toQColor(p.colour));
  pen.setStyle(penStyle(p.style));
  pen.setWidth(std::max(1, p.width));
  return pen;
}

QString fixedPointPattern(int digits) {
  return QStringLiteral("#0.") + QString(std::clamp(digits, 0, 10), QLatin1Char('0'));
}

QString formatLength(double mm, int lenDigits) { return QString::fromStdString(formatScaled(mm, 3, lenDigits)); }

QString formatArea(double mm2, int sqrDigits) { return QString::fromStdString(formatScaled(mm2, 6, sqrDigits)); }

double textToFloat(const QString& text) { return textToFloat(text.toStdString()); }

QString normalizeFolder(const QString& text) {
  QString s = text.trimmed();
  if (s.isEmpty()) return s;
  s.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!s.endsWith(QLatin1Char('/'))) s += QLatin1Char('/');
  return s;
}

}  // namespace kroyna::common
