#pragma once

// The improved search's core: guillotine bin packing of part copies onto
// offcuts and standard sheets, fewest standard sheets first. It knows
// nothing of the engine context; ImprovedSearch.h turns a material into a
// PackProblem and the PackResult back into finished maps. See README.md for
// the method.

#include "engine/GuillotineBin.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kroyna::engine::improved {

// Orientations a copy may take.
enum : std::uint8_t { AllowAsGiven = 1, AllowTurned = 2 };

struct PackItem {
  std::int32_t w = 0;     // kerf-enlarged size along X as given
  std::int32_t h = 0;     // kerf-enlarged size along Y as given
  std::int32_t kind = 0;  // the part it is a copy of
  std::uint8_t allowed = AllowAsGiven | AllowTurned;
};

// The usable rectangle of a sheet, kerf-enlarged, in search coordinates.
struct PackSheet {
  std::int32_t x = 0, y = 0, w = 0, h = 0;
};

struct PackProblem {
  std::vector<PackItem> items;  // one per copy
  // Per kind: every copy takes the orientation of the first one placed.
  std::vector<bool> oneForAll;
  std::vector<PackSheet> offcuts;  // one per physical offcut, in stock order
  PackSheet standard;
  std::int32_t maxStandard = -1;  // standard sheets in stock, -1 without stock control
  // At most this many stages of cuts on a sheet (0: no limit); the first
  // stage cuts the sheet into slices along X (rootAlongX 1) or along Y (0),
  // or either (-1). See GuillotineBin::stageAfterInsert.
  std::int32_t maxStages = 0;
  int rootAlongX = -1;
};

struct PackOptions {
  int effort = 5;   // 1..10
  int threads = 1;  // worker threads; the result does not depend on it
  // Set by the caller to end the search early: the best result so far is
  // returned (the only way the result can depend on timing).
  const std::atomic<bool>* stop = nullptr;
  // Work units done so far (see WorkBudget), for a progress display.
  std::atomic<std::int64_t>* done = nullptr;
  // Run once by the first worker that is free, beside the search.
  std::function<void()> sideJob;
  // A safety stop: each search ends at this time after it began, whatever
  // work is left (the result then says `stopped`). Zero: none.
  std::chrono::steady_clock::duration searchCap{};
};

struct PackedBin {
  std::int32_t offcut = -1;  // index in PackProblem::offcuts; -1 a standard sheet
  GuillotineBin tree;        // item leaves hold item indices
};

struct PackResult {
  std::vector<PackedBin> bins;            // sheets holding copies: offcuts first, then standard sheets
  std::vector<std::int32_t> unplaced;     // items on no sheet
  std::int32_t standardSheets = 0;        // standard sheets in `bins`
  std::int32_t lowerBound = 0;            // no layout needs fewer standard sheets
  std::vector<std::uint8_t> orientation;  // per kind: the orientation one-for-all kinds took (0 none)
  bool stopped = false;                   // `stop` ended the search
};

// Whether an item sits turned on its leaf.
inline bool IsTurned(const PackItem& item, const TreeNode& leaf) { return item.w != item.h && leaf.w != item.w; }

// The work the search does at an effort (1..10), in the units counted by
// PackOptions::done.
std::int64_t WorkBudget(int effort);

// No layout of the copies that fit a standard sheet needs fewer standard
// sheets than this (area and large-item bounds).
std::int32_t StandardLowerBound(const PackProblem& problem);

// The search. The same problem and effort give the same result with any
// number of threads, unless `stop` or the safety stop ends it. An exception
// in a worker (the side job's included) ends every search and is thrown
// again here, on the caller's thread, once all workers are over.
PackResult Pack(const PackProblem& problem, const PackOptions& options);

// Lays given copies out anew on one sheet with the greedy of the search,
// in one of variants() orders and split preferences; for reshaping a sheet
// of a result (the tie-break by the criterion).
class SheetReshaper {
 public:
  explicit SheetReshaper(const PackProblem& problem);
  ~SheetReshaper();
  // False when some copy is left over. `orientation` holds per kind the
  // orientation one-for-all kinds have taken (0 none).
  bool pack(const std::vector<std::int32_t>& items, const std::vector<std::uint8_t>& orientation,
            const PackSheet& sheet, int variant, GuillotineBin& out) const;
  static int variants();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kroyna::engine::improved
