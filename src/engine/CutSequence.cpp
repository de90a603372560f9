#include "engine/CutSequence.h"

#include "engine/FinishedMap.h"

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>
#include <unordered_map>

namespace kroyna::engine {

namespace {

using i64 = std::int64_t;

// The work is done on kerf-enlarged boxes, as the search lays parts out:
// every part and offcut reaches one kerf further right and down than drawn,
// and the usable sheet one kerf beyond its far trim lines. Boxes then meet
// where a cut separates them, a cut at box edge s takes the kerf [s - k, s),
// and a piece [a, b) is the material [a, b - k).
struct Box {
  i64 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const Box&) const = default;
  i64 lo(int axis) const { return axis == 0 ? x0 : y0; }
  i64 hi(int axis) const { return axis == 0 ? x1 : y1; }
};

struct BoxHash {
  std::size_t operator()(const Box& b) const noexcept {
    std::uint64_t h = 1469598103934665603ull;
    for (const i64 v : {b.x0, b.y0, b.x1, b.y1}) {
      h ^= static_cast<std::uint64_t>(v);
      h *= 1099511628211ull;
      h ^= h >> 29;
    }
    return static_cast<std::size_t>(h);
  }
};

Box clip(const Box& a, const Box& b) {
  return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}
bool hasArea(const Box& b) { return b.x1 > b.x0 && b.y1 > b.y0; }

struct Item {
  Box box;
  std::int32_t index = 0;  // into the input's parts or offcuts
  bool part = true;
};

// Cost of cutting a piece: passes that cross an offcut first, then turns,
// then passes.
struct Cost {
  i64 crossings = 0, turns = 0, passes = 0;
  bool operator<(const Cost& o) const {
    return std::tie(crossings, turns, passes) < std::tie(o.crossings, o.turns, o.passes);
  }
  Cost operator+(const Cost& o) const { return {crossings + o.crossings, turns + o.turns, passes + o.passes}; }
};
constexpr i64 kInfinite = std::numeric_limits<i64>::max() / 8;
constexpr Cost kNoWay{kInfinite, 0, 0};

// Axis 0: the cuts run along y and follow one another along x; axis 1: the
// cuts run along x. The orientation a piece comes off the saw in is the
// axis of the pass that made it; kFree for the sheet before its first pass.
constexpr int kFree = 2;

// Beyond this many pieces looked at, a piece that can be cut both ways is
// cut the way that makes fewer strips, without comparing the two; keeps
// huge grids of tiny parts linear.
constexpr std::size_t kExploreLimit = 40000;

struct Option {
  bool available = false;
  bool crossesOffcut = false;
  std::vector<i64> positions;          // box edges where the passes go, ascending
  std::vector<std::int32_t> children;  // positions.size() + 1 pieces in order
  Cost sum = kNoWay;                   // cost of the pieces below, this piece's passes included
};

struct Node {
  Box box;
  std::vector<std::int32_t> items;
  std::uint8_t state = 0;  // 0 new, 1 expanded, 2 costed
  bool final = false;
  bool failed = false;
  PassYield yield;  // when final
  std::array<Option, 2> option;
  std::array<Cost, 3> cost{};
  std::array<int, 3> best{-1, -1, -1};
};

i64 saturate(i64 v) {
  return std::clamp<i64>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}
std::int32_t i32(i64 v) { return static_cast<std::int32_t>(saturate(v)); }

class Sequencer {
 public:
  explicit Sequencer(const SequenceInput& in) : in_(in), k_(std::max<i64>(0, in.kerf)), h_(k_ / 2) {}

