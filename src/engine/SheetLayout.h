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

// Whether every sheet of the layout can be cut apart by through-cuts down to
// single copies: the placed copies (with the part sizes as the parts list
// holds them, kerf-enlarged during a pass) are split by straight cuts across
// the whole of each piece, recursively. Merging free rectangles can join two
// rectangles across a cut that still has to separate copies around them;
// such a layout cannot be cut on a panel saw.
bool IsGuillotine(const TSheetsList& layout, const TDetalsList& parts);

// Whether the copies of a one-sheet layout can be cut free in at most
// `maxStages` stages of through-cuts, the cuts of each stage running across
// every piece the stage before left, alternately along X and along Y, the
// first along the way `first` says (a stage that cuts nothing in a piece
// still counts); a copy is free when its piece is just its box. Boxes are
// the placed copies with `extra` added to the part sizes (the kerf, when
// the parts list holds true sizes), inside `usable`, the sheet's usable
// rectangle in the same coordinates.
bool WithinStages(const TSheetsList& layout, const TDetalsList& parts, std::int32_t extra, const TSheet& usable,
                  std::int32_t maxStages, FirstStageCuts first);

// Finishing of a standard-sheet map: cuts outside the sheet are dropped,
// cuts reaching the far edges are lengthened or shortened, and the trim cuts
// of the top and left trims are added (keyed by the map's Variant).
void FinishStandardSheet(TSheetsList& map, const CuttingParameters& params);

}  // namespace kroyna::engine
