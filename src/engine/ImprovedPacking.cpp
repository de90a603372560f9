#include "engine/ImprovedPacking.h"

#include "engine/SheetCompletion.h"
#include "engine/SheetCover.h"
#include "engine/SheetPricing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <set>
#include <thread>
#include <utility>

namespace kroyna::engine::improved {

namespace {

// A small deterministic generator (SplitMix64); the library's distributions
// differ between implementations, so bounded numbers are made here.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::uint32_t below(std::uint32_t n) { return n ? static_cast<std::uint32_t>(next() % n) : 0; }
  bool chance(std::uint32_t perMille) { return below(1000) < perMille; }

 private:
  std::uint64_t s_;
};

std::uint64_t seedOf(std::uint64_t round, std::uint64_t task) {
  Rng r(0x6B726F796E61ULL ^ (round * 0x100000001B3ULL) ^ (task << 20));
  return r.next();
}

std::int64_t areaOf(const PackItem& it) { return static_cast<std::int64_t>(it.w) * it.h; }

bool fitsSheet(const PackItem& it, std::uint8_t allowed, const PackSheet& s) {
  if ((allowed & AllowAsGiven) && it.w <= s.w && it.h <= s.h) return true;
  if ((allowed & AllowTurned) && it.h <= s.w && it.w <= s.h) return true;
  return false;
}

// Orders in which copies are taken: larger first by area, by longer side,
// by height, by width, by perimeter.
constexpr int kSortKeys = 5;

struct Shared {
  const PackProblem& p;
  std::vector<std::int32_t> active;             // items that fit some sheet
  std::vector<std::int32_t> excluded;           // items that fit none
  std::vector<std::vector<std::int32_t>> rank;  // per sort key: position of each item
  std::int32_t lowerBound = 0;
  std::int32_t kinds = 0;
  std::int32_t minW = 0, minH = 0;  // the least extents any copy may take along X and Y
  std::int64_t activeArea = 0;      // of the copies that fit some sheet

  explicit Shared(const PackProblem& problem, bool withBound = true) : p(problem) {
    for (const PackItem& it : p.items) kinds = std::max(kinds, it.kind + 1);
    kinds = std::max<std::int32_t>(kinds, static_cast<std::int32_t>(p.oneForAll.size()));
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(p.items.size()); ++i) {
      const PackItem& it = p.items[static_cast<std::size_t>(i)];
      bool fits = p.maxStandard != 0 && fitsSheet(it, it.allowed, p.standard);
      for (const PackSheet& o : p.offcuts) fits = fits || fitsSheet(it, it.allowed, o);
      (fits ? active : excluded).push_back(i);
    }
    minW = minH = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t i : active) {
      const PackItem& it = p.items[static_cast<std::size_t>(i)];
      activeArea += areaOf(it);
      if (it.allowed & AllowAsGiven) {
        minW = std::min(minW, it.w);
        minH = std::min(minH, it.h);
      }
      if (it.allowed & AllowTurned) {
        minW = std::min(minW, it.h);
        minH = std::min(minH, it.w);
      }
    }
    rank.resize(kSortKeys);
    for (int key = 0; key < kSortKeys; ++key) {
      std::vector<std::int32_t> order(p.items.size());
      std::iota(order.begin(), order.end(), 0);
      auto value = [&](std::int32_t i) -> std::pair<std::int64_t, std::int64_t> {
        const PackItem& it = p.items[static_cast<std::size_t>(i)];
        const std::int64_t lo = std::min(it.w, it.h), hi = std::max(it.w, it.h);
        switch (key) {
          case 0: return {areaOf(it), hi};
          case 1: return {hi, lo};
          case 2: return {it.h, it.w};
          case 3: return {it.w, it.h};
          default: return {static_cast<std::int64_t>(it.w) + it.h, hi};
        }
      };
      std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return value(a) > value(b); });
      rank[static_cast<std::size_t>(key)].assign(p.items.size(), 0);
      for (std::size_t pos = 0; pos < order.size(); ++pos)
        rank[static_cast<std::size_t>(key)][static_cast<std::size_t>(order[pos])] = static_cast<std::int32_t>(pos);
    }
    if (withBound) lowerBound = StandardLowerBound(p);
  }

  const PackItem& item(std::int32_t i) const { return p.items[static_cast<std::size_t>(i)]; }
};

struct Solution {
  std::vector<GuillotineBin> bins;
  std::vector<std::int32_t> binOffcut;  // per bin: offcut index, -1 a standard sheet
  std::vector<std::int32_t> itemBin;    // per item: its bin, -1 when not placed
  std::vector<std::int32_t> pool;       // active items not placed
  std::int64_t poolArea = 0;
  std::vector<std::uint8_t> kindOrient;  // per one-for-all kind: 0 open, else the orientation taken

  std::int32_t standardUsed() const {
    std::int32_t n = 0;
    for (std::size_t b = 0; b < bins.size(); ++b)
      if (binOffcut[b] < 0 && !bins[b].empty()) ++n;
    return n;
  }
  std::int32_t standardBins() const {
    return static_cast<std::int32_t>(std::count(binOffcut.begin(), binOffcut.end(), -1));
  }
};

// Better solutions leave less area unplaced, then use fewer standard sheets.
bool better(const Solution& a, const Solution& b) {
  if (a.poolArea != b.poolArea) return a.poolArea < b.poolArea;
  return a.standardUsed() < b.standardUsed();
}

// The standard sheets a search has laid out, by the kinds of the copies
// they hold, for the cover at the end (see SheetCover.h). At most kMaxCopies
// copies on them in all (some 20 MB a search).
struct PatternPool {
  static constexpr std::int64_t kMaxCopies = 100'000;
  std::map<std::vector<std::int32_t>, GuillotineBin> sheets;
  std::int64_t copies = 0;
};

// The layout made of the sheets `chosen`, their leaves given to the copies
// of each kind in turn; a copy over what the job needs is taken off.
Solution LayoutOf(const Shared& sh, const std::vector<const GuillotineBin*>& chosen) {
  Solution s;
  s.itemBin.assign(sh.p.items.size(), -1);
  s.kindOrient.assign(static_cast<std::size_t>(sh.kinds), 0);
  std::vector<std::vector<std::int32_t>> left(static_cast<std::size_t>(sh.kinds));
  for (auto it = sh.active.rbegin(); it != sh.active.rend(); ++it)
    left[static_cast<std::size_t>(sh.item(*it).kind)].push_back(*it);
  std::vector<std::int32_t> extra;
  for (const GuillotineBin* g : chosen) {
    GuillotineBin t = *g;
    const auto bin = static_cast<std::int32_t>(s.bins.size());
    extra.clear();
    for (std::int32_t l : t.itemLeaves()) {
      auto& copies = left[static_cast<std::size_t>(sh.item(t.node(l).item).kind)];
      if (copies.empty()) {
        extra.push_back(l);
        continue;
      }
      t.setItem(l, copies.back());
      s.itemBin[static_cast<std::size_t>(copies.back())] = bin;
      copies.pop_back();
    }
    // Item leaves keep their nodes while others are taken off.
    for (std::int32_t l : extra) t.remove(l);
    s.bins.push_back(std::move(t));
    s.binOffcut.push_back(-1);
  }
  for (const auto& copies : left) {
    for (std::int32_t i : copies) {
      s.pool.push_back(i);
      s.poolArea += areaOf(sh.item(i));
    }
  }
  return s;
}

struct Option {
  std::int32_t bin = -1, leaf = -1;
  std::int32_t a = 0, b = 0;
  std::int64_t k1 = 0, k2 = 0;  // lower is better
  SplitWay way = SplitWay::RightFirst;
  std::uint8_t ways = 3;  // the ways within the stage limit: 1 right first, 2 below first
};

// Records what an iteration changes so that a rejected move can be undone.
// The copies of the sheets are kept between iterations so that their
// buffers are used again.
struct Journal {
  std::vector<std::pair<std::int32_t, GuillotineBin>> bins;
  std::size_t used = 0;
  std::vector<std::uint8_t> saved;
  std::vector<std::pair<std::int32_t, std::int32_t>> items;  // item, bin before
  std::vector<std::pair<std::int32_t, std::uint8_t>> kinds;  // kind, orientation before
  std::vector<std::int32_t> pool;
  std::int64_t poolArea = 0;

  void begin(const Solution& s) {
    used = 0;
    items.clear();
    kinds.clear();
    saved.assign(s.bins.size(), 0);
    pool = s.pool;
    poolArea = s.poolArea;
  }
  void touch(const Solution& s, std::int32_t bin) {
    if (saved[static_cast<std::size_t>(bin)]) return;
    saved[static_cast<std::size_t>(bin)] = 1;
    if (used == bins.size()) bins.emplace_back();
    bins[used].first = bin;
    bins[used].second = s.bins[static_cast<std::size_t>(bin)];
    ++used;
  }
  void rollback(Solution& s) {
    for (std::size_t i = 0; i < used; ++i) std::swap(s.bins[static_cast<std::size_t>(bins[i].first)], bins[i].second);
    used = 0;
    for (auto it = items.rbegin(); it != items.rend(); ++it)
      s.itemBin[static_cast<std::size_t>(it->first)] = it->second;
    for (auto it = kinds.rbegin(); it != kinds.rend(); ++it)
      s.kindOrient[static_cast<std::size_t>(it->first)] = it->second;
    s.pool = pool;
    s.poolArea = poolArea;
  }
};

// When a search ends early: the caller's stop, a failure of another
// search, or its own safety time limit.
struct StopSignals {
  const std::atomic<bool>* stop = nullptr;
  const std::atomic<bool>* failed = nullptr;
  std::optional<std::chrono::steady_clock::time_point> deadline;

  bool now() const {
    if (stop && stop->load(std::memory_order_relaxed)) return true;
    if (failed && failed->load(std::memory_order_relaxed)) return true;
    return deadline && std::chrono::steady_clock::now() >= *deadline;
  }
};

