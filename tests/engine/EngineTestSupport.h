#pragma once

// Helpers shared by the engine tests: building one variant on a standard
// sheet or on given offcuts the way a pass prepares it.

#include "engine/EngineContext.h"
#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"
#include "engine/SheetLayout.h"
#include "support/EngineMapCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace kroyna::engine::test {

struct Cut {
  std::int32_t x, y, length;
  bool alongX;
  bool operator==(const Cut&) const = default;
};

struct Rect {
  std::int32_t x, y, length, width;
  bool operator==(const Rect&) const = default;
};

struct Place {
  std::int32_t detal, x, y;
  bool rotated;
  bool operator==(const Place&) const = default;
};

inline std::vector<Cut> cutsOf(const TSheetsList& layout) {
  std::vector<Cut> out;
  for (const TMillLine& c : layout.MillLines.All()) out.push_back({c.X, c.Y, c.Length, c.Orient});
  return out;
}

inline std::vector<Rect> regionsOf(const TSheetsList& layout) {
  std::vector<Rect> out;
  for (const TSheet& r : layout.Regions) out.push_back({r.X, r.Y, r.Length, r.Width});
  return out;
}

inline std::vector<Place> placementsOf(const TSheetsList& layout) {
  std::vector<Place> out;
  for (const TDetalHandle& p : layout.Placements.All()) out.push_back({p.DetalIndex, p.X, p.Y, p.Rotated});
  return out;
}

inline void PrintTo(const Cut& c, std::ostream* os) {
  *os << "{" << c.x << "," << c.y << "," << c.length << "," << (c.alongX ? "X" : "Y") << "}";
}
inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.x << "," << r.y << "," << r.length << "," << r.width << "}";
}
inline void PrintTo(const Place& p, std::ostream* os) {
  *os << "{#" << p.detal << " " << p.x << "," << p.y << (p.rotated ? " turned" : "") << "}";
}

// A context on a standard sheet of length x width with the given kerf and
// trims (all four the same).
inline void setSheet(EngineContext& ctx, std::int32_t length, std::int32_t width, std::int32_t kerf,
                     std::int32_t trim) {
  ctx.Params.SheetLength = length;
  ctx.Params.SheetWidth = width;
  ctx.Params.Kerf = kerf;
  ctx.Params.TrimLeft = ctx.Params.TrimRight = ctx.Params.TrimTop = ctx.Params.TrimBottom = trim;
}

// Prepares the parts the way a pass does (sorted, kerf on, pending reset)
// and builds variant `variant` on one standard sheet (sheet index 0), or on
// the given initial rectangles when `regions` is not empty. The kerf stays
// applied so that search coordinates can be checked.
inline TSheetsList& buildOne(EngineContext& ctx, std::int32_t variant, std::vector<TSheet> regions = {}) {
  ctx.Parts.SortBySize();
  ctx.Parts.ApplyKerf(true, ctx.Params.Kerf);
  ctx.Parts.ResetPending(true);
  ctx.Parts.ClearSkipped();
  if (regions.empty()) regions.push_back(ctx.StandardSheetRegion(0));
  ctx.InitialRegions = std::move(regions);
  ctx.Current = ctx.NewPassLayout();
  ctx.Bits = variant;
  ctx.Step = 0;
  ctx.PassNumber = 1;
  BuildVariant(ctx);
  return *ctx.Current;
}

// A row of a job's parts.
inline PartRow part(const std::string& name, std::int32_t length, std::int32_t width, std::int32_t many,
                    std::uint8_t rotate = RotateFree) {
  PartRow p;
  p.Name = name;
  p.Length = length;
  p.Width = width;
  p.Many = many;
  p.Rotate = rotate;
  return p;
}

}  // namespace kroyna::engine::test
