#include "engine/SheetCompletion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <tuple>
#include <utility>

namespace kroyna::engine::improved {

namespace {

using Members = std::array<int, kCompletionCopies>;

// A set of copies, by their place in the search's order.
struct Set {
  std::uint64_t lo = 0, hi = 0;
  bool has(int i) const { return i < 64 ? (lo >> i) & 1 : (hi >> (i - 64)) & 1; }
  Set with(int i) const {
    Set s = *this;
    (i < 64 ? s.lo : s.hi) |= std::uint64_t{1} << (i & 63);
    return s;
  }
  bool operator==(const Set& o) const = default;
  // The members, ascending (larger copies first); returns how many.
  int members(Members& out) const {
    int k = 0;
    for (std::uint64_t w = lo; w; w &= w - 1) out[static_cast<std::size_t>(k++)] = std::countr_zero(w);
    for (std::uint64_t w = hi; w; w &= w - 1) out[static_cast<std::size_t>(k++)] = 64 + std::countr_zero(w);
    return k;
  }
};

struct SetHash {
  std::size_t operator()(const Set& s) const {
    std::uint64_t z = s.lo ^ (s.hi * 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::size_t>(z ^ (z >> 31));
  }
};

// Numbers for sets, by open addressing: the checks look sets up millions
// of times.
class SetIndex {
 public:
  // The number of `s`; `fresh` (and `s` is entered) when it has none yet.
  std::uint32_t find(const Set& s, std::uint32_t fresh) {
    if (2 * (count_ + 1) > slots_.size()) grow();
    std::size_t i = SetHash{}(s) & (slots_.size() - 1);
    while (slots_[i].number != kEmpty) {
      if (slots_[i].set == s) return slots_[i].number;
      i = (i + 1) & (slots_.size() - 1);
    }
    slots_[i] = {s, fresh};
    ++count_;
    return fresh;
  }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  struct Slot {
    Set set;
    std::uint32_t number = kEmpty;
  };
  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(1024, 2 * old.size()), Slot{});
    count_ = 0;
    for (const Slot& o : old)
      if (o.number != kEmpty) find(o.set, o.number);
  }
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// Sets of more copies are not checked exactly (the ways to cut them in two
// grow as 2^n): the greedy filling alone decides them.
constexpr int kExactCopies = 20;

// Exact guillotine check of sets of copies, with what it learnt kept: per
// set, the rectangles it was found to fit and not to fit (it fits every
// larger one and no smaller one).
class Fitter {
 public:
  Fitter(const std::vector<PackItem>& items, const std::vector<std::int32_t>& order, CompletionBudget& budget)
      : items_(items), order_(order), budget_(budget) {}

  // Whether set `s` fits w x h. False also once the budget is spent
  // (`exhausted()`), and then nothing is learnt from it.
  bool fits(Set s, std::int32_t w, std::int32_t h) {
    if (exhausted()) return false;
    ++budget_.spent;
    Members m;
    const int k = s.members(m);
    if (k == 1) return need(m[0], h, false) <= w;
    if (k > kExactCopies) return false;
    if (lowerWidth(m.data(), k, h, false) > w || lowerWidth(m.data(), k, w, true) > h) return false;
    // Copies that may all be turned fit w x h as they fit h x w.
    if (w > h &&
        std::all_of(m.begin(), m.begin() + k, [&](int i) { return item(i).allowed == (AllowAsGiven | AllowTurned); }))
      std::swap(w, h);
    const std::uint32_t at = index_.find(s, static_cast<std::uint32_t>(known_.size()));
    if (at == known_.size()) known_.emplace_back();
    budget_.spent += static_cast<std::int64_t>(known_[at].yes.size() + known_[at].no.size()) / 4;
    for (auto [fw, fh] : known_[at].yes)
      if (fw <= w && fh <= h) return true;
    for (auto [nw, nh] : known_[at].no)
      if (w <= nw && h <= nh) return false;
    const bool r = cut(m.data(), k, w, h, false, nullptr) || cut(m.data(), k, h, w, true, nullptr);
    if (exhausted()) return false;
    // Only the least rectangles it fits and the largest it does not are
    // kept: the others say nothing more.
    auto& list = r ? known_[at].yes : known_[at].no;
    std::erase_if(list, [&](const std::pair<std::int32_t, std::int32_t>& e) {
      return r ? (e.first >= w && e.second >= h) : (e.first <= w && e.second <= h);
    });
    list.emplace_back(w, h);
    return r;
  }

