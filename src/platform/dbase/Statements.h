#pragma once

// The statement forms the program runs on table files, as direct table
// operations. Values are always passed as values: a name holding a quote,
// an apostrophe or anything else is stored as data.
//
// Rows marked deleted are never read or copied. Statements that change a
// file write it whole to a new file and rename it over the old one, keeping
// every record in its physical place (deleted rows stay as deleted records
// until the table is rebuilt), so a table object open on the file stays
// consistent and sees the change after Table::refresh(). A statement that
// fails changes nothing.
//
// Sources: a table file (read as it is on disk), or an open Table (its
// visible rows, pending cached edits included, in cursor order; its cursor
// is left where it was).
//
// Equivalents of the forms used:
//   Insert into "T" Select * from "S"          insertSelect(T, S)
//   Insert into "T" (Material, Code) Values (…) insertValues(T, {"Material", "Code"}, {…})
//   Delete from "T" a Where a."Code"=5           deleteWhere(T, col("Code") == 5)
//   Update "T" a Set a."Many"=3 Where …          updateSet(T, {{"Many", 3}}, …)
//   Select a."Name", …, Sum(a."Many") as NewMany from "S" a Group by …
//                                                groupBySum(S, {key("Name"), …, sum(col("Many"), "NewMany"), …})
//   … from "M" m left join "S" s on m."Code"=s."Code"
//                                                join(M, "m", S, "s", "Code", "Code", JoinKind::Left)
//   Select max(Code) from "T"                    selectMax(T, "Code")
//   select * from "T" a where … order by …       select(T, {}, where, {{"Material"}})

#include "platform/dbase/Expr.h"
#include "platform/dbase/Table.h"
#include "platform/dbase/Value.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kroyna::dbase {

// A set of source rows with their fields: a file or an open table.
class RowSource {
 public:
  RowSource(const std::filesystem::path& file);
  RowSource(const char* file) : RowSource(std::filesystem::path(file)) {}
  RowSource(const std::string& file) : RowSource(std::filesystem::path(file)) {}
  RowSource(const Table& table);

  const std::vector<FieldDef>& fields() const { return fields_; }
  const std::vector<Row>& rows() const { return rows_; }
  // The file's path, or "<таблица в памяти>" for a table in memory.
  const std::filesystem::path& name() const { return name_; }

 private:
  std::vector<FieldDef> fields_;
  std::vector<Row> rows_;
  std::filesystem::path name_;
};

// Appends every source row to the target file, columns matched by
// position; the counts of columns must agree. Returns the rows added.
std::size_t insertSelect(const std::filesystem::path& target, const RowSource& source);

// Appends one row: values by position (missing trailing ones stay blank),
// or into the named columns (the others stay blank).
void insertValues(const std::filesystem::path& target, const Row& values);
void insertValues(const std::filesystem::path& target, const std::vector<std::string>& columns, const Row& values);

// Marks deleted every row for which `where` holds (every row for an empty
// condition). Returns the number of rows deleted.
std::size_t deleteWhere(const std::filesystem::path& target, const Expr& where = {});

// Sets fields of every row for which `where` holds; each value is an
// expression over the row's old values (a constant most often). Returns the
// number of rows changed.
std::size_t updateSet(const std::filesystem::path& target, const std::vector<std::pair<std::string, Expr>>& assignments,
                      const Expr& where = {});

// One column of a select: a field (or an expression) under a name.
struct SelectItem {
  Expr expr;
  std::string name;  // output field name
  bool isSum = false;
};
// A field of the source, named as the field (without its table alias).
SelectItem key(std::string field);
// The sum of an expression over each group; null when every value is null.
SelectItem sum(Expr expr, std::string name);

enum class GroupOrder {
  FirstSeen,  // groups in the order their first row appears in the source
  ByKeys,     // groups sorted by the key columns, left to right
};

// Groups the source rows that agree in every key column (an empty text and
// a null are values like any other) and gives one row per group, with the
// columns in the order of `items`. Key columns keep their source field
// definitions; sums are numeric columns.
Table groupBySum(const RowSource& source, const std::vector<SelectItem>& items,
                 GroupOrder order = GroupOrder::FirstSeen);

enum class JoinKind { Inner, Left };

// Joins the rows of two sources on equal key values: every pair of rows
// whose keys are equal (a null key equals nothing), in the order of the
// left rows and, for each, of the right rows. With JoinKind::Left a left
// row without partner is kept once, with the right columns null. The
// result's fields are named by alias and field ("m.Code", "s.Many"), so
// that conditions, keys and sums can name them as m."Code" or m.Code.
Table join(const RowSource& left, const std::string& leftAlias, const RowSource& right, const std::string& rightAlias,
           const std::string& leftKey, const std::string& rightKey, JoinKind kind);

// The largest value of a numeric field; nothing when no row holds a value.
std::optional<double> selectMax(const RowSource& source, const std::string& field);

struct OrderKey {
  std::string field;
  bool descending = false;
};

// The rows for which `where` holds, with the named columns (all columns
// of the source for an empty list) under their unqualified names or the
// name given as in "m.Material as MatName", in source order
// or stably sorted by the keys (texts compared ignoring letter case, then
// exactly; nulls first). Keys may name columns that are not selected.
Table select(const RowSource& source, const std::vector<std::string>& columns = {}, const Expr& where = {},
             const std::vector<OrderKey>& orderBy = {});

// Compares two values as the order of select() does: <0, 0 or >0.
int compareForOrder(const Value& a, const Value& b);

}  // namespace kroyna::dbase
