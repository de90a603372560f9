// libFuzzer target for the reader of tab-separated parts lists: any bytes
// read without crashing, one row a line up to the first line that cannot
// be taken, every row within the limits of a part; the rows read write a
// file that reads back to the same rows. Built as target tab_import_fuzz
// with -DKROYNA_FUZZ=ON and clang.
// Seeds: tests/data/imports/Awkward.txt.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "parts/PartsTextFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::parts;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TabDefaults defaults{1, 10, 3};
  const TabFile file = readTabSeparated(bytes, defaults, "input.txt");
  std::size_t lines = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++lines;
  if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') ++lines;
  if (file.error.empty() ? file.rows.size() != lines : file.rows.size() >= lines) std::abort();
  for (const PartRow& r : file.rows) {
    for (int v : {r.length, r.width, r.quantity})
      if (v < 0 || v > kMaxNumber) std::abort();
    if (r.rotation < 0 || r.rotation > kMaxRotation) std::abort();
    for (int e : {r.left, r.right, r.top, r.bottom})
      if (e != 0 && e != defaults.edge) std::abort();
    if (r.material != defaults.material) std::abort();
  }
  // A byte code page 1251 has no character for reads as U+FFFD, which
  // cannot be written back; other rows must come back as they were.
  const TabFile back = readTabSeparated(writeTabSeparated(file.rows), defaults, "output.txt");
  if (!back.error.empty() || back.rows.size() != file.rows.size()) std::abort();
  for (std::size_t i = 0; i < back.rows.size(); ++i)
    if (file.rows[i].name.find("\xEF\xBF\xBD") == std::string::npos && !(back.rows[i] == file.rows[i])) std::abort();
  return 0;
}
