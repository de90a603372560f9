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
//
// Standard sheets are deducted: each size of the used-sheets list loses
// what the maps used (initial − remaining), from what the stock holds at
// the time of the accept, so that sheets delivered or taken since the run
// are not overwritten. When the stock holds fewer than the maps used,
// nothing is accepted.
//
// A result accepted is written into the journal of accepted results
// (AcceptJournal.h) once every step has succeeded; accepting maps the
// journal knows asks first.

#include "maps/AcceptJournal.h"
#include "platform/dbase/Value.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <string>

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
// %1 the material (" <name>" or empty), %2 x %3 the sheet size, %4 the
// sheets in stock, %5 the sheets the maps used.
inline const char* const kTooFewSheets =
    "На складе не хватает стандартных листов%1 %2 x %3:\rна складе %4, по картам раскроя использовано %5.\r\r"
    "Раскрой не принят, склад не изменён.";
// %1 the date and time of the earlier accept.
inline const char* const kAcceptedBefore = "Этот раскрой уже принят на склад %1. Принять его ещё раз?";
// %1 why.
inline const char* const kJournalNotWritten = "Раскрой принят на склад, но в журнал принятых раскроев не записан:\r%1";

QString tooFewSheetsMessage(const std::string& material, std::int32_t length, std::int32_t width, long long inStock,
                            long long used);

class ResultAcceptance {
 public:
  // `settings` holds [Default] AutoScrapsMark and the per-material Mark
  // records. Without a journal nothing is remembered or asked.
  ResultAcceptance(warehouse::StockModule& stock, ini::IniFile& settings, AcceptJournal* journal = nullptr);

  AcceptJournal* journal() const { return journal_; }

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
  AcceptJournal* journal_ = nullptr;
};

// The command. When the journal knows the maps, it first asks "Этот раскрой
// уже принят на склад <дата> <время>. Принять его ещё раз?" ("Нет" the
// default); a journal that cannot be read wholly is reported and the
// command goes on. Then it asks "Принять данный вариант разложения? ..."
// and, on Yes, applies the document through `acceptance`; a failure is
// shown. An accept that succeeded is written into the journal with the
// time `now` (a journal that cannot be written is reported; the accept
// stands). Returns whether the result was accepted (the command is then
// disabled for good).
bool acceptResultCommand(MapsDocument& document, ResultAcceptance& acceptance, QWidget* parent,
                         const QDateTime& now = QDateTime::currentDateTime());

}  // namespace kroyna::maps