// Moves of the improved search that refill whole sheets, per thousand, and
// the greedy fillings each refilled sheet gets.
constexpr std::uint32_t kRefillPerMille = 300;
constexpr int kRefillAttempts = 12;
// Jobs that need at most kFewSheets standard sheets (by the lower bound)
// are not refilled: emptying two or three of so few sheets rebuilds most of
// the layout, each such move costs as much as dozens of small ones, and it
// scatters the last copies that the small moves were fitting in. Their
// searches run kFewSheetsMoves times the iterations instead, within the
// same work budget: jobs of one to three sheets filled to 95-99 % used to
// end one copy short of their bound.
constexpr std::int32_t kFewSheets = 4;
constexpr std::int64_t kFewSheetsMoves = 4;

class Search {
 public:
  Search(const Shared& shared, std::uint64_t seed, StopSignals stops = {}, std::int64_t budget = 0)
      : sh_(shared), rng_(seed), stops_(stops), budget_(budget) {}

  // Keep the standard sheets laid out in `pool` (none: not kept).
  void keepSheetsIn(PatternPool* pool) { patterns_ = pool; }

  // Whether improve() refills whole sheets (kRefillPerMille of its moves).
  void refillSheets(bool on) { refills_ = on; }

  // Work done so far, in free rectangles looked at (see bestIn).
  std::int64_t work() const { return work_; }
  bool overBudget() const { return budget_ > 0 && work_ >= budget_; }

  // Ruin and recreate with late acceptance on the unplaced area; each time
  // every copy is placed the weakest standard sheet is emptied and its
  // copies have to find room on the others. A share of the moves
  // (kRefillPerMille) refills whole sheets instead. `done` counts one unit
  // per `movesPerUnit` iterations.
  Solution improve(Solution cur, std::int64_t iterations, std::atomic<std::int64_t>* done,
                   const std::atomic<int>* cancelBelow, int task, std::int64_t movesPerUnit = 1) {
    Solution best = cur;
    auto finished = [&] { return best.poolArea == 0 && best.standardUsed() <= sh_.lowerBound; };
    if (finished()) return best;
    // Since the last sheet was emptied, the state that left the least area
    // unplaced: its copies on one more sheet make a layout with as many
    // sheets as the best one, the waste gathered on that last sheet (a
    // larger offcut, which the criterion of the material prefers).
    std::optional<Solution> tail;
    if (cur.poolArea == 0) {
      dropWeakest(cur);
      tail = cur;
    }
    // Late acceptance: a move is kept when it leaves no more unplaced area
    // than now or than kHistory iterations ago.
    constexpr std::int64_t kHistory = 50;
    std::int64_t cost = cur.poolArea;
    std::vector<std::int64_t> history(kHistory, cost);
    Journal journal;
    std::int64_t reported = 0;
    for (std::int64_t it = 0; it < iterations && !overBudget(); ++it) {
      if ((it & 31) == 0) {
        if (done) done->fetch_add(it / movesPerUnit - reported, std::memory_order_relaxed);
        reported = it / movesPerUnit;
        if (stops_.now()) {
          stopped_ = true;
          break;
        }
        if (cancelBelow && cancelBelow->load(std::memory_order_relaxed) < task) break;
      }
      if (cur.bins.empty()) break;
      journal.begin(cur);
      if (!(refills_ && rng_.chance(kRefillPerMille) && refill(cur, journal))) {
        ruin(cur, journal);
        recreate(cur, journal);
      }
      const std::int64_t c = cur.poolArea;
      const std::size_t v = static_cast<std::size_t>(it % kHistory);
      if (c <= history[v] || c <= cost)
        cost = c;
      else
        journal.rollback(cur);
      history[v] = cost;
      if (patterns_ && (it & 3) == 0)
        keepSheets(cur, best.poolArea == 0 ? best.standardUsed() : cur.standardBins() + 1);
      if (cost == 0) {
        best = cur;
        tail.reset();
        if (finished()) break;
        dropWeakest(cur);
        tail = cur;
        cost = cur.poolArea;
        std::fill(history.begin(), history.end(), cost);
      } else if (best.poolArea > 0 && cost < best.poolArea) {
        best = cur;
      } else if (tail && cost < tail->poolArea) {
        tail = cur;
      }
    }
    if (done) done->fetch_add(iterations / movesPerUnit - reported, std::memory_order_relaxed);
    if (best.poolArea == 0 && tail && tail->poolArea > 0) {
      Solution gathered = std::move(*tail);
      if (poolOnNewSheet(gathered) && (better(gathered, best) || (gathered.standardUsed() == best.standardUsed() &&
                                                                  weakestUsed(gathered) < weakestUsed(best))))
        best = std::move(gathered);
    }
    return best;
  }

  // Puts the copies of the pool on one new standard sheet; false when they
  // do not all fit or no sheet is left in stock.
  bool poolOnNewSheet(Solution& s) {
    const PackProblem& p = sh_.p;
    if (p.maxStandard >= 0 && s.standardBins() >= p.maxStandard) return false;
    s.bins.emplace_back(p.standard.x, p.standard.y, p.standard.w, p.standard.h);
    s.binOffcut.push_back(-1);
    const std::int32_t bin = static_cast<std::int32_t>(s.bins.size()) - 1;
    std::vector<std::int32_t> order;
    order.swap(s.pool);
    sortBy(order, 0);
    for (std::int32_t item : order) {
      Option o;
      bestIn(s.bins.back(), bin, sh_.item(item), allowedNow(s, item), o);
      if (o.bin < 0) return false;
      o.way = chooseWay(s.bins.back().node(o.leaf), o.a, o.b, o.ways);
      place(s, item, o, nullptr);
    }
    s.poolArea = 0;
    return true;
  }

  static std::int64_t weakestUsed(const Solution& s) {
    std::int64_t least = std::numeric_limits<std::int64_t>::max();
    for (std::size_t b = 0; b < s.bins.size(); ++b)
      if (s.binOffcut[b] < 0 && !s.bins[b].empty()) least = std::min(least, s.bins[b].usedArea());
    return least;
  }

  bool stopped() const { return stopped_; }

  void sortBy(std::vector<std::int32_t>& items, int key) {
    // Counted as two free rectangles a comparison.
    work_ += 2 * static_cast<std::int64_t>(items.size()) * std::bit_width(items.size());
    const auto& r = sh_.rank[static_cast<std::size_t>(key)];
    std::sort(items.begin(), items.end(), [&](std::int32_t a, std::int32_t b) {
      return r[static_cast<std::size_t>(a)] < r[static_cast<std::size_t>(b)];
    });
  }

  std::uint8_t allowedNow(const Solution& s, std::int32_t item) const {
    return allowedWith(s.kindOrient, sh_.item(item));
  }

  // The orientations a copy may take once the kinds that keep one
  // orientation for all their copies have taken those in `orient`.
  std::uint8_t allowedWith(const std::vector<std::uint8_t>& orient, const PackItem& it) const {
    std::uint8_t a = it.allowed;
    const std::size_t kind = static_cast<std::size_t>(it.kind);
    if (oneForAll(kind) && orient[kind]) a &= orient[kind];
    if (it.w == it.h && (a & AllowAsGiven)) a = AllowAsGiven;
    return a;
  }

  bool oneForAll(std::size_t kind) const { return kind < sh_.p.oneForAll.size() && sh_.p.oneForAll[kind]; }

  // The orientation a copy of extent `a` along X has taken.
  static std::uint8_t orientationOf(const PackItem& it, std::int32_t a) {
    return (it.w != it.h && a != it.w) ? AllowTurned : AllowAsGiven;
  }

  // Puts a copy of `it` where it fits best on sheet `g` alone, its leaf
  // labelled `label`; the orientation taken holds from then on for a
  // one-for-all kind. False when it fits nowhere.
  bool putBest(GuillotineBin& g, const PackItem& it, std::int32_t label, std::vector<std::uint8_t>& orient, Option& o) {
    o = Option{};
    bestIn(g, 0, it, allowedWith(orient, it), o);
    if (o.bin < 0) return false;
    o.way = chooseWay(g.node(o.leaf), o.a, o.b, o.ways);
    g.insert(o.leaf, label, o.a, o.b, o.way);
    const std::size_t kind = static_cast<std::size_t>(it.kind);
    if (oneForAll(kind) && !orient[kind]) orient[kind] = orientationOf(it, o.a);
    return true;
  }

  bool bestOption(const Solution& s, std::int32_t item, Option& best) {
    const PackItem& it = sh_.item(item);
    const std::uint8_t allowed = allowedNow(s, item);
    best = Option{};
    for (std::size_t bi = 0; bi < s.bins.size(); ++bi) {
      if (bestIn(s.bins[bi], static_cast<std::int32_t>(bi), it, allowed, best)) break;
    }
    if (best.bin < 0) return false;
    best.way = chooseWay(s.bins[static_cast<std::size_t>(best.bin)].node(best.leaf), best.a, best.b, best.ways);
    return true;
  }

  // Improves `best` with the places sheet `g` offers; true on an exact fit,
  // which nothing beats.
  bool bestIn(const GuillotineBin& g, std::int32_t bin, const PackItem& it, std::uint8_t allowed, Option& best) {
    ++work_;
    const std::int32_t mw = g.maxFreeW(), mh = g.maxFreeH();
    for (std::uint8_t o : {AllowAsGiven, AllowTurned}) {
      if (!(allowed & o)) continue;
      const std::int32_t a = o == AllowAsGiven ? it.w : it.h;
      const std::int32_t b = o == AllowAsGiven ? it.h : it.w;
      if (a > mw || b > mh) continue;
      const std::int64_t itemArea = static_cast<std::int64_t>(a) * b;
      work_ += static_cast<std::int64_t>(g.freeLeaves().size());
      for (const FreeRect& f : g.freeLeaves()) {
        if (f.w < a || f.h < b) continue;
        // Least room left in the rectangle, then the closest side.
        const std::int64_t k1 = static_cast<std::int64_t>(f.w) * f.h - itemArea;
        const std::int64_t k2 = std::min(f.w - a, f.h - b);
        if (best.bin < 0 || k1 < best.k1 || (k1 == best.k1 && k2 < best.k2)) {
          const std::uint8_t ways = waysWithinStages(g, f.node, a, b);
          if (ways == 0) continue;
          best.bin = bin;
          best.leaf = f.node;
          best.a = a;
          best.b = b;
          best.k1 = k1;
          best.k2 = k2;
          best.ways = ways;
          if (k1 == 0) return true;
        }
      }
    }
    return false;
  }

