#pragma once

// Laying copies out on a given number of sheets one sheet at a time, each
// sheet completed with a set of copies that the sheet holds by guillotine
// cuts of any depth, checked exactly. Where the improved search and its
// cover miss a layout of one sheet fewer whose sheets are nearly all full,
// this search over whole sheets can still find it on jobs of few copies.
// Standard C++ only.

#include "engine/GuillotineBin.h"
#include "engine/ImprovedPacking.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace kroyna::engine::improved {

// The most copies the completion works with.
inline constexpr std::size_t kCompletionCopies = 128;

struct CompletionBudget {
  // Steps (sets checked, cuts tried) the search may take; what it took is
  // added to `spent`.
  std::int64_t limit = 0;
  std::int64_t spent = 0;
  const std::atomic<bool>* stop = nullptr;  // set: give up at once
};

// Whether copies `which` of `items` fit on `sheet` together, cut apart by
// guillotine cuts of any depth, each copy as its `allowed` orientations let
// it lie. Exact for sets of at most 20 copies (larger ones: whether a
// greedy filling lays them out); false also when the budget ran out.
bool FitsOneSheet(const std::vector<PackItem>& items, const std::vector<std::int32_t>& which, const PackSheet& sheet,
                  CompletionBudget& budget);

// Lays copies `which` of `items` (at most kCompletionCopies) out on at most
// `target` sheets: the sheet of the largest copy left is completed with
// copies no other copy left could join, larger copies first, while the
// waste of the sheets so far leaves room for the rest. The item leaves of
// the sheets returned hold indices into `items`. Empty when no such layout
// was found within the budget.
std::vector<GuillotineBin> CompleteSheets(const std::vector<PackItem>& items, const std::vector<std::int32_t>& which,
                                          const PackSheet& sheet, std::int32_t target, CompletionBudget& budget);

}  // namespace kroyna::engine::improved
