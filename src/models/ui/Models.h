#pragma once

#include <QObject>
#include <QPointer>

namespace kroyna::common {
class AppContext;
class MainFrame;
}  // namespace kroyna::common

namespace kroyna::models {

class ModelsWindow;
class PartsHost;

// The models base of the running program: the main-window commands
// "База моделей мебели" (Ctrl+M, toolbar "Модели") and "Добавить модель",
// and the one models base window.
class ModelsSubsystem : public QObject {
  Q_OBJECT
 public:
  explicit ModelsSubsystem(common::AppContext& context);
  ~ModelsSubsystem() override;

  // The live object, or nullptr.
  static ModelsSubsystem* instance();

  // Opens the models base window, or brings the open one to the front.
  // nullptr after a message when the models file cannot be read.
  ModelsWindow* openWindow();
  // The open window, or nullptr.
  ModelsWindow* window() const;
  // "Добавить модель" for the active parts window.
  void addModelFromActiveParts();
  // Enables "Добавить модель" while the active window is a parts window.
  void updateCommands();

 private:
  common::AppContext& context_;
  common::MainFrame* main_ = nullptr;
  QPointer<ModelsWindow> window_;
  PartsHost* host_ = nullptr;
};

// Connects the models base to the running program.
void install(common::AppContext& context);

}  // namespace kroyna::models
