#include "maps/ProgramEnvironment.h"

#include "catalogues/Catalogues.h"
#include "platform/ini/IniFile.h"
#include "shell/SettingsKeys.h"


namespace kroyna::maps {

ProgramEnvironment::ProgramEnvironment(const ini::IniFile& settings, const catalogues::Catalogues* catalogues)
    : settings_(settings), catalogues_(catalogues) {}

MapColours ProgramEnvironment::colours() const { return readMapColours(settings_); }

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

shell::FontKeys ProgramEnvironment::mapFont() const { return shell::readMapFont(settings_); }

int ProgramEnvironment::sqrDigits() const { return shell::read(settings_, shell::keys::SqrDigits); }

int ProgramEnvironment::lenDigits() const { return shell::read(settings_, shell::keys::LenDigits); }

MapColours readMapColours(const ini::IniFile& settings) {
  MapColours c;
  c.sheet = shell::read(settings, shell::keys::SheetColour);
  c.detal = shell::read(settings, shell::keys::PartColour);
  c.lost = shell::read(settings, shell::keys::WasteColour);
  c.scrap = shell::read(settings, shell::keys::OffcutColour);
  c.mill = shell::read(settings, shell::keys::CutColour);
  return c;
}

void writeMapColours(ini::IniFile& settings, const MapColours& c) {
  settings.batch([&] {
    shell::write(settings, shell::keys::SheetColour, c.sheet);
    shell::write(settings, shell::keys::PartColour, c.detal);
    shell::write(settings, shell::keys::WasteColour, c.lost);
    shell::write(settings, shell::keys::OffcutColour, c.scrap);
    shell::write(settings, shell::keys::CutColour, c.mill);
  });
}

}  // namespace kroyna::maps
