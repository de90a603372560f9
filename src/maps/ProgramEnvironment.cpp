#include "maps/ProgramEnvironment.h"

#include "catalogues/Catalogues.h"
#include "common/settings/MaterialSettings.h"
#include "common/settings/SettingsKeys.h"
#include "platform/ini/IniFile.h"

namespace kroyna::maps {

ProgramEnvironment::ProgramEnvironment(const ini::IniFile& settings, const catalogues::Catalogues* catalogues)
    : settings_(settings), catalogues_(catalogues) {}

MapColours ProgramEnvironment::colours() const { return readMapColours(settings_); }

common::ScrapCriteria ProgramEnvironment::scrapCriteria(int materialCode) const {
  return common::MaterialSettings(materialCode).offcutCriteria(settings_);
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

common::FontKeys ProgramEnvironment::mapFont() const { return common::readMapFont(settings_); }

int ProgramEnvironment::sqrDigits() const { return common::read(settings_, common::keys::SqrDigits); }

int ProgramEnvironment::lenDigits() const { return common::read(settings_, common::keys::LenDigits); }

MapColours readMapColours(const ini::IniFile& settings) {
  MapColours c;
  c.sheet = common::read(settings, common::keys::SheetColour);
  c.detal = common::read(settings, common::keys::PartColour);
  c.lost = common::read(settings, common::keys::WasteColour);
  c.scrap = common::read(settings, common::keys::OffcutColour);
  c.mill = common::read(settings, common::keys::CutColour);
  return c;
}

void writeMapColours(ini::IniFile& settings, const MapColours& c) {
  settings.batch([&] {
    common::write(settings, common::keys::SheetColour, c.sheet);
    common::write(settings, common::keys::PartColour, c.detal);
    common::write(settings, common::keys::WasteColour, c.lost);
    common::write(settings, common::keys::OffcutColour, c.scrap);
    common::write(settings, common::keys::CutColour, c.mill);
  });
}

}  // namespace kroyna::maps
