#pragma once

// The rows of a stock view (standard sheets or offcuts) as a table model
// for the warehouse grids. Edits are checked before they reach the
// working copy: sizes and quantities are whole numbers that are not
// negative, a stored offcut has a quantity of at least 1, a date is a
// date. A refused edit shows its message and changes nothing.
//
// A row the user adds stays out of the working copy while the user is on
// it (StockModule::appendNewRow); leaving it posts it, or drops it when it was
// never changed (StockModule::postPending).

#include "warehouse/StockModule.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace kroyna::warehouse {

class StockGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // `newRowCode` gives the material of a row typed in (the selected
  // material, or `DefMaterial` while all materials are shown).
  StockGridModel(StockModule& module, StockKind kind, std::function<int()> newRowCode, QObject* parent = nullptr);

  StockKind kind() const { return kind_; }
  // Columns: sheets "Длина", "Ширина", "Количество", CODE (hidden),
  // "Материал"; offcuts "Шифр", "Длина", "Ширина", "Количество", CODE
  // (hidden), "Дата", "Материал".
  int codeColumn() const { return kind_ == StockKind::Sheets ? 3 : 4; }
  int matNameColumn() const { return kind_ == StockKind::Sheets ? 4 : 6; }
  int dateColumn() const { return kind_ == StockKind::Sheets ? -1 : 5; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // Appends a row for the user to fill: the material of newRowCode(), an
  // offcut also today's date and a quantity of 1. Returns its row (-1
  // after a message when the row before it cannot be stored).
  int appendRow();
  // Whether `row` is the new row not yet in the working copy.
  bool isNewRow(int row) const;
  // Moves the view's cursor to the row (for delete and the date button);
  // leaving a new row posts or drops it first.
  bool moveTo(int row);
  // Reads the rows again (after changes outside the grid).
  void reload();

 private:
  const char* fieldOf(int column) const;
  StockModule& module_;
  StockKind kind_;
  std::function<int()> newRowCode_;
  std::vector<dbase::Bookmark> rows_;
  int dropping_ = -1;  // the row of a new row being dropped
};

}  // namespace kroyna::warehouse
