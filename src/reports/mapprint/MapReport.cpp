#include "reports/mapprint/MapReport.h"

#include "common/settings/SettingsValues.h"
#include "maps/model/MapCutOrder.h"
#include "maps/model/MapRules.h"
#include "platform/report/RecordSource.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

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
  // The rows as the map numbers them (a part too small for its texts shows
  // its row's number).
  const std::vector<int> rowOf = maps::partListRows(map);
  std::vector<ListPartRow> rows;
  for (std::size_t i = 0; i < map.Parts.size(); ++i) {
    const maps::MapPart& p = map.Parts[i];
    const auto r = static_cast<std::size_t>(rowOf[i]);
    if (r < rows.size()) {
      rows[r].count = saturate(static_cast<long long>(rows[r].count) + 1);
      continue;
    }
    ListPartRow row;
    row.name = p.Title;
    row.length = p.length;
    row.width = p.width;
    row.count = 1;
    row.edges = {p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder};
    rows.push_back(std::move(row));
  }
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
                 const MapDrawStyles& styles, const MapReportCatalogue& catalogue, const engine::CutSequence* order) {
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
  if (params.printCutOrder && order && order->status == engine::SequenceStatus::Ok) {
    for (const maps::NumberStretch& n : maps::numberStretches(*order, maps::cutOrderInput(map))) {
      auto e = std::make_unique<MapCutNumberElement>();
      e->Title = number(n.number);
      if (n.alongX)
        place(*e, n.from, n.at, n.to - n.from, 0);
      else
        place(*e, n.at, n.from, 0, n.to - n.from);
      e->ShowDim = false;
      view.elements.push_back(std::move(e));
    }
  }
}

namespace {

std::string sizeText(std::int32_t length, std::int32_t width) { return number(length) + "x" + number(width); }

// What one side of a pass is, as the table names it; empty for nothing.
std::string yieldText(const maps::SheetMap& map, const engine::PassYield& y) {
  const auto i = static_cast<std::size_t>(y.index);
  switch (y.kind) {
    case engine::YieldKind::Part:
      if (i < map.Parts.size()) {
        const maps::MapPart& p = map.Parts[i];
        return p.Title.empty() ? sizeText(p.length, p.width) : p.Title + " " + sizeText(p.length, p.width);
      }
      return "деталь";
    case engine::YieldKind::Offcut:
      if (i < map.Offcuts.size() && map.Offcuts[i].useful()) {
        const maps::MapOffcut& o = map.Offcuts[i];
        const std::string name = o.Text.empty() ? std::string(maps::kUsefulOffcutText) : o.Text;
        return name + " " + sizeText(o.length, o.width);
      }
      return "отход";
    case engine::YieldKind::Waste: return "отход";
    case engine::YieldKind::Strip: return "полоса";
    case engine::YieldKind::Nothing: return {};
  }
  return {};
}

}  // namespace

std::vector<CutOrderRow> cutOrderRows(const maps::SheetMap& map, const engine::CutSequence& order) {
  std::vector<CutOrderRow> rows;
  rows.reserve(order.passes.size());
  for (const engine::SawPass& p : order.passes) {
    CutOrderRow row;
    row.number = p.number;
    row.direction = std::string(p.turn ? kTurnMark : "") + (p.alongX ? "по длине" : "по ширине");
    row.fence = p.fence;
    row.length = p.length;
    // The sides the pass finishes; a pass that only parts strips gives a strip.
    std::vector<std::string> sides;
    for (const engine::PassYield& y : {p.nearSide, p.farSide})
      if (y.kind != engine::YieldKind::Strip && y.kind != engine::YieldKind::Nothing)
        sides.push_back(yieldText(map, y));
    if (sides.empty()) sides.push_back("полоса");
    row.yields = sides[0];
    for (std::size_t k = 1; k < sides.size(); ++k) row.yields += ", " + sides[k];
    rows.push_back(std::move(row));
  }
  return rows;
}

void fillCutOrderView(CutOrderReportView& view, const maps::SheetMap& map, const engine::CutSequence& order,
                      const MapPageParams& params) {
  view.font = params.mapFont;
  view.rows.clear();
  view.note.clear();
  switch (order.status) {
    case engine::SequenceStatus::Ok: view.rows = cutOrderRows(map, order); break;
    case engine::SequenceStatus::NotGuillotine: view.note = "карту нельзя раскроить сквозными резами."; break;
    case engine::SequenceStatus::BadMap: view.note = "деталь лежит за краем листа."; break;
  }
}

FittedText fitTextWidth(const std::string& lines, const report::FontSpec& font, double width) {
  const QString text = QString::fromStdString(lines);
  const double room = std::max(0.0, width - 2 * report::kTextPadding);
  FittedText out;
  report::FontSpec f = font;
  const double smallest = std::min(font.size, kMinListPoints);
  for (double pt = font.size;; pt -= 0.5) {
    f.size = std::max(pt, smallest);
    const std::vector<QString> parts = report::breakText(text, f, room, false);
    const bool fits = std::all_of(parts.begin(), parts.end(),
                                  [&](const QString& l) { return report::textWidth(f, l) <= room + 1e-6; });
    if (fits || f.size <= smallest + 1e-9) {
      out.points = f.size;
      out.wrap = !fits;
      const std::size_t n = fits ? parts.size() : report::breakText(text, f, room, true).size();
      out.height = static_cast<double>(n) * report::textLineHeight(f) + 2 * report::kTextPadding;
      return out;
    }
  }
}

