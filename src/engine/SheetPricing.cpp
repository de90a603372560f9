#include "engine/SheetPricing.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace kroyna::engine::improved {

namespace {

// Sizes in the frame of the strips: `a` along a strip, `b` across it (the
// strip's height).
struct Copy {
  std::int32_t kind = 0;
  std::int32_t a = 0, b = 0;
  double value = 0;
};

// Where a copy lies in the frame of the strips. The first cut that frees
// it runs under it along the strip (`underFirst`: the copy that makes its
// strip, and the copies stacked in a column) or beside it across the strip
// (a column's first copy).
struct Spot {
  Copy copy;
  std::int32_t x = 0, y = 0;
  bool underFirst = false;
};

// The sizes (a, b) a copy may take, at most two.
struct Shapes {
  using Size = std::pair<std::int32_t, std::int32_t>;
  std::array<Size, 2> sizes{};
  std::size_t count = 0;
  const Size* begin() const { return sizes.data(); }
  const Size* end() const { return sizes.data() + count; }
};

class Filler {
 public:
  Filler(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, bool stripsAlongX, bool trimColumns,
         std::int64_t& work, std::int64_t limit)
      : kinds_(kinds), alongX_(stripsAlongX), trim_(trimColumns), work_(work), limit_(limit) {
    length_ = alongX_ ? sheet.h : sheet.w;
    height_ = alongX_ ? sheet.w : sheet.h;
    // Sizes are divided by their common divisor to keep the tables small.
    unit_ = std::gcd(length_, height_);
    for (const ValuedKind& k : kinds_) unit_ = std::gcd(unit_, std::gcd(k.w, k.h));
    if (unit_ <= 0) unit_ = 1;
    left_.reserve(kinds_.size());
    for (const ValuedKind& k : kinds_) left_.push_back(k.value > 0 ? k.copies : 0);
  }

  // Strip after strip, each of most value per unit of height (greedy), or
  // the densest of the strips of most value in all, the copies left shared
  // among the strips still to come (a knapsack over the height left).
  double fill(bool planned, std::vector<Spot>& spots) {
    struct Option {
      std::int32_t height = 0;
      double value = 0;
    };
    std::vector<Option> options;
    std::vector<std::vector<Spot>> strips;
    std::vector<double> best;
    std::vector<std::int32_t> last;
    double total = 0;
    std::int32_t y = 0;
    for (;;) {
      options.clear();
      tabulateStacks();
      for (std::int32_t h : heightsUpTo(height_ - y)) {
        if (strips.size() <= options.size()) strips.emplace_back();
        std::int32_t used = 0;
        const double value = makeStrip(h, strips[options.size()], used);
        if (used > 0 && value > 0) options.push_back({used, value});
      }
      if (options.empty()) break;
      std::vector<char> inPlan(options.size(), 1);
      if (planned) {
        const std::size_t cap = static_cast<std::size_t>((height_ - y) / unit_);
        best.assign(cap + 1, 0.0);
        last.assign(cap + 1, -1);
        work_ += static_cast<std::int64_t>(options.size() * (cap + 1));
        for (std::size_t c = 1; c <= cap; ++c) {
          best[c] = best[c - 1];
          for (std::size_t o = 0; o < options.size(); ++o) {
            const std::size_t hs = static_cast<std::size_t>(options[o].height / unit_);
            if (hs <= c && best[c - hs] + options[o].value > best[c] + 1e-12) {
              best[c] = best[c - hs] + options[o].value;
              last[c] = static_cast<std::int32_t>(o);
            }
          }
        }
        std::fill(inPlan.begin(), inPlan.end(), 0);
        for (std::size_t c = cap; c > 0;) {
          if (last[c] < 0) {
            --c;
            continue;
          }
          inPlan[static_cast<std::size_t>(last[c])] = 1;
          c -= static_cast<std::size_t>(options[static_cast<std::size_t>(last[c])].height / unit_);
        }
      }
      std::size_t chosen = options.size();
      for (std::size_t o = 0; o < options.size(); ++o) {
        if (inPlan[o] && (chosen == options.size() || options[o].value * options[chosen].height >
                                                          options[chosen].value * options[o].height + 1e-12))
          chosen = o;
      }
      if (chosen == options.size()) break;
      total += take(strips[chosen], y, spots);
      y += options[chosen].height;
    }
    return total;
  }

