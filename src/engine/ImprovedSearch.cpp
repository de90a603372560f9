#include "engine/ImprovedSearch.h"

#include "engine/ImprovedPacking.h"
#include "engine/SheetLayout.h"
#include "engine/VariantSearch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>

namespace kroyna::engine {

namespace {

using improved::GuillotineBin;
using improved::NodeKind;
using improved::PackProblem;
using improved::PackResult;
using improved::PackSheet;
using improved::TreeNode;

// The work budget decides when a search ends; this wall time is only a
// safety stop, for each search and for the base search beside them, so
// that no job keeps a run going for hours. A search it ends says so.
std::chrono::seconds safetyCap(int effort) { return std::chrono::seconds(10 + 2 * std::clamp(effort, 1, 10)); }

int threadsFor(const CuttingParameters& p) {
  const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  return p.Threads > 0 ? std::min(p.Threads, hardware) : hardware;
}

PackSheet sheetOf(const TSheet& r) { return PackSheet{r.X, r.Y, r.Length, r.Width}; }

// The copies left as items of the packing problem (kerf-enlarged), the
// offered offcuts (first pass) and the standard sheet.
PackProblem problemOf(const EngineContext& ctx, const std::vector<TSheet>& offcuts) {
  const CuttingParameters& p = ctx.Params;
  PackProblem problem;
  problem.oneForAll.assign(static_cast<std::size_t>(ctx.Parts.Count()), false);
  for (int i = 0; i < ctx.Parts.Count(); ++i) {
    const TDetal& d = ctx.Parts[i];
    improved::PackItem item;
    item.w = d.Length + p.Kerf;
    item.h = d.Width + p.Kerf;
    item.kind = i;
    switch (d.Rotate) {
      case RotateNever: item.allowed = improved::AllowAsGiven; break;
      case RotateOneForAll:
        problem.oneForAll[static_cast<std::size_t>(i)] = true;
        if (d.Orientation == OrientationAsGiven) item.allowed = improved::AllowAsGiven;
        if (d.Orientation == OrientationTurned) item.allowed = improved::AllowTurned;
        break;
      default: break;
    }
    for (std::int32_t c = 0; c < d.Remaining; ++c) problem.items.push_back(item);
  }
  for (std::size_t i = 0; i < offcuts.size(); ++i)
    problem.offcuts.push_back(sheetOf(ctx.OffcutRegion(offcuts[i], static_cast<std::int32_t>(i))));
  problem.standard = sheetOf(ctx.StandardSheetRegion(0));
  problem.maxStandard = p.StockControl ? std::max(0, ctx.StockCount) : -1;
  problem.maxStages = p.MaxStages > 0 ? p.MaxStages : 0;
  // First-stage cuts along X cut the sheet into slices that follow one
  // another along Y.
  problem.rootAlongX = p.FirstStage == FirstStageCuts::AlongX ? 0 : p.FirstStage == FirstStageCuts::AlongY ? 1 : -1;
  return problem;
}

// A sheet of the packing as a layout in search coordinates: the copies, the
// free rectangles and the cuts between the slices of every split (each
// across its whole split). Standard sheets also get the cuts along the far
// trims where copies reach them.
LayoutPtr layoutOf(const GuillotineBin& tree, const PackProblem& problem, std::int32_t sheetIndex, bool isScrap,
                   const CuttingParameters& params) {
  auto map = std::make_shared<TSheetsList>();
  const TreeNode& root = tree.node(tree.root());
  bool touchesRight = false, touchesBottom = false;
  for (std::int32_t leaf : tree.itemLeaves()) {
    const TreeNode& n = tree.node(leaf);
    const improved::PackItem& item = problem.items[static_cast<std::size_t>(n.item)];
    map->Placements.AddPlacement(item.kind, sheetIndex, {n.x, n.y}, improved::IsTurned(item, n));
    touchesRight = touchesRight || n.x + n.w == root.x + root.w;
    touchesBottom = touchesBottom || n.y + n.h == root.y + root.h;
  }
  for (const TreeNode& n : tree.nodes()) {
    if (n.kind != NodeKind::Free || n.w <= 0 || n.h <= 0) continue;
    map->AddRegion("", n.x, n.y, n.w, n.h, sheetIndex).IsScrap = isScrap;
  }
  std::vector<std::int32_t> stack{tree.root()};
  while (!stack.empty()) {
    const TreeNode& n = tree.node(stack.back());
    stack.pop_back();
    if (n.kind != NodeKind::Split) continue;
    std::vector<std::int32_t> children;
    for (std::int32_t c = n.first; c >= 0; c = tree.node(c).next) children.push_back(c);
    for (std::size_t i = 0; i < children.size(); ++i) {
      const TreeNode& c = tree.node(children[i]);
      if (i + 1 < children.size()) {
        if (n.alongX)
          map->MillLines.AddCut(c.x + c.w, n.y, sheetIndex, false, n.h);
        else
          map->MillLines.AddCut(n.x, c.y + c.h, sheetIndex, true, n.w);
      }
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
  }
  if (!isScrap) {
    if (touchesRight && params.TrimRight > 0) map->MillLines.AddCut(root.x + root.w, root.y, sheetIndex, false, root.h);
    if (touchesBottom && params.TrimBottom > 0)
      map->MillLines.AddCut(root.x, root.y + root.h, sheetIndex, true, root.w);
  }
  return map;
}

// Turns a layout into a finished map the way the passes do: free
// rectangles by area, placements by part, and the finishing of a standard
// sheet.
void finishMap(TSheetsList& map, const CuttingParameters& params) {
  map.Variant = 0;
  map.SortByArea();
  map.Placements.SortByDetal();
  if (!map.IsScrap) FinishStandardSheet(map, params);
}

}  // namespace

ShopMeasure MeasureMaps(const std::vector<LayoutPtr>& maps) {
  ShopMeasure m;
  for (const LayoutPtr& map : maps) {
    const std::int64_t q = std::max(1, map->Quantity);
    m.copies += q * map->Placements.Count();
    if (!map->IsScrap) m.standardSheets += q;
    for (const TSheet& r : map->Regions) {
      if (r.IsEmpty()) continue;
      for (std::int64_t i = 0; i < q; ++i) m.regionAreas.push_back(static_cast<std::int64_t>(r.Length) * r.Width);
      if (r.Length > m.longest) {
        m.longest = r.Length;
        m.longestArea = 0;
      }
      if (r.Length == m.longest) m.longestArea = std::max(m.longestArea, static_cast<std::int64_t>(r.Length) * r.Width);
    }
    m.cutLength += q * map->MillLength();
    m.cutCount += q * map->MillCount();
  }
  std::sort(m.regionAreas.rbegin(), m.regionAreas.rend());
  return m;
}

namespace {

// -1 when a is better by the criterion, 1 when b is, 0 when they tie.
int byCriterion(const ShopMeasure& a, const ShopMeasure& b, Criterion criterion) {
  switch (criterion) {
    case Criterion::OffcutArea: {
      const std::size_t n = std::min(a.regionAreas.size(), b.regionAreas.size());
      for (std::size_t i = 0; i < n; ++i) {
        if (a.regionAreas[i] != b.regionAreas[i]) return a.regionAreas[i] > b.regionAreas[i] ? -1 : 1;
      }
      return 0;
    }
    case Criterion::OffcutLength:
      if (a.longest != b.longest) return a.longest > b.longest ? -1 : 1;
      if (a.longestArea != b.longestArea) return a.longestArea > b.longestArea ? -1 : 1;
      return 0;
    case Criterion::CutLength:
      if (a.cutLength != b.cutLength) return a.cutLength < b.cutLength ? -1 : 1;
      return 0;
  }
  return 0;
}

// The copies of one sheet (part indices, one per copy) laid out again on
// that sheet alone by the variant search of the material's options, the
// way a pass lays out a sheet; nothing when no variant holds them all. The
// maps that search makes are cut in fewer, longer cuts than the improved
// search's patterns, which often suits the sawyer better.
LayoutPtr relayout(const EngineContext& ctx, const std::vector<std::int32_t>& copies,
                   const std::vector<std::uint8_t>& orientation, const TSheet& region) {
  // The search scans every free rectangle for every copy it places, variant
  // after variant: sheets of very many small copies are left as they are.
  const std::int64_t n = static_cast<std::int64_t>(copies.size());
  constexpr std::int64_t kWork = 4'000'000;
  if (n == 0 || n * n > kWork) return nullptr;
  const std::int32_t variants =
      static_cast<std::int32_t>(std::min<std::int64_t>(8 * std::clamp(ctx.Params.Effort, 1, 10), kWork / (n * n)));

  EngineContext sub;
  sub.Params = ctx.Params;
  sub.Params.StockControl = false;
  sub.Params.Variants = variants - 1;
  std::map<std::int32_t, std::int32_t> count;
  for (std::int32_t kind : copies) ++count[kind];
  for (const auto& [kind, many] : count) {
    const TDetal& d = ctx.Parts[kind];
    TDetal& part = sub.Parts.AddDetal(d.Name, d.Length, d.Width, many, d.Rotate);
    part.Row = kind;
    if (d.Rotate == RotateOneForAll) {
      const std::uint8_t taken = static_cast<std::size_t>(kind) < orientation.size()
                                     ? orientation[static_cast<std::size_t>(kind)]
                                     : std::uint8_t{OrientationNone};
      part.Orientation = taken != OrientationNone ? taken : d.Orientation;
    }
  }
  sub.Parts.SortBySize();
  TSheet start = region;
  start.SheetIndex = 0;
  sub.InitialRegions.assign(1, start);
  sub.PassNumber = 1;
  sub.Parts.ApplyKerf(true, sub.Params.Kerf);
  BuildVariants(sub, false);
  if (!sub.Current || sub.Current->Placements.Count() != n) return nullptr;

  auto map = std::make_shared<TSheetsList>();
  map->Regions = sub.Current->Regions;
  for (TSheet& r : map->Regions) r.SheetIndex = region.SheetIndex;
  for (const TDetalHandle& p : sub.Current->Placements.All())
    map->Placements.AddPlacement(sub.Parts[p.DetalIndex].Row, region.SheetIndex, {p.X, p.Y}, p.Rotated);
  for (const TMillLine& c : sub.Current->MillLines.All())
    map->MillLines.AddCut(c.X, c.Y, region.SheetIndex, c.Orient, c.Length);
  return map;
}

// The maps of a packing: identical sheets (same offcut or the standard
// sheet, same copies) become one map with a quantity, and the maps come
// offcuts first in stock order, then standard sheets fullest first. With
// `reshape` each sheet is laid out again by other greedy orders and by the
// variant search, and the layout best by the criterion, then by the number
// of cuts, then by their length, is kept.
std::vector<LayoutPtr> mapsOf(const EngineContext& ctx, const PackProblem& problem, const PackResult& result,
                              const std::vector<TSheet>& offcuts, bool reshape) {
  const CuttingParameters& params = ctx.Params;
  struct Group {
    std::int32_t offcut = -1;
    std::vector<std::int32_t> kinds;
    std::vector<std::int32_t> items;
    const GuillotineBin* tree = nullptr;
    std::int32_t quantity = 0;
    std::int64_t used = 0;
    std::size_t order = 0;
  };
  std::vector<Group> groups;
  std::map<std::tuple<std::string, std::int32_t, std::int32_t, bool, std::vector<std::int32_t>>, std::size_t> index;
  for (const improved::PackedBin& bin : result.bins) {
    Group g;
    g.offcut = bin.offcut;
    g.tree = &bin.tree;
    for (std::int32_t leaf : bin.tree.itemLeaves()) {
      const std::int32_t item = bin.tree.node(leaf).item;
      g.items.push_back(item);
      g.kinds.push_back(problem.items[static_cast<std::size_t>(item)].kind);
    }
    std::sort(g.kinds.begin(), g.kinds.end());
    const bool scrap = bin.offcut >= 0;
    const TSheet* entry = scrap ? &offcuts[static_cast<std::size_t>(bin.offcut)] : nullptr;
    auto key = std::make_tuple(scrap ? entry->Name : std::string(), scrap ? entry->Length : 0, scrap ? entry->Width : 0,
                               scrap, g.kinds);
    auto [it, added] = index.emplace(std::move(key), groups.size());
    if (added) {
      g.quantity = 1;
      g.used = bin.tree.usedArea();
      g.order = groups.size();
      groups.push_back(std::move(g));
    } else {
      ++groups[it->second].quantity;
    }
  }
  std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
    const bool sa = a.offcut >= 0, sb = b.offcut >= 0;
    if (sa != sb) return sa;
    if (sa) return a.order < b.order;
    if (a.used != b.used) return a.used > b.used;
    if (a.kinds != b.kinds) return a.kinds < b.kinds;
    return a.order < b.order;
  });

