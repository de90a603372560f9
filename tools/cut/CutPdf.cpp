#include "CutPdf.h"

#include "CutGui.h"
#include "CutMaps.h"

#include "engine/EngineContext.h"
#include "maps/model/MapRules.h"
#include "platform/report/Render.h"
#include "platform/report/ReportError.h"
#include "reports/mapprint/MapReport.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace kroyna::cut {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::string defaultMapTemplate(const std::string& programPath) {
  return defaultReportTemplate(programPath, reports::kMapReportTemplate);
}

std::string defaultReportTemplate(const std::string& programPath, const std::string& templateName) {
  namespace fs = std::filesystem;
  const std::string name = "Reports/" + templateName;
  const QByteArray env = qgetenv("KROYNA_DATA_DIR");
  if (!env.isEmpty()) return (fs::path(env.toStdString()) / name).string();
  std::error_code ec;
  const fs::path program = fs::weakly_canonical(fs::path(programPath), ec);
  if (!ec) {
    const fs::path installed = program.parent_path().parent_path() / "share" / "kroyna" / name;
    if (fs::exists(installed, ec)) return installed.string();
  }
#ifdef KROYNA_SOURCE_DATA_DIR
  return (fs::path(KROYNA_SOURCE_DATA_DIR) / name).string();
#else
  return name;
#endif
}

struct MapsPdf::Gui : OffscreenGui {};

MapsPdf::MapsPdf() : gui_(std::make_unique<Gui>()) {}

MapsPdf::~MapsPdf() = default;

std::optional<std::string> MapsPdf::checkTemplate(const std::string& templatePath) {
  try {
    reports::loadMapReportTemplate(q(templatePath));
  } catch (const report::ReportError& e) {
    return oneLine(e.what());
  }
  return std::nullopt;
}

std::optional<std::string> MapsPdf::write(const engine::EngineContext& ctx, const CutJob& job,
                                          std::int32_t materialCode, const std::string& templatePath,
                                          const std::string& pdfPath, const PdfChoices& choices) {
  // The maps as the program holds them after a run (the maps file's records
  // are those maps).
  const maps::MapFileData data = resultMaps(ctx, job, materialCode);
  std::vector<maps::SheetMap> sheets;
  sheets.reserve(data.sheets.size());
  for (const maps::MapSheetRecord& r : data.sheets) sheets.push_back(maps::fromRecord(r));

  const reports::NoCatalogue catalogue(job.MaterialName);
  reports::MapReportJob reportJob;
  reportJob.maps = &sheets;
  reportJob.from = 0;
  reportJob.to = static_cast<int>(sheets.size()) - 1;
  reportJob.catalogue = &catalogue;
  reportJob.params.position = choices.mapsPerPage <= 1   ? reports::OneMapPerPage
                              : choices.mapsPerPage == 2 ? reports::TwoMapsPerPage
                                                         : reports::OtherMapsPerPage;
  reportJob.params.mapQuantity = std::clamp(choices.mapsPerPage, reports::kMinOtherMaps, reports::kMaxOtherMaps);
  reportJob.params.printCutOrder = choices.cutOrder;
  try {
    report::writePdf(reports::prepareMapReport(q(templatePath), reportJob), q(pdfPath));
  } catch (const report::ReportError& e) {
    return oneLine(e.what());
  }
  return std::nullopt;
}

}  // namespace kroyna::cut
