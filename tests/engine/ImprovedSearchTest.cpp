// The improved search: every map it makes passes the validator on generated
// jobs with every option, it never does worse than the quick or full search
// on the same job, gives the same maps with any number of threads, keeps to
// stock limits and one-for-all orientations, and falls back (saying so)
// under a machine limit.

#include "engine/FinishedMap.h"
#include "engine/GuillotineBin.h"
#include "engine/ImprovedPacking.h"
#include "engine/ImprovedSearch.h"
#include "engine/MaterialRun.h"
#include "support/MapValidator.h"

#include "engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace kroyna::engine;
using kroyna::engine::test::faultsOf;
using kroyna::engine::test::part;

namespace {

struct Run {
  EngineContext ctx;
  MaterialOutcome outcome;
};

std::unique_ptr<Run> run(const MaterialInput& in, const MaterialHooks& hooks = {}) {
  auto r = std::make_unique<Run>();
  if (LoadMaterial(r->ctx, in)) return nullptr;
  r->outcome = RunMaterial(r->ctx, hooks);
  return r;
}

std::int64_t standardSheets(const EngineContext& ctx) {
  std::int64_t n = 0;
  for (int i = 0; i < ctx.Results.Count(); ++i)
    if (!ctx.Results.Items(i)->IsScrap) n += ctx.Results.Items(i)->Quantity;
  return n;
}

std::int64_t placedCopies(const EngineContext& ctx) {
  std::int64_t n = 0;
  for (int i = 0; i < ctx.Parts.Count(); ++i) n += ctx.Parts[i].Many - ctx.Parts[i].Remaining;
  return n;
}

// Everything a map shows, as text, to compare two results.
std::string mapsText(const EngineContext& ctx) {
  std::ostringstream s;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const FinishedMap m = MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    s << m.SheetLength << "x" << m.SheetWidth << " " << m.IsScrap << " " << m.Name << " q" << m.Quantity << "\n";
    for (const MapPart& p : m.Parts) s << " p" << p.Row << "@" << p.X << "," << p.Y << (p.Rotated ? "t" : "") << "\n";
    for (const MapOffcut& o : m.Offcuts) s << " o" << o.X << "," << o.Y << " " << o.Length << "x" << o.Width << "\n";
    for (const MapCut& c : m.Cuts) s << " c" << c.X << "," << c.Y << " " << c.Length << (c.AlongX ? "X" : "Y") << "\n";
  }
  return s.str();
}

// A random job: sheet, kerf, trims, parts with every rotation rule (some
// rows without copies), offcuts (some alike in name and size), stock
// control, criterion, selection options and N.
MaterialInput randomJob(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  MaterialInput in;
  in.MaterialName = "ЛДСП";
  CuttingParameters& p = in.Params;
  p.SheetLength = pick(500, 2800);
  p.SheetWidth = pick(400, 2070);
  p.Kerf = std::vector<int>{0, 2, 3, 4, 6}[static_cast<std::size_t>(pick(0, 4))];
  auto trim = [&] { return std::vector<int>{0, 5, 10, 15}[static_cast<std::size_t>(pick(0, 3))]; };
  p.TrimLeft = trim();
  p.TrimRight = trim();
  p.TrimTop = trim();
  p.TrimBottom = trim();
  const int usableL = p.SheetLength - p.TrimLeft - p.TrimRight;
  const int usableW = p.SheetWidth - p.TrimTop - p.TrimBottom;
  const int kinds = pick(1, 10);
  for (int i = 0; i < kinds; ++i) {
    const auto rotate = static_cast<std::uint8_t>(pick(0, 2));
    // Mostly small parts, now and then one that fills the sheet.
    const bool big = pick(0, 5) == 0;
    int l = big ? pick(usableL / 2, usableL) : pick(20, std::max(20, usableL / 3));
    int w = big ? pick(usableW / 2, usableW) : pick(20, std::max(20, usableW / 3));
    l = std::min(l, usableL);
    w = std::min(w, usableW);
    const int many = pick(0, 9) == 0 ? pick(-2, 0) : pick(1, 8);
    in.Parts.push_back(part("P" + std::to_string(i), l, w, many, rotate));
  }
  const int offcuts = pick(0, 3);
  for (int i = 0; i < offcuts; ++i) {
    OffcutRow o;
    o.Name = "O" + std::to_string(pick(1, 2));
    o.Length = pick(100, p.SheetLength);
    o.Width = pick(100, p.SheetWidth);
    o.Many = pick(1, 2);
    in.Offcuts.push_back(o);
  }
  p.UseOffcuts = offcuts > 0;
  p.StockControl = pick(0, 3) == 0;
  in.StockCount = pick(0, 4);
  p.Optimization = static_cast<Criterion>(pick(0, 2));
  p.Variants = pick(0, 1) == 0 ? 0 : pick(1, 20);
  p.Search = pick(0, 1) ? SearchMode::Full : SearchMode::Quick;
  p.Rule = pick(0, 1) ? SelectionRule::RegionFirst : SelectionRule::PartFirst;
  p.OneSize = pick(0, 1) == 1;
  p.Improved = true;
  p.Effort = 1;
  p.Threads = pick(1, 2);
  return in;
}

