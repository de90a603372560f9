#pragma once

#include "parts/PartsDocument.h"
#include "parts/PartsPrint.h"

#include <QWidget>

#include <functional>
#include <vector>

class QAction;
class QButtonGroup;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {
class StatusPanel;
}

namespace kroyna::parts {

class EdgePanel;
class PartsGrid;
class PartsTableModel;

// The parts window (TfrmRaskroyGroup): one parts database as an editable
// grid with the material bar on its left, the side panel (edges and
// rotation of the current row) on its right, its own toolbar and the
// totals in the status bar. What it decides is in PartsDocument; the
// window shows it and forwards the user's actions.
//
// For the cutting run and the imports: document() gives the rows shown
// (PartsDocument::shownRows, ListGroupMaterials), AppendDetal,
// SetCaptionOverride and the run counter; runAction() is the window's
// "&Разложить" command, which the cutting run attaches to.
class PartsWindow : public QWidget {
  Q_OBJECT
 public:
  // `dataRoot` is the program folder; `settings` its Kroyna.ini.
  PartsWindow(const QString& dataRoot, ini::IniFile& settings, QWidget* parent = nullptr);
  ~PartsWindow() override;

  PartsDocument& document() { return *doc_; }
  const PartsDocument& document() const { return *doc_; }

  // The operations of the base (see PartsDocument); SaveGroup posts a
  // pending cell edit first and asks for a name in the save dialog.
  bool CreateGroup();
  bool LoadGroup(const QString& headerPath);
  SaveResult SaveGroup(bool askName);
  void SetCaptionOverride(const QString& text);
  bool AppendDetal(const QString& name, int length, int width, int quantity, int rotation, int left, int right, int top,
                   int bottom, int material, QString* why = nullptr);
  void ListGroupMaterials(QList<int>& codes, QStringList& names) const;

  // The material filter, shown as the selected entry of the material bar.
  void SetMaterialFilter(int code);
  // Loads the current row's sides and rotation into the side panel.
  void ShowRowSettings();
  // Writes the side panel into the current row (adding a row when there is
  // none).
  void StoreRowSettings();
  // Rebuilds the material list and the bar from the catalogues, keeping
  // the filter when its material is still there.
  void refreshMaterialLists();
  // The same from lists given (tests, callers with lists of their own).
  void setCatalogue(CatalogueLists lists);
  // Takes the edge list of the catalogues again.
  void refreshEdges();
  // Reloads the part names of the name drop-down (section `Detal_Name`).
  void reloadPartNames();
  // After the defaults changed: the default edge banding and the totals in
  // the decimals of the settings.
  void refreshDefaults();
  // Selects the first entry of the material bar ("<все материалы>").
  Q_INVOKABLE void showAllMaterials();

  // Row commands of the toolbar. postPendingEdit() writes a cell being
  // edited and leaves a new row (dropped when never filled in), before the
  // base is saved, printed, laid out or closed.
  void postPendingEdit();
  void appendRow();
  void copyRow();
  void deleteRow();
  void setEdgesOfAllSides(bool on);
  void replaceMaterial();
  void printList(PartsListKind kind);
  void printModelsList();
  void exportSpreadsheet();

  // The grid's visible columns in display order.
  std::vector<int> visibleColumns() const;

  // The toolbar commands, for the main window's copies and for tests.
  QAction* saveAction() const { return saveAction_; }
  QAction* runAction() const { return runAction_; }
  // A cutting run is attached to "&Разложить"; the command is enabled
  // while one is and the window shows rows.
  void setRunAttached(bool attached);
  QAction* copyAction() const { return copyAction_; }
  QAction* deleteAction() const { return deleteAction_; }
  QAction* excelAction() const { return excelAction_; }
  QAction* replaceAction() const { return replaceAction_; }
  QAction* mergeAction() const { return mergeAction_; }
  bool canPrint() const;

  PartsGrid* grid() const { return grid_; }
  QListWidget* materialBar() const { return bar_; }
  EdgePanel* edgePanel() const { return edges_; }
  QStatusBar* statusBar() const { return status_; }
  QRadioButton* rotationButton(int code) const;

  // Opens a written spreadsheet with the desktop's program; tests replace
  // it. Returns false when nothing could open the file.
  static void setFileOpener(std::function<bool(const QString&)> opener);
  // Settings of the layout (section `Detals_Group`).
  void restoreLayout();
  void saveLayout();

 signals:
  // The window closed; `headerPath` goes to the recent bases list unless
  // it is empty.
  void closed(const QString& headerPath);
  // The active state of the row commands changed (rows, modified flag).
  void commandsChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildToolBar();
  void buildMaterialBar();
  void buildSidePanel();
  void fillMaterialBar();
  void updateTotals();
  void updateActions();
  void updateCaption(const QString& caption);
  void onBarClicked(int row);
  void onSideClicked(int side, bool pressed);
  void showSideMenu(int side, const QPoint& globalPos);
  void showMaterialMenu(int row, const QPoint& globalPos, bool withAllMaterials);
  void chooseMaterial(int row);
  void showRotationMenu(int row, const QPoint& globalPos);
  void findMaterial();
  QString chooseSaveName(const QString& preset);
  PageSetupMm pageSetup() const;
  int selectedBarCode() const;

  QString dataRoot_;
  ini::IniFile& settings_;
  PartsDocument* doc_ = nullptr;
  PartsTableModel* model_ = nullptr;
  PartsGrid* grid_ = nullptr;
  QListWidget* bar_ = nullptr;
  QPushButton* barButton_ = nullptr;
  QSplitter* splitter_ = nullptr;
  EdgePanel* edges_ = nullptr;
  QButtonGroup* rotation_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QStatusBar* status_ = nullptr;
  common::StatusPanel* panels_[5] = {};
  SideCodes panelSides_{};
  bool layoutRestored_ = false;
  bool runAttached_ = false;
  bool closing_ = false;

  QAction* saveAction_ = nullptr;
  QAction* mergeAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* runAction_ = nullptr;
  QAction* printListAction_ = nullptr;
  QAction* printGroupedAction_ = nullptr;
  QToolButton* printButton_ = nullptr;
  QAction* excelAction_ = nullptr;
  QAction* noneAction_ = nullptr;
  QAction* allAction_ = nullptr;
  QAction* replaceAction_ = nullptr;
};

// The lists of the catalogues for a parts window: the materials with
// "<все материалы>" first, the edge list and the default edge. Empty lists
// (only those two entries) when the catalogues are not there.
CatalogueLists currentCatalogueLists(const ini::IniFile& settings);

}  // namespace kroyna::parts
