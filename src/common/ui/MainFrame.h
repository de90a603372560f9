#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QToolBar;

namespace kroyna::common {

class DataRoot;
class Settings;

// What the features need of the main window: its commands, its document
// area, the printer and the files named on the command line. The program's
// main window implements it; the features see only this.
class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  using QMainWindow::QMainWindow;

  // The action of a command of the command table, or nullptr.
  virtual QAction* command(const QString& id) const = 0;
  // Connects a command to its handler and enables it.
  virtual void attachCommand(const QString& id, std::function<void()> handler) = 0;

  virtual QMdiArea* documentArea() const = 0;
  // Adds a document window to the area, placed wholly inside it.
  virtual QMdiSubWindow* addDocument(QWidget* widget) = 0;
  virtual QToolBar* standardToolBar() const = 0;
  // The printer the user set up ("Настройка принтера").
  virtual QPrinter& printer() = 0;

  virtual const DataRoot& dataRoot() const = 0;
  virtual Settings& settings() = 0;

  // Files named on the command line, opened once the window is shown.
  virtual const QStringList& startupFiles() const = 0;
};

}  // namespace kroyna::common
