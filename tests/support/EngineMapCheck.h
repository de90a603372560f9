#pragma once

// The engine's jobs and results as the map validator takes them: shared by
// the engine tests and the generated-jobs benchmark (no test framework).

#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"
#include "support/MapValidator.h"

#include <cstdint>
#include <string>

namespace kroyna::engine::test {

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
