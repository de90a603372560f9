#include "maps/ProgramEnvironment.h"

#include "catalogues/Catalogues.h"
#include "platform/ini/IniFile.h"

#include <algorithm>

namespace kroyna::maps {

namespace {
constexpr const char* kDefault = "Default";
}

ProgramEnvironment::ProgramEnvironment(const ini::IniFile& settings, const catalogues::Catalogues* catalogues)
    : settings_(settings), catalogues_(catalogues) {}

MapColours ProgramEnvironment::colours() const {
  MapColours c;
  c.sheet = shell::readColour(settings_, kDefault, "SheetColor", shell::kAppWorkspaceColour);
  c.detal = shell::readColour(settings_, kDefault, "DetalColor", 0xFFFFFF);
  c.lost = shell::readColour(settings_, kDefault, "LostColor", 0);
  c.scrap = shell::readColour(settings_, kDefault, "ScrapColor", 255);
  c.mill = shell::readColour(settings_, kDefault, "MillColor", 0xFF0000);
  return c;
}

warehouse::ScrapCriteria ProgramEnvironment::scrapCriteria(int materialCode) const {
  return warehouse::parseScrapCriteria(settings_.readString("Material" + std::to_string(materialCode), "Scrap", ""));
}

QString ProgramEnvironment::materialName(int materialCode) const {
  return catalogues_ ? catalogues_->materialName(materialCode) : QString();
}

QList<int> ProgramEnvironment::materialOrder() const {
  QList<int> codes;
  if (!catalogues_) return codes;
  const catalogues::MaterialList list = catalogues_->materialList(false);
  for (int i = 0; i < list.size(); ++i) codes.append(list.codeAt(i));
  return codes;
}

std::int32_t ProgramEnvironment::edgeColour(int edgeCode, std::int32_t def) const {
  return catalogues_ ? catalogues_->edgeColor(edgeCode, def) : def;
}

int ProgramEnvironment::edgeAllowance(int edgeCode) const {
  return catalogues_ ? catalogues_->edgeAllowance(edgeCode) : 0;
}

QString ProgramEnvironment::edgeName(int edgeCode) const {
  return catalogues_ ? catalogues_->edgeName(edgeCode) : QString();
}

shell::FontKeys ProgramEnvironment::mapFont() const { return readSheetFont(settings_); }

int ProgramEnvironment::sqrDigits() const { return std::clamp(settings_.readInt(kDefault, "SqrDigits", 3), 0, 10); }

int ProgramEnvironment::lenDigits() const { return std::clamp(settings_.readInt(kDefault, "LenDigits", 2), 0, 10); }

shell::FontKeys readSheetFont(const ini::IniFile& s) {
  shell::FontKeys f;
  f.name = s.readString(kSheetParamsSection, "FontName", "MS Sans Serif");
  f.bold = s.readBool(kSheetParamsSection, "FontBold", false);
  f.italic = s.readBool(kSheetParamsSection, "FontItalic", false);
  f.underline = s.readBool(kSheetParamsSection, "FontUnderline", false);
  f.strikeOut = s.readBool(kSheetParamsSection, "FontStrikeOut", false);
  f.size = s.readInt(kSheetParamsSection, "FontSize", 8);
  f.colour = shell::readColour(s, kSheetParamsSection, "FontColor", 0);
  f.charset = s.readInt(kSheetParamsSection, "FontCharSet", 204);
  return f;
}

}  // namespace kroyna::maps
