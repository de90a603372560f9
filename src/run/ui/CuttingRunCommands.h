#pragma once

// The cutting run in the program's windows: the maps window and the parts
// window as the run sees them, the program's services, and the commands
// that start a run ("&Разложить" of a parts window, "Разложить детали" of
// the main menu).

#include "run/CuttingRun.h"

#include <functional>
#include <memory>

namespace kroyna::maps {
class MapsWindow;
}
namespace kroyna::parts {
class PartsWindow;
}
namespace kroyna::common {
class AppContext;
}

namespace kroyna::run {

// The run's view of a maps window (nullptr for none).
std::unique_ptr<RunMapsView> mapsWindowView(maps::MapsWindow* window);
// A parts window as the source of a run.
RunSource partsWindowSource(parts::PartsWindow& window);

// The services of the running program (main window, warehouse, parts
// subsystem, catalogues). Pieces the context has not got stay empty.
CuttingRunServices programServices(common::AppContext& context);

// Starts a run on a parts window with the program's services, unless a run
// is going on already.
void runCutting(parts::PartsWindow& source);
// Replaces the services runCutting() uses (tests drive the commands with
// their own); an empty function gives back the program's.
void setRunServices(std::function<CuttingRunServices()> make);

// Gives a parts window's "&Разложить" to the cutting run (once per window).
void attachToPartsWindow(parts::PartsWindow& window);

// Joins the cutting run to the program: "&Разложить" of every parts window
// and "Разложить детали" (Ctrl+R) of the main menu.
void install(common::AppContext& context);

}  // namespace kroyna::run
