#include "maps/MapFileBuild.h"

namespace kroyna::maps {

MapSheetRecord buildMapSheet(const engine::FinishedMap& map, const std::string& tabCaption,
                             const MapBuildSettings& settings) {
  const MapFileHeader& doc = settings.document;
  auto edgeColour = [&](std::int32_t code) {
    return settings.edgeColour ? settings.edgeColour(code, doc.detalColour) : doc.detalColour;
  };
  MapSheetRecord s;
  s.caption = tabCaption;
  s.material = settings.material;
  s.remark = settings.remark;
  s.sheetName = map.Name;
  s.width = map.SheetLength;
  s.height = map.SheetWidth;
  s.quantity = map.Quantity;
  s.isScraps = map.IsScrap;
  s.millSize = settings.kerf;
  s.colour = doc.sheetColour;
  s.font = doc.font;
  s.millCount = map.MillCount;
  s.millLength = static_cast<double>(map.MillLength);

  s.parts.reserve(map.Parts.size());
  for (const engine::MapPart& p : map.Parts) {
    MapPartRecord r;
    r.title = p.Name;
    r.left = p.X;
    r.top = p.Y;
    r.width = p.Length;
    r.height = p.Width;
    r.brushColour = doc.detalColour;
    r.showTitle = settings.showTitle;
    r.showDim = settings.showDim;
    r.showBorder = doc.showBorder;
    r.edges = {p.Edges[0], p.Edges[1], p.Edges[2], p.Edges[3]};
    for (std::size_t i = 0; i < 4; ++i) r.edgeColours[i] = edgeColour(r.edges[i]);
    s.detalsSquare += double(p.Length) * double(p.Width);
    s.parts.push_back(std::move(r));
  }
  s.offcuts.reserve(map.Offcuts.size());
  for (const engine::MapOffcut& o : map.Offcuts) {
    MapOffcutRecord r;
    r.left = o.X;
    r.top = o.Y;
    r.width = o.Length;
    r.height = o.Width;
    r.useless = settings.isWaste && settings.isWaste(o.Length, o.Width);
    if (r.useless) {
      r.colour = doc.lostColour;
    } else {
      r.colour = doc.scrapColour;
      r.showDim = doc.showScrapsText;
      r.showText = r.showDim;
      s.scrapSquare += double(o.Length) * double(o.Width);
    }
    s.offcuts.push_back(std::move(r));
  }
  s.cuts.reserve(map.Cuts.size());
  for (const engine::MapCut& c : map.Cuts)
    s.cuts.push_back({c.BandX, c.BandY, c.BandLength, c.BandWidth, doc.millColour, c.AlongX, true});
  s.lostSquare = double(s.width) * double(s.height) - (s.detalsSquare + s.scrapSquare);
  return s;
}

void applyMillMode(MapFileData& data) {
  const int mode = data.header.millMode;
  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    const bool shown = mode == 1 || (mode == 2 && i + 1 == data.sheets.size());
    for (MapCutRecord& c : data.sheets[i].cuts) c.visible = shown;
  }
}

std::string runTabCaption(int tabsBefore, std::int64_t sheetsBefore, std::int32_t quantity,
                          const std::string& sheetName) {
  std::string text = std::to_string(tabsBefore + 1) + ": ";
  if (quantity > 1)
    text += "Листы " + std::to_string(sheetsBefore + 1) + " - " + std::to_string(sheetsBefore + quantity);
  else
    text += "Лист " + std::to_string(sheetsBefore + 1);
  if (!sheetName.empty()) text += " (" + sheetName + ")";
  return text;
}

}  // namespace kroyna::maps