  CutSequence run() {
    CutSequence out;
    const i64 L = in_.sheetLength, W = in_.sheetWidth;
    if (L <= 0 || W <= 0) {
      out.status = SequenceStatus::BadMap;
      return out;
    }
    makeItems();
    out.trims = trims();
    const SheetTrims& t = out.trims;
    if (t.left < 0 || t.right < 0 || t.top < 0 || t.bottom < 0 || i64{t.left} + t.right >= L ||
        i64{t.top} + t.bottom >= W) {
      out.status = SequenceStatus::BadMap;
      return out;
    }
    const Box root{t.left, t.top, L - t.right + k_, W - t.bottom + k_};
    std::vector<std::int32_t> inside;
    for (const Item& it : items_) {
      if (it.part && clip(it.box, root) != it.box) {
        out.status = SequenceStatus::BadMap;
        return out;
      }
      if (hasArea(clip(it.box, root))) inside.push_back(static_cast<std::int32_t>(&it - items_.data()));
    }

    const bool trimsX = t.top > 0 || t.bottom > 0;  // trims cut along x
    const bool trimsY = t.left > 0 || t.right > 0;
    const int incoming = trimsX != trimsY ? (trimsX ? 1 : 0) : kFree;
    nodes_.reserve(inside.size() * 4 + 16);
    memo_.reserve(inside.size() * 4 + 16);
    const std::int32_t rootId = nodeFor(root, std::move(inside));
    evaluate(rootId);
    if (nodes_[rootId].cost[incoming].crossings >= kInfinite) {
      out.status = SequenceStatus::NotGuillotine;
      return out;
    }
    int rootAxis = nodes_[rootId].best[incoming];
    if (rootAxis < 0) rootAxis = trimsX && !trimsY ? 1 : (trimsY && !trimsX ? 0 : 1);

    emitTrims(out, rootAxis, rootId);
    emitPieces(out, rootId, incoming);
    attachCuts(out);
    for (const SawPass& p : out.passes) out.turns += p.turn ? 1 : 0;
    return out;
  }

 private:
  // ---- The trims ----
  // The trims of a standard sheet. Where the parts and offcuts end short
  // of a far trim line or sheet edge by no more than a kerf (a sliver the
  // search kept as no offcut), the far trim is cut at their edge: one pass
  // instead of a trim and a second pass a few millimetres from it, and the
  // same trims as a map read from a file gets.
  SheetTrims trims() {
    if (in_.offcutSheet) return {};
    const i64 L = in_.sheetLength, W = in_.sheetWidth;
    i64 x0 = L, y0 = W, x1 = 0, y1 = 0;
    bool any = false;
    auto take = [&](const PlainRect& r) {
      if (r.length <= 0 || r.width <= 0) return;
      any = true;
      x0 = std::min<i64>(x0, r.x);
      y0 = std::min<i64>(y0, r.y);
      x1 = std::max<i64>(x1, i64{r.x} + r.length);
      y1 = std::max<i64>(y1, i64{r.y} + r.width);
    };
    for (const PlainRect& r : in_.parts) take(r);
    for (const PlainRect& r : in_.offcuts) take(r);
    if (in_.trims) {
      SheetTrims t = *in_.trims;
      if (any && x1 < L - t.right && x1 >= L - t.right - k_) t.right = i32(L - x1);
      if (any && y1 < W - t.bottom && y1 >= W - t.bottom - k_) t.bottom = i32(W - y1);
      return t;
    }
    if (!any) return {};
    // Read from the map: the near trims where a drawn cut runs left of
    // (above) every part and offcut, else where they begin.
    i64 left = std::max<i64>(0, x0), top = std::max<i64>(0, y0);
    for (const PlainCut& c : in_.cuts) {
      // A cut at centre line c takes the kerf ending at c + h.
      const i64 edge = i64{c.alongX ? c.y : c.x} + h_;
      if (edge <= 0) continue;
      if (c.alongX) {
        if (edge <= y0) top = std::min(top, edge);
      } else if (edge <= x0) {
        left = std::min(left, edge);
      }
    }
    return {i32(left), i32(std::max<i64>(0, L - x1)), i32(top), i32(std::max<i64>(0, W - y1))};
  }

  // ---- The pieces ----
  // Parts and offcuts as kerf-enlarged boxes; those without area have
  // nothing to cut out.
  void makeItems() {
    auto add = [&](const std::vector<PlainRect>& rects, bool part) {
      for (std::size_t i = 0; i < rects.size(); ++i) {
        const PlainRect& r = rects[i];
        if (r.length <= 0 || r.width <= 0) continue;
        items_.push_back(
            Item{Box{r.x, r.y, i64{r.x} + r.length + k_, i64{r.y} + r.width + k_}, static_cast<std::int32_t>(i), part});
      }
    };
    add(in_.parts, true);
    add(in_.offcuts, false);
  }

