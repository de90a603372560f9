// The improved search against the base search of the same options (quick
// or full, with its N and selection options) on generated workshop jobs:
// cabinet-like orders on the sheets workshops buy, with every criterion,
// stock control (enough sheets, too few, none), offcuts offered, machine
// limits, stage limits and kerf 0. For each job both searches lay the
// material out; the improved search must never be worse for the shop
// (copies placed, then standard sheets, then the criterion, then the
// number of cuts), and every map of both must pass the map validator of
// the tests (parts as ordered, through-cuts only, the improved search's
// within the stage limit). The base search knows no stage limit: a job
// whose base maps break it is counted apart, not compared.
//
//   bench_generated_jobs [JOBS [SEED [THREADS]]]    (default 480 20261210 2)
//
// Prints the counts better / equal / worse, overall and by option, and
// every worse job or fault; exits 1 when there is any.

#include "engine/ImprovedSearch.h"
#include "engine/MaterialRun.h"
#include "support/EngineMapCheck.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace kroyna::engine;

struct Rng {
  std::mt19937 gen;
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }
  bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(gen) < p; }
  template <class T, std::size_t N>
  T oneOf(const std::array<T, N>& items) {
    return items[static_cast<std::size_t>(pick(0, static_cast<int>(N) - 1))];
  }
};

// A part of a cabinet: sides and shelves, doors and fronts, drawer parts,
// strips; sizes in even millimetres, as make_big_jobs.py makes them.
PartRow cabinetPart(Rng& r, int index, std::int32_t usableL, std::int32_t usableW) {
  const double shape = std::uniform_real_distribution<double>(0, 1)(r.gen);
  std::int32_t l = 0, w = 0;
  if (shape < 0.25) {
    l = r.pick(350, 1100) * 2;
    w = r.pick(150, 300) * 2;
  } else if (shape < 0.6) {
    l = r.pick(150, 600) * 2;
    w = r.pick(125, 300) * 2;
  } else if (shape < 0.85) {
    l = r.pick(175, 450) * 2;
    w = r.pick(70, 250) * 2;
  } else {
    l = r.pick(200, 1350) * 2;
    w = r.pick(30, 70) * 2;
  }
  PartRow p;
  p.Name = "Деталь " + std::to_string(index + 1);
  p.Length = std::min(l, usableL);
  p.Width = std::min(w, usableW);
  const int rule = r.pick(0, 9);
  p.Rotate = rule < 6 ? RotateFree : rule < 9 ? RotateNever : RotateOneForAll;
  // Mostly a few copies; now and then a batch.
  p.Many = r.chance(0.1) ? r.pick(10, 40) : r.pick(1, 6);
  return p;
}

struct Job {
  int number = 0;
  MaterialInput input;
  std::vector<std::string> tags;  // the options the job is counted under
};

