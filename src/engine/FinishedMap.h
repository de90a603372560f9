#pragma once

// What a finished map shows: the one translation from a layout of the
// result list (search coordinates, kerf-enlarged rectangles, cut centre
// lines) to sheet coordinates and true sizes. The maps window, the map-file
// writer and the headless cutter all build their maps from it.

#include "engine/CuttingModel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kroyna::engine {

// Edge codes of a drawn part, in the order left, right, top, bottom.
using DrawnEdges = std::array<std::int32_t, 4>;

struct MapPart {
  std::int32_t DetalIndex = 0;  // index in the parts list
  std::int32_t Row = -1;        // the part's TDetal::Row
  std::string Name;
  std::int32_t X = 0;  // drawn top-left corner
  std::int32_t Y = 0;
  std::int32_t Length = 0;  // drawn size along X (true size)
  std::int32_t Width = 0;   // drawn size along Y
  bool Rotated = false;
  DrawnEdges Edges{};  // edge codes on the drawn sides
};

struct MapOffcut {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Length = 0;
  std::int32_t Width = 0;
};

struct MapCut {
  // The centre line as the cut list holds it.
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Length = 0;
  bool AlongX = true;
  // The band of width k the saw removes, centred on the line.
  std::int32_t BandX = 0;
  std::int32_t BandY = 0;
  std::int32_t BandLength = 0;  // along X
  std::int32_t BandWidth = 0;   // along Y
};

struct FinishedMap {
  std::int32_t SheetLength = 0;
  std::int32_t SheetWidth = 0;
  bool IsScrap = false;
  std::string Name;
  std::int32_t Quantity = 0;
  std::int32_t Variant = -1;
  std::vector<MapPart> Parts;      // in the map's placement order
  std::vector<MapOffcut> Offcuts;  // in the map's free-rectangle order
  std::vector<MapCut> Cuts;        // in cut-list order
  std::int32_t MillCount = 0;
  std::int64_t MillLength = 0;
};

// Edge codes of a part as drawn: as given left, right, top, bottom are
// LBorder, RBorder, TBorder, BBorder; turned they are TBorder, BBorder,
// RBorder, LBorder.
DrawnEdges DrawnEdgeCodes(const TDetal& part, bool rotated);

// Builds the finished map of `layout` with the parts list holding true sizes
// (after the pass) and the kerf of the run. Only free rectangles with both
// sides above k become offcuts. Placements whose part index is outside the
// parts list are left out.
FinishedMap MakeFinishedMap(const TSheetsList& layout, const TDetalsList& parts, std::int32_t kerf);

}  // namespace kroyna::engine