  const improved::SheetReshaper reshaper(problem);
  const std::int32_t standardIndex = static_cast<std::int32_t>(offcuts.size());
  std::vector<LayoutPtr> maps;
  for (const Group& g : groups) {
    const bool scrap = g.offcut >= 0;
    const std::int32_t sheetIndex = scrap ? g.offcut : standardIndex;
    const PackSheet sheet = scrap ? problem.offcuts[static_cast<std::size_t>(g.offcut)] : problem.standard;
    auto finished = [&](const GuillotineBin& tree) {
      LayoutPtr map = layoutOf(tree, problem, sheetIndex, scrap, params);
      map->IsScrap = scrap;
      map->Name = scrap ? offcuts[static_cast<std::size_t>(g.offcut)].Name : std::string();
      map->SheetLength = scrap ? offcuts[static_cast<std::size_t>(g.offcut)].Length : params.SheetLength;
      map->SheetWidth = scrap ? offcuts[static_cast<std::size_t>(g.offcut)].Width : params.SheetWidth;
      map->Quantity = g.quantity;
      finishMap(*map, params);
      return map;
    };
    LayoutPtr best = finished(*g.tree);
    ShopMeasure bestMeasure = MeasureMaps({best});
    auto consider = [&](const LayoutPtr& candidate) {
      const ShopMeasure m = MeasureMaps({candidate});
      if (CompareForShop(m, bestMeasure, params.Optimization) < 0) {
        best = candidate;
        bestMeasure = m;
      }
    };
    for (int v = 0; reshape && v < improved::SheetReshaper::variants(); ++v) {
      GuillotineBin tree;
      if (reshaper.pack(g.items, result.orientation, sheet, v, tree)) consider(finished(tree));
    }
    if (reshape) {
      const TSheet region = scrap ? ctx.OffcutRegion(offcuts[static_cast<std::size_t>(g.offcut)], sheetIndex)
                                  : ctx.StandardSheetRegion(sheetIndex);
      LayoutPtr relaid = relayout(ctx, g.kinds, result.orientation, region);
      if (relaid && params.MaxStages > 0 &&
          !WithinStages(*relaid, ctx.Parts, params.Kerf, region, params.MaxStages, params.FirstStage))
        relaid = nullptr;
      if (relaid) {
        relaid->IsScrap = scrap;
        relaid->Name = best->Name;
        relaid->SheetLength = best->SheetLength;
        relaid->SheetWidth = best->SheetWidth;
        relaid->Quantity = g.quantity;
        finishMap(*relaid, params);
        consider(relaid);
      }
    }
    maps.push_back(best);
  }
  return maps;
}

// Whether every map keeps to the material's stage limit.
bool withinStages(const EngineContext& ctx, const std::vector<LayoutPtr>& maps, const TDetalsList& parts) {
  const CuttingParameters& p = ctx.Params;
  if (p.MaxStages <= 0) return true;
  for (const LayoutPtr& map : maps) {
    TSheet sheet;
    sheet.Length = map->SheetLength;
    sheet.Width = map->SheetWidth;
    sheet.Name = map->Name;
    const TSheet usable = map->IsScrap ? ctx.OffcutRegion(sheet, 0) : ctx.StandardSheetRegion(0);
    if (!WithinStages(*map, parts, p.Kerf, usable, p.MaxStages, p.FirstStage)) return false;
  }
  return true;
}

// The quick or full search on a copy of the context, as a run goes without
// anyone to ask: passes until every copy is placed, standard sheets run
// out, a pass places nothing or the search is stopped.
void runDocumentSearch(EngineContext& doc, bool firstPass, std::vector<std::int32_t>& passes, PassState& lastMapState) {
  auto record = [&](int first) {
    for (int i = first; i < doc.Results.Count(); ++i) passes.push_back(doc.PassNumber);
    if (doc.Results.Count() > first) lastMapState = doc.State;
  };
  if (firstPass) {
    FirstPass(doc);
    record(0);
    if (doc.PlacedNothing && doc.State != PassState::NoSheetLeft) return;
  }
  for (;;) {
    if (doc.Parts.AllPlaced() || doc.Abort || doc.State == PassState::NoSheetLeft) return;
    const int first = doc.Results.Count();
    LaterPass(doc);
    if (doc.PlacedNothing) return;
    record(first);
  }
}

}  // namespace

