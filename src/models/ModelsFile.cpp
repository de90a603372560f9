#include "models/ModelsFile.h"

#include "platform/compound/CompoundFile.h"
#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kroyna::models {

namespace {

using compound::Element;
using Kind = ModelsFileError::Kind;

constexpr const char* kTop = "MODELS";
constexpr const char* kSectionStream = "SECTION";
constexpr const char* kModels = "MODELS";
// Tries of a change while the file keeps changing under it.
constexpr int kAttempts = 3;

std::string prefix(const std::string& file) { return "Файл моделей \"" + file + "\": "; }

[[noreturn]] void damaged(const std::string& file, const std::string& reason) {
  throw ModelsFileError(Kind::Damaged, prefix(file) + "файл повреждён: " + reason);
}

[[noreturn]] void changed(const std::string& file, const std::string& what) {
  throw ModelsFileError(Kind::Changed, prefix(file) + what + " (файл изменён другой программой).");
}

std::string readWhole(const std::filesystem::path& file) {
  platform::ReadFailure why;
  std::optional<std::string> bytes = platform::readWholeFile(file, why);
  if (bytes) return std::move(*bytes);
  if (why.kind == platform::ReadFailure::Kind::CannotRead)
    throw ModelsFileError(Kind::Unreadable, prefix(file.string()) + "не удалось прочитать файл");
  throw ModelsFileError(Kind::Unreadable, prefix(file.string()) + "не удалось открыть файл: " + why.reason());
}

Element readTree(std::string_view bytes, const std::string& file) {
  try {
    return compound::readBytes(bytes, file);
  } catch (const compound::CompoundError& e) {
    throw ModelsFileError(Kind::Damaged, prefix(file) + e.reason());
  }
}

Element& topOf(Element& root, const std::string& file) {
  Element* top = root.child(kTop);
  if (!top || !top->isStorage()) damaged(file, "нет хранилища MODELS");
  return *top;
}

Element& sectionStorage(Element& top, const ModelSection& section, const std::string& file) {
  Element* storage = top.child(section.storageName);
  if (!storage || !storage->isStorage()) changed(file, "раздел \"" + section.name + "\" не найден");
  const Element* record = storage->child(kSectionStream);
  if (!record || !record->isStream() || decodeSection(record->data).name != section.name)
    changed(file, "раздел \"" + section.name + "\" не найден");
  return *storage;
}

Element& modelsOf(Element& top, const std::string& storageName, const std::string& file) {
  Element* storage = top.child(storageName);
  Element* models = storage && storage->isStorage() ? storage->child(kModels) : nullptr;
  if (!models || !models->isStorage()) changed(file, "раздел моделей " + storageName + " не найден");
  return *models;
}

// The stream of a model, checked to hold the record the caller saw.
Element& modelStream(Element& models, const ModelInfo& stored, const std::string& file) {
  Element* stream = models.child(stored.streamName);
  if (!stream || !stream->isStream()) changed(file, "модель \"" + stored.name + "\" не найдена");
  const ModelInfo now = decodeModel(stream->data);
  if (now.name != stored.name || now.tableName != stored.tableName)
    changed(file, "модель \"" + stored.name + "\" не найдена");
  return *stream;
}

std::vector<std::string> childNames(const Element& storage) {
  std::vector<std::string> names;
  for (const Element& c : storage.children) names.push_back(c.name);
  return names;
}

std::string encodeOrRefuse(const std::string& file, const std::function<std::string()>& encode) {
  try {
    return encode();
  } catch (const RecordError& e) {
    throw ModelsFileError(Kind::Refused, prefix(file) + "значение нельзя записать: " + e.what());
  }
}

}  // namespace

ModelsFile::ModelsFile(std::filesystem::path file) : path_(std::move(file)) {}

ModelSectionList ModelsFile::parse(const Element& root, const std::string& file) {
  const Element* top = root.child(kTop);
  if (!top || !top->isStorage()) damaged(file, "нет хранилища MODELS");
  ModelSectionList sections;
  for (const Element& storage : top->children) {
    if (!storage.isStorage()) continue;
    const std::string where = std::string(kTop) + "/" + storage.name;
    const Element* record = storage.child(kSectionStream);
    if (!record || !record->isStream()) damaged(file, "в разделе " + where + " нет потока SECTION");
    ModelSection section;
    try {
      section = decodeSection(record->data);
    } catch (const RecordError& e) {
      damaged(file, "поток " + where + "/SECTION: " + e.what());
    }
    // The element's own name is where the section lives, whatever its
    // record says.
    section.storageName = storage.name;
    const Element* models = storage.child(kModels);
    if (!models || !models->isStorage()) damaged(file, "в разделе " + where + " нет хранилища MODELS");
    for (const Element& stream : models->children) {
      if (!stream.isStream()) continue;
      try {
        ModelInfo model = decodeModel(stream.data);
        model.count = 0;
        model.streamName = stream.name;
        section.models.push_back(std::move(model));
      } catch (const RecordError& e) {
        damaged(file, "поток " + where + "/MODELS/" + stream.name + ": " + e.what());
      }
    }
    sections.push_back(std::move(section));
  }
  return sections;
}

