#pragma once

// The merge of another parts database into the open one ("Слияние"): the
// other base's rows are added n times, rows equal in everything but the
// quantity become one row with the summed quantity, and the models lists
// are joined with counts of one model name summed.
//
// The merged rows are built in a work table and written to the base's data
// table as a new file that replaces the old one only when it is complete:
// a merge that fails leaves the base, in memory and on disk, as it was. A
// saved base gets its header written as well, so that its models list and
// its rows stay together; an untitled base stays modified.
//
// Questions and messages go through common::showMessage; the file and count
// dialogs through MergeUi. Qt Core only.

#include "parts/GroupFiles.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kroyna::parts {

class PartsDocument;

struct MergeUi {
  // The open dialog of parts databases with an empty file name; the chosen
  // header file, or an empty text when the user cancelled.
  std::function<QString()> chooseBase;
  // The merge dialog ("Слияние", "Количество" 1 to 100): the count, or
  // nothing when the user did not choose "&Да".
  std::function<std::optional<int>()> askCount;
};

// Runs the merge command on `doc` (its pending cell edit already posted).
// `dataRoot` is the program folder (Pattern/Group.dbf, Temp/). Returns true
// when the base took the merged rows.
bool mergeBases(PartsDocument& doc, const QString& dataRoot, const MergeUi& ui);

// A count of a models list as a number: a whole number, anything else 0.
long long modelCount(const QString& text);
// The models list with every later entry whose name equals an earlier one
// (letter case ignored, in every alphabet) removed and its count added to
// the earlier entry. Throws GroupFileError when a sum is too large to keep.
std::vector<ModelEntry> collapseModels(const std::vector<ModelEntry>& models);

}  // namespace kroyna::parts