  // Lays set `s`, known to fit w x h, into free leaf `leaf` at its top-left
  // corner. A cut in two is made with a stand-in copy the size of the first
  // piece: the second piece is laid out beside it, then the stand-in taken
  // off and the first piece laid out in its place.
  bool lay(Set s, std::int32_t w, std::int32_t h, GuillotineBin& g, std::int32_t leaf) {
    Members m;
    const int k = s.members(m);
    const TreeNode f = g.node(leaf);
    if (k == 1) {
      const PackItem& it = item(m[0]);
      const bool given = (it.allowed & AllowAsGiven) && it.w <= w && it.h <= h;
      g.insert(leaf, order_[static_cast<std::size_t>(m[0])], given ? it.w : it.h, given ? it.h : it.w,
               SplitWay::RightFirst);
      return true;
    }
    Split sp;
    const bool across = !cut(m.data(), k, w, h, false, &sp);
    if (across && !cut(m.data(), k, h, w, true, &sp)) return false;
    const std::int32_t first = order_[static_cast<std::size_t>(m[0])];
    const std::int32_t standIn = across ? g.insert(leaf, first, f.w, sp.at, SplitWay::BelowFirst)
                                        : g.insert(leaf, first, sp.at, f.h, SplitWay::RightFirst);
    const std::int32_t rest = across ? g.freeAt(f.x, f.y + sp.at) : g.freeAt(f.x + sp.at, f.y);
    if (rest < 0 || !lay(sp.second, across ? w : w - sp.at, across ? h - sp.at : h, g, rest)) return false;
    g.remove(standIn);
    const std::int32_t back = g.freeAt(f.x, f.y);
    return back >= 0 && lay(sp.first, across ? w : sp.at, across ? sp.at : h, g, back);
  }

  void spend(std::int64_t steps) { budget_.spent += steps; }
  bool exhausted() {
    if (stopped_ || (budget_.stop && (++polls_ & 4095) == 0 && budget_.stop->load())) stopped_ = true;
    return stopped_ || (budget_.spent > budget_.limit && !unlimited_);
  }
  bool stopped() const { return stopped_; }
  // While laying out sets already found to fit, the budget does not apply.
  void setUnlimited(bool on) { unlimited_ = on; }

 private:
  struct Known {
    std::vector<std::pair<std::int32_t, std::int32_t>> yes, no;
  };
  struct Split {
    Set first, second;
    std::int32_t at = 0;
  };