Job makeJob(int number, std::uint32_t seed) {
  Rng r{std::mt19937(seed + static_cast<std::uint32_t>(number) * 7919u)};
  Job job;
  job.number = number;
  MaterialInput& in = job.input;
  in.MaterialName = "ЛДСП 16 мм";
  CuttingParameters& p = in.Params;
  const std::array<std::array<std::int32_t, 2>, 5> sheets{
      {{2800, 2070}, {2750, 1830}, {2440, 1830}, {3050, 1830}, {2500, 1250}}};
  const auto sheet = r.oneOf(sheets);
  p.SheetLength = sheet[0];
  p.SheetWidth = sheet[1];
  p.Kerf = r.chance(0.1) ? 0 : r.oneOf(std::array<std::int32_t, 4>{4, 4, 3, 5});
  const std::int32_t trim = r.oneOf(std::array<std::int32_t, 5>{10, 10, 0, 15, 20});
  p.TrimLeft = p.TrimRight = p.TrimTop = p.TrimBottom = trim;
  const std::int32_t usableL = p.SheetLength - 2 * trim;
  const std::int32_t usableW = p.SheetWidth - 2 * trim;

  const int kinds = r.chance(0.2) ? r.pick(40, 80) : r.pick(3, 30);
  double area = 0;
  for (int i = 0; i < kinds; ++i) {
    in.Parts.push_back(cabinetPart(r, i, usableL, usableW));
    area += double(in.Parts.back().Length) * in.Parts.back().Width * in.Parts.back().Many;
  }
  const double sheetsOfParts = area / (double(usableL) * usableW);

  p.Optimization = static_cast<Criterion>(r.pick(0, 2));
  p.Search = r.chance(0.5) ? SearchMode::Full : SearchMode::Quick;
  p.Variants = r.oneOf(std::array<std::int32_t, 5>{0, 0, 10, 50, 100});
  p.Rule = r.chance(0.5) ? SelectionRule::RegionFirst : SelectionRule::PartFirst;
  p.OneSize = r.chance(0.2);
  job.tags.push_back(p.Search == SearchMode::Full ? "base full" : "base quick");
  job.tags.push_back(std::array<const char*, 3>{"criterion offcut area", "criterion offcut length",
                                                "criterion cut length"}[static_cast<int>(p.Optimization)]);
  if (p.Kerf == 0) job.tags.push_back("kerf 0");

  if (r.chance(0.35)) {
    p.UseOffcuts = true;
    const int offcuts = r.pick(1, 5);
    for (int i = 0; i < offcuts; ++i) {
      OffcutRow o;
      o.Name = "О-" + std::to_string(r.pick(100, 999));
      o.Length = r.pick(300, std::min<std::int32_t>(2000, p.SheetLength)) / 10 * 10;
      o.Width = r.pick(150, std::min<std::int32_t>(1200, p.SheetWidth)) / 10 * 10;
      o.Many = r.pick(1, 2);
      in.Offcuts.push_back(o);
    }
    job.tags.push_back("offcuts");
  }
  if (r.chance(0.4)) {
    p.StockControl = true;
    const int kind = r.pick(0, 3);
    const double share = std::array<double, 4>{0.0, 0.5, 1.0, 2.0}[static_cast<std::size_t>(kind)];
    in.StockCount = static_cast<std::int32_t>(sheetsOfParts * share) + (kind >= 2 ? 1 : 0);
    job.tags.push_back(kind == 0 ? "stock none" : kind == 1 ? "stock too few" : "stock enough");
  }
  const int limit = r.pick(0, 19);
  if (limit < 2) {
    p.MaxCutLength = std::max(usableL, usableW) + r.pick(0, 300);
    job.tags.push_back("machine: max cut length");
  } else if (limit < 3) {
    p.MultiSaw = true;
    job.tags.push_back("machine: multi-saw");
  }
  p.Improved = true;
  p.Effort = r.oneOf(std::array<std::int32_t, 5>{1, 2, 3, 5, 5});
  p.Threads = 1;
  p.MaxStages = r.oneOf(std::array<std::int32_t, 5>{0, 0, 2, 3, 4});
  if (p.MaxStages != 0) {
    p.FirstStage = static_cast<FirstStageCuts>(r.pick(0, 2));
    job.tags.push_back("stages " + std::to_string(p.MaxStages));
  }
  job.tags.push_back("effort " + std::to_string(p.Effort));
  return job;
}

struct Laid {
  bool refused = false;
  ShopMeasure measure;
  SearchUsed search = SearchUsed::Quick;
  std::string faults;
  // Base search only: whether its maps keep to the stage limit of the job
  // (the base search knows no such limit; maps that break it are no
  // layout the improved search may give back).
  bool withinStages = true;
  double seconds = 0;
};

Laid layOut(const MaterialInput& in, const MaterialInput& job) {
  Laid out;
  auto ctx = std::make_unique<EngineContext>();
  if (LoadMaterial(*ctx, in)) {
    out.refused = true;
    return out;
  }
  const auto start = std::chrono::steady_clock::now();
  const MaterialOutcome outcome = RunMaterial(*ctx, {});
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out.search = outcome.Search;
  std::vector<LayoutPtr> maps;
  for (int i = 0; i < ctx->Results.Count(); ++i) maps.push_back(ctx->Results.Items(i));
  out.measure = MeasureMaps(maps);
  out.faults = test::faultsOf(in, *ctx);
  if (&in != &job) out.withinStages = test::faultsOf(job, *ctx).empty();
  if (outcome.End == MaterialEnd::Failed) out.faults += "failed: " + outcome.Failure + "\n";
  return out;
}

