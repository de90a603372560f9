#include "engine/FinishedMap.h"
#include "engine/SheetLayout.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <pthread.h>

using namespace kroyna::engine;
using namespace kroyna::engine::test;

// ------------------------------------------------------ layouts worked by hand

TEST(HandLayout, StandardSheetWithTrimsAndKerf) {
  // Sheet 1000 x 500, trims 10, kerf 4: the search rectangle is (8, 8)
  // 984 x 484 and the part 400 x 300 occupies 404 x 304.
  EngineContext ctx;
  setSheet(ctx, 1000, 500, 4, 10);
  ctx.Parts.AddDetal("P", 400, 300, 1, RotateFree);
  TSheetsList& layout = buildOne(ctx, 0);

  EXPECT_EQ(placementsOf(layout), (std::vector<Place>{{0, 8, 8, false}}));
  // No side matches and variant 0 has no bits: along X first.
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{8, 312, 984, true}, {412, 8, 304, false}}));
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{8, 312, 984, 180}, {412, 8, 580, 304}}));
  EXPECT_EQ(ctx.Parts[0].Pending, 0);
  EXPECT_EQ(ctx.Parts[0].Orientation, OrientationAsGiven);
  EXPECT_EQ(ctx.Parts[0].Pass, 1);

  ctx.Parts.ApplyKerf(false, 4);
  layout.Variant = 0;
  FinishStandardSheet(layout, ctx.Params);
  // The cut along X ran into the right trim and is carried through it; the
  // trim cuts are added at the top and left trim lines.
  EXPECT_EQ(cutsOf(layout),
            (std::vector<Cut>{{8, 312, 990, true}, {412, 8, 304, false}, {0, 8, 1000, true}, {8, 10, 490, false}}));

  const FinishedMap map = MakeFinishedMap(layout, ctx.Parts, 4);
  ASSERT_EQ(map.Parts.size(), 1u);
  EXPECT_EQ(map.Parts[0].X, 10);  // drawn at the trim lines
  EXPECT_EQ(map.Parts[0].Y, 10);
  EXPECT_EQ(map.Parts[0].Length, 400);
  EXPECT_EQ(map.Parts[0].Width, 300);
  ASSERT_EQ(map.Offcuts.size(), 2u);
  EXPECT_EQ((Rect{map.Offcuts[0].X, map.Offcuts[0].Y, map.Offcuts[0].Length, map.Offcuts[0].Width}),
            (Rect{10, 314, 980, 176}));
  EXPECT_EQ((Rect{map.Offcuts[1].X, map.Offcuts[1].Y, map.Offcuts[1].Length, map.Offcuts[1].Width}),
            (Rect{414, 10, 576, 300}));
  // Cut bands of width k centred on the lines.
  EXPECT_EQ(map.Cuts[0].BandY, 310);
  EXPECT_EQ(map.Cuts[0].BandWidth, 4);
  EXPECT_EQ(map.Cuts[1].BandX, 410);
  EXPECT_EQ(map.Cuts[1].BandLength, 4);
  EXPECT_EQ(map.MillCount, 4);
  EXPECT_EQ(map.MillLength, 990 + 304 + 1000 + 490);
}