  const PackItem& item(int i) const { return items_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])]; }

  // The least width copy i takes in a slice of height h (seen across when
  // `across`: widths along Y); INT_MAX when it does not fit.
  std::int32_t need(int i, std::int32_t h, bool across) const {
    const PackItem& it = item(i);
    std::int32_t r = INT_MAX;
    const std::int32_t a = across ? it.h : it.w, b = across ? it.w : it.h;
    if ((it.allowed & AllowAsGiven) && b <= h) r = a;
    if ((it.allowed & AllowTurned) && a <= h) r = std::min(r, b);
    return r;
  }

  // A width the copies s[0..k) need at least in a slice of height h: the
  // widest copy, their area, and copies taller than half the slice in every
  // way they fit, which stand side by side.
  std::int32_t lowerWidth(const int* s, int k, std::int32_t h, bool across) const {
    std::int64_t area = 0;
    std::int32_t widest = 0, tall = 0;
    for (int t = 0; t < k; ++t) {
      const PackItem& it = item(s[t]);
      const std::int32_t nd = need(s[t], h, across);
      if (nd == INT_MAX) return INT_MAX;
      widest = std::max(widest, nd);
      area += std::int64_t{it.w} * it.h;
      const std::int32_t a = across ? it.h : it.w, b = across ? it.w : it.h;
      std::int32_t tallWidth = INT_MAX;
      bool allTall = true;
      if ((it.allowed & AllowAsGiven) && b <= h) {
        if (2 * b > h)
          tallWidth = a;
        else
          allTall = false;
      }
      if ((it.allowed & AllowTurned) && a <= h) {
        if (2 * a > h)
          tallWidth = std::min(tallWidth, b);
        else
          allTall = false;
      }
      if (allTall) tall += tallWidth;
    }
    const std::int64_t byArea = (area + h - 1) / h;
    return static_cast<std::int32_t>(std::min<std::int64_t>(INT_MAX, std::max<std::int64_t>({widest, tall, byArea})));
  }

  // The real rectangle of a slice w x h seen across or not.
  bool fitsSeen(Set s, std::int32_t w, std::int32_t h, bool across) { return across ? fits(s, h, w) : fits(s, w, h); }

  // Whether the copies s[0..k) fit w x h cut in two across w (seen across:
  // across the height), the piece with s[0] first and as narrow as it can
  // be. `out` gets the cut when given.
  bool cut(const int* s, int k, std::int32_t w, std::int32_t h, bool across, Split* out) {
    std::array<int, kCompletionCopies> a{}, b{};
    for (std::uint32_t mask = 1; mask < (1u << k) - 1; mask += 2) {
      budget_.spent += k;
      if (exhausted()) return false;
      int ka = 0, kb = 0;
      Set sa, sb;
      for (int t = 0; t < k; ++t) {
        if ((mask >> t) & 1) {
          a[static_cast<std::size_t>(ka++)] = s[t];
          sa = sa.with(s[t]);
        } else {
          b[static_cast<std::size_t>(kb++)] = s[t];
          sb = sb.with(s[t]);
        }
      }
      const std::int32_t lo = lowerWidth(a.data(), ka, h, across);
      if (lo > w) continue;
      const std::int32_t loB = lowerWidth(b.data(), kb, h, across);
      if (loB > w - lo) continue;
      if (!fitsSeen(sb, w - lo, h, across) || !fitsSeen(sa, w - loB, h, across)) {
        if (exhausted()) return false;
        continue;
      }
      std::int32_t x = lo, y = w - loB;  // the first piece fits y wide
      while (x < y) {
        const std::int32_t mid = x + (y - x) / 2;
        if (fitsSeen(sa, mid, h, across))
          y = mid;
        else
          x = mid + 1;
      }
      if (fitsSeen(sb, w - y, h, across)) {
        if (out) *out = Split{sa, sb, y};
        return true;
      }
      if (exhausted()) return false;
    }
    return false;
  }

  const std::vector<PackItem>& items_;
  const std::vector<std::int32_t>& order_;
  CompletionBudget& budget_;
  std::uint32_t polls_ = 0;
  bool stopped_ = false, unlimited_ = false;
  SetIndex index_;
  std::vector<Known> known_;  // by index_
};

