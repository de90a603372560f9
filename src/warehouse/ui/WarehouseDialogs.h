#pragma once

// Dialogs of the warehouse that other windows also use: the sheet choice
// "Выбор из базы листов", the run-out question "Склад (стандартные
// листы)", the material search "Поиск материала" and the add-sheet dialog
// "Добавление листов".
//
// The choice and run-out dialogs are asked through replaceable handlers,
// so that the cutting run can be driven without windows in tests.

#include "platform/dbase/Table.h"
#include "warehouse/StockChoices.h"
#include "warehouse/WarehouseController.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTableWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

// ---- Sheet choice ----
// Shows the dialog over module.tblSheets2() (the caller opens it with
// openSheetView first); `materialName` empty shows "<нет данных>".
// Returns the chosen row, or nothing when cancelled.
std::optional<SheetChoice> chooseStandardSheet(StockModule& module, const QString& materialName,
                                               QWidget* parent = nullptr);
using SheetChoiceHandler = std::function<std::optional<SheetChoice>(StockModule&, const QString&)>;
// Replaces the dialog (tests); an empty handler restores it.
void setSheetChoiceHandler(SheetChoiceHandler handler);

// ---- Run-out ----
// Asks how to go on when standard sheets ran out. The first time "Завершить
// разложение" is preselected, later the previous answer.
RunOutChoice askRunOut(QWidget* parent = nullptr);
using RunOutHandler = std::function<RunOutChoice(RunOutChoice preselected)>;
void setRunOutHandler(RunOutHandler handler);

// ---- Add sheet ----
class AddSheetDialog : public QDialog {
  Q_OBJECT
 public:
  // `materials` in name order; `selected` preselected (none for the
  // all-materials code).
  AddSheetDialog(const QList<BarEntry>& materials, int selected, QWidget* parent = nullptr);
  AddSheetInput input() const;
  void setInput(const AddSheetInput& input);
  // "&Да": checks the input; shows the first fault and focuses its field.
  void accept() override;

 private:
  QLineEdit* length_ = nullptr;
  QLineEdit* width_ = nullptr;
  QLineEdit* quantity_ = nullptr;
  QComboBox* material_ = nullptr;
};

// ---- Run-out dialog widget ----
class RunOutDialog : public QDialog {
  Q_OBJECT
 public:
  RunOutDialog(RunOutChoice preselected, QWidget* parent = nullptr);
  RunOutChoice choice() const;

 private:
  QRadioButton* buttons_[3] = {};
};

// ---- Sheet choice dialog widget ----
class SheetChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  SheetChoiceDialog(dbase::Table& view, const QString& materialName, ini::IniFile* settings, QWidget* parent = nullptr);
  ~SheetChoiceDialog() override;
  const SheetChoice& result() const { return result_; }
  void accept() override;

 private:
  dbase::Table& view_;
  QString materialName_;
  ini::IniFile* settings_;
  QTableWidget* grid_ = nullptr;
  SheetChoice result_;
};

}  // namespace kroyna::warehouse
