// kroyna-cut's "sequence": every map of the project's jobs and of the job
// corpus, in every mode, is cut apart on the saw simulator by the passes the
// result lists, and a maps file read back gives every map the same order.

#include "CutJob.h"
#include "common/CutSequenceSimulator.h"
#include "engine/MaterialRun.h"
#include "maps/MapCutOrder.h"
#include "maps/MapFile.h"
#include "maps/MapRules.h"

#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace kroyna;

// The simulator's faults for every map of a result; maps without an order
// are counted.
std::string faultsOf(const json& result, std::int64_t kerf, int& unordered) {
  std::string out;
  for (std::size_t i = 0; i < result["maps"].size(); ++i) {
    const json& m = result["maps"][i];
    if (m["sequence"].is_null()) {
      ++unordered;
      continue;
    }
    test::SimMap map{m["sheet"]["length"], m["sheet"]["width"], kerf, {}, {}};
    for (const json& p : m["parts"]) map.parts.push_back({p["x"], p["y"], p["length"], p["width"]});
    for (const json& c : m["cuts"]) map.cuts.push_back({c["x"], c["y"], c["length"], c["alongX"]});
    std::vector<test::SimPass> passes;
    for (const json& s : m["sequence"]) {
      const json& r = s["piece"];
      passes.push_back({test::SimRect{r["x"], r["y"], r["length"], r["width"]}, s["alongX"], s["at"], s["fence"],
                        s["turn"], s["cuts"].get<std::vector<std::int64_t>>()});
    }
    for (const std::string& f : test::simulateSaw(map, passes).faults)
      out += "map " + std::to_string(i) + ": " + f + "\n";
  }
  return out;
}

TEST(KroynaCutSequence, EveryMapOfTheProjectsJobsInEveryModeIsCutApart) {
  std::vector<fs::path> jobs;
  for (const auto& e : fs::directory_iterator(KROYNA_BENCH_JOBS))
    if (e.path().extension() == ".json") jobs.push_back(e.path());
  for (const auto& e : fs::directory_iterator(fs::path(KROYNA_TEST_DATA_DIR) / "fuzz" / "cut_job_fuzz"))
    jobs.push_back(e.path());
  std::sort(jobs.begin(), jobs.end());
  struct Mode {
    const char* search;
    int kerf;  // -1 as the job has it
    bool noTrims;
    const char* machine;
  };
  const std::vector<Mode> modes{{"quick", -1, false, "none"},     {"full", 0, true, "none"},
                                {"improved", 5, false, "none"},   {"quick", 0, false, "none"},
                                {"improved", 0, true, "none"},    {"full", 3, false, "multi-saw"},
                                {"quick", 4, false, "cut-length"}};
  int maps = 0, unordered = 0, ran = 0;
  for (const fs::path& path : jobs) {
    cut::CutJob original;
    try {
      original = cut::parseJob(kroyna::testing::slurp(path));
    } catch (const cut::JobError&) {
      continue;  // the corpus holds refused jobs too
    }
    std::int64_t copies = 0;
    for (const engine::PartRow& r : original.Parts) copies += std::max(0, r.Many);
    if (copies == 0 || copies > 2000 || cut::oversizePart(original)) continue;
    for (const Mode& mode : modes) {
      cut::CutJob job = original;
      engine::CuttingParameters& p = job.Params;
      p.Search = std::string(mode.search) == "full" ? engine::SearchMode::Full : engine::SearchMode::Quick;
      p.Improved = std::string(mode.search) == "improved";
      p.Variants = std::min(p.Variants, 20);
      std::tie(p.Effort, p.Threads) = std::pair(1, 1);
      if (mode.kerf >= 0) p.Kerf = mode.kerf;
      if (mode.noTrims) p.TrimLeft = p.TrimRight = p.TrimTop = p.TrimBottom = 0;
      p.MultiSaw = std::string(mode.machine) == "multi-saw";
      if (std::string(mode.machine) == "cut-length") p.MaxCutLength = std::max(p.SheetLength, p.SheetWidth) * 3 / 4;
      if (cut::oversizePart(job)) continue;
      engine::EngineContext ctx;
      if (engine::LoadMaterial(ctx, job)) continue;
      ctx.Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      const engine::MaterialOutcome outcome = engine::RunMaterial(ctx, {});
      const json result = json::parse(cut::serializeResult(ctx, outcome));
      SCOPED_TRACE(path.filename().string() + ", " + mode.search + ", kerf " + std::to_string(p.Kerf));
      EXPECT_EQ(faultsOf(result, p.Kerf, unordered), "");
      maps += static_cast<int>(result["maps"].size());
      ++ran;
    }
  }
  EXPECT_GE(ran, 25);
  EXPECT_GT(maps, 500);
  EXPECT_LT(unordered * 50, maps);  // only maps of a kerf of 0 may have none
}

