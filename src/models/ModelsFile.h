#pragma once

// The models file `Models.dat`: a compound file whose root holds the
// storage `MODELS`, which holds one storage per model section (named by its
// StorageName: ModelSection1 ..., imModelSection1 ... for imported ones).
// Each section storage holds the stream `SECTION` with the section record
// and the storage `MODELS` with one stream per model (named by its
// StreamName) holding the model record. While listing, only storages are
// taken as sections and only streams as models; other elements are kept
// as they are and never read.
//
// Every change reads the file as it is on disk at that moment, makes the
// change in the tree, and replaces the file with the complete new tree
// through the safe writer, so a crash or a full disk never leaves a
// half-written file, and a section or model that another program added
// meanwhile is kept. When the file changes again between the read and the
// replacement, the change is made again on the newer file. A change names
// what it changes by storage and stream name and checks that the record
// there is still the one the caller saw; otherwise nothing is written.
//
// A file that cannot be read, or that is damaged anywhere (a record
// shorter than its fields, a section without its `SECTION` or `MODELS`,
// more elements than a sound file has), is reported with its name and is
// never written.
//
// Standard C++ only.

#include "models/ModelRecords.h"

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kroyna::compound {
struct Element;
}

namespace kroyna::models {

class ModelsFileError : public std::runtime_error {
 public:
  enum class Kind {
    Unreadable,  // missing, or cannot be read
    Damaged,     // not a sound models file
    Changed,     // another program changed what the change was about
    Refused,     // a name the file cannot hold
    WriteFailed  // the new file could not be written (the old one stays)
  };
  ModelsFileError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

class ModelsFile {
 public:
  explicit ModelsFile(std::filesystem::path file);

  const std::filesystem::path& path() const { return path_; }

  // Every section with its models, in the order the file lists them; each
  // model's Count is 0. StorageName and StreamName are the names of the
  // elements the records were read from.
  ModelSectionList load() const;
  // The same from a compound tree or from the bytes of a file; `shownName`
  // names the file in messages.
  static ModelSectionList parse(const compound::Element& root, const std::string& shownName);
  static ModelSectionList parseBytes(std::string_view bytes, const std::string& shownName);

  // A new section storage under the first free name, with its `SECTION`
  // record and an empty `MODELS`. Returns the section as stored.
  ModelSection addSection(const std::string& name, NameOrigin origin = NameOrigin::User);
  // Writes the section's record with the new name over the old one.
  void renameSection(const ModelSection& section, const std::string& newName);
  // Removes the section's storage with all its models' records.
  void removeSection(const ModelSection& section);

  // Writes the model's record into the section under the first free stream
  // name; returns the model as stored (StreamName set).
  ModelInfo addModel(const std::string& storageName, ModelInfo model, NameOrigin origin = NameOrigin::User);
  // Writes the record of `changed` over the one of `stored` (same stream).
  void rewriteModel(const std::string& storageName, const ModelInfo& stored, const ModelInfo& changed);
  // Moves the model to another section in one change: its record, as
  // `changed`, under a free stream name there, and the old stream removed.
  // Returns the model as stored in the new section.
  ModelInfo moveModel(const std::string& fromStorage, const ModelInfo& stored, const std::string& toStorage,
                      ModelInfo changed);
  // Removes the model's record.
  void removeModel(const std::string& storageName, const ModelInfo& stored);

  // For tests: runs after the new file has been written beside the old one
  // and before it replaces it (another program writing at that moment).
  void setBeforeReplace(std::function<void()> hook) { beforeReplace_ = std::move(hook); }

 private:
  // Reads the file, lets `change` edit the tree (given with the sections
  // read from it), and puts the new file in place.
  void update(const std::function<void(compound::Element& top, const ModelSectionList& sections)>& change);
  std::string shown() const { return path_.string(); }

  std::filesystem::path path_;
  std::function<void()> beforeReplace_;
};

}  // namespace kroyna::models
