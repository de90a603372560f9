#include "engine/CuttingModel.h"
#include "engine/ExchangeSort.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace kroyna::engine;
using namespace kroyna::engine::test;

namespace {

std::vector<std::string> names(const TDetalsList& parts) {
  std::vector<std::string> out;
  for (int i = 0; i < parts.Count(); ++i) out.push_back(parts[i].Name);
  return out;
}

std::vector<std::string> regionNames(const TSheetsList& layout) {
  std::vector<std::string> out;
  for (const TSheet& r : layout.Regions) out.push_back(r.Name);
  return out;
}

}  // namespace

TEST(ExchangeSort, EqualKeysKeepTheOrderTheSchemeLeaves) {
  // Three equal-ranked stock entries stay A, B, C.
  TSheetsList stock;
  stock.AddRegion("A", 0, 0, 1000, 500, 0);
  stock.AddRegion("B", 0, 0, 500, 1000, 0);
  stock.AddRegion("C", 0, 0, 1000, 500, 0);
  stock.SortBySize();
  EXPECT_EQ(regionNames(stock), (std::vector<std::string>{"A", "B", "C"}));

  // The scheme is not stable: an entry ranked before two equal ones
  // exchanges with the first and carries it behind the second.
  TSheetsList mixed;
  mixed.AddRegion("B1", 0, 0, 100, 100, 0);
  mixed.AddRegion("B2", 0, 0, 100, 100, 0);
  mixed.AddRegion("A", 0, 0, 200, 100, 0);
  mixed.SortBySize();
  EXPECT_EQ(regionNames(mixed), (std::vector<std::string>{"A", "B2", "B1"}));
}

TEST(ExchangeSort, MatchesThePlainSchemeOnShuffledInput) {
  // Neither the shortcut past positions nothing outranks nor the n log n
  // ordering of long lists may change the result.
  auto plain = [](std::vector<std::pair<int, int>> v) {
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
      for (std::size_t j = i + 1; j < v.size(); ++j)
        if (v[j].first > v[i].first) std::swap(v[i], v[j]);
    return v;
  };
  std::uint32_t seed = 12345;
  for (int round = 0; round < 320; ++round) {
    std::vector<std::pair<int, int>> v;
    const bool longList = round >= 200;
    const int n = longList ? 60 + round * 37 % 300 : 1 + round % 13;
    const std::uint32_t distinct = longList ? 2 + round % 40 : 5;
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      v.push_back({static_cast<int>((seed >> 16) % distinct), i});
    }
    // Mostly sorted input, as layouts have, in half of the rounds; in some
    // long rounds smallest first, the scheme's slowest case.
    if (round % 2 == 0) std::stable_sort(v.begin(), v.end() - 1, [](auto& a, auto& b) { return a.first > b.first; });
    if (longList && round % 3 == 0)
      std::stable_sort(v.begin(), v.end(), [](auto& a, auto& b) { return a.first < b.first; });
    auto expected = plain(v);
    ExchangeSort(v, [](const std::pair<int, int>& e) { return e.first; });
    ASSERT_EQ(v, expected) << "round " << round;
  }
}

TEST(ExchangeSort, PartsRankByLongerThenShorterSide) {
  TDetalsList parts;
  parts.AddDetal("small", 300, 200, 1, 0);
  parts.AddDetal("wide", 600, 400, 1, 0);
  parts.AddDetal("tall", 400, 600, 1, 0);
  parts.AddDetal("long", 600, 100, 1, 0);
  parts.SortBySize();
  // 600 x 400 and 400 x 600 rank equal and keep their order; 600 x 100
  // ranks after them on its shorter side.
  EXPECT_EQ(names(parts), (std::vector<std::string>{"wide", "tall", "long", "small"}));

  TDetalsHandleList placements;
  placements.AddPlacement(2, 0, {0, 0}, false);
  placements.AddPlacement(0, 0, {1, 0}, false);
  placements.AddPlacement(2, 0, {2, 0}, false);
  placements.AddPlacement(1, 0, {3, 0}, false);
  placements.SortByDetal();
  std::vector<std::pair<int, int>> got;
  for (const TDetalHandle& h : placements.All()) got.push_back({h.DetalIndex, h.X});
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, 1}, {1, 3}, {2, 2}, {2, 0}}));
}

