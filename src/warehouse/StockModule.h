#pragma once

#include "common/settings/AllMaterials.h"

// The data module of the warehouse (`StockModule`): the stored stock tables
// `Sheets/Sheets.dbf` and `Sheets/Scraps.dbf`, their working copies
// `Temp/TempSh.dbf` and `Temp/TempSc.dbf`, the table views the warehouse
// window and the cutting run work through, and the two changed flags.
//
// Every change (grid edits, added sheets, clearing, merging, marking,
// booking offcuts in) goes to the working copies; the stored tables change
// only when a save copies a working copy over them. A save writes a new
// file and renames it over the stored table, so a failure leaves the
// previous stock complete.
//
// Failures throw (dbase::TableError and the like); the window catches them
// at the level of the user's command and shows the messages of the
// warehouse.

#include "common/settings/OffcutCriteria.h"
#include "platform/dbase/Table.h"
#include "warehouse/MaterialDirectory.h"

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

enum class StockKind { Sheets, Scraps };

// The date filter of the offcut list: both dates inclusive.
struct DateFilter {
  bool on = false;
  dbase::Date from;
  dbase::Date to;
};

// Offcut label rows: four parallel lists, one entry per physical offcut.
struct OffcutLabelRows {
  std::vector<std::string> codes;
  std::vector<std::string> dimensions;  // "%d x %d"
  std::vector<std::string> materials;
  std::vector<std::string> comments;
};

// What a statement-level clean-up did.
struct CleanUpResult {
  std::size_t deleted = 0;
  std::vector<std::string> failures;  // one text per failed statement
};

// Row of the warehouse statistics.
struct WarehouseInfoRow {
  int code = 0;
  std::string material;
  double sheetSquare = 0;  // m²
  double scrapSquare = 0;  // m²
};

class StockModule : public QObject {
  Q_OBJECT
 public:
  // `dataRoot` holds Pattern/, Sheets/ and Temp/. `materials` gives the
  // names of the `MatName` column and of messages; it must outlive this.
  StockModule(std::filesystem::path dataRoot, const MaterialDirectory& materials, QObject* parent = nullptr);
  ~StockModule() override;

  const MaterialDirectory& materials() const { return materials_; }
  // Rereads the material names that `MatName` shows (after the catalogue
  // changed); selectMaterial() also does.
  void refreshMaterialNames();
  // The catalogue name of a code as last read; empty when not there.
  std::string materialName(int code) const;

  // ---- Files ----
  const std::filesystem::path& dataRoot() const { return root_; }
  std::filesystem::path patternFolder() const;
  std::filesystem::path storedTable(StockKind kind) const;  // Sheets/Sheets.dbf, Sheets/Scraps.dbf
  std::filesystem::path workingCopy(StockKind kind) const;  // Temp/TempSh.dbf, Temp/TempSc.dbf
  std::filesystem::path scratchTable() const;               // Temp/$$$.dbf

  // ---- Views ----
  dbase::Table& tblSheets() { return sheets_; }
  dbase::Table& tblScraps() { return scraps_; }
  // The standard sheets of one material with Many > 0, edits kept in
  // memory and never written back (cutting run, sheet choice dialog).
  dbase::Table& tblSheets2() { return sheets2_; }
  dbase::Table& view(StockKind kind) { return kind == StockKind::Sheets ? sheets_ : scraps_; }

  // ---- Changed flags ----
  bool sheetsChanged() const { return sheetsChanged_; }
  bool scrapsChanged() const { return scrapsChanged_; }
  bool changed(StockKind kind) const { return kind == StockKind::Sheets ? sheetsChanged_ : scrapsChanged_; }
  void setChanged(StockKind kind, bool on);

  // ---- Working copies ----
  // Closes the view, copies the template over the working copy and copies
  // every row of the stored table into it. A stored table that does not
  // exist yet (a new program folder) is first made from its template.
  // The view is opened by the next selectMaterial().
  void makeWorkingCopy(StockKind kind);

  // Shows the rows of one material (or all for kAllMaterials) in both
  // views; the offcut view also under the date filter.
  void selectMaterial(int code, const DateFilter& filter);
  int selectedMaterial() const { return selected_; }
  const DateFilter& dateFilter() const { return filter_; }
  // Applies the last selection again (after statement-level changes).
  void reselect() { selectMaterial(selected_, filter_); }

  // A row typed into a grid: appended to the view with the values of a new
  // row (material `code`; sheets 0 of size 0 x 0, an offcut 1 of size
  // 0 x 0 entered today) and kept unposted, so that it reaches the working
  // copy only through postPending().
  void appendNewRow(StockKind kind, int code);
  // Whether such a row is waiting in the view, and its bookmark.
  bool hasNewRow(StockKind kind) const;
  dbase::Bookmark newRowBookmark(StockKind kind) const;
  // Drops the new row unposted (deleting it, leaving the grid for good).
  void dropNewRow(StockKind kind);

  // Finishes an edit or insert still open in a view. A new row that still
  // holds the values it was given (the user never changed it) is dropped:
  // nothing reaches the working copy and the changed flag stays as it was.
  // A changed one must have a length and a width of at least 1 mm; else
  // StockInputError says which, and the row stays for the user to mend.
  void postPending(StockKind kind);
  void postPending();