std::string describe(const MaterialInput& in) {
  std::ostringstream s;
  const CuttingParameters& p = in.Params;
  s << "sheet " << p.SheetLength << "x" << p.SheetWidth << " kerf " << p.Kerf << " trims " << p.TrimLeft << ","
    << p.TrimRight << "," << p.TrimTop << "," << p.TrimBottom << " stock " << p.StockControl << "/" << in.StockCount
    << " criterion " << static_cast<int>(p.Optimization) << " N " << p.Variants << "\n";
  for (const PartRow& r : in.Parts)
    s << " " << r.Name << " " << r.Length << "x" << r.Width << " x" << r.Many << " r" << int(r.Rotate) << "\n";
  for (const OffcutRow& o : in.Offcuts)
    s << " " << o.Name << " " << o.Length << "x" << o.Width << " x" << o.Many << "\n";
  return s.str();
}

// A standard bin-packing instance (10 x 10 sheets, no kerf or trims, parts
// kept as given) on which the plain greedy needs 6 sheets; the area alone
// needs 5.
MaterialInput binPackingJob() {
  MaterialInput in;
  CuttingParameters& p = in.Params;
  p.SheetLength = 10;
  p.SheetWidth = 10;
  p.Kerf = 0;
  p.TrimLeft = p.TrimRight = p.TrimTop = p.TrimBottom = 0;
  const int sizes[][3] = {{1, 1, 1},  {1, 3, 1}, {1, 5, 1}, {1, 9, 2}, {2, 2, 2}, {3, 4, 1},
                          {3, 10, 1}, {4, 1, 1}, {4, 2, 1}, {4, 7, 1}, {6, 3, 1}, {6, 8, 1},
                          {8, 4, 1},  {9, 2, 1}, {9, 5, 1}, {9, 7, 1}, {9, 8, 1}, {10, 2, 1}};
  int i = 0;
  for (const auto& s : sizes) in.Parts.push_back(part("I" + std::to_string(i++), s[0], s[1], s[2], RotateNever));
  return in;
}

}  // namespace

