#pragma once

// Printing cutting maps from the maps window ("&Печать"): the print
// dialog, the map report through "Reports/RskMaps.frf" and its preview;
// and the main-menu item "Параметры печати карт раскроя".

#include "platform/report/PreparedReport.h"
#include "reports/mapprint/MapPrintModels.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::maps {
class MapsEnvironment;
class MapsWindow;
}  // namespace kroyna::maps
namespace kroyna::common {
class AppContext;
}

namespace kroyna::reports {

class MapReportCatalogue;

// What the print command takes from the running program.
struct MapPrintSetup {
  ini::IniFile* settings = nullptr;  // Kroyna.ini
  QString reportsFolder;             // Reports/ of the data root
  bool printerLandscape = false;     // the printer is set to landscape
  QWidget* parent = nullptr;
};

// The two windows the command shows; tests replace them. `ask` shows the
// print dialog and returns what it decided, nothing when it was cancelled; `preview` shows
// the prepared report (zoom, open, save, PDF, print, find).
struct MapPrintWindows {
  std::function<std::optional<MapPrintDialogModel>(const MapTabs& tabs, ini::IniFile& settings, QWidget* parent)> ask;
  std::function<void(report::PreparedReport report, QWidget* parent)> preview;
};
MapPrintWindows& mapPrintWindows();

// The catalogue of a maps window's environment: an edge code is in the
// catalogue when the catalogue gives it a colour of its own.
std::unique_ptr<MapReportCatalogue> environmentCatalogue(const maps::MapsEnvironment& env);

// The print command on a maps window. Failures are shown to the user.
void printMaps(maps::MapsWindow& window, const MapPrintSetup& setup);
// The same with the running program's settings, data root and printer.
void printMaps(maps::MapsWindow& window);

// "Параметры печати карт раскроя": the advanced dialog.
void editMapPrintStyles(ini::IniFile& settings, QWidget* parent);

// Registers the report objects, attaches the maps window's "&Печать" and
// the main-menu item.
void installMapPrinting(common::AppContext& context);

}  // namespace kroyna::reports
