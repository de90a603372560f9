#pragma once

// The stock check of standard sheets: every sheet size of a material whose
// count in the warehouse has fallen below the material's minimum (see
// MinimumStock.h). It reads the working copy of the standard sheets, so
// unsaved changes in the warehouse count. Offcuts take no part in it.
//
// It runs on command ("Проверить количество листов", with the all-clear
// message) and, while `CheckStdSheetsQuantity` is on, when the program
// starts and when it ends (without it).

#include <QStringList>

#include <functional>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

class StockModule;

// What the check found: the report lines, and the reasons of sheet rows
// that could not be read (the check then goes on without them).
struct StockShortage {
  // Per material below its minimum: its name, one line "Лист L x W, n шт.
  // (из m)" per sheet size in table order, and an empty line.
  QStringList lines;
  QStringList failures;
};

// Walks the catalogue materials in name order against the standard-sheet
// working copy of `module`.
StockShortage findShortage(StockModule& module, const ini::IniFile& settings);

// Shows a shortage report to the user. The program installs the dialog
// "Стандартные листы"; without one the report goes through the message
// boxes (shell/Messages.h) as a warning.
using ShortageDisplay = std::function<void(const QStringList& lines)>;
void setShortageDisplay(ShortageDisplay display);
void showShortage(const QStringList& lines);

// Runs the check and shows its report. With `allClear` (the command) and
// nothing short, "Стандартных листов на складе достаточно!". Sheet rows
// that could not be read are reported, never passed off as enough stock.
void checkStock(StockModule& module, const ini::IniFile& settings, bool allClear);

// The check at start and at exit: runs without the all-clear message when
// `CheckStdSheetsQuantity` is on, does nothing otherwise.
void checkStockAutomatically(StockModule& module, const ini::IniFile& settings);

}  // namespace kroyna::warehouse
