#include "reports/StatisticsReports.h"

#include "common/settings/SettingsValues.h"
#include "maps/model/MapRules.h"
#include "platform/report/Report.h"
#include "platform/text/Cp1251.h"
#include "platform/text/Literals.h"

#include <algorithm>

namespace kroyna::reports {

namespace {

using text::u;

const QString kCr = QStringLiteral("\r");

report::Value text(const QString& s) { return report::Value::text(s.toStdString()); }

}  // namespace

QString statisticsPercent(double part, double base, int lenDigits) {
  const double share = base > 0 ? part / base * 100.0 : 0.0;
  return QString::fromStdString(common::formatFixed(share, lenDigits));
}

QString sheetInfoText(const maps::SheetMap& m, const QString& materialName) {
  const QString name = m.SheetName.empty() ? QString() : u(" (") + QString::fromStdString(m.SheetName) + u(")");
  const QString quantity = m.Quantity >= 2 ? u("; Кол-во: ") + QString::number(m.Quantity) : QString();
  return u("Лист") + name + u(": ") + QString::number(m.length) + u(" x ") + QString::number(m.width) + kCr + u(" (") +
         materialName + u(")") + quantity;
}

std::vector<std::pair<int, long long>> mapEdgeUse(const maps::SheetMap& m, const maps::MapsEnvironment& env) {
  maps::EdgeUse edges;
  for (const maps::MapPart& p : m.Parts)
    maps::addPartEdgeUse(edges, p, 1, [&env](int code) { return env.edgeAllowance(code); });
  std::erase_if(edges, [&env](const auto& e) { return e.first == 0 || env.edgeName(e.first).isEmpty(); });
  return edges;
}

QString mapBordersText(const maps::SheetMap& m, const maps::MapsEnvironment& env) {
  const std::vector<std::pair<int, long long>> edges = mapEdgeUse(m, env);
  if (edges.empty()) return {};
  QString out = kCr + u("Расход кромки: ") + kCr;
  for (const auto& [code, length] : edges)
    out += env.edgeName(code) + u(": ") + maps::formatLength(double(length), env.lenDigits()) + u(" м") + kCr;
  return out;
}

QString totalsText(const maps::StatisticsFigures& f, const maps::MapsEnvironment& env) {
  const double base = f.totals.sheetArea;
  const double shares[] = {f.totals.lost, f.totals.scrap, f.totals.total, f.totals.detals};
  QString out;
  for (std::size_t i = 0; i < f.rows.size(); ++i) {
    const auto& [label, value] = f.rows[i];
    out += label + u(" ") + value;
    if (i < std::size(shares)) out += u(" (") + statisticsPercent(shares[i], base, env.lenDigits()) + u("%)");
    out += kCr;
  }
  const std::vector<maps::EdgeUseRow> edges = maps::edgeUseRows(f.totals, env);
  if (!edges.empty()) {
    out += kCr + u("Расход кромки: ") + kCr;
    for (const maps::EdgeUseRow& e : edges) out += e.name + u(": ") + e.length + u(" м") + kCr;
  }
  if (!out.trimmed().isEmpty()) out = u("---------") + kCr + out;
  return out;
}

// ---- Statistics report ----

StatisticsReportData::StatisticsReportData(const maps::MapsDocument& document) : document_(document) {
  for (int i = 0; i < document.mapCount(); ++i)
    if (document.isVisible(i)) maps_.push_back(i);
  totals_ = totalsText(maps::statisticsFigures(document, QString()), document.environment());
}

QString StatisticsReportData::shareText(const char* label, double area, double sheetArea) const {
  const maps::MapsEnvironment& env = document_.environment();
  return u(label) + maps::formatArea(area, env.sqrDigits()) + u(" кв м") + u(" (") +
         statisticsPercent(area, sheetArea, env.lenDigits()) + u("%)");
}

std::optional<report::Value> StatisticsReportData::variable(std::string_view name, int record) const {
  if (name == "TOTALDATA") return text(totals_);
  if (record < 0 || record >= recordCount()) return std::nullopt;
  const maps::SheetMap& m = document_.map(mapIndex(record));
  const maps::MapsEnvironment& env = document_.environment();
  const double s = m.sheetArea();
  if (name == "NUMBER") return report::Value::number(record + 1);
  if (name == "SHEETINFO") return text(sheetInfoText(m, env.materialName(m.MaterialCode)));
  if (name == "LOSTSCRAP") return text(shareText("Бесполезный отход: ", m.LostSquare, s));
  if (name == "SCRAP") return text(shareText("Полезный отход: ", m.ScrapSquare, s));
  if (name == "TOTALSCRAP") return text(shareText("Полный отход: ", m.TotalSquare, s));
  if (name == "DETALSQUARE") return text(QString());
  if (name == "MILLLINESCOUNT") return text(u("Количество резов: ") + QString::number(m.MillLinesCount));
  if (name == "MILLLINESLENGTH")
    return text(u("Длина резов: ") + maps::formatLength(m.MillLinesLength, env.lenDigits()) + u(" м"));
  if (name == "BORDERSLIST") return text(mapBordersText(m, env));
  return std::nullopt;
}

// ---- Material consumption ----

std::optional<report::Value> materialSummaryVariable(const maps::MaterialSummaryRow& row, std::string_view name) {
  if (text::equalsIgnoreCase(name, "CODE")) return report::Value::number(row.code);
  if (text::equalsIgnoreCase(name, "NAME")) return text(row.name);
  if (text::equalsIgnoreCase(name, "SCRAPS")) return report::Value::text(common::areaText(row.scrap, 3));
  if (text::equalsIgnoreCase(name, "LOSTSCRAPS")) return report::Value::text(common::areaText(row.lost, 3));
  return std::nullopt;
}

// ---- Preparing ----

namespace {

void setUpPage(report::Report& r, const QString& templatePath, const ReportPage& page) {
  r.loadTemplate(templatePath);
  if (page.landscape) r.setLandscape(true);
  r.setMarginsMm(page.margins.left, page.margins.top, page.margins.right, page.margins.bottom);
}

}  // namespace

report::PreparedReport prepareStatisticsReport(const maps::MapsDocument& document, const QString& templatePath,
                                               const ReportPage& page) {
  const StatisticsReportData data(document);
  report::Report r;
  setUpPage(r, templatePath, page);
  int record = 0;
  report::DrivenRecordSource source = report::DrivenRecordSource::counted(data.recordCount(), &record);
  r.setDataSource(&source);
  r.setVariableCallback([&](std::string_view name) { return data.variable(name, record); });
  return r.prepare();
}

report::PreparedReport prepareMaterialSummaryReport(const maps::MapsDocument& document, const QString& templatePath,
                                                    const ReportPage& page) {
  const std::vector<maps::MaterialSummaryRow> rows = document.materialSummary();
  report::Report r;
  setUpPage(r, templatePath, page);
  int record = 0;
  report::DrivenRecordSource source = report::DrivenRecordSource::counted(static_cast<int>(rows.size()), &record);
  r.setDataSource(&source);
  r.setVariableCallback([&](std::string_view name) -> std::optional<report::Value> {
    if (record < 0 || record >= static_cast<int>(rows.size())) return std::nullopt;
    return materialSummaryVariable(rows[static_cast<std::size_t>(record)], name);
  });
  return r.prepare();
}

}  // namespace kroyna::reports