  // The piece of that box, made once, holding `items`.
  std::int32_t nodeFor(const Box& box, std::vector<std::int32_t>&& items) {
    auto [it, added] = memo_.try_emplace(box, static_cast<std::int32_t>(nodes_.size()));
    if (!added) return it->second;
    Node n;
    n.box = box;
    n.items = std::move(items);
    nodes_.push_back(std::move(n));
    return it->second;
  }

  // Through-cut positions of a piece along `axis` that miss every item
  // (or every part only, when `partsOnly`): the edges of items inside the
  // piece that lie strictly inside no item. In order of the items' starts,
  // they are where the next item starts at or beyond the reach of those
  // before it: that reach and that start.
  std::vector<i64> positions(const Node& n, int axis, bool partsOnly) {
    spans_.clear();
    for (const std::int32_t i : n.items) {
      const Item& it = items_[static_cast<std::size_t>(i)];
      if (partsOnly && !it.part) continue;
      const Box b = clip(it.box, n.box);
      spans_.push_back({b.lo(axis), b.hi(axis)});
    }
    std::sort(spans_.begin(), spans_.end());
    const i64 lo = n.box.lo(axis), hi = n.box.hi(axis);
    std::vector<i64> out;
    auto add = [&](i64 s) {
      if (s > lo && s < hi && (out.empty() || out.back() != s)) out.push_back(s);
    };
    i64 reach = lo;
    for (const auto& [s, e] : spans_) {
      if (s >= reach) {
        add(reach);
        add(s);
      }
      reach = std::max(reach, e);
    }
    add(reach);
    return out;
  }

  // Decides whether a piece is done and which ways it can be cut, and
  // makes the pieces below.
  void expand(std::int32_t id) {
    Node& n = nodes_[static_cast<std::size_t>(id)];
    n.state = 1;
    int parts = 0, offcuts = 0;
    std::int32_t part = -1, offcut = -1;
    Box partBox, offcutBox;
    for (const std::int32_t i : n.items) {
      const Item& it = items_[static_cast<std::size_t>(i)];
      if (it.part) {
        ++parts;
        part = it.index;
        partBox = it.box;
      } else {
        ++offcuts;
        offcut = it.index;
        offcutBox = clip(it.box, n.box);
      }
    }
    if (parts == 0 && offcuts == 0) {
      n.final = true;
      const bool material = n.box.x1 - k_ > n.box.x0 && n.box.y1 - k_ > n.box.y0;
      n.yield = {material ? YieldKind::Waste : YieldKind::Nothing, -1};
      return;
    }
    if (parts == 1 && offcuts == 0 && partBox == n.box) {
      n.final = true;
      n.yield = {YieldKind::Part, part};
      return;
    }
    if (parts == 0 && offcuts == 1 && offcutBox == n.box) {
      n.final = true;
      n.yield = {YieldKind::Offcut, offcut};
      return;
    }
    std::array<std::vector<i64>, 2> at;
    std::array<bool, 2> crossing{false, false};
    for (int axis = 0; axis < 2; ++axis) {
      at[axis] = positions(n, axis, false);
      if (at[axis].empty() && parts > 0) {
        at[axis] = positions(n, axis, true);
        crossing[axis] = true;
      }
    }
    if (at[0].empty() && at[1].empty()) {
      // Parts that no through-cut separates; offcuts that none does are
      // left together as waste.
      if (parts > 0) {
        n.failed = true;
      } else {
        n.final = true;
        n.yield = {YieldKind::Waste, -1};
      }
      return;
    }
    if (!at[0].empty() && !at[1].empty() && nodes_.size() > kExploreLimit) {
      const int drop = at[0].size() < at[1].size() ? 1 : 0;
      at[drop].clear();
    }
    for (int axis = 0; axis < 2; ++axis) {
      if (at[axis].empty()) continue;
      const Box box = nodes_[static_cast<std::size_t>(id)].box;
      // The bounds of the pieces along the axis, and the items of each.
      std::vector<i64> bounds{box.lo(axis)};
      bounds.insert(bounds.end(), at[axis].begin(), at[axis].end());
      bounds.push_back(box.hi(axis));
      std::vector<std::vector<std::int32_t>> held(bounds.size() - 1);
      for (const std::int32_t i : nodes_[static_cast<std::size_t>(id)].items) {
        const Box b = clip(items_[static_cast<std::size_t>(i)].box, box);
        auto p = std::upper_bound(bounds.begin(), bounds.end(), b.lo(axis)) - bounds.begin() - 1;
        for (; p + 1 < static_cast<std::ptrdiff_t>(bounds.size()) && bounds[static_cast<std::size_t>(p)] < b.hi(axis);
             ++p)
          held[static_cast<std::size_t>(p)].push_back(i);
      }
      std::vector<std::int32_t> children;
      children.reserve(held.size());
      for (std::size_t p = 0; p < held.size(); ++p) {
        Box child = box;
        (axis == 0 ? child.x0 : child.y0) = bounds[p];
        (axis == 0 ? child.x1 : child.y1) = bounds[p + 1];
        children.push_back(nodeFor(child, std::move(held[p])));
      }
      Option& o = nodes_[static_cast<std::size_t>(id)].option[static_cast<std::size_t>(axis)];
      o.available = true;
      o.crossesOffcut = crossing[axis];
      o.positions = std::move(at[axis]);
      o.children = std::move(children);
    }
    // The pieces below hold the items now; deep patterns keep only the
    // pieces not yet looked at in memory.
    std::vector<std::int32_t>().swap(nodes_[static_cast<std::size_t>(id)].items);
  }

