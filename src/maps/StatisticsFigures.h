#pragma once

// The statistics of a maps document as the statistics command shows them
// and its report prints them: the totals over the maps the material
// filter shows, their six texts and their edge use. No widgets here.

#include "common/settings/AllMaterials.h"
#include "maps/MapsDocument.h"

#include <QString>

#include <utility>
#include <vector>

namespace kroyna::maps {

struct StatisticsFigures {
  QString materialName;  // the selected materials panel entry
  int materialCode = kAllMaterials;
  // Six label/value rows: "Бесполезный отход:" ... "Общая длина резов:".
  std::vector<std::pair<QString, QString>> rows;
  MapTotals totals;
  // "Быстрый", "Полный", "Улучшенный" or several of them, comma separated,
  // for the maps shown; empty when not known (maps read from a file).
  QString search;
};

StatisticsFigures statisticsFigures(const MapsDocument& document, const QString& materialName);

// One row of the edge use table: the catalogue name of the code (empty
// when the catalogue has not got it) and the length in metres.
struct EdgeUseRow {
  QString name;
  QString length;
};
std::vector<EdgeUseRow> edgeUseRows(const MapTotals& totals, const MapsEnvironment& environment);

}  // namespace kroyna::maps
