#pragma once

#include "platform/dbase/Table.h"
#include "platform/report/RecordSource.h"

namespace kroyna::report {

// The rows of an open table of the table layer (a dBASE file, the result
// of a select, or a table in memory) as report records, in the table's
// order and under its filter. The report moves the table's cursor; a
// caller that needs its row back takes a bookmark first. The table is not
// owned and must stay open while the report is prepared.
//
// Field values: numbers stay numbers, logical fields read 1 or 0, dates
// read as "dd.mm.yyyy", blank fields as nothing; names ignore letter case.
class TableRecordSource : public RecordSource {
 public:
  explicit TableRecordSource(dbase::Table& table) : table_(table) {}

  void first() override { table_.first(); }
  void next() override { table_.next(); }
  bool eof() const override { return table_.isEmpty() || table_.eof(); }
  std::optional<Value> field(std::string_view name) const override;

 private:
  dbase::Table& table_;
};

}  // namespace kroyna::report