 private:
  // The most value a column w wide can stack in each height, for every w,
  // the copies left shared among the columns (a knapsack over the height
  // with the copies taken in order of their width).
  void tabulateStacks() {
    const std::size_t cap = static_cast<std::size_t>(height_ / unit_);
    std::vector<Copy> copies;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      if (left_[k] <= 0) continue;
      for (const auto& [a, b] : shapes(kinds_[k])) {
        if (a > length_ || b > height_) continue;
        copies.insert(copies.end(), static_cast<std::size_t>(std::min(left_[k], height_ / b)),
                      Copy{static_cast<std::int32_t>(k), a, b, kinds_[k].value});
      }
    }
    std::stable_sort(copies.begin(), copies.end(), [](const Copy& p, const Copy& q) { return p.a < q.a; });
    stackWidths_.clear();
    stackValues_.clear();
    if (work_ + static_cast<std::int64_t>(copies.size() * (cap + 1)) > limit_) return;
    best_.assign(cap + 1, 0.0);
    work_ += static_cast<std::int64_t>(copies.size() * (cap + 1));
    for (std::size_t i = 0; i < copies.size();) {
      const std::int32_t w = copies[i].a;
      if (!trim_) std::fill(best_.begin(), best_.end(), 0.0);
      for (; i < copies.size() && copies[i].a == w; ++i) {
        const std::size_t s = static_cast<std::size_t>(copies[i].b / unit_);
        for (std::size_t c = cap; c + 1 > s; --c) best_[c] = std::max(best_[c], best_[c - s] + copies[i].value);
      }
      stackWidths_.push_back(w);
      stackValues_.insert(stackValues_.end(), best_.begin(), best_.end());
    }
  }

  // What a column w wide can stack in `room` (see tabulateStacks).
  double stackValue(std::int32_t w, std::int32_t room) const {
    if (room <= 0) return 0;
    auto it = std::upper_bound(stackWidths_.begin(), stackWidths_.end(), w);
    if (it == stackWidths_.begin()) return 0;
    --it;
    if (!trim_ && *it != w) return 0;
    const std::size_t row = static_cast<std::size_t>(it - stackWidths_.begin());
    return stackValues_[row * static_cast<std::size_t>(height_ / unit_ + 1) + static_cast<std::size_t>(room / unit_)];
  }

  // Puts a strip made by makeStrip at `y`; its value.
  double take(const std::vector<Spot>& strip, std::int32_t y, std::vector<Spot>& spots) {
    double value = 0;
    for (Spot s : strip) {
      s.y += y;
      --left_[static_cast<std::size_t>(s.copy.kind)];
      value += s.copy.value;
      spots.push_back(s);
    }
    return value;
  }

  // The sizes a copy of kind k may take in the frame of the strips: as
  // given, then turned.
  Shapes shapes(const ValuedKind& k) const {
    Shapes out;
    for (bool turned : {false, true}) {
      if (!(k.allowed & (turned ? AllowTurned : AllowAsGiven))) continue;
      const std::int32_t w = turned ? k.h : k.w, h = turned ? k.w : k.h;
      out.sizes[out.count++] = alongX_ ? std::pair{h, w} : std::pair{w, h};
    }
    return out;
  }

