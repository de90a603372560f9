#include "engine/MaterialRun.h"

#include "engine/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace kroyna::engine;
using kroyna::engine::test::part;

namespace {

MaterialInput kitchenSheet() {
  MaterialInput in;
  in.MaterialName = "ЛДСП белая";
  in.Params.SheetLength = 2800;
  in.Params.SheetWidth = 2070;
  return in;
}

}  // namespace

TEST(LoadMaterial, FitCheckAgainstTheUsableSheet) {
  EngineContext ctx;
  auto load = [&](PartRow p) {
    MaterialInput in = kitchenSheet();
    in.Parts.push_back(p);
    return LoadMaterial(ctx, in);
  };
  EXPECT_FALSE(load(part("a", 2780, 500, 1, RotateNever)));
  EXPECT_EQ(load(part("b", 2781, 500, 1, RotateNever)),
            "Разложение деталей материала <ЛДСП белая> невозможно!\r\rРазмер одной или более деталей больше "
            "размера листа.");
  EXPECT_FALSE(load(part("c", 500, 2780, 1, RotateFree)));
  EXPECT_TRUE(load(part("d", 500, 2780, 1, RotateNever)));
  EXPECT_FALSE(load(part("e", 500, 2780, 1, RotateOneForAll)));
}

TEST(LoadMaterial, SkipsRowsWithoutCopiesAndRefusesAnEmptyList) {
  EngineContext ctx;
  MaterialInput in = kitchenSheet();
  in.Parts.push_back(part("none", 500, 400, 0));
  in.Parts.push_back(part("negative", 500, 400, -3));
  EXPECT_EQ(LoadMaterial(ctx, in),
            "Разложение невозможно!\r\rТекущая база не содержит деталей из материала <ЛДСП белая>.");

  // A part too large for the sheet in a skipped row does not matter.
  in.Parts.push_back(part("huge", 9000, 400, 0));
  PartRow kept = part("kept", 500, 400, 2);
  kept.LBorder = 7;
  kept.BBorder = 9;
  in.Parts.push_back(kept);
  EXPECT_FALSE(LoadMaterial(ctx, in));
  ASSERT_EQ(ctx.Parts.Count(), 1);
  EXPECT_EQ(ctx.Parts[0].Row, 3);
  EXPECT_EQ(ctx.Parts[0].LBorder, 7);
  EXPECT_EQ(ctx.Parts[0].BBorder, 9);
}

TEST(LoadMaterial, OneStockEntryPerPhysicalOffcutWhenOffered) {
  EngineContext ctx;
  MaterialInput in = kitchenSheet();
  in.Parts.push_back(part("p", 500, 400, 1));
  OffcutRow row;
  row.Name = "O7";
  row.Length = 900;
  row.Width = 600;
  row.Many = 3;
  in.Offcuts.push_back(row);
  ASSERT_FALSE(LoadMaterial(ctx, in));
  EXPECT_EQ(ctx.Stock.RegionCount(), 0);  // not offered

  in.Params.UseOffcuts = true;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  ASSERT_EQ(ctx.Stock.RegionCount(), 3);
  for (const TSheet& s : ctx.Stock.Regions) {
    EXPECT_TRUE(s.IsScrap);
    EXPECT_EQ(s.Name, "O7");
  }
}

TEST(RunMaterial, HandsOverEveryMapWithItsPass) {
  EngineContext ctx;
  MaterialInput in = kitchenSheet();
  in.Params.UseOffcuts = true;
  in.Parts.push_back(part("big", 2000, 1500, 3));
  in.Parts.push_back(part("small", 300, 200, 5));
  OffcutRow row;
  row.Name = "O1";
  row.Length = 700;
  row.Width = 500;
  in.Offcuts.push_back(row);
  ASSERT_FALSE(LoadMaterial(ctx, in));

  std::vector<std::pair<int, int>> handed;  // (first, pass)
  int before = 0;
  MaterialHooks hooks;
  hooks.MapsReady = [&](const EngineContext& c, int first, int count, std::int32_t pass) {
    EXPECT_EQ(first + count, c.Results.Count());
    handed.push_back({first, pass});
  };
  hooks.BeforePass = [&](const EngineContext&) { ++before; };
  const MaterialOutcome out = RunMaterial(ctx, hooks);
  EXPECT_EQ(out.End, MaterialEnd::AllPlaced);
  // The state is that of the pass that placed the last copy: no extra pass
  // call turns it into 2.
  EXPECT_EQ(out.LastState, PassState::Normal);
  EXPECT_EQ(ctx.State, PassState::Normal);
  EXPECT_TRUE(ctx.Parts.AllPlaced());
  ASSERT_EQ(static_cast<int>(out.MapPasses.size()), ctx.Results.Count());
  EXPECT_EQ(out.MapPasses.front(), 1);
  EXPECT_TRUE(ctx.Results.Items(0)->IsScrap);  // the small parts went onto the offcut
  // One map per pass here: the first pass used the one offcut.
  ASSERT_EQ(static_cast<int>(handed.size()), ctx.Results.Count());
  for (std::size_t i = 0; i < handed.size(); ++i) {
    EXPECT_EQ(handed[i], (std::pair<int, int>{static_cast<int>(i), static_cast<int>(i) + 1}));
    EXPECT_EQ(out.MapPasses[i], static_cast<int>(i) + 1);
  }
  EXPECT_EQ(before, ctx.Results.Count());
}

