#include "engine/FinishedMap.h"

namespace kroyna::engine {

DrawnEdges DrawnEdgeCodes(const TDetal& part, bool rotated) {
  if (rotated) return {part.TBorder, part.BBorder, part.RBorder, part.LBorder};
  return {part.LBorder, part.RBorder, part.TBorder, part.BBorder};
}

FinishedMap MakeFinishedMap(const TSheetsList& layout, const TDetalsList& parts, std::int32_t kerf) {
  const std::int32_t h = kerf / 2;
  FinishedMap map;
  map.SheetLength = layout.SheetLength;
  map.SheetWidth = layout.SheetWidth;
  map.IsScrap = layout.IsScrap;
  map.Name = layout.Name;
  map.Quantity = layout.Quantity;
  map.Variant = layout.Variant;

  map.Parts.reserve(static_cast<std::size_t>(layout.Placements.Count()));
  for (const TDetalHandle& p : layout.Placements.All()) {
    const TDetal* d = parts.Items(p.DetalIndex);
    if (!d) continue;
    MapPart part;
    part.DetalIndex = p.DetalIndex;
    part.Row = d->Row;
    part.Name = d->Name;
    part.X = p.X + h;
    part.Y = p.Y + h;
    part.Length = p.Rotated ? d->Width : d->Length;
    part.Width = p.Rotated ? d->Length : d->Width;
    part.Rotated = p.Rotated;
    part.Edges = DrawnEdgeCodes(*d, p.Rotated);
    map.Parts.push_back(std::move(part));
  }

  for (const TSheet& r : layout.Regions) {
    if (r.Length - kerf > 0 && r.Width - kerf > 0)
      map.Offcuts.push_back(MapOffcut{r.X + h, r.Y + h, r.Length - kerf, r.Width - kerf});
  }

  map.Cuts.reserve(static_cast<std::size_t>(layout.MillLines.Count()));
  for (const TMillLine& c : layout.MillLines.All()) {
    MapCut cut;
    cut.X = c.X;
    cut.Y = c.Y;
    cut.Length = c.Length;
    cut.AlongX = c.Orient;
    if (c.Orient) {
      cut.BandX = c.X;
      cut.BandY = c.Y - h;
      cut.BandLength = c.Length;
      cut.BandWidth = kerf;
    } else {
      cut.BandX = c.X - h;
      cut.BandY = c.Y;
      cut.BandLength = kerf;
      cut.BandWidth = c.Length;
    }
    map.Cuts.push_back(cut);
  }
  map.MillCount = layout.MillCount();
  map.MillLength = layout.MillLength();
  return map;
}

}  // namespace kroyna::engine
