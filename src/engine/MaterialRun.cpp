#include "engine/MaterialRun.h"

#include "engine/VariantSearch.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace kroyna::engine {

std::string NoPartsMessage(const std::string& materialName) {
  return "Разложение невозможно!\r\rТекущая база не содержит деталей из материала <" + materialName + ">.";
}

std::string PartTooLargeMessage(const std::string& materialName) {
  return "Разложение деталей материала <" + materialName +
         "> невозможно!\r\rРазмер одной или более деталей больше размера листа.";
}

std::string OutOfRangeMessage(const std::string& materialName) {
  return "Разложение деталей материала <" + materialName +
         "> невозможно!\r\rРазмеры листа, остатков или деталей, пропил или отступы вне допустимых пределов.";
}

bool FitsStandardSheet(const CuttingParameters& params, std::int32_t length, std::int32_t width, std::uint8_t rotate) {
  const std::int64_t usableL = static_cast<std::int64_t>(params.SheetLength) - params.TrimLeft - params.TrimRight;
  const std::int64_t usableW = static_cast<std::int64_t>(params.SheetWidth) - params.TrimTop - params.TrimBottom;
  const bool asGiven = length <= usableL && width <= usableW;
  const bool turned = width <= usableL && length <= usableW;
  return rotate == RotateNever ? asGiven : (asGiven || turned);
}

namespace {

bool inRange(std::int64_t value, std::int64_t lo, std::int64_t hi) { return value >= lo && value <= hi; }

// Whether every number of the material is one the engine can work with.
bool numbersInRange(const MaterialInput& input) {
  const CuttingParameters& p = input.Params;
  const std::int64_t max = kMaxEngineLength;
  if (!inRange(p.Kerf, 0, max) || !inRange(p.TrimLeft, 0, max) || !inRange(p.TrimRight, 0, max) ||
      !inRange(p.TrimTop, 0, max) || !inRange(p.TrimBottom, 0, max) || !inRange(p.SheetLength, 1, max) ||
      !inRange(p.SheetWidth, 1, max))
    return false;
  std::int64_t copies = 0;
  for (const PartRow& row : input.Parts) {
    // Rows without a size are passed over as rows without copies are.
    if (row.Many <= 0 || row.Length <= 0 || row.Width <= 0) continue;
    if (row.Length > max || row.Width > max) return false;
    copies += row.Many;
  }
  if (copies > std::numeric_limits<std::int32_t>::max()) return false;
  if (!p.UseOffcuts) return true;
  std::int64_t offcuts = 0;
  for (const OffcutRow& row : input.Offcuts) {
    if (row.Many <= 0) continue;
    if (!inRange(row.Length, 1, max) || !inRange(row.Width, 1, max)) return false;
    offcuts += row.Many;
  }
  return offcuts <= kMaxEngineOffcuts;
}

}  // namespace

std::optional<std::string> LoadMaterial(EngineContext& ctx, const MaterialInput& input) {
  ctx.Reset();
  if (!numbersInRange(input)) return OutOfRangeMessage(input.MaterialName);
  ctx.Params = input.Params;
  ctx.StockCount = input.StockCount;

  if (input.Params.UseOffcuts) {
    for (const OffcutRow& row : input.Offcuts) {
      for (std::int32_t i = 0; i < row.Many; ++i) ctx.AddStockOffcut(row.Name, row.Length, row.Width);
    }
  }

  bool allFit = true;
  for (std::size_t row = 0; row < input.Parts.size(); ++row) {
    const PartRow& p = input.Parts[row];
    // A row without copies or without a size has nothing to cut: a part
    // of zero length would be "placed" as a sliver of kerf.
    if (p.Many <= 0 || p.Length <= 0 || p.Width <= 0) continue;
    TDetal& d = ctx.Parts.AddDetal(p.Name, p.Length, p.Width, p.Many, p.Rotate);
    d.LBorder = p.LBorder;
    d.RBorder = p.RBorder;
    d.TBorder = p.TBorder;
    d.BBorder = p.BBorder;
    d.Row = static_cast<std::int32_t>(row);
    if (!FitsStandardSheet(input.Params, p.Length, p.Width, p.Rotate)) allFit = false;
  }

  if (ctx.Parts.Count() == 0) return NoPartsMessage(input.MaterialName);
  if (!allFit) return PartTooLargeMessage(input.MaterialName);
  return std::nullopt;
}