TEST(HandLayout, RotatedPartWithEdgeBanding) {
  // 300 x 500 fits the 600 x 400 sheet only turned.
  EngineContext ctx;
  setSheet(ctx, 600, 400, 4, 0);
  TDetal& part = ctx.Parts.AddDetal("R", 300, 500, 1, RotateFree);
  part.LBorder = 1;
  part.RBorder = 2;
  part.TBorder = 3;
  part.BBorder = 4;
  TSheetsList& layout = buildOne(ctx, 0);

  EXPECT_EQ(placementsOf(layout), (std::vector<Place>{{0, -2, -2, true}}));
  EXPECT_EQ(ctx.LastOrientation, OrientationTurned);
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{-2, 302, 604, true}, {502, -2, 304, false}}));
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{-2, 302, 604, 100}, {502, -2, 100, 304}}));

  ctx.Parts.ApplyKerf(false, 4);
  FinishStandardSheet(layout, ctx.Params);
  // No trims: the cut along X is cut back to the sheet edge, no trim cuts.
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{-2, 302, 600, true}, {502, -2, 304, false}}));

  const FinishedMap map = MakeFinishedMap(layout, ctx.Parts, 4);
  ASSERT_EQ(map.Parts.size(), 1u);
  const MapPart& drawn = map.Parts[0];
  EXPECT_EQ(drawn.X, 0);
  EXPECT_EQ(drawn.Y, 0);
  EXPECT_EQ(drawn.Length, 500);
  EXPECT_EQ(drawn.Width, 300);
  EXPECT_TRUE(drawn.Rotated);
  // Turned: left TBorder, right BBorder, top RBorder, bottom LBorder.
  EXPECT_EQ(drawn.Edges, (DrawnEdges{3, 4, 2, 1}));
  EXPECT_EQ(DrawnEdgeCodes(ctx.Parts[0], false), (DrawnEdges{1, 2, 3, 4}));
  ASSERT_EQ(map.Offcuts.size(), 2u);
  EXPECT_EQ(map.Offcuts[0].Y, 304);
  EXPECT_EQ(map.Offcuts[0].Width, 96);
  EXPECT_EQ(map.Offcuts[1].X, 504);
  EXPECT_EQ(map.Offcuts[1].Length, 96);
}

TEST(HandLayout, MergeShortensExtendsAndDeletesCuts) {
  // Kerf 0, no trims, sheet 300 x 150, two copies of 100 x 100 that may
  // not turn. Variant 3 gives bit 1 to both cut directions: along Y first.
  EngineContext ctx;
  setSheet(ctx, 300, 150, 0, 0);
  ctx.Parts.AddDetal("A", 100, 100, 2, RotateNever);
  TSheetsList& layout = buildOne(ctx, 3);

  // Step 1 leaves (0,100) 100x50 under the first copy, step 2 leaves
  // (100,100) 100x50 under the second; they merge into (0,100) 200x50:
  // the separating cut at X = 100 loses 50, the cut under the first copy
  // is carried on under the second, whose own cut is removed.
  EXPECT_EQ(placementsOf(layout), (std::vector<Place>{{0, 0, 0, false}, {0, 100, 0, false}}));
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{100, 0, 100, false}, {0, 100, 200, true}, {200, 0, 150, false}}));
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{0, 100, 200, 50}, {200, 0, 100, 150}, {0, 100, 0, 50}}));
  EXPECT_EQ(ctx.Bits, 0);

  const FinishedMap map = MakeFinishedMap(layout, ctx.Parts, 0);
  ASSERT_EQ(map.Offcuts.size(), 2u);  // the emptied rectangle is no offcut
  EXPECT_EQ(map.Offcuts[0].Length, 200);
  EXPECT_EQ(map.Offcuts[1].X, 200);
}

TEST(HandLayout, MergeWithTheRectangleAbove) {
  TSheetsList layout;
  layout.AddRegion("", 0, 0, 200, 100, 0);        // S
  layout.AddRegion("", 0, 100, 200, 50, 0);       // M, same horizontal span below S
  layout.AddRegion("", 0, 0, 200, 100, 1);        // same place on another sheet: ignored
  layout.MillLines.AddCut(0, 100, 0, true, 300);  // separates S and M
  layout.MillLines.AddCut(0, 0, 0, false, 100);   // left edge of S, ends at (0, 100)
  layout.MillLines.AddCut(0, 100, 0, false, 50);  // left edge of M
  ASSERT_TRUE(MergeRegion(layout, 1));
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{0, 0, 200, 0}, {0, 0, 200, 150}, {0, 0, 200, 100}}));
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{0, 100, 100, true}, {0, 0, 150, false}}));
  // Emptied rectangles take part in no merge.
  EXPECT_FALSE(MergeRegion(layout, 0));
}

