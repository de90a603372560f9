#pragma once

// An open table: a dBASE file, or a table in memory with declared fields.
//
// The rows are read into memory when the table opens, in physical order;
// rows the file marks as deleted are never seen. A cursor walks the visible
// rows (all rows, or with filtering on only those matching the filter).
//
// Editing follows the usual data-set states: append() or insert() starts a
// new row, edit() starts changing the current row, the setters change the
// row being edited, post() keeps the change and cancel() drops it. remove()
// deletes the current row.
//
// Where changes go:
// - Without cached updates a posted row is written to the file at once, in
//   place (a new row after the last record), and a removed row is marked
//   deleted in the file; other records keep their place, so other table
//   objects and statements working on the same file stay consistent.
// - With cached updates, inserts, edits and deletes are kept in memory and
//   seen by everything reading through this object, until applyUpdates()
//   writes them (the whole file is then written anew and renamed over the
//   old one, so an interrupted write loses nothing) or cancelUpdates() drops
//   them.
// A dBASE file has no place for a row in the middle: a row made by insert()
// shows before the current row while the table stays open, but is stored
// after the last record, and shows there after refresh() or a reopen.
//
// Opening a table registers its file as open (see FileOps.h), so that the
// file cannot be moved, deleted or copied over while a table holds it. The
// registration ends with close() or the destruction of the object, which
// drops unapplied cached edits.
//
// Field arguments are a field name (found without regard to letter case;
// unknown names throw) or an index from fieldIndex(). All failures throw
// TableError with the file's name.

#include "platform/dbase/Expr.h"
#include "platform/dbase/TableError.h"
#include "platform/dbase/Value.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::dbase {

// Identifies one row of one table object for gotoBookmark().
struct Bookmark {
  std::uint64_t id = 0;
  bool isValid() const { return id != 0; }
  friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

struct OpenOptions {
  bool cachedUpdates = false;
  // Refuses every change. Tables with a field type or dBASE level this
  // layer cannot write open read-only in any case.
  bool readOnly = false;
};

class Table {
 public:
  enum class State { Closed, Browse, Edit, Insert };

  // Computes a read-only calculated column from the other fields of the
  // current row (the argument is the table, positioned on that row).
  using Calculation = std::function<Value(const Table&)>;

  // A table that is not open.
  Table();
  ~Table();
  Table(Table&&) noexcept;
  Table& operator=(Table&&) noexcept;
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Opens the file `fileName` in `folder`, or the file at `path`.
  static Table open(const std::filesystem::path& folder, const std::string& fileName, OpenOptions options = {});
  static Table open(const std::filesystem::path& path, OpenOptions options = {});
  // An empty table in memory with these fields (report data, results of
  // selects). Widths are not enforced in memory; types are.
  static Table inMemory(std::vector<FieldDef> fields);

  // Closes the table; unapplied cached edits and a pending edit are dropped.
  void close();
  bool isOpen() const;
  bool isInMemory() const;
  // The file's full path; empty for a table in memory.
  const std::filesystem::path& path() const;
  bool isReadOnly() const;
  State state() const;

  // Fields: the stored ones first, then the calculated ones.
  const std::vector<FieldDef>& fields() const;
  int fieldCount() const;
  int storedFieldCount() const;
  int fieldIndex(std::string_view name) const;  // -1 when absent
  bool hasField(std::string_view name) const { return fieldIndex(name) >= 0; }
  const FieldDef& field(int index) const;

  // Adds a read-only calculated column (such as MatName) computed for each
  // row on reading. Allowed only while no row is being edited.
  void addCalculatedField(FieldDef field, Calculation calculation);

  // Cursor over the visible rows. The move functions return whether the
  // cursor stands on a row afterwards. A pending edit is posted first.
  bool first();
  bool last();
  // Past the last row next() sets eof() and leaves the cursor on the last
  // row; before the first row prior() sets bof() and leaves it on the first.
  // So `first(); while (!eof()) { ...; next(); }` visits every visible row.
  bool next();
  bool prior();
  bool eof() const;
  bool bof() const;
  bool isEmpty() const;
  std::size_t rowCount() const;  // visible rows
  // 0-based position among the visible rows; -1 when there is no current row.
  int position() const;
  bool hasCurrentRow() const;