namespace {

// Applies the user's answer when standard sheets ran out; false when the
// material ends.
bool goOnAfterRunOut(EngineContext& ctx, const MaterialHooks& hooks, MaterialOutcome& outcome) {
  const RunOutAnswer answer = hooks.SheetsRunOut ? hooks.SheetsRunOut(ctx) : RunOutAnswer{};
  switch (answer.Action) {
    case RunOutAnswer::Choice::Finish: outcome.End = MaterialEnd::Finished; return false;
    case RunOutAnswer::Choice::ContinueUnlimited: ctx.Params.StockControl = false; break;
    case RunOutAnswer::Choice::OtherSize:
      ctx.Params.SheetLength = answer.SheetLength;
      ctx.Params.SheetWidth = answer.SheetWidth;
      ctx.StockCount = answer.StockCount;
      break;
  }
  ctx.State = PassState::Normal;
  return true;
}

SearchUsed summary(const std::vector<SearchUsed>& maps, SearchUsed fallback) {
  if (std::find(maps.begin(), maps.end(), SearchUsed::Improved) != maps.end()) return SearchUsed::Improved;
  return maps.empty() ? fallback : maps.front();
}

MaterialOutcome runImproved(EngineContext& ctx, const MaterialHooks& hooks, MaterialOutcome outcome) {
  const SearchUsed document = DocumentSearchOf(ctx.Params);
  for (bool first = true;; first = false) {
    if (ctx.Abort) {
      outcome.End = MaterialEnd::Aborted;
      break;
    }
    if (hooks.BeforePass) hooks.BeforePass(ctx);
    const int firstMap = ctx.Results.Count();
    ImprovedPassInfo info;
    try {
      outcome.LastState = ImprovedPass(ctx, first, info);
    } catch (const std::exception& e) {
      outcome.End = MaterialEnd::Failed;
      outcome.Failure = e.what();
      break;
    } catch (...) {
      outcome.End = MaterialEnd::Failed;
      outcome.Failure = "unknown error";
      break;
    }
    outcome.Stopped = outcome.Stopped || info.Stopped;
    // Hands the new maps over, one call per pass that made them.
    for (int i = firstMap; i < ctx.Results.Count();) {
      const std::int32_t pass = info.MapPasses[static_cast<std::size_t>(i - firstMap)];
      int end = i;
      while (end < ctx.Results.Count() && info.MapPasses[static_cast<std::size_t>(end - firstMap)] == pass) {
        outcome.MapPasses.push_back(pass);
        outcome.MapSearch.push_back(info.UsedImproved ? SearchUsed::Improved : document);
        ++end;
      }
      if (hooks.MapsReady) hooks.MapsReady(ctx, i, end - i, pass);
      i = end;
    }
    if (ctx.Results.Count() > firstMap && ctx.Params.StockControl && hooks.StockCountChanged)
      hooks.StockCountChanged(ctx);
    if (ctx.Parts.AllPlaced()) {
      outcome.End = MaterialEnd::AllPlaced;
      break;
    }
    if (ctx.Abort || info.Stopped) {
      outcome.End = MaterialEnd::Aborted;
      break;
    }
    if (!(ctx.Params.StockControl && ctx.StockCount <= 0)) {
      // Copies are left although sheets are not: they fit no sheet offered.
      outcome.End = MaterialEnd::PlacedNothing;
      break;
    }
    if (!goOnAfterRunOut(ctx, hooks, outcome)) break;
  }
  outcome.Search = summary(outcome.MapSearch, document);
  return outcome;
}

}  // namespace

MaterialOutcome RunMaterial(EngineContext& ctx, const MaterialHooks& hooks) {
  MaterialOutcome outcome;
  outcome.Search = DocumentSearchOf(ctx.Params);
  if (ctx.Params.Improved) {
    outcome.Fallback = ImprovedFallbackFor(ctx);
    if (outcome.Fallback == ImprovedFallback::None) return runImproved(ctx, hooks, outcome);
  }

  auto handOver = [&](int first) {
    const int count = ctx.Results.Count() - first;
    for (int i = 0; i < count; ++i) {
      outcome.MapPasses.push_back(ctx.PassNumber);
      outcome.MapSearch.push_back(outcome.Search);
    }
    if (count > 0 && hooks.MapsReady) hooks.MapsReady(ctx, first, count, ctx.PassNumber);
    if (count > 0 && ctx.Params.StockControl && hooks.StockCountChanged) hooks.StockCountChanged(ctx);
  };

  if (ctx.Abort) {
    outcome.End = MaterialEnd::Aborted;
    return outcome;
  }
  if (hooks.BeforePass) hooks.BeforePass(ctx);
  outcome.LastState = FirstPass(ctx);
  handOver(0);
  if (ctx.PlacedNothing && ctx.State != PassState::NoSheetLeft) {
    outcome.End = MaterialEnd::PlacedNothing;
    return outcome;
  }

  for (;;) {
    if (ctx.Parts.AllPlaced()) {
      // The state stays that of the pass that placed the last copy.
      outcome.End = MaterialEnd::AllPlaced;
      return outcome;
    }
    if (ctx.Abort) {
      outcome.End = MaterialEnd::Aborted;
      return outcome;
    }
    if (ctx.State != PassState::NoSheetLeft) {
      if (hooks.BeforePass) hooks.BeforePass(ctx);
      const int first = ctx.Results.Count();
      outcome.LastState = LaterPass(ctx);
      if (ctx.PlacedNothing) {
        outcome.End = MaterialEnd::PlacedNothing;
        return outcome;
      }
      if (ctx.State != PassState::NoSheetLeft) {
        handOver(first);
        continue;
      }
    }

    // No standard sheet left, copies remain: ask how to go on.
    if (!goOnAfterRunOut(ctx, hooks, outcome)) return outcome;
  }
}

}  // namespace kroyna::engine
