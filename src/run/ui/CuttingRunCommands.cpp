#include "run/ui/CuttingRunCommands.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/AppState.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "maps/ProgramEnvironment.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"
#include "run/ui/LayoutOptionsDialog.h"
#include "warehouse/ui/Warehouse.h"
#include "warehouse/ui/WarehouseDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>

namespace kroyna::run {

// ---- The maps window and the parts window as the run sees them ----

namespace {

class MapsWindowView : public RunMapsView {
 public:
  explicit MapsWindowView(maps::MapsWindow* window) : window_(window) {}
  ~MapsWindowView() override { QObject::disconnect(abort_); }

  bool alive() const override { return !window_.isNull(); }
  maps::MapsDocument& document() override { return window_->document(); }
  void setDisplayFlags(bool showScrapsText, bool showHints, bool showBorder) override {
    window_->setShowScrapsText(showScrapsText);
    window_->setShowHints(showHints);
    window_->setShowBorder(showBorder);
  }
  void beginRun() override { window_->beginRun(); }
  void endRun() override { window_->endRun(); }
  void showProgress(bool shown) override { window_->progressBar()->setVisible(shown); }
  void setProgress(std::int64_t done, std::int64_t total) override { window_->setProgress(done, total); }
  void addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& map, std::int32_t kerf,
              const QString& remark) override {
    window_->addMap(tabCaption, materialCode, map, kerf, remark);
  }
  void setCaption(const QString& caption) override { window_->setCaption(caption); }
  void showStatistics() override { window_->showStatistics(); }
  bool closeRequested() const override { return window_->closeRequested(); }
  void clearCloseRequest() override { window_->clearCloseRequest(); }
  void closeWithoutQuestion() override { window_->closeWithoutQuestion(); }
  void setAbortHandler(std::function<void()> onAbort) override {
    QObject::disconnect(abort_);
    if (onAbort && window_)
      abort_ = QObject::connect(window_.data(), &maps::MapsWindow::abortRequested, window_.data(), std::move(onAbort));
  }
  QWidget* dialogParent() const override { return window_.data(); }

 private:
  QPointer<maps::MapsWindow> window_;
  QMetaObject::Connection abort_;
};

}  // namespace

std::unique_ptr<RunMapsView> mapsWindowView(maps::MapsWindow* window) {
  if (!window) return nullptr;
  return std::make_unique<MapsWindowView>(window);
}

RunSource partsWindowSource(parts::PartsWindow& window) {
  RunSource source;
  source.document = &window.document();
  QPointer<parts::PartsWindow> guard(&window);
  source.postPendingEdit = [guard] {
    if (guard) guard->postPendingEdit();
  };
  source.dialogParent = &window;
  return source;
}

// ---- The program's services ----

namespace {

QLabel* statusPanel(common::MainFrame& main) {
  QStatusBar* bar = main.statusBar();
  if (auto* label = bar->findChild<QLabel*>(QStringLiteral("cuttingRunStatus"))) return label;
  auto* label = new QLabel(bar);
  label->setObjectName(QStringLiteral("cuttingRunStatus"));
  bar->addWidget(label);
  return label;
}

}  // namespace

CuttingRunServices programServices(common::AppContext& context) {
  CuttingRunServices s;
  s.settings = &context.settings().ini();
  s.workFile = context.root().path(QStringLiteral("Kroyna.tmp")).toStdString();
  if (warehouse::Warehouse* w = warehouse::Warehouse::instance()) s.stock = &w->module();
  common::MainFrame* main = context.mainWindow();
  s.editOptions = [main](const std::vector<LayoutMaterial>& materials) { return editLayoutOptions(materials, main); };
  s.newMapsWindow = [&context, main]() -> std::unique_ptr<RunMapsView> {
    if (main) return mapsWindowView(maps::openMapsWindow(*main));
    // Without a main window (a run started from a tool): a window of its
    // own, with an environment that goes with it.
    auto* environment = new maps::ProgramEnvironment(context.settings().ini(), catalogues::Catalogues::instance());
    auto* window = new maps::MapsWindow(*environment, context.settings().ini());
    QObject::connect(window, &QObject::destroyed, [environment] { delete environment; });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return mapsWindowView(window);
  };
  s.newPartsBase = []() -> parts::PartsDocument* {
    parts::PartsSubsystem* p = parts::PartsSubsystem::instance();
    if (!p) return nullptr;
    parts::PartsWindow* w = p->newUntitledBase();
    if (!w) return nullptr;
    attachToPartsWindow(*w);
    return &w->document();
  };
  s.askRunOut = [](QWidget* parent) { return warehouse::askRunOut(parent); };
  s.chooseSheet = [](warehouse::StockModule& module, const QString& material, QWidget* parent) {
    return warehouse::chooseStandardSheet(module, material, parent);
  };
  if (main) s.showStatus = [main](const QString& text) { statusPanel(*main)->setText(text); };
  s.setRemark = [&context](int code, const std::string& remark) { context.settings().setRemark(code, remark); };
  s.processEvents = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
  return s;
}

namespace {
std::function<CuttingRunServices()>& servicesOverride() {
  static std::function<CuttingRunServices()> make;
  return make;
}
}  // namespace

void setRunServices(std::function<CuttingRunServices()> make) { servicesOverride() = std::move(make); }

void runCutting(parts::PartsWindow& source) {
  if (CuttingRun::isRunning() || common::isBusy()) return;
  CuttingRunServices services;
  if (servicesOverride()) {
    services = servicesOverride()();
  } else {
    common::AppContext* context = common::AppContext::current();
    if (!context) return;
    services = programServices(*context);
  }
  CuttingRun run(std::move(services));
  run.start(partsWindowSource(source));
}

void attachToPartsWindow(parts::PartsWindow& window) {
  QAction* action = window.runAction();
  if (!action || action->property("kroynaCuttingRun").toBool()) return;
  action->setProperty("kroynaCuttingRun", true);
  QPointer<parts::PartsWindow> target(&window);
  QObject::connect(action, &QAction::triggered, &window, [target] {
    if (target) runCutting(*target);
  });
  window.setRunAttached(true);
}

void install(common::AppContext& context) {
  common::MainFrame* main = context.mainWindow();
  if (!main) return;
  main->attachCommand(QStringLiteral("cut.run"), [] {
    parts::PartsSubsystem* p = parts::PartsSubsystem::instance();
    if (parts::PartsWindow* w = p ? p->activeWindow() : nullptr) runCutting(*w);
  });
  // Parts windows are made by the parts subsystem; each gets its
  // "&Разложить" when it first becomes the active window (which a new
  // window does at once), and the main command follows the active window.
  // The main window may be half destroyed when its document area reports
  // the last change of the active window: only the action is used then.
  QPointer<QAction> command = main->command(QStringLiteral("cut.run"));
  auto follow = [command](QMdiSubWindow* sub) {
    auto* parts = sub ? qobject_cast<parts::PartsWindow*>(sub->widget()) : nullptr;
    if (parts) attachToPartsWindow(*parts);
    if (command) command->setEnabled(parts != nullptr);
  };
  QObject::connect(main->documentArea(), &QMdiArea::subWindowActivated, main->documentArea(), follow);
  follow(main->documentArea()->activeSubWindow());
}

}  // namespace kroyna::run