TEST(GuillotineBin, InsertAndRemoveKeepTheTreeSound) {
  using namespace kroyna::engine::improved;
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    GuillotineBin bin(-2, -2, 104, 84);
    std::vector<std::int32_t> items;
    for (int step = 0; step < 60; ++step) {
      if (!items.empty() && rng() % 3 == 0) {
        const std::size_t pick = rng() % items.size();
        bin.remove(bin.findItem(items[pick]));
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(pick));
      } else {
        const std::int32_t a = 1 + static_cast<std::int32_t>(rng() % 40), b = 1 + static_cast<std::int32_t>(rng() % 40);
        for (const FreeRect& f : bin.freeLeaves()) {
          if (f.w >= a && f.h >= b) {
            bin.insert(f.node, step, a, b, rng() % 2 ? SplitWay::RightFirst : SplitWay::BelowFirst);
            items.push_back(step);
            break;
          }
        }
      }
      ASSERT_TRUE(bin.wellFormed()) << "round " << round << " step " << step;
      ASSERT_EQ(bin.itemCount(), static_cast<std::int32_t>(items.size()));
      // Leaves never overlap and stay on the sheet.
      std::vector<TreeNode> leaves;
      for (const TreeNode& n : bin.nodes())
        if (n.kind == NodeKind::Item || n.kind == NodeKind::Free) leaves.push_back(n);
      std::int64_t area = 0;
      for (std::size_t i = 0; i < leaves.size(); ++i) {
        const TreeNode& p = leaves[i];
        ASSERT_TRUE(p.x >= -2 && p.y >= -2 && p.x + p.w <= 102 && p.y + p.h <= 82);
        area += std::int64_t{p.w} * p.h;
        for (std::size_t j = i + 1; j < leaves.size(); ++j) {
          const TreeNode& q = leaves[j];
          ASSERT_FALSE(p.x < q.x + q.w && q.x < p.x + p.w && p.y < q.y + q.h && q.y < p.y + p.h);
        }
      }
      ASSERT_EQ(area, 104 * 84);  // the leaves tile the sheet
    }
    for (std::int32_t item : items) bin.remove(bin.findItem(item));
    EXPECT_EQ(bin.freeLeaves().size(), 1u);  // all the room is one rectangle again
    EXPECT_EQ(bin.usedArea(), 0);
  }
}

TEST(ImprovedSearch, LowerBoundCountsLargeCopiesAndArea) {
  using namespace kroyna::engine::improved;
  PackProblem p;
  p.standard = {0, 0, 100, 100};
  // Four copies larger than half the sheet both ways never share a sheet.
  for (int i = 0; i < 4; ++i) p.items.push_back({60, 55, 0, AllowAsGiven | AllowTurned});
  p.oneForAll.assign(1, false);
  EXPECT_EQ(StandardLowerBound(p), 4);
  // Small copies with 2.5 sheets of area need at least 3 more sheets' worth
  // beyond the room the large ones leave.
  for (int i = 0; i < 25; ++i) p.items.push_back({50, 20, 0, AllowAsGiven});
  EXPECT_GE(StandardLowerBound(p), 4);
  PackProblem area;
  area.standard = {0, 0, 100, 100};
  for (int i = 0; i < 25; ++i) area.items.push_back({50, 20, 0, AllowAsGiven});
  EXPECT_EQ(StandardLowerBound(area), 3);
  // Copies a little over a third of the sheet both ways: four to a sheet,
  // though area alone would take nine; turning changes nothing for a square,
  // and a third of a sheet exactly fits three times.
  struct Thirds {
    std::int32_t side, copies, sheets;
  };
  for (const Thirds t : {Thirds{34, 8, 2}, Thirds{34, 9, 3}, Thirds{34, 17, 5}, Thirds{33, 9, 1}}) {
    PackProblem q;
    q.standard = {0, 0, 99, 99};
    for (int i = 0; i < t.copies; ++i) q.items.push_back({t.side, t.side, 0, AllowAsGiven | AllowTurned});
    EXPECT_EQ(StandardLowerBound(q), t.sheets) << t.copies << " copies of " << t.side;
  }
}

