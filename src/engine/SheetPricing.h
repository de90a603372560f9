#pragma once

// Laying out one sheet for the most value: the cover of the improved search
// asks for sheets whose copies are worth more than a sheet at the duals of
// its relaxation, sheets the searches' moves would not make. The sheet is
// cut into strips across it, each strip into columns, each column over one
// copy into the copies stacked in it; or, where those find no such sheet,
// by cuts of any depth. Standard C++ only.

#include "engine/GuillotineBin.h"
#include "engine/ImprovedPacking.h"

#include <cstdint>
#include <vector>

namespace kroyna::engine::improved {

// A kind as the filling sees it.
struct ValuedKind {
  std::int32_t w = 0, h = 0;  // kerf-enlarged, as given
  std::uint8_t allowed = AllowAsGiven | AllowTurned;
  std::int32_t copies = 0;  // at most so many on the sheet
  double value = 0;         // of one copy; kinds worth nothing are left off
  std::int32_t item = -1;   // a copy of the kind, for the sheet's leaves
};

// How a sheet is filled: strips follow one another along X (`stripsAlongX`)
// or along Y; copies narrower than their column are stacked in it only
// with `trimColumns` (that takes a fourth stage of cuts); each strip is the
// one of most value per unit of its height among those the copies left can
// make, or, `planned`, the densest of those that give the most value over
// the height left (a knapsack over it, as if they could share copies).
struct FillWay {
  bool stripsAlongX = false;
  bool trimColumns = true;
  bool planned = false;
};

// Fills `sheet` strip by strip, each strip cut into columns over its copies
// and copies stacked in the columns. `out` gets the sheet as a tree; the
// result is the value of its copies. `work` grows by the steps taken; once
// it would pass `limit` the sheet is left as far as it got.
double FillForValue(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, const FillWay& way,
                    GuillotineBin& out, std::int64_t& work, std::int64_t limit);

// Fills `sheet` by guillotine cuts of any depth for the most value, each
// kind at most its `copies` times (see CutPlan in the source: near the
// best, not always the best). `out` gets the sheet; the result is the
// value of its copies, 0 (and `out` empty) when the steps would pass
// `limit`.
double CutForValue(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, GuillotineBin& out, std::int64_t& work,
                   std::int64_t limit);

}  // namespace kroyna::engine::improved
