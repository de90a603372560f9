// libFuzzer target for the maps-file reader (binary and old INI-style
// forms): any bytes either read or throw MapFileError, and whatever reads
// and fits the binary fields writes bytes that read back and write again to
// the same bytes; the INI export takes it too. Built as target mapfile_fuzz
// with -DKROYNA_FUZZ=ON and clang (it needs no Qt, so -DKROYNA_GUI=OFF
// works), or by hand from the source root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc
//     src/maps/MapFile_fuzz.cpp src/maps/MapFile.cpp src/maps/MapExport.cpp
//     src/platform/ini/*.cpp src/platform/text/Cp1251.cpp -o mapfile_fuzz
// Seeds: tests/data/maps/*.map.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "maps/model/MapExport.h"
#include "maps/model/MapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::maps;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MapFileData doc;
  try {
    doc = parseMapFile(bytes);
  } catch (const MapFileError&) {
    return 0;
  }
  (void)serializeMapExport(doc, [](std::int32_t) { return std::string("material"); });
  if (checkMapFile(doc)) return 0;
  const std::string once = serializeMapFile(doc);
  const MapFileData back = parseMapFile(once);  // must not throw
  if (back.sheets.size() != doc.sheets.size() || back.usedSheets.size() != doc.usedSheets.size()) std::abort();
  if (serializeMapFile(back) != once) std::abort();
  return 0;
}