  // The sheet-by-sheet start: each offcut, then each new standard sheet,
  // gets the fullest of `attempts` greedy fillings from the copies left
  // (kinds in shuffled size orders), and a standard-sheet pattern is cut
  // again for as long as its copies last.
  //
  // With a work budget, half of it goes to the start: each sheet gets an
  // equal share of what is left for the sheets its copies still need, and
  // the fillings stop when the sheet's share is spent (one at least).
  Solution constructBySheets(int attempts) {
    const PackProblem& p = sh_.p;
    const std::int64_t startBudget = budget_ > 0 ? budget_ / 2 : 0;
    const std::int64_t sheetArea = std::max<std::int64_t>(1, std::int64_t{p.standard.w} * p.standard.h);
    Solution s;
    s.itemBin.assign(p.items.size(), -1);
    s.kindOrient.assign(static_cast<std::size_t>(sh_.kinds), 0);
    // The copies left of each kind, taken from the back.
    std::vector<std::vector<std::int32_t>> left(static_cast<std::size_t>(sh_.kinds));
    for (auto it = sh_.active.rbegin(); it != sh_.active.rend(); ++it)
      left[static_cast<std::size_t>(sh_.item(*it).kind)].push_back(*it);
    // One representative copy per kind stands for all its copies.
    std::vector<std::int32_t> kinds;
    for (std::int32_t k = 0; k < sh_.kinds; ++k)
      if (!left[static_cast<std::size_t>(k)].empty()) kinds.push_back(k);
    // The kinds in each size order. Copies of one kind have one size and
    // stand together in the item list, so whichever copy represents a kind
    // it ranks the same against the others: the representatives of the
    // kinds left come in this order without being sorted again.
    std::vector<std::vector<std::int32_t>> byKey(kSortKeys, kinds);
    for (int key = 0; key < kSortKeys; ++key) {
      const auto& r = sh_.rank[static_cast<std::size_t>(key)];
      std::sort(byKey[static_cast<std::size_t>(key)].begin(), byKey[static_cast<std::size_t>(key)].end(),
                [&](std::int32_t a, std::int32_t b) {
                  return r[static_cast<std::size_t>(left[static_cast<std::size_t>(a)].back())] <
                         r[static_cast<std::size_t>(left[static_cast<std::size_t>(b)].back())];
                });
    }
    // The representatives of the kinds with copies left, in size order `key`.
    auto representatives = [&](int key, std::vector<std::int32_t>& out) {
      out.clear();
      const std::vector<std::int32_t>& ordered = byKey[static_cast<std::size_t>(key)];
      work_ += static_cast<std::int64_t>(ordered.size());
      for (std::int32_t k : ordered)
        if (!left[static_cast<std::size_t>(k)].empty()) out.push_back(left[static_cast<std::size_t>(k)].back());
    };

    auto fill = [&](const PackSheet& sheet, GuillotineBin& bestTree, std::vector<std::uint8_t>& bestOrient) {
      std::int64_t bestUsed = -1;
      std::vector<std::int32_t> count(static_cast<std::size_t>(sh_.kinds));
      std::vector<std::int32_t> order;
      // Kinds with no copy left take no part any more.
      const auto gone = [&](std::int32_t k) { return left[static_cast<std::size_t>(k)].empty(); };
      std::erase_if(kinds, gone);
      for (auto& ordered : byKey) std::erase_if(ordered, gone);
      const std::int64_t begun = work_;
      std::int64_t share = std::numeric_limits<std::int64_t>::max();
      if (startBudget > 0) {
        std::int64_t areaLeft = 0;
        for (std::int32_t k : kinds)
          areaLeft += areaOf(sh_.item(left[static_cast<std::size_t>(k)].back())) *
                      static_cast<std::int64_t>(left[static_cast<std::size_t>(k)].size());
        const std::int64_t sheetsLeft = std::max<std::int64_t>(1, (areaLeft + sheetArea - 1) / sheetArea);
        share = std::max<std::int64_t>(0, startBudget - work_) / sheetsLeft;
      }
      for (int a = 0; a < attempts; ++a) {
        if (a > 0 && work_ - begun >= share / 2) break;
        work_ += static_cast<std::int64_t>(kinds.size());
        // Once stopped, every sheet left gets the first greedy filling
        // only, so that the layout still holds every copy it can.
        if (stopped_ || stops_.now()) {
          stopped_ = true;
          if (bestUsed >= 0) break;
        }
        for (std::int32_t k : kinds)
          count[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(left[static_cast<std::size_t>(k)].size());
        representatives(a % kSortKeys, order);
        if (order.empty()) break;
        if (a >= kSortKeys) {
          for (std::size_t i = 0; i + 1 < order.size(); ++i)
            if (rng_.chance(250))
              std::swap(
                  order[i],
                  order[i + 1 +
                        rng_.below(std::min<std::uint32_t>(3, static_cast<std::uint32_t>(order.size() - i - 1)))]);
        }
        shorterSide_ = a >= kSortKeys && rng_.chance(500);
        GuillotineBin g(sheet.x, sheet.y, sheet.w, sheet.h);
        std::vector<std::uint8_t> orient = s.kindOrient;
        for (std::int32_t rep : order) {
          const PackItem& it = sh_.item(rep);
          const std::size_t kind = static_cast<std::size_t>(it.kind);
          Option o;
          for (std::int32_t c = 0; c < count[kind]; ++c)
            if (!putBest(g, it, it.kind, orient, o)) break;
        }
        if (g.usedArea() > bestUsed) {
          bestUsed = g.usedArea();
          bestTree = std::move(g);
          bestOrient = std::move(orient);
        }
      }
      shorterSide_ = false;
      if (bestUsed <= 0) return false;
      // Then ruin and refill the best filling itself: a part of it is taken
      // off and the room refilled from the copies left, kept when the sheet
      // is no emptier.
      std::vector<std::int32_t> used(static_cast<std::size_t>(sh_.kinds), 0);
      for (std::int32_t leaf : bestTree.itemLeaves()) ++used[static_cast<std::size_t>(bestTree.node(leaf).item)];
      std::vector<std::int32_t> reps;
      for (int i = 0; i < attempts && work_ - begun < share; ++i) {
        if (stopped_ || stops_.now()) {
          stopped_ = true;
          break;
        }
        GuillotineBin g = bestTree;
        std::vector<std::int32_t> u = used;
        std::vector<std::int32_t> leaves = g.itemLeaves();
        std::int32_t node = leaves[rng_.below(static_cast<std::uint32_t>(leaves.size()))];
        for (std::uint32_t up = 1 + rng_.below(3); up > 0 && g.node(node).parent >= 0; --up) node = g.node(node).parent;
        std::vector<std::int32_t> under;
        g.itemsUnder(node, under);
        std::vector<std::int32_t> gone;
        for (std::int32_t l : under) gone.push_back(g.node(l).item);
        for (std::int32_t kind : gone) {
          // (The first leaf of that kind goes, which need not be the one
          // under the node.)
          work_ += static_cast<std::int64_t>(g.nodes().size());
          g.remove(g.findItem(kind));
          --u[static_cast<std::size_t>(kind)];
        }
        std::vector<std::uint8_t> orient = bestOrient;
        representatives(static_cast<int>(rng_.below(kSortKeys)), reps);
        shorterSide_ = rng_.chance(500);
        for (std::int32_t rep : reps) {
          const PackItem& it = sh_.item(rep);
          const std::size_t kind = static_cast<std::size_t>(it.kind);
          Option o;
          while (u[kind] < static_cast<std::int32_t>(left[kind].size()) && putBest(g, it, it.kind, orient, o))
            ++u[kind];
        }
        shorterSide_ = false;
        if (g.usedArea() >= bestTree.usedArea()) {
          bestTree = std::move(g);
          used = std::move(u);
          bestOrient = std::move(orient);
        }
      }
      return true;
    };
    // Puts a pattern (leaves hold kinds) on a new sheet with copies left.
    auto commit = [&](GuillotineBin tree, std::int32_t offcut) {
      const std::int32_t bin = static_cast<std::int32_t>(s.bins.size());
      for (std::int32_t leaf : tree.itemLeaves()) {
        auto& stack = left[static_cast<std::size_t>(tree.node(leaf).item)];
        const std::int32_t item = stack.back();
        stack.pop_back();
        tree.setItem(leaf, item);
        s.itemBin[static_cast<std::size_t>(item)] = bin;
      }
      s.bins.push_back(std::move(tree));
      s.binOffcut.push_back(offcut);
    };
    auto enough = [&](const GuillotineBin& tree) {
      std::vector<std::int32_t> need(static_cast<std::size_t>(sh_.kinds), 0);
      for (std::int32_t leaf : tree.itemLeaves()) {
        const std::size_t k = static_cast<std::size_t>(tree.node(leaf).item);
        if (++need[k] > static_cast<std::int32_t>(left[k].size())) return false;
      }
      return true;
    };

    for (std::size_t i = 0; i < p.offcuts.size(); ++i) {
      const PackSheet& o = p.offcuts[i];
      GuillotineBin tree(o.x, o.y, o.w, o.h);
      std::vector<std::uint8_t> orient;
      if (fill(o, tree, orient)) {
        s.kindOrient = orient;
        commit(std::move(tree), static_cast<std::int32_t>(i));
      } else {
        s.bins.emplace_back(o.x, o.y, o.w, o.h);
        s.binOffcut.push_back(static_cast<std::int32_t>(i));
      }
    }
    while (p.maxStandard < 0 || s.standardBins() < p.maxStandard) {
      GuillotineBin tree;
      std::vector<std::uint8_t> orient;
      if (!fill(p.standard, tree, orient)) break;
      s.kindOrient = orient;
      do {
        commit(tree, -1);
      } while ((p.maxStandard < 0 || s.standardBins() < p.maxStandard) && enough(tree));
    }
    for (std::int32_t k : kinds) {
      for (std::int32_t item : left[static_cast<std::size_t>(k)]) {
        s.pool.push_back(item);
        s.poolArea += areaOf(sh_.item(item));
      }
    }
    return s;
  }

  // Which of the two cuts comes first: by the search's current rule, either
  // the one that keeps the larger of the rooms left whole, or the one along
  // the shorter leftover side.
  SplitWay chooseWay(const TreeNode& f, std::int32_t a, std::int32_t b, std::uint8_t ways = 3) const {
    SplitWay way;
    if (shorterSide_) {
      way = (f.w - a) < (f.h - b) ? SplitWay::RightFirst : SplitWay::BelowFirst;
    } else {
      const std::int64_t right =
          std::max(static_cast<std::int64_t>(f.w - a) * f.h, static_cast<std::int64_t>(a) * (f.h - b));
      const std::int64_t below =
          std::max(static_cast<std::int64_t>(f.w) * (f.h - b), static_cast<std::int64_t>(f.w - a) * b);
      way = right >= below ? SplitWay::RightFirst : SplitWay::BelowFirst;
    }
    // Under a stage limit only the way that keeps to it.
    if (!(ways & (way == SplitWay::RightFirst ? 1 : 2)))
      way = way == SplitWay::RightFirst ? SplitWay::BelowFirst : SplitWay::RightFirst;
    return way;
  }

  // Which ways of putting a copy of extents a x b into a free leaf keep the
  // sheet within the stage limit (both without one).
  std::uint8_t waysWithinStages(const GuillotineBin& g, std::int32_t leaf, std::int32_t a, std::int32_t b) const {
    const PackProblem& p = sh_.p;
    if (p.maxStages <= 0) return 3;
    std::uint8_t ways = 0;
    if (g.stageAfterInsert(leaf, a, b, SplitWay::RightFirst, p.rootAlongX) <= p.maxStages) ways |= 1;
    if (g.stageAfterInsert(leaf, a, b, SplitWay::BelowFirst, p.rootAlongX) <= p.maxStages) ways |= 2;
    return ways;
  }

  void place(Solution& s, std::int32_t item, const Option& o, Journal* journal) const {
    if (journal) {
      journal->touch(s, o.bin);
      journal->items.emplace_back(item, s.itemBin[static_cast<std::size_t>(item)]);
    }
    s.bins[static_cast<std::size_t>(o.bin)].insert(o.leaf, item, o.a, o.b, o.way);
    s.itemBin[static_cast<std::size_t>(item)] = o.bin;
    const PackItem& it = sh_.item(item);
    const std::size_t kind = static_cast<std::size_t>(it.kind);
    if (oneForAll(kind) && !s.kindOrient[kind]) {
      if (journal) journal->kinds.emplace_back(it.kind, 0);
      s.kindOrient[kind] = orientationOf(it, o.a);
    }
  }

 private:
  // Takes the copy of item leaf `leaf` off its sheet (item leaves keep their
  // nodes while others are taken off).
  void removeItem(Solution& s, std::int32_t bin, std::int32_t leaf, Journal& journal) {
    journal.touch(s, bin);
    GuillotineBin& g = s.bins[static_cast<std::size_t>(bin)];
    const std::int32_t item = g.node(leaf).item;
    journal.items.emplace_back(item, bin);
    g.remove(leaf);
    s.itemBin[static_cast<std::size_t>(item)] = -1;
    s.pool.push_back(item);
    s.poolArea += areaOf(sh_.item(item));
  }

  void ruin(Solution& s, Journal& journal) {
    std::vector<std::int32_t>& nonEmpty = scratchBins_;
    nonEmpty.clear();
    for (std::size_t b = 0; b < s.bins.size(); ++b)
      if (!s.bins[b].empty()) nonEmpty.push_back(static_cast<std::int32_t>(b));
    if (nonEmpty.empty()) return;
    const int rounds = rng_.chance(600) ? 2 : 1;
    for (int r = 0; r < rounds; ++r) {
      const std::int32_t bin = nonEmpty[rng_.below(static_cast<std::uint32_t>(nonEmpty.size()))];
      const GuillotineBin& g = s.bins[static_cast<std::size_t>(bin)];
      if (g.empty()) continue;
      std::vector<std::int32_t> leaves = g.itemLeaves();
      std::vector<std::int32_t> victims;
      const std::uint32_t mode = rng_.below(10);
      if (mode < 5) {
        std::int32_t node = leaves[rng_.below(static_cast<std::uint32_t>(leaves.size()))];
        for (std::uint32_t up = rng_.below(3); up > 0 && g.node(node).parent >= 0; --up) node = g.node(node).parent;
        std::vector<std::int32_t> under;
        g.itemsUnder(node, under);
        victims = std::move(under);
      } else if (mode < 9) {
        const std::uint32_t k = 1 + rng_.below(static_cast<std::uint32_t>(std::min<std::size_t>(leaves.size(), 4)));
        for (std::uint32_t i = 0; i < k; ++i) {
          const std::uint32_t pick = i + rng_.below(static_cast<std::uint32_t>(leaves.size()) - i);
          std::swap(leaves[i], leaves[pick]);
          victims.push_back(leaves[i]);
        }
      } else {
        victims = std::move(leaves);
      }
      for (std::int32_t leaf : victims) removeItem(s, bin, leaf, journal);
    }
  }

  // Empties two or three standard sheets at random and fills them again one
  // by one, each with the fullest of kRefillAttempts greedy fillings from
  // the copies taken off and those unplaced; what is left goes where it
  // fits best. False when there are not two standard sheets to empty.
  bool refill(Solution& s, Journal& journal) {
    std::vector<std::int32_t> chosen;
    for (std::size_t b = 0; b < s.bins.size(); ++b)
      if (s.binOffcut[b] < 0 && !s.bins[b].empty()) chosen.push_back(static_cast<std::int32_t>(b));
    if (chosen.size() < 2) return false;
    const std::uint32_t k = std::min<std::uint32_t>(static_cast<std::uint32_t>(chosen.size()), 2 + rng_.below(2));
    for (std::uint32_t i = 0; i < k; ++i)
      std::swap(chosen[i], chosen[i + rng_.below(static_cast<std::uint32_t>(chosen.size()) - i)]);
    chosen.resize(k);
    for (std::int32_t bin : chosen)
      for (std::int32_t leaf : s.bins[static_cast<std::size_t>(bin)].itemLeaves()) removeItem(s, bin, leaf, journal);

    // A filling is tried on a copy of the empty sheet and the fullest one
    // made again on the sheet itself, which takes the same leaves.
    std::vector<Option> steps, bestSteps;
    std::vector<std::int32_t> order, placed, bestPlaced;
    for (std::int32_t bin : chosen) {
      const GuillotineBin& empty = s.bins[static_cast<std::size_t>(bin)];
      std::int64_t bestUsed = -1;
      for (int a = 0; a < kRefillAttempts; ++a) {
        order = s.pool;
        sortBy(order, a % kSortKeys);
        if (a >= kSortKeys)
          for (std::size_t i = 0; i + 1 < order.size(); ++i)
            if (rng_.chance(250)) std::swap(order[i], order[i + 1]);
        shorterSide_ = a >= kSortKeys && rng_.chance(500);
        GuillotineBin g = empty;
        std::vector<std::uint8_t> orient = s.kindOrient;
        steps.clear();
        placed.clear();
        Option o;
        for (std::int32_t item : order) {
          if (!putBest(g, sh_.item(item), item, orient, o)) continue;
          o.bin = bin;
          steps.push_back(o);
          placed.push_back(item);
        }
        if (g.usedArea() > bestUsed) {
          bestUsed = g.usedArea();
          bestSteps.swap(steps);
          bestPlaced.swap(placed);
        }
      }
      shorterSide_ = false;
      for (std::size_t i = 0; i < bestSteps.size(); ++i) {
        place(s, bestPlaced[i], bestSteps[i], &journal);
        s.pool.erase(std::find(s.pool.begin(), s.pool.end(), bestPlaced[i]));
        s.poolArea -= areaOf(sh_.item(bestPlaced[i]));
      }
    }
    recreate(s, journal);
    return true;
  }

  void recreate(Solution& s, Journal& journal) {
    shorterSide_ = rng_.chance(500);
    std::vector<std::int32_t> order;
    order.swap(s.pool);
    s.poolArea = 0;
    sortBy(order, static_cast<int>(rng_.below(kSortKeys)));
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
      if (rng_.chance(100)) std::swap(order[i], order[i + 1]);
    for (std::int32_t item : order) {
      Option o;
      if (bestOption(s, item, o)) {
        place(s, item, o, &journal);
      } else {
        s.pool.push_back(item);
        s.poolArea += areaOf(sh_.item(item));
      }
    }
    shorterSide_ = false;
  }

  // Empties the standard sheets without copies and the weakest standard
  // sheet, whose copies go back to the pool.
  void dropWeakest(Solution& s) const {
    std::int32_t weakest = -1;
    for (std::size_t b = 0; b < s.bins.size(); ++b) {
      if (s.binOffcut[b] >= 0 || s.bins[b].empty()) continue;
      if (weakest < 0 || s.bins[b].usedArea() <= s.bins[static_cast<std::size_t>(weakest)].usedArea())
        weakest = static_cast<std::int32_t>(b);
    }
    if (weakest >= 0) {
      for (std::int32_t l : s.bins[static_cast<std::size_t>(weakest)].itemLeaves()) {
        const std::int32_t item = s.bins[static_cast<std::size_t>(weakest)].node(l).item;
        s.pool.push_back(item);
        s.poolArea += areaOf(sh_.item(item));
      }
    }
    std::vector<GuillotineBin> bins;
    std::vector<std::int32_t> offcut;
    for (std::size_t b = 0; b < s.bins.size(); ++b) {
      if (static_cast<std::int32_t>(b) == weakest || (s.binOffcut[b] < 0 && s.bins[b].empty())) continue;
      bins.push_back(std::move(s.bins[b]));
      offcut.push_back(s.binOffcut[b]);
    }
    s.bins = std::move(bins);
    s.binOffcut = std::move(offcut);
    std::fill(s.itemBin.begin(), s.itemBin.end(), -1);
    for (std::size_t b = 0; b < s.bins.size(); ++b) {
      for (std::int32_t l : s.bins[b].itemLeaves())
        s.itemBin[static_cast<std::size_t>(s.bins[b].node(l).item)] = static_cast<std::int32_t>(b);
    }
  }

  // Keeps the standard sheets of `s` that waste little enough to stand in
  // a layout of one sheet fewer than `sheets`.
  void keepSheets(const Solution& s, std::int32_t sheets) {
    const PackProblem& p = sh_.p;
    const std::int64_t sheetArea = std::int64_t{p.standard.w} * p.standard.h;
    const std::int64_t slack = (sheets - 1) * sheetArea - sh_.activeArea;
    if (slack < 0) return;
    std::vector<std::int32_t>& kinds = scratchKinds_;
    for (std::size_t b = 0; b < s.bins.size() && patterns_->copies < PatternPool::kMaxCopies; ++b) {
      const GuillotineBin& g = s.bins[b];
      if (s.binOffcut[b] >= 0 || g.empty() || sheetArea - g.usedArea() > slack) continue;
      kinds.clear();
      for (std::int32_t l : g.itemLeaves()) kinds.push_back(sh_.item(g.node(l).item).kind);
      std::sort(kinds.begin(), kinds.end());
      work_ += static_cast<std::int64_t>(kinds.size());
      if (patterns_->sheets.try_emplace(kinds, g).second) patterns_->copies += g.itemCount();
    }
  }

  const Shared& sh_;
  Rng rng_;
  StopSignals stops_;
  std::int64_t budget_ = 0;  // 0: none
  std::int64_t work_ = 0;
  bool stopped_ = false;
  bool shorterSide_ = false;
  bool refills_ = true;
  std::vector<std::int32_t> scratchBins_, scratchKinds_;
  PatternPool* patterns_ = nullptr;
};

// The searches of one run: each starts from its own greedy order and runs
// the same number of iterations; the best of them is the result. The top
// effort runs half as many again.
int tasksFor(int effort) { return effort >= 10 ? 6 : 4; }

// Greedy fillings tried for each sheet of a start.
int attemptsFor(int effort) { return 20 * std::clamp(effort, 1, 10); }

// The cover at the end is tried from effort 2 on jobs of at most so many
// copies and kinds (its relaxation keeps a square matrix of the kinds),
// without offcuts or kinds whose copies share one orientation (the sheets
// of different searches may have turned them differently). Its simplex and
// the sheets it makes may take kCoverSteps steps times the cube of the
// effort: about 0.02 s at effort 2, 0.3 s at 5 and 2 s at 10 on a 2-core
// machine, twice that when it starts once more (see kSmoothing). It pays
// most where the searches have left many full sheets, at the top effort;
// at effort 1 it found nothing on the 500 standard instances.
constexpr std::size_t kCoverCopies = 2000;
constexpr std::int32_t kCoverKinds = 400;
constexpr std::int64_t kCoverSteps = 2'000'000;
// Sheets are made for the relaxation's duals (see SheetPricing.h) for at
// most kPriceRounds rounds for the whole job, kDiveRounds for the copies
// left at each step of the dive that follows, which weighs kDiveTries
// sheets at each step.
constexpr int kPriceRounds = 300;
constexpr int kDiveRounds = 50;
constexpr std::size_t kDiveTries = 3;
// Once the dive has at most kRestSheets sheets left, a search of their own
// lays the copies left out (kRestIterations moves after its start); the
// sheets the relaxation knows of often cannot hold them so few.
constexpr std::int32_t kRestSheets = 4;
constexpr std::int64_t kRestIterations = 2000;
// When both dives fail although a relaxation came down to the target, the
// cover starts once more from the searches' sheets alone, with a budget
// of its own, and makes sheets by strip fillings for duals smoothed by
// kSmoothing (see SheetMaker::smoothDuals): other sheets, and another
// dive. Where that start saved a sheet, it was with the strips alone;
// cuts of any depth after it only took time.
constexpr double kSmoothing = 0.5;

// Makes sheets for the duals of the cover's relaxation (column generation):
// each round solves the relaxation and fills a sheet for the most value at
// its duals in several ways; a sheet worth more than 1 lowers the
// relaxation and joins the problem, its tree joining `trees`.
class SheetMaker {
 public:
  SheetMaker(const Shared& sh, CoverProblem& problem, std::vector<const GuillotineBin*>& trees, CoverBudget& budget)
      : sh_(sh),
        problem_(problem),
        trees_(trees),
        budget_(budget),
        kinds_(static_cast<std::size_t>(sh.kinds)),
        known_(problem.sheets.begin(), problem.sheets.end()) {
    for (std::int32_t i : sh.active) {
      ValuedKind& k = kinds_[static_cast<std::size_t>(sh.item(i).kind)];
      k.w = sh.item(i).w;
      k.h = sh.item(i).h;
      k.allowed = sh.item(i).allowed;
      k.item = i;
    }
    const PackProblem& p = sh.p;
    trim_ = p.maxStages == 0 || p.maxStages >= 4;
    // Strips along X are those along Y turned when every copy may turn on a
    // square sheet.
    symmetric_ = p.standard.w == p.standard.h && p.rootAlongX < 0 &&
                 std::all_of(sh.active.begin(), sh.active.end(),
                             [&](std::int32_t i) { return sh.item(i).allowed == (AllowAsGiven | AllowTurned); });
  }

