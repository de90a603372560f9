#include "StockFixture.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockGridModel.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/WarehouseWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTableView>

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

using testing::OffcutSpec;
using testing::rowsOf;
using testing::StockFolder;

struct Window {
  Window() : ini(f.root() / "Kroyna.ini") {
    f.storeSheet(2800, 2070, 5, 3);
    f.storeOffcut({"A-1", 600, 400, 2, 3});
    f.storeOffcut({"", 700, 300, 1, 4});
    ini.writeInt("Scraps_Window", "Material", 3);
    ini.writeInt("Default", "DefMaterial", 5);
    module = std::make_unique<StockModule>(f.root(), *f.materials);
    controller = std::make_unique<WarehouseController>(*module, ini);
    window = std::make_unique<WarehouseWindow>(*controller);
    window->start();
  }
  StockFolder f;
  ini::IniFile ini;
  std::unique_ptr<StockModule> module;
  std::unique_ptr<WarehouseController> controller;
  std::unique_ptr<WarehouseWindow> window;
};

TEST(StockGrid, EditsAreCheckedBeforeTheyReachTheWorkingCopy) {
  Window w;
  StockGridModel& scraps = *w.window->model(StockKind::Scraps);
  QStringList shown;
  common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon, common::MsgButtons) {
    shown << text;
    return common::MsgResult::Ok;
  });
  ASSERT_EQ(scraps.rowCount(), 1);  // material 3 is selected
  EXPECT_EQ(scraps.data(scraps.index(0, 0), Qt::DisplayRole).toString(), "A-1");
  EXPECT_FALSE(scraps.setData(scraps.index(0, 1), "-5"));
  EXPECT_FALSE(scraps.setData(scraps.index(0, 1), "12.5"));
  EXPECT_FALSE(scraps.setData(scraps.index(0, 3), "0"));  // a stored offcut has at least 1
  EXPECT_FALSE(scraps.setData(scraps.index(0, 5), "31.02.2005"));
  EXPECT_EQ(shown.size(), 4);
  EXPECT_FALSE(w.module->scrapsChanged());
  EXPECT_TRUE(scraps.setData(scraps.index(0, 3), "2"));  // the same value: no change
  EXPECT_FALSE(w.module->scrapsChanged());
  EXPECT_TRUE(scraps.setData(scraps.index(0, 1), "650"));
  EXPECT_TRUE(scraps.setData(scraps.index(0, 5), "02.03.2005"));
  EXPECT_TRUE(w.module->scrapsChanged());
  EXPECT_EQ(rowsOf(w.module->workingCopy(StockKind::Scraps))[0],
            (std::vector<std::string>{"A-1", "650", "400", "2", "3", "02.03.2005"}));
  // The stored table still holds the old row.
  EXPECT_EQ(rowsOf(w.f.stored(StockKind::Scraps))[0][1], "600");

  StockGridModel& sheets = *w.window->model(StockKind::Sheets);
  EXPECT_TRUE(sheets.setData(sheets.index(0, 2), "0"));  // sheets may be used up
  EXPECT_TRUE(w.module->sheetsChanged());
  EXPECT_FALSE(sheets.flags(sheets.index(0, sheets.matNameColumn())) & Qt::ItemIsEditable);
}

TEST(StockGrid, NewRowsTakeTheMaterialAndToday) {
  Window w;
  StockGridModel& scraps = *w.window->model(StockKind::Scraps);
  const int row = scraps.appendRow();
  ASSERT_EQ(row, 1);
  EXPECT_EQ(scraps.data(scraps.index(row, 4), Qt::DisplayRole).toString(), "3");
  EXPECT_EQ(scraps.data(scraps.index(row, 3), Qt::DisplayRole).toString(), "1");
  EXPECT_EQ(scraps.data(scraps.index(row, 5), Qt::DisplayRole).toString(),
            QString::fromStdString(dbase::Date::today().toString()));
  // With all materials shown a new row takes the default material.
  w.window->selectCode(kAllMaterials);
  StockGridModel& sheets = *w.window->model(StockKind::Sheets);
  const int s = sheets.appendRow();
  EXPECT_EQ(sheets.data(sheets.index(s, 3), Qt::DisplayRole).toString(), "5");
}

void press(QTableView* grid, int key) {
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(grid, &down);
  QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(grid, &up);
  QApplication::processEvents();
}

