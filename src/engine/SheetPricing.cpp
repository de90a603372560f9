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

}  // namespace

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
    std::int32_t leaf = -1;
    for (const FreeRect& f : out.freeLeaves()) {
      const TreeNode& n = out.node(f.node);
      if (n.x == x && n.y == y && f.w >= a && f.h >= b) leaf = f.node;
    }
    if (leaf < 0) return 0;  // cannot happen with the spots made above
    out.insert(leaf, kinds[static_cast<std::size_t>(s.copy.kind)].item, a, b, way);
    placed += s.copy.value;
  }
  return std::min(value, placed);
}

}  // namespace kroyna::engine::improved
