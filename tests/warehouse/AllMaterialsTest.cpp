// "Все материалы" of the main window acts on the active window with a
// materials bar: the parts, warehouse and maps windows.
#include "StockFixture.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "maps/MapsTestSupport.h"
#include "maps/ui/MapsWindow.h"
#include "parts/ui/Parts.h"
#include "platform/ini/IniFile.h"
#include "shell/MainWindow.h"
#include "warehouse/StockGridModel.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/WarehouseWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

using maps::testing::FakeEnvironment;
using maps::testing::LayoutBuilder;

engine::FinishedMap oneSheet() {
  LayoutBuilder b(2800, 2070, 4);
  b.place(b.part("A", 600, 400, {0, 0, 0, 0}), 6, 6);
  return b.finished();
}

TEST(AllMaterials, TheCommandSelectsAllMaterialsInTheActiveWarehouseOrMapsWindow) {
  // The stock and the catalogue outlive the windows the main window holds.
  testing::StockFolder f;
  f.storeSheet(2800, 2070, 5, 3);
  f.storeSheet(2440, 1830, 2, 4);
  f.storeOffcut({"A-1", 600, 400, 1, 3});
  f.storeOffcut({"B-1", 700, 300, 1, 4});
  ini::IniFile stockIni(f.root() / "Kroyna.ini");
  StockModule module(f.root(), *f.materials);
  WarehouseController controller(module, stockIni);
  FakeEnvironment env;
  env.materials = {{1, QStringLiteral("ДСП 16")}, {2, QStringLiteral("ДВП 4")}};
  env.order = {2, 1};

  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  common::DataRoot root(tmp.path());
  common::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow main(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&main);
  parts::install(context);
  main.show();

  QAction* all = main.command(QStringLiteral("group.allMaterials"));
  EXPECT_EQ(all->toolTip(), "Показать данные\nпо всем материалам");
  EXPECT_FALSE(all->isEnabled());  // no window to act on
  bool inMenu = false;
  for (QAction* m : main.menuBar()->actions())
    if (m->text() == "&Окно") inMenu = m->menu()->actions().contains(all);
  EXPECT_TRUE(inMenu);

  // The warehouse: both pages go back to every material.
  auto* stock = new WarehouseWindow(controller);
  QMdiSubWindow* stockFrame = main.addDocument(stock);
  stock->start();
  stock->selectCode(4);
  ASSERT_EQ(stock->model(StockKind::Sheets)->rowCount(), 1);
  main.documentArea()->setActiveSubWindow(stockFrame);
  QApplication::processEvents();
  EXPECT_TRUE(all->isEnabled());
  all->trigger();
  EXPECT_EQ(controller.selectedCode(), kAllMaterials);
  EXPECT_EQ(stock->materialsBar()->currentRow(), 0);
  EXPECT_EQ(stock->model(StockKind::Sheets)->rowCount(), 2);
  EXPECT_EQ(stock->model(StockKind::Scraps)->rowCount(), 2);
  EXPECT_FALSE(stock->grid(StockKind::Scraps)->isColumnHidden(stock->model(StockKind::Scraps)->matNameColumn()));

  // A maps window: the panel's first entry, every tab visible.
  auto* mapsWindow = new maps::MapsWindow(env, stockIni);
  mapsWindow->addMap(QStringLiteral("1: Лист 1"), 1, oneSheet(), 4, {});
  mapsWindow->addMap(QStringLiteral("1: Лист 1"), 2, oneSheet(), 4, {});
  QMdiSubWindow* mapsFrame = main.addDocument(mapsWindow);
  mapsWindow->selectMaterialRow(1);
  ASSERT_FALSE(mapsWindow->tabs()->isTabVisible(0));
  main.documentArea()->setActiveSubWindow(mapsFrame);
  QApplication::processEvents();
  EXPECT_TRUE(all->isEnabled());
  all->trigger();
  EXPECT_EQ(mapsWindow->materialsPanel()->currentRow(), 0);
  EXPECT_EQ(mapsWindow->selectedMaterialCode(), kAllMaterials);
  EXPECT_TRUE(mapsWindow->tabs()->isTabVisible(0));
  EXPECT_TRUE(mapsWindow->tabs()->isTabVisible(1));

  // A window without a materials bar: nothing to act on.
  QMdiSubWindow* other = main.addDocument(new QLabel(QStringLiteral("другое окно")));
  main.documentArea()->setActiveSubWindow(other);
  QApplication::processEvents();
  EXPECT_FALSE(all->isEnabled());

  mapsFrame->setProperty("kroynaPersistent", true);
  delete mapsFrame;
  delete stockFrame;
}

}  // namespace
}  // namespace kroyna::warehouse
