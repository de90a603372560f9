#pragma once

// The minimum stock dialog "Минимум листов" and its quantity dialog
// "Количество листов". The rows and their rules are in MinimumStock.h.

#include "warehouse/MinimumStock.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QTableView;
class QToolButton;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

class StockModule;

// One field "Количество листов" (a whole number from 0 to 2147483647),
// "&Да" and "&Отмена"; "&Да" refuses anything else with a message.
class SheetQuantityDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SheetQuantityDialog(std::int32_t quantity, QWidget* parent = nullptr);
  QLineEdit* edit() const { return edit_; }
  std::int32_t quantity() const { return quantity_; }
  void accept() override;

 private:
  QLineEdit* edit_ = nullptr;
  std::int32_t quantity_ = 0;
};

// Asks for a number of sheets; nothing on "&Отмена". Tests replace it.
using QuantityPrompt = std::function<std::optional<std::int32_t>(std::int32_t initial)>;
QuantityPrompt quantityDialogPrompt(QWidget* parent);

// The minimums of every catalogue material in a grid ("Материал",
// "Количество"), several rows selectable, with "&Количество", "&Да" and
// "&Отмена" in its toolbar. It opens on the row of `code` (the first row
// for the all-materials code). "&Да" writes `WH` of every material and
// closes; "&Отмена" closes without writing.
class MinimumStockDialog : public QDialog {
  Q_OBJECT
 public:
  // Throws when the scratch table cannot be made (see MinimumStockTable).
  MinimumStockDialog(StockModule& module, ini::IniFile& settings, int code, QWidget* parent = nullptr);
  ~MinimumStockDialog() override;

  QTableView* grid() const { return grid_; }
  MinimumStockModel* model() const { return model_.get(); }
  QToolButton* quantityButton() const { return quantity_; }
  void setQuantityPrompt(QuantityPrompt prompt) { prompt_ = std::move(prompt); }

  // "&Количество": the quantity dialog on the selected row's minimum (0
  // when several are selected); the number goes to every selected row.
  void setSelectedQuantity();
  // "&Да".
  void accept() override;

 private:
  void saveLayout();
  QList<int> selectedRows() const;

  ini::IniFile& settings_;
  std::unique_ptr<MinimumStockTable> table_;
  std::unique_ptr<MinimumStockModel> model_;
  QTableView* grid_ = nullptr;
  QToolButton* quantity_ = nullptr;
  QuantityPrompt prompt_;
};

// "Минимальное количество листов": the dialog for the material selected in
// the warehouse, or the message why it cannot open.
void editMinimumStock(StockModule& module, ini::IniFile& settings, int code, QWidget* parent);

}  // namespace kroyna::warehouse