  void cost(std::int32_t id) {
    Node& n = nodes_[static_cast<std::size_t>(id)];
    n.state = 2;
    if (n.final) {
      n.cost = {Cost{}, Cost{}, Cost{}};
      return;
    }
    if (n.failed) {
      n.cost = {kNoWay, kNoWay, kNoWay};
      return;
    }
    for (int axis = 0; axis < 2; ++axis) {
      Option& o = n.option[static_cast<std::size_t>(axis)];
      if (!o.available) continue;
      Cost sum{o.crossesOffcut ? 1 : 0, 0, static_cast<i64>(o.positions.size())};
      for (const std::int32_t c : o.children) {
        const Cost& cc = nodes_[static_cast<std::size_t>(c)].cost[static_cast<std::size_t>(axis)];
        if (cc.crossings >= kInfinite) {
          sum = kNoWay;
          break;
        }
        sum = sum + cc;
      }
      o.sum = sum;
    }
    for (int in = 0; in < 3; ++in) {
      Cost best = kNoWay;
      int bestAxis = -1;
      // On a tie the piece goes on the way it lies; the sheet itself is
      // first cut along its length.
      const int first = in == kFree ? 1 : in;
      for (const int axis : {first, 1 - first}) {
        const Option& o = n.option[static_cast<std::size_t>(axis)];
        if (!o.available || o.sum.crossings >= kInfinite) continue;
        Cost c = o.sum;
        if (in != kFree && in != axis) ++c.turns;
        if (bestAxis < 0 || c < best) {
          best = c;
          bestAxis = axis;
        }
      }
      n.cost[static_cast<std::size_t>(in)] = best;
      n.best[static_cast<std::size_t>(in)] = bestAxis;
    }
  }

  // Every piece below the root, children before parents, without
  // recursion (patterns can be deep).
  void evaluate(std::int32_t rootId) {
    std::vector<std::int32_t> stack{rootId};
    while (!stack.empty()) {
      const std::int32_t id = stack.back();
      Node& n = nodes_[static_cast<std::size_t>(id)];
      if (n.state == 2) {
        stack.pop_back();
        continue;
      }
      if (n.state == 0) {
        expand(id);
        for (int axis = 0; axis < 2; ++axis) {
          for (const std::int32_t c :
               nodes_[static_cast<std::size_t>(id)].option[static_cast<std::size_t>(axis)].children) {
            if (nodes_[static_cast<std::size_t>(c)].state == 0) stack.push_back(c);
          }
        }
        continue;
      }
      cost(id);
      stack.pop_back();
    }
  }

