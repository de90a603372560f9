#include "engine/VariantSearch.h"

#include "engine/SheetLayout.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace kroyna::engine {

void Accept(EngineContext& ctx, const TSheetsList& layout) {
  ctx.State = PassState::Normal;
  if (ctx.Params.StockControl) --ctx.StockCount;
  for (const TDetalHandle& p : layout.Placements.All()) {
    if (TDetal* d = ctx.Parts.Items(p.DetalIndex)) {
      --d->Remaining;
      d->Pending = d->Remaining;
    }
  }
}

bool RepeatPossible(EngineContext& ctx, const TSheetsList& layout) {
  ctx.State = PassState::Normal;
  if (ctx.Params.StockControl && ctx.StockCount < 1) {
    ctx.State = PassState::NoSheetLeft;
    return false;
  }
  // Without this a sheet with nothing on it would repeat for ever when
  // stock control is off.
  if (layout.Placements.Count() == 0) return false;
  ctx.Parts.ResetPending(false);
  bool enough = true;
  for (const TDetalHandle& p : layout.Placements.All()) {
    if (TDetal* d = ctx.Parts.Items(p.DetalIndex)) {
      if (--d->Pending < 0) enough = false;
    }
  }
  return enough;
}

namespace {

// ResetPending and ClearSkipped on the parts the variant touched, which is
// all they change: Pending back to Remaining, the orientation cleared
// (one-for-all ones only in the first pass), no part put aside.
void readyForNextVariant(EngineContext& ctx, bool firstPass) {
  for (const int i : ctx.TouchedParts) {
    TDetal& d = ctx.Parts[i];
    d.Pending = d.Remaining;
    if (firstPass || d.Rotate != RotateOneForAll) d.Orientation = OrientationNone;
    d.Skipped = false;
  }
  ctx.TouchedParts.clear();
}

}  // namespace

void BuildVariants(EngineContext& ctx, bool firstPass) {
  const std::int64_t total = static_cast<std::int64_t>(std::max(ctx.Params.Variants, 0)) + 1;
  if (ctx.Progress) ctx.Progress(0, total);
  ctx.LastOrientation = OrientationNone;
  ctx.Current = ctx.NewPassLayout();
  // A variant that a panel saw cannot cut (see IsGuillotine) is not taken;
  // the first one refused is kept in mind in case no variant can be taken.
  std::int64_t refused = -1;
  std::uint8_t refusedOrientation = OrientationNone;
  for (std::int64_t v = 0; v < total; ++v) {
    const std::uint8_t lastOrientation = ctx.LastOrientation;
    ctx.Bits = static_cast<std::int32_t>(v);
    ctx.Step = 0;
    // After a variant the parts are made ready for the next one (below).
    if (v == 0) {
      ctx.Parts.ResetPending(firstPass);
      ctx.Parts.ClearSkipped();
      ctx.TouchedParts.clear();
    }
    ctx.JoinedRegions = false;
    BuildVariant(ctx);
    LayoutPtr spare;
    if (ctx.JoinedRegions && !IsGuillotine(*ctx.Current, ctx.Parts)) {
      if (refused < 0) {
        refused = v;
        refusedOrientation = lastOrientation;
      }
      spare = std::move(ctx.Current);
    } else {
      spare = ctx.Variants.AddVariant(ctx.Current, static_cast<std::int32_t>(v), ctx.Parts, ctx.Params.Optimization);
    }
    readyForNextVariant(ctx, firstPass);
    ctx.Current.reset();
    if (ctx.Progress) ctx.Progress(v + 1, total);
    if (ctx.ProcessEvents) ctx.ProcessEvents();
    if (ctx.CheckDeadline() || v + 1 == total) break;
    ctx.Current = ctx.NewPassLayout(std::move(spare));
  }
  if (ctx.Variants.Count() == 0 && refused >= 0) {
    // Every variant built joined free rectangles across a cut that still
    // separates copies: the first of them is built again from the same
    // start without joins, which keeps every split a through-cut.
    const std::uint8_t afterwards = ctx.LastOrientation;
    ctx.LastOrientation = refusedOrientation;
    ctx.Bits = static_cast<std::int32_t>(refused);
    ctx.Step = 0;
    ctx.Current = ctx.NewPassLayout();
    ctx.KeepRegionsApart = true;
    BuildVariant(ctx);
    ctx.KeepRegionsApart = false;
    ctx.Variants.AddVariant(ctx.Current, static_cast<std::int32_t>(refused), ctx.Parts, ctx.Params.Optimization);
    readyForNextVariant(ctx, firstPass);
    ctx.LastOrientation = afterwards;
  }
  ctx.Parts.ApplyKerf(false, ctx.Params.Kerf);
  ctx.Current = ctx.Variants.Count() > 0 ? ctx.Variants.Items(0) : nullptr;
}

