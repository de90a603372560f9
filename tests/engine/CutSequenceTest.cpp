// The order of the cuts: every map the engine makes, in every mode, is cut
// apart by its passes on the saw simulator; hand-made maps show the trims
// first, the fence settings, the fewest turns, and maps that cannot be cut
// by through-cuts.

#include "common/CutSequenceSimulator.h"
#include "engine/CutSequence.h"
#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"

#include "engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace kroyna::engine;
using kroyna::test::SimMap;
using kroyna::test::SimPass;

namespace {

// The simulator's faults, and what it says against the order's own fields:
// the trims first, the length of each cut, each part yielded once and
// exactly as the saw leaves it, the count of turns.
std::string faultsOf(const SequenceInput& in, const CutSequence& seq) {
  SimMap map{in.sheetLength, in.sheetWidth, in.kerf, {}, {}};
  for (const PlainRect& p : in.parts) map.parts.push_back({p.x, p.y, p.length, p.width});
  for (const PlainCut& c : in.cuts) map.cuts.push_back({c.x, c.y, c.length, c.alongX});
  std::vector<SimPass> passes;
  for (const SawPass& p : seq.passes) {
    passes.push_back({kroyna::test::SimRect{p.piece.x, p.piece.y, p.piece.length, p.piece.width}, p.alongX, p.at,
                      p.fence, p.turn, std::vector<std::int64_t>(p.cuts.begin(), p.cuts.end())});
  }
  const kroyna::test::SimOutcome sim = kroyna::test::simulateSaw(map, passes);
  std::string out;
  for (const std::string& f : sim.faults) out += f + "\n";
  std::vector<int> yielded(in.parts.size(), 0);
  const SheetTrims& t = seq.trims;
  const auto trims = std::count_if(seq.passes.begin(), seq.passes.end(), [](const SawPass& p) { return p.trim; });
  if (trims != (t.left > 0) + (t.right > 0) + (t.top > 0) + (t.bottom > 0)) out += "not one pass a trim\n";
  for (std::size_t i = 0; i < seq.passes.size(); ++i) {
    const SawPass& p = seq.passes[i];
    if (i > 0 && p.trim && !seq.passes[i - 1].trim) out += "a trim pass after the sheet is cut\n";
    if (p.length != (p.alongX ? p.piece.length : p.piece.width)) out += "a pass not as long as its piece\n";
    for (const auto& [side, rect] : {std::pair{p.nearSide, sim.nearSide[i]}, std::pair{p.farSide, sim.farSide[i]}}) {
      if ((side.kind == YieldKind::Nothing) != !rect)
        out += "pass " + std::to_string(i + 1) + ": a side wrongly empty\n";
      if (side.kind != YieldKind::Part) continue;
      const PlainRect& q = in.parts[static_cast<std::size_t>(side.index)];
      ++yielded[static_cast<std::size_t>(side.index)];
      if (!rect || !(*rect == kroyna::test::SimRect{q.x, q.y, q.length, q.width}))
        out += "pass " + std::to_string(i + 1) + " yields part " + std::to_string(side.index) + " not to size\n";
    }
  }
  for (std::size_t i = 0; i < yielded.size() && !seq.passes.empty(); ++i) {
    if (yielded[i] != 1) out += "part " + std::to_string(i) + " yielded " + std::to_string(yielded[i]) + " times\n";
  }
  if (seq.turns != sim.turns) out += "turns counted " + std::to_string(seq.turns) + "\n";
  return out;
}

// A map as rectangles: parts, offcuts, and the cuts as the quick search
// draws them are left to the engine; these are laid by hand.
SequenceInput sheet(std::int32_t length, std::int32_t width, std::int32_t kerf, std::optional<SheetTrims> trims,
                    std::vector<PlainRect> parts, std::vector<PlainRect> offcuts = {}) {
  SequenceInput in;
  in.sheetLength = length;
  in.sheetWidth = width;
  in.kerf = kerf;
  in.offcutSheet = !trims;
  in.trims = trims;
  in.parts = std::move(parts);
  in.offcuts = std::move(offcuts);
  return in;
}

// A grid of equal parts filling an offcut (or the usable sheet) exactly.
std::vector<PlainRect> grid(std::int32_t x0, std::int32_t y0, int columns, int rows, std::int32_t length,
                            std::int32_t width, std::int32_t kerf) {
  std::vector<PlainRect> out;
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) out.push_back({x0 + c * (length + kerf), y0 + r * (width + kerf), length, width});
  }
  return out;
}

