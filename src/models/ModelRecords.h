#pragma once

// The models base in memory: model sections holding models, the records
// that store them in the models file, and the rules that name new storages
// and streams. Standard C++ only; names are UTF-8 inside and code page 1251
// in the records.
//
// Section record (stream `SECTION` of the section's storage), fields in
// order: Name (counted string), reserved (integer, written 0), StorageName
// (counted string).
// Model record (one stream per model in the section's storage `MODELS`):
// Name (counted string), Count (integer, the selection count when written),
// TableName (counted string: the model parts table's file name without
// folder and ".dbf"), reserved (integer), StreamName (counted string).
// An integer is 4 bytes, little-endian, signed. A counted string is a
// 2-byte little-endian length n, n bytes of code page 1251 and one byte 0
// that the length does not count. A stream may be longer than its record
// (a shorter record written over a longer one); what follows the last
// field is not read.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::models {

// One model: a named list of parts kept in its own table in `Catalog`.
struct ModelInfo {
  std::string name;
  std::int32_t count = 0;  // selection count; a model read from the file has 0
  std::string tableName;   // "mdl3" for Catalog/mdl3.dbf
  std::int32_t reserved = 0;
  std::string streamName;  // "Model1", "imModel4"
  friend bool operator==(const ModelInfo&, const ModelInfo&) = default;
};

// One model section with its models, in the order the file lists them.
struct ModelSection {
  std::string name;
  std::int32_t reserved = 0;
  std::vector<ModelInfo> models;
  std::string storageName;  // "ModelSection1", "imModelSection2"
  friend bool operator==(const ModelSection&, const ModelSection&) = default;
};

using ModelSectionList = std::vector<ModelSection>;

// A record that does not hold what its stream claims, or a value a record
// cannot hold. The text is the reason, in Russian.
class RecordError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Longest text a counted string holds, in bytes of code page 1251.
inline constexpr std::size_t kMaxRecordText = 0xFFFF;

std::string encodeSection(const ModelSection& section);
// Reads the record from the start of the bytes (the models stay empty).
ModelSection decodeSection(std::string_view bytes);
std::string encodeModel(const ModelInfo& model);
// Reads the record as stored, the Count included.
ModelInfo decodeModel(std::string_view bytes);
// `bytes` with the record written over their start: a longer old stream
// keeps its tail, as a record rewritten in place does.
std::string overwriteStart(std::string bytes, const std::string& record);

// Why a name cannot be stored in a record (a character code page 1251 has
// not, or too long), or an empty text.
std::string checkRecordText(std::string_view utf8);

// Name patterns of new storages and streams: the user's and the import's.
enum class NameOrigin { User, Import };

// The first of ModelSection1, ModelSection2 ... (imModelSection1 ... for
// the import) that no name of `taken` equals, ignoring letter case as the
// compound file does.
std::string firstFreeName(std::string_view prefix, const std::vector<std::string>& taken);
std::string newStorageName(const ModelSectionList& sections, NameOrigin origin = NameOrigin::User);
std::string newStreamName(const std::vector<ModelInfo>& models, NameOrigin origin = NameOrigin::User);

// Index of the first section whose name equals the text exactly, or -1.
int findSection(const ModelSectionList& sections, std::string_view name);

// The first model, sections and models in list order, whose name equals
// the text when the Latin letters a-z are compared without case (other
// letters, Cyrillic among them, compare exactly).
struct ModelRef {
  int section = -1;
  int model = -1;
};
// A model's name as names are compared: letters without regard to case,
// Cyrillic as well as Latin ("кухня угловая" finds "Кухня угловая"); every
// other character exactly.
std::string foldModelName(std::string_view utf8);
// The first model, sections and models in list order, whose name equals
// the text compared folded.
std::optional<ModelRef> findModel(const ModelSectionList& sections, std::string_view name);

}  // namespace kroyna::models
