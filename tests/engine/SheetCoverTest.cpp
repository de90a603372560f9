// Choosing fewer sheets among those laid out before: a choice that is
// found holds every copy the job needs within the sheets allowed, the one
// sheet that makes a cover possible is found among many that do not, and
// an impossible or unaffordable choice is refused rather than made short.

#include "engine/SheetCover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

using namespace kroyna::engine::improved;

namespace {

// Empty when `chosen` is a cover of `p` with at most `target` sheets, else
// what is wrong with it.
std::string faultOf(const CoverProblem& p, const std::vector<std::size_t>& chosen, std::int32_t target) {
  if (chosen.size() > static_cast<std::size_t>(target)) return std::to_string(chosen.size()) + " sheets";
  std::vector<std::int32_t> held(p.demand.size(), 0);
  for (std::size_t i : chosen) {
    if (i >= p.sheets.size()) return "no sheet " + std::to_string(i);
    for (std::int32_t k : p.sheets[i]) ++held[static_cast<std::size_t>(k)];
  }
  for (std::size_t k = 0; k < held.size(); ++k)
    if (held[k] < p.demand[k]) return "kind " + std::to_string(k) + " short";
  return {};
}

// Twelve kinds of one copy, a third of a sheet each: only four full sheets
// that share no kind hold them on four sheets. The exact cover hides among
// sheets that each overlap it.
CoverProblem hiddenPartition() {
  CoverProblem p;
  p.demand.assign(12, 1);
  p.area.assign(12, 10);
  p.sheetArea = 30;
  std::uint32_t x = 12345;
  auto next = [&] { return (x = x * 1103515245u + 12345u) >> 16; };
  for (int i = 0; i < 60; ++i) {
    const std::int32_t a = static_cast<std::int32_t>(next() % 12);
    std::int32_t b = static_cast<std::int32_t>(next() % 12), c = static_cast<std::int32_t>(next() % 12);
    if (a == b || a == c || b == c) continue;
    std::vector<std::int32_t> s{a, b, c};
    std::sort(s.begin(), s.end());
    p.sheets.push_back(s);
    if (i == 17) p.sheets.push_back({0, 4, 8});
    if (i == 29) p.sheets.push_back({1, 5, 9});
    if (i == 41) p.sheets.push_back({2, 6, 10});
    if (i == 53) p.sheets.push_back({3, 7, 11});
  }
  return p;
}

}  // namespace

TEST(SheetCover, FindsAFullCoverOrRefuses) {
  struct Case {
    const char* name;
    CoverProblem problem;
    std::int32_t target;
    bool found;
  };
  CoverProblem pairs;  // four kinds, two to a sheet; a greedy pick of {0,2} leaves {1} and {3} apart
  pairs.demand = {1, 1, 1, 1};
  pairs.area = {25, 25, 25, 25};
  pairs.sheetArea = 50;
  pairs.sheets = {{0, 2}, {1}, {3}, {0, 1}, {2, 3}, {1, 3}};
  CoverProblem noPair = pairs;  // only half-empty sheets beside {0, 2}
  noPair.sheets = {{0, 2}, {1}, {3}, {0}};
  CoverProblem copies;  // several copies of a kind; a sheet may hold more than needed
  copies.demand = {3, 1};
  copies.area = {10, 20};
  copies.sheetArea = 40;
  copies.sheets = {{0, 0, 0}, {0, 0, 1}, {0, 1}, {1}};
  const Case cases[] = {
      {"pairs on two sheets", pairs, 2, true},
      {"pairs on three sheets", pairs, 3, true},
      {"no second full sheet", noPair, 2, false},
      {"copies over the demand", copies, 2, true},
      {"more area than one sheet", copies, 1, false},
      {"a partition among overlapping sheets", hiddenPartition(), 4, true},
  };
  for (const Case& c : cases) {
    CoverBudget budget{100'000'000, 0, nullptr};
    const std::vector<std::size_t> chosen = CoverSheets(c.problem, c.target, budget);
    EXPECT_EQ(!chosen.empty(), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(faultOf(c.problem, chosen, c.target), "") << c.name;
    }
    EXPECT_LE(budget.spent, budget.limit + 1'000'000) << c.name;
  }
}