TEST(RunMaterial, StockRunOutChoices) {
  auto input = [] {
    MaterialInput in = kitchenSheet();
    in.Params.StockControl = true;
    in.StockCount = 2;
    in.Parts.push_back(part("half", 1388, 2050, 5, RotateNever));  // two per sheet
    return in;
  };

  // Finish: the parts left stay unplaced.
  {
    EngineContext ctx;
    ASSERT_FALSE(LoadMaterial(ctx, input()));
    int asked = 0;
    std::vector<std::int32_t> counts;
    MaterialHooks hooks;
    hooks.SheetsRunOut = [&](const EngineContext&) {
      ++asked;
      return RunOutAnswer{};
    };
    hooks.StockCountChanged = [&](const EngineContext& c) { counts.push_back(c.StockCount); };
    const MaterialOutcome out = RunMaterial(ctx, hooks);
    EXPECT_EQ(out.End, MaterialEnd::Finished);
    EXPECT_EQ(out.LastState, PassState::NoSheetLeft);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(ctx.Results.Count(), 1);
    EXPECT_EQ(ctx.Results.Items(0)->Quantity, 2);
    EXPECT_EQ(counts, (std::vector<std::int32_t>{0}));
    EXPECT_EQ(ctx.Parts[0].Remaining, 1);
  }
  // Go on with the current size without counting.
  {
    EngineContext ctx;
    ASSERT_FALSE(LoadMaterial(ctx, input()));
    MaterialHooks hooks;
    hooks.SheetsRunOut = [](const EngineContext&) { return RunOutAnswer{RunOutAnswer::Choice::ContinueUnlimited}; };
    const MaterialOutcome out = RunMaterial(ctx, hooks);
    EXPECT_EQ(out.End, MaterialEnd::AllPlaced);
    EXPECT_EQ(ctx.Results.Count(), 2);
    EXPECT_FALSE(ctx.Params.StockControl);
  }
  // Another sheet size with its own count.
  {
    EngineContext ctx;
    ASSERT_FALSE(LoadMaterial(ctx, input()));
    MaterialHooks hooks;
    hooks.SheetsRunOut = [](const EngineContext&) {
      return RunOutAnswer{RunOutAnswer::Choice::OtherSize, 1500, 2100, 4};
    };
    const MaterialOutcome out = RunMaterial(ctx, hooks);
    EXPECT_EQ(out.End, MaterialEnd::AllPlaced);
    ASSERT_EQ(ctx.Results.Count(), 2);
    EXPECT_EQ(ctx.Results.Items(1)->SheetLength, 1500);
    EXPECT_EQ(ctx.StockCount, 3);
  }
}

TEST(RunMaterial, AbortBeforeTheMaterialDoesNothing) {
  EngineContext ctx;
  MaterialInput in = kitchenSheet();
  in.Parts.push_back(part("p", 500, 400, 1));
  // The flag of the run outlives the reset that loading a material makes.
  ctx.Abort = true;
  ASSERT_FALSE(LoadMaterial(ctx, in));
  EXPECT_TRUE(ctx.Abort);
  EXPECT_EQ(RunMaterial(ctx, {}).End, MaterialEnd::Aborted);
  EXPECT_EQ(ctx.Results.Count(), 0);
}

// Numbers the engine's 32-bit arithmetic cannot hold, or trims that would
// let a part lie outside its sheet (a left trim of -100 let a 2850 mm part
// "fit" a 2800 mm sheet, placed from x = -100), refuse the material.
TEST(LoadMaterial, RefusesNumbersOutOfRange) {
  struct Case {
    const char* what;
    void (*change)(MaterialInput&);
  };
  const Case cases[] = {
      {"negative trim",
       [](MaterialInput& in) {
         in.Params.TrimLeft = -100;
         in.Parts[0].Length = 2850;
       }},
      {"negative kerf", [](MaterialInput& in) { in.Params.Kerf = -4; }},
      {"sheet near 2^31", [](MaterialInput& in) { in.Params.SheetLength = 2147483600; }},
      {"part near 2^31", [](MaterialInput& in) { in.Parts[0].Width = 2147483600; }},
      {"trim near 2^31", [](MaterialInput& in) { in.Params.TrimBottom = 2147483600; }},
      {"offered offcut near 2^31",
       [](MaterialInput& in) {
         in.Params.UseOffcuts = true;
         in.Offcuts.push_back(OffcutRow{"O", 2147483600, 500, 1});
       }},
      {"copies beyond 2^31", [](MaterialInput& in) { in.Parts.push_back(part("many", 10, 10, 2147483647)); }},
  };
  for (const Case& c : cases) {
    MaterialInput in = kitchenSheet();
    in.Parts.push_back(part("p", 500, 400, 2));
    c.change(in);
    EngineContext ctx;
    EXPECT_EQ(LoadMaterial(ctx, in),
              "Разложение деталей материала <ЛДСП белая> невозможно!\r\rРазмеры листа, остатков или деталей, "
              "пропил или отступы вне допустимых пределов.")
        << c.what;
    EXPECT_EQ(ctx.Parts.Count(), 0) << c.what;
  }
  // The largest numbers taken, and offcuts not offered, are fine.
  MaterialInput in = kitchenSheet();
  in.Params.SheetLength = in.Params.SheetWidth = kMaxEngineLength;
  in.Params.Kerf = kMaxEngineLength;
  in.Parts.push_back(part("p", 500, 400, 2));
  in.Offcuts.push_back(OffcutRow{"O", 2147483600, 500, 1});
  EngineContext ctx;
  EXPECT_FALSE(LoadMaterial(ctx, in));
}
