#pragma once

// Helpers shared by the engine tests: building one variant on a standard
// sheet or on given offcuts the way a pass prepares it.

#include "common/MapValidator.h"
#include "engine/EngineContext.h"
#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"
#include "engine/SheetLayout.h"

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

// The job and the result of a run as the validator takes them, and the
// faults it finds, one a line.
inline kroyna::test::VJob validatorJob(const MaterialInput& in) {
  kroyna::test::VJob job;
  const CuttingParameters& p = in.Params;
  job.kerf = p.Kerf;
  job.trimLeft = p.TrimLeft;
  job.trimRight = p.TrimRight;
  job.trimTop = p.TrimTop;
  job.trimBottom = p.TrimBottom;
  job.sheetLength = p.SheetLength;
  job.sheetWidth = p.SheetWidth;
  job.stockControl = p.StockControl;
  job.stockCount = in.StockCount;
  // The stage limit holds for the improved search, which a machine limit
  // keeps out.
  if (p.Improved && !p.MultiSaw && p.MaxCutLength == 0) {
    job.maxStages = p.MaxStages;
    job.firstStage = static_cast<int>(p.FirstStage);
  }
  if (p.UseOffcuts) {
    for (const OffcutRow& o : in.Offcuts)
      for (std::int32_t i = 0; i < o.Many; ++i) job.offcuts.push_back({o.Name, o.Length, o.Width});
  }
  for (const PartRow& r : in.Parts) job.parts.push_back({r.Length, r.Width, r.Many, r.Rotate});
  return job;
}

inline kroyna::test::VResult validatorResult(const EngineContext& ctx) {
  kroyna::test::VResult out;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const FinishedMap map = MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    kroyna::test::VMap m;
    m.sheetLength = map.SheetLength;
    m.sheetWidth = map.SheetWidth;
    m.offcut = map.IsScrap;
    m.name = map.Name;
    m.quantity = map.Quantity;
    for (const MapPart& p : map.Parts) m.parts.push_back({p.Row, p.X, p.Y, p.Length, p.Width, p.Rotated});
    for (const MapCut& c : map.Cuts) m.cuts.push_back({c.X, c.Y, c.Length, c.AlongX});
    out.maps.push_back(std::move(m));
  }
  for (int i = 0; i < ctx.Parts.Count(); ++i)
    if (ctx.Parts[i].Remaining > 0) out.unplaced[ctx.Parts[i].Row] = ctx.Parts[i].Remaining;
  return out;
}

inline std::string faultsOf(const MaterialInput& in, const EngineContext& ctx) {
  std::string out;
  for (const std::string& f : kroyna::test::validate(validatorJob(in), validatorResult(ctx))) out += f + "\n";
  return out;
}

}  // namespace kroyna::engine::test
