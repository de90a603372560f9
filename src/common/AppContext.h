#pragma once

#include <QObject>
#include <QString>

namespace kroyna::common {

class DataRoot;
class Settings;
class MainFrame;

// What every subsystem needs from the running program: the data root, the
// settings, the main window, and the start-up and shut-down steps to join.
//
// Subsystems join the steps by connecting to the signals below from their
// install function (listed in Subsystems.cpp); slots run in the order the
// install functions connected them.
class AppContext : public QObject {
  Q_OBJECT
 public:
  AppContext(const DataRoot& root, Settings& settings, QObject* parent = nullptr);
  ~AppContext() override;

  // The context of the running program (or of a test that made one).
  static AppContext* current();

  const DataRoot& root() const { return root_; }
  Settings& settings() const { return settings_; }
  MainFrame* mainWindow() const { return mainWindow_; }
  void setMainWindow(MainFrame* window) { mainWindow_ = window; }

  // Called by a start-up step that failed: the message is shown and the
  // program exits with status 1.
  void failStartup(const QString& message) {
    if (startupError_.isEmpty()) startupError_ = message;
  }
  const QString& startupError() const { return startupError_; }

  // After "Параметры по умолчанию" closed with "&Да" (from the main menu or
  // from "Параметры разложения"): re-reads what the settings keep in memory
  // and emits defaultsChanged(), so that every open window shows the new
  // defaults.
  void applyChangedDefaults();

 signals:
  // Splash step "Подключение внешних баз материалов". Slots must not let
  // exceptions out (they would cross Qt's signal code): a slot that fails
  // calls failStartup(), and the start stops with that message.
  void connectMaterials();
  // Splash step "Инициализация склада".
  void initWarehouse();
  // Splash step "Инициализация программных модулей".
  void initModules();
  // The main window has been shown for the first time (edge lists, stock
  // check, recent files, AutoRun import, files of the command line).
  void mainWindowShown();
  // The main window is about to close; a slot sets `cancel` to keep it
  // open (a refused save, unsaved stock the user wants to keep).
  void mainWindowClosing(bool& cancel);
  // The main window has closed for good (write lists kept in memory).
  void mainWindowClosed();
  // The defaults of the settings file changed (decimals, default edge
  // banding, map colours and font): open parts and maps windows refresh.
  void defaultsChanged();

 private:
  const DataRoot& root_;
  Settings& settings_;
  MainFrame* mainWindow_ = nullptr;
  QString startupError_;
};

}  // namespace kroyna::common