namespace {

// Whether some part fits some stock entry in an allowed orientation, with
// true sizes and without looking at quantities.
bool anyPartFitsStock(const TDetalsList& parts, const TSheetsList& stock) {
  for (const TSheet& entry : stock.Regions) {
    for (int i = 0; i < parts.Count(); ++i) {
      const TDetal& d = parts[i];
      if (d.Length <= entry.Length && d.Width <= entry.Width) return true;
      if (d.Rotate != RotateNever && d.Width <= entry.Length && d.Length <= entry.Width) return true;
    }
  }
  return false;
}

// Copies everything of stock entry `sheet` out of `from` into a new layout,
// each list scanned from its last entry to its first (so the entries land
// in reverse order; cuts go through AddCut again).
LayoutPtr takeSheet(const TSheetsList& from, std::int32_t sheet) {
  auto map = std::make_shared<TSheetsList>();
  for (auto it = from.Regions.rbegin(); it != from.Regions.rend(); ++it) {
    if (it->SheetIndex == sheet) map->Regions.push_back(*it);
  }
  const auto& placements = from.Placements.All();
  for (auto it = placements.rbegin(); it != placements.rend(); ++it) {
    if (it->SheetIndex == sheet)
      map->Placements.AddPlacement(it->DetalIndex, it->SheetIndex, {it->X, it->Y}, it->Rotated);
  }
  const auto& cuts = from.MillLines.All();
  for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
    if (it->SheetKey == sheet) map->MillLines.AddCut(it->X, it->Y, it->SheetKey, it->Orient, it->Length);
  }
  return map;
}

}  // namespace

