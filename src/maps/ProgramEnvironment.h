#pragma once

#include "maps/MapsDocument.h"

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::catalogues {
class Catalogues;
}

namespace kroyna::maps {

// The maps' view of the running program: the settings file and the
// materials and edge-banding catalogues. Without catalogues every
// material name is empty and every edge code unknown.
class ProgramEnvironment : public MapsEnvironment {
 public:
  ProgramEnvironment(const ini::IniFile& settings, const catalogues::Catalogues* catalogues);

  MapColours colours() const override;
  common::ScrapCriteria scrapCriteria(int materialCode) const override;
  QString materialName(int materialCode) const override;
  QList<int> materialOrder() const override;
  std::int32_t edgeColour(int edgeCode, std::int32_t def) const override;
  int edgeAllowance(int edgeCode) const override;
  QString edgeName(int edgeCode) const override;
  common::FontKeys mapFont() const override;
  int sqrDigits() const override;
  int lenDigits() const override;

 private:
  const ini::IniFile& settings_;
  const catalogues::Catalogues* catalogues_;
};

// Section [SheetParams] of the maps window.
inline const char* const kSheetParamsSection = "SheetParams";

// The five map colours of [Default].
MapColours readMapColours(const ini::IniFile& settings);
void writeMapColours(ini::IniFile& settings, const MapColours& colours);

}  // namespace kroyna::maps