  // Lays the copies `demand` still asks for out on at most `sheets`
  // standard sheets with a search of their own, within what is left of the
  // budget; the sheets join the problem and their indices `chosen`. False
  // when the search needs more sheets.
  bool layRest(const std::vector<std::int32_t>& demand, std::int32_t sheets, std::vector<std::size_t>& chosen) {
    const std::int64_t room = budget_.limit - budget_.spent;
    if (room <= 0) return false;
    PackProblem rest;
    rest.standard = sh_.p.standard;
    rest.maxStages = sh_.p.maxStages;
    rest.rootAlongX = sh_.p.rootAlongX;
    std::vector<std::int32_t> original;  // per copy of `rest`: the copy of the job
    std::vector<std::int32_t> wanted = demand;
    for (std::int32_t i : sh_.active) {
      std::int32_t& w = wanted[static_cast<std::size_t>(sh_.item(i).kind)];
      if (w <= 0) continue;
      --w;
      rest.items.push_back(sh_.item(i));
      original.push_back(i);
    }
    const Shared shared(rest);
    if (shared.lowerBound > sheets) return false;
    Search search(shared, seedOf(1, static_cast<std::uint64_t>(sheets)), StopSignals{budget_.stop, nullptr, {}}, room);
    Solution s = search.constructBySheets(attemptsFor(1));
    if (s.poolArea > 0 || s.standardUsed() > sheets)
      s = search.improve(std::move(s), kRestIterations, nullptr, nullptr, 0);
    budget_.spent += search.work();
    if (s.poolArea > 0 || s.standardUsed() > sheets) return false;
    for (GuillotineBin& g : s.bins) {
      if (g.empty()) continue;
      for (std::int32_t l : g.itemLeaves()) g.setItem(l, original[static_cast<std::size_t>(g.node(l).item)]);
      std::vector<std::int32_t> sheetKinds = kindsOn(g);
      known_.insert(sheetKinds);
      chosen.push_back(keep(std::move(g), std::move(sheetKinds)));
    }
    return true;
  }

