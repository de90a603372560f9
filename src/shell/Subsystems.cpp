#include "shell/AppContext.h"

#include "catalogues/Catalogues.h"
#include "maps/MapFileCommands.h"
#include "maps/Maps.h"
#include "models/DesignImportCommands.h"
#include "models/Models.h"
#include "parts/ImportCommands.h"
#include "parts/Parts.h"
#include "reports/MapPrintCommand.h"
#include "reports/StatisticsAndLabels.h"
#include "run/CuttingRunCommands.h"
#include "warehouse/Warehouse.h"

// Each subsystem's install function connects it to the start-up and
// shut-down steps and attaches its main-window commands. The order here is
// the order in which they run at each step.

namespace kroyna::shell {

void installSubsystems(AppContext& context) {
  catalogues::install(context);
  warehouse::install(context);
  run::install(context);
  parts::install(context);
  models::install(context);
  parts::installImports(context);
  models::installDesignImport(context);
  maps::install(context);
  maps::installMapFileCommands(context);
  reports::installMapPrinting(context);
  reports::installStatisticsAndLabels(context);
}

}  // namespace kroyna::shell
