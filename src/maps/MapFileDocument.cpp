#include "maps/MapFileDocument.h"

namespace kroyna::maps {

MapFileData mapFileData(const MapsDocument& doc) {
  MapFileData data;
  data.format = MapFileFormat::Binary;
  MapFileHeader& h = data.header;
  h.caption = doc.caption().toStdString();
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
  for (int i = 0; i < doc.mapCount(); ++i) data.sheets.push_back(toRecord(doc.map(i), doc.isVisible(i)));
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

  for (const MapSheetRecord& s : data.sheets) doc.appendStoredMap(fromRecord(s));
  for (const MapUsedSheetRecord& u : data.usedSheets)
    doc.usingSheets().add(u.material, u.length, u.width, u.initial, u.remaining);

  // The old form keeps no kinds, colours or statistics: they come from
  // the settings and offcut criteria of today.
  if (!stored) doc.recompute();
  doc.applyMillMode();
}

}  // namespace kroyna::maps