  // Sheets are made for a mix of the relaxation's duals and those they were
  // last made for, `weight` of the latter, and join it while worth more
  // than a sheet at its own duals; when that finds none, for its duals
  // alone. The duals of a relaxation with many sheets of equal worth leap
  // from round to round; the mix keeps to where they settle.
  void smoothDuals(double weight) { smoothing_ = weight; }

  // Whether sheets are also cut for the duals by cuts of any depth, when
  // the strip fillings find none worth more than a sheet (see CutForValue).
  bool cutsToAnyDepth() const { return anyDepth_; }
  void startCuttingToAnyDepth() { anyDepth_ = true; }

  // The relaxation for `demand` after at most `rounds` rounds, the sheets
  // its optimum uses in `x`; -1 when the budget ran out.
  double relax(const std::vector<std::int32_t>& demand, int rounds, std::vector<std::pair<std::size_t, double>>& x) {
    for (std::size_t k = 0; k < kinds_.size(); ++k) kinds_[k].copies = std::max(0, demand[k]);
    CoverRelaxation lp(problem_, demand, budget_);
    std::vector<double> duals, mixed;
    for (int round = 0;; ++round) {
      double value = 0;
      if (!lp.solve(value, duals, &x)) return -1;
      if (round >= rounds || budget_.spent > budget_.limit) return value;
      bool added = false;
      if (smoothing_ > 0 && !mixed.empty()) {
        for (std::size_t k = 0; k < duals.size(); ++k) mixed[k] = smoothing_ * mixed[k] + (1 - smoothing_) * duals[k];
        added = addSheets(mixed, duals, lp);
      }
      if (!added) {
        mixed = duals;
        added = addSheets(duals, duals, lp);
      }
      if (!added || budget_.spent > budget_.limit) return value;
    }
  }