std::vector<MapPageGrid> mapPageGrids(int mapsPerPage) {
  const int n = std::clamp(mapsPerPage, 1, kMaxOtherMaps);
  if (n == 1) return {{true, 1, 1}};
  if (n == 2) return {{true, 2, 1}, {false, 1, 2}};
  std::vector<MapPageGrid> grids;
  for (bool landscape : {true, false})
    for (int columns = 1; columns <= n; ++columns) {
      const int rows = (n + columns - 1) / columns;
      if ((columns - 1) * rows >= n) continue;  // a column would stay empty
      grids.push_back({landscape, columns, rows});
    }
  return grids;
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

namespace {

// The second room of the lists: the rectangle under the map, relative to
// the lists' own corner.
void listGoesOnIn(PartsListReportView& list, const QRectF& room) {
  list.moreX = room.x() - list.x;
  list.moreY = room.y() - list.y;
  list.moreWidth = room.width();
  list.moreHeight = room.height();
}

// The lists beside the map and the table of the cut order share the room
// left by the map: the table goes on in what the lists leave free of their
// column. Both take the largest font, down to 6 pt, at which the lists and
// the whole table fit. Lists too long for their column come first: they go
// on under the map, and the table takes what they leave there.
void shareColumn(PartsListReportView* list, CutOrderReportView& table, double gap) {
  const int largest = std::max(static_cast<int>(kMinListPoints), table.font.size);
  if (list) {
    list->moreX = list->moreY = list->moreWidth = list->moreHeight = 0;
    if (!list->fitsWhole() && table.width > 0 && table.height > 0) {
      // As little of the room as the list needs at the size the whole room
      // gives it; the table has the rest.
      const QRectF under(table.x, table.y, table.width, table.height);
      listGoesOnIn(*list, under);
      const double points = list->shown().points;
      double low = 0, high = under.height();
      for (int step = 0; step < 16 && high - low > 1; ++step) {
        const double mid = (low + high) / 2;
        listGoesOnIn(*list, QRectF(under.x(), under.y(), under.width(), mid));
        if (list->fitsWhole() && list->shown().points >= points) {
          high = mid;
        } else {
          low = mid;
        }
      }
      listGoesOnIn(*list, QRectF(under.x(), under.y(), under.width(), high));
      const double used = list->usedHeights().back() + gap;
      table.y += used;
      table.height = std::max(0.0, table.height - used);
      table.moreX = table.moreY = table.moreWidth = table.moreHeight = 0;
      for (int size = largest;; --size) {
        table.font.size = size;
        if (size <= kMinListPoints || table.fitsWhole()) return;
      }
    }
  }
  for (int size = largest;; --size) {
    if (list) {
      list->font.size = std::min(size, list->font.size);
      const double used = list->usedHeight() + gap;
      table.moreX = list->x - table.x;
      table.moreY = list->y + used - table.y;
      table.moreWidth = used < list->height ? list->width : 0;
      table.moreHeight = std::max(0.0, list->height - used);
    }
    table.font.size = size;
    if (size <= kMinListPoints || table.fitsWhole()) return;
  }
}

}  // namespace

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
  if (const report::ReportObject* o = t.findObject(kCutOrderObjectName);
      o && !dynamic_cast<const CutOrderReportView*>(o))
    wrongClass(kCutOrderObjectName, "Порядок резов");
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
  r.setVariable("PRNCUTORDER", report::Value::number(params.printCutOrder ? 1 : 0));
  r.setVariable("MAPSPERPAGE", report::Value::number(params.mapsPerPage()));
  // Texts take the print font: the template sizes them by its line height.
  const report::FontSpec printFont = textFont(params.mapFont);
  r.setVariable("PRINTFONTHEIGHT", report::Value::number(report::textLineHeight(printFont)));

  const int count = static_cast<int>(maps.size());
  const int from = std::max(job.from, 0);
  const int to = std::min(job.to, count - 1);

  // The grid of the page: one map keeps the page as it is; more take the
  // arrangement that draws the maps printed largest (the smallest of their
  // scales counts).
  auto useGrid = [&](const MapPageGrid& g, bool turn) {
    if (turn) r.setLandscape(g.landscape);
    r.setVariable("MAPCOLUMNS", report::Value::number(g.columns));
    r.setVariable("MAPROWS", report::Value::number(g.rows));
  };
  const std::vector<MapPageGrid> grids = mapPageGrids(params.mapsPerPage());
  const bool choose = grids.size() > 1;
  MapPageGrid best = grids.front();
  double bestScale = -1;
  for (const MapPageGrid& g : grids) {
    useGrid(g, choose);
    const double w = r.templateValue("MAP_W").toNumber(), h = r.templateValue("MAP_H").toNumber();
    double scale = std::numeric_limits<double>::max();
    for (int i = from; i <= to; ++i)
      scale = std::min(
          scale, mapRatio(maps[static_cast<std::size_t>(i)].length, maps[static_cast<std::size_t>(i)].width, w, h));
    if (from > to) scale = mapRatio(2800, 2070, w, h);
    if (scale > bestScale + 1e-9) {
      bestScale = scale;
      best = g;
    }
  }
  useGrid(best, choose);
  const double mapW = r.templateValue("MAP_W").toNumber();
  const double mapH = r.templateValue("MAP_H").toNumber();
  const double paramsW = r.templateValue("PARAMS_W").toNumber();

  int current = from;
  auto valid = [&] { return current >= from && current <= to; };
  report::DrivenRecordSource records({[&] { current = from; }, [&] { ++current; }, [&] { return !valid(); }, {}});
  r.setDataSource(&records);

  // What each record needs more than once, worked out once.
  struct RecordValues {
    std::string params;
    FittedText paramsFit;
    std::optional<engine::CutSequence> order;
  };
  std::map<int, RecordValues> cache;
  auto values = [&]() -> RecordValues& {
    auto [it, fresh] = cache.try_emplace(current);
    if (fresh) {
      cache.erase(current - 2);  // records are printed in order
      const maps::SheetMap& map = maps[static_cast<std::size_t>(current)];
      it->second.params = mapParamsText(map, params, catalogue, job.formats);
      if (paramsW > 0) {
        it->second.paramsFit = fitTextWidth(it->second.params, printFont, paramsW);
      } else {
        // A template without PARAMS_W: the print font as it is.
        const auto lines =
            static_cast<double>(std::count(it->second.params.begin(), it->second.params.end(), '\r') + 1);
        it->second.paramsFit = {printFont.size, false,
                                lines * report::textLineHeight(printFont) + 2 * report::kTextPadding};
      }
    }
    return it->second;
  };
  auto orderOf = [&]() -> const engine::CutSequence& {
    RecordValues& v = values();
    if (!v.order) v.order = maps::cutOrder(maps[static_cast<std::size_t>(current)]);
    return *v.order;
  };

  r.setVariableCallback([&](std::string_view name) -> std::optional<report::Value> {
    if (!valid()) return std::nullopt;
    const maps::SheetMap& map = maps[static_cast<std::size_t>(current)];
    if (text::equalsIgnoreCase(name, "DETALSLIST")) return report::Value::text(detalsListText(map));
    if (text::equalsIgnoreCase(name, "MAPPARAMS")) return report::Value::text(values().params);
    if (text::equalsIgnoreCase(name, "PARAMSH")) return report::Value::number(values().paramsFit.height);
    if (text::equalsIgnoreCase(name, "MAPDRAWH")) {
      const double ratio = mapRatio(map.length, map.width, mapW, mapH);
      return report::Value::number(ratio > 0 ? std::trunc(map.width * ratio) : mapH);
    }
    return std::nullopt;
  });

  const QColor printColour = windowsColour(params.mapFont.colour);
  // The part of the column beside the map the lists leave free: the table
  // of the cut order continues there.
  PartsListReportView* besideList = nullptr;
  const double roomGap = report::textLineHeight(printFont) / 2;
  r.setBeforePrint([&](report::ReportObject& o) {
    if (auto* t = dynamic_cast<report::TextObject*>(&o)) {
      t->font = printFont;
      t->color = printColour;
      // The parameters shrink to their width before they wrap.
      if (o.name == kMapParamsObjectName && valid()) {
        const FittedText& fit = values().paramsFit;
        t->font.size = fit.points;
        t->wordWrap = fit.wrap;
      }
      return;
    }
    if (!valid()) return;
    const maps::SheetMap& map = maps[static_cast<std::size_t>(current)];
    if (o.name == kMapObjectName) {
      besideList = nullptr;
      if (auto* view = dynamic_cast<MapReportView*>(&o))
        fillMapView(*view, map, mapW, mapH, params, job.styles, catalogue, params.printCutOrder ? &orderOf() : nullptr);
    } else if (o.name == kPartsListObjectName && (params.showDetailList || params.showBorderList)) {
      if (auto* list = dynamic_cast<PartsListReportView*>(&o)) {
        fillDetalsListView(*list, map, params, catalogue, job.withEdgeRows);
        besideList = list;
      }
    } else if (o.name == kCutOrderObjectName) {
      if (auto* table = dynamic_cast<CutOrderReportView*>(&o)) {
        if (params.printCutOrder) {
          fillCutOrderView(*table, map, orderOf(), params);
          shareColumn(besideList, *table, roomGap);
        } else {
          // No table: the lists go on in its room under the map.
          if (besideList && table->width > 0 && table->height > 0)
            listGoesOnIn(*besideList, QRectF(table->x, table->y, table->width, table->height));
          o.visible = false;
        }
      }
    }
  });
  return r.prepare();
}

}  // namespace kroyna::reports
