// Whole cutting jobs, as kroyna-cut runs them: loading, the first pass and
// every later pass, N = 1000 variants per pass, in quick and full search.
// Reports the variants built per second and the time of the whole job.

#include "CutJob.h"

#include "engine/MaterialRun.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using namespace kroyna;

cut::CutJob loadJob(const std::string& name) {
  const std::string path = std::string(KROYNA_BENCH_JOBS) + "/" + name + ".json";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return cut::parseJob(bytes.str());
}

void runJob(benchmark::State& state, const std::string& name, engine::SearchMode mode) {
  cut::CutJob job = loadJob(name);
  job.Params.Variants = static_cast<std::int32_t>(state.range(0));
  job.Params.Search = mode;
  std::int64_t variants = 0;
  std::int64_t maps = 0;
  for (auto _ : state) {
    engine::EngineContext ctx;
    if (engine::LoadMaterial(ctx, job)) {
      state.SkipWithError("the job is refused");
      return;
    }
    ctx.Progress = [&variants](std::int64_t done, std::int64_t) {
      if (done > 0) ++variants;
    };
    const engine::MaterialOutcome outcome = engine::RunMaterial(ctx, {});
    benchmark::DoNotOptimize(outcome);
    maps += ctx.Results.Count();
  }
  state.counters["variants/s"] = benchmark::Counter(static_cast<double>(variants), benchmark::Counter::kIsRate);
  state.counters["maps"] = benchmark::Counter(static_cast<double>(maps), benchmark::Counter::kAvgIterations);
}

void Small_Quick(benchmark::State& s) { runJob(s, "small", engine::SearchMode::Quick); }
void Small_Full(benchmark::State& s) { runJob(s, "small", engine::SearchMode::Full); }
void Kitchen_Quick(benchmark::State& s) { runJob(s, "kitchen", engine::SearchMode::Quick); }
void Kitchen_Full(benchmark::State& s) { runJob(s, "kitchen", engine::SearchMode::Full); }
void Large_Quick(benchmark::State& s) { runJob(s, "large", engine::SearchMode::Quick); }
void Large_Full(benchmark::State& s) { runJob(s, "large", engine::SearchMode::Full); }

}  // namespace

BENCHMARK(Small_Quick)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Small_Full)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Kitchen_Quick)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Kitchen_Full)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Large_Quick)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(Large_Full)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