 private:
  // Sheets made for `prices` join `lp` while worth more than a sheet at its
  // `duals`.
  bool addSheets(const std::vector<double>& prices, const std::vector<double>& duals, CoverRelaxation& lp) {
    const PackProblem& p = sh_.p;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      // A trace of the area among copies of equal worth: fuller sheets.
      const double area = static_cast<double>(std::int64_t{kinds_[k].w} * kinds_[k].h);
      kinds_[k].value = prices[k] > 1e-9 ? prices[k] + 1e-6 * area / static_cast<double>(problem_.sheetArea) : 0.0;
    }
    bool added = false;
    // A sheet worth more than a sheet, within the stage limit and not yet
    // known, joins the relaxation.
    auto offer = [&](double value, GuillotineBin& g) {
      if (value <= 1 + 1e-6 || g.empty() || (p.maxStages > 0 && g.stages(p.rootAlongX) > p.maxStages)) return;
      std::vector<std::int32_t> sheetKinds = kindsOn(g);
      // Priced at the duals themselves, `value` already says so.
      if (&prices != &duals) {
        double worth = 0;
        for (std::int32_t k : sheetKinds) worth += duals[static_cast<std::size_t>(k)];
        if (worth <= 1 + 1e-6) return;
      }
      if (!known_.insert(sheetKinds).second) return;
      lp.add(sheetKinds);
      keep(std::move(g), std::move(sheetKinds));
      added = true;
    };
    for (int n = 0; n < 4; ++n) {
      const FillWay way{n / 2 == 1, trim_, n % 2 == 1};
      if (way.stripsAlongX && symmetric_) continue;
      GuillotineBin g;
      offer(FillForValue(kinds_, p.standard, way, g, budget_.spent, budget_.limit), g);
    }
    if (!added && anyDepth_) {
      GuillotineBin g;
      offer(CutForValue(kinds_, p.standard, g, budget_.spent, budget_.limit), g);
    }
    return added;
  }

  // The kinds of the copies on a sheet, ascending.
  std::vector<std::int32_t> kindsOn(const GuillotineBin& g) const {
    std::vector<std::int32_t> kinds;
    for (std::int32_t l : g.itemLeaves()) kinds.push_back(sh_.item(g.node(l).item).kind);
    std::sort(kinds.begin(), kinds.end());
    return kinds;
  }

  // A sheet made here joins the problem (its tree `trees_`); its index.
  std::size_t keep(GuillotineBin&& g, std::vector<std::int32_t>&& kinds) {
    problem_.sheets.push_back(std::move(kinds));
    made_.push_back(std::move(g));
    trees_.push_back(&made_.back());
    return problem_.sheets.size() - 1;
  }

  const Shared& sh_;
  CoverProblem& problem_;
  std::vector<const GuillotineBin*>& trees_;
  CoverBudget& budget_;
  std::vector<ValuedKind> kinds_;
  std::set<std::vector<std::int32_t>> known_;
  std::deque<GuillotineBin> made_;
  bool trim_ = true, symmetric_ = false, anyDepth_ = false;
  double smoothing_ = 0;
};

// Sheets for at most `target` sheets: a dive from the relaxation `value`,
// `x` of the whole problem. At each step the cover is tried on the copies
// still to hold, with at most half of the budget left per sheet left (its
// branch and bound could otherwise spend it all on the first steps), and
// on the last few sheets a search of their own; else, of the sheets the
// relaxation uses most, the one that leaves the least relaxation (with
// sheets made for it) is taken. Empty when that fails.
std::vector<std::size_t> DiveForCover(SheetMaker& maker, const CoverProblem& problem, std::int32_t target,
                                      CoverBudget& budget, double value,
                                      std::vector<std::pair<std::size_t, double>> x) {
  std::vector<std::int32_t> demand = problem.demand;
  std::vector<std::size_t> chosen;
  std::vector<std::pair<std::size_t, double>> y;
  while (static_cast<std::int32_t>(chosen.size()) < target) {
    const auto left = target - static_cast<std::int32_t>(chosen.size());
    if (left <= kRestSheets && maker.layRest(demand, left, chosen)) return chosen;
    if (value < 0 || std::ceil(value - 1e-6) > left || x.empty()) return {};
    CoverProblem residual = problem;
    residual.demand = demand;
    CoverBudget share{budget.spent + (budget.limit - budget.spent) / (2 * left), budget.spent, budget.stop};
    std::vector<std::size_t> rest = CoverSheets(residual, left, share, true);
    budget.spent = share.spent;
    if (!rest.empty()) {
      chosen.insert(chosen.end(), rest.begin(), rest.end());
      return chosen;
    }
    std::sort(x.begin(), x.end(), [](const auto& p, const auto& q) { return p.second > q.second; });
    std::vector<std::int32_t> after, best;
    std::vector<std::pair<std::size_t, double>> bestX;
    std::size_t take = 0;
    double least = std::numeric_limits<double>::infinity();
    for (std::size_t c = 0; c < std::min(x.size(), kDiveTries); ++c) {
      after = demand;
      for (std::int32_t k : problem.sheets[x[c].first]) --after[static_cast<std::size_t>(k)];
      const double v = maker.relax(after, kDiveRounds, y);
      if (v < 0) return {};
      if (v < least - 1e-9) {
        least = v;
        take = x[c].first;
        best.swap(after);
        bestX.swap(y);
      }
    }
    chosen.push_back(take);
    demand.swap(best);
    if (std::all_of(demand.begin(), demand.end(), [](std::int32_t d) { return d <= 0; })) return chosen;
    value = least;
    x.swap(bestX);
  }
  return {};
}

// Lays the copies out on fewer of the standard sheets the searches kept
// (see SheetCover.h), one sheet fewer at a time; when they hold no such
// layout, sheets made for the relaxation's duals join them. nullopt when
// that fails. `relaxedTo` gets the number of sheets it last sought when
// the relaxation came down to it only with sheets cut to any depth (-1 when
// it did not).
std::optional<Solution> CoverWithFewer(const Shared& sh, const std::vector<PatternPool>& pools, const Solution& best,
                                       int effort, const std::atomic<bool>* stop, std::int32_t& relaxedTo) {
  relaxedTo = -1;
  std::vector<const GuillotineBin*> trees;
  CoverProblem problem;
  {
    std::map<std::vector<std::int32_t>, const GuillotineBin*> merged;
    for (const PatternPool& pool : pools)
      for (const auto& [kinds, tree] : pool.sheets) merged.try_emplace(kinds, &tree);
    for (auto& [kinds, tree] : merged) {
      problem.sheets.push_back(kinds);
      trees.push_back(tree);
    }
  }
  problem.demand.assign(static_cast<std::size_t>(sh.kinds), 0);
  problem.area.assign(static_cast<std::size_t>(sh.kinds), 0);
  for (std::int32_t i : sh.active) {
    ++problem.demand[static_cast<std::size_t>(sh.item(i).kind)];
    problem.area[static_cast<std::size_t>(sh.item(i).kind)] = areaOf(sh.item(i));
  }
  problem.sheetArea = std::int64_t{sh.p.standard.w} * sh.p.standard.h;
  const std::int64_t e = std::clamp(effort, 1, 10);
  const std::int64_t steps = e * e * e * kCoverSteps;
  CoverBudget budget{steps, 0, stop};
  std::optional<Solution> fewer;
  const CoverProblem searched = problem;
  const std::vector<const GuillotineBin*> searchedTrees = trees;
  auto maker = std::make_unique<SheetMaker>(sh, problem, trees, budget);
  bool restarted = false;
  for (std::int32_t target = best.standardUsed() - 1; target >= sh.lowerBound; --target) {
    std::vector<std::size_t> chosen = CoverSheets(problem, target, budget);
    bool within = false;        // a relaxation came down to the target
    bool onlyAnyDepth = false;  // only once sheets cut to any depth joined
    for (;;) {
      // Sheets made by strip fillings first; when the dive fails with
      // them, sheets cut to any depth join the relaxation and it dives
      // again. Cutting to any depth from the start would find other sheets
      // and lead the dive elsewhere, losing layouts the strips alone reach.
      while (chosen.empty() && budget.spent < budget.limit) {
        std::vector<std::pair<std::size_t, double>> x;
        const double value = maker->relax(problem.demand, kPriceRounds, x);
        if (value >= 0 && value <= target + 1e-6) {
          if (!within) onlyAnyDepth = maker->cutsToAnyDepth();
          within = true;
          chosen = DiveForCover(*maker, problem, target, budget, value, std::move(x));
        }
        if (maker->cutsToAnyDepth() || restarted) break;
        maker->startCuttingToAnyDepth();
      }
      // On the last few sheets the dive is a search of their own, which a
      // second start would only repeat.
      if (!chosen.empty() || !within || restarted || target <= kRestSheets) break;
      restarted = true;
      problem = searched;
      trees = searchedTrees;
      maker = std::make_unique<SheetMaker>(sh, problem, trees, budget);
      maker->smoothDuals(kSmoothing);
      budget.limit = budget.spent + steps;
    }
    if (chosen.empty()) {
      if (within && onlyAnyDepth) relaxedTo = target;
      break;
    }
    std::vector<const GuillotineBin*> sheets;
    for (std::size_t i : chosen) sheets.push_back(trees[i]);
    fewer = LayoutOf(sh, sheets);
  }
  return fewer;
}

