#pragma once

// The parameters of a cutting run as the settings file keeps them: the
// per-material layout options (key `Optim` of section "Material" + code)
// and the machine and display defaults (section `Default` and a few
// others), with their readers and writers.

#include <cstdint>
#include <string>
#include <string_view>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::run {

// Section of a material's records: "Material" + code.
std::string materialSection(int code);

// Layout options of one material: eleven items, in the order stored.
struct OptimRecord {
  bool enabled = true;        // 0 "Разложить"
  std::int32_t length = 0;    // 1 "Длина" (sheet length, X)
  std::int32_t width = 0;     // 2 "Ширина" (sheet width, Y)
  bool useScraps = false;     // 3 "Использовать базу остатков"
  bool stockControl = false;  // 4 "Контроль количества листов"
  std::int32_t depth = 0;     // 5 "Глубина перебора"
  int algorithm = 0;          // 6 "Алгоритм 1" (0) / "Алгоритм 2" (1)
  std::int32_t stock = 0;     // 7 sheets of length x width in stock
  int fullSearch = 0;         // 8 "Быстрый" (0) / "Полный" (1)
  std::string remark;         // 9 "Комментарий"
  bool oneDimOpt = false;     // 10 "Оптимизировать одноразмерные"
  // Not items of `Optim` (whose eleven items keep their meanings): the key
  // `Improved` of the same section, see ImprovedChoice.
  bool improved = false;    // "Улучшенный" (item 8 stays the quick or full choice)
  std::int32_t effort = 5;  // "Усилие", 1..10
  bool operator==(const OptimRecord&) const = default;
};

// The improved search of a material: key `Improved` of its section, "1,5"
// (on, effort 1..10). A section without the key takes the key of section
// `Default` ("Параметры по умолчанию"), and without that it is off with
// effort 5, so settings files from before the improved search read as
// before.
struct ImprovedChoice {
  bool on = false;
  std::int32_t effort = 5;
  bool operator==(const ImprovedChoice&) const = default;
};
// Missing or empty text gives `fallback`; a missing effort that of
// `fallback`; an effort outside 1..10 is brought into it.
ImprovedChoice parseImproved(std::string_view text, ImprovedChoice fallback = {});
std::string formatImproved(const ImprovedChoice& choice);

// Missing trailing items take their defaults (item 0 is 1, numbers 0,
// the remark empty); an item that is not a number reads as its default.
// Parsing and formatting cover the eleven items of `Optim` only.
OptimRecord parseOptim(std::string_view text);
std::string formatOptim(const OptimRecord& record);
// Read and write both `Optim` and `Improved` of the material's section.
OptimRecord readOptim(const ini::IniFile& ini, int materialCode);
void writeOptim(ini::IniFile& ini, int materialCode, const OptimRecord& record);

// Machine limit of `Technics`.
enum class Technics { None = 0, MaxCutLength = 1, MultiSaw = 2 };

// Everything the dialog "Параметры по умолчанию" edits.
struct DefaultParams {
  // "Технологические параметры"
  int mill = 4;
  int lIndent = 10, rIndent = 10, tIndent = 10, bIndent = 10;
  int technics = 0;
  std::string propilLen = "0";  // stored as typed
  int optimization = 0;
  // "Улучшенный перебор" for materials without a choice of their own (key
  // `Improved` of section `Default`).
  ImprovedChoice improved;
  // "Результаты раскроя"
  bool showName = true, showDim = true, showBorder = true, showScrapsText = true, showHints = true;
  std::int32_t sheetColor = static_cast<std::int32_t>(0x8000000C);
  std::int32_t detalColor = 0xFFFFFF;
  std::int32_t millColor = 0xFF0000;
  std::int32_t lostColor = 0;
  std::int32_t scrapColor = 255;
  std::int32_t borderColor = 0xFF00FF;  // not edited, written back as read
  int millState = 0;
  std::string fontName = "MS Sans Serif";
  bool fontBold = false, fontItalic = false, fontUnderline = false, fontStrikeOut = false;
  int fontSize = 8;
  std::int32_t fontColor = 0;
  int fontCharset = 204;
  // "Общее"
  int lenDigits = 2, sqrDigits = 3;
  bool printDetalBorders = false, printDetalSort = true;
  // "Кромка и поворот"
  int defMaterial = 0;
  int lBorder = 0, rBorder = 0, tBorder = 0, bBorder = 0, defBorder = 0;
  int rotate = 0;

  bool operator==(const DefaultParams&) const = default;
};

// The kerf typed with one decimal, stored as a whole number: rounded to
// nearest, halves to even (2.5 -> 2, 3.5 -> 4).
int roundKerf(double mm);
// `PropilLen` as a cut-length limit: 0 when not a number.
int propilLenValue(const std::string& text);

DefaultParams readDefaultParams(const ini::IniFile& ini);
// Writes every key in one write of the file. Throws ini::IniError.
void writeDefaultParams(ini::IniFile& ini, const DefaultParams& params);

}  // namespace kroyna::run
