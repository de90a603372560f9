#pragma once

// The layouts of the empty template tables shipped in data/Pattern. The
// program itself never builds a table from a layout: it copies these files.
// This generator writes them once, and its check mode proves that the
// committed files are exactly what it writes.

#include "platform/dbase/DbfFile.h"

#include <string>
#include <vector>

namespace kroyna::patterns {

struct PatternTable {
  std::string fileName;
  std::vector<dbase::FieldDef> fields;
};

std::vector<PatternTable> patternTables();

// The header date written into every template, fixed so that the files do
// not change from one run of the generator to the next.
inline constexpr dbase::Date kPatternDate{2005, 3, 1};

// The bytes of one template file.
std::string patternBytes(const PatternTable& table);

}  // namespace kroyna::patterns