// ------------------------------------------------------------ decision rules

namespace {

std::vector<Cut> firstCuts(std::int32_t sheetL, std::int32_t sheetW, std::int32_t partL, std::int32_t partW) {
  EngineContext ctx;
  setSheet(ctx, sheetL, sheetW, 0, 0);
  ctx.Parts.AddDetal("P", partL, partW, 1, RotateNever);
  return cutsOf(buildOne(ctx, 0));
}

}  // namespace

TEST(CutDirection, MatchingSidesDecide) {
  // As long as the rectangle: along X first.
  EXPECT_EQ(firstCuts(300, 200, 300, 100), (std::vector<Cut>{{0, 100, 300, true}, {300, 0, 100, false}}));
  // As wide: along Y first.
  EXPECT_EQ(firstCuts(300, 200, 100, 200), (std::vector<Cut>{{100, 0, 200, false}, {0, 200, 100, true}}));
  // Both: along Y first.
  EXPECT_EQ(firstCuts(300, 200, 300, 200), (std::vector<Cut>{{300, 0, 200, false}, {0, 200, 300, true}}));
  // Neither: the bit decides, variant 0 cuts along X first.
  EXPECT_EQ(firstCuts(300, 200, 100, 100), (std::vector<Cut>{{0, 100, 300, true}, {100, 0, 100, false}}));
}

TEST(CutDirection, MaximumCutLengthWinsOverTheBitAndStopsMerging) {
  EngineContext ctx;
  setSheet(ctx, 2790, 2080, 0, 0);
  ctx.Params.MaxCutLength = 2000;
  ctx.Parts.AddDetal("P", 1000, 100, 1, RotateNever);
  // Both sides exceed P: the length test wins, the first cut runs along Y.
  EXPECT_EQ(cutsOf(buildOne(ctx, 0)), (std::vector<Cut>{{1000, 0, 2080, false}, {0, 100, 1000, true}}));

  // Only the width exceeds P: along X although the part is as wide.
  EngineContext narrow;
  setSheet(narrow, 1500, 2080, 0, 0);
  narrow.Params.MaxCutLength = 2000;
  narrow.Parts.AddDetal("P", 100, 2080, 1, RotateNever);
  EXPECT_EQ(cutsOf(buildOne(narrow, 0)).front(), (Cut{0, 2080, 1500, true}));

  // The merge of the hand layout above does not happen when P is set.
  EngineContext merge;
  setSheet(merge, 300, 150, 0, 0);
  merge.Params.MaxCutLength = 5000;
  merge.Parts.AddDetal("A", 100, 100, 2, RotateNever);
  TSheetsList& layout = buildOne(merge, 3);
  EXPECT_EQ(layout.MillLines.Count(), 4);
  for (const TSheet& r : layout.Regions) EXPECT_FALSE(r.IsEmpty());
}

TEST(CutDirection, MultiSawCutsAlongXAtTheLeftUsableEdge) {
  // Full-height part on a standard sheet with trims: normally along Y
  // first, on a multi-saw machine along X first at the left trim line.
  EngineContext ctx;
  setSheet(ctx, 1000, 500, 4, 10);
  ctx.Params.MultiSaw = true;
  ctx.Parts.AddDetal("P", 200, 480, 2, RotateNever);
  TSheetsList& layout = buildOne(ctx, 0);
  ASSERT_EQ(layout.Placements.Count(), 2);
  // First copy at (8, 8): along X first. Second copy at (212, 8), away
  // from the edge: ordinary rule, as wide as the rectangle, along Y first.
  EXPECT_EQ(cutsOf(layout), (std::vector<Cut>{{8, 492, 984, true}, {212, 8, 484, false}, {416, 8, 484, false}}));

  // On an offcut the left edge is at -h.
  EngineContext offcut;
  setSheet(offcut, 1000, 500, 4, 10);
  offcut.Params.MultiSaw = true;
  offcut.Parts.AddDetal("P", 200, 300, 1, RotateNever);
  TSheet stock;
  stock.Length = 600;
  stock.Width = 300;
  TSheetsList& onOffcut = buildOne(offcut, 0, {offcut.OffcutRegion(stock, 0)});
  EXPECT_EQ(cutsOf(onOffcut).front(), (Cut{-2, 302, 604, true}));
}

