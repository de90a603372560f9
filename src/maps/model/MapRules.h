#pragma once

// The rules that turn the engine's finished maps into maps, one function a
// rule, shared by the maps window, the maps file and the headless cutter:
// the map of a finished layout, the offcut verdict and the colours and
// statistics that follow from it, which cuts are shown, the tab captions
// of a cutting run, and the records the maps file stores.
//
// Standard C++ only.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/settings/OffcutCriteria.h"
#include "maps/model/MapFile.h"
#include "maps/model/MapModel.h"

namespace kroyna::engine {
struct FinishedMap;
}

namespace kroyna::maps {

// What the rules take from the running program. Read at every recompute,
// so that a change of the settings or catalogues shows at the next one.
class MapLook {
 public:
  virtual ~MapLook() = default;
  // [Default] SheetColor, DetalColor, LostColor, ScrapColor, MillColor.
  virtual MapColours colours() const = 0;
  // Key Scrap of the material's section.
  virtual common::ScrapCriteria scrapCriteria(int materialCode) const = 0;
  // The catalogue colour of an edge code, or `def` for an unknown code.
  virtual std::int32_t edgeColour(int edgeCode, std::int32_t def) const = 0;
};

// A program without settings or catalogues: default colours, no offcut
// criteria (every offcut is useful) and no edge colours.
class DefaultMapLook : public MapLook {
 public:
  MapColours colours() const override { return {}; }
  common::ScrapCriteria scrapCriteria(int) const override { return {}; }
  std::int32_t edgeColour(int, std::int32_t def) const override { return def; }
};

// How a run's new map starts.
struct NewMap {
  std::string caption;  // tab caption
  int materialCode = 0;
  std::int32_t kerf = 0;  // the run's kerf, stored as MillSize
  std::string remark;     // the material's comment for the run
  common::FontKeys font;  // the document's map font
  // The document's flags for the parts the run adds ([Default] ShowName,
  // ShowDim) and its ShowBorder.
  bool showTitle = true;
  bool showDim = true;
  bool showBorder = false;
};

// The map of a finished layout: the sheet, the parts with their edge
// codes as placed, every free rectangle as an offcut not yet judged, and
// the cuts. Kinds, colours and statistics come from classifyMap.
SheetMap makeMap(const engine::FinishedMap& finished, const NewMap& settings);

// Gives every element its colour, judges every offcut useful or useless
// by the criteria, and computes the map's statistics:
// DetalsSquare = Σ parts, ScrapSquare = Σ useful offcuts,
// LostSquare = sheet − (parts + useful offcuts) (kerf, trims, useless
// offcuts and scraps too small to be offcuts), TotalSquare = Scrap + Lost.
void classifyMap(SheetMap& map, const common::ScrapCriteria& criteria, const MapColours& colours, const MapLook& look,
                 bool showScrapsText);

// classifyMap on every map, each with its material's criteria. Returns the
// colours it used (read once from `look`).
MapColours classifyMaps(std::vector<SheetMap>& maps, const MapLook& look, bool showScrapsText);

// An offcut's kind with its colour and label: a useless one is "Отход" in
// LostColor with no texts shown; a useful one is its stock name (or
// "Остаток") in ScrapColor, its texts shown when ShowScrapsText is on.
void setOffcutKind(MapOffcut& offcut, bool useful, const MapColours& colours, bool showScrapsText);

// The statistics of a map from its parts and the kinds of its offcuts.
void recomputeSquares(SheetMap& map);

// Whether the material filter shows a map.
bool isMapShown(const SheetMap& map, int materialFilter);
// The map that shows its cuts in mode "Последний лист": the last map when
// the filter shows all materials, else the last map the filter shows; -1
// when there is none.
int lastMapForCuts(const std::vector<SheetMap>& maps, int materialFilter);
// Shows or hides every cut by the mill-lines mode and the filter.
void applyMillMode(std::vector<SheetMap>& maps, int millMode, int materialFilter);

// Tab captions of the maps of one material in a cutting run:
// (tabs before + 1) + ": " + "Лист " + (k + 1) for one sheet, or "Листы " +
// (k + 1) + " - " + (k + q) for q sheets, then " (" + name + ")" when the
// sheet is an offcut from stock; k counts the sheets of the material
// captioned before.
class TabCaptions {
 public:
  // The caption of the next map of the material, counting its sheets.
  std::string next(int tabsBefore, const engine::FinishedMap& map);
  std::string next(int tabsBefore, std::int32_t quantity, bool isOffcut, const std::string& sheetName);

 private:
  std::int64_t sheets_ = 0;
};

// ---- Edge banding used ----
// Edge code and length in mm, in order of first use.
using EdgeUse = std::vector<std::pair<int, long long>>;
// Adds the edge banding of a part cut `times` over: its top and bottom
// sides run along its length (X), its left and right sides along its width
// (Y), and each takes the allowance of its code. Sides without banding
// count under code 0, which callers leave out of what they show.
void addPartEdgeUse(EdgeUse& use, std::int32_t length, std::int32_t width, const std::array<std::int32_t, 4>& edges,
                    long long times, const std::function<int(int code)>& allowance);
inline void addPartEdgeUse(EdgeUse& use, const MapPart& p, long long times,
                           const std::function<int(int code)>& allowance) {
  addPartEdgeUse(use, p.length, p.width, {p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder}, times, allowance);
}

// ---- Maps and the records of the maps file ----
MapFont toMapFont(const common::FontKeys& font);
common::FontKeys fromMapFont(const MapFont& font);
// The record of a map; `shown` is whether its tab is shown under the
// material filter.
MapSheetRecord toRecord(const SheetMap& map, bool shown);
// A map as stored: kinds, colours and statistics as the record holds them.
SheetMap fromRecord(const MapSheetRecord& record);

}  // namespace kroyna::maps
