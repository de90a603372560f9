#include "warehouse/StockCheck.h"

#include "common/Messages.h"
#include "common/settings/MaterialSettings.h"
#include "common/settings/SettingsKeys.h"
#include "platform/dbase/Statements.h"
#include "warehouse/MinimumStock.h"
#include "warehouse/StockModule.h"

#include <cmath>

namespace kroyna::warehouse {

namespace {

ShortageDisplay& displaySlot() {
  static ShortageDisplay display;
  return display;
}

// A cell of a numeric field as the report shows it: the whole number, 0
// for a blank cell.
double numberOf(const dbase::Value& v) { return v.isNumber() && std::isfinite(v.number()) ? v.number() : 0.0; }

QString wholeText(const dbase::Value& v) { return QString::number(std::llround(numberOf(v))); }

}  // namespace

StockShortage findShortage(StockModule& module, const ini::IniFile& settings) {
  StockShortage out;
  const std::vector<MaterialEntry> materials = module.materials().materials();
  // Every sheet row of the working copy, in table order; a grid edit still
  // open counts as well.
  std::vector<dbase::Row> rows;
  int length = -1, width = -1, many = -1, code = -1;
  try {
    module.postPending(StockKind::Sheets);
    const dbase::RowSource sheets(module.workingCopy(StockKind::Sheets));
    length = dbase::findField(sheets.fields(), "LENGTH");
    width = dbase::findField(sheets.fields(), "WIDTH");
    many = dbase::findField(sheets.fields(), "MANY");
    code = dbase::findField(sheets.fields(), "CODE");
    if (length < 0 || width < 0 || many < 0 || code < 0)
      throw dbase::TableError(module.workingCopy(StockKind::Sheets), "нет полей LENGTH, WIDTH, MANY и CODE");
    rows = sheets.rows();
  } catch (const std::exception& e) {
    out.failures << QString::fromUtf8(e.what());
    return out;
  }
  const auto at = [](const dbase::Row& r, int i) -> const dbase::Value& { return r[static_cast<std::size_t>(i)]; };
  for (const MaterialEntry& m : materials) {
    const std::int32_t minimum = common::MaterialSettings(m.code).minimumSheets(settings);
    if (minimum <= 0) continue;
    bool named = false;
    for (const dbase::Row& r : rows) {
      if (!at(r, code).isNumber() || std::llround(at(r, code).number()) != m.code) continue;
      if (numberOf(at(r, many)) >= minimum) continue;
      if (!named) {
        out.lines << QString::fromStdString(m.name);
        named = true;
      }
      out.lines << QStringLiteral("Лист %1 x %2, %3 шт. (из %4)")
                       .arg(wholeText(at(r, length)), wholeText(at(r, width)), wholeText(at(r, many)))
                       .arg(minimum);
    }
    if (named) out.lines << QString();
  }
  return out;
}

void setShortageDisplay(ShortageDisplay display) { displaySlot() = std::move(display); }

void showShortage(const QStringList& lines) {
  if (const ShortageDisplay& d = displaySlot()) {
    d(lines);
    return;
  }
  common::showMessage(
      QStringLiteral("ВНИМАНИЕ!\r\nНедостаточно следующих стандартных листов на складе\r\n\r\n") + lines.join("\r\n"),
      common::MsgIcon::Warning);
}

void checkStock(StockModule& module, const ini::IniFile& settings, bool allClear) {
  const StockShortage found = findShortage(module, settings);
  if (!found.lines.isEmpty()) showShortage(found.lines);
  if (!found.failures.isEmpty()) {
    common::showError(QStringLiteral("Не удалось проверить количество стандартных листов на складе:\r%1")
                          .arg(found.failures.join(QStringLiteral("\r"))));
  } else if (found.lines.isEmpty() && allClear) {
    common::showInformation(QStringLiteral("Стандартных листов на складе достаточно!"));
  }
}

void checkStockAutomatically(StockModule& module, const ini::IniFile& settings) {
  if (common::read(settings, common::keys::CheckSheetStock)) checkStock(module, settings, false);
}

}  // namespace kroyna::warehouse