// The shop's order without the cut length: copies, standard sheets, the
// criterion, the number of cuts.
int compareForShop(const ShopMeasure& a, const ShopMeasure& b, Criterion criterion) {
  ShopMeasure x = a, y = b;
  x.cutLength = y.cutLength = 0;
  if (criterion == Criterion::CutLength) {
    x.cutLength = a.cutLength;
    y.cutLength = b.cutLength;
  }
  return CompareForShop(x, y, criterion);
}

struct Counts {
  int better = 0, equal = 0, worse = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int jobs = argc > 1 ? std::atoi(argv[1]) : 480;
  const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20261210u);
  const int threads = std::max(1, argc > 3 ? std::atoi(argv[3]) : 2);

  std::mutex lock;
  std::map<std::string, Counts> byTag;
  Counts all;
  int refused = 0, beyondStages = 0, faulty = 0, byImproved = 0, sheetsSaved = 0;
  double improvedSeconds = 0, baseSeconds = 0;
  std::vector<std::string> reports;
  std::atomic<int> next{0};
  const auto start = std::chrono::steady_clock::now();

  auto worker = [&] {
    for (int n = next++; n < jobs; n = next++) {
      const Job job = makeJob(n, seed);
      MaterialInput base = job.input;
      base.Params.Improved = false;
      const Laid b = layOut(base, job.input);
      const Laid i = layOut(job.input, job.input);
      const std::lock_guard<std::mutex> guard(lock);
      if (b.refused || i.refused) {
        ++refused;
        continue;
      }
      improvedSeconds += i.seconds;
      baseSeconds += b.seconds;
      if (!b.faults.empty() || !i.faults.empty()) {
        ++faulty;
        reports.push_back("job " + std::to_string(n) + " faults:\n" + b.faults + i.faults);
      }
      if (!b.withinStages) {
        // Nothing to compare with: the improved search kept to the limit
        // where the base search did not.
        ++beyondStages;
        continue;
      }
      const int c = compareForShop(i.measure, b.measure, job.input.Params.Optimization);
      (c < 0 ? all.better : c > 0 ? all.worse : all.equal)++;
      for (const std::string& tag : job.tags) {
        Counts& k = byTag[tag];
        (c < 0 ? k.better : c > 0 ? k.worse : k.equal)++;
      }
      if (i.search == SearchUsed::Improved) ++byImproved;
      if (i.measure.copies == b.measure.copies)
        sheetsSaved += static_cast<int>(b.measure.standardSheets - i.measure.standardSheets);
      if (c > 0) {
        std::ostringstream s;
        s << "job " << n << " worse: copies " << i.measure.copies << " / " << b.measure.copies << ", sheets "
          << i.measure.standardSheets << " / " << b.measure.standardSheets << ", cuts " << i.measure.cutCount << " / "
          << b.measure.cutCount;
        reports.push_back(s.str());
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("%d generated jobs (seed %u), %d laid out, %d refused by both searches\n", jobs, seed, jobs - refused,
              refused);
  std::printf("jobs whose base search breaks the stage limit (not compared): %d\n", beyondStages);
  std::printf("improved against its base search: %d better, %d equal, %d worse\n", all.better, all.equal, all.worse);
  std::printf("maps made by the improved search in %d jobs; standard sheets saved at equal copies: %d\n", byImproved,
              sheetsSaved);
  std::printf("maps failing the validator: %d jobs\n", faulty);
  std::printf("time: improved %.1f s, base %.1f s (sum of the runs), %.1f s wall on %d threads\n\n", improvedSeconds,
              baseSeconds, wall, threads);
  std::printf("| options | jobs | better | equal | worse |\n|---|---|---|---|---|\n");
  for (const auto& [tag, k] : byTag)
    std::printf("| %s | %d | %d | %d | %d |\n", tag.c_str(), k.better + k.equal + k.worse, k.better, k.equal, k.worse);
  for (const std::string& r : reports) std::printf("%s\n", r.c_str());
  return all.worse == 0 && faulty == 0 ? 0 : 1;
}
