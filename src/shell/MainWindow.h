#pragma once

#include <QHash>
#include <QStringList>

#include "common/ui/MainFrame.h"

#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QAction;
class QPrinter;

namespace kroyna::shell {

// The main window "Раскрой листового материала": the document area, the
// menus, the toolbar and the status bar. Subsystems attach their commands
// by identifier (see MainWindow.cpp for the command table); a command that
// nothing has attached stays disabled.
class MainWindow : public common::MainFrame {
  Q_OBJECT
 public:
  MainWindow(const common::DataRoot& root, common::Settings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The action of a command of the command table, or nullptr.
  QAction* command(const QString& id) const override;
  // Connects a command to its handler and enables it.
  void attachCommand(const QString& id, std::function<void()> handler) override;
  // Identifiers of every command of the table, in menu order.
  QStringList commandIds() const;

  QMdiArea* documentArea() const override { return mdi_; }
  QMdiSubWindow* addDocument(QWidget* widget) override;
  // Brings every document window that is neither maximised nor minimised
  // wholly inside the document area (after the first show, for the windows
  // made before the area had its size).
  void keepDocumentsInside();
  QMenu* windowMenu() const { return windowMenu_; }
  QToolBar* standardToolBar() const override { return toolBar_; }
  QPrinter& printer() override;

  const common::DataRoot& dataRoot() const override { return root_; }
  common::Settings& settings() override { return settings_; }

  // Names of parts databases given on the command line, kept for the
  // parts subsystem to open once the window is shown.
  void setStartupFiles(const QStringList& files) { startupFiles_ = files; }
  const QStringList& startupFiles() const override { return startupFiles_; }

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

  const common::DataRoot& root_;
  common::Settings& settings_;
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
