#include "engine/GuillotineBin.h"

#include <algorithm>
#include <bit>

namespace kroyna::engine::improved {

GuillotineBin::GuillotineBin(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  TreeNode r;
  r.x = x;
  r.y = y;
  r.w = w;
  r.h = h;
  r.kind = NodeKind::Free;
  root_ = make(r);
}

std::int32_t GuillotineBin::make(const TreeNode& n) {
  dirty_ = true;
  if (freeList_ >= 0) {
    const std::int32_t i = freeList_;
    freeList_ = nodes_[static_cast<std::size_t>(i)].next;
    nodes_[static_cast<std::size_t>(i)] = n;
    markFree(i, n.kind == NodeKind::Free);
    return i;
  }
  nodes_.push_back(n);
  const std::int32_t i = static_cast<std::int32_t>(nodes_.size()) - 1;
  markFree(i, n.kind == NodeKind::Free);
  return i;
}

void GuillotineBin::markFree(std::int32_t i, bool free) {
  const std::size_t word = static_cast<std::size_t>(i) >> 6;
  const std::uint64_t bit = std::uint64_t{1} << (static_cast<std::size_t>(i) & 63);
  if (word >= freeBits_.size()) freeBits_.resize(word + 1, 0);
  if (free)
    freeBits_[word] |= bit;
  else
    freeBits_[word] &= ~bit;
}

void GuillotineBin::kill(std::int32_t i) {
  dirty_ = true;
  TreeNode& n = nodes_[static_cast<std::size_t>(i)];
  n = TreeNode{};
  n.kind = NodeKind::Dead;
  markFree(i, false);
  n.next = freeList_;
  freeList_ = i;
}

void GuillotineBin::append(std::int32_t parent, std::int32_t child) {
  TreeNode& p = nodes_[static_cast<std::size_t>(parent)];
  TreeNode& c = nodes_[static_cast<std::size_t>(child)];
  c.parent = parent;
  c.next = -1;
  c.prev = p.last;
  if (p.last >= 0)
    nodes_[static_cast<std::size_t>(p.last)].next = child;
  else
    p.first = child;
  p.last = child;
}

void GuillotineBin::replaceInParent(std::int32_t old, std::int32_t first, std::int32_t last) {
  const TreeNode o = nodes_[static_cast<std::size_t>(old)];
  TreeNode& p = nodes_[static_cast<std::size_t>(o.parent)];
  for (std::int32_t c = first;; c = nodes_[static_cast<std::size_t>(c)].next) {
    nodes_[static_cast<std::size_t>(c)].parent = o.parent;
    if (c == last) break;
  }
  nodes_[static_cast<std::size_t>(first)].prev = o.prev;
  nodes_[static_cast<std::size_t>(last)].next = o.next;
  if (o.prev >= 0)
    nodes_[static_cast<std::size_t>(o.prev)].next = first;
  else
    p.first = first;
  if (o.next >= 0)
    nodes_[static_cast<std::size_t>(o.next)].prev = last;
  else
    p.last = last;
}

std::int32_t GuillotineBin::makeSlot(std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                     std::int32_t item, std::int32_t a, std::int32_t b, bool sliceAlongX,
                                     std::int32_t& itemLeaf) {
  TreeNode leaf;
  leaf.x = sx;
  leaf.y = sy;
  leaf.w = a;
  leaf.h = b;
  leaf.kind = NodeKind::Item;
  leaf.item = item;
  // A slice along X is a wide and sh tall; a slice along Y is sw wide and b tall.
  const bool exact = sliceAlongX ? (b == sh) : (a == sw);
  if (exact) {
    itemLeaf = make(leaf);
    return itemLeaf;
  }
  TreeNode split;
  split.x = sx;
  split.y = sy;
  split.w = sliceAlongX ? a : sw;
  split.h = sliceAlongX ? sh : b;
  split.kind = NodeKind::Split;
  split.alongX = !sliceAlongX;
  const std::int32_t s = make(split);
  itemLeaf = make(leaf);
  append(s, itemLeaf);
  TreeNode rest;
  rest.kind = NodeKind::Free;
  if (sliceAlongX) {
    rest.x = sx;
    rest.y = sy + b;
    rest.w = a;
    rest.h = sh - b;
  } else {
    rest.x = sx + a;
    rest.y = sy;
    rest.w = sw - a;
    rest.h = b;
  }
  append(s, make(rest));
  return s;
}

std::int32_t GuillotineBin::insert(std::int32_t leaf, std::int32_t item, std::int32_t a, std::int32_t b, SplitWay way) {
  dirty_ = true;
  ++items_;
  used_ += static_cast<std::int64_t>(a) * b;
  const TreeNode f = nodes_[static_cast<std::size_t>(leaf)];
  if (a == f.w && b == f.h) {
    TreeNode& n = nodes_[static_cast<std::size_t>(leaf)];
    n.kind = NodeKind::Item;
    n.item = item;
    markFree(leaf, false);
    return leaf;
  }
  bool axisX = way == SplitWay::RightFirst;
  if (b == f.h) axisX = true;
  if (a == f.w) axisX = false;

  std::int32_t itemLeaf = -1;
  const std::int32_t slot = makeSlot(f.x, f.y, f.w, f.h, item, a, b, axisX, itemLeaf);
  TreeNode rest;
  rest.kind = NodeKind::Free;
  if (axisX) {
    rest.x = f.x + a;
    rest.y = f.y;
    rest.w = f.w - a;
    rest.h = f.h;
  } else {
    rest.x = f.x;
    rest.y = f.y + b;
    rest.w = f.w;
    rest.h = f.h - b;
  }

  if (f.parent >= 0 && nodes_[static_cast<std::size_t>(f.parent)].alongX == axisX) {
    // The new slices join the parent's: the leaf keeps the rest.
    TreeNode& n = nodes_[static_cast<std::size_t>(leaf)];
    n.x = rest.x;
    n.y = rest.y;
    n.w = rest.w;
    n.h = rest.h;
    TreeNode& s = nodes_[static_cast<std::size_t>(slot)];
    s.parent = f.parent;
    s.next = leaf;
    s.prev = f.prev;
    if (f.prev >= 0)
      nodes_[static_cast<std::size_t>(f.prev)].next = slot;
    else
      nodes_[static_cast<std::size_t>(f.parent)].first = slot;
    nodes_[static_cast<std::size_t>(leaf)].prev = slot;
    return itemLeaf;
  }
  // The leaf becomes a split across its parent's axis.
  TreeNode& n = nodes_[static_cast<std::size_t>(leaf)];
  n.kind = NodeKind::Split;
  markFree(leaf, false);
  n.alongX = axisX;
  n.first = n.last = -1;
  append(leaf, slot);
  append(leaf, make(rest));
  return itemLeaf;
}

void GuillotineBin::remove(std::int32_t leaf) {
  TreeNode& n = nodes_[static_cast<std::size_t>(leaf)];
  dirty_ = true;
  --items_;
  used_ -= static_cast<std::int64_t>(n.w) * n.h;
  n.kind = NodeKind::Free;
  n.item = -1;
  markFree(leaf, true);
  normalizeUp(leaf);
}

void GuillotineBin::normalizeUp(std::int32_t n) {
  for (;;) {
    const std::int32_t p = nodes_[static_cast<std::size_t>(n)].parent;
    if (p < 0) return;
    const bool alongX = nodes_[static_cast<std::size_t>(p)].alongX;
    // Free slices side by side become one.
    const std::int32_t prev = nodes_[static_cast<std::size_t>(n)].prev;
    if (prev >= 0 && nodes_[static_cast<std::size_t>(prev)].kind == NodeKind::Free) {
      TreeNode& pr = nodes_[static_cast<std::size_t>(prev)];
      const TreeNode cur = nodes_[static_cast<std::size_t>(n)];
      if (alongX)
        pr.w += cur.w;
      else
        pr.h += cur.h;
      pr.next = cur.next;
      if (cur.next >= 0)
        nodes_[static_cast<std::size_t>(cur.next)].prev = prev;
      else
        nodes_[static_cast<std::size_t>(p)].last = prev;
      kill(n);
      n = prev;
    }
    const std::int32_t next = nodes_[static_cast<std::size_t>(n)].next;
    if (next >= 0 && nodes_[static_cast<std::size_t>(next)].kind == NodeKind::Free) {
      const TreeNode nx = nodes_[static_cast<std::size_t>(next)];
      TreeNode& cur = nodes_[static_cast<std::size_t>(n)];
      if (alongX)
        cur.w += nx.w;
      else
        cur.h += nx.h;
      cur.next = nx.next;
      if (nx.next >= 0)
        nodes_[static_cast<std::size_t>(nx.next)].prev = n;
      else
        nodes_[static_cast<std::size_t>(p)].last = n;
      kill(next);
    }
    TreeNode& pn = nodes_[static_cast<std::size_t>(p)];
    if (pn.first != pn.last) return;
    const std::int32_t only = pn.first;
    const NodeKind kind = nodes_[static_cast<std::size_t>(only)].kind;
    if (kind == NodeKind::Free) {
      // The whole node is free again.
      pn.kind = NodeKind::Free;
      markFree(p, true);
      pn.first = pn.last = -1;
      kill(only);
      n = p;
      continue;
    }
    if (kind == NodeKind::Split) {
      // A split filling its parent: its slices take the parent's place.
      const TreeNode c = nodes_[static_cast<std::size_t>(only)];
      if (pn.parent < 0) {
        pn.alongX = c.alongX;
        pn.first = c.first;
        pn.last = c.last;
        for (std::int32_t k = c.first; k >= 0; k = nodes_[static_cast<std::size_t>(k)].next)
          nodes_[static_cast<std::size_t>(k)].parent = p;
        kill(only);
        return;
      }
      replaceInParent(p, c.first, c.last);
      kill(only);
      kill(p);
      // The outer slices may now touch free slices of the grandparent.
      const std::int32_t lastChild = c.last;
      if (nodes_[static_cast<std::size_t>(c.first)].kind == NodeKind::Free) normalizeUp(c.first);
      if (nodes_[static_cast<std::size_t>(lastChild)].kind == NodeKind::Free) normalizeUp(lastChild);
      return;
    }
    return;
  }
}

void GuillotineBin::refresh() const {
  if (!dirty_) return;
  freeLeaves_.clear();
  maxFreeW_ = maxFreeH_ = 0;
  // The free nodes in index order, from their marks.
  for (std::size_t word = 0; word < freeBits_.size(); ++word) {
    for (std::uint64_t bits = freeBits_[word]; bits != 0; bits &= bits - 1) {
      const std::size_t i = (word << 6) + static_cast<std::size_t>(std::countr_zero(bits));
      const TreeNode& n = nodes_[i];
      if (n.w <= 0 || n.h <= 0) continue;
      freeLeaves_.push_back(FreeRect{n.w, n.h, static_cast<std::int32_t>(i)});
      maxFreeW_ = std::max(maxFreeW_, n.w);
      maxFreeH_ = std::max(maxFreeH_, n.h);
    }
  }
  dirty_ = false;
}

const std::vector<FreeRect>& GuillotineBin::freeLeaves() const {
  refresh();
  return freeLeaves_;
}

std::int32_t GuillotineBin::findItem(std::int32_t item) const {
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i].kind == NodeKind::Item && nodes_[i].item == item) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void GuillotineBin::itemsUnder(std::int32_t node, std::vector<std::int32_t>& out) const {
  const TreeNode& n = nodes_[static_cast<std::size_t>(node)];
  if (n.kind == NodeKind::Item) {
    out.push_back(node);
    return;
  }
  for (std::int32_t c = n.first; c >= 0; c = nodes_[static_cast<std::size_t>(c)].next) itemsUnder(c, out);
}