TEST(ImprovedSearch, GeneratedJobsGiveSoundMapsNeverWorseThanTheChosenSearch) {
  std::mt19937 rng(20240);
  int compared = 0, byImproved = 0;
  for (int i = 0; i < 80; ++i) {
    MaterialInput in = randomJob(rng);
    SCOPED_TRACE("job " + std::to_string(i) + ":\n" + describe(in));
    auto improved = run(in);
    if (!improved) continue;  // refused (no copies)
    EXPECT_EQ(faultsOf(in, improved->ctx), "");
    EXPECT_EQ(improved->outcome.Fallback, ImprovedFallback::None);

    MaterialInput plain = in;
    plain.Params.Improved = false;
    auto document = run(plain);
    ASSERT_TRUE(document);
    EXPECT_EQ(faultsOf(plain, document->ctx), "");
    // More copies placed, or as many on no more standard sheets.
    EXPECT_GE(placedCopies(improved->ctx), placedCopies(document->ctx));
    if (placedCopies(improved->ctx) == placedCopies(document->ctx)) {
      EXPECT_LE(standardSheets(improved->ctx), standardSheets(document->ctx));
    }
    // What made the maps is told; the chosen search's maps come back whole.
    if (improved->outcome.Search == SearchUsed::Improved) ++byImproved;
    if (improved->outcome.Search != SearchUsed::Improved) {
      EXPECT_EQ(mapsText(improved->ctx), mapsText(document->ctx));
    }
    ++compared;
  }
  EXPECT_GT(compared, 60);
  EXPECT_GT(byImproved, compared / 2);  // the validator saw the improved search's own maps
}

TEST(ImprovedSearch, FewerSheetsThanTheGreedyOnABinPackingInstance) {
  MaterialInput in = binPackingJob();
  auto document = run(in);
  ASSERT_TRUE(document);
  EXPECT_EQ(standardSheets(document->ctx), 6);

  in.Params.Improved = true;
  in.Params.Effort = 1;
  auto improved = run(in);
  ASSERT_TRUE(improved);
  EXPECT_EQ(improved->outcome.Search, SearchUsed::Improved);
  EXPECT_EQ(standardSheets(improved->ctx), 5);
  EXPECT_EQ(faultsOf(in, improved->ctx), "");
  EXPECT_EQ(improved->outcome.End, MaterialEnd::AllPlaced);
  EXPECT_EQ(improved->outcome.LastState, PassState::Normal);
  for (std::int32_t pass : improved->outcome.MapPasses) EXPECT_EQ(pass, 1);
}

TEST(ImprovedSearch, SameMapsWithOneOrFourThreads) {
  std::mt19937 rng(99);
  for (int i = 0; i < 6; ++i) {
    MaterialInput in = randomJob(rng);
    for (PartRow& r : in.Parts) r.Many = std::max(r.Many, 1) * 3;  // a few sheets' worth
    in.Params.Effort = 2;
    in.Params.Threads = 1;
    auto one = run(in);
    if (!one) continue;
    in.Params.Threads = 4;
    auto four = run(in);
    ASSERT_TRUE(four);
    EXPECT_EQ(mapsText(one->ctx), mapsText(four->ctx)) << describe(in);
    EXPECT_EQ(one->outcome.LastState, four->outcome.LastState);
  }
}

TEST(ImprovedSearch, IdenticalSheetsBecomeOneMapWithAQuantity) {
  MaterialInput in;
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  in.Params.Improved = true;
  in.Parts.push_back(part("Дверь", 1000, 1000, 12, RotateNever));  // four a sheet
  auto r = run(in);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->ctx.Results.Count(), 1);
  EXPECT_EQ(r->ctx.Results.Items(0)->Quantity, 3);
  EXPECT_EQ(r->ctx.Results.Items(0)->Placements.Count(), 4);
  EXPECT_EQ(faultsOf(in, r->ctx), "");
}

TEST(ImprovedSearch, OffcutsComeFirstUnderTheirNames) {
  MaterialInput in;
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  in.Params.Improved = true;
  in.Params.UseOffcuts = true;
  in.Parts.push_back(part("Полка", 560, 300, 4));
  in.Parts.push_back(part("Бок", 2000, 560, 2));
  OffcutRow o;
  o.Name = "О-17";
  o.Length = 1200;
  o.Width = 620;
  in.Offcuts.push_back(o);
  auto r = run(in);
  ASSERT_TRUE(r);
  ASSERT_GE(r->ctx.Results.Count(), 2);
  const LayoutPtr first = r->ctx.Results.Items(0);
  EXPECT_TRUE(first->IsScrap);
  EXPECT_EQ(first->Name, "О-17");
  EXPECT_EQ(first->SheetLength, 1200);
  EXPECT_EQ(first->Placements.Count(), 4);  // the four shelves fill the offcut
  EXPECT_EQ(standardSheets(r->ctx), 1);
  EXPECT_EQ(faultsOf(in, r->ctx), "");
}