TEST(SheetCover, GivesUpWhenStoppedOrOutOfBudget) {
  const CoverProblem p = hiddenPartition();
  CoverBudget none{0, 0, nullptr};
  EXPECT_TRUE(CoverSheets(p, 4, none).empty());
  std::atomic<bool> stop{true};
  CoverBudget stopped{100'000'000, 0, &stop};
  EXPECT_TRUE(CoverSheets(p, 4, stopped).empty());
}

// Sheets added between solves lower the relaxation, which reports the
// sheets its optimum uses by the order they were given in.
TEST(SheetCover, RelaxationTakesInSheetsAddedLater) {
  CoverProblem p;
  p.demand = {1, 1, 1, 1, 0};
  p.area = {25, 25, 25, 25, 25};
  p.sheetArea = 50;
  p.sheets = {{0}, {1}, {2}, {3, 4}};
  CoverBudget budget{100'000'000, 0, nullptr};
  CoverRelaxation lp(p, budget);
  double value = 0;
  std::vector<double> duals;
  std::vector<std::pair<std::size_t, double>> used;
  ASSERT_TRUE(lp.solve(value, duals, &used));
  EXPECT_NEAR(value, 4, 1e-9);
  ASSERT_EQ(duals.size(), 5u);
  EXPECT_NEAR(duals[2], 1, 1e-9);
  EXPECT_NEAR(duals[4], 0, 1e-9);  // no copy of it is needed
  lp.add({0, 1});
  lp.add({2, 3});
  ASSERT_TRUE(lp.solve(value, duals, &used));
  EXPECT_NEAR(value, 2, 1e-9);
  std::sort(used.begin(), used.end());
  ASSERT_EQ(used.size(), 2u);
  EXPECT_EQ(used[0].first, 4u);
  EXPECT_EQ(used[1].first, 5u);
  EXPECT_NEAR(duals[0] + duals[1], 1, 1e-9);
}

// The relaxation's answer proves itself: the shares it reports hold every
// copy asked for and add up to its value, no sheet is worth more than one
// at its duals, and the duals price the demand at that same value (the
// sheets made for it are only as good as these duals). Checked for the
// job's demand and for the copies left after taking a sheet, as the dive
// asks.
TEST(SheetCover, RelaxationIsProvedByItsDuals) {
  const CoverProblem p = hiddenPartition();
  std::vector<std::int32_t> rest = p.demand;
  for (std::int32_t k : p.sheets.front()) --rest[static_cast<std::size_t>(k)];
  for (const std::vector<std::int32_t>& demand : {p.demand, rest}) {
    SCOPED_TRACE(demand == p.demand ? "whole demand" : "after one sheet");
    CoverBudget budget{100'000'000, 0, nullptr};
    CoverRelaxation lp(p, demand, budget);
    double value = 0;
    std::vector<double> duals;
    std::vector<std::pair<std::size_t, double>> used;
    ASSERT_TRUE(lp.solve(value, duals, &used));
    std::vector<double> held(demand.size(), 0);
    double shares = 0;
    for (const auto& [sheet, share] : used) {
      ASSERT_LT(sheet, p.sheets.size());
      EXPECT_GE(share, -1e-9);
      shares += share;
      for (std::int32_t k : p.sheets[sheet]) held[static_cast<std::size_t>(k)] += share;
    }
    double priced = 0;
    for (std::size_t k = 0; k < demand.size(); ++k) {
      EXPECT_GE(held[k], demand[k] - 1e-6) << "kind " << k;
      EXPECT_GE(duals[k], -1e-9) << "kind " << k;
      priced += duals[k] * std::max(0, demand[k]);
    }
    for (const std::vector<std::int32_t>& sheet : p.sheets) {
      double worth = 0;
      for (std::int32_t k : sheet) worth += duals[static_cast<std::size_t>(k)];
      EXPECT_LE(worth, 1 + 1e-6);
    }
    EXPECT_NEAR(shares, value, 1e-6);
    EXPECT_NEAR(priced, value, 1e-6);
    EXPECT_GE(value, (demand == p.demand ? 4.0 : 3.0) - 1e-6);  // a third of a sheet per copy
  }
}
