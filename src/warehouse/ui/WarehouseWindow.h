#pragma once

// The warehouse window "Склад" (`TfrmWareHouse`): the materials bar on the
// left and the pages "Стандартные листы" and "Остатки", each with its
// toolbar and grid. It lives as long as the program; closing it asks about
// unsaved stock and then only minimises it.

#include "warehouse/StockGridModel.h"
#include "warehouse/WarehouseController.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QSplitter;
class QTabWidget;
class QTableView;
class QToolBar;
class QAction;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

class WarehouseWindow : public QWidget {
  Q_OBJECT
 public:
  WarehouseWindow(WarehouseController& controller, QWidget* parent = nullptr);
  ~WarehouseWindow() override;

  WarehouseController& controller() { return controller_; }
  QTabWidget* pages() const { return pages_; }
  QListWidget* materialsBar() const { return bar_; }
  QTableView* grid(StockKind kind) const { return kind == StockKind::Sheets ? sheetGrid_ : scrapGrid_; }
  StockGridModel* model(StockKind kind) const { return kind == StockKind::Sheets ? sheetModel_ : scrapModel_; }
  QLabel* statusLabel() const { return status_; }

  // First showing: builds the bar, makes the working copies, restores the
  // layout and selects the saved material.
  void start();
  // Rebuilds the bar after the catalogue changed, keeping the selection.
  void rebuildBar();
  // Selects a bar entry by code as if it were clicked.
  void selectCode(int code);

  // Commands (toolbar buttons and the "&Склад" menu).
  void saveSheets();
  void printSheets();
  void deleteSheet();
  void addSheet();
  void saveScraps();
  void printScraps();
  void deleteScrap();
  void scrapParams();
  void clearScraps();
  void markScraps();
  void filterScraps();
  void searchMaterial();
  void statistics();
  // Minimum stock and the stock check (sheets page), saved states (menu).
  void minimumStock();
  void checkStock();
  void saveState();
  void savedStates();
  // "Все материалы": selects "<все материалы>" for both pages.
  Q_INVOKABLE void showAllMaterials();

  // Finishes open edits and asks about unsaved stock (see
  // WarehouseController::queryClose); true when the window may close.
  bool queryClose();

  // Writes the layout to the settings file.
  void saveLayout();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* buildSheetsPage();
  QWidget* buildScrapsPage();
  QTableView* makeGrid(StockGridModel* model, QWidget* parent);
  void fillBar();
  void showMaterialColumns();
  void updateCaption();
  void pickDateOfCurrentRow();
  void restoreLayout();
  // Commits the cell editor and posts the page's pending edit; false after
  // a message (none with `quiet`) when it cannot be stored.
  bool postGrid(StockKind kind, bool quiet = false);

  WarehouseController& controller_;
  QSplitter* splitter_ = nullptr;
  QListWidget* bar_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QTableView* sheetGrid_ = nullptr;
  QTableView* scrapGrid_ = nullptr;
  StockGridModel* sheetModel_ = nullptr;
  StockGridModel* scrapModel_ = nullptr;
  bool posting_ = false;  // a post (and its message) is under way
  QLabel* status_ = nullptr;
  QSize normalSize_{400, 300};  // of the frame, while neither minimised nor maximised
  bool started_ = false;
  bool fillingBar_ = false;
};

}  // namespace kroyna::warehouse