TEST(Orientation, VariantZeroTurnsOnlyAfterATurnedChoice) {
  auto firstTurned = [](std::uint8_t lastOrientation) {
    EngineContext ctx;
    setSheet(ctx, 1000, 1000, 0, 0);
    ctx.Parts.AddDetal("P", 300, 200, 1, RotateFree);
    ctx.Parts.SortBySize();
    ctx.Parts.ResetPending(true);
    ctx.InitialRegions = {ctx.StandardSheetRegion(0)};
    ctx.Current = ctx.NewPassLayout();
    ctx.LastOrientation = lastOrientation;
    BuildVariant(ctx);
    return ctx.Current->Placements.Items(0).Rotated;
  };
  EXPECT_FALSE(firstTurned(OrientationNone));
  EXPECT_FALSE(firstTurned(OrientationAsGiven));
  EXPECT_TRUE(firstTurned(OrientationTurned));
}

TEST(Orientation, MatchingSidesChooseBeforeTheBit) {
  // Width equals the rectangle's width: as given, even with bits set.
  EngineContext asGiven;
  setSheet(asGiven, 1000, 300, 0, 0);
  asGiven.Parts.AddDetal("P", 200, 300, 1, RotateFree);
  EXPECT_FALSE(buildOne(asGiven, 1).Placements.Items(0).Rotated);

  // Length equals the rectangle's width: turned.
  EngineContext turned;
  setSheet(turned, 1000, 300, 0, 0);
  turned.Parts.AddDetal("P", 300, 200, 1, RotateFree);
  EXPECT_TRUE(buildOne(turned, 0).Placements.Items(0).Rotated);

  // Nothing matches: the first bit turns it.
  EngineContext bit;
  setSheet(bit, 1000, 1000, 0, 0);
  bit.Parts.AddDetal("P", 300, 200, 1, RotateFree);
  EXPECT_TRUE(buildOne(bit, 1).Placements.Items(0).Rotated);
}

TEST(Orientation, RotationRules) {
  // Rule 1 that fits only turned is never placed; rule 0 is turned.
  EngineContext never;
  setSheet(never, 300, 600, 0, 0);
  never.Parts.AddDetal("N", 500, 200, 1, RotateNever);
  EXPECT_EQ(buildOne(never, 0).Placements.Count(), 0);
  EXPECT_EQ(never.Parts[0].Pending, 1);

  EngineContext free;
  setSheet(free, 300, 600, 0, 0);
  free.Parts.AddDetal("F", 500, 200, 1, RotateFree);
  EXPECT_TRUE(buildOne(free, 0).Placements.Items(0).Rotated);

  // Rule 2 fixed turned: only turned, even where as given would fit.
  auto oneForAll = [](std::int32_t sheetW) {
    EngineContext ctx;
    setSheet(ctx, 350, sheetW, 0, 0);
    ctx.Parts.AddDetal("O", 300, 100, 1, RotateOneForAll).Orientation = OrientationTurned;
    ctx.Parts.ResetPending(false);
    ctx.InitialRegions = {ctx.StandardSheetRegion(0)};
    ctx.Current = ctx.NewPassLayout();
    BuildVariant(ctx);
    return placementsOf(*ctx.Current);
  };
  EXPECT_EQ(oneForAll(1000), (std::vector<Place>{{0, 0, 0, true}}));
  EXPECT_TRUE(oneForAll(250).empty());

  // Rule 2 not yet placed takes either; then every copy follows the first.
  EngineContext first;
  setSheet(first, 1000, 1000, 0, 0);
  first.Parts.AddDetal("O", 300, 200, 4, RotateOneForAll);
  TSheetsList& layout = buildOne(first, 1);  // the first bit turns the first copy
  ASSERT_EQ(layout.Placements.Count(), 4);
  for (const TDetalHandle& p : layout.Placements.All()) EXPECT_TRUE(p.Rotated);
}

