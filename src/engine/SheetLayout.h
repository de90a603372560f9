#pragma once

// Building one layout variant: copies of the parts are put onto the free
// rectangles of the current layout one per step, guillotine style, until no
// pending copy fits anywhere. Wherever the rules leave two equally good
// answers the bit source of the context decides, so variant 0 (no bits) is
// the plain greedy layout.

#include "engine/EngineContext.h"

namespace kroyna::engine {

// Fills ctx.Current with copies of the parts (kerf-enlarged, sorted by size,
// Pending set and Skipped cleared by the caller). Uses and updates the bit
// source, the step counter and the last orientation Z of the context. The
// step loop is iterative; no step copies a list.
void BuildVariant(EngineContext& ctx);

// Split of a free rectangle by a part of extents dx x dy placed at its
// top-left corner: two cuts, one new rectangle appended, the rectangle itself
// reduced. Returns the index of the new rectangle.
int SplitRegion(TSheetsList& layout, int region, std::int32_t dx, std::int32_t dy, bool alongXFirst);

// Joins the rectangle at `region` with the first rectangle of the same sheet
// that lies directly left of it or directly above it with the same span, and
// moves the cuts accordingly. Returns whether a merge took place.
bool MergeRegion(TSheetsList& layout, int region);

// Finishing of a standard-sheet map: cuts outside the sheet are dropped,
// cuts reaching the far edges are lengthened or shortened, and the trim cuts
// of the top and left trims are added (keyed by the map's Variant).
void FinishStandardSheet(TSheetsList& map, const CuttingParameters& params);

}  // namespace kroyna::engine