PassState FirstPass(EngineContext& ctx) {
  CuttingParameters& params = ctx.Params;
  ctx.State = PassState::Normal;
  ctx.PlacedNothing = false;
  if (params.StockControl && ctx.StockCount <= 0) {
    ctx.State = PassState::NoSheetLeft;
    return ctx.State;
  }

  ctx.PassNumber = 1;
  ctx.Parts.SortBySize();

  // Offcuts only when some part fits one of them, else one standard sheet.
  ctx.Stock.SortBySize();
  if (!anyPartFitsStock(ctx.Parts, ctx.Stock)) {
    ctx.Stock.AddRegion("", 0, 0, params.SheetLength, params.SheetWidth, 0);
    ctx.Stock.SortBySize();
  }

  ctx.InitialRegions.clear();
  for (int i = 0; i < ctx.Stock.RegionCount(); ++i) {
    const TSheet& entry = ctx.Stock.Region(i);
    ctx.InitialRegions.push_back(entry.IsScrap ? ctx.OffcutRegion(entry, i) : ctx.StandardSheetRegion(i));
  }

  ctx.Parts.ApplyKerf(true, params.Kerf);
  BuildVariants(ctx, true);
  LayoutPtr chosen = ctx.Current;
  if (!chosen) {
    ctx.PlacedNothing = true;
    return ctx.State;
  }
  Accept(ctx, *chosen);

  // One finished map per stock entry that received a copy.
  for (int i = 0; i < ctx.Stock.RegionCount(); ++i) {
    const TSheet& entry = ctx.Stock.Region(i);
    LayoutPtr map = takeSheet(*chosen, i);
    if (map->Placements.Count() == 0) continue;
    map->Name = entry.Name;
    map->SheetLength = entry.Length;
    map->SheetWidth = entry.Width;
    map->IsScrap = entry.IsScrap;
    map->Quantity = 1;
    ctx.Results.AddVariant(map, chosen->Variant, ctx.Parts, params.Optimization);
  }
  // Every rectangle, placement and cut belongs to one stock entry, so the
  // chosen layout has been taken apart completely.
  chosen->Regions.clear();
  chosen->Placements.Clear();
  chosen->MillLines.Clear();

  // Identical maps (same sheet, name and parts) become one with a quantity;
  // of each group the last one survives.
  for (int j = ctx.Results.Count() - 1; j >= 0; --j) {
    if (j >= ctx.Results.Count()) continue;
    const LayoutPtr map = ctx.Results.Items(j);
    const int same = ctx.Results.IndexOfSame(*map);
    if (same >= 0) {
      ++map->Quantity;
      ctx.Results.Delete(same);
    }
  }
  ctx.Current = ctx.Results.Count() > 0 ? ctx.Results.Items(0) : nullptr;

  // The standard-sheet map is cut again for as long as copies and sheets last.
  LayoutPtr standard;
  for (int i = 0; i < ctx.Results.Count() && !standard; ++i) {
    if (!ctx.Results.Items(i)->IsScrap) standard = ctx.Results.Items(i);
  }
  if (standard) {
    ctx.Current = standard;
    std::int32_t quantity = 1;
    while (RepeatPossible(ctx, *standard)) {
      Accept(ctx, *standard);
      ++quantity;
    }
    if (ctx.State == PassState::NoSheetLeft) ctx.State = PassState::SheetsUsedUp;
    standard->Quantity = quantity;
  } else if (params.StockControl) {
    ++ctx.StockCount;  // only offcuts were used: the sheet counted by Accept goes back
  }

  if (ctx.Current && !ctx.Current->IsScrap) FinishStandardSheet(*ctx.Current, params);

  // All maps of the pass come from one variant, so their one-for-all
  // orientations agree; fixing them from every map (not only the current
  // one) keeps a part placed on an offcut map from being turned the other
  // way on a later sheet.
  for (int i = 0; i < ctx.Results.Count(); ++i) ctx.Parts.FixOrientations(*ctx.Results.Items(i));

  ctx.PlacedNothing = ctx.Results.Count() == 0;
  return ctx.State;
}

PassState LaterPass(EngineContext& ctx) {
  CuttingParameters& params = ctx.Params;
  ctx.State = PassState::Normal;
  ctx.PlacedNothing = false;
  if (params.StockControl && ctx.StockCount <= 0) {
    ctx.State = PassState::NoSheetLeft;
    return ctx.State;
  }
  if (ctx.Parts.AllPlaced()) {
    ctx.State = PassState::AllPlaced;
    return ctx.State;
  }

  ++ctx.PassNumber;
  // The search takes the parts largest first. The first pass sorts them;
  // when it found no sheet in stock it returned before sorting, and the
  // later passes must not then run on the list in table order. On a list
  // already sorted the sort exchanges nothing, so the part indices of the
  // maps made so far stay valid.
  ctx.Parts.SortBySize();
  ctx.Parts.ApplyKerf(true, params.Kerf);
  ctx.InitialRegions.assign(1, ctx.StandardSheetRegion(1));

  // The layout the previous pass kept lives on as a map of the result list.
  ctx.Variants.RemoveShared(ctx.Results);
  ctx.Variants = TVariantsList();
  ctx.Variants.KeepBest = true;

  BuildVariants(ctx, false);
  LayoutPtr map = ctx.Current;
  if (!map || map->Placements.Count() == 0) {
    // Repeating an empty sheet would never end: the material stops here.
    ctx.PlacedNothing = true;
    return ctx.State;
  }

  Accept(ctx, *map);
  map->IsScrap = false;
  map->SheetLength = params.SheetLength;
  map->SheetWidth = params.SheetWidth;
  std::int32_t quantity = 1;
  while (RepeatPossible(ctx, *map)) {
    Accept(ctx, *map);
    ++quantity;
  }
  if (ctx.State == PassState::NoSheetLeft) ctx.State = PassState::SheetsUsedUp;
  map->Quantity = quantity;
  ctx.Results.AddVariant(map, map->Variant, ctx.Parts, params.Optimization);
  FinishStandardSheet(*map, params);
  return ctx.State;
}

}  // namespace kroyna::engine