TEST(ImprovedSearch, StockControlKeepsToTheSheetsInStock) {
  MaterialInput in;
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  in.Params.Improved = true;
  in.Params.StockControl = true;
  in.StockCount = 2;
  in.Parts.push_back(part("half", 1388, 2050, 5, RotateNever));  // two a sheet

  // Finish when the sheets run out: two sheets, one copy left.
  {
    auto r = run(in);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome.End, MaterialEnd::Finished);
    EXPECT_EQ(r->outcome.LastState, PassState::SheetsUsedUp);
    EXPECT_EQ(standardSheets(r->ctx), 2);
    EXPECT_EQ(r->ctx.StockCount, 0);
    EXPECT_EQ(r->ctx.Parts[0].Remaining, 1);
    EXPECT_EQ(faultsOf(in, r->ctx), "");
  }
  // Go on without counting: the next pass places the last copy.
  {
    MaterialHooks hooks;
    int asked = 0;
    hooks.SheetsRunOut = [&](const EngineContext&) {
      ++asked;
      return RunOutAnswer{RunOutAnswer::Choice::ContinueUnlimited};
    };
    auto r = run(in, hooks);
    ASSERT_TRUE(r);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r->outcome.End, MaterialEnd::AllPlaced);
    EXPECT_TRUE(r->ctx.Parts.AllPlaced());
    EXPECT_EQ(standardSheets(r->ctx), 3);
    ASSERT_EQ(r->outcome.MapPasses.size(), 2u);
    EXPECT_EQ(r->outcome.MapPasses[1], 2);
  }
  // No sheet in stock at all: nothing is made and the run asks at once.
  {
    in.StockCount = 0;
    auto r = run(in);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ctx.Results.Count(), 0);
    EXPECT_EQ(r->outcome.LastState, PassState::NoSheetLeft);
    EXPECT_EQ(r->outcome.End, MaterialEnd::Finished);
  }
}

TEST(ImprovedSearch, OneForAllPartsKeepOneOrientation) {
  // Parts that fit the sheet better turned, several sheets' worth: every
  // copy of each one-for-all part must take the same orientation.
  MaterialInput in;
  in.Params.SheetLength = 1200;
  in.Params.SheetWidth = 1000;
  in.Params.Improved = true;
  in.Parts.push_back(part("A", 300, 700, 9, RotateOneForAll));
  in.Parts.push_back(part("B", 250, 450, 11, RotateOneForAll));
  in.Parts.push_back(part("C", 180, 90, 15, RotateFree));
  auto r = run(in);
  ASSERT_TRUE(r);
  EXPECT_EQ(faultsOf(in, r->ctx), "");
  EXPECT_TRUE(r->ctx.Parts.AllPlaced());
}

TEST(ImprovedSearch, MachineLimitKeepsTheChosenSearchAndSaysSo) {
  MaterialInput in = binPackingJob();
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  for (PartRow& r : in.Parts) {
    r.Length *= 200;
    r.Width *= 200;
  }
  in.Params.Search = SearchMode::Full;
  in.Params.Variants = 10;
  in.Params.MaxCutLength = 2000;
  auto document = run(in);
  ASSERT_TRUE(document);
  in.Params.Improved = true;
  auto improved = run(in);
  ASSERT_TRUE(improved);
  EXPECT_EQ(improved->outcome.Fallback, ImprovedFallback::MachineLimit);
  EXPECT_EQ(improved->outcome.Search, SearchUsed::Full);
  EXPECT_EQ(mapsText(improved->ctx), mapsText(document->ctx));

  in.Params.MaxCutLength = 0;
  in.Params.MultiSaw = true;
  auto multiSaw = run(in);
  ASSERT_TRUE(multiSaw);
  EXPECT_EQ(multiSaw->outcome.Fallback, ImprovedFallback::MachineLimit);
}

