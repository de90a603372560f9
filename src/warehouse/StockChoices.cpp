#include "warehouse/StockChoices.h"

#include <cmath>
#include <exception>

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
  return SheetChoice{cellInt(view, "LENGTH"), cellInt(view, "WIDTH"), cellInt(view, "MANY")};
}

}  // namespace kroyna::warehouse
