#pragma once

// The two files the furniture design module hands over, both INI text in
// code page 1251:
//
// Design-module parts file (`.dkm`): every section, whatever its name, is
// one part, in section order, with the keys Shifr (name), W (length), H
// (width), Quantity, Rotate, LB, RB, TB, BB (edge codes) and Material.
// A missing key, or a value that is not a whole number, takes its default:
// an empty name, 0, or the configured default rotation for Rotate.
//
// Model list file (`.krm`): section MODELS with COUNT and the entries 1 ..
// COUNT, each a comma list of the model name and its count (an item holding
// blanks or commas in double quotes). A missing entry is skipped, a missing
// name reads as empty and a missing count as 0; a count that is not a whole
// number makes the file unreadable.
//
// A number too large for its field, or a COUNT above kMaxModelListEntries,
// is refused: the file is reported as damaged, naming it.
//
// Standard C++ only (PartRow aside).

#include "parts/GroupFiles.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::models {

// A file of the design module that cannot be taken in; the text (UTF-8,
// Russian) names the file and says why.
class DesignFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Design-module parts files ----

struct DesignPart {
  std::string section;  // the section's name, for messages
  parts::PartRow row;
};
// The parts of a `.dkm` file in section order. `shownName` names the file
// in messages.
std::vector<DesignPart> readDesignParts(std::string_view bytes, int defaultRotation, const std::string& shownName);

// ---- Model list files ----

inline constexpr int kMaxModelListEntries = 100000;

struct ModelListEntry {
  std::string name;
  std::int32_t count = 0;
  friend bool operator==(const ModelListEntry&, const ModelListEntry&) = default;
};
// The entries of a `.krm` file in number order.
std::vector<ModelListEntry> readModelList(std::string_view bytes, const std::string& shownName);
// The bytes of a `.krm` file holding the entries, numbered from 1.
std::string writeModelList(const std::vector<ModelListEntry>& entries);

}  // namespace kroyna::models
