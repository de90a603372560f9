#include "CutLabels.h"

#include "CutGui.h"
#include "CutMaps.h"

#include "engine/EngineContext.h"
#include "maps/model/MapRules.h"
#include "platform/report/Render.h"
#include "platform/report/ReportError.h"
#include "reports/labels/LabelSources.h"

#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <vector>

namespace kroyna::cut {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::optional<std::string> checkLabelOptions(const LabelOptions& options) {
  if (!report::symbologyFromName(q(options.barcode)))
    return "--barcode needs none, code128, datamatrix or qr, not " + options.barcode;
  if (!options.sheet.empty() && !reports::findLabelSheetPreset(options.sheet))
    return "--label-sheet needs one of " + labelSheetIds() + ", not " + options.sheet;
  return std::nullopt;
}

std::string labelSheetIds() {
  std::string ids;
  for (const reports::LabelSheetPreset& p : reports::labelSheetPresets())
    ids += (ids.empty() ? "" : ", ") + std::string(p.id);
  return ids;
}

struct LabelsPdf::Gui : OffscreenGui {};

LabelsPdf::LabelsPdf() : gui_(std::make_unique<Gui>()) {}

LabelsPdf::~LabelsPdf() = default;

std::optional<std::string> LabelsPdf::checkTemplate(const std::string& templatePath) {
  try {
    // An empty sheet shows whether the template has what labels need.
    reports::prepareLabelSheet({}, reports::LabelSettings{}, reports::LabelKind::Parts, q(templatePath), {});
  } catch (const report::ReportError& e) {
    return oneLine(e.what());
  }
  return std::nullopt;
}

std::optional<std::string> LabelsPdf::write(const engine::EngineContext& ctx, const CutJob& job,
                                            const LabelOptions& options, const std::string& templatePath,
                                            const std::string& pdfPath, std::string& notice) {
  const maps::MapFileData data = resultMaps(ctx, job, NoMaterialCode);
  std::vector<maps::SheetMap> sheets;
  sheets.reserve(data.sheets.size());
  for (const maps::MapSheetRecord& r : data.sheets) sheets.push_back(maps::fromRecord(r));

  // The job has no catalogues: its material's name, and edge codes as they are.
  reports::MapLabelSource source;
  source.maps = &sheets;
  source.partsBase = q(options.partsBase);
  const QString material = q(job.MaterialName);
  source.materialName = [material](int) { return material; };
  source.edgeName = [](int code) { return QString::number(code); };

  reports::LabelSettings settings;
  settings.barcode = report::symbologyFromName(q(options.barcode)).value_or(report::Symbology::None);
  settings.chooseSheet(options.sheet);
  try {
    const std::vector<reports::Label> labels = reports::labelsOfMaps(source, reports::LabelKind::Parts);
    const report::PreparedReport sheet =
        reports::prepareLabelSheet(labels, settings, reports::LabelKind::Parts, q(templatePath), {});
    notice = sheet.notice.toStdString();
    report::writePdf(sheet, q(pdfPath));
  } catch (const report::ReportError& e) {
    return oneLine(e.what());
  }
  return std::nullopt;
}

}  // namespace kroyna::cut
