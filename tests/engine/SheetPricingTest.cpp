// Filling one sheet for the most value: the filling reaches the best value
// a strip layout can give, stacks copies in a column beside a taller one,
// keeps to three stages of cuts when columns may not be trimmed, never
// puts more copies of a kind than it may, and its tree holds what it says.
// Cuts of any depth reach layouts that strips cannot.

#include "engine/SheetPricing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace kroyna::engine::improved;

namespace {

ValuedKind kind(std::int32_t w, std::int32_t h, std::int32_t copies, double value,
                std::uint8_t allowed = AllowAsGiven | AllowTurned) {
  return ValuedKind{w, h, allowed, copies, value, -1};
}

// The kinds with a copy each to label the sheet's leaves.
std::vector<ValuedKind> numbered(std::vector<ValuedKind> kinds) {
  for (std::size_t k = 0; k < kinds.size(); ++k) kinds[k].item = static_cast<std::int32_t>(k);
  return kinds;
}

// The sheet's tree is whole, its copies lie on the sheet in a way their
// kind allows, no kind has more copies than it may, and they are worth
// `value`.
void expectSound(const std::vector<ValuedKind>& kinds, const PackSheet& sheet, const GuillotineBin& g, double value,
                 const char* name) {
  EXPECT_TRUE(g.wellFormed()) << name;
  std::vector<std::int32_t> placed(kinds.size(), 0);
  double worth = 0;
  for (std::int32_t l : g.itemLeaves()) {
    const TreeNode& n = g.node(l);
    const ValuedKind& k = kinds[static_cast<std::size_t>(n.item)];
    ++placed[static_cast<std::size_t>(n.item)];
    worth += k.value;
    const bool given = n.w == k.w && n.h == k.h, turned = n.w == k.h && n.h == k.w;
    EXPECT_TRUE((given && (k.allowed & AllowAsGiven)) || (turned && (k.allowed & AllowTurned))) << name;
    EXPECT_TRUE(n.x >= sheet.x && n.y >= sheet.y && n.x + n.w <= sheet.x + sheet.w && n.y + n.h <= sheet.y + sheet.h)
        << name;
  }
  for (std::size_t k = 0; k < kinds.size(); ++k) EXPECT_LE(placed[k], kinds[k].value > 0 ? kinds[k].copies : 0) << name;
  EXPECT_NEAR(worth, value, 1e-9) << name;
}

}  // namespace

TEST(SheetPricing, FillsASheetForTheMostValue) {
  struct Case {
    const char* name;
    std::vector<ValuedKind> kinds;
    PackSheet sheet;
    bool trim;
    double value;
  };
  const Case cases[] = {
      {"four quarters", {kind(50, 50, 5, 0.25)}, {0, 0, 100, 100}, true, 1.0},
      {"the best pair, not the best copy twice",
       {kind(60, 100, 2, 0.5), kind(40, 100, 2, 0.4)},
       {0, 0, 100, 100},
       true,
       0.9},
      {"copies stacked beside a tall one", {kind(50, 100, 1, 0.5), kind(50, 50, 3, 0.3)}, {0, 0, 100, 100}, true, 1.1},
      {"a narrower copy trimmed in its column",
       {kind(60, 100, 1, 0.5, AllowAsGiven), kind(40, 50, 1, 0.2, AllowAsGiven), kind(30, 50, 1, 0.2, AllowAsGiven)},
       {0, 0, 100, 120},
       true,
       0.9},
      // Within three stages only strips along X hold all three: along Y the
      // narrower copy would need a fourth stage under the other.
      {"the same within three stages",
       {kind(60, 100, 1, 0.5, AllowAsGiven), kind(40, 50, 1, 0.2, AllowAsGiven), kind(30, 50, 1, 0.2, AllowAsGiven)},
       {0, 0, 100, 120},
       false,
       0.9},
      {"turned to fit a wide sheet", {kind(40, 100, 2, 0.5, AllowTurned)}, {10, 5, 200, 40}, true, 1.0},
      {"kinds worth nothing left off", {kind(50, 50, 4, 0.0), kind(50, 100, 1, 0.6)}, {0, 0, 100, 100}, true, 0.6},
  };
  for (const Case& c : cases) {
    std::vector<ValuedKind> kinds = numbered(c.kinds);
    double best = 0;
    for (bool alongX : {false, true}) {
      for (bool planned : {false, true}) {
        GuillotineBin g;
        std::int64_t work = 0;
        const double value = FillForValue(kinds, c.sheet, FillWay{alongX, c.trim, planned}, g, work, 1'000'000);
        best = std::max(best, value);
        expectSound(kinds, c.sheet, g, value, c.name);
        if (!c.trim) {
          EXPECT_LE(g.stages(-1), 3) << c.name;
        }
        EXPECT_GT(work, 0) << c.name;
      }
    }
    EXPECT_NEAR(best, c.value, 1e-9) << c.name;
  }
}

TEST(SheetPricing, CutsOfAnyDepthReachWhatStripsCannot) {
  const auto given = AllowAsGiven;
  struct Case {
    const char* name;
    std::vector<ValuedKind> kinds;
    PackSheet sheet;
    double value;  // the best by cuts of any depth
    bool stripsReach;
  };
  const Case cases[] = {
      // The sheet filled whole, the last two copies side by side in a row
      // of a column beside a column: five stages of cuts.
      {"five stages deep",
       {kind(35, 60, 1, 0.21, given), kind(25, 30, 1, 0.075, given), kind(10, 30, 1, 0.03, given),
        kind(15, 30, 1, 0.045, given), kind(60, 40, 1, 0.24, given), kind(40, 100, 1, 0.4, given)},
       {5, 5, 100, 100},
       1.0,
       false},
      {"a stack beside a tall copy",
       {kind(50, 100, 1, 0.5), kind(50, 50, 1, 0.2), kind(25, 50, 2, 0.15)},
       {0, 0, 100, 100},
       1.0,
       false},
      // Turned to fit; only two copies are left of the kind worth most.
      {"no more copies than are left", {kind(30, 20, 2, 0.3), kind(20, 20, 9, 0.1)}, {0, 0, 40, 60}, 0.8, true},
  };
  for (const Case& c : cases) {
    const std::vector<ValuedKind> kinds = numbered(c.kinds);
    GuillotineBin g;
    std::int64_t work = 0;
    const double value = CutForValue(kinds, c.sheet, g, work, 1'000'000);
    expectSound(kinds, c.sheet, g, value, c.name);
    EXPECT_NEAR(value, c.value, 1e-9) << c.name;
    double strips = 0;
    for (int n = 0; n < 4; ++n) {
      GuillotineBin s;
      std::int64_t w = 0;
      strips = std::max(strips, FillForValue(kinds, c.sheet, FillWay{n / 2 == 1, true, n % 2 == 1}, s, w, 1'000'000));
    }
    EXPECT_EQ(strips > c.value - 1e-9, c.stripsReach) << c.name;
  }
}

TEST(SheetPricing, StopsAtItsLimit) {
  std::vector<ValuedKind> kinds{kind(50, 50, 4, 0.25)};
  kinds[0].item = 0;
  GuillotineBin g;
  std::int64_t work = 0;
  EXPECT_EQ(FillForValue(kinds, {0, 0, 100, 100}, FillWay{}, g, work, 0), 0.0);
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(work, 0);
  EXPECT_EQ(CutForValue(kinds, {0, 0, 100, 100}, g, work, 0), 0.0);
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(work, 0);
}
