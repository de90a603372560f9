// libFuzzer target for the job reader of kroyna-cut: any bytes must either
// parse or be refused with a JobError of one line; a job that parses must
// write back to text that parses to the same job. A small job that parses is
// also laid out by the improved search at effort 1, which must account for
// every copy. Build with clang and -DKROYNA_FUZZ=ON (target cut_job_fuzz).
#include "CutJob.h"

#include "engine/MaterialRun.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kroyna::cut;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CutJob job;
  try {
    job = parseJob(bytes);
  } catch (const JobError& e) {
    if (std::string_view(e.what()).find_first_of("\r\n") != std::string_view::npos) std::abort();
    return 0;
  }
  const std::string once = serializeJob(job);
  CutJob again;
  try {
    again = parseJob(once);
  } catch (const JobError&) {
    std::abort();
  }
  if (serializeJob(again) != once) std::abort();

  // Lay out jobs small enough to take a moment.
  std::int64_t copies = 0;
  for (const auto& p : job.Parts) copies += p.Many > 0 ? p.Many : 0;
  if (copies > 300 || job.Offcuts.size() > 20 || job.Parts.size() > 40) return 0;
  job.Params.Improved = true;
  job.Params.Effort = 1;
  job.Params.Threads = 1;
  job.Params.Variants = job.Params.Variants > 3 ? 3 : job.Params.Variants;
  kroyna::engine::EngineContext ctx;
  if (kroyna::engine::LoadMaterial(ctx, job)) return 0;
  ctx.Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  kroyna::engine::RunMaterial(ctx, {});
  std::int64_t placed = 0, left = 0;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const auto& map = *ctx.Results.Items(i);
    if (map.Quantity < 1 || map.Placements.Count() == 0) std::abort();
    placed += static_cast<std::int64_t>(map.Quantity) * map.Placements.Count();
  }
  for (int i = 0; i < ctx.Parts.Count(); ++i) {
    if (ctx.Parts[i].Remaining < 0) std::abort();
    left += ctx.Parts[i].Remaining;
  }
  if (placed + left != copies) std::abort();
  if (job.Params.StockControl && ctx.StockCount < 0) std::abort();
  return 0;
}
