#include "run/CuttingParameters.h"

#include "platform/ini/IniFile.h"
#include "shell/SettingsUtils.h"
#include "warehouse/ScrapCriteria.h"

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

constexpr const char* kDefault = "Default";
constexpr const char* kSheetParams = "SheetParams";
constexpr const char* kBorder = "Border";
constexpr const char* kRotate = "Rotate";
// The improved search, in a material's section and in `Default`.
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
  const ImprovedChoice fallback = parseImproved(ini.readString(kDefault, kImproved));
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
  const double v = shell::textToFloat(std::string_view(text));
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

DefaultParams readDefaultParams(const ini::IniFile& ini) {
  DefaultParams p;
  p.mill = ini.readInt(kDefault, "Mill", 4);
  p.lIndent = ini.readInt(kDefault, "LIndent", 10);
  p.rIndent = ini.readInt(kDefault, "RIndent", 10);
  p.tIndent = ini.readInt(kDefault, "TIndent", 10);
  p.bIndent = ini.readInt(kDefault, "BIndent", 10);
  p.technics = std::clamp(ini.readInt(kDefault, "Technics", 0), 0, 2);
  p.propilLen = ini.readString(kDefault, "PropilLen", "0");
  p.optimization = ini.readInt(kDefault, "Optimization", 0);
  if (p.optimization < 0 || p.optimization > 2) p.optimization = 0;
  p.improved = parseImproved(ini.readString(kDefault, kImproved));
  p.showName = ini.readBool(kDefault, "ShowName", true);
  p.showDim = ini.readBool(kDefault, "ShowDim", true);
  p.showBorder = ini.readBool(kDefault, "ShowBorder", true);
  p.showScrapsText = ini.readBool(kDefault, "ShowScrapsText", true);
  p.showHints = ini.readBool(kDefault, "ShowHints", true);
  p.sheetColor = shell::readColour(ini, kDefault, "SheetColor", static_cast<std::int32_t>(0x8000000C));
  p.detalColor = shell::readColour(ini, kDefault, "DetalColor", 0xFFFFFF);
  p.millColor = shell::readColour(ini, kDefault, "MillColor", 0xFF0000);
  p.lostColor = shell::readColour(ini, kDefault, "LostColor", 0);
  p.scrapColor = shell::readColour(ini, kDefault, "ScrapColor", 255);
  p.borderColor = shell::readColour(ini, kDefault, "BorderColor", 0xFF00FF);
  p.millState = std::clamp(ini.readInt(kSheetParams, "MillState", 0), 0, 2);
  p.fontName = ini.readString(kSheetParams, "FontName", "MS Sans Serif");
  p.fontBold = ini.readBool(kSheetParams, "FontBold", false);
  p.fontItalic = ini.readBool(kSheetParams, "FontItalic", false);
  p.fontUnderline = ini.readBool(kSheetParams, "FontUnderline", false);
  p.fontStrikeOut = ini.readBool(kSheetParams, "FontStrikeOut", false);
  p.fontSize = ini.readInt(kSheetParams, "FontSize", 8);
  p.fontColor = shell::readColour(ini, kSheetParams, "FontColor", 0);
  p.fontCharset = ini.readInt(kSheetParams, "FontCharset", 204);
  p.lenDigits = std::clamp(ini.readInt(kDefault, "LenDigits", 2), 0, 10);
  p.sqrDigits = std::clamp(ini.readInt(kDefault, "SqrDigits", 3), 0, 10);
  p.printDetalBorders = ini.readBool(kDefault, "PrintDetalBorders", false);
  p.printDetalSort = ini.readBool(kDefault, "PrintDetalSort", true);
  p.defMaterial = ini.readInt(kDefault, "DefMaterial", 0);
  p.lBorder = ini.readInt(kBorder, "LBorder", 0);
  p.rBorder = ini.readInt(kBorder, "RBorder", 0);
  p.tBorder = ini.readInt(kBorder, "TBorder", 0);
  p.bBorder = ini.readInt(kBorder, "BBorder", 0);
  p.defBorder = ini.readInt(kBorder, "DefBorder", 0);
  p.rotate = std::clamp(ini.readInt(kRotate, "Default", 0), 0, 2);
  return p;
}

void writeDefaultParams(ini::IniFile& ini, const DefaultParams& p) {
  ini.batch([&] {
    ini.writeInt(kDefault, "Mill", p.mill);
    ini.writeInt(kDefault, "LIndent", p.lIndent);
    ini.writeInt(kDefault, "RIndent", p.rIndent);
    ini.writeInt(kDefault, "TIndent", p.tIndent);
    ini.writeInt(kDefault, "BIndent", p.bIndent);
    ini.writeInt(kDefault, "Technics", p.technics);
    ini.writeString(kDefault, "PropilLen", p.propilLen);
    ini.writeInt(kDefault, "Optimization", p.optimization);
    ini.writeString(kDefault, kImproved, formatImproved(p.improved));
    ini.writeBool(kDefault, "ShowName", p.showName);
    ini.writeBool(kDefault, "ShowDim", p.showDim);
    ini.writeBool(kDefault, "ShowBorder", p.showBorder);
    ini.writeBool(kDefault, "ShowScrapsText", p.showScrapsText);
    ini.writeBool(kDefault, "ShowHints", p.showHints);
    shell::writeColour(ini, kDefault, "SheetColor", p.sheetColor);
    shell::writeColour(ini, kDefault, "DetalColor", p.detalColor);
    shell::writeColour(ini, kDefault, "MillColor", p.millColor);
    shell::writeColour(ini, kDefault, "LostColor", p.lostColor);
    shell::writeColour(ini, kDefault, "ScrapColor", p.scrapColor);
    shell::writeColour(ini, kDefault, "BorderColor", p.borderColor);
    ini.writeInt(kSheetParams, "MillState", p.millState);
    ini.writeString(kSheetParams, "FontName", p.fontName);
    ini.writeBool(kSheetParams, "FontBold", p.fontBold);
    ini.writeBool(kSheetParams, "FontItalic", p.fontItalic);
    ini.writeBool(kSheetParams, "FontUnderline", p.fontUnderline);
    ini.writeBool(kSheetParams, "FontStrikeOut", p.fontStrikeOut);
    ini.writeInt(kSheetParams, "FontSize", p.fontSize);
    shell::writeColour(ini, kSheetParams, "FontColor", p.fontColor);
    ini.writeInt(kSheetParams, "FontCharset", p.fontCharset);
    ini.writeInt(kDefault, "LenDigits", p.lenDigits);
    ini.writeInt(kDefault, "SqrDigits", p.sqrDigits);
    ini.writeBool(kDefault, "PrintDetalBorders", p.printDetalBorders);
    ini.writeBool(kDefault, "PrintDetalSort", p.printDetalSort);
    ini.writeString(kDefault, "DefMaterial", std::to_string(p.defMaterial));
    ini.writeInt(kBorder, "LBorder", p.lBorder);
    ini.writeInt(kBorder, "RBorder", p.rBorder);
    ini.writeInt(kBorder, "TBorder", p.tBorder);
    ini.writeInt(kBorder, "BBorder", p.bBorder);
    ini.writeInt(kBorder, "DefBorder", p.defBorder);
    ini.writeInt(kRotate, "Default", p.rotate);
  });
}

}  // namespace kroyna::run
