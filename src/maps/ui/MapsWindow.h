#pragma once

// The maps window: a tool bar, the materials panel on the left, one tab
// per map (the sheet drawn to scale with its two status lines) and a
// progress bar on the right while a cutting run fills it. It shows a
// MapsDocument and forwards the user's commands to it.

#include "maps/MapsDocument.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::maps {

class MapsWindow;

// One sheet drawn to scale. Parts, offcuts and cuts are painted by the
// sheet itself (they have no windows of their own); tooltips and context
// menus find the element under the mouse.
class MapSheetView : public QWidget {
  Q_OBJECT
 public:
  MapSheetView(const MapsDocument& document, int mapIndex, QWidget* parent = nullptr);

  int mapIndex() const { return map_; }
  double ratio() const { return ratio_; }
  // Resizes the sheet to its real size times `ratio`.
  void setRatio(double ratio);
  // Tooltips of parts and offcuts on or off.
  void setShowAllHints(bool on) { hints_ = on; }
  bool showAllHints() const { return hints_; }

  // The element under a point of the widget: the topmost offcut, else the
  // topmost part; -1 when none.
  int offcutAt(QPoint pos) const;
  int partAt(QPoint pos) const;

 signals:
  void partMenuRequested(int part, QPoint globalPos);
  void offcutMenuRequested(int offcut, QPoint globalPos);
  void mapMenuRequested(QPoint globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The document's maps can be replaced (a file read into the window)
  // before the pages are rebuilt: a sheet whose map is gone draws nothing.
  bool valid() const { return map_ >= 0 && map_ < document_.mapCount(); }
  const SheetMap& sheet() const { return document_.map(map_); }

  const MapsDocument& document_;
  int map_;
  double ratio_ = 0;
  bool hints_ = false;
};

// The status line under a map: panels as wide as their texts + 8 pixels.
class MapStatusLine : public QWidget {
  Q_OBJECT
 public:
  explicit MapStatusLine(QWidget* parent = nullptr);
  void setPanels(const QStringList& texts);
  QStringList panels() const;

 private:
  QList<QLabel*> labels_;
};

// A tab page: the sheet at (4, 4) and the two status lines at the bottom.
class MapPage : public QWidget {
  Q_OBJECT
 public:
  MapPage(MapsWindow& window, const MapsDocument& document, int mapIndex);
  MapSheetView* sheet() const { return sheet_; }
  MapStatusLine* line1() const { return line1_; }
  MapStatusLine* line2() const { return line2_; }
  // Height of the first status line.
  int statusHeight() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  MapsWindow& window_;
  MapSheetView* sheet_;
  MapStatusLine* line1_;
  MapStatusLine* line2_;
};

// Commands that later parts of the program attach: saving the maps file,
// printing the maps, accepting the result into stock, printing the
// statistics. A command without a handler stays disabled.
struct MapsWindowCommands {
  // Saves the document; returns true when it was saved (false when the
  // user cancelled the dialog or the save failed).
  std::function<bool(MapsWindow&)> save;
  std::function<void(MapsWindow&)> print;
  // Returns true when the result was accepted (the command then stays
  // disabled for the life of the window).
  std::function<bool(MapsWindow&)> apply;
  std::function<void(MapsWindow&)> printStatistics;
};

class MapsWindow : public QWidget {
  Q_OBJECT
 public:
  // `settings` holds section [SheetParams] (panel width, cut mode,
  // placement); the document reads its colours, criteria and names
  // through `environment`.
  MapsWindow(const MapsEnvironment& environment, ini::IniFile& settings, QWidget* parent = nullptr);
  ~MapsWindow() override;

  // The commands shared by every maps window.
  static MapsWindowCommands& commands();

  MapsDocument& document() { return *document_; }
  const MapsDocument& document() const { return *document_; }

  // ---- For the cutting run ----
  // Adds the map built from a finished map as a new, active tab drawn at
  // the window's current ratio.
  int addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& finished, std::int32_t kerf,
             const QString& remark);
  // While a material is laid out: caption "Пожалуйста подождите ...", tool
  // bar disabled, the save button turned into "Прервать", progress shown.
  void beginRun();
  // Back to the ready state: save button back, tool bar enabled, progress
  // hidden, maps rescaled, materials panel refilled.
  void endRun();
  bool isRunning() const { return running_; }
  QProgressBar* progressBar() const { return progress_; }
  void setProgress(std::int64_t done, std::int64_t total);
  // A close attempt during a run is refused but recorded here.
  bool closeRequested() const { return closeRequested_; }
  void clearCloseRequest() { closeRequested_ = false; }
  // Closes the window without asking to save (the run's answer to a close
  // request).
  void closeWithoutQuestion();

