// Filling one sheet for the most value: the filling reaches the best value
// a strip layout can give, stacks copies in a column beside a taller one,
// keeps to three stages of cuts when columns may not be trimmed, never
// puts more copies of a kind than it may, and its tree holds what it says.

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
    std::vector<ValuedKind> kinds = c.kinds;
    for (std::size_t k = 0; k < kinds.size(); ++k) kinds[k].item = static_cast<std::int32_t>(k);
    double best = 0;
    for (bool alongX : {false, true}) {
      for (bool planned : {false, true}) {
        GuillotineBin g;
        std::int64_t work = 0;
        const double value = FillForValue(kinds, c.sheet, FillWay{alongX, c.trim, planned}, g, work, 1'000'000);
        best = std::max(best, value);
        EXPECT_TRUE(g.wellFormed()) << c.name;
        std::vector<std::int32_t> placed(kinds.size(), 0);
        double worth = 0;
        for (std::int32_t l : g.itemLeaves()) {
          const TreeNode& n = g.node(l);
          const ValuedKind& k = kinds[static_cast<std::size_t>(n.item)];
          ++placed[static_cast<std::size_t>(n.item)];
          worth += k.value;
          const bool given = n.w == k.w && n.h == k.h, turned = n.w == k.h && n.h == k.w;
          EXPECT_TRUE((given && (k.allowed & AllowAsGiven)) || (turned && (k.allowed & AllowTurned))) << c.name;
          EXPECT_TRUE(n.x >= c.sheet.x && n.y >= c.sheet.y && n.x + n.w <= c.sheet.x + c.sheet.w &&
                      n.y + n.h <= c.sheet.y + c.sheet.h)
              << c.name;
        }
        for (std::size_t k = 0; k < kinds.size(); ++k)
          EXPECT_LE(placed[k], kinds[k].value > 0 ? kinds[k].copies : 0) << c.name;
        EXPECT_NEAR(worth, value, 1e-9) << c.name;
        if (!c.trim) {
          EXPECT_LE(g.stages(-1), 3) << c.name;
        }
        EXPECT_GT(work, 0) << c.name;
      }
    }
    EXPECT_NEAR(best, c.value, 1e-9) << c.name;
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
}
