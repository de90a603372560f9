#include "warehouse/ui/Warehouse.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "run/ui/DefaultParamsDialog.h"
#include "warehouse/StockCheck.h"
#include "warehouse/ui/StockCheckDialog.h"
#include "warehouse/ui/WarehouseReports.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kroyna::warehouse {

namespace {
Warehouse* g_instance = nullptr;
}

Warehouse* Warehouse::instance() { return g_instance; }

Warehouse::Warehouse(common::AppContext& context, QObject* parent) : QObject(parent), context_(context) {
  materials_ = std::make_unique<CatalogueMaterials>();
  module_ = std::make_unique<StockModule>(context.root().root().toStdString(), *materials_);
  controller_ = std::make_unique<WarehouseController>(*module_, context.settings().ini());
  g_instance = this;
  installShortageDialog();
  common::MainFrame* main = context.mainWindow();
  window_ = new WarehouseWindow(*controller_);
  if (main) {
    QMdiSubWindow* sub = main->addDocument(window_);
    sub->setProperty("kroynaPersistent", true);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  window_->start();
  if (main) {
    window_->show();
    attachCommands();
  }
  if (catalogues::Catalogues* c = catalogues::Catalogues::instance())
    connect(c, &catalogues::Catalogues::RefreshMaterialLists, this, [this] {
      if (window_) window_->rebuildBar();
    });
}

Warehouse::~Warehouse() {
  shutDown();
  setShortageDisplay({});
  if (g_instance == this) g_instance = nullptr;
}

void Warehouse::shutDown() {
  if (window_) {
    window_->saveLayout();
    QWidget* frame = window_->parentWidget();
    delete window_;
    delete frame;
  }
  if (module_) module_->removeWorkingCopies();
}

void Warehouse::showWindow() {
  if (!window_) return;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget())) {
    sub->showNormal();
    if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
  } else {
    window_->show();
    window_->raise();
  }
}

void Warehouse::attachCommands() {
  common::MainFrame* main = context_.mainWindow();
  auto on = [this](void (WarehouseWindow::*command)()) {
    return [this, command] {
      if (window_) (window_.data()->*command)();
    };
  };
  main->attachCommand(QStringLiteral("wh.saveSheets"), on(&WarehouseWindow::saveSheets));
  main->attachCommand(QStringLiteral("wh.printSheets"), on(&WarehouseWindow::printSheets));
  main->attachCommand(QStringLiteral("wh.addSheet"), on(&WarehouseWindow::addSheet));
  main->attachCommand(QStringLiteral("wh.saveScraps"), on(&WarehouseWindow::saveScraps));
  main->attachCommand(QStringLiteral("wh.printScraps"), on(&WarehouseWindow::printScraps));
  main->attachCommand(QStringLiteral("wh.scrapParams"), on(&WarehouseWindow::scrapParams));
  main->attachCommand(QStringLiteral("wh.markScraps"), on(&WarehouseWindow::markScraps));
  main->attachCommand(QStringLiteral("wh.filterScraps"), on(&WarehouseWindow::filterScraps));
  main->attachCommand(QStringLiteral("wh.clearScraps"), on(&WarehouseWindow::clearScraps));
  main->attachCommand(QStringLiteral("wh.statistics"), on(&WarehouseWindow::statistics));
  main->attachCommand(QStringLiteral("wh.saveState"), on(&WarehouseWindow::saveState));
  main->attachCommand(QStringLiteral("wh.states"), on(&WarehouseWindow::savedStates));
  main->attachCommand(QStringLiteral("wh.minQuantity"), on(&WarehouseWindow::minimumStock));
  main->attachCommand(QStringLiteral("wh.checkQuantity"), on(&WarehouseWindow::checkStock));
  main->attachCommand(QStringLiteral("wh.window"), [this] { showWindow(); });
  if (QAction* w = main->command(QStringLiteral("wh.window")))
    w->setToolTip(QStringLiteral("Склад остатков и\r\nстандартных листов"));
  main->attachCommand(QStringLiteral("set.defaults"), [this] {
    if (run::editDefaultParams(context_.settings().ini(), false, context_.mainWindow()))
      context_.applyChangedDefaults();
  });
  // "Статистика по складу" only while the warehouse window is active.
  QAction* stats = main->command(QStringLiteral("wh.statistics"));
  auto updateStats = [this, stats](QMdiSubWindow* active) {
    stats->setEnabled(window_ && active && active->widget() == window_);
  };
  // Tied to this object: the lambda uses it, so the connection must end with it.
  connect(main->documentArea(), &QMdiArea::subWindowActivated, this, updateStats);
  updateStats(main->documentArea()->activeSubWindow());
}

void install(common::AppContext& context) {
  QObject::connect(&context, &common::AppContext::initWarehouse, &context, [&context] {
    try {
      new Warehouse(context, &context);
    } catch (const std::exception& e) {
      context.failStartup(QString::fromUtf8(e.what()));
    }
  });
  // The stock check of `CheckStdSheetsQuantity` when the main window is
  // first shown (after the edge lists, before the recent files) and when it
  // closes (once the unsaved stock has been dealt with).
  QObject::connect(&context, &common::AppContext::mainWindowShown, &context, [&context] {
    if (Warehouse* w = Warehouse::instance()) checkStockAutomatically(w->module(), context.settings().ini());
  });
  QObject::connect(&context, &common::AppContext::mainWindowClosing, &context, [&context](bool& cancel) {
    Warehouse* w = Warehouse::instance();
    if (cancel || !w || !w->window()) return;
    if (!w->window()->queryClose()) {
      cancel = true;
      return;
    }
    checkStockAutomatically(w->module(), context.settings().ini());
  });
  QObject::connect(&context, &common::AppContext::mainWindowClosed, &context, [] {
    if (Warehouse* w = Warehouse::instance()) delete w;
  });
}

}  // namespace kroyna::warehouse