  // The copy of kind k that fits a x b with the least `b` (the least `a`
  // when `narrow`), or none.
  bool fitting(std::size_t k, std::int32_t a, std::int32_t b, bool narrow, bool exactA, Copy& out) const {
    const ValuedKind& kind = kinds_[k];
    bool found = false;
    for (const auto& [sa, sb] : shapes(kind)) {
      if (sa > a || sb > b || (exactA && sa != a)) continue;
      const bool better = !found || (narrow ? sa < out.a || (sa == out.a && sb > out.b) : sb < out.b);
      if (better) out = Copy{static_cast<std::int32_t>(k), sa, sb, kind.value};
      found = true;
    }
    return found;
  }

  // The heights strips may take: every side of a copy still left that fits
  // within `room`, ascending.
  std::vector<std::int32_t> heightsUpTo(std::int32_t room) const {
    std::vector<std::int32_t> hs;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      if (left_[k] <= 0) continue;
      for (const auto& [a, b] : shapes(kinds_[k]))
        if (a <= length_ && b <= room) hs.push_back(b);
    }
    std::sort(hs.begin(), hs.end());
    hs.erase(std::unique(hs.begin(), hs.end()), hs.end());
    return hs;
  }

  // The copies of most value whose sizes add up to at most `room` (0/1
  // knapsack in units of the common divisor).
  std::vector<std::size_t> knapsack(const std::vector<Copy>& copies, std::int32_t room, bool byA,
                                    const std::vector<double>* values = nullptr) {
    const std::size_t cap = static_cast<std::size_t>(room / unit_);
    const std::size_t n = copies.size();
    if (work_ + static_cast<std::int64_t>(n * (cap + 1)) > limit_) return {};
    best_.assign(cap + 1, 0.0);
    take_.assign(n * (cap + 1), 0);
    work_ += static_cast<std::int64_t>(n * (cap + 1));
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t s = static_cast<std::size_t>((byA ? copies[i].a : copies[i].b) / unit_);
      const double v = values ? (*values)[i] : copies[i].value;
      for (std::size_t c = cap; c + 1 > s; --c) {
        if (best_[c - s] + v > best_[c] + 1e-12) {
          best_[c] = best_[c - s] + v;
          take_[i * (cap + 1) + c] = 1;
        }
      }
    }
    std::vector<std::size_t> chosen;
    std::size_t c = cap;
    for (std::size_t i = n; i-- > 0;) {
      if (!take_[i * (cap + 1) + c]) continue;
      chosen.push_back(i);
      c -= static_cast<std::size_t>((byA ? copies[i].a : copies[i].b) / unit_);
    }
    return chosen;
  }

  // A strip of copies at most `h` high side by side, then stacks in the
  // columns over them up to the strip's height (`used`). The tallest copy
  // goes first: the cut under it makes the strip.
  double makeStrip(std::int32_t h, std::vector<Spot>& strip, std::int32_t& used) {
    strip.clear();
    used = 0;
    std::vector<std::int32_t> left = left_;
    std::vector<Copy> copies;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      Copy c;
      if (left[k] <= 0 || !fitting(k, length_, h, true, false, c)) continue;
      const std::int32_t n = std::min(left[k], length_ / c.a);
      copies.insert(copies.end(), static_cast<std::size_t>(n), c);
    }
    // Each copy with what the column under it can hold.
    std::vector<double> worth(copies.size());
    for (std::size_t i = 0; i < copies.size(); ++i)
      worth[i] = copies[i].value + stackValue(copies[i].a, h - copies[i].b);
    std::vector<std::size_t> chosen = knapsack(copies, length_, true, &worth);
    if (chosen.empty()) return 0;
    std::vector<Copy> columns;
    for (std::size_t i : chosen) {
      columns.push_back(copies[i]);
      used = std::max(used, copies[i].b);
      --left[static_cast<std::size_t>(copies[i].kind)];
    }
    std::stable_sort(columns.begin(), columns.end(), [](const Copy& p, const Copy& q) { return p.b > q.b; });
    double value = 0;
    std::int32_t x = 0;
    for (std::size_t col = 0; col < columns.size(); ++col) {
      const Copy& c = columns[col];
      strip.push_back(Spot{c, x, 0, col == 0});
      value += c.value;
      // The column's room under its copy, filled with the copies of most
      // value that fit it, each cut off across the column.
      const std::int32_t room = used - c.b;
      std::vector<Copy> stack;
      for (std::size_t k = 0; k < kinds_.size() && room > 0; ++k) {
        Copy s;
        if (left[k] <= 0 || !fitting(k, c.a, room, false, !trim_, s)) continue;
        const std::int32_t n = std::min(left[k], room / s.b);
        stack.insert(stack.end(), static_cast<std::size_t>(n), s);
      }
      std::int32_t y = c.b;
      for (std::size_t i : knapsack(stack, room, false)) {
        strip.push_back(Spot{stack[i], x, y, true});
        value += stack[i].value;
        y += stack[i].b;
        --left[static_cast<std::size_t>(stack[i].kind)];
      }
      x += c.a;
    }
    return value;
  }

  const std::vector<ValuedKind>& kinds_;
  bool alongX_, trim_;
  std::int64_t& work_;
  std::int64_t limit_;
  std::int32_t length_ = 0, height_ = 0, unit_ = 1;
  std::vector<std::int32_t> left_;  // per kind: copies not yet on the sheet
  std::vector<double> best_;
  std::vector<std::uint8_t> take_;
  std::vector<std::int32_t> stackWidths_;  // ascending
  std::vector<double> stackValues_;        // per width: per height in units
};