  // The display flags of section [Default] the run starts with: ShowName
  // and ShowDim for the parts it adds, ShowScrapsText, ShowHints,
  // ShowBorder.
  void setDisplayFlags(bool showName, bool showDim, bool showScrapsText, bool showHints, bool showBorder);

  // ---- Window state ----
  // Caption of the document and the window.
  void setCaption(const QString& caption);
  // Re-reads everything shown from the document: tabs, status lines,
  // switches, materials panel (after a map file was read into it).
  void refreshFromDocument();
  // Recomputes the common ratio from the page size and applies it.
  void rescale();
  // Status lines and drawings of every map again, after the document's
  // elements were changed from outside (names given on acceptance).
  void refreshMaps();
  double ratio() const { return ratio_; }
  int pageCount() const;
  MapPage* page(int index) const;
  QTabWidget* tabs() const { return tabs_; }
  QListWidget* materialsPanel() const { return materials_; }
  QToolBar* toolBar() const { return toolBar_; }

  // ---- Commands ----
  void setMillMode(int mode);
  void setShowBorder(bool on);
  void setShowScrapsText(bool on);
  void setShowHints(bool on);
  void setMapFont(const common::FontKeys& font);
  // Filters by the materials panel entry `row` (0 = all materials).
  void selectMaterialRow(int row);
  // "Все материалы": selects the panel's "<все материалы>" entry.
  Q_INVOKABLE void showAllMaterials();
  // Opens the statistics dialog (not modal for the event loop).
  void showStatistics();
  // Asks "Действительно прервать разложение?" and emits abortRequested.
  void askAbort();
  // "Информация" of a part, offcut, map.
  void showPartInfo(int map, int part);
  void showOffcutInfo(int map, int offcut);
  void showMapInfo();
  // Manual kind change and rename (the code dialog asks for the name).
  void toggleOffcutKind(int map, int offcut);
  void renameOffcut(int map, int offcut, const QString& name);
  // Marks the result as accepted into stock: "П&ринять" stays disabled.
  void setApplied();
  bool isApplied() const { return applied_; }
  // When these maps were accepted into stock ("17.05.2024 10:30"), as the
  // journal of accepted results knows it: shown on the status lines and in
  // the hint of "П&ринять". Empty: not known to be accepted.
  void setAcceptedNote(const QString& when);
  const QString& acceptedNote() const { return acceptedNote_; }

  // The action of a tool-bar command: "save", "print", "font", "apply",
  // "cuts", "edge", "offcuts", "hints", "statistics", "abort".
  QAction* action(const QString& id) const;
  // The name of the selected materials panel entry and its code.
  QString selectedMaterialName() const;
  int selectedMaterialCode() const;

 signals:
  // "Прервать" was confirmed.
  void abortRequested();
  // The document was changed (kind, name) or saved.
  void documentChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildToolBar();
  void updateCommands();
  void updateTitle();
  void addPage(int mapIndex);
  void refreshStatus(int mapIndex);
  void refreshMaterialsPanel();
  // The materials panel as wide as its longest name.
  void fitMaterialsPanel();
  void applyVisibility();
  void repaintMaps();
  void openPartMenu(int map, int part, QPoint globalPos);
  void openOffcutMenu(int map, int offcut, QPoint globalPos);
  void chooseFont();
  void findMaterial();
  void saveWindowSettings();

  std::unique_ptr<MapsDocument> document_;
  ini::IniFile& settings_;
  QToolBar* toolBar_ = nullptr;
  QToolButton* cutsButton_ = nullptr;
  QMenu* cutsMenu_ = nullptr;
  QActionGroup* cutsGroup_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QListWidget* materials_ = nullptr;
  QList<int> panelCodes_;
  QTabWidget* tabs_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QElapsedTimer progressShown_;
  double ratio_ = 0;
  bool running_ = false;
  bool closeRequested_ = false;
  bool closeWithoutQuestion_ = false;
  bool applied_ = false;
  QString acceptedNote_;
  bool shownOnce_ = false;
  // No panel width is kept and the user has not moved the splitter: the
  // panel follows its names.
  bool panelFits_ = false;
};

// The offcut code dialog "Изменение шифра": the new code, or nothing when
// cancelled.
std::optional<QString> askOffcutCode(const QString& current, QWidget* parent = nullptr);

}  // namespace kroyna::maps
