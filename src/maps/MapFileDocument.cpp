#include "maps/MapFileDocument.h"

namespace kroyna::maps {
namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }
std::string toUtf8(const QString& text) { return text.toStdString(); }

}  // namespace

MapFont toMapFont(const shell::FontKeys& f) {
  MapFont m;
  m.name = f.name;
  m.size = f.size;
  m.colour = f.colour;
  m.style = static_cast<std::uint8_t>((f.bold ? kFontBold : 0) | (f.italic ? kFontItalic : 0) |
                                      (f.underline ? kFontUnderline : 0) | (f.strikeOut ? kFontStrikeOut : 0));
  m.charset = f.charset;
  return m;
}

shell::FontKeys fromMapFont(const MapFont& m) {
  shell::FontKeys f;
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

MapFileData mapFileData(const MapsDocument& doc) {
  MapFileData data;
  data.format = MapFileFormat::Binary;
  MapFileHeader& h = data.header;
  h.caption = toUtf8(doc.caption());
  h.millMode = doc.millMode();
  h.showBorder = doc.showBorder();
  h.showScrapsText = doc.showScrapsText();
  h.showHints = doc.showHints();
  const MapColours& c = doc.colours();
  h.detalColour = c.detal;
  h.scrapColour = c.scrap;
  h.lostColour = c.lost;
  h.sheetColour = c.sheet;
  h.millColour = c.mill;
  h.font = toMapFont(doc.font());

  data.sheets.reserve(static_cast<std::size_t>(doc.mapCount()));
  for (int i = 0; i < doc.mapCount(); ++i) {
    const SheetMap& m = doc.map(i);
    MapSheetRecord s;
    s.sheetName = toUtf8(m.SheetName);
    s.caption = toUtf8(m.Caption);
    s.remark = toUtf8(m.Remark);
    s.material = m.MaterialCode;
    s.width = m.RealWidth;
    s.height = m.RealHeight;
    s.colour = m.Color;
    s.font = toMapFont(m.Font);
    s.millSize = m.MillSize;
    s.quantity = m.Quantity;
    s.isScraps = m.IsScraps;
    s.visible = doc.isVisible(i);
    s.scrapSquare = m.ScrapSquare;
    s.lostSquare = m.LostSquare;
    s.detalsSquare = m.DetalsSquare;
    s.millCount = m.MillLinesCount;
    s.millLength = m.MillLinesLength;
    s.parts.reserve(m.Parts.size());
    for (const MapPart& p : m.Parts) {
      MapPartRecord r;
      r.title = toUtf8(p.Title);
      r.left = p.RealLeft;
      r.top = p.RealTop;
      r.width = p.RealWidth;
      r.height = p.RealHeight;
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
      r.name = toUtf8(o.ScrapName);
      r.left = o.RealLeft;
      r.top = o.RealTop;
      r.width = o.RealWidth;
      r.height = o.RealHeight;
      r.colour = o.Color;
      r.useless = o.ScrapType == stLostScrap;
      r.showText = o.ShowText;
      r.showDim = o.ShowDim;
      s.offcuts.push_back(std::move(r));
    }
    s.cuts.reserve(m.Cuts.size());
    for (const MapCut& cut : m.Cuts)
      s.cuts.push_back(
          {cut.RealLeft, cut.RealTop, cut.RealWidth, cut.RealHeight, cut.Color, cut.MillOrient, cut.Visible});
    data.sheets.push_back(std::move(s));
  }
  for (const UsedSheet& u : doc.usingSheets().entries())
    data.usedSheets.push_back({u.materialCode, u.length, u.width, u.remaining, u.initial});
  return data;
}

void loadMapFileData(MapsDocument& doc, const MapFileData& data) {
  doc.clearMaps();
  doc.usingSheets().clear();
  const MapFileHeader& h = data.header;
  const bool stored = data.format == MapFileFormat::Binary;
  // Document-wide settings first, while the document holds no map, so that
  // every element keeps the flags stored with it.
  doc.setCaption(QString::fromStdString(h.caption));
  if (stored) {
    MapColours c;
    c.detal = h.detalColour;
    c.scrap = h.scrapColour;
    c.lost = h.lostColour;
    c.sheet = h.sheetColour;
    c.mill = h.millColour;
    doc.setColours(c);
  }
  doc.setMillMode(h.millMode);
  doc.setShowHints(h.showHints);
  doc.setShowBorder(h.showBorder);
  doc.setShowScrapsText(h.showScrapsText);
  doc.setFont(fromMapFont(h.font));

  for (const MapSheetRecord& s : data.sheets) {
    SheetMap m;
    m.MaterialCode = s.material;
    m.Caption = fromUtf8(s.caption);
    m.RealWidth = s.width;
    m.RealHeight = s.height;
    m.MillSize = s.millSize;
    m.Quantity = s.quantity;
    m.IsScraps = s.isScraps;
    m.SheetName = fromUtf8(s.sheetName);
    m.Remark = fromUtf8(s.remark);
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
      p.Title = fromUtf8(r.title);
      p.RealLeft = r.left;
      p.RealTop = r.top;
      p.RealWidth = r.width;
      p.RealHeight = r.height;
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
      o.ScrapName = fromUtf8(r.name);
      o.Text = o.ScrapName.isEmpty() ? QString::fromUtf8(kUsefulOffcutText) : o.ScrapName;
      o.RealLeft = r.left;
      o.RealTop = r.top;
      o.RealWidth = r.width;
      o.RealHeight = r.height;
      o.Color = r.colour;
      o.ScrapType = r.useless ? stLostScrap : stNormalScrap;
      o.ShowText = r.showText;
      o.ShowDim = r.showDim;
      m.Offcuts.push_back(std::move(o));
    }
    m.Cuts.reserve(s.cuts.size());
    for (const MapCutRecord& r : s.cuts) {
      MapCut c;
      c.RealLeft = r.left;
      c.RealTop = r.top;
      c.RealWidth = r.width;
      c.RealHeight = r.height;
      c.Color = r.colour;
      c.MillOrient = r.alongX;
      c.Visible = r.visible;
      m.Cuts.push_back(c);
    }
    doc.appendStoredMap(std::move(m));
  }
  for (const MapUsedSheetRecord& u : data.usedSheets)
    doc.usingSheets().add(u.material, u.length, u.width, u.initial, u.remaining);

  // The old form keeps no kinds, colours or statistics: they come from
  // the settings and offcut criteria of today.
  if (!stored) doc.recompute();
  doc.applyMillMode();
}

}  // namespace kroyna::maps
