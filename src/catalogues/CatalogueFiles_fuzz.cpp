// libFuzzer target for the readers of the catalogues' outside files: the
// external catalogue files (listmat.ini, borders.ini) and the edge colours
// file (brdolors.ini). Any bytes read without crashing; what was read
// writes bytes that read back to the same entries. Built as target
// catalogue_files_fuzz with -DKROYNA_FUZZ=ON and clang, or by hand from the
// source root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc
//     src/catalogues/CatalogueFiles_fuzz.cpp src/catalogues/CatalogueFiles.cpp
//     src/platform/ini/*.cpp src/platform/text/Cp1251.cpp -o catalogue_files_fuzz
// Seeds: any small INI files; the format is plain text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "catalogues/CatalogueFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::catalogues;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::vector<EdgeColour> colours = parseEdgeColours(bytes);
  if (parseEdgeColours(serializeEdgeColours(colours)) != colours) std::abort();

  const ExternalCatalogue catalogue = parseExternalCatalogue(bytes);
  std::set<int> codes;
  for (const auto& e : catalogue.entries) codes.insert(e.code);
  // A written file holds each code once, so only files without repeated
  // codes read back entry for entry.
  // A lone carriage return inside a value is written as a blank, and the
  // byte that code page 1251 leaves without a character (read as U+FFFD)
  // as '?'.
  if (codes.size() == catalogue.entries.size()) {
    std::vector<ExternalEntry> expected = catalogue.entries;
    for (auto& e : expected) {
      for (char& c : e.name) {
        if (c == '\r' || c == '\n') c = ' ';
      }
      for (std::size_t p; (p = e.name.find("\xEF\xBF\xBD")) != std::string::npos;) e.name.replace(p, 3, "?");
    }
    const ExternalCatalogue again = parseExternalCatalogue(serializeExternalCatalogue(catalogue.entries));
    if (again.entries != expected) std::abort();
  }
  return 0;
}