int CompareForShop(const ShopMeasure& a, const ShopMeasure& b, Criterion criterion) {
  if (a.copies != b.copies) return a.copies > b.copies ? -1 : 1;
  if (a.standardSheets != b.standardSheets) return a.standardSheets < b.standardSheets ? -1 : 1;
  if (const int c = byCriterion(a, b, criterion)) return c;
  if (a.cutCount != b.cutCount) return a.cutCount < b.cutCount ? -1 : 1;
  if (a.cutLength != b.cutLength) return a.cutLength < b.cutLength ? -1 : 1;
  return 0;
}

ImprovedFallback ImprovedFallbackFor(const EngineContext& ctx) {
  if (ctx.Params.MultiSaw || ctx.Params.MaxCutLength != 0) return ImprovedFallback::MachineLimit;
  const std::int64_t copies = ctx.Parts.RemainingTotal();
  if (copies > kImprovedMaxCopies) return ImprovedFallback::TooManyCopies;
  if (copies + ctx.Stock.RegionCount() > kImprovedMaxCopies) return ImprovedFallback::TooManyOffcuts;
  return ImprovedFallback::None;
}

SearchUsed DocumentSearchOf(const CuttingParameters& params) {
  return params.Search == SearchMode::Full ? SearchUsed::Full : SearchUsed::Quick;
}

