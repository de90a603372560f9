#pragma once

// The two printed statistics of a maps document, without widgets:
//
// - the statistics report (Reports/Statistic.frf) of the statistics
//   dialog's "&Печать": one record per map the material filter shows,
//   with its sheet, waste, cuts and edge use, and the totals text of the
//   dialog;
// - the material consumption report (Reports/ScrapsInfo.frf) of
//   "Печать статистики по расходу материалов": one record per material of
//   every map, whatever the filter shows.
//
// Areas are shown with SqrDigits decimals and lengths with LenDigits, as
// in the maps window. The percentages of the statistics report are written
// with LenDigits decimals as well, so that a workshop that counts lengths
// in whole metres also reads whole percentages there; the maps window and
// the map report keep two decimals.

#include "maps/MapsDocument.h"
#include "maps/StatisticsFigures.h"
#include "platform/report/PreparedReport.h"
#include "platform/report/Value.h"
#include "reports/ReportPage.h"

#include <QString>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace kroyna::reports {

// part / base × 100 with `lenDigits` decimals; 0 (with those decimals)
// when the base has no area, instead of a division by zero.
QString statisticsPercent(double part, double base, int lenDigits);

// "Лист (SheetName): 2800 x 2070\r (material)" and, for two or more
// identical sheets, "; Кол-во: 2" after it.
QString sheetInfoText(const maps::SheetMap& map, const QString& materialName);

// The edge use of one sheet of a map (Quantity is not applied): per edge
// code in order of first use (top, bottom, left, right of each part in
// turn), the length in mm with the allowance of that edge added per side.
// Code 0 and codes the catalogue has not got (no name) are left out.
std::vector<std::pair<int, long long>> mapEdgeUse(const maps::SheetMap& map, const maps::MapsEnvironment& env);

// The variable BORDERSLIST of one map: "\rРасход кромки: \r" and one line
// "name: 1.23 м\r" per edge; empty when the map uses no edge banding.
QString mapBordersText(const maps::SheetMap& map, const maps::MapsEnvironment& env);

// The totals text (TOTALDATA) from the figures of the statistics dialog:
// "---------", the four areas with their share of the sheets' area, the
// cuts, and the edge use when there is any; every line ends in "\r".
QString totalsText(const maps::StatisticsFigures& figures, const maps::MapsEnvironment& env);

// The data of the statistics report: the maps the filter shows, in tab
// order, and the values of the report's variables.
class StatisticsReportData {
 public:
  explicit StatisticsReportData(const maps::MapsDocument& document);

  int recordCount() const { return static_cast<int>(maps_.size()); }
  // The map (its index among all maps) of a record from 0.
  int mapIndex(int record) const { return maps_.at(static_cast<std::size_t>(record)); }
  const QString& totals() const { return totals_; }

  // The value of a variable for the record `record` (from 0): TOTALDATA,
  // NUMBER, SHEETINFO, LOSTSCRAP, SCRAP, TOTALSCRAP, DETALSQUARE,
  // MILLLINESCOUNT, MILLLINESLENGTH and BORDERSLIST, written in capitals
  // exactly so. Nothing for any other name, or for a record out of range
  // (except TOTALDATA, which belongs to no record).
  std::optional<report::Value> variable(std::string_view name, int record) const;

 private:
  QString shareText(const char* label, double area, double sheetArea) const;

  const maps::MapsDocument& document_;
  std::vector<int> maps_;
  QString totals_;
};

// The values of a row of the material consumption report: CODE, NAME,
// SCRAPS and LOSTSCRAPS (areas in m² as "#0.000"), names in any case.
std::optional<report::Value> materialSummaryVariable(const maps::MaterialSummaryRow& row, std::string_view name);

// Prepares the reports from their templates (report::ReportError when the
// template cannot be read or the report cannot be laid out).
report::PreparedReport prepareStatisticsReport(const maps::MapsDocument& document, const QString& templatePath,
                                               const ReportPage& page);
report::PreparedReport prepareMaterialSummaryReport(const maps::MapsDocument& document, const QString& templatePath,
                                                    const ReportPage& page);

}  // namespace kroyna::reports