// The knapsack of guillotine cuts: for every rectangle whose sides are sums
// of the copies' sides, the most it holds as one copy or as its two pieces
// after a cut across X or across Y. Each rectangle keeps its two best
// layouts that hold different copies, with the kinds of their copies, and
// two pieces' layouts join only while their copies together stay within
// what is left of each kind: two kept, not one, so that pieces that would
// both take the last copy of a kind still join. Since only those are
// joined, the result is near the best, not always the best.
class CutPlan {
 public:
  // At most so many kinds held by all layouts together (64 MiB).
  static constexpr std::size_t kMaxHeld = std::size_t{1} << 24;

  CutPlan(const std::vector<ValuedKind>& kinds, const PackSheet& sheet) : kinds_(kinds) {
    unit_ = std::gcd(sheet.w, sheet.h);
    for (const ValuedKind& k : kinds_)
      if (worth(k)) unit_ = std::gcd(unit_, std::gcd(k.w, k.h));
    if (unit_ <= 0) unit_ = 1;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      const ValuedKind& v = kinds_[k];
      if (!worth(v)) continue;
      const std::int32_t a = v.w / unit_, b = v.h / unit_;
      if (v.allowed & AllowAsGiven) shapes_.push_back({static_cast<std::int32_t>(k), a, b});
      if ((v.allowed & AllowTurned) && a != b) shapes_.push_back({static_cast<std::int32_t>(k), b, a});
    }
    xs_ = sums(sheet.w / unit_, true, floorX_);
    ys_ = sums(sheet.h / unit_, false, floorY_);
  }

  // The steps solve() takes, in steps of the strip fillings: four joinings
  // a cut, each counted as four such steps. That is about twice what a
  // joining takes alone; its tables outgrow a core's cache, and it slows
  // as much when two searches run at once.
  std::int64_t cost() const {
    const auto nx = static_cast<std::int64_t>(xs_.size()), ny = static_cast<std::int64_t>(ys_.size());
    return nx * ny * (16 * (nx + ny) + static_cast<std::int64_t>(shapes_.size()));
  }

  // False when the kinds the layouts hold would take more than kMaxHeld
  // entries (many small copies on a large sheet).
  bool solve() {
    const std::size_t nx = xs_.size(), ny = ys_.size();
    plans_.assign(2 * nx * ny, Plan{});
    value_.assign(2 * nx * ny, 0.0);
    holds_.assign(2 * nx * ny, {0, 0});
    kindsHeld_.clear();
    count_.assign(kinds_.size(), 0);
    for (std::size_t i = 0; i < nx; ++i) {
      for (std::size_t j = 0; j < ny; ++j) {
        const std::size_t e = i * ny + j;
        for (std::size_t s = 0; s < shapes_.size(); ++s) {
          const Shape& sh = shapes_[s];
          if (sh.a <= xs_[i] && sh.b <= ys_[j])
            offer(e, kinds_[static_cast<std::size_t>(sh.kind)].value,
                  Plan{1 + static_cast<std::int32_t>(s), mark(sh.kind), 0, 0});
        }
        // The pieces' layouts joined: an empty piece's second layout is
        // empty too, and joins as its first.
        auto consider = [&](std::size_t p, std::size_t q, std::int32_t cut) {
          if (value_[2 * p] + value_[2 * q] <= value_[2 * e + 1] + 1e-12) return;
          for (std::size_t u = 2 * p; u < 2 * p + 2; ++u) {
            for (std::size_t v = 2 * q; v < 2 * q + 2; ++v) {
              const double value = value_[u] + value_[v];
              if (value <= value_[2 * e + 1] + 1e-12 || !together(u, v)) continue;
              offer(e, value, Plan{-(1 + cut), plans_[u].mark + plans_[v].mark, u, v});
            }
          }
        };
        // A piece xs_[c] wide on the left, or ys_[c] high on top; the other
        // piece is the rectangle of the largest sums within the rest.
        for (std::size_t c = 0; c < i && 2 * xs_[c] <= xs_[i]; ++c)
          consider(c * ny + j, at(floorX_, xs_[i] - xs_[c]) * ny + j, static_cast<std::int32_t>(c));
        for (std::size_t c = 0; c < j && 2 * ys_[c] <= ys_[j]; ++c)
          consider(i * ny + c, i * ny + at(floorY_, ys_[j] - ys_[c]), static_cast<std::int32_t>(nx + c));
        for (std::size_t w = 2 * e; w < 2 * e + 2; ++w) {
          const Plan& plan = plans_[w];
          if (plan.how > 0) {
            holds_[w] = {kindsHeld_.size(), 1};
            kindsHeld_.push_back(shapes_[static_cast<std::size_t>(plan.how - 1)].kind);
          } else if (plan.how < 0) {
            const auto [p, np] = holds_[plan.first];
            const auto [q, nq] = holds_[plan.second];
            if (kindsHeld_.size() + np + nq > kMaxHeld) return false;
            holds_[w] = {kindsHeld_.size(), np + nq};
            kindsHeld_.resize(kindsHeld_.size() + np + nq);
            std::merge(kindsHeld_.begin() + static_cast<std::ptrdiff_t>(p),
                       kindsHeld_.begin() + static_cast<std::ptrdiff_t>(p + np),
                       kindsHeld_.begin() + static_cast<std::ptrdiff_t>(q),
                       kindsHeld_.begin() + static_cast<std::ptrdiff_t>(q + nq),
                       kindsHeld_.end() - static_cast<std::ptrdiff_t>(np + nq));
          }
        }
      }
    }
    return true;
  }

  // Lays the best layout of the whole sheet out on `out`; its value, 0
  // when nothing fits.
  double build(const PackSheet& sheet, GuillotineBin& out) {
    out = GuillotineBin(sheet.x, sheet.y, sheet.w, sheet.h);
    const std::int32_t i = floorX_.back(), j = floorY_.back();
    double value = 0;
    if (i < 0 || j < 0 ||
        !lay(out, out.root(), 2 * (static_cast<std::size_t>(i) * ys_.size() + static_cast<std::size_t>(j)), value)) {
      out = GuillotineBin(sheet.x, sheet.y, sheet.w, sheet.h);
      return 0;
    }
    return value;
  }

 private:
  struct Shape {
    std::int32_t kind = 0;
    std::int32_t a = 0, b = 0;  // in units
  };

  // One of the two best layouts of a rectangle, at 2 (i * ys_.size() + j)
  // and the next: the better first; the two hold different copies.
  struct Plan {
    std::int32_t how = 0;               // 1 + shape, -(1 + cut), 0 nothing
    std::uint64_t mark = 0;             // the sum of its copies' kind marks: equal for equal copies
    std::size_t first = 0, second = 0;  // of a cut: its pieces' layouts
  };

  // A number per kind whose sums tell sets of copies apart.
  static std::uint64_t mark(std::int32_t kind) {
    std::uint64_t z = static_cast<std::uint64_t>(kind) * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Keeps a layout of rectangle `e` worth `value` when it is one of its
  // two best.
  void offer(std::size_t e, double value, const Plan& plan) {
    const std::size_t best = 2 * e, next = 2 * e + 1;
    if (plans_[best].how != 0 && plan.mark == plans_[best].mark) {
      if (value > value_[best] + 1e-12) {
        plans_[best] = plan;
        value_[best] = value;
      }
    } else if (plans_[best].how == 0 || value > value_[best] + 1e-12) {
      plans_[next] = plans_[best];
      value_[next] = value_[best];
      plans_[best] = plan;
      value_[best] = value;
    } else if (plans_[next].how == 0 || value > value_[next] + 1e-12) {
      plans_[next] = plan;
      value_[next] = value;
    }
  }

  static bool worth(const ValuedKind& k) { return k.value > 0 && k.copies > 0; }

  static std::size_t at(const std::vector<std::int32_t>& floor, std::int32_t size) {
    return static_cast<std::size_t>(floor[static_cast<std::size_t>(size)]);
  }

  // The sums up to `n` of the shapes' sides along one axis, ascending;
  // `floor` gets for every size the index of the largest sum not over it
  // (-1: none).
  std::vector<std::int32_t> sums(std::int32_t n, bool alongX, std::vector<std::int32_t>& floor) const {
    std::vector<char> reach(static_cast<std::size_t>(n) + 1, 0);
    reach[0] = 1;
    for (const Shape& s : shapes_) {
      const std::int32_t d = alongX ? s.a : s.b;
      for (std::int32_t v = d; v <= n; ++v)
        if (reach[static_cast<std::size_t>(v - d)]) reach[static_cast<std::size_t>(v)] = 1;
    }
    std::vector<std::int32_t> out;
    floor.assign(static_cast<std::size_t>(n) + 1, -1);
    for (std::int32_t v = 1; v <= n; ++v) {
      if (reach[static_cast<std::size_t>(v)]) out.push_back(v);
      floor[static_cast<std::size_t>(v)] = static_cast<std::int32_t>(out.size()) - 1;
    }
    return out;
  }

  // Whether the copies of layouts u and v together stay within the copies
  // left of each kind.
  bool together(std::size_t u, std::size_t v) {
    const std::int32_t* p = kindsHeld_.data() + holds_[u].first;
    const std::int32_t* q = kindsHeld_.data() + holds_[v].first;
    const std::size_t np = holds_[u].second, nq = holds_[v].second;
    for (std::size_t a = 0; a < np; ++a) ++count_[static_cast<std::size_t>(p[a])];
    bool within = true;
    for (std::size_t b = 0; b < nq; ++b)
      if (++count_[static_cast<std::size_t>(q[b])] > kinds_[static_cast<std::size_t>(q[b])].copies) within = false;
    for (std::size_t a = 0; a < np; ++a) count_[static_cast<std::size_t>(p[a])] = 0;
    for (std::size_t b = 0; b < nq; ++b) count_[static_cast<std::size_t>(q[b])] = 0;
    return within;
  }

  // Lays layout `w` into free leaf `leaf` at its top-left corner (the leaf
  // may be larger). A cut in two is made with a stand-in copy the size of
  // the first piece: the second piece is laid out beside it, then the
  // stand-in taken off and the first piece laid out in its place.
  bool lay(GuillotineBin& g, std::int32_t leaf, std::size_t w, double& value) {
    const Plan& plan = plans_[w];
    if (plan.how == 0) return true;
    if (plan.how > 0) {
      const Shape& s = shapes_[static_cast<std::size_t>(plan.how - 1)];
      const ValuedKind& k = kinds_[static_cast<std::size_t>(s.kind)];
      g.insert(leaf, k.item, s.a * unit_, s.b * unit_, SplitWay::RightFirst);
      value += k.value;
      return true;
    }
    const std::size_t c = static_cast<std::size_t>(-plan.how - 1);
    const bool acrossX = c < xs_.size();
    const std::int32_t cut = (acrossX ? xs_[c] : ys_[c - xs_.size()]) * unit_;
    const TreeNode f = g.node(leaf);
    const std::int32_t standIn =
        g.insert(leaf, kinds_[static_cast<std::size_t>(shapes_.front().kind)].item, acrossX ? cut : f.w,
                 acrossX ? f.h : cut, acrossX ? SplitWay::RightFirst : SplitWay::BelowFirst);
    const std::int32_t rest = g.freeAt(acrossX ? f.x + cut : f.x, acrossX ? f.y : f.y + cut);
    if (rest < 0 || !lay(g, rest, plan.second, value)) return false;
    g.remove(standIn);
    const std::int32_t back = g.freeAt(f.x, f.y);
    return back >= 0 && lay(g, back, plan.first, value);
  }

  const std::vector<ValuedKind>& kinds_;
  std::int32_t unit_ = 1;
  std::vector<Shape> shapes_;
  std::vector<std::int32_t> xs_, ys_;          // the sums of sides, ascending
  std::vector<std::int32_t> floorX_, floorY_;  // per size: the largest sum not over it
  std::vector<Plan> plans_;
  std::vector<double> value_;  // per layout: what its copies are worth
  // Per layout: where the kinds of its copies, ascending, lie in kindsHeld_
  // and how many they are.
  std::vector<std::pair<std::size_t, std::size_t>> holds_;
  std::vector<std::int32_t> kindsHeld_;
  std::vector<std::int32_t> count_;  // per kind, while joining two pieces
};

}  // namespace