PassState ImprovedPass(EngineContext& ctx, bool firstPass, ImprovedPassInfo& info) {
  CuttingParameters& params = ctx.Params;
  info = ImprovedPassInfo{};
  ctx.State = PassState::Normal;
  ctx.PlacedNothing = false;
  // Offcuts offered from stock stay open to the search when no standard
  // sheet is left.
  const bool noStandard = params.StockControl && ctx.StockCount <= 0;
  if (noStandard && !(firstPass && ctx.Stock.RegionCount() > 0)) {
    ctx.State = PassState::NoSheetLeft;
    ctx.PlacedNothing = true;
    return ctx.State;
  }
  if (!firstPass && ctx.Parts.AllPlaced()) {
    ctx.State = PassState::AllPlaced;
    return ctx.State;
  }
  // Part indices of the maps follow the size order, as in the other
  // searches (a sorted list stays as it is).
  ctx.Parts.SortBySize();

  // The offcuts offered, larger first, as the first pass orders them.
  std::vector<TSheet> offcuts;
  if (firstPass) {
    TSheetsList stock = ctx.Stock;
    stock.SortBySize();
    offcuts = stock.Regions;
  }
  const PackProblem problem = problemOf(ctx, offcuts);

  // The search it is compared with, on a copy of the context.
  EngineContext doc = ctx;
  doc.Results = TVariantsList();
  doc.Progress = nullptr;
  doc.Abort = false;
  std::atomic<bool> stop{false};
  doc.ProcessEvents = [&doc, &stop] {
    if (stop.load(std::memory_order_relaxed)) doc.Abort = true;
  };
  std::vector<std::int32_t> docPasses;
  PassState docState = PassState::Normal;

  std::atomic<std::int64_t> done{0};
  improved::PackOptions options;
  options.effort = std::clamp(params.Effort, 1, 10);
  options.threads = threadsFor(params);
  options.stop = &stop;
  options.done = &done;
  options.searchCap = safetyCap(options.effort);
  options.sideJob = [&] {
    const auto cap = std::chrono::steady_clock::now() + options.searchCap;
    if (!doc.Deadline || *doc.Deadline > cap) doc.Deadline = cap;
    runDocumentSearch(doc, firstPass, docPasses, docState);
  };

  // The search runs on worker threads; this thread reports progress and
  // lets the caller process its events until it is over.
  std::mutex m;
  std::condition_variable cv;
  bool over = false;
  PackResult result;
  const std::int64_t total = improved::WorkBudget(options.effort);
  if (ctx.Progress) ctx.Progress(0, total);
  // A failure on any thread (a worker, the base search, or the caller's
  // hooks here) stops the work and is thrown again once every thread is
  // over, so that the caller can report a failed layout and go on.
  std::exception_ptr failure;
  {
    std::jthread runner([&] {
      std::exception_ptr thrown;
      try {
        result = improved::Pack(problem, options);
      } catch (...) {
        thrown = std::current_exception();
      }
      std::lock_guard lock(m);
      if (thrown && !failure) failure = thrown;
      over = true;
      cv.notify_all();
    });
    std::unique_lock lock(m);
    while (!over) {
      cv.wait_for(lock, std::chrono::milliseconds(20));
      if (over) break;
      lock.unlock();
      try {
        if (ctx.Progress) ctx.Progress(std::min(done.load(), total), total);
        if (ctx.ProcessEvents) ctx.ProcessEvents();
        if (ctx.CheckDeadline()) stop.store(true);
      } catch (...) {
        stop.store(true);
        lock.lock();
        if (!failure) failure = std::current_exception();
        continue;
      }
      lock.lock();
    }
  }
  if (failure) std::rethrow_exception(failure);
  if (ctx.Progress) ctx.Progress(total, total);
  // A time limit that passed while the last work was ending, or that cut
  // short the search it is compared with, counts as well.
  ctx.CheckDeadline();
  info.Stopped = result.stopped || stop.load() || doc.Abort || ctx.Abort;
  info.LowerBound = result.lowerBound;

  std::vector<LayoutPtr> mine = mapsOf(ctx, problem, result, offcuts, !info.Stopped);
  std::vector<LayoutPtr> theirs;
  for (int i = 0; i < doc.Results.Count(); ++i) theirs.push_back(doc.Results.Items(i));

  // The base search's maps are kept when they are better for the shop
  // (ties keep the improved search's), and keep to the stage limit.
  if (CompareForShop(MeasureMaps(theirs), MeasureMaps(mine), params.Optimization) < 0 &&
      withinStages(ctx, theirs, doc.Parts)) {
    // The quick or full search did better: its maps and state are kept.
    const TVariantsList results = ctx.Results;
    const auto progress = ctx.Progress;
    const auto events = ctx.ProcessEvents;
    const bool abort = ctx.Abort;
    ctx = doc;
    ctx.Progress = progress;
    ctx.ProcessEvents = events;
    ctx.Abort = abort;
    ctx.Results = results;
    for (const LayoutPtr& map : theirs) ctx.Results.AddVariant(map, map->Variant, ctx.Parts, params.Optimization);
    ctx.State = theirs.empty() ? doc.State : docState;
    ctx.PlacedNothing = theirs.empty();
    info.MapPasses = docPasses;
    return ctx.State;
  }

  info.UsedImproved = true;
  ctx.PassNumber = firstPass ? 1 : ctx.PassNumber + 1;
  std::int32_t standardUsed = 0;
  for (const LayoutPtr& map : mine) {
    for (std::int32_t q = 0; q < map->Quantity; ++q) {
      for (const TDetalHandle& p : map->Placements.All()) {
        if (TDetal* d = ctx.Parts.Items(p.DetalIndex)) {
          --d->Remaining;
          d->Pending = d->Remaining;
          d->Pass = ctx.PassNumber;
        }
      }
    }
    if (!map->IsScrap) standardUsed += map->Quantity;
    ctx.Results.AddVariant(map, map->Variant, ctx.Parts, params.Optimization);
    ctx.Parts.FixOrientations(*map);
    info.MapPasses.push_back(ctx.PassNumber);
  }
  if (params.StockControl) ctx.StockCount -= standardUsed;
  ctx.Current = mine.empty() ? nullptr : mine.back();
  ctx.PlacedNothing = mine.empty();
  ctx.State = PassState::Normal;
  if (params.StockControl && ctx.StockCount <= 0)
    ctx.State = standardUsed > 0        ? PassState::SheetsUsedUp
                : ctx.Parts.AllPlaced() ? PassState::Normal
                                        : PassState::NoSheetLeft;
  return ctx.State;
}

}  // namespace kroyna::engine
