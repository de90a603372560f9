#include "reports/ui/MapPrintCommand.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "common/ui/WindowPlacement.h"
#include "maps/ui/MapsWindow.h"
#include "platform/report/ReportError.h"
#include "platform/report/ui/PreviewWindow.h"
#include "platform/text/Literals.h"
#include "reports/mapprint/MapReport.h"
#include "reports/ui/MapPrintDialogs.h"

#include <QPrinter>
#include <QTabWidget>

#include <exception>

namespace kroyna::reports {

namespace {

using text::u;

// The catalogues behind a maps window's environment.
class EnvironmentCatalogue : public MapReportCatalogue {
 public:
  explicit EnvironmentCatalogue(const maps::MapsEnvironment& env) : env_(env) {}
  std::string materialName(int code) const override { return env_.materialName(code).toStdString(); }
  bool hasEdge(int code) const override {
    // The environment answers an unknown code with the default it is
    // given: two different defaults tell a code it does not hold.
    return env_.edgeColour(code, 0) == env_.edgeColour(code, 1);
  }
  std::string edgeName(int code) const override { return env_.edgeName(code).toStdString(); }
  int edgeAllowance(int code) const override { return env_.edgeAllowance(code); }
  std::int32_t edgeColour(int code) const override { return env_.edgeColour(code, 0); }

 private:
  const maps::MapsEnvironment& env_;
};

const char* const kNothingToPrint = "Нет карт раскроя для печати.";

}  // namespace

MapPrintWindows& mapPrintWindows() {
  static MapPrintWindows windows{
      [](const MapTabs& tabs, ini::IniFile& settings, QWidget* parent) -> std::optional<MapPrintDialogModel> {
        MapPrintParamsDialog dialog(tabs, settings, parent);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.model();
      },
      [](report::PreparedReport prepared, QWidget* parent) {
        report::PreviewWindow preview(std::move(prepared), report::PreviewExport::None, parent);
        preview.exec();
      }};
  return windows;
}

std::unique_ptr<MapReportCatalogue> environmentCatalogue(const maps::MapsEnvironment& env) {
  return std::make_unique<EnvironmentCatalogue>(env);
}

void printMaps(maps::MapsWindow& window, const MapPrintSetup& setup) {
  QWidget* parent = setup.parent ? setup.parent : &window;
  const maps::MapsDocument& doc = window.document();
  if (!setup.settings) {
    common::showError(u("Печать карт раскроя невозможна: файл настроек не открыт."), parent);
    return;
  }
  if (doc.mapCount() == 0) {
    common::showInformation(u(kNothingToPrint), parent);
    return;
  }
  const MapTabs tabs = mapTabs(
      doc.mapCount(), [&](int i) { return doc.isVisible(i); }, window.tabs()->currentIndex());
  const std::optional<MapPrintDialogModel> chosen = mapPrintWindows().ask(tabs, *setup.settings, parent);
  if (!chosen) return;

  // Records are the maps of the range in tab order, shown or not.
  const auto [first, last] = chosen->printRange();
  MapReportJob job;
  job.maps = &doc.maps();
  job.from = std::max(first, 1) - 1;
  job.to = std::min(last, doc.mapCount()) - 1;
  if (job.from > job.to) {
    common::showInformation(u(kNothingToPrint), parent);
    return;
  }
  const std::unique_ptr<MapReportCatalogue> catalogue = environmentCatalogue(doc.environment());
  job.params = chosen->params;
  job.catalogue = catalogue.get();
  job.formats = {doc.environment().sqrDigits(), doc.environment().lenDigits()};
  job.landscape = setup.printerLandscape;
  report::PreparedReport prepared;
  try {
    job.styles = readMapDrawStyles(*setup.settings);
    const common::PageMargins m = common::readPageMargins(*setup.settings);
    job.margins = MapReportJob::MarginsMm{m.left, m.top, m.right, m.bottom};
    prepared = prepareMapReport(setup.reportsFolder + QLatin1Char('/') + QLatin1String(kMapReportTemplate), job);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), parent);
    return;
  }
  mapPrintWindows().preview(std::move(prepared), parent);
}

void printMaps(maps::MapsWindow& window) {
  common::AppContext* context = common::AppContext::current();
  MapPrintSetup setup;
  if (context) {
    setup.settings = &context->settings().ini();
    setup.reportsFolder = context->root().path(u("Reports"));
    if (common::MainFrame* main = context->mainWindow())
      setup.printerLandscape = main->printer().pageLayout().orientation() == QPageLayout::Landscape;
  }
  printMaps(window, setup);
}

void editMapPrintStyles(ini::IniFile& settings, QWidget* parent) {
  AdvancedPrintSetupDialog dialog(settings, parent);
  dialog.exec();
}

void installMapPrinting(common::AppContext& context) {
  registerMapReportObjects();
  maps::MapsWindow::commands().print = [](maps::MapsWindow& window) { printMaps(window); };
  if (common::MainFrame* main = context.mainWindow()) {
    ini::IniFile* settings = &context.settings().ini();
    main->attachCommand(u("set.mapPrint"), [settings, main] { editMapPrintStyles(*settings, main); });
  }
}

}  // namespace kroyna::reports
