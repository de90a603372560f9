#pragma once

// Choosing fewer sheets among sheets laid out before: the searches of the
// improved search leave behind many full sheets, and a set of them that
// holds every copy with one sheet fewer than the best layout is a better
// layout. The choice is a covering problem over the kinds; it is solved by
// branch and bound on its linear relaxation. Standard C++ only.

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
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
// when the relaxation shows there is none. With `dropAtRoot` the sheets
// whose reduced cost at the root already exceeds the room to the target are
// left out of the whole search: much faster on many sheets, though the
// search then goes another way.
std::vector<std::size_t> CoverSheets(const CoverProblem& problem, std::int32_t target, CoverBudget& budget,
                                     bool dropAtRoot = false);

// The relaxation of the whole covering problem, kept between solves so that
// sheets made for its duals can be added (column generation): a sheet whose
// copies are worth more than 1 at the duals lowers it.
class CoverRelaxation {
 public:
  // Over the sheets of `problem` and its demand, or `demand` instead.
  CoverRelaxation(const CoverProblem& problem, CoverBudget& budget);
  CoverRelaxation(const CoverProblem& problem, const std::vector<std::int32_t>& demand, CoverBudget& budget);
  ~CoverRelaxation();
  CoverRelaxation(const CoverRelaxation&) = delete;
  CoverRelaxation& operator=(const CoverRelaxation&) = delete;

  // Another sheet: the kind of each copy it holds, ascending.
  void add(const std::vector<std::int32_t>& kinds);
  // The least number of sheets, fractions allowed, and per kind what one
  // more copy of it would cost (0 for kinds without demand); false when
  // the budget ran out. `sheets`, when given, gets the sheets the optimum
  // uses, with their shares (indices in the order given, `problem`'s
  // first).
  bool solve(double& value, std::vector<double>& kindDuals,
             std::vector<std::pair<std::size_t, double>>* sheets = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kroyna::engine::improved