// When the cover's relaxation comes down to a number of sheets only with
// sheets cut to any depth and its dives cannot reach it, the sheets are
// completed one at a time with exactly checked sets of copies (see
// SheetCompletion.h): on jobs of at most kCompletionJob copies and
// kCompletionPerSheet a sheet, without a stage limit (the check cuts to any
// depth), within kCompletionSteps steps times the cube of the effort. On
// the 500 instances at effort 10 this saves 1 sheet turned; on larger jobs
// (80 and 100 copies) it spent 4 to 15 s each without a sheet saved.
constexpr std::size_t kCompletionJob = 64;
constexpr std::int32_t kCompletionPerSheet = 12;
constexpr std::int64_t kCompletionSteps = 250'000;

bool completable(const Shared& sh, std::int32_t target) {
  return sh.p.maxStages == 0 && sh.active.size() <= kCompletionJob && target > 0 &&
         sh.active.size() <= static_cast<std::size_t>(kCompletionPerSheet * target);
}

std::optional<Solution> CompleteWithFewer(const Shared& sh, std::int32_t target, int effort,
                                          const std::atomic<bool>* stop) {
  const std::int64_t e = std::clamp(effort, 1, 10);
  CompletionBudget budget{e * e * e * kCompletionSteps, 0, stop};
  const std::vector<GuillotineBin> sheets = CompleteSheets(sh.p.items, sh.active, sh.p.standard, target, budget);
  if (sheets.empty()) return std::nullopt;
  std::vector<const GuillotineBin*> chosen;
  for (const GuillotineBin& g : sheets) chosen.push_back(&g);
  return LayoutOf(sh, chosen);
}

// The work a search may do, in free rectangles looked at: enough for the
// iterations of a job of a few hundred copies, and in proportion to the
// copies beyond, so that a large job takes time in step with the quick
// search's rather than with its iterations over ever more sheets.
std::int64_t workFor(int effort, std::size_t copies) {
  const std::int64_t e = std::clamp(effort, 1, 10);
  return e * (20'000'000 + 2'500 * static_cast<std::int64_t>(copies));
}

std::int64_t iterationsFor(int effort) {
  static constexpr std::int64_t kIterations[] = {250, 500, 1000, 2000, 4000, 6000, 8000, 10000, 13000, 16000};
  return kIterations[std::clamp(effort, 1, 10) - 1];
}

PackResult toResult(const Shared& sh, const Solution& s, bool stopped) {
  PackResult r;
  r.lowerBound = sh.lowerBound;
  r.stopped = stopped;
  r.orientation = s.kindOrient;
  for (std::size_t b = 0; b < s.bins.size(); ++b) {
    if (s.bins[b].empty()) continue;
    PackedBin pb;
    pb.offcut = s.binOffcut[b];
    pb.tree = s.bins[b];
    r.bins.push_back(std::move(pb));
  }
  std::stable_sort(r.bins.begin(), r.bins.end(), [](const PackedBin& a, const PackedBin& b) {
    const std::int64_t ka = a.offcut < 0 ? std::numeric_limits<std::int32_t>::max() : a.offcut;
    const std::int64_t kb = b.offcut < 0 ? std::numeric_limits<std::int32_t>::max() : b.offcut;
    return ka < kb;
  });
  for (const PackedBin& b : r.bins)
    if (b.offcut < 0) ++r.standardSheets;
  r.unplaced = s.pool;
  r.unplaced.insert(r.unplaced.end(), sh.excluded.begin(), sh.excluded.end());
  std::sort(r.unplaced.begin(), r.unplaced.end());
  return r;
}

}  // namespace

std::int64_t WorkBudget(int effort) { return tasksFor(effort) * iterationsFor(effort); }

// The bound of dual feasible functions. A function f of the sizes 0..C is
// dual feasible when sizes that fit side by side in C keep a sum of f(x)/C
// of at most 1. For such functions f across and g along the sheet, no sheet
// holds copies whose f(w) g(h) add up to more than the sheet's W H, so the
// sum over all copies bounds the sheets (each copy counted in the
// orientation of least value among those it may take). Tried: the
// identity; u_k(x) = x when (k + 1) x / C is whole, else
// floor((k + 1) x / C) C / k, for k = 1..5; U_e(x) = C above C - e, 0 below
// e, else x, for up to 16 sizes e of at most C / 2. u_k is kept times k, so
// that the sums are exact whole numbers.
static std::int64_t DualFeasibleBound(const PackProblem& p) {
  const std::int64_t W = p.standard.w, H = p.standard.h;
  if (W <= 0 || H <= 0 || !p.offcuts.empty()) return 0;
  struct Fn {
    std::int64_t k = 0;  // u_k; 0 the identity or U_e
    std::int64_t e = 0;  // U_e; 0 the identity
    std::int64_t scale() const { return k > 0 ? k : 1; }
    std::int64_t value(std::int64_t x, std::int64_t C) const {
      if (k > 0) return ((k + 1) * x) % C == 0 ? x * k : ((k + 1) * x) / C * C;
      if (e > 0) return x > C - e ? C : (x < e ? 0 : x);
      return x;
    }
  };
  // Copies counted per size and the orientations they may take: as given
  // (entries 0, 1) and turned (2, 3), -1 where not allowed.
  std::map<std::array<std::int64_t, 4>, std::int64_t> copies;
  std::vector<std::int64_t> across, along;
  for (const PackItem& it : p.items) {
    const bool asGiven = (it.allowed & AllowAsGiven) && it.w <= W && it.h <= H;
    const bool turned = (it.allowed & AllowTurned) && it.h <= W && it.w <= H;
    if (!asGiven && !turned) continue;
    std::array<std::int64_t, 4> key{-1, -1, -1, -1};
    if (asGiven) key[0] = it.w, key[1] = it.h;
    if (turned) key[2] = it.h, key[3] = it.w;
    if (copies[key]++ > 0) continue;
    for (std::size_t o = 0; o < 4; o += 2) {
      if (key[o] < 0) continue;
      across.push_back(key[o]);
      along.push_back(key[o + 1]);
    }
  }
  if (copies.empty()) return 0;
  // The sums stay within 64 bits (a value is at most 5 C), or no bound.
  std::int64_t total = 0;
  for (const auto& entry : copies) total += entry.second;
  if (W * H > std::numeric_limits<std::int64_t>::max() / 25 / total) return 0;
  // Fewer functions U_e on jobs with very many sizes, to keep the work
  // close to linear.
  const std::size_t most = copies.size() > 10'000 ? 6 : 16;
  auto family = [&](std::vector<std::int64_t>& sizes, std::int64_t C) {
    std::vector<Fn> fns{Fn{}};
    for (std::int64_t k = 1; k <= 5; ++k) fns.push_back(Fn{k, 0});
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    std::vector<std::int64_t> es;
    for (std::int64_t s : sizes)
      if (s > 0 && 2 * s <= C) es.push_back(s);
    const std::size_t n = std::min(most, es.size());
    for (std::size_t i = 0; i < n; ++i) fns.push_back(Fn{0, es[i * es.size() / n]});
    return fns;
  };
  const std::vector<Fn> fw = family(across, W), fh = family(along, H);
  std::int64_t bound = 0;
  for (const Fn& f : fw) {
    for (const Fn& g : fh) {
      std::int64_t sum = 0;
      for (const auto& [key, n] : copies) {
        std::int64_t least = std::numeric_limits<std::int64_t>::max();
        for (std::size_t o = 0; o < 4; o += 2)
          if (key[o] >= 0) least = std::min(least, f.value(key[o], W) * g.value(key[o + 1], H));
        sum += least * n;
      }
      const std::int64_t sheet = W * f.scale() * H * g.scale();
      bound = std::max(bound, (sum + sheet - 1) / sheet);
    }
  }
  return bound;
}

