#pragma once

// The order in which a panel saw operator cuts a map: the saw passes, one
// after another, that take the sheet apart into its parts, offcuts and
// waste.
//
// The order is derived from what a map holds (sheet size, kerf, parts,
// offcuts, drawn cuts, and the trims where they are known), so a map read
// from an old maps file gets one too. The rules:
// - the trims of a standard sheet are cut first;
// - then the first-stage cuts across the whole usable sheet, from the
//   reference edge on;
// - then strip by strip the cuts inside each strip, and so on down the
//   guillotine tree;
// - a piece is cut in one direction only: all its cuts of that direction
//   are made before any piece cut from it is turned, and the directions are
//   chosen so that the pieces are turned as seldom as the pattern allows.
//
// A pass runs across the whole piece on the saw, through waste to the
// piece's edges, so one pass may make several drawn cuts and one drawn cut
// may need passes in several pieces. A pass never touches a part. Drawn
// offcuts are cut out to their drawn sizes as the drawn cuts show them;
// only where no through-cut avoids an offcut does a pass cross it.
//
// Coordinates are millimetres on the sheet as the map draws it: origin at
// the top-left corner, x along the sheet's length, y along its width. The
// reference edges of a piece are its top edge (for cuts along x) and its
// left edge (for cuts along y). Standard C++ only.

#include <cstdint>
#include <optional>
#include <vector>

namespace kroyna::engine {

struct FinishedMap;

// A rectangle of the map: top-left corner, extent along x (length) and
// along y (width).
struct PlainRect {
  std::int32_t x = 0, y = 0, length = 0, width = 0;
  bool operator==(const PlainRect&) const = default;
};

// A drawn cut as the cut list holds it: the centre line of the kerf, from
// (x, y) along x (alongX) or along y, `length` long.
struct PlainCut {
  std::int32_t x = 0, y = 0, length = 0;
  bool alongX = true;
};

// The trims of a standard sheet, mm.
struct SheetTrims {
  std::int32_t left = 0, right = 0, top = 0, bottom = 0;
  bool operator==(const SheetTrims&) const = default;
};

// What the order is derived from.
struct SequenceInput {
  std::int32_t sheetLength = 0;  // along x
  std::int32_t sheetWidth = 0;   // along y
  std::int32_t kerf = 0;
  bool offcutSheet = false;  // an offcut from stock: never trimmed
  // The trims of a standard sheet when the run's parameters are at hand.
  // Without them (a map from a file) they are read from the map: the left
  // and top trims from the drawn trim cuts, else from where the parts and
  // offcuts begin; the right and bottom trims from where they end.
  std::optional<SheetTrims> trims;
  std::vector<PlainRect> parts;    // drawn position and true size
  std::vector<PlainRect> offcuts;  // drawn offcuts
  std::vector<PlainCut> cuts;      // drawn cuts
};

// What one side of a pass is once the pass is made.
enum class YieldKind : std::uint8_t {
  Nothing,  // no material: the kerf took all there was
  Waste,    // a piece without parts or offcuts
  Part,     // exactly one part, cut to size
  Offcut,   // exactly one drawn offcut, cut to size
  Strip,    // a piece still to be cut
};

struct PassYield {
  YieldKind kind = YieldKind::Nothing;
  std::int32_t index = -1;  // the part or the offcut (index into the input's list); -1 otherwise
  bool operator==(const PassYield&) const = default;
};

// One pass of the saw.
struct SawPass {
  std::int32_t number = 0;  // 1, 2, ... in order
  PlainRect piece;          // the piece on the saw, as it lies on the sheet
  bool alongX = true;       // the cut runs along x (the sheet's length), else along y
  std::int32_t at = 0;      // centre line of the cut: y when alongX, else x (as drawn cuts hold it)
  // Distance from the piece's reference edge to the near side of the kerf,
  // which is the size of the near side. Zero or below only when the pass
  // shaves off the edge a sliver no wider than the kerf.
  std::int32_t fence = 0;
  std::int32_t length = 0;         // the length of the cut: the piece's extent across it
  bool turn = false;               // the piece must be turned by 90 degrees before this pass
  bool trim = false;               // a trim cut of a standard sheet
  PassYield nearSide;              // between the reference edge and the cut
  PassYield farSide;               // beyond the cut
  std::vector<std::int32_t> cuts;  // the drawn cuts this pass makes (indices into the input's cuts)
};

// Where a pass's number is drawn: at the middle of the stretch of a drawn
// cut the pass makes (one mark for each drawn cut of each pass), or, for a
// pass that makes no drawn cut, at the middle of the pass.
struct PassMark {
  std::int32_t pass = 0;  // index into CutSequence::passes
  std::int32_t cut = -1;  // the drawn cut, -1 when none
  std::int32_t x = 0, y = 0;
};

enum class SequenceStatus : std::uint8_t {
  Ok,
  // Some piece holding parts has no straight cut across it that misses
  // every part: the map cannot be cut by through-cuts (possible with a
  // kerf of 0 in maps of the quick search).
  NotGuillotine,
  // No sheet, or a part outside the sheet (less its trims).
  BadMap,
};

struct CutSequence {
  SequenceStatus status = SequenceStatus::Ok;
  std::vector<SawPass> passes;  // empty unless Ok
  std::vector<PassMark> marks;
  std::int32_t turns = 0;  // passes with `turn` set
  SheetTrims trims;        // the trims used (given, read from the map, or none)
};

// The order of the cuts of a map. Quick on large maps: the guillotine tree
// is found once, with every piece's cuts of one direction taken together.
CutSequence MakeCutSequence(const SequenceInput& map);

// The input of a finished map of the engine with the run's kerf; `trims`
// are the run's trims (left out for an offcut sheet).
SequenceInput SequenceInputOf(const FinishedMap& map, std::int32_t kerf, std::optional<SheetTrims> trims);

}  // namespace kroyna::engine
