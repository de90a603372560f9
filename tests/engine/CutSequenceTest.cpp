// The order of the cuts on hand-made maps: the trims first, the fence
// settings and what each pass yields, the fewest turns, and maps that cannot
// be cut by through-cuts. Every map of every mode goes through the saw
// simulator in the kroyna-cut tests.

#include "support/CutSequenceSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace kroyna::engine;

namespace {

// The simulator's faults, and besides: the trims first and one pass each.
std::string faultsOf(const SequenceInput& in, const CutSequence& seq) {
  const kroyna::test::SimOutcome sim = kroyna::test::simulateSaw(in, seq);
  std::string out;
  for (const std::string& f : sim.faults) out += f + "\n";
  const SheetTrims& t = seq.trims;
  const auto trims = std::count_if(seq.passes.begin(), seq.passes.end(), [](const SawPass& p) { return p.trim; });
  if (trims != (t.left > 0) + (t.right > 0) + (t.top > 0) + (t.bottom > 0) ||
      std::any_of(seq.passes.begin() + trims, seq.passes.end(), [](const SawPass& p) { return p.trim; }))
    out += "the trims not first, one pass each\n";
  if (seq.turns != sim.turns) out += "turns miscounted\n";
  return out;
}

SequenceInput sheet(std::int32_t length, std::int32_t width, std::int32_t kerf, std::optional<SheetTrims> trims,
                    std::vector<PlainRect> parts, std::vector<PlainRect> offcuts = {}) {
  return {length, width, kerf, !trims, trims, std::move(parts), std::move(offcuts), {}};
}

// Equal parts in columns and rows, one kerf apart.
std::vector<PlainRect> grid(std::int32_t y0, int columns, int rows) {
  std::vector<PlainRect> out;
  for (int c = 0; c < columns; ++c)
    for (int r = 0; r < rows; ++r) out.push_back({c * 504, y0 + r * 204, 500, 200});
  return out;
}

TEST(CutSequence, TrimsFirstThenStripsFromTheReferenceEdge) {
  // Two panels on a 1000 x 500 sheet: one across the usable width, one
  // 200 x 200 beside it.
  const SequenceInput in = sheet(1000, 500, 4, SheetTrims{10, 10, 10, 10}, {{10, 10, 300, 480}, {314, 10, 200, 200}});
  const CutSequence seq = MakeCutSequence(in);
  EXPECT_EQ(faultsOf(in, seq), "");
  using enum YieldKind;
  using Pass = std::tuple<bool, std::int32_t, std::int32_t, std::int32_t, bool, bool, YieldKind, YieldKind>;
  // along x, at, fence, length, turn, trim, near side, far side
  const std::vector<Pass> expected{
      {true, 8, 6, 1000, false, true, Waste, Strip},      // top trim
      {true, 492, 480, 1000, false, true, Strip, Waste},  // bottom trim
      {false, 8, 6, 480, true, true, Waste, Strip},       // left trim: the sheet turned
      {false, 992, 980, 480, false, true, Strip, Waste},  // right trim
      {false, 312, 300, 480, false, false, Part, Strip},  // first stage from the left edge on
      {false, 516, 200, 480, false, false, Strip, Waste},
      {true, 212, 200, 200, true, false, Part, Waste},  // inside the strip, turned
  };
  std::vector<Pass> passes;
  for (const SawPass& p : seq.passes)
    passes.emplace_back(p.alongX, p.at, p.fence, p.length, p.turn, p.trim, p.nearSide.kind, p.farSide.kind);
  EXPECT_EQ(passes, expected);
  EXPECT_EQ(seq.turns, 2);
  // Read from a file the trims are not known: the top one comes from its
  // drawn cut, even with a sliver left under it, the others from where the
  // parts lie.
  SequenceInput read = sheet(1000, 500, 4, std::nullopt, {{10, 12, 300, 478}, {314, 12, 200, 200}});
  std::tie(read.offcutSheet, read.cuts) = std::pair(false, std::vector<PlainCut>{{0, 8, 1000, true}});
  const CutSequence fromFile = MakeCutSequence(read);
  EXPECT_EQ(fromFile.trims, (SheetTrims{10, 486, 10, 10}));
  EXPECT_EQ(faultsOf(read, fromFile), "");
}

TEST(CutSequence, TurnsAsFewAsThePatternAllows) {
  // Five rows of two: two columns each turned once, not five rows.
  const SequenceInput offcut = sheet(1004, 1016, 4, std::nullopt, grid(0, 2, 5));
  CutSequence seq = MakeCutSequence(offcut);
  EXPECT_EQ(faultsOf(offcut, seq), "");
  EXPECT_EQ(seq.turns, 2);
  // Trimmed along x only, the sheet lies for cuts along x: one turn more is
  // still fewer than five.
  const SequenceInput trimmed = sheet(1004, 1036, 4, SheetTrims{0, 0, 10, 10}, grid(10, 2, 5));
  seq = MakeCutSequence(trimmed);
  EXPECT_EQ(faultsOf(trimmed, seq), "");
  EXPECT_EQ(seq.turns, 3);
}

TEST(CutSequence, MapsWithoutAThroughCutOrderAreReported) {
  // A pinwheel of four parts round a square, kerf 0: no cut goes across.
  const std::vector<PlainRect> pinwheel{{0, 0, 200, 100}, {200, 0, 100, 200}, {100, 200, 200, 100}, {0, 100, 100, 200}};
  const CutSequence none = MakeCutSequence(sheet(300, 300, 0, std::nullopt, pinwheel));
  EXPECT_EQ(none.status, SequenceStatus::NotGuillotine);
  EXPECT_TRUE(none.passes.empty());
  EXPECT_EQ(MakeCutSequence(sheet(300, 300, 4, SheetTrims{10, 10, 10, 10}, {{5, 10, 100, 100}})).status,
            SequenceStatus::BadMap);
  // Offcuts lying so are crossed rather than the part left uncut.
  const SequenceInput offcuts = sheet(300, 300, 0, std::nullopt, {{100, 100, 100, 100}}, pinwheel);
  EXPECT_EQ(faultsOf(offcuts, MakeCutSequence(offcuts)), "");
}

}  // namespace
