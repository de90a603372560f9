#pragma once

// The parameters of a cutting run as the settings file keeps them: the
// per-material layout options (key `Optim` of section "Material" + code)
// and the machine and display defaults (section `Default` and a few
// others), with their readers and writers.

#include "common/settings/MaterialSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::run {

// The layout options of a material are a record of its settings section.
using common::ImprovedChoice;
using common::OptimRecord;

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