TEST(ImprovedSearch, AbortKeepsTheBestLayoutSoFar) {
  std::mt19937 rng(5);
  MaterialInput in = randomJob(rng);
  for (PartRow& r : in.Parts) r.Many = std::max(r.Many, 1) * 10;
  in.Params.StockControl = false;
  in.Params.Effort = 10;
  EngineContext ctx;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  int calls = 0;
  ctx.ProcessEvents = [&] {
    if (++calls == 1) ctx.Abort = true;  // "Прервать" at the first chance
  };
  const MaterialOutcome out = RunMaterial(ctx, {});
  // (A search over before the first round of events never sees the abort.)
  if (calls > 0) {
    EXPECT_TRUE(out.Stopped || out.End == MaterialEnd::AllPlaced);
  }
  EXPECT_GT(ctx.Results.Count(), 0);  // the layout found so far is kept
  EXPECT_EQ(faultsOf(in, ctx), "");
}

TEST(ImprovedSearch, ProgressRunsFromZeroToTheWholeBudget) {
  MaterialInput in = binPackingJob();
  in.Params.Improved = true;
  in.Params.Effort = 1;
  EngineContext ctx;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  std::vector<std::pair<std::int64_t, std::int64_t>> seen;
  ctx.Progress = [&](std::int64_t done, std::int64_t total) { seen.push_back({done, total}); };
  RunMaterial(ctx, {});
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front().first, 0);
  EXPECT_EQ(seen.back().first, seen.back().second);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].first, seen[i - 1].first);
}

// Jobs on which the improved search on its own did worse than the base
// search of the same options in something the shop counts: under stock
// control it placed fewer copies of larger area, and at the same sheets and
// criterion it needed more cuts.
TEST(ImprovedSearch, NeverWorseForTheShopThanTheBaseSearch) {
  struct Case {
    const char* what;
    std::vector<PartRow> parts;
    bool stockControl;
    std::int32_t variants;
    Criterion criterion;
  };
  const Case cases[] = {
      {"fewer copies of larger area on the one sheet in stock",
       {part("A", 642, 204, 5, RotateNever), part("B", 329, 175, 6, RotateNever), part("C", 477, 421, 5, RotateNever),
        part("D", 143, 55, 4, RotateNever), part("E", 442, 85, 5, RotateNever)},
       true,
       2,
       Criterion::OffcutArea},
      {"the same offcut but more cuts", {part("A", 400, 100, 8)}, false, 10, Criterion::OffcutLength},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MaterialInput in;
    in.Params.SheetLength = 1000;
    in.Params.SheetWidth = 600;
    in.Params.Kerf = 0;
    in.Params.TrimLeft = in.Params.TrimRight = in.Params.TrimTop = in.Params.TrimBottom = 0;
    in.Params.StockControl = c.stockControl;
    in.StockCount = 1;
    in.Params.Variants = c.variants;
    in.Params.Optimization = c.criterion;
    in.Parts = c.parts;
    auto base = run(in);
    ASSERT_TRUE(base);
    in.Params.Improved = true;
    in.Params.Effort = 1;
    auto improved = run(in);
    ASSERT_TRUE(improved);
    EXPECT_EQ(faultsOf(in, improved->ctx), "");
    EXPECT_GE(placedCopies(improved->ctx), placedCopies(base->ctx));
    std::int64_t cuts = 0, baseCuts = 0;
    for (int i = 0; i < improved->ctx.Results.Count(); ++i)
      cuts += improved->ctx.Results.Items(i)->Quantity * improved->ctx.Results.Items(i)->MillCount();
    for (int i = 0; i < base->ctx.Results.Count(); ++i)
      baseCuts += base->ctx.Results.Items(i)->Quantity * base->ctx.Results.Items(i)->MillCount();
    EXPECT_LE(cuts, baseCuts);
  }
}

