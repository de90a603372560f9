#pragma once

// The order of the cuts of a map as the maps window and the maps file hold
// it (engine/CutSequence.h): nothing of it is stored, so a map opened from
// any maps file gets its order from its parts, offcuts and cuts.

#include "engine/CutSequence.h"
#include "maps/model/MapModel.h"

#include <optional>

namespace kroyna::maps {

// The sheet, the kerf (MillSize), the parts and offcuts as drawn, and the
// cuts' centre lines, taken from their kerf bands. A map keeps no trims:
// without `trims` they are read from the map itself.
inline engine::SequenceInput cutOrderInput(const SheetMap& map, std::optional<engine::SheetTrims> trims = {}) {
  engine::SequenceInput in;
  in.sheetLength = map.length;
  in.sheetWidth = map.width;
  in.kerf = map.MillSize;
  in.offcutSheet = map.IsScraps;
  in.trims = trims;
  const std::int32_t e = map.MillSize / 2;
  for (const MapPart& p : map.Parts) in.parts.push_back({p.x, p.y, p.length, p.width});
  for (const MapOffcut& o : map.Offcuts) in.offcuts.push_back({o.x, o.y, o.length, o.width});
  for (const MapCut& c : map.Cuts) {
    if (c.MillOrient)
      in.cuts.push_back({c.x, c.y + e, c.length, true});
    else
      in.cuts.push_back({c.x + e, c.y, c.width, false});
  }
  return in;
}

inline engine::CutSequence cutOrder(const SheetMap& map, std::optional<engine::SheetTrims> trims = {}) {
  return engine::MakeCutSequence(cutOrderInput(map, trims));
}

}  // namespace kroyna::maps
