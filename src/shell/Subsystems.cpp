#include "shell/Subsystems.h"

#include "common/AppContext.h"

#include "catalogues/Catalogues.h"
#include "maps/ui/MapFileCommands.h"
#include "maps/ui/Maps.h"
#include "models/ui/DesignImportCommands.h"
#include "models/ui/Models.h"
#include "parts/ui/ImportCommands.h"
#include "parts/ui/Parts.h"
#include "reports/ui/MapPrintCommand.h"
#include "reports/ui/StatisticsAndLabels.h"
#include "run/ui/CuttingRunCommands.h"
#include "warehouse/ui/Warehouse.h"

// Each subsystem's install function connects it to the start-up and
// shut-down steps and attaches its main-window commands. The order here is
// the order in which they run at each step.

namespace kroyna::shell {

using namespace common;

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
