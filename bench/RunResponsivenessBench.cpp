// How responsive the program stays during a cutting run: the kitchen job
// (40 kinds, 200 copies, two offcuts in stock) laid out from a parts window
// into a maps window with N = 1000 variants per pass, as "Разложить" does
// it. The run lets the interface process its events after every variant;
// this measures the longest time between two such moments over the whole
// run (the window does not answer for that long), the handing over of the
// maps to the window included, and how many variants are still built after
// "Прервать" was confirmed.
//
// Needs the program's libraries (KROYNA_GUI=ON) and a Qt platform (run it
// with QT_QPA_PLATFORM=offscreen or under a display).

#include "run/CuttingRunTestSupport.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

using namespace kroyna;
using Clock = std::chrono::steady_clock;

nlohmann::json kitchenJob() {
  const std::string path = std::string(KROYNA_BENCH_JOBS) + "/kitchen.json";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return nlohmann::json::parse(bytes.str(), nullptr, true, true);
}

// A program folder holding the kitchen job as a parts database of material
// 1 and its offcuts in stock, with N variants per pass.
void prepare(run::test::RunFolder& f, const nlohmann::json& job, int variants, bool fullSearch) {
  for (const auto& o : job["offcuts"])
    f.addOffcut(o["name"].get<std::string>().c_str(), o["length"].get<int>(), o["width"].get<int>(), 1, 1);
  for (const auto& p : job["parts"]) {
    const auto& e = p["edges"];
    f.addPart(p["name"].get<std::string>().c_str(), p["length"].get<int>(), p["width"].get<int>(), p["many"].get<int>(),
              p["rotate"].get<int>(), 1, e[0].get<int>(), e[1].get<int>(), e[2].get<int>(), e[3].get<int>());
  }
  run::OptimRecord o = run::test::RunFolder::sheet(job["sheet"]["length"].get<int>(), job["sheet"]["width"].get<int>(),
                                                   false, true, variants);
  o.fullSearch = fullSearch ? 1 : 0;
  f.setOptions(1, o);
}

void Kitchen_Run(benchmark::State& state, bool fullSearch) {
  const nlohmann::json job = kitchenJob();
  double worstGap = 0;
  double sumGap = 0;
  std::int64_t events = 0;
  std::int64_t maps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    run::test::RunFolder f;
    prepare(f, job, static_cast<int>(state.range(0)), fullSearch);
    Clock::time_point last = Clock::now();
    double gap = 0;
    f.onEvents = [&] {
      const Clock::time_point now = Clock::now();
      gap = std::max(gap, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
    };
    state.ResumeTiming();
    maps::MapsWindow* w = f.run();
    // The last stretch: from the last variant to the window being ready.
    gap = std::max(gap, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
    state.PauseTiming();
    if (!w || !f.texts.isEmpty()) {
      state.SkipWithError("the run did not lay out the job");
      return;
    }
    worstGap = std::max(worstGap, gap);
    sumGap += gap;
    events += f.events;
    maps += w->document().mapCount();
    state.ResumeTiming();
  }
  state.counters["longest_gap_ms"] = worstGap;
  state.counters["mean_longest_gap_ms"] = benchmark::Counter(sumGap, benchmark::Counter::kAvgIterations);
  state.counters["event_rounds"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kAvgIterations);
  state.counters["maps"] = benchmark::Counter(static_cast<double>(maps), benchmark::Counter::kAvgIterations);
}

void Kitchen_Quick(benchmark::State& s) { Kitchen_Run(s, false); }
void Kitchen_Full(benchmark::State& s) { Kitchen_Run(s, true); }

// "Прервать" confirmed in the middle of the first pass: the variants built
// after it, and the time until the window is ready again.
void Kitchen_Abort(benchmark::State& state) {
  const nlohmann::json job = kitchenJob();
  std::int64_t after = 0;
  double toEnd = 0;
  for (auto _ : state) {
    state.PauseTiming();
    run::test::RunFolder f;
    prepare(f, job, static_cast<int>(state.range(0)), false);
    int abortedAt = -1;
    Clock::time_point confirmed;
    f.onEvents = [&] {
      if (f.events == 500 && !f.mapsWindows.empty()) {
        f.mapsWindows.back()->askAbort();  // answered "Yes"
        abortedAt = f.events;
        confirmed = Clock::now();
      }
    };
    state.ResumeTiming();
    maps::MapsWindow* w = f.run();
    state.PauseTiming();
    if (!w || abortedAt < 0) {
      state.SkipWithError("the run was not aborted");
      return;
    }
    after += f.events - abortedAt;
    toEnd += std::chrono::duration<double, std::milli>(Clock::now() - confirmed).count();
    state.ResumeTiming();
  }
  state.counters["variants_after_abort"] =
      benchmark::Counter(static_cast<double>(after), benchmark::Counter::kAvgIterations);
  state.counters["abort_to_ready_ms"] = benchmark::Counter(toEnd, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(Kitchen_Quick)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Kitchen_Full)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Kitchen_Abort)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
