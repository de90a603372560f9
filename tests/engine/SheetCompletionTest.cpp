// Completing sheets one at a time: the exact check tells sets that a sheet
// holds by guillotine cuts from those it holds only otherwise or not at
// all, keeping to the orientations a copy may take; the sheets found hold
// every copy once, as the copy may lie, within the number asked; and a
// search out of budget or stopped gives nothing rather than a short layout.

#include "engine/SheetCompletion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace kroyna::engine::improved;

namespace {

constexpr std::uint8_t kBoth = AllowAsGiven | AllowTurned;

std::vector<PackItem> itemsOf(const std::vector<std::pair<std::int32_t, std::int32_t>>& sizes, std::uint8_t allowed) {
  std::vector<PackItem> items;
  for (auto [w, h] : sizes) items.push_back(PackItem{w, h, static_cast<std::int32_t>(items.size()), allowed});
  return items;
}

std::vector<std::int32_t> all(const std::vector<PackItem>& items) {
  std::vector<std::int32_t> which;
  for (std::size_t i = 0; i < items.size(); ++i) which.push_back(static_cast<std::int32_t>(i));
  return which;
}

// A full sheet cut at random into pieces by guillotine cuts of any depth.
void dissect(std::int32_t w, std::int32_t h, std::mt19937& rng, int depth,
             std::vector<std::pair<std::int32_t, std::int32_t>>& out) {
  const bool acrossX = (rng() & 1) != 0;
  const std::int32_t side = acrossX ? w : h;
  if (depth == 0 || side < 8) {
    out.emplace_back(w, h);
    return;
  }
  const std::int32_t at = 3 + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(side - 6));
  if (acrossX) {
    dissect(at, h, rng, depth - 1, out);
    dissect(w - at, h, rng, depth - 1, out);
  } else {
    dissect(w, at, rng, depth - 1, out);
    dissect(w, h - at, rng, depth - 1, out);
  }
}

// Empty when `sheets` hold every copy of `items` once, as it may lie, on at
// most `target` sound sheets; else what is wrong.
std::string faultOf(const std::vector<PackItem>& items, const PackSheet& sheet,
                    const std::vector<GuillotineBin>& sheets, std::int32_t target) {
  if (sheets.empty() || sheets.size() > static_cast<std::size_t>(target))
    return std::to_string(sheets.size()) + " sheets";
  std::vector<int> seen(items.size(), 0);
  for (const GuillotineBin& g : sheets) {
    if (!g.wellFormed()) return "a tree not well formed";
    for (std::int32_t l : g.itemLeaves()) {
      const TreeNode& n = g.node(l);
      const PackItem& it = items[static_cast<std::size_t>(n.item)];
      ++seen[static_cast<std::size_t>(n.item)];
      const bool given = n.w == it.w && n.h == it.h, turned = n.w == it.h && n.h == it.w;
      if (!(given && (it.allowed & AllowAsGiven)) && !(turned && (it.allowed & AllowTurned)))
        return "copy " + std::to_string(n.item) + " lies as it may not";
      if (n.x < sheet.x || n.y < sheet.y || n.x + n.w > sheet.x + sheet.w || n.y + n.h > sheet.y + sheet.h)
        return "copy " + std::to_string(n.item) + " off the sheet";
    }
  }
  for (std::size_t i = 0; i < seen.size(); ++i)
    if (seen[i] != 1) return "copy " + std::to_string(i) + " laid " + std::to_string(seen[i]) + " times";
  return {};
}

}  // namespace

