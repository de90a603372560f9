#pragma once

// Maps files made without the program's windows (the headless cutter):
// the records of a map built from a finished map of the engine the way the
// maps window builds and recomputes its maps — parts, offcuts judged useful
// or useless, cuts, colours and statistics — and the tab captions the
// cutting run gives.
//
// Standard C++ only.

#include "engine/FinishedMap.h"
#include "maps/MapFile.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kroyna::maps {

struct MapBuildSettings {
  std::int32_t kerf = 4;       // the run's kerf, stored as MillSize
  std::int32_t material = -1;  // material code of the maps
  std::string remark;          // the material's comment for the run
  // Colours, display flags and font of the document (header) the maps
  // belong to.
  MapFileHeader document;
  // ShowTitle and ShowDim of the parts (settings [Default] ShowName and
  // ShowDim).
  bool showTitle = true;
  bool showDim = true;
  // Whether an offcut of length x width is waste by the material's
  // criteria; none is when this is empty.
  std::function<bool(std::int32_t length, std::int32_t width)> isWaste;
  // The catalogue colour of an edge code, or `def` for an unknown code;
  // every code is unknown when this is empty.
  std::function<std::int32_t(std::int32_t code, std::int32_t def)> edgeColour;
};

// The map of one finished map: sheet, parts, offcuts (classified, with
// their colours and labels), cuts and the statistics
// DetalsSquare, ScrapSquare (useful offcuts) and LostSquare (the rest of
// the sheet). Cuts are visible; applyMillMode decides.
MapSheetRecord buildMapSheet(const engine::FinishedMap& map, const std::string& tabCaption,
                             const MapBuildSettings& settings);

// Shows the cuts of every map by the document's mill-lines mode: none,
// all, or only those of the last map.
void applyMillMode(MapFileData& data);

// The tab caption the cutting run gives a map: (tabsBefore + 1) + ": " +
// "Лист " + (k + 1) for one sheet, "Листы " + (k + 1) + " - " + (k + q) for
// q sheets, then " (" + sheetName + ")" for an offcut from stock; k is the
// number of sheets of the material captioned before.
std::string runTabCaption(int tabsBefore, std::int64_t sheetsBefore, std::int32_t quantity,
                          const std::string& sheetName);

}  // namespace kroyna::maps
