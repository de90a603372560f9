// The order of the cuts of one map of 200 parts and more: a map of the quick
// search and one of the improved search of a job of small parts, and a grid
// of equal parts (every piece can be cut both ways there, the hardest case
// for keeping the turns few). Target: under 10 ms a map.

#include "engine/CutSequence.h"
#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

using namespace kroyna::engine;

// The map with the most parts of a job of 360 small parts (sizes as of
// drawer fronts, rails and shelves of small cabinets), laid out by the
// quick or the improved search on a 2800 x 2070 sheet, kerf 4, trims 10.
SequenceInput smallPartsMap(bool improved) {
  std::mt19937 rnd(7);
  auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  MaterialInput job;
  job.Params.SheetLength = 2800;
  job.Params.SheetWidth = 2070;
  job.Params.Improved = improved;
  job.Params.Effort = 1;
  for (int i = 0; i < 30; ++i) {
    PartRow r;
    r.Name = std::to_string(i);
    r.Length = in(80, 220);
    r.Width = in(60, 160);
    r.Many = 12;
    job.Parts.push_back(r);
  }
  EngineContext ctx;
  LoadMaterial(ctx, job);
  RunMaterial(ctx, {});
  FinishedMap best;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    FinishedMap map = MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, job.Params.Kerf);
    if (map.Parts.size() > best.Parts.size()) best = std::move(map);
  }
  return SequenceInputOf(best, job.Params.Kerf, SheetTrims{10, 10, 10, 10});
}

// 20 x 10 parts of 135 x 201 filling the usable sheet of 2800 x 2070.
SequenceInput gridMap() {
  SequenceInput in;
  in.sheetLength = 2800;
  in.sheetWidth = 2070;
  in.kerf = 4;
  in.trims = SheetTrims{10, 10, 10, 10};
  for (int c = 0; c < 20; ++c) {
    for (int r = 0; r < 10; ++r) in.parts.push_back({10 + c * 139, 10 + r * 205, 135, 201});
  }
  return in;
}

void run(benchmark::State& state, const SequenceInput& map) {
  if (map.parts.size() < 200) state.SkipWithError("the map has fewer than 200 parts");
  std::size_t passes = 0;
  for (auto _ : state) {
    const CutSequence seq = MakeCutSequence(map);
    if (seq.status != SequenceStatus::Ok) state.SkipWithError("no order of through-cuts");
    passes = seq.passes.size();
    benchmark::DoNotOptimize(seq.passes.data());
  }
  state.counters["parts"] = static_cast<double>(map.parts.size());
  state.counters["passes"] = static_cast<double>(passes);
}

void BM_CutSequence_QuickSearchMap(benchmark::State& state) {
  static const SequenceInput map = smallPartsMap(false);
  run(state, map);
}
void BM_CutSequence_ImprovedSearchMap(benchmark::State& state) {
  static const SequenceInput map = smallPartsMap(true);
  run(state, map);
}
void BM_CutSequence_Grid(benchmark::State& state) {
  static const SequenceInput map = gridMap();
  run(state, map);
}

BENCHMARK(BM_CutSequence_QuickSearchMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutSequence_ImprovedSearchMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutSequence_Grid)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
