// libFuzzer target for the parser of version 1.x parts lists: the first
// line of any bytes either parses or throws ImportError; a name never holds
// a double quote. Built as target old_parts_fuzz with -DKROYNA_FUZZ=ON and
// clang.
// Seeds: tests/data/imports/Shelves.de1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "parts/PartsTextFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::parts;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    for (const Version1Part& p : parseVersion1List(firstLine(bytes)))
      if (p.name.find('"') != std::string::npos) std::abort();
  } catch (const ImportError&) {
  }
  return 0;
}