TEST(MillList, AddCutRefusesOnlyContainedCutsOfTheSameSheetAndDirection) {
  TMillList cuts;
  ASSERT_TRUE(cuts.AddCut(10, 50, 0, true, 100));
  EXPECT_FALSE(cuts.AddCut(20, 50, 0, true, 90));   // inside, ends at the same point
  EXPECT_FALSE(cuts.AddCut(10, 50, 0, true, 100));  // identical
  EXPECT_EQ(cuts.Count(), 1);
  EXPECT_TRUE(cuts.AddCut(20, 50, 1, true, 10));   // another sheet
  EXPECT_TRUE(cuts.AddCut(10, 50, 0, false, 10));  // other direction
  EXPECT_TRUE(cuts.AddCut(100, 50, 0, true, 20));  // overlapping, not contained
  EXPECT_TRUE(cuts.AddCut(5, 50, 0, true, 200));   // contains the first: still added
  EXPECT_TRUE(cuts.AddCut(10, 51, 0, true, 10));   // another line
  EXPECT_EQ(cuts.Count(), 6);

  TMillList vertical;
  ASSERT_TRUE(vertical.AddCut(40, 0, 3, false, 300));
  EXPECT_FALSE(vertical.AddCut(40, 100, 3, false, 200));
  EXPECT_TRUE(vertical.AddCut(40, 100, 3, false, 201));
}

TEST(MillList, SpanOperationsOfMerging) {
  TMillList cuts;
  cuts.AddCut(100, 0, 0, false, 150);   // separating cut along Y
  cuts.AddCut(0, 100, 0, true, 100);    // edge of S along X, ends at (100, 100)
  cuts.AddCut(100, 100, 0, true, 100);  // edge of M along X
  cuts.AddCut(0, 100, 1, true, 100);    // same line on another sheet

  cuts.ShortenCut(0, {100, 100}, {100, 150});
  EXPECT_EQ(cuts.Items(0).Length, 100);
  cuts.ShortenCut(0, {100, 100}, {100, 160});  // no cut contains it: nothing happens
  EXPECT_EQ(cuts.Items(0).Length, 100);

  cuts.ExtendCut(0, {100, 100}, {200, 100});
  EXPECT_EQ(cuts.Items(1).Length, 200);
  EXPECT_EQ(cuts.Items(2).Length, 100);  // starts at P, does not end there
  EXPECT_EQ(cuts.Items(3).Length, 100);  // other sheet

  cuts.DeleteCut(0, {100, 100}, {200, 100});
  ASSERT_EQ(cuts.Count(), 3);
  EXPECT_EQ(cuts.Items(2).SheetKey, 1);
  cuts.DeleteCut(0, {0, 100}, {150, 100});  // wrong end: kept
  EXPECT_EQ(cuts.Count(), 3);

  // ExtendCut lengthens every cut that ends at P, along Y as well.
  TMillList many;
  many.AddCut(5, 0, 0, false, 50);
  many.AddCut(5, -10, 0, false, 60);
  many.AddCut(6, 0, 0, false, 50);
  many.ExtendCut(0, {5, 50}, {5, 80});
  EXPECT_EQ(many.Items(0).Length, 80);
  EXPECT_EQ(many.Items(1).Length, 90);
  EXPECT_EQ(many.Items(2).Length, 50);
}

