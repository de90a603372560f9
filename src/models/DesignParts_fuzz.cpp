// libFuzzer target for the reader of design-module parts files (.dkm): any
// bytes either read or throw DesignFileError; no name read holds a line
// break or a zero byte, so every name is one a parts database can show.
// Built as target dkm_fuzz with -DKROYNA_FUZZ=ON and clang.
// Seeds: tests/data/imports/Wardrobe.dkm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "models/DesignFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::models;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    for (const DesignPart& p : readDesignParts(bytes, 2, "input.dkm"))
      if (p.row.name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
  } catch (const DesignFileError&) {
  }
  return 0;
}
