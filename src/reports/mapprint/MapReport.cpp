#include "reports/mapprint/MapReport.h"

#include "common/settings/SettingsValues.h"
#include "maps/model/MapRules.h"
#include "platform/report/RecordSource.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::reports {

namespace {

std::string number(long long v) { return std::to_string(v); }

// At most kShortNameLength characters (not bytes) of UTF-8 text.
std::string shortName(const std::string& utf8) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (chars == static_cast<std::size_t>(kShortNameLength)) return utf8.substr(0, i);
    ++chars;
  }
  return utf8;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '\r';
    out += lines[i];
  }
  return out;
}

std::int32_t saturate(long long v) {
  return static_cast<std::int32_t>(
      std::clamp<long long>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// "Полный отход: 1.234 кв м (12.34%)".
std::string areaLine(const char* label, double area, double sheet, const MapNumberFormats& f) {
  return std::string(label) + common::areaText(area, f.sqrDigits) + " кв м" + " (" + common::percentText(area, sheet) +
         "%)";
}

// The print font as the texts of a report take it.
report::FontSpec textFont(const common::FontKeys& f) {
  report::FontSpec font = reportFont(f);
  font.size = std::clamp(f.size, 1, 1000);
  return font;
}

}  // namespace

// ---- rows ----

std::vector<ListPartRow> mapPartRows(const maps::SheetMap& map) {
  std::vector<ListPartRow> rows;
  for (const maps::MapPart& p : map.Parts) {
    ListPartRow row;
    row.name = p.Title;
    row.length = p.length;
    row.width = p.width;
    row.count = 1;
    row.edges = {p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder};
    auto same = std::find_if(rows.begin(), rows.end(), [&](const ListPartRow& r) {
      return r.name == row.name && r.length == row.length && r.width == row.width && r.edges == row.edges;
    });
    if (same != rows.end())
      same->count = saturate(static_cast<long long>(same->count) + 1);
    else
      rows.push_back(std::move(row));
  }
  std::erase_if(rows, [](const ListPartRow& r) { return r.count == 0; });
  return rows;
}

std::vector<ListEdgeRow> mapEdgeRows(const std::vector<ListPartRow>& rows, const MapReportCatalogue& catalogue) {
  maps::EdgeUse use;
  for (const ListPartRow& r : rows)
    maps::addPartEdgeUse(use, r.length, r.width, r.edges, r.count,
                         [&catalogue](int code) { return catalogue.edgeAllowance(code); });
  std::vector<ListEdgeRow> out;
  for (const auto& [code, mm] : use)
    if (code != 0 && catalogue.hasEdge(code)) out.push_back({shortName(catalogue.edgeName(code)), saturate(mm), code});
  return out;
}

// ---- texts ----

std::string detalsListText(const maps::SheetMap& map) {
  std::vector<std::string> lines = {"Список деталей: ", ""};
  for (const ListPartRow& r : mapPartRows(map))
    lines.push_back(r.name + "   " + number(r.length) + "x" + number(r.width) + "   " + number(r.count) + " шт");
  return joinLines(lines);
}

int mapParamsLines(const MapPageParams& p) {
  return 2 + int(p.millStat) + int(p.totalWStat) + int(p.usefulWStat) + int(p.uselessWStat) + int(p.detalStat);
}

std::string mapParamsText(const maps::SheetMap& map, const MapPageParams& p, const MapReportCatalogue& catalogue,
                          const MapNumberFormats& f) {
  std::vector<std::string> lines;
  std::string first = "<" + map.Caption + ">  " + number(map.length) + " x " + number(map.width) + " (" +
                      catalogue.materialName(map.MaterialCode) + ")";
  if (map.Quantity > 1) first += " " + number(map.Quantity) + " шт";
  lines.push_back(first);
  const double sheet = map.sheetArea();
  if (p.millStat)
    lines.push_back("Количество резов: " + number(map.MillLinesCount) + " (" +
                    "длина резов: " + common::lengthText(map.MillLinesLength, f.lenDigits) + " м" + ")");
  if (p.totalWStat) lines.push_back(areaLine("Полный отход: ", map.TotalSquare, sheet, f));
  if (p.usefulWStat) lines.push_back(areaLine("Полезный отход: ", map.ScrapSquare, sheet, f));
  if (p.uselessWStat) lines.push_back(areaLine("Бесполезный отход: ", map.LostSquare, sheet, f));
  if (p.detalStat) lines.push_back(areaLine("Площадь деталей: ", map.DetalsSquare, sheet, f));
  if (!map.Remark.empty()) lines.push_back(map.Remark);
  return joinLines(lines);
}

// ---- objects ----

double mapRatio(std::int32_t width, std::int32_t height, double mapW, double mapH) {
  const double roomW = mapW - 9, roomH = mapH - 9;
  // A sheet of no size or a room of none leaves the map unscaled.
  if (width <= 0 || height <= 0 || !(roomW > 0) || !(roomH > 0)) return 0;
  const double r = std::min(roomW / width, roomH / height);
  return std::isfinite(r) ? r : 0;
}

void fillMapView(MapReportView& view, const maps::SheetMap& map, double mapW, double mapH, const MapPageParams& params,
                 const MapDrawStyles& styles, const MapReportCatalogue& catalogue) {
  const double r = mapRatio(map.length, map.width, mapW, mapH);
  view.Ratio = r;
  if (r > 0) {
    view.width = std::trunc(map.length * r);
    view.height = std::trunc(map.width * r);
  }
  view.edgeLabels = params.showBordersOnMaps;
  view.edgeLabelStyle = params.bordersOnMapsStyle == EdgeLabelNames ? EdgeLabelNames : EdgeLabelCodes;
  view.partFont = styles.parts.font;
  view.offcutFont = styles.offcuts.font;
  view.wasteFont = styles.waste.font;
  view.partBrush = styles.parts.brush;
  view.offcutBrush = styles.offcuts.brush;
  view.wasteBrush = styles.waste.brush;
  view.partPen = styles.parts.pen;
  view.offcutPen = styles.offcuts.pen;
  view.wastePen = styles.waste.pen;
  view.cutPen = styles.millPen;
  view.elements.clear();

  auto place = [](MapElement& e, std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h) {
    e.x = left;
    e.y = top;
    e.length = w;
    e.width = h;
  };
  auto style = [](MapElement& e, const ElementStyle& s) {
    e.ShowTitle = s.title;
    e.ShowDim = s.dim;
    e.TruncText = s.truncText;
  };

  if (styles.parts.draw) {
    for (const maps::MapPart& p : map.Parts) {
      auto e = std::make_unique<MapPartElement>();
      place(*e, p.x, p.y, p.length, p.width);
      e->Title = p.Title;
      style(*e, styles.parts);
      e->edgeLabels = view.edgeLabels;
      e->edgeLabelStyle = view.edgeLabelStyle;
      const std::array<std::int32_t, 4> codes = {p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder};
      for (int s = 0; s < 4; ++s) e->edges[s] = {shortName(catalogue.edgeName(codes[s])), codes[s]};
      view.elements.push_back(std::move(e));
    }
  }
  for (const maps::MapOffcut& o : map.Offcuts) {
    const bool useless = !o.useful();
    const ElementStyle& s = useless ? styles.waste : styles.offcuts;
    if (!s.draw) continue;
    auto e = std::make_unique<MapOffcutElement>();
    place(*e, o.x, o.y, o.length, o.width);
    e->Title = o.Text;
    e->useless = useless;
    style(*e, s);
    view.elements.push_back(std::move(e));
  }
  if (styles.millDraw) {
    for (const maps::MapCut& c : map.Cuts) {
      auto e = std::make_unique<MapCutElement>();
      place(*e, c.x, c.y, c.length, c.width);
      // The centre line of the kerf band.
      if (c.MillOrient) {
        e->y = saturate(static_cast<long long>(c.y) + c.width / 2);
        e->width = 0;
      } else {
        e->x = saturate(static_cast<long long>(c.x) + c.length / 2);
        e->length = 0;
      }
      e->ShowTitle = e->ShowDim = false;
      view.elements.push_back(std::move(e));
    }
  }
}

void fillDetalsListView(PartsListReportView& view, const maps::SheetMap& map, const MapPageParams& params,
                        const MapReportCatalogue& catalogue, bool withEdgeRows) {
  view.showPartsList = params.showDetailList;
  view.listFormat = params.detailListFormat;
  view.showSketch = params.showDetailOutline;
  view.showEdgesList = params.showBorderList;
  view.edgesListFormat = params.borderListFormat;
  view.edgesListFirst = params.borderListPosition == EdgesAbovePartList ? 1 : 0;
  view.showSketchCodes = params.showOutlineBorderCodes;
  view.font = params.mapFont;
  std::vector<ListPartRow> rows = mapPartRows(map);
  view.edgeRows = withEdgeRows ? mapEdgeRows(rows, catalogue) : std::vector<ListEdgeRow>{};
  for (ListPartRow& r : rows) {
    r.name = shortName(r.name);
    for (int s = 0; s < 4; ++s)
      r.colours[s] = params.showBlackOutline || !catalogue.hasEdge(r.edges[s]) ? 0 : catalogue.edgeColour(r.edges[s]);
  }
  view.partRows = std::move(rows);
}

// ---- the report ----

report::Template loadMapReportTemplate(const QString& templatePath) {
  registerMapReportObjects();
  report::Template t = report::Template::read(templatePath);
  auto wrongClass = [&](const char* object, const char* caption) {
    throw report::ReportError("Объект \"" + std::string(object) + "\" шаблона отчета \"" + templatePath.toStdString() +
                              "\" должен быть объектом \"" + caption + "\".");
  };
  if (const report::ReportObject* o = t.findObject(kMapObjectName); o && !dynamic_cast<const MapReportView*>(o))
    wrongClass(kMapObjectName, "Карта раскроя");
  if (const report::ReportObject* o = t.findObject(kPartsListObjectName);
      o && !dynamic_cast<const PartsListReportView*>(o))
    wrongClass(kPartsListObjectName, "Список деталей");
  return t;
}

report::PreparedReport prepareMapReport(const QString& templatePath, const MapReportJob& job) {
  static const std::vector<maps::SheetMap> kNoMaps;
  static const NoCatalogue kNoCatalogue;
  const std::vector<maps::SheetMap>& maps = job.maps ? *job.maps : kNoMaps;
  const MapReportCatalogue& catalogue = job.catalogue ? *job.catalogue : kNoCatalogue;

  report::Report r;
  r.setTemplate(loadMapReportTemplate(templatePath));
  if (job.landscape) r.setLandscape(true);
  if (job.margins) r.setMarginsMm(job.margins->left, job.margins->top, job.margins->right, job.margins->bottom);
  const MapPageParams& params = job.params;
  r.setVariable("MAPPARAMSLINES", report::Value::number(mapParamsLines(params)));
  r.setVariable("PRNDETALSLIST", report::Value::number(params.showDetailList || params.showBorderList ? 1 : 0));
  r.setVariable("MAPSPERPAGE", report::Value::number(params.mapsPerPage()));
  // Texts take the print font: the template sizes them by its line height.
  r.setVariable("PRINTFONTHEIGHT", report::Value::number(report::textLineHeight(textFont(params.mapFont))));
  const double mapW = r.templateValue("MAP_W").toNumber();
  const double mapH = r.templateValue("MAP_H").toNumber();

  const int count = static_cast<int>(maps.size());
  const int from = std::max(job.from, 0);
  const int to = std::min(job.to, count - 1);
  int current = from;
  auto valid = [&] { return current >= from && current <= to; };
  report::DrivenRecordSource records({[&] { current = from; }, [&] { ++current; }, [&] { return !valid(); }, {}});
  r.setDataSource(&records);

  r.setVariableCallback([&](std::string_view name) -> std::optional<report::Value> {
    if (!valid()) return std::nullopt;
    const maps::SheetMap& map = maps[static_cast<std::size_t>(current)];
    if (text::equalsIgnoreCase(name, "DETALSLIST")) return report::Value::text(detalsListText(map));
    if (text::equalsIgnoreCase(name, "MAPPARAMS"))
      return report::Value::text(mapParamsText(map, params, catalogue, job.formats));
    return std::nullopt;
  });

  const report::FontSpec printFont = textFont(params.mapFont);
  const QColor printColour = windowsColour(params.mapFont.colour);
  r.setBeforePrint([&](report::ReportObject& o) {
    if (auto* t = dynamic_cast<report::TextObject*>(&o)) {
      t->font = printFont;
      t->color = printColour;
      return;
    }
    if (!valid()) return;
    const maps::SheetMap& map = maps[static_cast<std::size_t>(current)];
    if (o.name == kMapObjectName) {
      if (auto* view = dynamic_cast<MapReportView*>(&o))
        fillMapView(*view, map, mapW, mapH, params, job.styles, catalogue);
    } else if (o.name == kPartsListObjectName && (params.showDetailList || params.showBorderList)) {
      if (auto* list = dynamic_cast<PartsListReportView*>(&o))
        fillDetalsListView(*list, map, params, catalogue, job.withEdgeRows);
    }
  });
  return r.prepare();
}

}  // namespace kroyna::reports