TEST(Search, OneSizeOptimisationPrefersExactFits) {
  auto firstPlaced = [](SelectionRule rule, bool oneSize) {
    EngineContext ctx;
    setSheet(ctx, 1000, 500, 0, 0);
    ctx.Params.Rule = rule;
    ctx.Params.OneSize = oneSize;
    ctx.Parts.AddDetal("A", 600, 400, 1, RotateNever);
    ctx.Parts.AddDetal("B", 100, 500, 1, RotateNever);
    const TSheetsList& layout = buildOne(ctx, 0);
    return ctx.Parts[layout.Placements.Items(0).DetalIndex].Name;
  };
  EXPECT_EQ(firstPlaced(SelectionRule::PartFirst, false), "A");
  EXPECT_EQ(firstPlaced(SelectionRule::PartFirst, true), "B");
  EXPECT_EQ(firstPlaced(SelectionRule::RegionFirst, false), "A");
  EXPECT_EQ(firstPlaced(SelectionRule::RegionFirst, true), "B");
}

TEST(Search, RegionFirstFillsTheSmallestRectangleFirst) {
  // Two offcuts: part-first puts the largest part into the smallest
  // rectangle it fits; region-first fills the smallest rectangle with the
  // first part that fits it.
  auto layout = [](SelectionRule rule) {
    EngineContext ctx;
    setSheet(ctx, 1000, 1000, 0, 0);
    ctx.Params.Rule = rule;
    ctx.Parts.AddDetal("big", 500, 500, 1, RotateNever);
    ctx.Parts.AddDetal("small", 100, 100, 1, RotateNever);
    TSheet large, tiny;
    large.Length = large.Width = 800;
    tiny.Length = tiny.Width = 150;
    const TSheetsList& l = buildOne(ctx, 0, {ctx.OffcutRegion(large, 0), ctx.OffcutRegion(tiny, 1)});
    std::vector<std::pair<std::string, int>> out;
    for (const TDetalHandle& p : l.Placements.All()) out.push_back({ctx.Parts[p.DetalIndex].Name, p.SheetIndex});
    return out;
  };
  using V = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(layout(SelectionRule::PartFirst), (V{{"big", 0}, {"small", 1}}));
  EXPECT_EQ(layout(SelectionRule::RegionFirst), (V{{"small", 1}, {"big", 0}}));
}

TEST(Search, FullSearchSkipsOnlyWithBits) {
  auto order = [](SearchMode mode, std::int32_t variant) {
    EngineContext ctx;
    setSheet(ctx, 300, 1000, 0, 0);
    ctx.Params.Search = mode;
    ctx.Parts.AddDetal("A", 300, 300, 1, RotateNever);  // as long as the sheet: no bit for the cut
    ctx.Parts.AddDetal("B", 100, 100, 1, RotateNever);
    const TSheetsList& l = buildOne(ctx, variant);
    std::string out;
    for (const TDetalHandle& p : l.Placements.All()) out += ctx.Parts[p.DetalIndex].Name;
    return out;
  };
  EXPECT_EQ(order(SearchMode::Quick, 1), "AB");
  EXPECT_EQ(order(SearchMode::Full, 0), "AB");  // variant 0 never skips
  EXPECT_EQ(order(SearchMode::Full, 1), "BA");  // A deferred at step 1, then the skip is cleared
}