std::vector<std::int32_t> GuillotineBin::itemLeaves() const {
  std::vector<std::int32_t> out;
  if (root_ >= 0) itemsUnder(root_, out);
  return out;
}

std::int32_t GuillotineBin::depth(std::int32_t node) const {
  std::int32_t d = 0;
  for (std::int32_t p = nodes_[static_cast<std::size_t>(node)].parent; p >= 0;
       p = nodes_[static_cast<std::size_t>(p)].parent)
    ++d;
  return d;
}

std::int32_t GuillotineBin::stageAfterInsert(std::int32_t leaf, std::int32_t a, std::int32_t b, SplitWay way,
                                             int rootAlongX) const {
  const TreeNode& f = nodes_[static_cast<std::size_t>(leaf)];
  const TreeNode& r = nodes_[static_cast<std::size_t>(root_)];
  std::int32_t stage = depth(leaf);
  bool rootSplit = r.kind == NodeKind::Split;
  bool rootAxis = r.alongX;
  if (a != f.w || b != f.h) {
    // As insert() does it.
    bool axisX = way == SplitWay::RightFirst;
    if (b == f.h) axisX = true;
    if (a == f.w) axisX = false;
    const bool exactSlot = axisX ? (b == f.h) : (a == f.w);
    const bool joinsParent = f.parent >= 0 && nodes_[static_cast<std::size_t>(f.parent)].alongX == axisX;
    stage += (joinsParent ? 0 : 1) + (exactSlot ? 0 : 1);
    if (leaf == root_) {
      rootSplit = true;
      rootAxis = axisX;
    }
  }
  if (rootAlongX >= 0 && rootSplit && rootAxis != (rootAlongX == 1)) ++stage;
  return stage;
}

