// libFuzzer target for the reader of the models file: any bytes, taken as
// Models.dat, either read or throw ModelsFileError. A file that reads is
// written again as a compound file from its sections, and that file must
// read back with the same sections and models. A model's table name that
// passes the check of names taken from files names a file inside Catalog.
// Built as target
// models_file_fuzz with -DKROYNA_FUZZ=ON and clang (no Qt needed).
// Seeds: data/Pattern/Models.dat and Models.dat files of the program.
#include "models/ModelsFile.h"
#include "platform/compound/CompoundFile.h"
#include "platform/file/StoredName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna;
  models::ModelSectionList sections;
  try {
    sections = models::ModelsFile::parseBytes(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  } catch (const models::ModelsFileError&) {
    return 0;
  }
  for (const models::ModelSection& s : sections)
    for (const models::ModelInfo& m : s.models) {
      const std::string file = m.tableName + ".dbf";
      if (!platform::fileNameProblem(file).empty()) continue;
      const std::filesystem::path catalog = "/root/Catalog";
      if (file.find_first_of(std::string("/\\\0", 3)) != std::string::npos || file.size() > 255 ||
          (catalog / file).lexically_normal().parent_path() != catalog)
        std::abort();  // an accepted name left its folder
    }
  compound::Element root = compound::Element::storage("Root Entry");
  compound::Element& top = root.put(compound::Element::storage("MODELS"));
  try {
    for (const models::ModelSection& s : sections) {
      compound::Element& storage = top.put(compound::Element::storage(s.storageName));
      storage.put(compound::Element::stream("SECTION", models::encodeSection(s)));
      compound::Element& models = storage.put(compound::Element::storage("MODELS"));
      for (const models::ModelInfo& m : s.models)
        models.put(compound::Element::stream(m.streamName, models::encodeModel(m)));
    }
  } catch (const models::RecordError&) {
    return 0;  // a byte code page 1251 has no character for reads as U+FFFD, which no record holds
  }
  std::string bytes;
  try {
    bytes = compound::toBytes(root, "fuzz");
  } catch (const compound::CompoundError&) {
    std::abort();  // names read from a compound file must be writable again
  }
  models::ModelSectionList back;
  try {
    back = models::ModelsFile::parseBytes(bytes, "fuzz");
  } catch (const models::ModelsFileError&) {
    std::abort();  // what was written must read
  }
  if (back.size() != sections.size()) std::abort();
  for (std::size_t i = 0; i < back.size(); ++i) {
    const models::ModelSection* same = nullptr;
    for (const models::ModelSection& s : sections)
      if (s.storageName == back[i].storageName) same = &s;
    if (!same || same->name != back[i].name || same->models.size() != back[i].models.size()) std::abort();
  }
  return 0;
}
