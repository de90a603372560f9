#pragma once

#include "platform/dbase/DbfFile.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::dbase::testing {

using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

// Writes a table file with these fields and live rows.
inline void makeTable(const std::filesystem::path& p, std::vector<FieldDef> fields, const std::vector<Row>& rows,
                      const std::vector<bool>& deleted = {}) {
  DbfTable t;
  t.fields = std::move(fields);
  for (std::size_t i = 0; i < rows.size(); ++i)
    t.records.push_back(DbfRecord{i < deleted.size() && deleted[i], rows[i]});
  writeDbfFile(p, t);
}

// The layout of the offcut stock table.
inline std::vector<FieldDef> scrapFields() {
  return {FieldDef::character("NAME", 20), FieldDef::numeric("LENGTH", 11), FieldDef::numeric("WIDTH", 11),
          FieldDef::numeric("MANY", 11),   FieldDef::numeric("CODE", 11),   FieldDef::date("DATE")};
}

// The layout of the standard-sheet stock table.
inline std::vector<FieldDef> sheetFields() {
  return {FieldDef::numeric("LENGTH", 11), FieldDef::numeric("WIDTH", 11), FieldDef::numeric("MANY", 11),
          FieldDef::numeric("CODE", 11)};
}

// The physical records of a file, deleted ones included.
inline std::vector<DbfRecord> records(const std::filesystem::path& p) { return readDbfFile(p).records; }

}  // namespace kroyna::dbase::testing

namespace kroyna::dbase {
// Readable values in test failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
  if (v.isNull())
    *os << "null";
  else if (v.isText())
    *os << '"' << v.text() << '"';
  else
    *os << v.toString();
}
}  // namespace kroyna::dbase
