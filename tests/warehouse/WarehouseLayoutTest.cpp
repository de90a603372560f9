// The warehouse window at first start, with no layout kept in the settings
// file: as wide as its toolbars and grids, its columns and materials bar as
// wide as what they show; and the layout kept under the same keys.
#include "StockFixture.h"

#include "common/DataRoot.h"
#include "common/Settings.h"
#include "platform/ini/IniFile.h"
#include "shell/MainWindow.h"
#include "warehouse/StockGridModel.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/WarehouseWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

// Every button of the page's toolbar is shown, none behind the toolbar's
// overflow arrow.
void expectWholeToolBar(QWidget* page) {
  auto* bar = page->findChild<QToolBar*>();
  ASSERT_NE(bar, nullptr);
  int buttons = 0;
  for (auto* button : bar->findChildren<QToolButton*>()) {
    if (button->objectName() == QLatin1String("qt_toolbar_ext_button")) {
      EXPECT_FALSE(button->isVisible()) << "the toolbar overflows";
      continue;
    }
    ++buttons;
    EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
    EXPECT_TRUE(bar->rect().contains(button->geometry())) << button->text().toStdString();
  }
  EXPECT_GE(buttons, 6);
}

TEST(WarehouseLayout, AtFirstStartTheWindowShowsItsToolbarsAndColumnsWhole) {
  testing::StockFolder f;
  const QString longName = QStringLiteral("ДСП ламинированная 16 мм Дуб сонома");
  f.addMaterial(7, longName.toStdString());
  f.storeSheet(2800, 2070, 5, 7);
  f.storeOffcut({"A-1", 600, 400, 2, 7});
  ini::IniFile ini(f.root() / "Kroyna.ini");
  StockModule module(f.root(), *f.materials);
  WarehouseController controller(module, ini);

  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  common::DataRoot root(tmp.path());
  common::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow main(root, settings);
  main.resize(1200, 800);
  main.show();
  QApplication::processEvents();

  auto* window = new WarehouseWindow(controller);
  QMdiSubWindow* frame = main.addDocument(window);
  frame->setAttribute(Qt::WA_DeleteOnClose, false);
  window->start();
  window->selectCode(kAllMaterials);
  QApplication::processEvents();
  const QRect area(QPoint(0, 0), main.documentArea()->viewport()->size());
  EXPECT_TRUE(area.contains(frame->geometry()));

  for (int page = 0; page < 2; ++page) {
    window->pages()->setCurrentIndex(page);
    QApplication::processEvents();
    SCOPED_TRACE(page);
    expectWholeToolBar(window->pages()->widget(page));
    QTableView* grid = window->grid(page == 0 ? StockKind::Sheets : StockKind::Scraps);
    const StockGridModel* model = window->model(page == 0 ? StockKind::Sheets : StockKind::Scraps);
    EXPECT_GE(grid->columnWidth(model->matNameColumn()), grid->fontMetrics().horizontalAdvance(longName));
    for (int c = 0; c < model->columnCount(); ++c)
      if (!grid->isColumnHidden(c)) {
        EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
      }
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
  }
  QListWidget* bar = window->materialsBar();
  EXPECT_EQ(bar->horizontalScrollBar()->maximum(), 0);
  EXPECT_GE(bar->viewport()->width(), bar->fontMetrics().horizontalAdvance(longName));

  // What the window leaves is kept under the same keys and used again.
  window->grid(StockKind::Scraps)->setColumnWidth(1, 66);
  window->saveLayout();
  EXPECT_EQ(ini.readInt("Scraps_Window", "ColWidth1", 0), 66);
  EXPECT_EQ(ini.readInt("Sheets_Window", "ColWidth0", 0), window->grid(StockKind::Sheets)->columnWidth(0));
  EXPECT_EQ(ini.readInt("Scraps_Window", "Width", 0), frame->width());
  main.documentArea()->removeSubWindow(frame);
  delete frame;
  ini.writeInt("Scraps_Window", "Width", 520);
  ini.writeInt("Scraps_Window", "PanelWidth", 90);

  auto* again = new WarehouseWindow(controller);
  QMdiSubWindow* second = main.addDocument(again);
  second->setAttribute(Qt::WA_DeleteOnClose, false);
  again->start();
  QApplication::processEvents();
  EXPECT_EQ(again->grid(StockKind::Scraps)->columnWidth(1), 66);
  EXPECT_EQ(second->width(), 520);
  EXPECT_EQ(again->materialsBar()->parentWidget()->width(), 90);
}

}  // namespace
}  // namespace kroyna::warehouse
