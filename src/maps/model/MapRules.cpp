#include "maps/model/MapRules.h"

#include <algorithm>
#include <map>

#include "engine/FinishedMap.h"

namespace kroyna::maps {

// ---- UsedSheets ----

void UsedSheets::add(int materialCode, std::int32_t length, std::int32_t width, std::int32_t initial,
                     std::int32_t remaining) {
  entries_.push_back(UsedSheet{materialCode, length, width, remaining, initial});
}

bool UsedSheets::setRemaining(int materialCode, std::int32_t length, std::int32_t width, std::int32_t remaining) {
  bool found = false;
  for (UsedSheet& e : entries_) {
    if (e.materialCode == materialCode && e.length == length && e.width == width) {
      e.remaining = remaining;
      found = true;
    }
  }
  return found;
}

// ---- From the engine ----

SheetMap makeMap(const engine::FinishedMap& finished, const NewMap& settings) {
  SheetMap m;
  m.MaterialCode = settings.materialCode;
  m.Caption = settings.caption;
  m.length = finished.SheetLength;
  m.width = finished.SheetWidth;
  m.Quantity = finished.Quantity;
  m.IsScraps = finished.IsScrap;
  m.SheetName = finished.Name;
  m.MillSize = settings.kerf;
  m.Remark = settings.remark;
  m.Font = settings.font;
  m.MillLinesCount = finished.MillCount;
  m.MillLinesLength = static_cast<double>(finished.MillLength);

  m.Parts.reserve(finished.Parts.size());
  for (const engine::MapPart& p : finished.Parts) {
    MapPart part;
    part.x = p.X;
    part.y = p.Y;
    part.length = p.Length;
    part.width = p.Width;
    part.LeftBorder = p.Edges[0];
    part.RightBorder = p.Edges[1];
    part.TopBorder = p.Edges[2];
    part.BottomBorder = p.Edges[3];
    part.Title = p.Name;
    part.ShowTitle = settings.showTitle;
    part.ShowDim = settings.showDim;
    part.ShowBorder = settings.showBorder;
    m.Parts.push_back(std::move(part));
  }
  m.Offcuts.reserve(finished.Offcuts.size());
  for (const engine::MapOffcut& o : finished.Offcuts) {
    MapOffcut offcut;
    offcut.x = o.X;
    offcut.y = o.Y;
    offcut.length = o.Length;
    offcut.width = o.Width;
    m.Offcuts.push_back(std::move(offcut));
  }
  m.Cuts.reserve(finished.Cuts.size());
  for (const engine::MapCut& c : finished.Cuts) {
    MapCut cut;
    cut.x = c.BandX;
    cut.y = c.BandY;
    cut.length = c.BandLength;
    cut.width = c.BandWidth;
    cut.MillOrient = c.AlongX;
    m.Cuts.push_back(cut);
  }
  return m;
}

// ---- Kinds, colours, statistics ----

void setOffcutKind(MapOffcut& o, bool useful, const MapColours& colours, bool showScrapsText) {
  if (useful) {
    o.ScrapType = stNormalScrap;
    o.Color = colours.scrap;
    o.ShowDim = showScrapsText;
    o.Text = o.ScrapName.empty() ? kUsefulOffcutText : o.ScrapName;
    o.ShowText = o.ShowDim;
  } else {
    o.ScrapType = stLostScrap;
    o.Color = colours.lost;
    o.Text = kUselessOffcutText;
    o.ShowText = false;
    o.ShowDim = false;
  }
}

void recomputeSquares(SheetMap& m) {
  m.DetalsSquare = 0;
  m.ScrapSquare = 0;
  for (const MapPart& p : m.Parts) m.DetalsSquare += p.area();
  for (const MapOffcut& o : m.Offcuts)
    if (o.useful()) m.ScrapSquare += o.area();
  m.LostSquare = m.sheetArea() - (m.DetalsSquare + m.ScrapSquare);
  m.TotalSquare = m.ScrapSquare + m.LostSquare;
}

void classifyMap(SheetMap& m, const common::ScrapCriteria& criteria, const MapColours& colours, const MapLook& look,
                 bool showScrapsText) {
  m.Color = colours.sheet;
  for (MapCut& c : m.Cuts) c.Color = colours.mill;
  for (MapPart& p : m.Parts) {
    p.BrushColor = colours.detal;
    p.LeftBorderColor = look.edgeColour(p.LeftBorder, colours.detal);
    p.RightBorderColor = look.edgeColour(p.RightBorder, colours.detal);
    p.TopBorderColor = look.edgeColour(p.TopBorder, colours.detal);
    p.BottomBorderColor = look.edgeColour(p.BottomBorder, colours.detal);
  }
  for (MapOffcut& o : m.Offcuts)
    setOffcutKind(o, common::isUseful(criteria, o.length, o.width), colours, showScrapsText);
  recomputeSquares(m);
}

MapColours classifyMaps(std::vector<SheetMap>& maps, const MapLook& look, bool showScrapsText) {
  const MapColours colours = look.colours();
  std::map<int, common::ScrapCriteria> criteria;
  for (SheetMap& m : maps) {
    auto it = criteria.find(m.MaterialCode);
    if (it == criteria.end()) it = criteria.emplace(m.MaterialCode, look.scrapCriteria(m.MaterialCode)).first;
    classifyMap(m, it->second, colours, look, showScrapsText);
  }
  return colours;
}

// ---- Cuts shown ----

bool isMapShown(const SheetMap& map, int materialFilter) {
  return materialFilter == kAllMaterials || map.MaterialCode == materialFilter;
}

int lastMapForCuts(const std::vector<SheetMap>& maps, int materialFilter) {
  for (int i = static_cast<int>(maps.size()) - 1; i >= 0; --i)
    if (isMapShown(maps[static_cast<std::size_t>(i)], materialFilter)) return i;
  return -1;
}

void applyMillMode(std::vector<SheetMap>& maps, int millMode, int materialFilter) {
  const int last = lastMapForCuts(maps, materialFilter);
  for (std::size_t i = 0; i < maps.size(); ++i) {
    const bool shown = millMode == MillShown || (millMode == MillLastSheet && static_cast<int>(i) == last);
    for (MapCut& c : maps[i].Cuts) c.Visible = shown;
  }
}

// ---- Tab captions ----

std::string TabCaptions::next(int tabsBefore, const engine::FinishedMap& map) {
  return next(tabsBefore, map.Quantity, map.IsScrap, map.Name);
}

std::string TabCaptions::next(int tabsBefore, std::int32_t quantity, bool isOffcut, const std::string& sheetName) {
  // A map is cut at least once, whatever a damaged count says.
  const std::int64_t q = std::max<std::int32_t>(1, quantity);
  std::string text = std::to_string(tabsBefore + 1) + ": ";
  if (q > 1)
    text += "Листы " + std::to_string(sheets_ + 1) + " - " + std::to_string(sheets_ + q);
  else
    text += "Лист " + std::to_string(sheets_ + 1);
  if (isOffcut && !sheetName.empty()) text += " (" + sheetName + ")";
  sheets_ += q;
  return text;
}

// ---- Edge banding used ----

void addPartEdgeUse(EdgeUse& use, std::int32_t length, std::int32_t width, const std::array<std::int32_t, 4>& edges,
                    long long times, const std::function<int(int code)>& allowance) {
  auto add = [&](int code, long long side) {
    auto it = std::find_if(use.begin(), use.end(), [code](const auto& e) { return e.first == code; });
    if (it == use.end()) it = use.insert(use.end(), {code, 0});
    it->second += times * (side + (allowance ? allowance(code) : 0));
  };
  // Top and bottom first, then left and right, as the totals always listed
  // them.
  add(edges[2], length);
  add(edges[3], length);
  add(edges[0], width);
  add(edges[1], width);
}

// ---- Records of the maps file ----

MapFont toMapFont(const common::FontKeys& f) {
  MapFont m;
  m.name = f.name;
  m.size = f.size;
  m.colour = f.colour;
  m.style = static_cast<std::uint8_t>((f.bold ? kFontBold : 0) | (f.italic ? kFontItalic : 0) |
                                      (f.underline ? kFontUnderline : 0) | (f.strikeOut ? kFontStrikeOut : 0));
  m.charset = f.charset;
  return m;
}

common::FontKeys fromMapFont(const MapFont& m) {
  common::FontKeys f;
  f.name = m.name;
  f.size = m.size;
  f.colour = m.colour;
  f.bold = (m.style & kFontBold) != 0;
  f.italic = (m.style & kFontItalic) != 0;
  f.underline = (m.style & kFontUnderline) != 0;
  f.strikeOut = (m.style & kFontStrikeOut) != 0;
  f.charset = m.charset;
  return f;
}

MapSheetRecord toRecord(const SheetMap& m, bool shown) {
  MapSheetRecord s;
  s.sheetName = m.SheetName;
  s.caption = m.Caption;
  s.remark = m.Remark;
  s.material = m.MaterialCode;
  s.width = m.length;
  s.height = m.width;
  s.colour = m.Color;
  s.font = toMapFont(m.Font);
  s.millSize = m.MillSize;
  s.quantity = m.Quantity;
  s.isScraps = m.IsScraps;
  s.visible = shown;
  s.scrapSquare = m.ScrapSquare;
  s.lostSquare = m.LostSquare;
  s.detalsSquare = m.DetalsSquare;
  s.millCount = m.MillLinesCount;
  s.millLength = m.MillLinesLength;
  s.parts.reserve(m.Parts.size());
  for (const MapPart& p : m.Parts) {
    MapPartRecord r;
    r.title = p.Title;
    r.left = p.x;
    r.top = p.y;
    r.width = p.length;
    r.height = p.width;
    r.brushColour = p.BrushColor;
    r.showTitle = p.ShowTitle;
    r.showDim = p.ShowDim;
    r.showBorder = p.ShowBorder;
    r.edges = {p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder};
    r.edgeColours = {p.LeftBorderColor, p.RightBorderColor, p.TopBorderColor, p.BottomBorderColor};
    s.parts.push_back(std::move(r));
  }
  s.offcuts.reserve(m.Offcuts.size());
  for (const MapOffcut& o : m.Offcuts) {
    MapOffcutRecord r;
    r.name = o.ScrapName;
    r.left = o.x;
    r.top = o.y;
    r.width = o.length;
    r.height = o.width;
    r.colour = o.Color;
    r.useless = o.ScrapType == stLostScrap;
    r.showText = o.ShowText;
    r.showDim = o.ShowDim;
    s.offcuts.push_back(std::move(r));
  }
  s.cuts.reserve(m.Cuts.size());
  for (const MapCut& c : m.Cuts) s.cuts.push_back({c.x, c.y, c.length, c.width, c.Color, c.MillOrient, c.Visible});
  return s;
}

SheetMap fromRecord(const MapSheetRecord& s) {
  SheetMap m;
  m.MaterialCode = s.material;
  m.Caption = s.caption;
  m.length = s.width;
  m.width = s.height;
  m.MillSize = s.millSize;
  m.Quantity = s.quantity;
  m.IsScraps = s.isScraps;
  m.SheetName = s.sheetName;
  m.Remark = s.remark;
  m.Color = s.colour;
  m.Font = fromMapFont(s.font);
  m.MillLinesCount = s.millCount;
  m.MillLinesLength = s.millLength;
  m.ScrapSquare = s.scrapSquare;
  m.LostSquare = s.lostSquare;
  m.DetalsSquare = s.detalsSquare;
  m.TotalSquare = s.scrapSquare + s.lostSquare;
  m.Parts.reserve(s.parts.size());
  for (const MapPartRecord& r : s.parts) {
    MapPart p;
    p.Title = r.title;
    p.x = r.left;
    p.y = r.top;
    p.length = r.width;
    p.width = r.height;
    p.BrushColor = r.brushColour;
    p.ShowTitle = r.showTitle;
    p.ShowDim = r.showDim;
    p.ShowBorder = r.showBorder;
    p.LeftBorder = r.edges[0];
    p.RightBorder = r.edges[1];
    p.TopBorder = r.edges[2];
    p.BottomBorder = r.edges[3];
    p.LeftBorderColor = r.edgeColours[0];
    p.RightBorderColor = r.edgeColours[1];
    p.TopBorderColor = r.edgeColours[2];
    p.BottomBorderColor = r.edgeColours[3];
    m.Parts.push_back(std::move(p));
  }
  m.Offcuts.reserve(s.offcuts.size());
  for (const MapOffcutRecord& r : s.offcuts) {
    MapOffcut o;
    o.ScrapName = r.name;
    o.x = r.left;
    o.y = r.top;
    o.length = r.width;
    o.width = r.height;
    o.Color = r.colour;
    o.ScrapType = r.useless ? stLostScrap : stNormalScrap;
    // The label follows the kind; the file keeps no label.
    o.Text = r.useless ? kUselessOffcutText : (o.ScrapName.empty() ? kUsefulOffcutText : o.ScrapName);
    o.ShowText = r.showText;
    o.ShowDim = r.showDim;
    m.Offcuts.push_back(std::move(o));
  }
  m.Cuts.reserve(s.cuts.size());
  for (const MapCutRecord& r : s.cuts) {
    MapCut c;
    c.x = r.left;
    c.y = r.top;
    c.length = r.width;
    c.width = r.height;
    c.Color = r.colour;
    c.MillOrient = r.alongX;
    c.Visible = r.visible;
    m.Cuts.push_back(c);
  }
  return m;
}

}  // namespace kroyna::maps