TEST(SheetsList, Measures) {
  TDetalsList parts;
  parts.AddDetal("a", 100, 50, 3, 0);
  parts.AddDetal("b", 30, 20, 1, 0);

  TSheetsList layout;
  layout.SheetLength = 2800;
  layout.SheetWidth = 2070;
  EXPECT_EQ(layout.WasteArea(parts), 2800.0L * 2070.0L);  // no placements
  layout.Placements.AddPlacement(0, 0, {0, 0}, false);
  layout.Placements.AddPlacement(0, 0, {0, 0}, true);
  layout.Placements.AddPlacement(1, 0, {0, 0}, false);
  EXPECT_EQ(layout.WasteArea(parts), 2800.0L * 2070.0L - 2 * 5000 - 600);

  // Sizes beyond 46 m a side do not overflow.
  TSheetsList huge;
  huge.SheetLength = 100000;
  huge.SheetWidth = 100000;
  EXPECT_EQ(huge.WasteArea(parts), 1e10L);

  EXPECT_EQ(layout.LongestRegion(), 0);
  layout.AddRegion("", 0, 0, 500, 0, 0);  // emptied by merging: not counted
  EXPECT_EQ(layout.LongestRegion(), 0);
  layout.AddRegion("", 0, 0, 300, 40, 0);
  layout.AddRegion("", 0, 0, 300, 90, 0);
  layout.AddRegion("", 0, 0, 200, 400, 0);
  EXPECT_EQ(layout.LongestRegion(), 300);
  EXPECT_EQ(layout.LargestAreaOfLength(300), 27000);
  EXPECT_EQ(layout.LargestAreaOfLength(200), 80000);
  EXPECT_EQ(layout.LargestAreaOfLength(500), 0);

  layout.MillLines.AddCut(0, 0, 0, true, 120);
  layout.MillLines.AddCut(0, 0, 0, false, 80);
  EXPECT_EQ(layout.MillCount(), 2);
  EXPECT_EQ(layout.MillLength(), 200);

  layout.SortByArea();
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{0, 0, 200, 400}, {0, 0, 300, 90}, {0, 0, 300, 40}, {0, 0, 500, 0}}));
}

TEST(SheetsList, SameLayoutComparesSheetNameCountsAndPartsOnly) {
  auto make = [](const std::string& name, std::vector<int> detals) {
    TSheetsList l;
    l.SheetLength = 1000;
    l.SheetWidth = 500;
    l.Name = name;
    l.AddRegion("", 0, 0, 10, 10, 0);
    int x = 0;
    for (int d : detals) l.Placements.AddPlacement(d, 0, {x++, 0}, x % 2 == 0);
    return l;
  };
  const TSheetsList a = make("A1", {0, 1, 1});
  EXPECT_TRUE(a.SameLayout(make("A1", {0, 1, 1})));
  EXPECT_FALSE(a.SameLayout(make("A2", {0, 1, 1})));  // two different stock offcuts
  EXPECT_FALSE(a.SameLayout(make("A1", {0, 1, 2})));
  EXPECT_FALSE(a.SameLayout(make("A1", {0, 1})));
  TSheetsList moved = make("A1", {0, 1, 1});
  moved.Regions[0].X = 77;  // positions are not compared
  EXPECT_TRUE(a.SameLayout(moved));
  moved.AddRegion("", 0, 0, 0, 0, 0);
  EXPECT_FALSE(a.SameLayout(moved));
  TSheetsList wider = make("A1", {0, 1, 1});
  wider.SheetWidth = 501;
  EXPECT_FALSE(a.SameLayout(wider));
}

