#include "reports/ui/StatisticsAndLabels.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "parts/ui/PartsWindow.h"
#include "platform/text/Literals.h"
#include "reports/StatisticsReports.h"
#include "reports/ui/ReportPreview.h"
#include "warehouse/ui/Warehouse.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>

#include <exception>

namespace kroyna::reports {

namespace {

using text::u;

LabelDialogRunner& dialogRunner() {
  static LabelDialogRunner runner;
  return runner;
}

// What the running program gives a report: the template folder, the
// settings file and whether the printer is set to landscape.
struct Program {
  common::AppContext* context = nullptr;
  QString templatePath(const char* name) const {
    return context ? context->root().path(u("Reports/") + QString::fromLatin1(name)) : QString();
  }
  bool landscape() const {
    common::MainFrame* w = context ? context->mainWindow() : nullptr;
    return w && w->printer().pageLayout().orientation() == QPageLayout::Landscape;
  }
  ReportPage page() const {
    ReportPage p;
    p.landscape = landscape();
    if (context) p.margins = common::readPageMargins(context->settings().ini());
    return p;
  }
};

Program program() { return Program{common::AppContext::current()}; }

void reportFailure(const std::exception& e, QWidget* parent) {
  common::showError(u("Ошибка создания отчета.\r%1").arg(QString::fromUtf8(e.what())), parent);
}

// The document window the main window's commands act on.
QWidget* activeDocument(const common::MainFrame& mainWindow) {
  QMdiSubWindow* sub = mainWindow.documentArea()->currentSubWindow();
  return sub ? sub->widget() : nullptr;
}

bool isWarehouseWindow(const QWidget* w) {
  const warehouse::Warehouse* wh = warehouse::Warehouse::instance();
  return w && wh && wh->window() == w;
}

void runLabelDialog(LabelKind kind, std::vector<Label> labels, QWidget* parent) {
  const Program p = program();
  if (!p.context) return;
  LabelDialog dialog(kind, std::move(labels), p.context->settings().ini(), p.templatePath("ScrapsLbl.frf"),
                     p.landscape(), parent);
  if (dialogRunner())
    dialogRunner()(dialog);
  else
    dialog.exec();
}

// Refuses a count of labels that is too large, with its message.
bool mayBuild(const LabelCount& count, QWidget* parent) {
  if (auto refusal = labelCountRefusal(count)) {
    common::showError(*refusal, parent);
    return false;
  }
  return true;
}

}  // namespace

void setLabelDialogRunner(LabelDialogRunner runner) { dialogRunner() = std::move(runner); }

void printStatisticsReport(maps::MapsWindow& window, QWidget* parent) {
  if (!parent) parent = &window;
  const Program p = program();
  report::PreparedReport prepared;
  try {
    prepared = prepareStatisticsReport(window.document(), p.templatePath("Statistic.frf"), p.page());
  } catch (const std::exception& e) {
    reportFailure(e, parent);
    return;
  }
  showReportPreview(std::move(prepared), parent);
}

void printMaterialSummary(maps::MapsWindow& window) {
  const Program p = program();
  report::PreparedReport prepared;
  try {
    prepared = prepareMaterialSummaryReport(window.document(), p.templatePath("ScrapsInfo.frf"), p.page());
  } catch (const std::exception& e) {
    reportFailure(e, &window);
    return;
  }
  showReportPreview(std::move(prepared), &window);
}

void printPartLabels(common::MainFrame& mainWindow) {
  QWidget* active = activeDocument(mainWindow);
  std::vector<Label> labels;
  if (auto* maps = qobject_cast<maps::MapsWindow*>(active)) {
    if (!mayBuild(countLabels(maps->document(), LabelKind::Parts), &mainWindow)) return;
    labels = mapLabels(maps->document(), LabelKind::Parts);
  } else if (auto* parts = qobject_cast<parts::PartsWindow*>(active)) {
    parts->postPendingEdit();
    if (!mayBuild(countPartLabels(parts->document()), &mainWindow)) return;
    std::optional<std::vector<Label>> rows = partsDatabaseLabels(parts->document());
    // As after walking the rows of a table: the first row is current again.
    if (parts->document().rowCount() > 0) parts->document().setCurrentRow(0);
    if (!rows) return;
    labels = std::move(*rows);
  } else {
    return;
  }
  runLabelDialog(LabelKind::Parts, std::move(labels), &mainWindow);
}

void printOffcutLabels(common::MainFrame& mainWindow) {
  QWidget* active = activeDocument(mainWindow);
  std::vector<Label> labels;
  if (auto* maps = qobject_cast<maps::MapsWindow*>(active)) {
    if (!mayBuild(countLabels(maps->document(), LabelKind::Offcuts), &mainWindow)) return;
    labels = mapLabels(maps->document(), LabelKind::Offcuts);
  } else if (isWarehouseWindow(active)) {
    warehouse::Warehouse* wh = warehouse::Warehouse::instance();
    LabelCount count;
    try {
      count.add(wh->module().offcutLabelCount(), 1);
    } catch (const std::exception&) {
      common::showError(u("Ошибка создания списка остатков."), &mainWindow);
      return;
    }
    if (!mayBuild(count, &mainWindow)) return;
    labels = warehouseLabels(wh->controller().offcutLabelRows());
  } else {
    return;
  }
  runLabelDialog(LabelKind::Offcuts, std::move(labels), &mainWindow);
}

void installStatisticsAndLabels(common::AppContext& context) {
  maps::MapsWindow::commands().printStatistics = [](maps::MapsWindow& window) {
    // The statistics dialog is open over the window: the preview goes over it.
    printStatisticsReport(window, QApplication::activeModalWidget());
  };
  common::MainFrame* mainWindow = context.mainWindow();
  if (!mainWindow) return;
  maps::attachMapsCommand(*mainWindow, QStringLiteral("cut.materialStatistics"), &printMaterialSummary);

  mainWindow->attachCommand(QStringLiteral("cut.partLabels"), [mainWindow] { printPartLabels(*mainWindow); });
  mainWindow->attachCommand(QStringLiteral("cut.scrapLabels"), [mainWindow] { printOffcutLabels(*mainWindow); });
  QPointer<QAction> partLabels = mainWindow->command(QStringLiteral("cut.partLabels"));
  QPointer<QAction> offcutLabels = mainWindow->command(QStringLiteral("cut.scrapLabels"));
  auto update = [mainWindow, partLabels, offcutLabels] {
    QWidget* active = activeDocument(*mainWindow);
    const bool maps = qobject_cast<maps::MapsWindow*>(active) != nullptr;
    if (partLabels) partLabels->setEnabled(maps || qobject_cast<parts::PartsWindow*>(active));
    if (offcutLabels) offcutLabels->setEnabled(maps || isWarehouseWindow(active));
  };
  QObject::connect(mainWindow->documentArea(), &QMdiArea::subWindowActivated, mainWindow, update);
  update();
}

}  // namespace kroyna::reports
