#include "platform/report/TableRecordSource.h"

namespace kroyna::report {

std::optional<Value> TableRecordSource::field(std::string_view name) const {
  const int index = table_.fieldIndex(name);
  if (index < 0) return std::nullopt;
  if (!table_.hasCurrentRow()) return Value();
  const dbase::Value v = table_.value(index);
  if (v.isNull()) return Value();
  if (v.isNumber()) return Value::number(v.number());
  if (v.isBool()) return Value::number(v.truth() ? 1 : 0);
  return Value::text(v.toString());
}

}  // namespace kroyna::report