TEST(CutSequence, TrimsFirstThenStripsFromTheReferenceEdge) {
  // Two panels across the usable height of a 1000 x 500 sheet; the second
  // followed by waste to the right trim.
  const SequenceInput in = sheet(1000, 500, 4, SheetTrims{10, 10, 10, 10}, {{10, 10, 300, 480}, {314, 10, 200, 200}});
  const CutSequence seq = MakeCutSequence(in);
  ASSERT_EQ(seq.status, SequenceStatus::Ok);
  EXPECT_EQ(faultsOf(in, seq), "");
  struct Expect {
    bool alongX;
    std::int32_t at, fence, length;
    bool turn, trim;
    YieldKind nearSide, farSide;
  };
  using enum YieldKind;
  const std::vector<Expect> expected{
      {true, 8, 6, 1000, false, true, Waste, Strip},      // top trim
      {true, 492, 480, 1000, false, true, Strip, Waste},  // bottom trim
      {false, 8, 6, 480, true, true, Waste, Strip},       // left trim: the sheet is turned
      {false, 992, 980, 480, false, true, Strip, Waste},  // right trim
      {false, 312, 300, 480, false, false, Part, Strip},  // first stage, from the left edge on
      {false, 516, 200, 480, false, false, Strip, Waste},
      {true, 212, 200, 200, true, false, Part, Waste},  // inside the strip, turned
  };
  ASSERT_EQ(seq.passes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const SawPass& p = seq.passes[i];
    const Expect& e = expected[i];
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(p.number, static_cast<std::int32_t>(i) + 1);
    EXPECT_EQ(std::tie(p.alongX, p.at, p.fence, p.length, p.turn, p.trim),
              std::tie(e.alongX, e.at, e.fence, e.length, e.turn, e.trim));
    EXPECT_EQ(p.nearSide.kind, e.nearSide);
    EXPECT_EQ(p.farSide.kind, e.farSide);
  }
  EXPECT_EQ(seq.turns, 2);
}

TEST(CutSequence, TurnsAsFewAsThePatternAllows) {
  // Five rows of two: cut into two columns first, each column turned once,
  // rather than five rows each turned.
  const std::vector<PlainRect> parts = grid(0, 0, 2, 5, 500, 200, 4);
  const SequenceInput offcut = sheet(1004, 1016, 4, std::nullopt, parts);
  CutSequence seq = MakeCutSequence(offcut);
  EXPECT_EQ(faultsOf(offcut, seq), "");
  EXPECT_EQ(seq.turns, 2);
  EXPECT_FALSE(seq.passes.front().alongX);
  // With trims along x only, the sheet lies for cuts along x: one turn more
  // is still fewer than five.
  const SequenceInput trimmed = sheet(1004, 1036, 4, SheetTrims{0, 0, 10, 10}, grid(0, 10, 2, 5, 500, 200, 4));
  seq = MakeCutSequence(trimmed);
  EXPECT_EQ(faultsOf(trimmed, seq), "");
  EXPECT_EQ(seq.turns, 3);
}

TEST(CutSequence, MapsWithoutAThroughCutOrderAreReported) {
  // A pinwheel of four parts around a square, kerf 0: no cut across.
  const SequenceInput pinwheel = sheet(
      300, 300, 0, std::nullopt, {{0, 0, 200, 100}, {200, 0, 100, 200}, {100, 200, 200, 100}, {0, 100, 100, 200}});
  EXPECT_EQ(MakeCutSequence(pinwheel).status, SequenceStatus::NotGuillotine);
  EXPECT_TRUE(MakeCutSequence(pinwheel).passes.empty());
  EXPECT_EQ(MakeCutSequence(sheet(300, 300, 4, SheetTrims{10, 10, 10, 10}, {{5, 10, 100, 100}})).status,
            SequenceStatus::BadMap);
  EXPECT_EQ(MakeCutSequence(sheet(0, 300, 4, std::nullopt, {})).status, SequenceStatus::BadMap);
  // Offcuts lying as a pinwheel round a part are crossed rather than
  // leaving the part uncut.
  const SequenceInput offcuts = sheet(300, 300, 0, std::nullopt, {{100, 100, 100, 100}},
                                      {{0, 0, 200, 100}, {200, 0, 100, 200}, {100, 200, 200, 100}, {0, 100, 100, 200}});
  const CutSequence seq = MakeCutSequence(offcuts);
  ASSERT_EQ(seq.status, SequenceStatus::Ok);
  EXPECT_EQ(faultsOf(offcuts, seq), "");
}

