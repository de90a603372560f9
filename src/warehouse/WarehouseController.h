#pragma once

#include "catalogues/Catalogues.h"

// What the warehouse window decides (`TfrmWareHouse` without its widgets):
// the materials bar and the selected material, the date filter, the last
// marking prefix and suffix, and every command of the window with its
// questions and messages. The window only shows this state and forwards
// the user's actions; tests drive this class and answer its questions
// through common::ScopedMessageHandler.

#include "common/settings/OffcutCriteria.h"
#include "warehouse/StockModule.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

// An entry of the materials bar: the same as the catalogues' own.
using BarEntry = catalogues::MaterialBarEntry;

// Values of the add-sheet dialog "Добавление листов" as typed.
struct AddSheetInput {
  QString length;
  QString width;
  QString quantity;
  std::optional<int> material;  // nothing when no material is chosen
};
// The first fault of the input in the dialog's order, with the field to
// focus (0 length, 1 width, 2 quantity, 3 material); nothing when valid.
struct AddSheetFault {
  QString message;
  int field = 0;
};
std::optional<AddSheetFault> checkAddSheet(const AddSheetInput& input);

// Values of the marking dialog "Маркировка остатков".
struct MarkInput {
  QString prefix;
  QString suffix;
  bool continuous = false;
  QString startWith;  // "начать с"
};

class WarehouseController {
 public:
  WarehouseController(StockModule& module, ini::IniFile& settings);

  StockModule& module() { return module_; }
  ini::IniFile& settings() { return settings_; }

  // ---- Start-up and materials bar ----
  // Makes both working copies; a failure shows its message and the
  // program goes on with that view empty.
  void makeWorkingCopies();
  // "<все материалы>" followed by the catalogue materials in name order.
  // Selects `code` when it is in the bar, else the first entry.
  void rebuildBar(int code);
  void rebuildBar() { rebuildBar(selected_); }
  const QList<BarEntry>& bar() const { return bar_; }
  int selectedCode() const { return selected_; }
  // The material of a row added to either grid: the selected material, or
  // `DefMaterial` under "<все материалы>".
  int newRowMaterial() const;
  int selectedIndex() const;
  QString materialNameOf(int code) const;
  // Shows the stock of one bar entry; "Ошибка при обращении к складу!" on
  // failure.
  void select(int code);

  // ---- Standard sheets and offcuts ----
  // Save: messages name the stored table that failed. Returns success.
  bool save(StockKind kind);
  // Asks, then deletes the current row of the page.
  void deleteRow(StockKind kind);
  // Adds sheets from a checked input (see checkAddSheet).
  bool addSheet(const AddSheetInput& input);
  // Asks for the selected material (or all) and clears the offcuts.
  void clearOffcuts();

  // ---- Offcut criteria ----
  // The merge before the dialog ("Внутренняя ошибка при подсчёте
  // отходов\rодинакового размера!" on failure, then goes on) and the stored
  // record of the selected material, for the dialog.
  common::ScrapCriteria beginScrapParams();
  // "&Да" of the criteria dialog: stores the record (joint mode off) for
  // the selected material, or every bar entry for all materials, cleans
  // up where asked, sets the flag and refreshes the view.
  void applyScrapParams(common::ScrapCriteria criteria);

  // ---- Date filter ----
  bool dateFilterOn() const { return filterOn_; }
  QString filterFrom() const;  // the texts the dialog starts with
  QString filterTo() const;
  QString statusText() const { return status_; }
  // "&Да" of the filter dialog. Returns false when a date is invalid
  // (after its message; the filter stays as it was).
  bool applyDateFilter(bool showAll, const QString& from, const QString& to);

  // ---- Marking ----
  // The dialog's starting values from the `Mark` record of the selected
  // material ("Material" + kAllMaterials for all): "начать с" is the stored number + 1.
  MarkInput beginMarking();
  // "&Да": writes the record and marks the shown offcuts. Returns false
  // when "начать с" is not a number (after a message).
  bool applyMarking(const MarkInput& input);

  // ---- Closing ----
  // Asks about unsaved sheets, then offcuts (Yes saves, No reverts, Cancel
  // keeps the window open). Returns whether the window may close; then
  // both flags are clear.
  bool queryClose();

  // ---- Offcut labels ----
  // The label rows of the current offcut view; empty lists after
  // "Ошибка создания списка остатков.".
  OffcutLabelRows offcutLabelRows();

  // The date filter as the module takes it.
  DateFilter currentFilter() const;

 private:
  StockModule& module_;
  ini::IniFile& settings_;
  QList<BarEntry> bar_;
  int selected_ = kAllMaterials;
  bool filterOn_ = false;
  QString fromText_, toText_;
  dbase::Date from_, to_;
  QString status_;
};

}  // namespace kroyna::warehouse
