#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QAction;
class QPrinter;

namespace kroyna::shell {

class DataRoot;
class Settings;

// The main window "Раскрой листового материала": the document area, the
// menus, the toolbar and the status bar. Subsystems attach their commands
// by identifier (see MainWindow.cpp for the command table); a command that
// nothing has attached stays disabled.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(const DataRoot& root, Settings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The action of a command of the command table, or nullptr.
  QAction* command(const QString& id) const;
  // Connects a command to its handler and enables it.
  void attachCommand(const QString& id, std::function<void()> handler);
  // Identifiers of every command of the table, in menu order.
  QStringList commandIds() const;

  QMdiArea* documentArea() const { return mdi_; }
  QMdiSubWindow* addDocument(QWidget* widget);
  // Brings every document window that is neither maximised nor minimised
  // wholly inside the document area (after the first show, for the windows
  // made before the area had its size).
  void keepDocumentsInside();
  QMenu* windowMenu() const { return windowMenu_; }
  QToolBar* standardToolBar() const { return toolBar_; }
  QPrinter& printer();

  const DataRoot& dataRoot() const { return root_; }
  Settings& settings() { return settings_; }

  // Names of parts databases given on the command line, kept for the
  // parts subsystem to open once the window is shown.
  void setStartupFiles(const QStringList& files) { startupFiles_ = files; }
  const QStringList& startupFiles() const { return startupFiles_; }

  // Window placement and toolbar state (sections Main_Form and
  // tbar97Standart of the settings file).
  void restorePlacement();
  void savePlacement();

  // Rebuilds the window list below the fixed items of the "&Окно" menu.
  void rebuildWindowMenu();

  // Arranges the document windows.
  void tileHorizontally();
  void tileVertically();
  void arrangeIcons();
  void minimizeAll();

 signals:
  // Emitted once the window has been shown for the first time.
  void firstShown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildCommands();
  void buildMenus();
  void buildToolBar();
  void attachOwnCommands();
  void showAbout();
  void editPageParams();
  void printerSetup();
  // Runs a settings write and reports a failure instead of losing it.
  void writeSetting(const std::function<void()>& write);

  const DataRoot& root_;
  Settings& settings_;
  QMdiArea* mdi_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QList<QAction*> windowListActions_;
  QHash<QString, QAction*> commands_;
  QStringList commandOrder_;
  QStringList startupFiles_;
  std::unique_ptr<QPrinter> printer_;
  bool shownOnce_ = false;
};

}  // namespace kroyna::shell