// The search over whole sheets.
class Completion {
 public:
  Completion(const std::vector<PackItem>& items, const std::vector<std::int32_t>& which, const PackSheet& sheet,
             CompletionBudget& budget)
      : items_(items), order_(which), sheet_(sheet), fitter_(items, order_, budget) {
    // Larger copies first; copies of one shape side by side.
    std::stable_sort(order_.begin(), order_.end(), [&](std::int32_t x, std::int32_t y) {
      const PackItem &a = items[static_cast<std::size_t>(x)], &b = items[static_cast<std::size_t>(y)];
      const std::int64_t aa = std::int64_t{a.w} * a.h, ab = std::int64_t{b.w} * b.h;
      if (aa != ab) return aa > ab;
      return std::tuple(a.w, a.h, a.allowed) < std::tuple(b.w, b.h, b.allowed);
    });
    n_ = static_cast<int>(order_.size());
    for (int i = 0; i < n_; ++i) {
      const PackItem& it = items[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])];
      area_.push_back(std::int64_t{it.w} * it.h);
      total_ += area_.back();
      sameAsBefore_.push_back(i > 0 && [&] {
        const PackItem& p = items[static_cast<std::size_t>(order_[static_cast<std::size_t>(i - 1)])];
        return p.w == it.w && p.h == it.h && p.allowed == it.allowed;
      }());
    }
    placed_.assign(static_cast<std::size_t>(n_), false);
  }

  // Sheets found for every copy, at most `target` of them with each
  // wasting at most `cap` (besides the total room the target leaves).
  bool run(std::int32_t target, std::int64_t cap) {
    slack_ = slackFor(target);
    cap_ = cap;
    chosen_.clear();
    std::fill(placed_.begin(), placed_.end(), false);
    return slack_ >= 0 && next(target, 0, 0);
  }

  // The room `target` sheets leave beside the copies (negative: too few).
  std::int64_t slackFor(std::int32_t target) const { return target * (std::int64_t{sheet_.w} * sheet_.h) - total_; }

  bool stopped() const { return fitter_.stopped(); }

  std::vector<GuillotineBin> layout() {
    fitter_.setUnlimited(true);
    std::vector<GuillotineBin> out;
    bool laid = true;
    for (const Set& s : chosen_) {
      GuillotineBin g(sheet_.x, sheet_.y, sheet_.w, sheet_.h);
      laid = laid && fitter_.lay(s, sheet_.w, sheet_.h, g, g.root());
      out.push_back(std::move(g));
    }
    fitter_.setUnlimited(false);
    if (!laid) out.clear();
    return out;
  }

  // Whether every copy given fits one sheet.
  bool fitsAll() {
    Set s;
    for (int i = 0; i < n_; ++i) s = s.with(i);
    return sheetFits(s, total_);
  }

 private:
  const PackItem& item(int i) const { return items_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])]; }

  // Whether `s` (area `area`) fits a sheet: a greedy filling answers most
  // sets that do, the exact check the rest; answers are kept.
  bool sheetFits(Set s, std::int64_t area) {
    if (area > std::int64_t{sheet_.w} * sheet_.h) return false;
    const std::uint32_t at = answerIndex_.find(s, static_cast<std::uint32_t>(answers_.size()));
    if (at == answers_.size())
      answers_.push_back(kUnknown);
    else if (answers_[at] != kUnknown)
      return answers_[at] != 0;
    const bool r = greedy(s) || fitter_.fits(s, sheet_.w, sheet_.h);
    if (fitter_.exhausted()) return false;
    answers_[at] = r ? 1 : 0;
    return r;
  }

  // Each copy, larger first, into the free rectangle it leaves least of,
  // the rest cut off keeping the larger room whole.
  bool greedy(Set s) {
    struct Room {
      std::int32_t w, h;
    };
    std::vector<Room> rooms{{sheet_.w, sheet_.h}};
    Members m;
    const int k = s.members(m);
    fitter_.spend(k);
    for (int t = 0; t < k; ++t) {
      const PackItem& it = item(m[static_cast<std::size_t>(t)]);
      std::size_t best = rooms.size();
      std::int32_t bw = 0, bh = 0;
      std::int64_t bestLeft = LLONG_MAX;
      for (std::size_t r = 0; r < rooms.size(); ++r) {
        for (int turned = 0; turned < 2; ++turned) {
          if (!(it.allowed & (turned ? AllowTurned : AllowAsGiven))) continue;
          const std::int32_t a = turned ? it.h : it.w, b = turned ? it.w : it.h;
          if (a > rooms[r].w || b > rooms[r].h) continue;
          const std::int64_t left = std::int64_t{rooms[r].w} * rooms[r].h;
          if (left < bestLeft) {
            bestLeft = left;
            best = r;
            bw = a;
            bh = b;
          }
        }
      }
      if (best == rooms.size()) return false;
      const Room f = rooms[best];
      rooms[best] = rooms.back();
      rooms.pop_back();
      const std::int32_t rw = f.w - bw, rh = f.h - bh;
      if (std::int64_t{rw} * f.h > std::int64_t{f.w} * rh) {
        if (rw) rooms.push_back({rw, f.h});
        if (rh) rooms.push_back({bw, rh});
      } else {
        if (rh) rooms.push_back({f.w, rh});
        if (rw) rooms.push_back({rw, bh});
      }
    }
    return true;
  }

  // Completes the sheet of the largest copy left, then the rest.
  bool next(std::int32_t sheetsLeft, std::int64_t wasted, int placedCount) {
    if (placedCount == n_) return true;
    if (sheetsLeft == 0 || fitter_.exhausted()) return false;
    int first = 0;
    while (placed_[static_cast<std::size_t>(first)]) ++first;
    std::int64_t left = 0;
    for (int i = first; i < n_; ++i)
      if (!placed_[static_cast<std::size_t>(i)]) left += area_[static_cast<std::size_t>(i)];
    placed_[static_cast<std::size_t>(first)] = true;
    const bool r = complete(Set{}.with(first), area_[static_cast<std::size_t>(first)], first + 1,
                            left - area_[static_cast<std::size_t>(first)], Set{}, sheetsLeft, wasted, placedCount + 1);
    if (!r) placed_[static_cast<std::size_t>(first)] = false;
    return r;
  }

  // Decides copy j onwards for the sheet holding `cur` (area `area`);
  // `rest` is the area of the copies left from j on, `out` those left out.
  bool complete(Set cur, std::int64_t area, int j, std::int64_t rest, Set out, std::int32_t sheetsLeft,
                std::int64_t wasted, int placedCount) {
    const std::int64_t sheetArea = std::int64_t{sheet_.w} * sheet_.h;
    const std::int64_t room = std::min(slack_ - wasted, cap_);
    fitter_.spend(1);
    if (sheetArea - std::min(area + rest, sheetArea) > room || fitter_.exhausted()) return false;
    while (j < n_ && placed_[static_cast<std::size_t>(j)]) ++j;
    if (j == n_) {
      // Only sets no copy left can join: a copy that could is better on
      // this sheet than on a later one.
      Members m;
      const int k = out.members(m);
      for (int t = 0; t < k; ++t)
        if (sheetFits(cur.with(m[static_cast<std::size_t>(t)]), area + area_[static_cast<std::size_t>(m[t])]))
          return false;
      const int count = cur.members(m);
      for (int t = 0; t < count; ++t) placed_[static_cast<std::size_t>(m[t])] = true;
      chosen_.push_back(cur);
      if (next(sheetsLeft - 1, wasted + sheetArea - area, placedCount + count - 1)) return true;
      chosen_.pop_back();
      for (int t = 0; t < count; ++t) placed_[static_cast<std::size_t>(m[t])] = false;
      placed_[static_cast<std::size_t>(m[0])] = true;  // the sheet's first copy stays taken
      return false;
    }
    const std::int64_t a = area_[static_cast<std::size_t>(j)];
    // Of copies alike, the first ones are taken: leaving one out and
    // taking the next is the same sheet.
    const bool mayTake = !(sameAsBefore_[static_cast<std::size_t>(j)] && out.has(j - 1));
    if (mayTake && sheetFits(cur.with(j), area + a) &&
        complete(cur.with(j), area + a, j + 1, rest - a, out, sheetsLeft, wasted, placedCount))
      return true;
    return complete(cur, area, j + 1, rest - a, out.with(j), sheetsLeft, wasted, placedCount);
  }

  const std::vector<PackItem>& items_;
  std::vector<std::int32_t> order_;
  PackSheet sheet_;
  Fitter fitter_;
  int n_ = 0;
  std::vector<std::int64_t> area_;
  std::vector<bool> sameAsBefore_;
  std::int64_t total_ = 0;
  std::vector<bool> placed_;
  std::int64_t slack_ = 0, cap_ = 0;
  std::vector<Set> chosen_;
  SetIndex answerIndex_;
  static constexpr char kUnknown = 2;
  std::vector<char> answers_;  // by answerIndex_: 1 fits, 0 not, or kUnknown
};

}  // namespace