  // ---- The passes ----
  PlainRect material(const Box& b) const {
    return {i32(b.x0), i32(b.y0), i32(b.x1 - k_ - b.x0), i32(b.y1 - k_ - b.y0)};
  }

  PassYield yieldOf(std::int32_t id) const {
    const Node& n = nodes_[static_cast<std::size_t>(id)];
    return n.final ? n.yield : PassYield{YieldKind::Strip, -1};
  }

  SawPass pass(const Box& piece, int axis, i64 edge) const {
    SawPass p;
    p.piece = material(piece);
    p.alongX = axis == 1;
    p.at = i32(edge - h_);
    p.fence = i32(edge - k_ - piece.lo(axis));
    p.length = axis == 0 ? p.piece.width : p.piece.length;
    return p;
  }

  void add(CutSequence& out, SawPass p, int& lies) {
    const int axis = p.alongX ? 1 : 0;
    p.turn = lies != kFree && lies != axis;
    lies = axis;
    p.number = static_cast<std::int32_t>(out.passes.size()) + 1;
    out.passes.push_back(std::move(p));
  }

  // The trims, those across the first-stage cuts first, so that the sheet
  // lies right for its first-stage cuts after them.
  void emitTrims(CutSequence& out, int rootAxis, std::int32_t rootId) {
    const SheetTrims& t = out.trims;
    const i64 L = in_.sheetLength, W = in_.sheetWidth;
    Box sheet{0, 0, L + k_, W + k_};  // the whole sheet as a piece
    int lies = kFree;
    int last = -1;          // the last trim pass
    bool keptNear = false;  // whether the usable sheet is its near side
    for (const int axis : {1 - rootAxis, rootAxis}) {
      const i64 nearTrim = axis == 0 ? t.left : t.top;
      const i64 farTrim = axis == 0 ? t.right : t.bottom;
      const i64 size = axis == 0 ? L : W;
      if (nearTrim > 0) {
        SawPass p = pass(sheet, axis, nearTrim);
        p.trim = true;
        p.nearSide = {p.fence > 0 ? YieldKind::Waste : YieldKind::Nothing, -1};
        p.farSide = {YieldKind::Strip, -1};
        add(out, std::move(p), lies);
        (axis == 0 ? sheet.x0 : sheet.y0) = nearTrim;
        last = static_cast<int>(out.passes.size()) - 1;
        keptNear = false;
      }
      if (farTrim > 0) {
        const i64 edge = size - farTrim + k_;
        SawPass p = pass(sheet, axis, edge);
        p.trim = true;
        p.nearSide = {YieldKind::Strip, -1};
        p.farSide = {size - edge > 0 ? YieldKind::Waste : YieldKind::Nothing, -1};
        add(out, std::move(p), lies);
        (axis == 0 ? sheet.x1 : sheet.y1) = edge;
        last = static_cast<int>(out.passes.size()) - 1;
        keptNear = true;
      }
    }
    if (last >= 0) (keptNear ? out.passes[last].nearSide : out.passes[last].farSide) = yieldOf(rootId);
  }

  // Each piece's passes from its reference edge on, then the pieces cut
  // off, one after another, each with everything below it.
  void emitPieces(CutSequence& out, std::int32_t rootId, int incoming) {
    struct Frame {
      std::int32_t node;
      int lies;
    };
    std::vector<Frame> stack{{rootId, incoming}};
    while (!stack.empty()) {
      const Frame f = stack.back();
      stack.pop_back();
      const Node& n = nodes_[static_cast<std::size_t>(f.node)];
      if (n.final) continue;
      const int axis = n.best[static_cast<std::size_t>(f.lies)];
      const Option& o = n.option[static_cast<std::size_t>(axis)];
      int lies = f.lies;
      Box piece = n.box;
      for (std::size_t i = 0; i < o.positions.size(); ++i) {
        SawPass p = pass(piece, axis, o.positions[i]);
        p.nearSide = yieldOf(o.children[i]);
        p.farSide = i + 1 < o.positions.size() ? PassYield{YieldKind::Strip, -1} : yieldOf(o.children[i + 1]);
        add(out, std::move(p), lies);
        (axis == 0 ? piece.x0 : piece.y0) = o.positions[i];
      }
      for (auto it = o.children.rbegin(); it != o.children.rend(); ++it) stack.push_back({*it, axis});
    }
  }