class KroynaCutSequenceFile : public kroyna::testing::CutProcessTest {};

TEST_F(KroynaCutSequenceFile, AMapsFileReadBackGetsTheSameOrder) {
  json job = json::parse(kroyna::testing::slurp(fs::path(KROYNA_BENCH_JOBS) / "kitchen.json"));
  job["variants"] = 50;
  const fs::path jobFile = write("job.json", job.dump());
  const fs::path mapFile = dir_ / "kitchen.map";
  std::string out, err;
  ASSERT_EQ(cut("--map '" + mapFile.string() + "' '" + jobFile.string() + "'", out, err), 0) << err;
  const json result = json::parse(out);
  const maps::MapFileData data = maps::readMapFile(mapFile);
  ASSERT_EQ(data.sheets.size(), result["maps"].size());
  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    SCOPED_TRACE(i);
    const engine::CutSequence read = maps::cutOrder(maps::fromRecord(data.sheets[i]));
    const json& written = result["maps"][i]["sequence"];
    ASSERT_EQ(read.passes.size(), written.size());
    for (std::size_t n = 0; n < read.passes.size(); ++n) {
      const engine::SawPass& p = read.passes[n];
      const json& s = written[n];
      EXPECT_EQ(json({{"x", p.piece.x}, {"y", p.piece.y}, {"length", p.piece.length}, {"width", p.piece.width}}),
                s["piece"]);
      EXPECT_EQ(std::tie(p.alongX, p.at, p.fence, p.turn),
                std::tuple(s["alongX"].get<bool>(), s["at"].get<int>(), s["fence"].get<int>(), s["turn"].get<bool>()));
      EXPECT_EQ(json(p.cuts), s["cuts"]);
    }
  }
}

TEST(KroynaCutSequence, OldMapsFilesGetAnOrderToo) {
  for (const char* name : {"two_sheets.map", "old_format.map"}) {
    const maps::MapFileData data = maps::readMapFile(fs::path(KROYNA_TEST_DATA_DIR) / "maps" / name);
    for (const maps::MapSheetRecord& record : data.sheets) {
      const engine::SequenceInput in = maps::cutOrderInput(maps::fromRecord(record));
      const engine::CutSequence seq = engine::MakeCutSequence(in);
      ASSERT_EQ(seq.status, engine::SequenceStatus::Ok) << name;
      test::SimMap map{in.sheetLength, in.sheetWidth, in.kerf, {}, {}};
      for (const engine::PlainRect& r : in.parts) map.parts.push_back({r.x, r.y, r.length, r.width});
      for (const engine::PlainCut& c : in.cuts) map.cuts.push_back({c.x, c.y, c.length, c.alongX});
      std::vector<test::SimPass> passes;
      for (const engine::SawPass& p : seq.passes)
        passes.push_back({test::SimRect{p.piece.x, p.piece.y, p.piece.length, p.piece.width}, p.alongX, p.at, p.fence,
                          p.turn, std::vector<std::int64_t>(p.cuts.begin(), p.cuts.end())});
      EXPECT_TRUE(test::simulateSaw(map, passes).faults.empty()) << name;
      EXPECT_EQ(seq.passes.empty(), in.parts.empty()) << name;
    }
  }
}

}  // namespace
