// libFuzzer target for the reader of model list files (.krm): any bytes
// either read or throw DesignFileError, never more than
// kMaxModelListEntries entries; the entries read write a file that reads
// back to the same entries (names with a byte that code page 1251 has no
// character for aside). Built as target krm_fuzz with -DKROYNA_FUZZ=ON
// and clang.
// Seeds: tests/data/imports/Order.krm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "models/DesignFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::models;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<ModelListEntry> entries;
  try {
    entries = readModelList(bytes, "input.krm");
  } catch (const DesignFileError&) {
    return 0;
  }
  if (entries.size() > static_cast<std::size_t>(kMaxModelListEntries)) std::abort();
  std::vector<ModelListEntry> back;
  try {
    back = readModelList(writeModelList(entries), "output.krm");
  } catch (const DesignFileError&) {
    std::abort();  // what was written must read
  }
  // A byte code page 1251 has no character for reads as U+FFFD, which is
  // written back as '?'; every other name comes back as it was.
  if (back.size() != entries.size()) std::abort();
  for (std::size_t i = 0; i < back.size(); ++i)
    if (back[i].count != entries[i].count ||
        (entries[i].name.find("\xEF\xBF\xBD") == std::string::npos && back[i].name != entries[i].name))
      std::abort();
  return 0;
}
