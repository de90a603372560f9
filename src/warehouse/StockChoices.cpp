#include "warehouse/StockChoices.h"

#include <cmath>
#include <exception>

#include "common/settings/SettingsKeys.h"
#include "platform/dbase/Table.h"

namespace kroyna::warehouse {

namespace {

std::int32_t cellInt(const dbase::Table& t, const char* field) {
  try {
    if (t.isNull(field)) return 0;
    const double v = std::round(t.asDouble(field));
    if (!std::isfinite(v) || v > 2147483647.0 || v < -2147483648.0) return 0;
    return static_cast<std::int32_t>(v);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

std::variant<SheetChoice, QString> pickSheet(dbase::Table& view, const QString& materialName) {
  if (!view.isOpen() || view.isEmpty() || !view.hasCurrentRow())
    return QStringLiteral("Выбрать стандартный лист невозможно.\rБаза листов материала <%1> пустая.").arg(materialName);
  // A size no saw cuts is a fault of the stock table, not a sheet to lay
  // out on.
  for (const char* field : {"LENGTH", "WIDTH"}) {
    double v = 0;
    try {
      v = view.isNull(field) ? 0 : std::round(view.asDouble(field));
    } catch (const std::exception&) {
    }
    if (!(v >= 1 && v <= common::kMaxSizeMm))
      return QStringLiteral(
                 "Выбрать этот лист невозможно: его %1 %2 мм вне допустимых пределов (от 1 до %3 мм).\r"
                 "Исправьте его в базе стандартных листов (Sheets/Sheets.dbf).")
          .arg(QString::fromUtf8(field[0] == 'L' ? "длина" : "ширина"))
          .arg(QString::fromStdString(dbase::Value(v).toString()))
          .arg(common::kMaxSizeMm);
  }
  return SheetChoice{cellInt(view, "LENGTH"), cellInt(view, "WIDTH"), cellInt(view, "MANY")};
}

}  // namespace kroyna::warehouse