double CutForValue(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, GuillotineBin& out, std::int64_t& work,
                   std::int64_t limit) {
  CutPlan plan(kinds, sheet);
  out = GuillotineBin(sheet.x, sheet.y, sheet.w, sheet.h);
  if (work + plan.cost() > limit) return 0;
  work += plan.cost();
  return plan.solve() ? plan.build(sheet, out) : 0;
}

double FillForValue(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, const FillWay& way,
                    GuillotineBin& out, std::int64_t& work, std::int64_t limit) {
  const bool stripsAlongX = way.stripsAlongX;
  Filler filler(kinds, sheet, stripsAlongX, way.trimColumns, work, limit);
  std::vector<Spot> spots;
  const double value = filler.fill(way.planned, spots);
  out = GuillotineBin(sheet.x, sheet.y, sheet.w, sheet.h);
  double placed = 0;
  for (const Spot& s : spots) {
    const std::int32_t x = sheet.x + (stripsAlongX ? s.y : s.x), y = sheet.y + (stripsAlongX ? s.x : s.y);
    const std::int32_t a = stripsAlongX ? s.copy.b : s.copy.a, b = stripsAlongX ? s.copy.a : s.copy.b;
    // Along the strips is along X when they follow one another along Y.
    const SplitWay way = s.underFirst != stripsAlongX ? SplitWay::BelowFirst : SplitWay::RightFirst;
    const std::int32_t leaf = out.freeAt(x, y);
    // Cannot happen with the spots made above.
    if (leaf < 0 || out.node(leaf).w < a || out.node(leaf).h < b) return 0;
    out.insert(leaf, kinds[static_cast<std::size_t>(s.copy.kind)].item, a, b, way);
    placed += s.copy.value;
  }
  return std::min(value, placed);
}

}  // namespace kroyna::engine::improved