// Cabinet-like parts from a seed.
MaterialInput job(unsigned seed, int kinds) {
  std::mt19937 rnd(seed);
  auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  MaterialInput m;
  for (int i = 0; i < kinds; ++i) {
    const int shape = in(0, 3);
    const std::int32_t length = shape == 0 ? in(700, 2000) : shape == 3 ? in(400, 2500) : in(300, 1100);
    const std::int32_t width = shape == 3 ? in(40, 140) : in(100, 590);
    m.Parts.push_back(kroyna::engine::test::part("P" + std::to_string(i), length, width, in(1, 4),
                                                 static_cast<std::uint8_t>(in(0, 2))));
  }
  return m;
}

TEST(CutSequence, EveryMapOfEveryModeIsCutApartOnTheSaw) {
  struct Mode {
    const char* name;
    std::int32_t kerf;
    SheetTrims trims;
    SearchMode search;
    bool improved, offcuts, multiSaw;
    std::int32_t cutLength;
    SelectionRule rule;
  };
  using enum SearchMode;
  const std::vector<Mode> modes{
      {"quick", 4, {10, 10, 10, 10}, Quick, false, true, false, 0, SelectionRule::PartFirst},
      {"quick kerf 0 no trims", 0, {0, 0, 0, 0}, Quick, false, false, false, 0, SelectionRule::RegionFirst},
      {"quick kerf 0 trims", 0, {10, 10, 10, 10}, Quick, false, true, false, 0, SelectionRule::PartFirst},
      {"full odd kerf", 5, {15, 0, 0, 12}, Full, false, true, false, 0, SelectionRule::RegionFirst},
      {"full kerf 3", 3, {2, 2, 2, 2}, Full, false, false, false, 0, SelectionRule::PartFirst},
      {"multi-saw", 4, {10, 10, 10, 10}, Quick, false, false, true, 0, SelectionRule::PartFirst},
      {"cut length", 4, {10, 10, 10, 10}, Full, false, false, false, 1500, SelectionRule::PartFirst},
      {"improved", 4, {10, 10, 10, 10}, Quick, true, true, false, 0, SelectionRule::PartFirst},
      {"improved kerf 0 no trims", 0, {0, 0, 0, 0}, Quick, true, false, false, 0, SelectionRule::PartFirst},
      {"improved odd kerf", 5, {0, 20, 8, 0}, Full, true, true, false, 0, SelectionRule::PartFirst},
  };
  int maps = 0, notGuillotine = 0;
  for (const Mode& mode : modes) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
      MaterialInput in = job(seed, 12 + static_cast<int>(seed) * 3);
      CuttingParameters& p = in.Params;
      p.Kerf = mode.kerf;
      std::tie(p.TrimLeft, p.TrimRight, p.TrimTop, p.TrimBottom) =
          std::tuple(mode.trims.left, mode.trims.right, mode.trims.top, mode.trims.bottom);
      std::tie(p.SheetLength, p.SheetWidth) = seed % 2 ? std::pair(2800, 2070) : std::pair(2750, 1830);
      std::tie(p.Search, p.Improved, p.MultiSaw, p.MaxCutLength, p.Rule) =
          std::tuple(mode.search, mode.improved, mode.multiSaw, mode.cutLength, mode.rule);
      p.Variants = 3;
      p.Effort = 1;
      p.Threads = 1;
      if (mode.offcuts) {
        p.UseOffcuts = true;
        in.Offcuts = {{"A", 1200, 600, 1}, {"B", 2100, 750, 1}};
      }
      EngineContext ctx;
      ASSERT_FALSE(LoadMaterial(ctx, in));
      RunMaterial(ctx, {});
      for (int i = 0; i < ctx.Results.Count(); ++i) {
        const FinishedMap map = MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, p.Kerf);
        SCOPED_TRACE(std::string(mode.name) + ", seed " + std::to_string(seed) + ", map " + std::to_string(i));
        const SequenceInput known = SequenceInputOf(map, p.Kerf, mode.trims);
        const CutSequence seq = MakeCutSequence(known);
        ++maps;
        if (seq.status == SequenceStatus::NotGuillotine && mode.kerf == 0) {
          ++notGuillotine;
          continue;
        }
        ASSERT_EQ(seq.status, SequenceStatus::Ok);
        EXPECT_EQ(faultsOf(known, seq), "");
        // As read back from a maps file, without the trims: the same passes.
        const CutSequence read = MakeCutSequence(SequenceInputOf(map, p.Kerf, std::nullopt));
        EXPECT_EQ(faultsOf(SequenceInputOf(map, p.Kerf, std::nullopt), read), "");
        EXPECT_EQ(read.passes.size(), seq.passes.size());
      }
    }
  }
  EXPECT_GT(maps, 150);
  EXPECT_LT(notGuillotine, maps / 20);
}

}  // namespace
