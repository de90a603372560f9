#pragma once

// The passes of one material. A pass tries variants 0..N of the sheet
// layout on the same empty sheets, keeps the best, accepts it (counts its
// copies as cut), turns it into finished maps in ctx.Results, and repeats a
// standard-sheet map for as long as enough copies (and, under stock control,
// sheets) remain.
//
// Use: reset the context, set ctx.Params and ctx.StockCount, load ctx.Parts
// and the stock offcuts (ctx.AddStockOffcut), call FirstPass once, then
// LaterPass while copies remain, the abort flag is clear, and the last pass
// placed something (ctx.PlacedNothing false). MaterialRun.h does exactly
// that.

#include "engine/EngineContext.h"

namespace kroyna::engine {

// Counts the copies of the layout as cut: state := 0, one standard sheet
// less under stock control, each placement's part one copy less remaining.
void Accept(EngineContext& ctx, const TSheetsList& layout);

// Whether the layout can be cut once more from the copies still remaining
// (and, under stock control, from a sheet still in stock; else state 1).
// A layout without placements is never repeated.
bool RepeatPossible(EngineContext& ctx, const TSheetsList& layout);

// Builds variants 0..N on ctx.InitialRegions, keeps the best in
// ctx.Variants and makes it the current layout. Between variants it reports
// progress, lets the caller process events and stops when ctx.Abort is set
// (the best variant so far is kept). Kerf is applied by the caller and
// removed here. `firstPass` clears one-for-all orientations between
// variants; later passes keep them.
void BuildVariants(EngineContext& ctx, bool firstPass);

// The first pass: offcuts from the stock list when some part fits one,
// otherwise one standard sheet. Appends one finished map per used stock
// entry (identical maps merged into one with a quantity) to ctx.Results.
// Returns ctx.State.
PassState FirstPass(EngineContext& ctx);

// A later pass on one standard sheet; appends one map to ctx.Results.
// Returns ctx.State.
PassState LaterPass(EngineContext& ctx);

}  // namespace kroyna::engine