TEST(SheetCompletion, ChecksWhetherASheetHoldsCopiesByGuillotineCuts) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
    std::uint8_t allowed;
    PackSheet sheet;
    bool fits;
  };
  const Case cases[] = {
      {"four quarters", {{5, 5}, {5, 5}, {5, 5}, {5, 5}}, kBoth, {0, 0, 10, 10}, true},
      {"a fifth quarter", {{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}}, kBoth, {0, 0, 10, 10}, false},
      // The pinwheel fills the sheet, but no through-cut separates it; its
      // pieces turned stand in two columns.
      {"pinwheel", {{2, 1}, {1, 2}, {2, 1}, {1, 2}, {1, 1}}, AllowAsGiven, {0, 0, 3, 3}, false},
      {"pinwheel turned apart", {{2, 1}, {1, 2}, {2, 1}, {1, 2}, {1, 1}}, kBoth, {0, 0, 3, 3}, true},
      {"stacked when turned", {{6, 7}, {6, 7}}, kBoth, {0, 0, 10, 12}, true},
      {"stacked only when turned", {{6, 7}, {6, 7}}, AllowAsGiven, {0, 0, 10, 12}, false},
      {"one copy too many for the strip",
       {{81, 99}, {19, 96}, {2, 15}, {2, 12}, {15, 2}},
       kBoth,
       {0, 0, 100, 100},
       false},
      {"a narrow strip of turned copies", {{81, 99}, {19, 96}, {2, 15}, {2, 12}}, kBoth, {0, 0, 100, 100}, true},
      {"the strip's copies as given", {{81, 99}, {19, 96}, {2, 15}, {2, 12}}, AllowAsGiven, {0, 0, 100, 100}, false},
      {"an offset sheet", {{4, 10}, {6, 3}, {6, 7}}, AllowAsGiven, {20, 30, 10, 10}, true},
  };
  for (const Case& c : cases) {
    const std::vector<PackItem> items = itemsOf(c.sizes, c.allowed);
    CompletionBudget budget{10'000'000, 0, nullptr};
    EXPECT_EQ(FitsOneSheet(items, all(items), c.sheet, budget), c.fits) << c.name;
    EXPECT_LE(budget.spent, budget.limit) << c.name;
  }
}

TEST(SheetCompletion, LaysCopiesOutOnTheSheetsAsked) {
  // Three sheets cut at random to any depth: the copies fill exactly three
  // sheets, so each sheet found must be one of full ones.
  std::mt19937 rng(20261211);
  std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
  for (int s = 0; s < 3; ++s) dissect(100, 80, rng, 3, sizes);
  for (std::uint8_t allowed : {kBoth, std::uint8_t{AllowAsGiven}}) {
    std::vector<PackItem> items = itemsOf(sizes, allowed);
    // Turned copies as the job gives them, so that the sheets must turn
    // them back.
    if (allowed == kBoth)
      for (std::size_t i = 0; i < items.size(); i += 2) std::swap(items[i].w, items[i].h);
    const PackSheet sheet{5, 5, 100, 80};
    CompletionBudget budget{50'000'000, 0, nullptr};
    const std::vector<GuillotineBin> sheets = CompleteSheets(items, all(items), sheet, 3, budget);
    EXPECT_EQ(faultOf(items, sheet, sheets, 3), "") << int(allowed);
    // Two sheets cannot hold three sheets of copies: refused at once.
    CompletionBudget fewer{50'000'000, 0, nullptr};
    EXPECT_TRUE(CompleteSheets(items, all(items), sheet, 2, fewer).empty());
    EXPECT_EQ(fewer.spent, 0);
  }
}

TEST(SheetCompletion, GivesNothingWhenOutOfBudgetOrStopped) {
  std::mt19937 rng(7);
  std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
  for (int s = 0; s < 4; ++s) dissect(100, 100, rng, 3, sizes);
  const std::vector<PackItem> items = itemsOf(sizes, kBoth);
  const PackSheet sheet{0, 0, 100, 100};
  CompletionBudget tight{1'000, 0, nullptr};
  EXPECT_TRUE(CompleteSheets(items, all(items), sheet, 4, tight).empty());
  EXPECT_LE(tight.spent, tight.limit + 200);
  std::atomic<bool> stop{true};
  CompletionBudget stopped{50'000'000, 0, &stop};
  EXPECT_TRUE(CompleteSheets(items, all(items), sheet, 4, stopped).empty());
  EXPECT_LT(stopped.spent, 100'000);
}