ModelSectionList ModelsFile::parseBytes(std::string_view bytes, const std::string& shownName) {
  return parse(readTree(bytes, shownName), shownName);
}

ModelSectionList ModelsFile::load() const { return parseBytes(readWhole(path_), shown()); }

void ModelsFile::update(const std::function<void(Element&, const ModelSectionList&)>& change) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string before = readWhole(path_);
    Element root = readTree(before, shown());
    const ModelSectionList sections = parse(root, shown());
    change(topOf(root, shown()), sections);
    std::string after;
    try {
      after = compound::toBytes(root, shown());
    } catch (const compound::CompoundError& e) {
      throw ModelsFileError(Kind::Refused, prefix(shown()) + e.reason());
    }
    try {
      platform::SafeFileWriter writer(path_);
      writer.write(after);
      if (beforeReplace_) beforeReplace_();
      // Another program wrote the file since it was read: its change would
      // be lost, so this change is made again on what it wrote.
      std::string now;
      try {
        now = readWhole(path_);
      } catch (const ModelsFileError&) {
        continue;
      }
      if (now != before) continue;
      writer.commit();
      return;
    } catch (const platform::FileError& e) {
      throw ModelsFileError(Kind::WriteFailed, prefix(shown()) + e.reason());
    }
  }
  throw ModelsFileError(Kind::Changed,
                        prefix(shown()) + "файл всё время изменяется другой программой; изменение не записано.");
}

ModelSection ModelsFile::addSection(const std::string& name, NameOrigin origin) {
  ModelSection made;
  update([&](Element& top, const ModelSectionList&) {
    made = ModelSection{};
    made.name = name;
    // Free among every element of the storage, not only the sections, so
    // that nothing already there is replaced.
    made.storageName = firstFreeName(origin == NameOrigin::User ? "ModelSection" : "imModelSection", childNames(top));
    Element storage = Element::storage(made.storageName);
    storage.put(Element::stream(kSectionStream, encodeOrRefuse(shown(), [&] { return encodeSection(made); })));
    storage.put(Element::storage(kModels));
    top.put(std::move(storage));
  });
  return made;
}

void ModelsFile::renameSection(const ModelSection& section, const std::string& newName) {
  update([&](Element& top, const ModelSectionList&) {
    Element& storage = sectionStorage(top, section, shown());
    Element* record = storage.child(kSectionStream);
    ModelSection renamed = decodeSection(record->data);
    renamed.name = newName;
    renamed.storageName = storage.name;
    record->data = overwriteStart(record->data, encodeOrRefuse(shown(), [&] { return encodeSection(renamed); }));
  });
}

void ModelsFile::removeSection(const ModelSection& section) {
  update([&](Element& top, const ModelSectionList&) {
    sectionStorage(top, section, shown());
    top.remove(section.storageName);
  });
}

ModelInfo ModelsFile::addModel(const std::string& storageName, ModelInfo model, NameOrigin origin) {
  ModelInfo made;
  update([&](Element& top, const ModelSectionList&) {
    Element& models = modelsOf(top, storageName, shown());
    made = model;
    made.streamName = firstFreeName(origin == NameOrigin::User ? "Model" : "imModel", childNames(models));
    models.put(Element::stream(made.streamName, encodeOrRefuse(shown(), [&] { return encodeModel(made); })));
  });
  return made;
}

void ModelsFile::rewriteModel(const std::string& storageName, const ModelInfo& stored, const ModelInfo& changedModel) {
  update([&](Element& top, const ModelSectionList&) {
    Element& stream = modelStream(modelsOf(top, storageName, shown()), stored, shown());
    ModelInfo record = changedModel;
    record.streamName = stream.name;
    stream.data = overwriteStart(stream.data, encodeOrRefuse(shown(), [&] { return encodeModel(record); }));
  });
}

ModelInfo ModelsFile::moveModel(const std::string& fromStorage, const ModelInfo& stored, const std::string& toStorage,
                                ModelInfo changedModel) {
  ModelInfo made;
  update([&](Element& top, const ModelSectionList&) {
    Element& from = modelsOf(top, fromStorage, shown());
    modelStream(from, stored, shown());
    from.remove(stored.streamName);
    Element& to = modelsOf(top, toStorage, shown());
    made = changedModel;
    made.streamName = firstFreeName("Model", childNames(to));
    to.put(Element::stream(made.streamName, encodeOrRefuse(shown(), [&] { return encodeModel(made); })));
  });
  return made;
}

void ModelsFile::removeModel(const std::string& storageName, const ModelInfo& stored) {
  update([&](Element& top, const ModelSectionList&) {
    Element& models = modelsOf(top, storageName, shown());
    modelStream(models, stored, shown());
    models.remove(stored.streamName);
  });
}

}  // namespace kroyna::models
