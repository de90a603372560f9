#include "maps/StatisticsFigures.h"

#include "platform/text/Literals.h"

namespace kroyna::maps {

namespace {
using text::u;
}  // namespace

StatisticsFigures statisticsFigures(const MapsDocument& doc, const QString& materialName) {
  StatisticsFigures f;
  f.materialName = materialName;
  f.materialCode = doc.materialFilter();
  f.totals = doc.totals();
  const MapsEnvironment& env = doc.environment();
  const QString sq = u(" кв м");
  f.rows = {{u("Бесполезный отход:"), formatArea(f.totals.lost, env.sqrDigits()) + sq},
            {u("Полезный отход:"), formatArea(f.totals.scrap, env.sqrDigits()) + sq},
            {u("Полный отход:"), formatArea(f.totals.total, env.sqrDigits()) + sq},
            {u("Площадь деталей:"), formatArea(f.totals.detals, env.sqrDigits()) + sq},
            {u("Общее кол-во резов:"), QString::number(f.totals.millCount)},
            {u("Общая длина резов:"), formatLength(f.totals.millLength, env.lenDigits()) + u(" м")}};
  f.search = doc.searchesShown().join(u(", "));
  return f;
}

std::vector<EdgeUseRow> edgeUseRows(const MapTotals& totals, const MapsEnvironment& env) {
  std::vector<EdgeUseRow> rows;
  for (const auto& [code, length] : totals.edges)
    if (code != 0) rows.push_back({env.edgeName(code), formatLength(double(length), env.lenDigits())});
  return rows;
}

}  // namespace kroyna::maps
