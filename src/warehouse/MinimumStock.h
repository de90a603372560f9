#pragma once

// Minimum stock of standard sheets per material: key `WH` of the section
// "Material" + code of the settings file, a comma list whose first item is
// the least number of sheets of each size that should be on hand.
//
// The minimum stock dialog edits the minimums of every catalogue material
// at once. Its rows have the layout of the scratch table Sheets/Quantity.dbf
// (made from Pattern/Quantity.dbf each time the dialog opens, deleted when
// it closes); they stay in memory as cached edits and never reach the file.

#include "platform/dbase/Table.h"
#include "warehouse/MaterialDirectory.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

// A material's minimum is its settings record `WH`
// (common::MaterialSettings::minimumSheets).

// A minimum typed by the user: a whole number from 0 to 2147483647
// (blanks around allowed); nothing otherwise.
std::optional<std::int32_t> parseMinimum(const QString& text);
// The message for a typed minimum that parseMinimum refuses.
QString minimumInputError();

// The scratch table of the dialog in the program folder: Sheets/Quantity.dbf.
std::filesystem::path minimumScratchTable(const std::filesystem::path& dataRoot);

// The rows of the minimum stock dialog.
class MinimumStockTable {
 public:
  // Makes the scratch table `scratch` from the template Quantity.dbf of
  // `patternFolder` (a failed copy is ignored: an earlier scratch table
  // still gives the layout) and opens it. Throws when no table can be
  // opened there.
  MinimumStockTable(const std::filesystem::path& patternFolder, std::filesystem::path scratch);
  // Closes and deletes the scratch table.
  ~MinimumStockTable();
  MinimumStockTable(const MinimumStockTable&) = delete;
  MinimumStockTable& operator=(const MinimumStockTable&) = delete;

  // One row per material, in the order given (the catalogue's name order),
  // with the minimum read from `ini`. A failure keeps the rows read so far
  // and throws.
  void load(const std::vector<MaterialEntry>& materials, const ini::IniFile& ini);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  int code(int row) const;
  // The catalogue name as it is (the table's field holds 35 characters).
  const std::string& name(int row) const;
  std::int32_t quantity(int row) const;
  void setQuantity(int row, std::int32_t quantity);
  // The row of a material code; -1 when there is none.
  int rowOf(int code) const;

  // Writes `WH` of every row's material in one write of the settings file.
  // Throws when it fails; the file is then as it was.
  void write(ini::IniFile& ini) const;

  const std::filesystem::path& scratchPath() const { return scratch_; }

 private:
  struct RowRef {
    dbase::Bookmark mark;
    int code = 0;
    std::string name;
  };
  dbase::Table table_;
  std::filesystem::path scratch_;
  std::vector<RowRef> rows_;
};

// The grid of the minimum stock dialog: "Материал" (read-only) and
// "Количество" (typed minimums are checked before they are kept).
class MinimumStockModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit MinimumStockModel(MinimumStockTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A value that is not a whole number from 0 to 2147483647 is refused
  // with a message; the row keeps its minimum.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // "&Количество": sets the minimum of every row given.
  void setQuantity(const QList<int>& rows, std::int32_t quantity);

  MinimumStockTable& table() { return table_; }

 private:
  MinimumStockTable& table_;
};

}  // namespace kroyna::warehouse