  // The drawn cuts each pass makes: those on its line that overlap it.
  void attachCuts(CutSequence& out) const {
    struct Line {
      bool alongX;
      std::int32_t at;
      std::int32_t cut;
      bool operator<(const Line& o) const { return std::tie(alongX, at, cut) < std::tie(o.alongX, o.at, o.cut); }
    };
    std::vector<Line> lines;
    lines.reserve(in_.cuts.size());
    for (std::size_t i = 0; i < in_.cuts.size(); ++i) {
      const PlainCut& c = in_.cuts[i];
      lines.push_back({c.alongX, c.alongX ? c.y : c.x, static_cast<std::int32_t>(i)});
    }
    std::sort(lines.begin(), lines.end());
    for (std::size_t pi = 0; pi < out.passes.size(); ++pi) {
      SawPass& p = out.passes[pi];
      const i64 p0 = p.alongX ? p.piece.x : p.piece.y;
      const i64 p1 = p0 + (p.alongX ? p.piece.length : p.piece.width);
      auto it = std::lower_bound(lines.begin(), lines.end(), Line{p.alongX, p.at, -1});
      for (; it != lines.end() && it->alongX == p.alongX && it->at == p.at; ++it) {
        const PlainCut& c = in_.cuts[static_cast<std::size_t>(it->cut)];
        const i64 c0 = p.alongX ? c.x : c.y;
        const i64 c1 = c0 + c.length;
        const i64 from = std::max(p0, c0), to = std::min(p1, c1);
        const bool makes = to > from || (c.length == 0 && c0 > p0 && c0 < p1);
        if (!makes) continue;
        p.cuts.push_back(it->cut);
        const i64 mid = (from + to) / 2;
        out.marks.push_back(
            {static_cast<std::int32_t>(pi), it->cut, p.alongX ? i32(mid) : p.at, p.alongX ? p.at : i32(mid)});
      }
      std::sort(p.cuts.begin(), p.cuts.end());
      if (p.cuts.empty()) {
        const i64 mid = (p0 + p1) / 2;
        out.marks.push_back(
            {static_cast<std::int32_t>(pi), -1, p.alongX ? i32(mid) : p.at, p.alongX ? p.at : i32(mid)});
      }
    }
  }

  const SequenceInput& in_;
  const i64 k_;
  const i64 h_;
  std::vector<Item> items_;
  std::vector<Node> nodes_;
  std::unordered_map<Box, std::int32_t, BoxHash> memo_;
  std::vector<std::pair<i64, i64>> spans_;
};

}  // namespace

CutSequence MakeCutSequence(const SequenceInput& map) { return Sequencer(map).run(); }

SequenceInput SequenceInputOf(const FinishedMap& map, std::int32_t kerf, std::optional<SheetTrims> trims) {
  SequenceInput in;
  in.sheetLength = map.SheetLength;
  in.sheetWidth = map.SheetWidth;
  in.kerf = kerf;
  in.offcutSheet = map.IsScrap;
  if (!map.IsScrap) in.trims = trims;
  in.parts.reserve(map.Parts.size());
  for (const MapPart& p : map.Parts) in.parts.push_back({p.X, p.Y, p.Length, p.Width});
  in.offcuts.reserve(map.Offcuts.size());
  for (const MapOffcut& o : map.Offcuts) in.offcuts.push_back({o.X, o.Y, o.Length, o.Width});
  in.cuts.reserve(map.Cuts.size());
  for (const MapCut& c : map.Cuts) in.cuts.push_back({c.X, c.Y, c.Length, c.AlongX});
  return in;
}

}  // namespace kroyna::engine
