#pragma once

// Choosing fewer sheets among sheets laid out before: the searches of the
// improved search leave behind many full sheets, and a set of them that
// holds every copy with one sheet fewer than the best layout is a better
// layout. The choice is a covering problem over the kinds; it is solved by
// branch and bound on its linear relaxation. Standard C++ only.

#include <atomic>
#include <cstdint>
#include <vector>

namespace kroyna::engine::improved {

// What the cover is given and may spend.
struct CoverProblem {
  // Per sheet laid out before: the kind of each copy it holds, ascending
  // (a kind appears once per copy).
  std::vector<std::vector<std::int32_t>> sheets;
  std::vector<std::int32_t> demand;  // per kind: the copies to hold
  std::vector<std::int64_t> area;    // per kind: the area of one copy
  std::int64_t sheetArea = 0;        // of a whole sheet, in the same units
};

struct CoverBudget {
  // Arithmetic steps of the simplex (about one multiply-add each) the cover
  // may take in all; what it took is added to `spent`.
  std::int64_t limit = 0;
  std::int64_t spent = 0;
  const std::atomic<bool>* stop = nullptr;  // set: give up at once
};

// Indices of at most `target` sheets of `problem` that together hold at
// least `demand[k]` copies of every kind k (the copies over it are to be
// taken off). Empty when no such choice was found within the budget, or
// when the relaxation shows there is none.
std::vector<std::size_t> CoverSheets(const CoverProblem& problem, std::int32_t target, CoverBudget& budget);

}  // namespace kroyna::engine::improved
