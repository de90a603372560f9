#pragma once

#include <QString>

#include <vector>

namespace kroyna::parts {

class PartsDocument;

// One cell of the spreadsheet export; row and column count from 1.
struct SheetCell {
  int row = 0;
  int column = 0;
  QString text;
  friend bool operator==(const SheetCell&, const SheetCell&) = default;
};

// The cells of the parts list as the spreadsheet shows it: the base's
// file name, the four totals, the titles of `columns` (grid columns in
// display order) in row 9 and one row per row shown from row 10. Every
// cell is text.
std::vector<SheetCell> spreadsheetCells(const PartsDocument& doc, const std::vector<int>& columns);

// Writes the cells into a new .xlsx workbook at `path` (a new file renamed
// over `path`). Throws GroupFileError when it cannot be written.
void writeSpreadsheet(const QString& path, const std::vector<SheetCell>& cells);

// A file name for the export of a base in `folder`: the base's name (or
// "База деталей" for an untitled one) with ".xlsx", numbered " (2)",
// " (3)" ... when that file exists, so that an earlier export is never
// replaced.
QString spreadsheetPath(const QString& folder, const PartsDocument& doc);

}  // namespace kroyna::parts
