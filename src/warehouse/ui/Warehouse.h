#pragma once

// The warehouse of the running program: the data module, the commands of
// the warehouse window and the window itself, made at the start-up step
// "Инициализация склада" and kept until the program ends. Other
// subsystems reach the stock through instance() (the cutting run reads the
// sheet view, the maps book offcuts in and ask for marks).

#include "warehouse/StockModule.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/WarehouseWindow.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace kroyna::common {
class AppContext;
}

namespace kroyna::warehouse {

class Warehouse : public QObject {
  Q_OBJECT
 public:
  Warehouse(common::AppContext& context, QObject* parent = nullptr);
  ~Warehouse() override;

  // The live warehouse, or nullptr before start-up made it.
  static Warehouse* instance();

  StockModule& module() { return *module_; }
  WarehouseController& controller() { return *controller_; }
  WarehouseWindow* window() const { return window_; }

  // Brings the warehouse window to the front (toolbar "Склад").
  void showWindow();

 private:
  void attachCommands();
  void shutDown();

  common::AppContext& context_;
  std::unique_ptr<MaterialDirectory> materials_;
  std::unique_ptr<StockModule> module_;
  std::unique_ptr<WarehouseController> controller_;
  QPointer<WarehouseWindow> window_;
};

// Joins the warehouse to the program's start-up and shut-down steps and
// attaches its commands (see Subsystems.cpp).
void install(common::AppContext& context);

}  // namespace kroyna::warehouse
