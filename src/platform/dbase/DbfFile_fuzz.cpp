// libFuzzer target for the table reader: any bytes must either parse or be
// refused with a TableError; a table that parses and can be written must
// write back to bytes that parse to the same rows. Build with clang and
// -DKROYNA_FUZZ=ON (target dbf_fuzz).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/dbase/DbfFile.h"
#include "platform/dbase/Expr.h"
#include "platform/text/Cp1251.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::dbase;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DbfTable table;
  try {
    table = parseDbf(bytes, "fuzz.dbf");
  } catch (const TableError&) {
    return 0;
  }
  // Conditions over the fields must evaluate or fail cleanly.
  try {
    const BoundExpr cond(col(table.fields.front().name) > 0, table.fields, "fuzz.dbf");
    for (const auto& r : table.records) (void)cond.holds([&](int i) { return r.values[static_cast<std::size_t>(i)]; });
  } catch (const TableError&) {
  }
  if (!table.readOnlyReason.empty()) return 0;
  std::string written;
  try {
    written = serializeDbf(table, "fuzz.dbf");
  } catch (const TableError&) {
    return 0;  // a structure this layer does not write (a field name it refuses)
  }
  const DbfTable again = parseDbf(written, "fuzz.dbf");
  if (again.fields.size() != table.fields.size() || again.records.size() != table.records.size()) std::abort();
  for (std::size_t i = 0; i < table.fields.size(); ++i) {
    const FieldDef& a = again.fields[i];
    const FieldDef& b = table.fields[i];
    // Names are written in capitals.
    if (!kroyna::text::equalsIgnoreCase(a.name, b.name) || a.type != b.type || a.width != b.width ||
        a.decimals != b.decimals)
      std::abort();
  }
  for (std::size_t i = 0; i < table.records.size(); ++i)
    if (again.records[i].deleted != table.records[i].deleted) std::abort();
  return 0;
}
