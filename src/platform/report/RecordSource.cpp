#include "platform/report/RecordSource.h"

#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

namespace kroyna::report {

DrivenRecordSource::DrivenRecordSource(Callbacks callbacks) : cb_(std::move(callbacks)) {
  if (!cb_.first || !cb_.next || !cb_.eof) throw ReportError("Источник данных отчета задан не полностью.");
}

void DrivenRecordSource::first() { cb_.first(); }
void DrivenRecordSource::next() { cb_.next(); }
bool DrivenRecordSource::eof() const { return cb_.eof(); }

std::optional<Value> DrivenRecordSource::field(std::string_view name) const {
  if (!cb_.field) return std::nullopt;
  return cb_.field(name);
}

DrivenRecordSource DrivenRecordSource::counted(int count, int* index) {
  return DrivenRecordSource(
      Callbacks{[index] { *index = 0; }, [index] { ++*index; }, [index, count] { return *index >= count; }, {}});
}

RowsRecordSource::RowsRecordSource(std::vector<std::string> columns) : columns_(std::move(columns)) {}

void RowsRecordSource::addRow(std::vector<Value> values) {
  values.resize(columns_.size());
  rows_.push_back(std::move(values));
}

std::optional<Value> RowsRecordSource::field(std::string_view name) const {
  if (current_ >= rows_.size()) return std::nullopt;
  for (size_t i = 0; i < columns_.size(); ++i)
    if (text::equalsIgnoreCase(columns_[i], name)) return rows_[current_][i];
  return std::nullopt;
}

}  // namespace kroyna::report
