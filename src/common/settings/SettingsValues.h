#pragma once

// How values are kept in the settings file, without Qt: colours, font,
// brush and pen key groups, column widths, numbered keys, and the number
// formats shown to the user. The Qt conversions of these values are in
// SettingsUtils.h.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

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

// ---- List-view column widths -----------------------------------------
// Key: view name + "_Width" + column number from 0. A missing or negative
// width keeps the column's current width.
std::vector<int> readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                                  std::vector<int> current);
void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const std::vector<int>& widths);

// ---- Numbered keys -----------------------------------------------------
// Writes `value` under the smallest positive integer key ("1", "2", ...)
// not yet used in the section and returns that number.
int appendNumbered(ini::IniFile& ini, std::string_view section, std::string_view value);

// ---- Numbers -------------------------------------------------------------
// `value` with exactly `digits` decimals (0 to 10; none and no point for
// 0), at least one digit before the point, halves rounded away from zero.
std::string formatFixed(double value, int digits);
// value / 10^divExp with `digits` decimals. Scaling happens before
// rounding, so a whole number of millimetres that is a half in decimal ends
// exactly on .5 and rounds away from zero as written.
std::string formatScaled(double value, int divExp, int digits);
// A length in mm shown in metres with `lenDigits` decimals: 1234 -> "1.23",
// 1005 -> "1.01". An area in mm² shown in m² with `sqrDigits` decimals:
// 2500000 -> "2.500".
inline std::string lengthText(double mm, int lenDigits) { return formatScaled(mm, 3, lenDigits); }
inline std::string areaText(double mm2, int sqrDigits) { return formatScaled(mm2, 6, sqrDigits); }
// part / base × 100 with 2 decimals; "0.00" for a base of no size, so that
// a sheet or a total of no area never divides by zero.
std::string percentText(double part, double base);

// The text as a number with "." as decimal separator; 0 when it is not
// one (blanks around it are allowed).
double textToFloat(std::string_view text);

// ---- Folders and codes -----------------------------------------------
// Trims blanks, turns '\' into '/' and makes the path end with '/'. Empty
// text stays empty (it must not turn into the root folder).
std::string normalizeFolder(std::string_view text);

// A random code from 1 to limit - 1 for which `isUsed` is false. Tries
// random codes first and then every code in turn, so it ends even when
// few or no codes are free. Throws std::runtime_error when every code is
// in use, std::invalid_argument when limit < 2.
int randomUnusedCode(int limit, const std::function<bool(int)>& isUsed);

}  // namespace kroyna::common
