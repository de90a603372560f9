#pragma once

// The maps subsystem in the running program: new maps windows in the
// document area, the active maps window, and main-window commands that act
// on it.

#include <QString>

#include <functional>

namespace kroyna::common {
class AppContext;
class MainFrame;
}  // namespace kroyna::common

namespace kroyna::maps {

class MapsEnvironment;
class MapsWindow;

// The environment of maps windows of the running program (settings file
// and current catalogues). Valid after install().
const MapsEnvironment& programEnvironment();

// Opens a new, empty maps window ("<без названия>") in the main window's
// document area.
MapsWindow* openMapsWindow(common::MainFrame& mainWindow);
// The maps window of the active document window, or nullptr.
MapsWindow* activeMapsWindow(const common::MainFrame& mainWindow);

// Attaches a main-window command that acts on the active maps window: it
// is enabled only while the active document window is a maps window.
void attachMapsCommand(common::MainFrame& mainWindow, const QString& id, std::function<void(MapsWindow&)> handler);

// Connects the maps to the running program: the environment of the maps
// windows and the enabling of the maps commands as document windows are
// activated.
void install(common::AppContext& context);

}  // namespace kroyna::maps
