#include "run/CuttingParameters.h"

#include "common/SettingsUtils.h"
#include "common/settings/SettingsKeys.h"
#include "maps/model/ScrapCriteria.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::run {

using warehouse::listBool;
using warehouse::listInt;
using warehouse::listText;

namespace {

std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::string flag(bool b) { return b ? "1" : "0"; }

// The improved search, in a material's section (its own key, so that the
// eleven items of `Optim` keep their meanings).
constexpr const char* kImproved = "Improved";

}  // namespace

std::string materialSection(int code) { return "Material" + std::to_string(code); }

OptimRecord parseOptim(std::string_view text) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  OptimRecord r;
  r.enabled = listBool(items, 0, true);
  r.length = clamp32(listInt(items, 1));
  r.width = clamp32(listInt(items, 2));
  r.useScraps = listBool(items, 3);
  r.stockControl = listBool(items, 4);
  r.depth = clamp32(listInt(items, 5));
  r.algorithm = listInt(items, 6) != 0 ? 1 : 0;
  r.stock = clamp32(listInt(items, 7));
  r.fullSearch = listInt(items, 8) != 0 ? 1 : 0;
  r.remark = listText(items, 9);
  r.oneDimOpt = listBool(items, 10);
  return r;
}

std::string formatOptim(const OptimRecord& r) {
  return ini::joinCommaList({flag(r.enabled), std::to_string(r.length), std::to_string(r.width), flag(r.useScraps),
                             flag(r.stockControl), std::to_string(r.depth), std::to_string(r.algorithm),
                             std::to_string(r.stock), std::to_string(r.fullSearch), r.remark, flag(r.oneDimOpt)});
}

ImprovedChoice parseImproved(std::string_view text, ImprovedChoice fallback) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  if (items.empty() || (items.size() == 1 && items[0].empty())) return fallback;
  ImprovedChoice c;
  c.on = listBool(items, 0, fallback.on);
  c.effort = items.size() > 1 ? std::clamp(clamp32(listInt(items, 1, fallback.effort)), 1, 10) : fallback.effort;
  return c;
}

std::string formatImproved(const ImprovedChoice& c) {
  return ini::joinCommaList({flag(c.on), std::to_string(std::clamp(c.effort, 1, 10))});
}

OptimRecord readOptim(const ini::IniFile& ini, int materialCode) {
  const std::string section = materialSection(materialCode);
  OptimRecord r = parseOptim(ini.readString(section, "Optim"));
  const ImprovedChoice fallback = parseImproved(common::read(ini, common::keys::DefaultImproved));
  const ImprovedChoice c = parseImproved(ini.readString(section, kImproved), fallback);
  r.improved = c.on;
  r.effort = c.effort;
  return r;
}

void writeOptim(ini::IniFile& ini, int materialCode, const OptimRecord& record) {
  const std::string section = materialSection(materialCode);
  ini.batch([&] {
    ini.writeString(section, "Optim", formatOptim(record));
    ini.writeString(section, kImproved, formatImproved({record.improved, record.effort}));
  });
}

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
  p.improved = parseImproved(read(ini, common::keys::DefaultImproved));
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
    write(ini, common::keys::DefaultImproved, formatImproved(p.improved));
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
