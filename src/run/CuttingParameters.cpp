#include "run/CuttingParameters.h"

#include "common/SettingsUtils.h"
#include "common/settings/SettingsKeys.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::run {

int roundKerf(double mm) {
  if (!std::isfinite(mm)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(mm, -1e9, 1e9)));  // default mode: to even
}

int propilLenValue(const std::string& text) {
  const double v = common::textToFloat(std::string_view(text));
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

DefaultParams readDefaultParams(const ini::IniFile& ini) {
  using namespace common::keys;
  using common::read;
  DefaultParams p;
  p.mill = read(ini, Kerf);
  p.lIndent = read(ini, TrimLeft);
  p.rIndent = read(ini, TrimRight);
  p.tIndent = read(ini, TrimTop);
  p.bIndent = read(ini, TrimBottom);
  p.technics = read(ini, common::keys::Technics);
  p.propilLen = read(ini, MaxCutLength);
  p.optimization = read(ini, Criterion);
  p.improved = common::parseImproved(read(ini, common::keys::DefaultImproved));
  p.showName = read(ini, ShowName);
  p.showDim = read(ini, ShowDim);
  p.showBorder = read(ini, ShowBorder);
  p.showScrapsText = read(ini, ShowScrapsText);
  p.showHints = read(ini, ShowHints);
  p.sheetColor = read(ini, SheetColour);
  p.detalColor = read(ini, PartColour);
  p.millColor = read(ini, CutColour);
  p.lostColor = read(ini, WasteColour);
  p.scrapColor = read(ini, OffcutColour);
  p.borderColor = read(ini, EdgeBandingColour);
  p.millState = read(ini, CutsShown);
  const common::FontKeys font = common::readMapFont(ini);
  p.fontName = font.name;
  p.fontBold = font.bold;
  p.fontItalic = font.italic;
  p.fontUnderline = font.underline;
  p.fontStrikeOut = font.strikeOut;
  p.fontSize = font.size;
  p.fontColor = font.colour;
  p.fontCharset = font.charset;
  p.lenDigits = read(ini, LenDigits);
  p.sqrDigits = read(ini, SqrDigits);
  p.printDetalBorders = read(ini, PrintPartEdges);
  p.printDetalSort = read(ini, PrintPartsSorted);
  p.defMaterial = read(ini, DefMaterial);
  p.lBorder = read(ini, LeftBorder);
  p.rBorder = read(ini, RightBorder);
  p.tBorder = read(ini, TopBorder);
  p.bBorder = read(ini, BottomBorder);
  p.defBorder = read(ini, DefBorder);
  p.rotate = read(ini, DefRotation);
  return p;
}

void writeDefaultParams(ini::IniFile& ini, const DefaultParams& p) {
  using namespace common::keys;
  using common::write;
  ini.batch([&] {
    write(ini, Kerf, p.mill);
    write(ini, TrimLeft, p.lIndent);
    write(ini, TrimRight, p.rIndent);
    write(ini, TrimTop, p.tIndent);
    write(ini, TrimBottom, p.bIndent);
    write(ini, common::keys::Technics, p.technics);
    write(ini, MaxCutLength, p.propilLen);
    write(ini, Criterion, p.optimization);
    write(ini, common::keys::DefaultImproved, common::formatImproved(p.improved));
    write(ini, ShowName, p.showName);
    write(ini, ShowDim, p.showDim);
    write(ini, ShowBorder, p.showBorder);
    write(ini, ShowScrapsText, p.showScrapsText);
    write(ini, ShowHints, p.showHints);
    write(ini, SheetColour, p.sheetColor);
    write(ini, PartColour, p.detalColor);
    write(ini, CutColour, p.millColor);
    write(ini, WasteColour, p.lostColor);
    write(ini, OffcutColour, p.scrapColor);
    write(ini, EdgeBandingColour, p.borderColor);
    write(ini, CutsShown, p.millState);
    common::writeMapFont(ini, {p.fontName, p.fontColor, p.fontSize, p.fontCharset, p.fontBold, p.fontItalic,
                               p.fontUnderline, p.fontStrikeOut});
    write(ini, LenDigits, p.lenDigits);
    write(ini, SqrDigits, p.sqrDigits);
    write(ini, PrintPartEdges, p.printDetalBorders);
    write(ini, PrintPartsSorted, p.printDetalSort);
    // Stored as text, as the key has always been written.
    ini.writeString(DefMaterial.section, DefMaterial.name, std::to_string(p.defMaterial));
    write(ini, LeftBorder, p.lBorder);
    write(ini, RightBorder, p.rBorder);
    write(ini, TopBorder, p.tBorder);
    write(ini, BottomBorder, p.bBorder);
    write(ini, DefBorder, p.defBorder);
    write(ini, DefRotation, p.rotate);
  });
}

}  // namespace kroyna::run