TEST(ImprovedSearch, OffcutsStayOpenWithNoStandardSheetInStock) {
  MaterialInput in;
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  in.Params.Improved = true;
  in.Params.UseOffcuts = true;
  in.Params.StockControl = true;
  in.StockCount = 0;
  OffcutRow o;
  o.Name = "О-3";
  o.Length = 1200;
  o.Width = 600;
  in.Offcuts.push_back(o);
  in.Parts.push_back(part("Полка", 590, 296, 6));  // four on the offcut
  MaterialHooks hooks;
  int asked = 0;
  hooks.SheetsRunOut = [&](const EngineContext&) {
    ++asked;
    return RunOutAnswer{};
  };
  auto r = run(in, hooks);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->ctx.Results.Count(), 1);
  EXPECT_EQ(r->ctx.Results.Items(0)->Name, "О-3");
  EXPECT_EQ(placedCopies(r->ctx), 4);
  EXPECT_EQ(standardSheets(r->ctx), 0);
  EXPECT_EQ(asked, 1);  // then the run asks how to go on with the two left
  EXPECT_EQ(r->outcome.End, MaterialEnd::Finished);
  EXPECT_EQ(r->outcome.Search, SearchUsed::Improved);
  EXPECT_EQ(faultsOf(in, r->ctx), "");
}

// Every placement of the improved search looks at every sheet it may use:
// offered offcuts count against its size limit as copies do.
TEST(ImprovedSearch, SizeLimitCountsOfferedOffcuts) {
  MaterialInput in;
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  in.Params.Improved = true;
  in.Params.UseOffcuts = true;
  in.Parts.push_back(part("Полка", 500, 300, 10));
  OffcutRow row;
  row.Name = "О";
  row.Length = 400;
  row.Width = 200;
  for (const auto& [offcuts, expected] :
       {std::pair{19990, ImprovedFallback::None}, std::pair{19991, ImprovedFallback::TooManyOffcuts}}) {
    row.Many = offcuts;
    in.Offcuts.assign(1, row);
    EngineContext ctx;
    ASSERT_FALSE(LoadMaterial(ctx, in));
    EXPECT_EQ(ImprovedFallbackFor(ctx), expected) << offcuts;
  }
  in.Parts[0].Many = 20001;
  in.Offcuts.clear();
  EngineContext ctx;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  EXPECT_EQ(ImprovedFallbackFor(ctx), ImprovedFallback::TooManyCopies);
}

// A failure on a thread of the improved search (here std::bad_alloc) is
// handed to the caller and ends the material as a failed layout; the
// program goes on.
TEST(ImprovedSearch, AFailureOnAnyThreadIsAFailedLayout) {
  using namespace kroyna::engine::improved;
  PackProblem p;
  p.standard = {0, 0, 100, 100};
  for (int i = 0; i < 30; ++i) p.items.push_back({30 + 7 * (i % 5), 20, i % 5, AllowAsGiven | AllowTurned});
  p.oneForAll.assign(5, false);
  for (int threads : {1, 4}) {
    PackOptions o;
    o.effort = 1;
    o.threads = threads;
    o.sideJob = [] { throw std::bad_alloc(); };
    EXPECT_THROW(Pack(p, o), std::bad_alloc) << threads;
  }

  MaterialInput in = binPackingJob();
  in.Params.Improved = true;
  EngineContext ctx;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  int calls = 0;
  ctx.Progress = [&](std::int64_t, std::int64_t) {
    if (++calls == 2) throw std::bad_alloc();
  };
  const MaterialOutcome out = RunMaterial(ctx, {});
  EXPECT_EQ(out.End, MaterialEnd::Failed);
  EXPECT_EQ(out.Failure, "std::bad_alloc");
  EXPECT_EQ(ctx.Results.Count(), 0);
  // The next material is laid out as usual.
  ctx.Progress = nullptr;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  EXPECT_EQ(RunMaterial(ctx, {}).End, MaterialEnd::AllPlaced);
}

