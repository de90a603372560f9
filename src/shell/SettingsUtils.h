#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

class QHeaderView;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::shell {

// ---- Colours ---------------------------------------------------------
// Colours are kept as Windows colour integers: red in the lowest byte,
// then green and blue, high byte 0; a system colour is 0x80000000 plus
// the system colour index (12 the workspace behind document windows, 15
// the face of buttons). They are written as signed decimals, so system
// colours appear as negative numbers.
constexpr int32_t kSystemColour = static_cast<int32_t>(0x80000000u);
constexpr int32_t systemColour(int index) { return kSystemColour | (index & 0xFF); }
constexpr int32_t kAppWorkspaceColour = systemColour(12);
constexpr int32_t kButtonFaceColour = systemColour(15);

// A system colour takes the matching colour of the application's palette.
QColor toQColor(int32_t colour);
int32_t fromQColor(const QColor& colour);

// Also accepts a colour written unsigned (0..4294967295); otherwise as
// IniFile::readInt.
int32_t readColour(const ini::IniFile& ini, std::string_view section, std::string_view key, int32_t def);
void writeColour(ini::IniFile& ini, std::string_view section, std::string_view key, int32_t colour);

// ---- Font, brush and pen keys under a prefix -------------------------
// Font: prefix + "_Name", "_Color", "_Size" (points), "_Charset",
// "_Style_B", "_Style_I", "_Style_U", "_Style_S".
struct FontKeys {
  std::string name = "Arial";
  int32_t colour = 0;
  int size = 10;
  int charset = 204;
  bool bold = false, italic = false, underline = false, strikeOut = false;
  bool operator==(const FontKeys&) const = default;
};
FontKeys readFont(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& def = {});
void writeFont(ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& font);
QFont toQFont(const FontKeys& font);
// Colour and character set are not part of a QFont: they are given.
FontKeys fromQFont(const QFont& font, int32_t colour, int charset = 204);

// Brush: prefix + "_Color", "_Style". Style codes: 0 solid, 1 none,
// 2 horizontal lines, 3 vertical lines, 4 forward diagonal, 5 backward
// diagonal, 6 cross-hatch, 7 diagonal cross-hatch.
struct BrushKeys {
  int32_t colour = 0xFFFFFF;
  int style = 0;
  bool operator==(const BrushKeys&) const = default;
};
BrushKeys readBrush(const ini::IniFile& ini, std::string_view section, std::string_view prefix,
                    const BrushKeys& def = {});
void writeBrush(ini::IniFile& ini, std::string_view section, std::string_view prefix, const BrushKeys& brush);
// An unknown style code draws solid.
QBrush toQBrush(const BrushKeys& brush);
Qt::BrushStyle brushStyle(int code);

// Pen: prefix + "_Color", "_Style", "_Width" (pixels). Style codes:
// 0 solid, 1 dashed, 2 dotted, 3 dash-dot, 4 dash-dot-dot, 5 none.
struct PenKeys {
  int32_t colour = 0;
  int style = 0;
  int width = 1;
  bool operator==(const PenKeys&) const = default;
};
PenKeys readPen(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& def = {});
void writePen(ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& pen);
// An unknown style code draws solid; a width below 1 draws 1 pixel wide.
QPen toQPen(const PenKeys& pen);
Qt::PenStyle penStyle(int code);

// ---- List-view column widths -----------------------------------------
// Key: view name + "_Width" + column number from 0. A missing or negative
// width keeps the column's current width.
std::vector<int> readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                                  std::vector<int> current);
void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const std::vector<int>& widths);
void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header);
void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header);

// ---- Numbered keys -----------------------------------------------------
// Writes `value` under the smallest positive integer key ("1", "2", ...)
// not yet used in the section and returns that number.
int appendNumbered(ini::IniFile& ini, std::string_view section, std::string_view value);

// ---- Numbers -------------------------------------------------------------
// The fixed-point pattern "#0." followed by `digits` zeros.
QString fixedPointPattern(int digits);
// `value` with exactly `digits` decimals (0 to 10; none and no point for
// 0), at least one digit before the point, halves rounded away from zero.
std::string formatFixed(double value, int digits);
// A length in mm shown in metres with `lenDigits` decimals: 1234 -> "1.23",
// 1005 -> "1.01" (the half is taken from the millimetres, not from the
// nearest binary fraction of 1.005).
QString formatLength(double mm, int lenDigits);
// An area in mm² shown in m² with `sqrDigits` decimals: 2500000 -> "2.500".
QString formatArea(double mm2, int sqrDigits);

// The text as a number with "." as decimal separator; 0 when it is not
// one (blanks around it are allowed).
double textToFloat(const QString& text);
double textToFloat(std::string_view text);

// ---- Folders and codes -----------------------------------------------
// Trims blanks, turns '\' into '/' and makes the path end with '/'. Empty
// text stays empty (it must not turn into the root folder).
QString normalizeFolder(const QString& text);
std::string normalizeFolder(std::string_view text);

// A random code from 1 to limit - 1 for which `isUsed` is false. Tries
// random codes first and then every code in turn, so it ends even when
// few or no codes are free. Throws std::runtime_error when every code is
// in use, std::invalid_argument when limit < 2.
int randomUnusedCode(int limit, const std::function<bool(int)>& isUsed);

}  // namespace kroyna::shell
