#pragma once

// One sheet of the improved search as a guillotine tree. The sheet's usable
// rectangle is the root; a split node cuts its rectangle into slices that
// follow one another along X (cuts along Y between them) or along Y (cuts
// along X between them), every slice spanning the whole node across, and
// the axes alternate from level to level. Leaves are placed copies, filling
// their slice exactly, or free rectangles.
//
// Because every slice spans its node, any pattern built this way is cut by
// through-cuts, and taking a copy out gives its rectangle back as free space
// that merges with the free slices beside it, so that later copies can use
// the joined room.
//
// All sizes are kerf-enlarged, as in the quick and full search, so that copies
// side by side are one kerf apart once the kerf is taken off again.

#include <cstdint>
#include <vector>

namespace kroyna::engine::improved {

// A free leaf as the search scans them.
struct FreeRect {
  std::int32_t w = 0, h = 0;
  std::int32_t node = -1;
};

enum class NodeKind : std::uint8_t { Free, Item, Split, Dead };

struct TreeNode {
  std::int32_t x = 0, y = 0, w = 0, h = 0;
  std::int32_t parent = -1;
  std::int32_t first = -1, last = -1;  // children of a split
  std::int32_t prev = -1, next = -1;   // siblings
  std::int32_t item = -1;              // the copy of an item leaf
  NodeKind kind = NodeKind::Free;
  bool alongX = false;  // split: its slices follow one another along X
};

// How a copy goes into a free rectangle F (w x h) at its top-left corner,
// with the copy a x b:
// - RightFirst: the first cut runs along Y at the copy's right edge across
//   F, leaving (w - a) x h to the right and a x (h - b) below the copy;
// - BelowFirst: the first cut runs along X at the copy's lower edge across
//   F, leaving w x (h - b) below and (w - a) x b to the right of the copy.
// When a = w or b = h the two are the same.
enum class SplitWay : std::uint8_t { RightFirst, BelowFirst };

class GuillotineBin {
 public:
  GuillotineBin() = default;
  // An empty sheet whose usable rectangle (kerf-enlarged) is x, y, w x h.
  GuillotineBin(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);

  const std::vector<TreeNode>& nodes() const { return nodes_; }
  const TreeNode& node(std::int32_t i) const { return nodes_[static_cast<std::size_t>(i)]; }
  std::int32_t root() const { return root_; }
  bool empty() const { return items_ == 0; }
  std::int32_t itemCount() const { return items_; }
  std::int64_t usedArea() const { return used_; }

  // Free leaves with their sizes, refreshed after every change.
  const std::vector<FreeRect>& freeLeaves() const;
  // The widest and tallest free leaf sides, for a quick test whether a copy
  // can go anywhere on the sheet.
  std::int32_t maxFreeW() const {
    if (dirty_) refresh();
    return maxFreeW_;
  }
  std::int32_t maxFreeH() const {
    if (dirty_) refresh();
    return maxFreeH_;
  }

  // The free leaf whose top-left corner is (x, y), -1 when there is none
  // (free leaves do not overlap, so there is at most one).
  std::int32_t freeAt(std::int32_t x, std::int32_t y) const {
    for (const FreeRect& f : freeLeaves())
      if (node(f.node).x == x && node(f.node).y == y) return f.node;
    return -1;
  }

  // Puts copy `item` of extents a x b into free leaf `leaf` (which must hold
  // it). Returns the index of the new item leaf.
  std::int32_t insert(std::int32_t leaf, std::int32_t item, std::int32_t a, std::int32_t b, SplitWay way);
  // Gives item leaf `leaf` another copy of the same size.
  void setItem(std::int32_t leaf, std::int32_t item) { nodes_[static_cast<std::size_t>(leaf)].item = item; }
  // Takes the copy of item leaf `leaf` out; its room merges with the free
  // room beside it.
  void remove(std::int32_t leaf);
  // The item leaf holding copy `item`, -1 when none.
  std::int32_t findItem(std::int32_t item) const;
  // Item leaves in tree order (top-left first).
  std::vector<std::int32_t> itemLeaves() const;
  // Every item leaf under `node` (itself included).
  void itemsUnder(std::int32_t node, std::vector<std::int32_t>& out) const;

  // Split nodes above `node` (the stage of cuts that frees an item leaf).
  std::int32_t depth(std::int32_t node) const;
  // The stage at which a copy of extents a x b put into free leaf `leaf`
  // the given way would be cut free; with `rootAlongX` 0 or 1 the first
  // stage must cut the sheet into slices along Y (0) or along X (1), and a
  // sheet whose first split is the other way counts one stage more (-1:
  // either way).
  std::int32_t stageAfterInsert(std::int32_t leaf, std::int32_t a, std::int32_t b, SplitWay way, int rootAlongX) const;
  // The stages of cuts the sheet needs as the tree cuts it (0 for a sheet
  // with at most one copy that fills it).
  std::int32_t stages(int rootAlongX) const;

  // Checks the tree's invariants (slices tile their node, axes alternate,
  // no two free slices side by side, the free leaves marked); for tests.
  bool wellFormed() const;

 private:
  std::int32_t make(const TreeNode& n);
  void kill(std::int32_t i);
  void append(std::int32_t parent, std::int32_t child);
  // Replaces child `old` of its parent by the chain first..last (already
  // linked among themselves).
  void replaceInParent(std::int32_t old, std::int32_t first, std::int32_t last);
  // The slot of a copy inside a rectangle spanning (sx, sy, sw, sh) along
  // the other axis: the item leaf, or a split holding it and a free rest.
  std::int32_t makeSlot(std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh, std::int32_t item,
                        std::int32_t a, std::int32_t b, bool sliceAlongX, std::int32_t& itemLeaf);
  void normalizeUp(std::int32_t node);
  void refresh() const;
  // Keeps freeBits_ in step with the kinds of the nodes.
  void markFree(std::int32_t i, bool free);

  std::vector<TreeNode> nodes_;
  std::int32_t root_ = -1;
  std::int32_t freeList_ = -1;
  std::int32_t items_ = 0;
  std::int64_t used_ = 0;

  std::vector<std::uint64_t> freeBits_;  // bit i: node i is a free leaf
  mutable std::vector<FreeRect> freeLeaves_;
  mutable std::int32_t maxFreeW_ = 0, maxFreeH_ = 0;
  mutable bool dirty_ = true;
};

}  // namespace kroyna::engine::improved
