#pragma once

// The map report: the cutting maps of a maps document printed through the
// template "Reports/RskMaps.frf", one record per map of the chosen range.
//
// What the program supplies to the template:
// - report variables set before printing: MAPPARAMSLINES (the number of
//   lines of MAPPARAMS: 2 plus one per statistics line switched on),
//   PRNDETALSLIST (the parts list or the edges list is printed),
//   MAPSPERPAGE, and PRINTFONTHEIGHT (the line height of the print font in
//   report units, so that a template can make room for its lines);
// - values asked for each record: DETALSLIST (the parts of the map) and
//   MAPPARAMS (caption, sheet, material, quantity and statistics);
// - before each object is printed: every text takes the print font, the
//   object "Map" (a cutting map object) is filled with the map, the object
//   "mmDetalsList" (a parts list object) with its parts and edges;
// - MAP_W and MAP_H, read from the template: the room for the map in
//   report units.
//
// Qt Gui only; no widgets.

#include "maps/model/MapModel.h"
#include "platform/report/PreparedReport.h"
#include "platform/report/Template.h"
#include "reports/mapprint/MapPrintSettings.h"
#include "reports/mapprint/MapReportObjects.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::reports {

// Names the template finds and the program answers.
inline constexpr const char* kMapReportTemplate = "RskMaps.frf";
inline constexpr const char* kMapObjectName = "Map";
inline constexpr const char* kPartsListObjectName = "mmDetalsList";
inline constexpr const char* kMapParamsObjectName = "mmMapParams";

// The catalogues as the map report sees them.
class MapReportCatalogue {
 public:
  virtual ~MapReportCatalogue() = default;
  // Empty when the material is not in the catalogue.
  virtual std::string materialName(int code) const = 0;
  virtual bool hasEdge(int code) const = 0;
  virtual std::string edgeName(int code) const = 0;
  virtual int edgeAllowance(int code) const = 0;
  virtual std::int32_t edgeColour(int code) const = 0;
};

// A program without catalogues (the headless cutter): every material is
// called `materialName`, no edge code is known.
class NoCatalogue : public MapReportCatalogue {
 public:
  explicit NoCatalogue(std::string materialName = {}) : material_(std::move(materialName)) {}
  std::string materialName(int) const override { return material_; }
  bool hasEdge(int) const override { return false; }
  std::string edgeName(int) const override { return {}; }
  int edgeAllowance(int) const override { return 0; }
  std::int32_t edgeColour(int) const override { return 0; }

 private:
  std::string material_;
};

// ---- Rows of one map ----

// The parts of a map as rows: name, length (length), width
// (width), count 1 and edge codes; rows equal in name, length, width
// and all four edge codes merged (the first kept, counts added). Counts
// are per sheet: Quantity is not applied. Colours are left 0.
std::vector<ListPartRow> mapPartRows(const maps::SheetMap& map);

// Edge-banding used by one sheet of the map: count × (length + allowance)
// for the top and bottom edge, count × (width + allowance) for the left
// and right edge, added up per code in order of first use; code 0 and
// codes the catalogue does not hold are left out. Names from the
// catalogue cut to 20 characters.
std::vector<ListEdgeRow> mapEdgeRows(const std::vector<ListPartRow>& rows, const MapReportCatalogue& catalogue);

// ---- Texts of one map (lines separated by "\r") ----

// "Список деталей: ", an empty line, then "name   LxW   N шт" per row.
std::string detalsListText(const maps::SheetMap& map);

// Number formats of the statistics lines.
struct MapNumberFormats {
  int sqrDigits = 3;  // [Default] SqrDigits
  int lenDigits = 2;  // [Default] LenDigits
};

// The caption line ("<caption>  L x W (material)", with " N шт" when the
// sheet is cut more than once), the enabled statistics lines, and the
// map's remark when it has one.
std::string mapParamsText(const maps::SheetMap& map, const MapPageParams& params, const MapReportCatalogue& catalogue,
                          const MapNumberFormats& formats);
// 2 + one per statistics line switched on.
int mapParamsLines(const MapPageParams& params);

// ---- Filling the objects ----

// The ratio for a sheet of width x height mm in a room of mapW x mapH
// report units: the smaller of (mapW - 9) / width and (mapH - 9) / height;
// 0 (no scaling) when the sheet has no size or there is no room.
double mapRatio(std::int32_t width, std::int32_t height, double mapW, double mapH);

// Fills a cutting map object with the map: size and ratio, edge labels,
// the styles of [PrnSetupAdv], then the parts (when drawn), the useful and
// the useless offcuts (each when drawn) and the cuts (when drawn) reduced
// to the centre lines of their kerf bands. A ratio of 0 leaves the
// object's size as it is.
void fillMapView(MapReportView& view, const maps::SheetMap& map, double mapW, double mapH, const MapPageParams& params,
                 const MapDrawStyles& styles, const MapReportCatalogue& catalogue);

// Fills a parts list object: its switches from the print dialog, the part
// rows (names cut to 20 characters; edge colours black with "Черный
// цвет", else those of the catalogue) and, when `withEdgeRows`, the edge
// rows of one sheet.
void fillDetalsListView(PartsListReportView& view, const maps::SheetMap& map, const MapPageParams& params,
                        const MapReportCatalogue& catalogue, bool withEdgeRows);

// ---- The report ----

struct MapReportJob {
  const std::vector<maps::SheetMap>* maps = nullptr;
  int from = 0, to = -1;  // the records: maps from..to, 0-based, inclusive
  MapPageParams params;
  MapDrawStyles styles;
  const MapReportCatalogue* catalogue = nullptr;
  MapNumberFormats formats;
  // Page setup: landscape when the printer is; margins in mm, or the
  // template's own when not given.
  bool landscape = false;
  struct MarginsMm {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  std::optional<MarginsMm> margins;
  bool withEdgeRows = true;
};

// Loads a map report template: refuses (report::ReportError, naming the
// file) one that cannot be read, or whose "Map" or "mmDetalsList" is not of
// the matching class.
report::Template loadMapReportTemplate(const QString& templatePath);

// Loads the template, feeds it the maps and lays the report out. Throws
// report::ReportError when the template cannot be loaded or laid out, or
// when its "Map" or "mmDetalsList" is not of the matching class.
report::PreparedReport prepareMapReport(const QString& templatePath, const MapReportJob& job);

}  // namespace kroyna::reports