  // Posts pending edits, flushes the working copy and copies it over the
  // stored table; clears the flag only when that succeeded. Throws with the
  // reason; the stored table is then as it was.
  void save(StockKind kind);
  // Copies the stored table over the working copy, reopens the view and
  // clears the flag.
  void revert(StockKind kind);

  // ---- Operations ----
  // Adds `quantity` sheets to the row of the same size and material, or
  // appends a row. Sets the sheets-changed flag. Throws std::range_error
  // when the sum would not fit a whole 32-bit number (nothing changes).
  void addSheets(std::int32_t length, std::int32_t width, std::int32_t quantity, int code);

  // Deletes the current row of a view; sets its flag.
  void deleteCurrent(StockKind kind);

  // Deletes the offcuts of a material (every offcut for kAllMaterials).
  // Returns the number deleted; sets the flag when some were. Throws when
  // the statement fails (nothing is deleted then).
  std::size_t clearOffcuts(int code);

  // Folds offcut rows equal in NAME, LENGTH, WIDTH, CODE and DATE into one
  // with the summed quantity. Throws on failure; the scratch table is
  // removed and the working copy is as it was.
  void mergeOffcuts();

  // Deletes the offcuts of material `code` that the criteria count as
  // waste (see ScrapCriteria). Each failed statement is reported in the
  // result and the others still run; the flag is set when rows went.
  CleanUpResult cleanUp(int code, const common::ScrapCriteria& criteria);

  // Gives every offcut of the view without a code the code prefix +
  // counter + suffix, counting on from `counter` to the first number not
  // used by an offcut of the same material. Returns the last counter
  // value; does nothing when the view is closed. Sets the flag when some
  // offcut got a code.
  std::int32_t markOffcuts(const std::string& prefix, const std::string& suffix, std::int32_t counter);

  // The next automatic mark of material `code` from its `Mark` record in
  // `ini`; writes the record back when it numbers continuously. Sets the
  // offcuts-changed flag: the stock is about to take an offcut of that
  // name, and the mark record has moved on.
  std::string nextMark(ini::IniFile& ini, int code);

  // Books an offcut into the working copy (acceptance of a cutting
  // result) and sets the flag. Throws when it cannot be stored.
  void bookInOffcut(const std::string& name, std::int32_t length, std::int32_t width, std::int32_t many, int code,
                    const dbase::Date& date);

  // Points tblSheets2 at the working copy, filtered to `code` and Many>0.
  void openSheetView(int code);

  // Length and width of the first standard-sheet row of the material in
  // the working copy (table order); nothing when it has none.
  std::optional<std::pair<std::int32_t, std::int32_t>> firstSheetSize(int code);
  // MANY of the first standard-sheet row of that material and size in the
  // working copy; nothing when there is no such row.
  std::optional<std::int32_t> sheetStock(int code, std::int32_t length, std::int32_t width);

  // Every offcut of the view repeated MANY times. The view is back at its
  // first row afterwards. Throws on failure.
  OffcutLabelRows offcutLabelRows();
  // How many labels offcutLabelRows() gives: the sum of MANY over the view
  // (a negative MANY counts as 0), to refuse a count too large before the
  // rows are built. The view is back at its first row afterwards.
  long long offcutLabelCount();

  // The stock list as printed: rows whose code is in the catalogue, with
  // MatName, ordered by material (and code name for offcuts); one material
  // or all.
  dbase::Table stockList(StockKind kind, int code);
  // Stock area per catalogue material, in name order.
  std::vector<WarehouseInfoRow> warehouseInfo();

  // Rereads both views from their files (after statements).
  void refreshViews();
  // Flushes and closes every view. Every view is closed even when a flush
  // fails; the first failure is then thrown.
  void closeViews();
  // Closes every view without writing what it holds, for callers that are
  // about to replace or remove the working copies.
  void discardViews();

  // Removes the working copies (end of the program).
  void removeWorkingCopies();

 signals:
  void changedFlagsChanged();
  // The new row of a view is dropped (before and after it goes).
  void newRowAboutToBeDropped(StockKind kind);
  void newRowDropped(StockKind kind);
  // The rows of the views changed outside the grids (statements, reopen).
  void viewsReset();

 private:
  void openView(StockKind kind);
  void addMatName(dbase::Table& table);
  std::filesystem::path root_;
  const MaterialDirectory& materials_;
  std::vector<MaterialEntry> names_;
  dbase::Table sheets_;
  dbase::Table scraps_;
  dbase::Table sheets2_;
  // The values a new row was given, while it waits in its view.
  std::optional<dbase::Row> newRow_[2];
  bool sheetsChanged_ = false;
  bool scrapsChanged_ = false;
  int selected_ = kAllMaterials;
  DateFilter filter_;
};

// A new stock row refused when it is posted; what() is the message.
class StockInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Whole-number helpers of the grids: text as a whole number that is not
// negative, or nothing.
std::optional<std::int32_t> parseWholeNumber(const std::string& text);

}  // namespace kroyna::warehouse
