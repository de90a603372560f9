// libFuzzer target for the job reader of kroyna-cut: any bytes must either
// parse or be refused with a JobError of one line; a job that parses must
// write back to text that parses to the same job. Build with clang and
// -DKROYNA_FUZZ=ON (target cut_job_fuzz).
#include "CutJob.h"

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
  return 0;
}
