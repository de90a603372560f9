// kroyna-cut's "sequence": every map of the project's jobs and of generated
// jobs, in every mode, is cut apart on the saw simulator by the passes of
// the result; maps as the maps window and the maps files hold them get the
// same order, old files too.

#include "CutJob.h"
#include "engine/FinishedMap.h"
#include "maps/model/MapCutOrder.h"
#include "maps/model/MapFile.h"
#include "maps/model/MapRules.h"
#include "support/CutSequenceSimulator.h"

#include "tools/CutProcess.h"  // slurp

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace kroyna;

// Cabinet-like parts from a seed, on one of two sheet sizes.
cut::CutJob generated(unsigned seed) {
  std::mt19937 rnd(seed);
  auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  cut::CutJob job;
  std::tie(job.Params.SheetLength, job.Params.SheetWidth) = seed % 2 ? std::pair(2800, 2070) : std::pair(2750, 1830);
  for (int i = 0; i < 12 + static_cast<int>(seed) * 3; ++i) {
    const int shape = in(0, 3);
    job.Parts.push_back({"P",
                         shape == 0   ? in(700, 2000)
                         : shape == 3 ? in(400, 2500)
                                      : in(300, 1100),
                         shape == 3 ? in(40, 140) : in(100, 590), in(1, 4), static_cast<std::uint8_t>(in(0, 2))});
  }
  return job;
}

TEST(KroynaCutSequence, EveryMapOfEveryModeIsCutApart) {
  std::vector<cut::CutJob> jobs;
  for (const char* name : {"small.json", "kitchen.json"})
    jobs.push_back(cut::parseJob(kroyna::testing::slurp(fs::path(KROYNA_BENCH_JOBS) / name)));
  for (const auto& e : fs::directory_iterator(fs::path(KROYNA_TEST_DATA_DIR) / "fuzz" / "cut_job_fuzz")) {
    try {
      jobs.push_back(cut::parseJob(kroyna::testing::slurp(e.path())));
    } catch (const cut::JobError&) {  // the reader refuses most
    }
  }
  for (unsigned seed = 1; seed <= 4; ++seed) jobs.push_back(generated(seed));
  // search, kerf, trims (left, right, top, bottom), offcuts offered, machine
  using Mode = std::tuple<const char*, int, engine::SheetTrims, bool, const char*>;
  const std::vector<Mode> modes{{"quick", 4, {10, 10, 10, 10}, true, "none"},
                                {"quick", 0, {}, false, "none"},
                                {"region", 0, {10, 10, 10, 10}, true, "none"},
                                {"full", 5, {15, 0, 0, 12}, true, "none"},
                                {"full", 3, {2, 2, 2, 2}, false, "none"},
                                {"quick", 4, {10, 10, 10, 10}, false, "multi"},
                                {"full", 4, {10, 10, 10, 10}, false, "length"},
                                {"improved", 4, {10, 10, 10, 10}, true, "none"},
                                {"improved", 0, {}, false, "none"},
                                {"improved", 5, {0, 20, 8, 0}, true, "none"}};
  int maps = 0, unordered = 0;
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    for (const auto& [search, kerf, trims, offcuts, machine] : modes) {
      cut::CutJob job = jobs[j];
      engine::CuttingParameters& p = job.Params;
      const std::string s = search;
      std::tie(p.Search, p.Improved, p.Rule) =
          std::tuple(s == "full" ? engine::SearchMode::Full : engine::SearchMode::Quick, s == "improved",
                     s == "region" ? engine::SelectionRule::RegionFirst : engine::SelectionRule::PartFirst);
      std::tie(p.Kerf, p.TrimLeft, p.TrimRight, p.TrimTop, p.TrimBottom) =
          std::tuple(kerf, trims.left, trims.right, trims.top, trims.bottom);
      std::tie(p.MultiSaw, p.MaxCutLength) = std::pair(std::string(machine) == "multi", machine[0] == 'l' ? 1500 : 0);
      std::tie(p.Variants, p.Effort, p.Threads) = std::tuple(std::min(p.Variants, 10), 1, 1);
      if (!offcuts) job.Offcuts.clear();
      p.UseOffcuts = !job.Offcuts.empty();
      engine::EngineContext ctx;
      if (cut::oversizePart(job) || engine::LoadMaterial(ctx, job)) continue;
      const json result = json::parse(cut::serializeResult(ctx, engine::RunMaterial(ctx, {})));
      for (std::size_t i = 0; i < result["maps"].size(); ++i, ++maps) {
        SCOPED_TRACE("job " + std::to_string(j) + " " + s + " kerf " + std::to_string(kerf) + " map " +
                     std::to_string(i));
        const json& m = result["maps"][i];
        if (m["sequence"].is_null()) {
          EXPECT_EQ(kerf, 0);
          ++unordered;
          continue;
        }
        // The map as the maps window and the maps file hold it, without the
        // trims, gets the same passes; they cut it apart.
        maps::NewMap settings;
        settings.kerf = kerf;
        const engine::SequenceInput in = maps::cutOrderInput(
            maps::makeMap(engine::MakeFinishedMap(*ctx.Results.Items(static_cast<int>(i)), ctx.Parts, kerf), settings));
        const engine::CutSequence read = engine::MakeCutSequence(in);
        json again = json::array();
        for (const engine::SawPass& q : read.passes) {
          const engine::PlainRect& r = q.piece;
          again.push_back({{"piece", {{"x", r.x}, {"y", r.y}, {"length", r.length}, {"width", r.width}}},
                           {"alongX", q.alongX},
                           {"at", q.at},
                           {"cuts", q.cuts},
                           {"fence", q.fence},
                           {"turn", q.turn}});
        }
        EXPECT_EQ(again, m["sequence"]);
        EXPECT_EQ(test::simulateSaw(in, read).faults, std::vector<std::string>{});
      }
    }
  }
  EXPECT_GT(maps, 300);
  EXPECT_LT(unordered * 20, maps);
}

TEST(KroynaCutSequence, OldMapsFilesGetTheirOrder) {
  // Hand-made files of both forms, the old one with a part of no size.
  for (const char* name : {"two_sheets.map", "old_format.map"}) {
    for (const maps::MapSheetRecord& record :
         maps::readMapFile(fs::path(KROYNA_TEST_DATA_DIR) / "maps" / name).sheets) {
      const engine::SequenceInput in = maps::cutOrderInput(maps::fromRecord(record));
      const engine::CutSequence seq = engine::MakeCutSequence(in);
      EXPECT_EQ(seq.status, engine::SequenceStatus::Ok) << name;
      EXPECT_EQ(seq.passes.empty(), in.parts.empty()) << name;
      EXPECT_EQ(test::simulateSaw(in, seq).faults, std::vector<std::string>{}) << name;
    }
  }
}

}  // namespace
