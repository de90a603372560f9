#pragma once

// The two files of a parts database: the header file (`.krb`, INI text in
// code page 1251) that names the data table and keeps the models list, and
// the data table (dBASE, a copy of the template `Pattern/Group.dbf`) with
// one row per kind of part.
//
// Every reader and writer here has one shape: readers throw GroupFileError
// with a Russian text for the user, writers write a new file beside the
// target and rename it over the target, so a failed write leaves the old
// file as it was.

#include "platform/dbase/Value.h"

#include <QString>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kroyna::parts {

class GroupFileError : public std::runtime_error {
 public:
  explicit GroupFileError(const QString& text) : std::runtime_error(text.toStdString()) {}
  QString text() const { return QString::fromUtf8(what()); }
};

// One row of a parts database. Lengths and codes are whole numbers.
struct PartRow {
  std::string name;  // UTF-8, at most kNameLength characters of code page 1251
  int length = 0;
  int width = 0;
  int quantity = 0;
  int rotation = 0;  // 0 "поворачивать", 1 "не поворачивать", 2 "один для всех"
  int left = 0;      // edge codes of the four sides (0 = none)
  int right = 0;
  int top = 0;
  int bottom = 0;
  int material = 0;
  // The values of the columns another program added to the data table, in
  // the order of PartTable::extraFields; kept as read and written back.
  dbase::Row extra;

  friend bool operator==(const PartRow&, const PartRow&) = default;
};

// A row from the fields of a parts table in their order: the name, then
// nine whole numbers that `number(field)` gives for fields 1 to 9 (length,
// width, count, rotation, the four edges, material).
template <class Number>
PartRow partRowFromFields(std::string name, Number&& number) {
  PartRow r;
  r.name = std::move(name);
  r.length = number(1);
  r.width = number(2);
  r.quantity = number(3);
  r.rotation = number(4);
  r.left = number(5);
  r.right = number(6);
  r.top = number(7);
  r.bottom = number(8);
  r.material = number(9);
  return r;
}

// Limits of what a row may hold, so that everything stored reads back.
inline constexpr int kNameLength = 100;
inline constexpr int kMaxNumber = 1'000'000'000 - 1;
inline constexpr int kMaxRotation = 2;

// The display names of the rotation codes; empty for a code outside 0..2.
QString rotationName(int code);

// One entry of the models list of a parts database.
struct ModelEntry {
  QString name;
  QString count;  // kept as text, as the header file holds it
  friend bool operator==(const ModelEntry&, const ModelEntry&) = default;
};

struct GroupHeader {
  // `Header`/`FName`: the file name of the data table (no folder).
  QString dataFileName;
  std::vector<ModelEntry> models;
};

// Reads a header file. A missing key reads as empty. A header names only a
// table beside itself: an `FName` with a folder, "..", a drive letter or
// more than 255 bytes makes the header damaged. Throws GroupFileError when
// the file cannot be read or is damaged, naming it.
GroupHeader readGroupHeader(const QString& path);
// Writes `FName` and the models list (section `ModelsList` rewritten in
// full, keys 0, 1, ...; each value "\"name\",count"). Other keys of an
// existing header file are kept. Throws GroupFileError on failure, the old
// file then being as it was.
void writeGroupHeader(const QString& path, const GroupHeader& header);

// A data table as read: its live rows in file order (rows marked deleted
// are left out), with the values of the columns that are not parts fields,
// and those columns.
struct PartTable {
  std::vector<PartRow> rows;
  std::vector<dbase::FieldDef> extraFields;
  // Why the table cannot be written again without losing something (a
  // memo file, a column this layer cannot write); empty when it can.
  QString unwritable;
};
// Fields are found by name without regard to letter case; numbers are
// rounded to whole numbers. Throws GroupFileError when the file is missing,
// damaged or holds none of the parts fields.
PartTable readPartTable(const QString& path);
// The rows alone, without the values of extra columns (rows going into
// another table).
std::vector<PartRow> readPartRows(const QString& path);
// Writes the rows into a copy of the template table `templatePath`, with
// the columns `extraFields` after the template's (a row's `extra` values
// go there when it has one per column, else the cells stay blank), and
// puts it at `target` (a new file renamed over the old one). Throws
// GroupFileError naming what failed: `templateFailed` tells the template
// could not be read, otherwise the new file could not be written.
struct PartTableWriteError : GroupFileError {
  PartTableWriteError(const QString& text, bool templateFailed)
      : GroupFileError(text), templateFailed(templateFailed) {}
  bool templateFailed;
};
void writePartTable(const QString& templatePath, const QString& target, const std::vector<PartRow>& rows,
                    const std::vector<dbase::FieldDef>& extraFields = {});

// Why a part name cannot be stored (too long, or a character that code
// page 1251 has not), or an empty text when it can.
QString checkName(const QString& name);

}  // namespace kroyna::parts
