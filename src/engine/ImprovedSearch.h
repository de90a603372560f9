#pragma once

// The improved search of a material: instead of building one sheet per pass
// greedily, it lays out every copy left at once, fewest standard sheets
// first (ImprovedPacking.h, method in README.md), and hands back ordinary
// finished maps. On the same copies it also runs the quick or full search the
// options name, and keeps that result when it is better (more copies placed,
// then fewer standard sheets, then the criterion).

#include "engine/EngineContext.h"

#include <cstdint>
#include <vector>

namespace kroyna::engine {

// What made a material's maps.
enum class SearchUsed : std::uint8_t { Quick, Full, Improved };

// Why the quick or full search lays a material out although the improved
// search was asked for.
enum class ImprovedFallback : std::uint8_t {
  None,
  MachineLimit,    // a maximum cut length or a multi-saw machine
  TooManyCopies,   // more copies than kImprovedMaxCopies
  TooManyOffcuts,  // copies and offered offcuts together more than kImprovedMaxCopies
};

// The improved search keeps each copy in memory several times over, and
// every placement looks at every sheet it may use, offered offcuts
// included; larger jobs go to the quick or full search.
inline constexpr std::int64_t kImprovedMaxCopies = 20000;

// Whether a loaded material goes to the quick or full search instead.
ImprovedFallback ImprovedFallbackFor(const EngineContext& ctx);

// What the shop counts in a material's maps.
struct ShopMeasure {
  std::int64_t copies = 0;                // copies placed
  std::int64_t standardSheets = 0;        // standard sheets cut
  std::vector<std::int64_t> regionAreas;  // free rectangles, larger first, each map as often as it is cut
  std::int32_t longest = 0;               // the longest free rectangle
  std::int64_t longestArea = 0;           // the largest area of that length
  std::int64_t cutLength = 0;             // of all cuts of all sheets
  std::int64_t cutCount = 0;
};

ShopMeasure MeasureMaps(const std::vector<LayoutPtr>& maps);

// -1 when result a is better for the shop, 1 when b is, 0 when they tie:
// more copies placed, then fewer standard sheets, then the material's
// criterion (the larger offcuts position by position, the longer longest
// offcut, or the shorter cut length), then fewer cuts, then a shorter cut
// length.
int CompareForShop(const ShopMeasure& a, const ShopMeasure& b, Criterion criterion);

// The search the options name besides the improved one.
SearchUsed DocumentSearchOf(const CuttingParameters& params);

struct ImprovedPassInfo {
  // The new maps are the improved search's; false when the quick or full
  // search it was compared with did better and its maps were kept.
  bool UsedImproved = false;
  std::vector<std::int32_t> MapPasses;  // pass number of each new map
  // The search was cut short (ctx.Abort or its safety time cap) and gives
  // the best layout found until then.
  bool Stopped = false;
  std::int32_t LowerBound = 0;  // no layout of these copies needs fewer standard sheets
};

// One pass of the improved search. The first pass offers the offcuts of the
// stock list, later passes (after standard sheets ran out and the user went
// on) only standard sheets. Under stock control at most ctx.StockCount
// standard sheets are used. Appends the maps to ctx.Results (identical
// sheets as one map with a quantity), counts their copies as cut, lowers
// the stock counter, fixes one-for-all orientations, and returns ctx.State:
// 1 when no standard sheet was left to start with, 3 when the sheets in
// stock are used up, 0 otherwise. Between steps of its work it reports
// progress and calls ctx.ProcessEvents on the calling thread; setting
// ctx.Abort there ends the search with the best layout so far.
PassState ImprovedPass(EngineContext& ctx, bool firstPass, ImprovedPassInfo& info);

}  // namespace kroyna::engine