  // Reading the current row (also while it is being edited).
  Value value(std::string_view field) const;
  Value value(int field) const;
  bool isNull(std::string_view field) const;
  std::string asString(std::string_view field) const;  // UTF-8; see Value::toString
  // Numbers (null reads as 0). Character fields holding a number are read
  // as that number; other text throws.
  double asDouble(std::string_view field) const;
  // The number rounded to the nearest whole number (half away from zero).
  long long asInteger(std::string_view field) const;
  // The same for the program's int values (codes, sizes, counts): a number
  // no int holds throws, naming the field and the file, rather than being
  // cut to fit.
  int asInt(std::string_view field) const;
  std::optional<Date> asDate(std::string_view field) const;
  bool asBool(std::string_view field) const;  // null reads as false
  // All stored and calculated values of the current row.
  Row currentRow() const;
  // The same for the visible row at `position` (0-based), without moving
  // the cursor.
  Row rowAt(std::size_t position) const;

  // Row operations.
  void append();  // a new blank row after the last visible row
  void insert();  // a new blank row before the current row
  void edit();
  void post();    // keeps the pending change; checks that every value fits
  void cancel();  // drops the pending change
  void remove();  // deletes the current row (drops a row not yet posted)

  // Setters for the row being edited or inserted. Text is UTF-8 and is cut
  // to the width of a character field. A number that does not fit its field
  // throws at post(). Values are converted between kinds where that is
  // sensible (text digits into a numeric field and so on); otherwise they
  // throw.
  void setValue(std::string_view field, const Value& value);
  void setValue(int field, const Value& value);
  void setString(std::string_view field, std::string_view text);
  void setDouble(std::string_view field, double number);
  void setDate(std::string_view field, const Date& date);
  void setBool(std::string_view field, bool truth);
  void setNull(std::string_view field);
  // Sets fields 0, 1, 2 ... from the values in order (by position).
  void setRow(const Row& values);
  // Appends rows, each set by position and posted, and goes to the first
  // row. In memory this is done in one step; on a file it is append, setRow
  // and post for each row.
  void appendRows(const std::vector<Row>& rows);

  // Filtering. The filter is kept while filtering is off. Setting a new
  // filter or switching filtering moves to the first visible row.
  void setFilter(const Expr& filter);
  // Text is parsed by Expr::parse (the char and string overloads keep text
  // from being taken as a constant expression).
  void setFilter(std::string_view text);
  void setFilter(const char* text) { setFilter(std::string_view(text)); }
  void setFilter(const std::string& text) { setFilter(std::string_view(text)); }
  const Expr& filter() const;
  void setFiltered(bool on);
  bool isFiltered() const;

  // Search by a condition, whether or not filtering is on: findFirst goes
  // to the first visible row that matches, findNext to the next visible one
  // after the current row. On no match they return false and leave the
  // cursor. (Rows hidden by the filter cannot become current; rowsWhere()
  // reads them.)
  bool findFirst(const Expr& condition);
  bool findNext(const Expr& condition);
  bool findFirst(std::string_view condition);
  bool findNext(std::string_view condition);
  bool findFirst(const char* condition) { return findFirst(std::string_view(condition)); }
  bool findNext(const char* condition) { return findNext(std::string_view(condition)); }
  bool findFirst(const std::string& condition) { return findFirst(std::string_view(condition)); }
  bool findNext(const std::string& condition) { return findNext(std::string_view(condition)); }

  // Every row of the table (pending edits included, filter or not) for
  // which the condition holds, in table order, with stored and calculated
  // values; the cursor does not move. For reading the rows of one material
  // whatever the window's own filter shows.
  std::vector<Row> rowsWhere(const Expr& condition) const;

  // Cached updates (file tables only). Switching is allowed only with
  // nothing pending.
  bool cachedUpdates() const;
  void setCachedUpdates(bool on);
  bool hasPendingUpdates() const;
  void applyUpdates();
  void cancelUpdates();

  // Bookmarks stay valid while the row exists in this object (also across
  // applyUpdates and refresh). gotoBookmark returns false, leaving the cursor, when the
  // row is gone or hidden by the filter.
  Bookmark bookmark() const;
  // The bookmark of the visible row at `position` (0-based), without moving
  // the cursor or posting a pending edit.
  Bookmark bookmarkAt(std::size_t position) const;
  bool gotoBookmark(const Bookmark& bookmark);

  // Posts a pending edit and, with cached updates, applies them; after it
  // the file holds everything this object shows.
  void flush();
  // Rereads the rows from the file and goes back to the current row when it
  // still exists. Throws with cached updates pending.
  void refresh();

  // The state behind the object; declared here for the implementation only.
  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

}  // namespace kroyna::dbase
