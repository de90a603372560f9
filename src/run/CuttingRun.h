#pragma once

// The cutting run: lays out the parts a parts window shows, material by
// material, with the layout options of "Параметры разложения", and fills one
// new maps window with the maps. The material loop itself (loading, the fit
// check, the passes) is the engine's, shared with the headless cutter
// kroyna-cut; this file adds what the program does around it: the work
// file, the stock of offcuts and standard sheets, the maps window with its
// tabs, progress and "Прервать", the status line, the run-out dialog and the
// base of unplaced parts.
//
// Everything runs on the interface thread. Between layout variants the run
// lets the interface process its events, so that "Прервать", repaints and a
// close attempt on the maps window get through; a close attempt ends the run
// after the current variant and closes the window without a question.

#include "engine/EngineContext.h"
#include "engine/MaterialRun.h"
#include "run/CuttingParameters.h"
#include "run/LayoutOptionsDialog.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::maps {
class TFormSheets;
}
namespace kroyna::parts {
class PartsWindow;
struct PartRow;
}  // namespace kroyna::parts
namespace kroyna::shell {
class AppContext;
}
namespace kroyna::warehouse {
class TModule;
}

namespace kroyna::run {

// The run's own texts.
inline const char* const kNoMaterialsMessage =
    "Разложение невозможно!\r\rТекущая база не содержит деталей или\rдеталям базы не сопоставлены материалы.";
inline const char* const kReadErrorMessage = "Ошибка чтения данных!";
inline const char* const kCreateUnplacedQuestion =
    "ВНИМАНИЕ!\r\rРазложены не все детали!\rСоздать базу неразложенных деталей?";
inline const char* const kRemainingStatus = "Осталось неразложено деталей: ";
inline const char* const kUnplacedCaption = "Неразложенные детали базы ";

// The caption of a map's tab: "3: Лист 3", "4: Листы 4 - 6 (A)". `tabsBefore`
// counts the tabs of the window before it, `sheetsBefore` (k) the sheets of
// its material captioned before it, `sheetName` the stock name of an offcut
// (empty for a standard sheet).
QString sheetTabCaption(int tabsBefore, int sheetsBefore, int quantity, const QString& sheetName);

// The message that ends a material whose pass could place no copy (a sheet
// chosen after a run-out that is too small for what is left, a cut-length
// limit no part can meet): it names the parts left and asks whether they go
// to the base of unplaced parts.
QString placedNothingQuestion(const QString& materialName, const QStringList& partsLeft);

// Why a material asked for the improved search was laid out by the quick or
// full search (`search`) instead; empty when nothing is to be said.
QString improvedFallbackMessage(const QString& materialName, engine::ImprovedFallback why, engine::SearchUsed search);

// "Вариант раскроя 2: \"База деталей: Кухня.krb\"".
QString runCaption(int runNumber, const QString& partsCaption);

// One material of the run with its layout options from the work file.
struct RunMaterialOptions {
  int code = 0;
  OptimRecord optim;
};

// The materials of a run: the sections "Material<code>" of the work file in
// file order, after removing (from the file) every section whose material is
// not enabled. Other sections are left alone. Throws ini::IniError when the
// file cannot be written.
std::vector<RunMaterialOptions> runMaterials(ini::IniFile& workFile);

// The engine's parameters of a material: its layout options and the
// defaults of section `Default` (kerf, trims, machine limit, criterion).
engine::CuttingParameters cuttingParameters(const OptimRecord& optim, const DefaultParams& defaults);

// The material's parts, as the engine takes them, from rows of a parts
// database (rows of other materials are left out; Many <= 0 stays in and
// is skipped by the engine). PartRow::Row of the engine is the index here.
std::vector<engine::PartRow> partsOfMaterial(const std::vector<parts::PartRow>& rows, int materialCode);

// The offcuts of a material in the stock working copy `Temp/TempSc.dbf`, in
// table order. `failed` tells that reading stopped at a fault; `rows` then
// holds what was read before it.
struct OffcutsRead {
  std::vector<engine::OffcutRow> rows;
  bool failed = false;
};
OffcutsRead readOffcuts(const std::filesystem::path& offcutTable, int materialCode);

// What the run uses of the program; the program's own are made by
// programServices(), tests put in their own.
struct CuttingRunServices {
  ini::IniFile* settings = nullptr;     // Kroyna.ini (section Default)
  std::filesystem::path workFile;       // Kroyna.tmp
  warehouse::TModule* stock = nullptr;  // nullptr: no offcuts, no sheet view
  // "Параметры разложения"; true on "&Да".
  std::function<bool(const std::vector<LayoutMaterial>&)> editOptions;
  // A new, shown maps window.
  std::function<maps::TFormSheets*()> newMapsWindow;
  // A new untitled parts base for the unplaced parts; nullptr when it could
  // not be made (a message has been shown).
  std::function<parts::PartsWindow*()> newPartsBase;
  // Panel 2 of the main window's status bar.
  std::function<void(const QString&)> showStatus;
  // The remark of a material's maps, for the remarks list of the program.
  std::function<void(int code, const std::string& remark)> setRemark;
  // Lets the interface process its pending events (between variants).
  std::function<void()> processEvents;
};

// The services of the running program (main window, warehouse, parts
// subsystem, catalogues). Pieces the context has not got stay empty.
CuttingRunServices programServices(shell::AppContext& context);

// One run over one parts window. Make it, call start(), and let it go.
class CuttingRun {
 public:
  explicit CuttingRun(CuttingRunServices services);
  ~CuttingRun();
  CuttingRun(const CuttingRun&) = delete;
  CuttingRun& operator=(const CuttingRun&) = delete;

  // Lays out the materials the window shows. Returns the maps window of
  // the run (nullptr when nothing ran, or when the user closed it during
  // the run).
  maps::TFormSheets* start(parts::PartsWindow& source);

  // Whether any run is going on now (a second one is refused meanwhile).
  static bool isRunning();

  // The base of unplaced parts this run made, or nullptr.
  parts::PartsWindow* unplacedBase() const;
  // Set by "Прервать" (confirmed) in the maps window.
  bool aborted() const { return ctx_.Abort; }

 private:
  struct Material;
  void layOut(const RunMaterialOptions& options, const std::vector<parts::PartRow>& rows, Material& m);
  void handOver(const engine::EngineContext& ctx, int first, int count, Material& m);
  void writeStockCount(Material& m);
  engine::RunOutAnswer askRunOut(Material& m);
  void writeUnplaced(Material& m);
  void afterEvents();
  void status(const QString& text);
  bool windowGone() const;

  CuttingRunServices services_;
  engine::EngineContext ctx_;
  QPointer<maps::TFormSheets> window_;
  QPointer<parts::PartsWindow> source_;
  QPointer<parts::PartsWindow> unplaced_;
  QString sourceFileName_;
  QMetaObject::Connection abortConnection_;
  bool closeRequested_ = false;  // the maps window was asked to close
  int overrideCursors_ = 0;
};

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
void install(shell::AppContext& context);

}  // namespace kroyna::run