bool FitsOneSheet(const std::vector<PackItem>& items, const std::vector<std::int32_t>& which, const PackSheet& sheet,
                  CompletionBudget& budget) {
  if (which.empty()) return true;
  if (which.size() > kCompletionCopies) return false;
  Completion c(items, which, sheet, budget);
  return c.fitsAll();
}

std::vector<GuillotineBin> CompleteSheets(const std::vector<PackItem>& items, const std::vector<std::int32_t>& which,
                                          const PackSheet& sheet, std::int32_t target, CompletionBudget& budget) {
  if (which.empty() || which.size() > kCompletionCopies || target <= 0) return {};
  Completion c(items, which, sheet, budget);
  const std::int64_t slack = c.slackFor(target);
  if (slack < 0) return {};
  // First only sheets that waste at most half as much again as the room
  // left shared evenly, with three quarters of the budget: the layouts
  // sought are full throughout, and this keeps the search from sheets that
  // use up the room early. Then any sheets with the rest.
  const std::int64_t limit = budget.limit;
  budget.limit = budget.spent + (limit - budget.spent) / 4 * 3;
  bool found = c.run(target, 3 * slack / (2 * target));
  budget.limit = limit;
  if (c.stopped()) return {};
  if (!found && budget.spent <= budget.limit) found = c.run(target, slack);
  return found ? c.layout() : std::vector<GuillotineBin>{};
}

}  // namespace kroyna::engine::improved