TEST(Search, FirstStepMakesNoSkipDecisionWithASmallerPartAhead) {
  auto steps = [](bool smallerAhead) {
    EngineContext ctx;
    setSheet(ctx, 500, 1000, 0, 0);
    ctx.Params.Search = SearchMode::Full;
    // An unsorted list whose first entry has nothing pending.
    TDetal& done = ctx.Parts.AddDetal("done", smallerAhead ? 100 : 900, 100, 1, RotateNever);
    done.Remaining = 0;
    ctx.Parts.AddDetal("P", 500, 500, 1, RotateNever);
    ctx.Parts.ResetPending(true);
    ctx.InitialRegions = {ctx.StandardSheetRegion(0)};
    ctx.Current = ctx.NewPassLayout();
    ctx.Bits = 1;
    BuildVariant(ctx);
    EXPECT_EQ(ctx.Current->Placements.Count(), 1);
    return ctx.Step;
  };
  EXPECT_EQ(steps(true), 2);   // placed at once, the bit is left unused
  EXPECT_EQ(steps(false), 3);  // skipped at step 1, placed at step 2
}

TEST(Search, EmptiedRectanglesReceiveNothing) {
  // The part fills the sheet exactly: both rectangles left have a side 0.
  EngineContext ctx;
  setSheet(ctx, 600, 400, 4, 0);
  ctx.Parts.AddDetal("P", 600, 400, 1, RotateNever);
  ctx.Parts.AddDetal("Tiny", 1, 1, 5, RotateFree);
  TSheetsList& layout = buildOne(ctx, 0);
  EXPECT_EQ(layout.Placements.Count(), 1);
  EXPECT_EQ(regionsOf(layout), (std::vector<Rect>{{-2, 402, 604, 0}, {602, -2, 0, 404}}));

  // With zero trims the cuts along the far edges lie beyond the sheet.
  ctx.Parts.ApplyKerf(false, 4);
  FinishStandardSheet(layout, ctx.Params);
  EXPECT_EQ(layout.MillLines.Count(), 0);
}

TEST(Finishing, TrimCutsAndFarEdges) {
  CuttingParameters p;
  p.Kerf = 4;
  p.TrimLeft = 15;
  p.TrimRight = 5;
  p.TrimTop = 0;
  p.TrimBottom = 10;
  TSheetsList map;
  map.SheetLength = 1000;
  map.SheetWidth = 500;
  map.Variant = 9;
  map.MillLines.AddCut(13, 300, 0, true, 970);   // ends at 983 > 1000 - 15 - 5
  map.MillLines.AddCut(13, 301, 0, true, 967);   // ends at 980: kept as it is
  map.MillLines.AddCut(400, -2, 0, false, 494);  // ends at 492 > 500 - 0 - 10
  map.MillLines.AddCut(1001, 0, 0, false, 10);   // beyond the right edge
  map.MillLines.AddCut(0, 501, 0, true, 10);     // below the sheet
  map.MillLines.AddCut(-20, 100, 0, true, 19);   // ends left of the sheet
  FinishStandardSheet(map, p);
  // No top trim: the left trim cut runs the whole width, keyed by the variant.
  EXPECT_EQ(cutsOf(map),
            (std::vector<Cut>{{13, 300, 971, true}, {13, 301, 967, true}, {400, -2, 490, false}, {13, 0, 500, false}}));
  EXPECT_EQ(map.MillLines.Items(3).SheetKey, 9);
}

// ---------------------------------------------------------------- large runs

namespace {

void* buildFiveThousand(void* result) {
  EngineContext ctx;
  setSheet(ctx, 10000, 10000, 4, 0);
  ctx.Parts.AddDetal("S", 96, 96, 5000, RotateFree);
  *static_cast<int*>(result) = buildOne(ctx, 0).Placements.Count();
  return nullptr;
}

}  // namespace

TEST(LargeRun, FiveThousandCopiesOnASmallStack) {
  // The step loop must not recurse per copy: run it on a thread whose
  // stack could not hold one frame per copy.
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 512 * 1024), 0);
  int placed = 0;
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, buildFiveThousand, &placed), 0);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(placed, 5000);
}