std::int32_t StandardLowerBound(const PackProblem& p) {
  const std::int64_t binArea = static_cast<std::int64_t>(p.standard.w) * p.standard.h;
  if (binArea <= 0) return 0;
  // Room on the offcuts counts against the area bound; the large-item
  // bounds hold only when there are no offcuts.
  std::int64_t offcutArea = 0;
  for (const PackSheet& o : p.offcuts) offcutArea += static_cast<std::int64_t>(o.w) * o.h;

  struct Dims {
    std::int64_t minW, minH, area;  // least extents over the orientations the copy may take
    bool bigW, bigH;                // wider (taller) than half the sheet in every orientation
  };
  std::vector<Dims> dims;
  std::int64_t total = 0;
  const std::int64_t W = p.standard.w, H = p.standard.h;
  for (const PackItem& it : p.items) {
    const bool asGiven = (it.allowed & AllowAsGiven) && it.w <= W && it.h <= H;
    const bool turned = (it.allowed & AllowTurned) && it.h <= W && it.w <= H;
    if (!asGiven && !turned) continue;
    Dims d{};
    d.minW = std::min(asGiven ? it.w : std::numeric_limits<std::int64_t>::max(),
                      turned ? it.h : std::numeric_limits<std::int64_t>::max());
    d.minH = std::min(asGiven ? it.h : std::numeric_limits<std::int64_t>::max(),
                      turned ? it.w : std::numeric_limits<std::int64_t>::max());
    d.area = areaOf(it);
    total += d.area;
    dims.push_back(d);
  }
  auto ceilDiv = [](std::int64_t a, std::int64_t b) { return a <= 0 ? 0 : (a + b - 1) / b; };
  std::int64_t bound = ceilDiv(total - offcutArea, binArea);
  if (!p.offcuts.empty() || dims.empty()) return static_cast<std::int32_t>(bound);

  // Copies more than half as wide and more than half as tall as the sheet
  // (in every orientation they may take) never share a sheet. Copies at
  // least q wide and p tall cannot share a sheet with a copy wider than
  // W - q and taller than H - p; with the room the big ones leave they give
  // a bound for every p and q.
  std::vector<std::int64_t> ps{0}, qs{0};
  for (const Dims& d : dims) {
    if (d.minH * 2 <= H) ps.push_back(d.minH);
    if (d.minW * 2 <= W) qs.push_back(d.minW);
  }
  std::sort(ps.begin(), ps.end());
  ps.erase(std::unique(ps.begin(), ps.end()), ps.end());
  std::sort(qs.begin(), qs.end());
  qs.erase(std::unique(qs.begin(), qs.end()), qs.end());
  // Keep the work bounded on jobs with many sizes.
  auto thin = [](std::vector<std::int64_t>& v) {
    if (v.size() <= 64) return;
    std::vector<std::int64_t> t;
    for (std::size_t i = 0; i < 64; ++i) t.push_back(v[i * v.size() / 64]);
    v = std::move(t);
  };
  thin(ps);
  thin(qs);
  for (std::int64_t pp : ps) {
    for (std::int64_t qq : qs) {
      std::int64_t k1 = 0, k2 = 0, k2Room = 0, k3Area = 0;
      for (const Dims& d : dims) {
        const bool big = d.minW * 2 > W && d.minH * 2 > H;
        if (big && d.minW > W - qq && d.minH > H - pp) {
          ++k1;
        } else if (big) {
          ++k2;
          k2Room += binArea - d.area;
        } else if (d.minW >= qq && d.minH >= pp) {
          k3Area += d.area;
        }
      }
      bound = std::max(bound, k1 + k2 + ceilDiv(k3Area - k2Room, binArea));
    }
  }
  // Copies taller than half the sheet never stand one above the other, so
  // their widths behave as one-dimensional bin packing (likewise across).
  for (int axis = 0; axis < 2; ++axis) {
    const std::int64_t C = axis == 0 ? W : H;
    const std::int64_t other = axis == 0 ? H : W;
    std::vector<std::int64_t> sizes;
    for (const Dims& d : dims) {
      const std::int64_t across = axis == 0 ? d.minH : d.minW;
      if (across * 2 > other) sizes.push_back(axis == 0 ? d.minW : d.minH);
    }
    std::vector<std::int64_t> qv{0};
    for (std::int64_t s : sizes)
      if (s * 2 <= C) qv.push_back(s);
    std::sort(qv.begin(), qv.end());
    qv.erase(std::unique(qv.begin(), qv.end()), qv.end());
    thin(qv);
    for (std::int64_t q : qv) {
      std::int64_t j1 = 0, j2 = 0, j2Room = 0, j3 = 0;
      for (std::int64_t s : sizes) {
        if (s > C - q)
          ++j1;
        else if (s * 2 > C) {
          ++j2;
          j2Room += C - s;
        } else if (s >= q)
          j3 += s;
      }
      bound = std::max(bound, j1 + j2 + ceilDiv(j3 - j2Room, C));
    }
  }
  return static_cast<std::int32_t>(std::max(bound, DualFeasibleBound(p)));
}

struct SheetReshaper::Impl {
  explicit Impl(const PackProblem& problem) : shared(problem, false) {}
  Shared shared;
};

SheetReshaper::SheetReshaper(const PackProblem& problem) : impl_(std::make_unique<Impl>(problem)) {}
SheetReshaper::~SheetReshaper() = default;

bool SheetReshaper::pack(const std::vector<std::int32_t>& items, const std::vector<std::uint8_t>& orientation,
                         const PackSheet& sheet, int variant, GuillotineBin& out) const {
  const Shared& sh = impl_->shared;
  Search search(sh, 0);
  Solution s;
  s.itemBin.assign(sh.p.items.size(), -1);
  s.kindOrient = orientation;
  s.kindOrient.resize(static_cast<std::size_t>(sh.kinds), 0);
  s.bins.emplace_back(sheet.x, sheet.y, sheet.w, sheet.h);
  s.binOffcut.push_back(-1);
  std::vector<std::int32_t> order = items;
  search.sortBy(order, variant % kSortKeys);
  // Where each copy goes: the best fit of the search, or as far left, or as
  // far up as it can, which keeps the room left in one piece.
  const int rule = variant / kSortKeys % 3;
  const bool flip = variant / (kSortKeys * 3) % 2 == 1;
  for (std::int32_t item : order) {
    Option o;
    if (rule == 0) {
      if (!search.bestOption(s, item, o)) return false;
    } else {
      const PackItem& it = sh.item(item);
      const std::uint8_t allowed = search.allowedNow(s, item);
      const GuillotineBin& g = s.bins.front();
      for (std::uint8_t turn : {AllowAsGiven, AllowTurned}) {
        if (!(allowed & turn)) continue;
        const std::int32_t a = turn == AllowAsGiven ? it.w : it.h;
        const std::int32_t b = turn == AllowAsGiven ? it.h : it.w;
        for (const FreeRect& f : g.freeLeaves()) {
          if (f.w < a || f.h < b) continue;
          const TreeNode& n = g.node(f.node);
          const std::int64_t k1 = rule == 1 ? n.x + a : n.y + b;
          const std::int64_t k2 = rule == 1 ? n.y + b : n.x + a;
          if (o.bin < 0 || k1 < o.k1 || (k1 == o.k1 && k2 < o.k2)) o = Option{0, f.node, a, b, k1, k2};
        }
      }
      if (o.bin < 0) return false;
      o.way = rule == 1 ? SplitWay::BelowFirst : SplitWay::RightFirst;
    }
    if (flip) o.way = o.way == SplitWay::RightFirst ? SplitWay::BelowFirst : SplitWay::RightFirst;
    search.place(s, item, o, nullptr);
  }
  if (sh.p.maxStages > 0 && s.bins.front().stages(sh.p.rootAlongX) > sh.p.maxStages) return false;
  out = std::move(s.bins.front());
  return true;
}

int SheetReshaper::variants() { return 6 * kSortKeys; }

PackResult Pack(const PackProblem& problem, const PackOptions& options) {
  const Shared sh(problem);
  const bool fewSheets = sh.lowerBound <= kFewSheets;
  const std::int64_t movesPerUnit = fewSheets ? kFewSheetsMoves : 1;
  const std::int64_t iterations = iterationsFor(options.effort) * movesPerUnit;
  const int tasks = tasksFor(options.effort);
  const int threads = std::clamp(options.threads, 1, tasks);

  // Work is handed out in a fixed order, and the results are compared in
  // task order, so the number of threads changes only the time taken.
  std::mutex m;
  bool sideTaken = !options.sideJob;
  int nextTask = 0;
  bool stopped = false;
  std::vector<std::optional<Solution>> results(static_cast<std::size_t>(tasks));
  const bool coverable = options.effort >= 2 && problem.offcuts.empty() && sh.active.size() <= kCoverCopies &&
                         sh.kinds <= kCoverKinds &&
                         std::none_of(problem.oneForAll.begin(), problem.oneForAll.end(), [](bool b) { return b; });
  std::vector<PatternPool> patterns(coverable ? static_cast<std::size_t>(tasks) : 0);
  // A search that reaches the lower bound makes every later one pointless:
  // among equals the earlier search wins.
  std::atomic<int> cancelBelow{std::numeric_limits<int>::max()};
  // The first exception of any worker ends every search; the caller gets it.
  std::atomic<bool> failed{false};
  std::exception_ptr failure;
  auto guarded = [&](auto&& work) {
    try {
      work();
    } catch (...) {
      std::lock_guard lock(m);
      if (!failure) failure = std::current_exception();
      failed.store(true);
    }
  };

  auto worker = [&] {
    std::unique_lock lock(m);
    for (;;) {
      if (failed.load()) return;
      if (!sideTaken) {
        sideTaken = true;
        lock.unlock();
        guarded(options.sideJob);
        lock.lock();
        continue;
      }
      if (nextTask >= tasks) return;
      const int t = nextTask++;
      // Once stopped, the searches not yet begun are left out; the first
      // one still lays every copy out.
      if (t > 0 && options.stop && options.stop->load()) {
        stopped = true;
        continue;
      }
      lock.unlock();
      guarded([&] {
        StopSignals stops{options.stop, &failed, std::nullopt};
        if (options.searchCap.count() > 0) stops.deadline = std::chrono::steady_clock::now() + options.searchCap;
        Search search(sh, seedOf(0, static_cast<std::uint64_t>(t)), stops, workFor(options.effort, sh.active.size()));
        if (coverable) search.keepSheetsIn(&patterns[static_cast<std::size_t>(t)]);
        search.refillSheets(!fewSheets);
        Solution start = search.constructBySheets(attemptsFor(options.effort));
        Solution out = search.improve(std::move(start), iterations, options.done, &cancelBelow, t, movesPerUnit);
        if (out.poolArea == 0 && out.standardUsed() <= sh.lowerBound) {
          int cur = cancelBelow.load();
          while (t < cur && !cancelBelow.compare_exchange_weak(cur, t)) {
          }
        }
        std::lock_guard hold(m);
        if (search.stopped()) stopped = true;
        results[static_cast<std::size_t>(t)] = std::move(out);
      });
      lock.lock();
    }
  };
  {
    std::vector<std::jthread> pool;
    guarded([&] {
      for (int i = 1; i < threads; ++i) pool.emplace_back(worker);
    });
    worker();
  }
  if (failure) std::rethrow_exception(failure);

  const Solution* best = nullptr;
  for (const auto& r : results) {
    if (r && (!best || better(*r, *best))) best = &*r;
  }
  std::optional<Solution> fewer, completed;
  if (coverable && !stopped && best->poolArea == 0 && best->standardUsed() > sh.lowerBound) {
    std::int32_t relaxedTo = -1;
    fewer = CoverWithFewer(sh, patterns, *best, options.effort, options.stop, relaxedTo);
    if (fewer) best = &*fewer;
    if (relaxedTo >= 0 && relaxedTo == best->standardUsed() - 1 && completable(sh, relaxedTo)) {
      completed = CompleteWithFewer(sh, relaxedTo, options.effort, options.stop);
      if (completed) best = &*completed;
    }
  }
  return toResult(sh, *best, stopped);
}

}  // namespace kroyna::engine::improved