TEST(DetalsList, PendingOrientationKerfAndSkips) {
  TDetalsList parts;
  parts.AddDetal("free", 600, 400, 3, RotateFree);
  parts.AddDetal("one", 500, 300, 2, RotateOneForAll);
  EXPECT_EQ(parts.Items(2), nullptr);
  EXPECT_EQ(parts.Items(-1), nullptr);
  ASSERT_NE(parts.Items(1), nullptr);
  EXPECT_EQ(parts[0].Many, 3);
  EXPECT_EQ(parts[0].Remaining, 3);
  EXPECT_EQ(parts[0].Pending, 3);

  parts[0].Orientation = OrientationTurned;
  parts[1].Orientation = OrientationTurned;
  parts[0].Remaining = 1;
  parts[0].Pending = -2;
  parts.ResetPending(false);
  EXPECT_EQ(parts[0].Pending, 1);
  EXPECT_EQ(parts[0].Orientation, OrientationNone);
  EXPECT_EQ(parts[1].Orientation, OrientationTurned);  // one-for-all kept
  parts.ResetPending(true);
  EXPECT_EQ(parts[1].Orientation, OrientationNone);

  parts.ApplyKerf(true, 4);
  EXPECT_EQ(parts[0].Length, 604);
  EXPECT_EQ(parts[1].Width, 304);
  parts.ApplyKerf(false, 4);
  EXPECT_EQ(parts[0].Length, 600);

  EXPECT_FALSE(parts.AnySkipped());
  parts[1].Skipped = true;
  EXPECT_TRUE(parts.AnySkipped());
  parts.ClearSkipped();
  EXPECT_FALSE(parts.AnySkipped());

  EXPECT_EQ(parts.RemainingTotal(), 3);
  EXPECT_FALSE(parts.AllPlaced());
  parts[0].Remaining = 0;
  parts[1].Remaining = 0;
  EXPECT_TRUE(parts.AllPlaced());
}

TEST(DetalsList, HasSmallerAheadStopsAfterTheFirstPendingEntry) {
  TDetalsList parts;
  parts.AddDetal("first", 500, 500, 1, 0);
  parts.AddDetal("smaller", 100, 100, 1, 0);
  TDetal probe;
  probe.Length = 400;
  probe.Width = 600;
  // The first entry has copies pending: only it is compared.
  EXPECT_FALSE(parts.HasSmallerAhead(probe));
  parts[0].Pending = 0;
  EXPECT_TRUE(parts.HasSmallerAhead(probe));
  // Strictly smaller in both sizes, either way round.
  TDetal turned;
  turned.Length = 101;
  turned.Width = 600;
  parts[1].Length = 500;
  parts[1].Width = 100;
  EXPECT_TRUE(parts.HasSmallerAhead(turned));
  turned.Length = 100;
  EXPECT_FALSE(parts.HasSmallerAhead(turned));
  // The first entry is smaller itself.
  parts[0].Pending = 1;
  parts[0].Length = 10;
  parts[0].Width = 10;
  EXPECT_TRUE(parts.HasSmallerAhead(probe));
}

TEST(DetalsList, FixOrientationsOnlyForOneForAllParts) {
  TDetalsList parts;
  parts.AddDetal("free", 600, 400, 3, RotateFree);
  parts.AddDetal("one", 500, 300, 2, RotateOneForAll);
  TSheetsList layout;
  layout.Placements.AddPlacement(0, 0, {0, 0}, true);
  layout.Placements.AddPlacement(1, 0, {0, 0}, true);
  layout.Placements.AddPlacement(7, 0, {0, 0}, true);  // outside the list: ignored
  parts.FixOrientations(layout);
  EXPECT_EQ(parts[0].Orientation, OrientationNone);
  EXPECT_EQ(parts[1].Orientation, OrientationTurned);
}

