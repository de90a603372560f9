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
#include "run/LayoutOptions.h"
#include "warehouse/StockChoices.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
class QWidget;

namespace kroyna::engine {
struct FinishedMap;
}
namespace kroyna::maps {
class MapsDocument;
}
namespace kroyna::parts {
class PartsDocument;
struct PartRow;
}  // namespace kroyna::parts
namespace kroyna::warehouse {
class StockModule;
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

// The message that ends a material whose pass could place no copy (a sheet
// chosen after a run-out that is too small for what is left, a cut-length
// limit no part can meet): it names the parts left and asks whether they go
// to the base of unplaced parts.
QString placedNothingQuestion(const QString& materialName, const QStringList& partsLeft);

// Why a material asked for the improved search was laid out by the quick or
// full search (`search`) instead; empty when nothing is to be said.
QString improvedFallbackMessage(const QString& materialName, engine::ImprovedFallback why, engine::SearchUsed search);

// Why a material's standard sheet L x W cannot be laid out on: a size
// outside 0..kMaxSizeMm; empty when it can.
QString sheetSizeFault(const QString& materialName, std::int32_t length, std::int32_t width);

// The message about settings the run takes with corrected values (see
// rangeFaults), naming the settings file; empty when there are none.
QString settingsFaultMessage(const std::vector<std::string>& faults, const QString& settingsFile);

// The caption of "Способ перебора" that names `search`: "Быстрый",
// "Полный", "Улучшенный".
QString searchCaption(engine::SearchUsed search);

// "Вариант раскроя 2: \"База деталей: Кухня.krb\"".
QString runCaption(int runNumber, const QString& partsCaption);

// The rows of the run's materials (`materials`, in run order) that a run
// passes over, in table order, with why: "нулевой размер" (length or width
// 0), "количество 0"; empty when there are none. `materialName` names a
// material code.
QString skippedRowsMessage(const std::vector<parts::PartRow>& rows, const std::vector<int>& materials,
                           const std::function<QString(int)>& materialName);

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
// holds what was read before it. An offcut longer or wider than
// kMaxSizeMm is left out and named in `refused` ("«A» 200000 x 500").
struct OffcutsRead {
  std::vector<engine::OffcutRow> rows;
  bool failed = false;
  std::vector<std::string> refused;
};
OffcutsRead readOffcuts(const std::filesystem::path& offcutTable, int materialCode);

// What the run needs of the maps window it fills: the window as the run
// sees it, so that the run itself needs no widgets. The window may be
// closed by the user while the run lets events through; alive() then turns
// false and the run never touches it again.
class RunMapsView {
 public:
  virtual ~RunMapsView() = default;
  virtual bool alive() const = 0;
  virtual maps::MapsDocument& document() = 0;
  // [Default] ShowScrapsText, ShowHints and ShowBorder for the maps added.
  virtual void setDisplayFlags(bool showScrapsText, bool showHints, bool showBorder) = 0;
  // During a material: commands disabled, "Прервать" in place of the save
  // button, the progress bar shown, the caption "Пожалуйста подождите ...".
  virtual void beginRun() = 0;
  virtual void endRun() = 0;
  virtual void showProgress(bool shown) = 0;
  virtual void setProgress(std::int64_t done, std::int64_t total) = 0;
  // A new tab with the map of a finished layout; it becomes the active tab.
  virtual void addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& map, std::int32_t kerf,
                      const QString& remark) = 0;
  virtual void setCaption(const QString& caption) = 0;
  // The statistics command, run once at the end.
  virtual void showStatistics() = 0;
  // A close attempt during the run is only recorded; the run closes the
  // window itself, without a question, after the current variant.
  virtual bool closeRequested() const = 0;
  virtual void clearCloseRequest() = 0;
  virtual void closeWithoutQuestion() = 0;
  // Called when the user confirms "Прервать".
  virtual void setAbortHandler(std::function<void()> onAbort) = 0;
  // The parent of the run's messages and dialogs.
  virtual QWidget* dialogParent() const = 0;
};

// The parts database a run lays out.
struct RunSource {
  parts::PartsDocument* document = nullptr;
  // Ends an edit still open in the window, so that the run sees it.
  std::function<void()> postPendingEdit;
  QWidget* dialogParent = nullptr;
};

// What the run uses of the program; the program's own are made by
// programServices() (run/CuttingRunCommands.h), tests put in their own.
struct CuttingRunServices {
  ini::IniFile* settings = nullptr;         // Kroyna.ini (section Default)
  std::filesystem::path workFile;           // Kroyna.tmp
  warehouse::StockModule* stock = nullptr;  // nullptr: no offcuts, no sheet view
  // "Параметры разложения"; true on "&Да".
  std::function<bool(const std::vector<LayoutMaterial>&)> editOptions;
  // A new, shown maps window.
  std::function<std::unique_ptr<RunMapsView>()> newMapsWindow;
  // A new untitled parts base for the unplaced parts; nullptr when it could
  // not be made (a message has been shown).
  std::function<parts::PartsDocument*()> newPartsBase;
  // "Склад (стандартные листы)": how to go on when the sheets ran out.
  std::function<warehouse::RunOutChoice(QWidget* parent)> askRunOut;
  // The sheet choice over the material's standard sheets; nothing when
  // cancelled.
  std::function<std::optional<warehouse::SheetChoice>(warehouse::StockModule&, const QString& material,
                                                      QWidget* parent)>
      chooseSheet;
  // Panel 2 of the main window's status bar.
  std::function<void(const QString&)> showStatus;
  // The remark of a material's maps, for the remarks list of the program.
  std::function<void(int code, const std::string& remark)> setRemark;
  // Lets the interface process its pending events (between variants).
  std::function<void()> processEvents;
};

// One run over one parts database. Make it, call start(), and let it go.
class CuttingRun {
 public:
  explicit CuttingRun(CuttingRunServices services);
  ~CuttingRun();
  CuttingRun(const CuttingRun&) = delete;
  CuttingRun& operator=(const CuttingRun&) = delete;

  // Lays out the materials the source shows. Returns whether a maps window
  // with the result remains (false when nothing ran, when no map was made,
  // whose window is then closed, or when the user closed the window during
  // the run).
  bool start(const RunSource& source);

  // Whether any run is going on now (a second one is refused meanwhile).
  static bool isRunning();

  // The base of unplaced parts this run made, or nullptr.
  parts::PartsDocument* unplacedBase() const;
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
  QWidget* parentWidget() const;

  CuttingRunServices services_;
  engine::EngineContext ctx_;
  std::unique_ptr<RunMapsView> window_;
  QPointer<parts::PartsDocument> source_;
  QPointer<parts::PartsDocument> unplaced_;
  QString sourceFileName_;
  bool closeRequested_ = false;  // the maps window was asked to close
};

}  // namespace kroyna::run
