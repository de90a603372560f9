#pragma once

// "П&ринять" of the maps window: brings the stock in line with a cutting
// result. Offcuts from stock that maps were cut from are taken out of the
// offcut working copy, the useful offcuts of every map are booked in with
// today's date (unnamed ones get the next automatic mark of their material
// when `AutoScrapsMark` is on), the offcuts are merged, and the standard
// sheets left over are written into the standard-sheet working copy. The
// stored stock tables change only when the warehouse is saved.
//
// All or nothing: when a step fails, the working copies, the changed flags,
// the mark records and the names given to offcuts go back to what they were
// before the command, and the failure's message is shown.

#include "platform/dbase/Value.h"

#include <QString>

class QWidget;

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::warehouse {
class StockModule;
}

namespace kroyna::maps {

class MapsDocument;
class MapsWindow;

// The texts of the command.
inline const char* const kAcceptQuestion =
    "Принять данный вариант разложения?\r\rПодтверждение приведёт к изменению\rсклада листов и базы отходов!";
inline const char* const kMergeFailed = "Внутренняя ошибка при подсчёте отходов\rодинакового размера!";
inline const char* const kSheetsFailed =
    "ВНИМАНИЕ!\r\rПроизошла ошибка при изменении базы стандартных листов!\rБаза может содержать неверные данные!";
inline const char* const kRefreshFailed = "Внутренняя ошибка при обновлении данных.";

class ResultAcceptance {
 public:
  // `settings` holds [Default] AutoScrapsMark and the per-material Mark
  // records.
  ResultAcceptance(warehouse::StockModule& stock, ini::IniFile& settings);

  // Applies the whole document (every map, whatever the material filter
  // shows) to the working copies, after the user confirmed. Returns an
  // empty text on success; otherwise the message to show, everything being
  // back as it was.
  QString apply(MapsDocument& document, const dbase::Date& today);

 private:
  // Takes Quantity offcuts of the map's size, material and stock name out
  // of the offcut working copy, from the matching rows in table order;
  // rows that reach 0 are deleted.
  void takeOffcutSheets(const MapsDocument& document, int map);

  warehouse::StockModule& stock_;
  ini::IniFile& settings_;
};

// The command: asks "Принять данный вариант разложения? ..." and, on Yes,
// applies the document through `acceptance`; a failure is shown. Returns
// whether the result was accepted (the command is then disabled for good).
bool acceptResultCommand(MapsDocument& document, ResultAcceptance& acceptance, QWidget* parent);

}  // namespace kroyna::maps