TEST(VariantsList, KeepBestHoldsTheBetterLayoutAndTheLaterWinsTies) {
  TDetalsList parts;
  parts.AddDetal("a", 100, 100, 10, 0);
  auto layout = [](int copies, std::vector<std::pair<int, int>> regions) {
    auto l = std::make_shared<TSheetsList>();
    l->SheetLength = 1000;
    l->SheetWidth = 1000;
    for (int i = 0; i < copies; ++i) l->Placements.AddPlacement(0, 0, {0, 0}, false);
    for (auto [len, wid] : regions) l->AddRegion("", 0, 0, len, wid, 0);
    return l;
  };

  TVariantsList best;
  best.KeepBest = true;
  auto two = layout(2, {{100, 100}});
  auto three = layout(3, {{100, 100}});
  best.AddVariant(two, 0, parts, Criterion::OffcutArea);
  best.AddVariant(three, 1, parts, Criterion::OffcutArea);
  ASSERT_EQ(best.Count(), 1);
  EXPECT_EQ(best.Items(0), three);  // less waste
  best.AddVariant(layout(2, {{900, 900}}), 2, parts, Criterion::OffcutArea);
  EXPECT_EQ(best.Items(0), three);  // more waste loses whatever the criterion

  // Equal waste, criterion 0: the first differing offcut decides.
  auto small = layout(3, {{400, 400}, {300, 300}, {10, 10}});
  auto large = layout(3, {{100, 10}, {400, 400}, {301, 300}});
  TVariantsList area;
  area.KeepBest = true;
  area.AddVariant(large, 0, parts, Criterion::OffcutArea);
  area.AddVariant(small, 1, parts, Criterion::OffcutArea);
  EXPECT_EQ(area.Items(0), large);  // sorted by area: 400x400 = 400x400, then 301x300 > 300x300
  EXPECT_EQ(large->Variant, 0);
  EXPECT_EQ(small->Variant, 1);

  // Criterion 1: the longer longest offcut wins; then its larger area.
  auto longer = layout(3, {{200, 10}, {150, 150}});
  auto shorter = layout(3, {{190, 190}});
  TVariantsList length;
  length.KeepBest = true;
  length.AddVariant(longer, 0, parts, Criterion::OffcutLength);
  length.AddVariant(shorter, 1, parts, Criterion::OffcutLength);
  EXPECT_EQ(length.Items(0), longer);
  auto wider = layout(3, {{200, 20}});
  length.AddVariant(wider, 2, parts, Criterion::OffcutLength);
  EXPECT_EQ(length.Items(0), wider);

  // Criterion 2: the shorter total cut wins; a tie goes to the later one.
  auto cutA = layout(3, {});
  cutA->MillLines.AddCut(0, 0, 0, true, 500);
  auto cutB = layout(3, {});
  cutB->MillLines.AddCut(0, 0, 0, true, 600);
  auto cutC = layout(3, {});
  cutC->MillLines.AddCut(0, 1, 0, true, 500);
  TVariantsList cuts;
  cuts.KeepBest = true;
  cuts.AddVariant(cutA, 0, parts, Criterion::CutLength);
  cuts.AddVariant(cutB, 1, parts, Criterion::CutLength);
  EXPECT_EQ(cuts.Items(0), cutA);
  cuts.AddVariant(cutC, 2, parts, Criterion::CutLength);
  EXPECT_EQ(cuts.Items(0), cutC);
}

TEST(VariantsList, RemoveSharedAndIndexOfSame) {
  auto make = [](const std::string& name) {
    auto l = std::make_shared<TSheetsList>();
    l->SheetLength = 100;
    l->SheetWidth = 100;
    l->Name = name;
    l->Placements.AddPlacement(0, 0, {0, 0}, false);
    return l;
  };
  TDetalsList parts;
  parts.AddDetal("a", 10, 10, 1, 0);
  TVariantsList results;
  TVariantsList variants;
  auto shared = make("x");
  auto own = make("y");
  results.AddVariant(make("x"), 0, parts, Criterion::OffcutArea);
  results.AddVariant(shared, 0, parts, Criterion::OffcutArea);
  variants.AddVariant(shared, 0, parts, Criterion::OffcutArea);
  variants.AddVariant(own, 1, parts, Criterion::OffcutArea);
  variants.RemoveShared(results);
  ASSERT_EQ(variants.Count(), 1);
  EXPECT_EQ(variants.Items(0), own);
  EXPECT_EQ(results.Count(), 2);

  EXPECT_EQ(results.IndexOfSame(*shared), 0);  // not itself
  EXPECT_EQ(results.IndexOfSame(*results.Items(0)), 1);
  EXPECT_EQ(results.IndexOfSame(*own), -1);
}
