// libFuzzer target for the settings file reader: any bytes must parse,
// write back in a form that parses to the same text, and take a write
// that reads back. Built as target ini_fuzz with -DKROYNA_FUZZ=ON and clang,
// or by hand from the source root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//     src/platform/ini/IniDocument_fuzz.cpp src/platform/ini/IniDocument.cpp \
//     src/platform/ini/CommaList.cpp src/platform/ini/IniFile.cpp \
//     src/platform/text/Cp1251.cpp -o ini_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ini/CommaList.h"
#include "platform/ini/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kroyna::ini::IniDocument doc = kroyna::ini::IniDocument::parse(bytes);
  const std::string once = doc.serialize();
  if (kroyna::ini::IniDocument::parse(once).serialize() != once) std::abort();
  for (const std::string& section : doc.sections())
    for (const auto& [key, value] : doc.entries(section)) (void)kroyna::ini::splitCommaList(value);
  doc.setValue("Default", "Version", "2");
  if (kroyna::ini::IniDocument::parse(doc.serialize()).value("default", "version") != "2") std::abort();
  return 0;
}