// Down on the last row offers a new row; going back up without typing
// anything leaves the stock as it was, on both pages and for every
// material shown.
TEST(StockGrid, ANewRowLeftUntouchedIsDropped) {
  Window w;
  const auto storedOffcuts = rowsOf(w.module->workingCopy(StockKind::Scraps));
  const auto storedSheets = rowsOf(w.module->workingCopy(StockKind::Sheets));
  for (int code : {3, kAllMaterials}) {
    w.window->selectCode(code);
    for (StockKind kind : {StockKind::Scraps, StockKind::Sheets}) {
      QTableView* grid = w.window->grid(kind);
      StockGridModel* model = w.window->model(kind);
      const int rows = model->rowCount();
      ASSERT_GT(rows, 0);
      grid->setCurrentIndex(model->index(rows - 1, 1));
      press(grid, Qt::Key_Down);
      ASSERT_EQ(model->rowCount(), rows + 1);
      EXPECT_EQ(grid->currentIndex().row(), rows);
      press(grid, Qt::Key_Down);  // a second Down stays on the new row
      EXPECT_EQ(model->rowCount(), rows + 1);
      press(grid, Qt::Key_Up);
      EXPECT_EQ(model->rowCount(), rows);
      EXPECT_EQ(grid->currentIndex().row(), rows - 1);
      EXPECT_FALSE(w.module->changed(kind));
    }
  }
  // Saving writes what was there.
  w.window->saveScraps();
  w.window->saveSheets();
  EXPECT_EQ(rowsOf(w.module->workingCopy(StockKind::Scraps)), storedOffcuts);
  EXPECT_EQ(rowsOf(w.module->workingCopy(StockKind::Sheets)), storedSheets);
  EXPECT_EQ(rowsOf(w.f.stored(StockKind::Scraps)).size(), 2u);
}

// A new row that was filled in reaches the working copy when the user
// leaves it; one without a size is refused and the user stays on it.
TEST(StockGrid, ANewRowFilledInIsCheckedWhenLeft) {
  Window w;
  QStringList shown;
  common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon, common::MsgButtons) {
    shown << text;
    return common::MsgResult::Ok;
  });
  QTableView* grid = w.window->grid(StockKind::Scraps);
  StockGridModel* model = w.window->model(StockKind::Scraps);
  grid->setCurrentIndex(model->index(0, 1));
  press(grid, Qt::Key_Down);
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_TRUE(model->setData(model->index(1, 0), "Б-7"));
  EXPECT_FALSE(w.module->scrapsChanged());  // not stored while typed
  press(grid, Qt::Key_Up);
  EXPECT_EQ(shown, QStringList{"Длина остатка должна быть больше 0."});
  EXPECT_EQ(grid->currentIndex().row(), 1);  // back on the row to mend it
  EXPECT_EQ(rowsOf(w.module->workingCopy(StockKind::Scraps)).size(), 2u);
  EXPECT_TRUE(model->setData(model->index(1, 1), "900"));
  EXPECT_TRUE(model->setData(model->index(1, 2), "450"));
  press(grid, Qt::Key_Up);
  EXPECT_EQ(shown.size(), 1);
  EXPECT_EQ(grid->currentIndex().row(), 0);
  EXPECT_TRUE(w.module->scrapsChanged());
  const auto rows = rowsOf(w.module->workingCopy(StockKind::Scraps));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2][0], "Б-7");
  EXPECT_EQ(rows[2][1], "900");
  EXPECT_EQ(rows[2][2], "450");
  EXPECT_EQ(rows[2][4], "3");
}

TEST(WarehouseWindow, MaterialColumnOnlyForAllMaterialsAndLayoutKept) {
  Window w;
  EXPECT_EQ(w.controller->selectedCode(), 3);  // the saved material
  EXPECT_EQ(w.window->materialsBar()->currentRow(), w.controller->selectedIndex());
  QTableView* grid = w.window->grid(StockKind::Scraps);
  EXPECT_TRUE(grid->isColumnHidden(w.window->model(StockKind::Scraps)->matNameColumn()));
  EXPECT_TRUE(grid->isColumnHidden(w.window->model(StockKind::Scraps)->codeColumn()));
  w.window->materialsBar()->setCurrentRow(0);
  EXPECT_EQ(w.controller->selectedCode(), kAllMaterials);
  EXPECT_FALSE(grid->isColumnHidden(w.window->model(StockKind::Scraps)->matNameColumn()));
  EXPECT_EQ(w.window->model(StockKind::Scraps)->rowCount(), 2);
  grid->setColumnWidth(0, 77);
  w.window->saveLayout();
  EXPECT_EQ(w.ini.readInt("Scraps_Window", "ColWidth0", 0), 77);
  EXPECT_EQ(w.ini.readInt("Scraps_Window", "Material", 0), kAllMaterials);
}

}  // namespace
}  // namespace kroyna::warehouse
