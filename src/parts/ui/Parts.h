#pragma once

#include "parts/RecentFiles.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;

namespace kroyna::common {
class AppContext;
class MainFrame;
}  // namespace kroyna::common

namespace kroyna::parts {

class PartsWindow;

// The parts databases of the running program: the main-window commands of
// the "&База деталей" menu, the recent bases list, the bases named on the
// command line, and the parts windows in the document area. Other
// subsystems create parts windows through it (a base of unplaced parts,
// imports, a model's parts list).
class PartsSubsystem : public QObject {
  Q_OBJECT
 public:
  explicit PartsSubsystem(common::AppContext& context);
  ~PartsSubsystem() override;

  // The live object, or nullptr.
  static PartsSubsystem* instance();

  // A parts window not yet holding a base, not yet shown; show it with
  // showWindow() after CreateGroup or LoadGroup succeeded, or delete it.
  PartsWindow* makeWindow();
  // Puts a window into the document area and shows it.
  void showWindow(PartsWindow* window);
  // A new untitled base in a new window ("Новая"); nullptr after a
  // message when it cannot be made.
  PartsWindow* newUntitledBase();
  // Opens a header file in a new window; nullptr after a message on
  // failure. No already-open check (the callers make it).
  PartsWindow* openBase(const QString& headerPath);
  // The window holding that header file, or nullptr.
  PartsWindow* findWindow(const QString& headerPath) const;
  void bringToFront(PartsWindow* window) const;

  QList<PartsWindow*> windows() const;
  // The active document window when it is a parts window.
  PartsWindow* activeWindow() const;

  // "Открыть": the open dialog (replaceable for tests: returns the chosen
  // file or an empty text), the already-open question, a new window.
  void openCommand();
  void setOpenChooser(std::function<QString()> chooser) { openChooser_ = std::move(chooser); }
  // A click on a recent base.
  void openRecent(const QString& headerPath);
  // The files named on the command line: existing files ending in ".krb".
  void openCommandLineFiles(const QStringList& arguments);
  // The import of the AutoRun folder, run when the main window is first
  // shown, after the recent bases are read and before the bases of the
  // command line are opened.
  void setStartupImport(std::function<void()> import) { startupImport_ = std::move(import); }

  RecentFiles& recent() { return recent_; }
  // Rebuilds the recent bases between the two separators of the menu.
  void rebuildRecentMenu();
  // Enables the main-window commands for the active window.
  void updateCommands();
  // After the defaults or the catalogues changed: every window rereads.
  void refreshWindows();

 private:
  void attachCommands();
  // Follows the catalogues' changes (once they exist).
  void connectCatalogues();
  QString chooseOpenFile();
  void forActive(const std::function<void(PartsWindow&)>& action);

  common::AppContext& context_;
  common::MainFrame* main_ = nullptr;
  RecentFiles recent_;
  QList<QAction*> recentActions_;
  std::function<QString()> openChooser_;
  std::function<void()> startupImport_;
  QObject* connectedCatalogues_ = nullptr;
};

// Connects the parts databases to the running program.
void install(common::AppContext& context);

}  // namespace kroyna::parts