// A stop (the safety time limit, "Прервать", --time-limit) while the first
// layout is being built: the layout is finished with one greedy filling a
// sheet, so that no copy is left although sheets are unlimited.
TEST(ImprovedSearch, AStopDuringTheFirstLayoutStillPlacesEveryCopy) {
  using namespace kroyna::engine::improved;
  PackProblem p;
  p.standard = {0, 0, 1000, 600};
  for (int kind = 0; kind < 12; ++kind)
    for (int c = 0; c < 9; ++c) p.items.push_back({90 + 37 * kind, 60 + 23 * kind, kind, AllowAsGiven | AllowTurned});
  p.oneForAll.assign(12, false);
  const std::atomic<bool> stop{true};
  for (int threads : {1, 2}) {
    PackOptions o;
    o.effort = 10;
    o.threads = threads;
    o.stop = &stop;
    const PackResult r = Pack(p, o);
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(r.unplaced.empty()) << r.unplaced.size() << " copies left, " << threads << " threads";
    EXPECT_GT(r.standardSheets, 1);
  }
  // Under stock control the sheets in stock still bound it.
  p.maxStandard = 1;
  PackOptions o;
  o.stop = &stop;
  const PackResult r = Pack(p, o);
  EXPECT_EQ(r.standardSheets, 1);
  EXPECT_FALSE(r.unplaced.empty());
}

// "Ступеней резов не более": every map of the improved search can be cut in
// that many stages, the first stage the way the options say, and every
// copy is still placed.
TEST(ImprovedSearch, KeepsToTheStageLimit) {
  // A layout cut free in two stages when the first cuts run along Y, in
  // three when they must run along X (the first stage cuts nothing), and
  // in three either way once a copy no longer fills its piece.
  TDetalsList parts;
  parts.AddDetal("A", 5, 10, 1, RotateNever);
  parts.AddDetal("B", 5, 5, 2, RotateNever);
  parts.AddDetal("C", 4, 5, 1, RotateNever);
  TSheetsList sheet;
  sheet.Placements.AddPlacement(0, 0, {0, 0}, false);
  sheet.Placements.AddPlacement(1, 0, {5, 0}, false);
  sheet.Placements.AddPlacement(1, 0, {5, 5}, false);
  TSheet usable;
  usable.Length = usable.Width = 10;
  EXPECT_TRUE(WithinStages(sheet, parts, 0, usable, 2, FirstStageCuts::AlongY));
  EXPECT_TRUE(WithinStages(sheet, parts, 0, usable, 2, FirstStageCuts::Either));
  EXPECT_FALSE(WithinStages(sheet, parts, 0, usable, 2, FirstStageCuts::AlongX));
  EXPECT_TRUE(WithinStages(sheet, parts, 0, usable, 3, FirstStageCuts::AlongX));
  sheet.Placements.Delete(2);
  sheet.Placements.AddPlacement(2, 0, {5, 5}, false);
  EXPECT_FALSE(WithinStages(sheet, parts, 0, usable, 2, FirstStageCuts::Either));
  EXPECT_TRUE(WithinStages(sheet, parts, 0, usable, 3, FirstStageCuts::AlongY));

  std::mt19937 rng(314);
  int checked = 0;
  for (int i = 0; i < 24; ++i) {
    MaterialInput in = randomJob(rng);
    in.Params.StockControl = false;
    in.Params.MaxStages = 2 + i % 3;
    in.Params.FirstStage = static_cast<FirstStageCuts>(i / 3 % 3);
    for (PartRow& r : in.Parts) r.Many = std::max(r.Many, 1) * 2;
    SCOPED_TRACE("stages " + std::to_string(in.Params.MaxStages) + " first " +
                 std::to_string(static_cast<int>(in.Params.FirstStage)) + "\n" + describe(in));
    auto r = run(in);
    ASSERT_TRUE(r);
    EXPECT_EQ(faultsOf(in, r->ctx), "");
    EXPECT_TRUE(r->ctx.Parts.AllPlaced());
    ++checked;
  }
  EXPECT_EQ(checked, 24);
}
