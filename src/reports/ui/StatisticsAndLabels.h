#pragma once

// The commands that print statistics and labels:
// - "&Печать" of the maps window's statistics dialog (Reports/Statistic.frf);
// - main menu "Печать статистики по расходу материалов" (Reports/ScrapsInfo.frf),
//   enabled while the active document window is a maps window;
// - main menu "Печать ярлычков деталей", enabled while it is a maps window
//   or a parts database window, and "Печать ярлычков остатков", enabled
//   while it is a maps window or the warehouse window. Each fills the labels
//   from that window, shows its dialog modally and empties them afterwards.

#include "reports/ui/LabelDialogs.h"

#include <functional>

class QWidget;

namespace kroyna::common {
class AppContext;
class MainFrame;
}  // namespace kroyna::common
namespace kroyna::maps {
class MapsWindow;
}

namespace kroyna::reports {

// The reports of a maps window; a failure is shown as "Ошибка создания
// отчета." with its reason.
void printStatisticsReport(maps::MapsWindow& window, QWidget* parent = nullptr);
void printMaterialSummary(maps::MapsWindow& window);

// The label commands, from the active document window of the main window.
void printPartLabels(common::MainFrame& mainWindow);
void printOffcutLabels(common::MainFrame& mainWindow);

// How a label dialog is shown (modal by default); tests drive it instead.
using LabelDialogRunner = std::function<void(LabelDialog& dialog)>;
void setLabelDialogRunner(LabelDialogRunner runner);

// Attaches the commands above to the maps windows and the main window.
void installStatisticsAndLabels(common::AppContext& context);

}  // namespace kroyna::reports