std::int32_t GuillotineBin::stages(int rootAlongX) const {
  std::int32_t most = 0;
  for (std::int32_t leaf : itemLeaves()) most = std::max(most, depth(leaf));
  const TreeNode& r = nodes_[static_cast<std::size_t>(root_)];
  if (rootAlongX >= 0 && r.kind == NodeKind::Split && r.alongX != (rootAlongX == 1)) ++most;
  return most;
}

bool GuillotineBin::wellFormed() const {
  std::int64_t used = 0;
  std::int32_t items = 0;
  std::vector<std::int32_t> stack{root_};
  while (!stack.empty()) {
    const std::int32_t i = stack.back();
    stack.pop_back();
    const TreeNode& n = nodes_[static_cast<std::size_t>(i)];
    if (n.kind == NodeKind::Item) {
      ++items;
      used += static_cast<std::int64_t>(n.w) * n.h;
      continue;
    }
    if (n.kind != NodeKind::Split) continue;
    if (n.first < 0) return false;
    std::int32_t at = n.alongX ? n.x : n.y;
    std::int32_t prevKind = -1;
    std::int32_t count = 0;
    for (std::int32_t c = n.first; c >= 0; c = nodes_[static_cast<std::size_t>(c)].next) {
      const TreeNode& k = nodes_[static_cast<std::size_t>(c)];
      if (k.parent != i) return false;
      if (k.kind == NodeKind::Dead) return false;
      if (k.kind == NodeKind::Split && k.alongX == n.alongX) return false;
      if (n.alongX ? (k.x != at || k.y != n.y || k.h != n.h) : (k.y != at || k.x != n.x || k.w != n.w)) return false;
      if (k.kind == NodeKind::Free && prevKind == static_cast<std::int32_t>(NodeKind::Free)) return false;
      if (k.w <= 0 || k.h <= 0) return false;
      at += n.alongX ? k.w : k.h;
      prevKind = static_cast<std::int32_t>(k.kind);
      ++count;
      if (k.next >= 0 && nodes_[static_cast<std::size_t>(k.next)].prev != c) return false;
      stack.push_back(c);
    }
    if (at != (n.alongX ? n.x + n.w : n.y + n.h)) return false;
    if (count == 1 && nodes_[static_cast<std::size_t>(n.first)].kind == NodeKind::Free) return false;
  }
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    const bool marked = (i >> 6) < freeBits_.size() && ((freeBits_[i >> 6] >> (i & 63)) & 1) != 0;
    if (marked != (nodes_[i].kind == NodeKind::Free)) return false;
  }
  return used == used_ && items == items_;
}

}  // namespace kroyna::engine::improved
