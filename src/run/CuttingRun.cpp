#include "run/CuttingRun.h"

#include "common/AppState.h"
#include "common/Messages.h"
#include "common/settings/SettingsKeys.h"
#include "engine/FinishedMap.h"
#include "maps/MapsDocument.h"
#include "maps/model/MapRules.h"
#include "parts/PartsDocument.h"
#include "platform/dbase/Table.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "warehouse/StockModule.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <exception>
#include <system_error>

namespace kroyna::run {

namespace {

bool g_running = false;

using text::u;

// More offcuts than this in one stock row can only be a damaged table: the
// engine would make one stock entry per physical offcut.
constexpr long long kMaxOffcutsPerRow = 100000;

// The hourglass while a pass runs; messages and dialogs take it off.
class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

class NormalCursor {
 public:
  NormalCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
  ~NormalCursor() { QGuiApplication::restoreOverrideCursor(); }
  NormalCursor(const NormalCursor&) = delete;
  NormalCursor& operator=(const NormalCursor&) = delete;
};

class RunningFlag {
 public:
  RunningFlag() { g_running = true; }
  ~RunningFlag() { g_running = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;
};

}  // namespace

// ---- Texts ----

QString placedNothingQuestion(const QString& materialName, const QStringList& partsLeft) {
  constexpr int kNamesShown = 10;
  QStringList shown = partsLeft.mid(0, kNamesShown);
  for (QString& name : shown)
    if (name.isEmpty()) name = u("<без шифра>");
  QString names = shown.join(QStringLiteral(", "));
  if (partsLeft.size() > kNamesShown) names += QStringLiteral(", ...");
  return u("ВНИМАНИЕ!\r\rРазложение деталей материала <%1> остановлено:\rдетали не помещаются на лист (%2).\r"
           "\rСоздать базу неразложенных деталей?")
      .arg(materialName, names);
}

QString sheetSizeFault(const QString& materialName, std::int32_t length, std::int32_t width) {
  const auto inRange = [](std::int32_t v) { return v >= 0 && v <= common::kMaxSizeMm; };
  if (inRange(length) && inRange(width)) return {};
  return u("Разложение деталей материала <%1> невозможно!\r\rРазмер листа %2x%3 мм вне допустимых пределов\r"
           "(от 0 до %4 мм).")
      .arg(materialName)
      .arg(length)
      .arg(width)
      .arg(common::kMaxSizeMm);
}

QString settingsFaultMessage(const std::vector<std::string>& faults, const QString& settingsFile) {
  if (faults.empty()) return {};
  QStringList lines;
  for (const std::string& f : faults) lines << QString::fromStdString(f);
  return u("Значения в файле настроек %1 вне допустимых пределов:\r%2\r\rРаскрой выполняется с исправленными "
           "значениями; исправьте их в \"Параметры по умолчанию\".")
      .arg(settingsFile, lines.join(QLatin1Char('\r')));
}

QString runCaption(int runNumber, const QString& partsCaption) {
  return u("Вариант раскроя ") + QString::number(runNumber) + QStringLiteral(": \"") + partsCaption + QLatin1Char('"');
}

QString skippedRowsMessage(const std::vector<parts::PartRow>& rows, const std::vector<int>& materials,
                           const std::function<QString(int)>& materialName) {
  constexpr int kRowsShown = 10;
  QStringList lines;
  int count = 0;
  for (int code : materials)
    for (const parts::PartRow& r : rows) {
      if (r.material != code) continue;
      QStringList why;
      if (r.length <= 0 || r.width <= 0) why << u("нулевой размер");
      if (r.quantity <= 0) why << u("количество 0");
      if (why.isEmpty()) continue;
      if (++count > kRowsShown) continue;
      const QString name = r.name.empty() ? u("<без шифра>") : QString::fromStdString(r.name);
      QString material = materialName(code);
      if (material.isEmpty()) material = u("материал %1").arg(code);
      lines << u("\"%1\" %2 x %3, %4 шт. (%5): %6")
                   .arg(name, QString::number(r.length), QString::number(r.width), QString::number(r.quantity),
                        material, why.join(QStringLiteral(", ")));
    }
  if (count == 0) return {};
  if (count > kRowsShown) lines << u("... и ещё %1").arg(count - kRowsShown);
  return u("Не разложены строки базы деталей (%1), в которых не задан размер или количество:\r\r").arg(count) +
         lines.join(QLatin1Char('\r'));
}

// ---- Inputs ----

std::vector<RunMaterialOptions> runMaterials(ini::IniFile& workFile) {
  std::vector<RunMaterialOptions> out;
  std::vector<std::string> disabled;
  for (const std::string& section : workFile.sections()) {
    const std::optional<int> material = common::MaterialSettings::codeOfSection(section);
    if (!material) continue;
    const int code = *material;
    const OptimRecord optim = common::MaterialSettings(code).layoutOptions(workFile);
    if (!optim.enabled) {
      disabled.push_back(section);
      continue;
    }
    out.push_back({code, optim});
  }
  if (!disabled.empty())
    workFile.batch([&] {
      for (const std::string& section : disabled) workFile.eraseSection(section);
    });
  return out;
}

QString searchCaption(engine::SearchUsed search) {
  switch (search) {
    case engine::SearchUsed::Full: return QStringLiteral("Полный");
    case engine::SearchUsed::Improved: return QStringLiteral("Улучшенный");
    case engine::SearchUsed::Quick: break;
  }
  return QStringLiteral("Быстрый");
}

QString improvedFallbackMessage(const QString& materialName, engine::ImprovedFallback why, engine::SearchUsed search) {
  const QString used = search == engine::SearchUsed::Full ? QStringLiteral("полным") : QStringLiteral("быстрым");
  switch (why) {
    case engine::ImprovedFallback::MachineLimit:
      return QStringLiteral(
                 "Улучшенный перебор не учитывает ограничения станка\r(максимальная длина пропила, многопильный "
                 "станок).\r\rМатериал <%1> разложен %2 перебором.")
          .arg(materialName, used);
    case engine::ImprovedFallback::TooManyCopies:
      return QStringLiteral(
                 "Улучшенный перебор раскладывает не более %1 деталей сразу.\r\rМатериал <%2> разложен %3 "
                 "перебором.")
          .arg(engine::kImprovedMaxCopies)
          .arg(materialName, used);
    case engine::ImprovedFallback::TooManyOffcuts:
      return QStringLiteral(
                 "Улучшенный перебор раскладывает не более %1 деталей и остатков сразу.\r\rМатериал <%2> разложен "
                 "%3 перебором.")
          .arg(engine::kImprovedMaxCopies)
          .arg(materialName, used);
    case engine::ImprovedFallback::None: break;
  }
  return QString();
}

engine::CuttingParameters cuttingParameters(const OptimRecord& optim, const DefaultParams& defaults) {
  engine::CuttingParameters p;
  p.Kerf = defaults.mill;
  p.TrimLeft = defaults.lIndent;
  p.TrimRight = defaults.rIndent;
  p.TrimTop = defaults.tIndent;
  p.TrimBottom = defaults.bIndent;
  p.SheetLength = optim.length;
  p.SheetWidth = optim.width;
  // A stored criterion outside 0..2 leaves the first one.
  if (defaults.optimization >= 0 && defaults.optimization <= 2)
    p.Optimization = static_cast<engine::Criterion>(defaults.optimization);
  p.MaxCutLength =
      defaults.technics == static_cast<int>(Technics::MaxCutLength) ? propilLenValue(defaults.propilLen) : 0;
  p.MultiSaw = defaults.technics == static_cast<int>(Technics::MultiSaw);
  p.Search = optim.fullSearch == 1 ? engine::SearchMode::Full : engine::SearchMode::Quick;
  p.Improved = optim.improved;
  p.Effort = std::clamp(optim.effort, 1, 10);
  // The first stage runs as the improved search finds best: the options
  // choose no direction.
  p.MaxStages = common::isStageLimit(optim.stages) ? optim.stages : 0;
  p.Variants = std::max<std::int32_t>(0, optim.depth);
  p.Rule = optim.algorithm == 1 ? engine::SelectionRule::RegionFirst : engine::SelectionRule::PartFirst;
  p.OneSize = optim.oneDimOpt;
  p.StockControl = optim.stockControl;
  p.UseOffcuts = optim.useScraps;
  p.Remark = optim.remark;
  return p;
}

std::vector<engine::PartRow> partsOfMaterial(const std::vector<parts::PartRow>& rows, int materialCode) {
  std::vector<engine::PartRow> out;
  for (const parts::PartRow& r : rows) {
    if (r.material != materialCode) continue;
    engine::PartRow p;
    p.Name = r.name;
    p.Length = r.length;
    p.Width = r.width;
    p.Many = r.quantity;
    p.Rotate =
        r.rotation >= 0 && r.rotation <= 2 ? static_cast<std::uint8_t>(r.rotation) : std::uint8_t{engine::RotateFree};
    p.LBorder = r.left;
    p.RBorder = r.right;
    p.TBorder = r.top;
    p.BBorder = r.bottom;
    out.push_back(std::move(p));
  }
  return out;
}

OffcutsRead readOffcuts(const std::filesystem::path& offcutTable, int materialCode) {
  OffcutsRead out;
  try {
    dbase::Table t = dbase::Table::open(offcutTable, dbase::OpenOptions{.readOnly = true});
    for (bool on = t.first(); on && !t.eof(); t.next()) {
      if (t.asInteger("CODE") != materialCode) continue;
      const long long many = t.asInteger("MANY");
      const long long length = t.asInteger("LENGTH");
      const long long width = t.asInteger("WIDTH");
      if (many > kMaxOffcutsPerRow) {
        out.failed = true;
        return out;
      }
      // An offcut without a size offers nothing to lay out on.
      if (length <= 0 || width <= 0) continue;
      if (length > common::kMaxSizeMm || width > common::kMaxSizeMm) {
        out.refused.push_back("«" + t.asString("NAME") + "» " + std::to_string(length) + " x " + std::to_string(width));
        continue;
      }
      engine::OffcutRow row;
      row.Name = t.asString("NAME");
      row.Length = static_cast<std::int32_t>(length);
      row.Width = static_cast<std::int32_t>(width);
      row.Many = static_cast<std::int32_t>(std::max(0LL, many));
      out.rows.push_back(std::move(row));
    }
  } catch (const std::exception&) {
    out.failed = true;
  }
  return out;
}

// ---- The run ----

struct CuttingRun::Material {
  int code = 0;
  QString name;
  QString remark;
  maps::TabCaptions captions;  // counts the material's sheets
  // The parts database row of each part the engine was given, in the
  // engine's order (the engine numbers the material's parts from 0).
  std::vector<std::int32_t> baseRows;
};

CuttingRun::CuttingRun(CuttingRunServices services) : services_(std::move(services)) {}

CuttingRun::~CuttingRun() {
  if (window_ && window_->alive()) window_->setAbortHandler({});
  ctx_.Progress = nullptr;
  ctx_.ProcessEvents = nullptr;
}

bool CuttingRun::isRunning() { return g_running; }

parts::PartsDocument* CuttingRun::unplacedBase() const { return unplaced_.data(); }

bool CuttingRun::windowGone() const { return !window_ || !window_->alive() || closeRequested_; }

QWidget* CuttingRun::parentWidget() const { return window_ && window_->alive() ? window_->dialogParent() : nullptr; }

void CuttingRun::status(const QString& text) {
  if (services_.showStatus) services_.showStatus(text);
}

bool CuttingRun::start(const RunSource& source) {
  if (g_running || !source.document) return false;
  const RunningFlag running;

  if (source.postPendingEdit) source.postPendingEdit();
  parts::PartsDocument& doc = *source.document;
  QList<int> codes;
  QStringList names;
  doc.ListGroupMaterials(codes, names);
  if (codes.isEmpty()) {
    common::showMessage(u(kNoMaterialsMessage), common::MsgIcon::Error, common::MsgButtons::Ok, source.dialogParent);
    return false;
  }
  std::vector<LayoutMaterial> list;
  for (int i = 0; i < codes.size(); ++i) list.push_back({codes[i], i < names.size() ? names[i] : QString()});
  if (!services_.editOptions || !services_.editOptions(list)) return false;

  // Settings outside their ranges are taken as the nearest value in range,
  // and the user is told which.
  if (services_.settings) {
    const QString faults = settingsFaultMessage(rangeFaults(*services_.settings),
                                                QString::fromStdString(services_.settings->path().string()));
    if (!faults.isEmpty())
      common::showMessage(faults, common::MsgIcon::Warning, common::MsgButtons::Ok, source.dialogParent);
  }

  std::vector<RunMaterialOptions> materials;
  try {
    ini::IniFile work(services_.workFile);
    materials = runMaterials(work);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), source.dialogParent);
    return false;
  }

  // The rows as they are now: edits made in the parts window while the run
  // lets events through do not change what this run lays out.
  const std::vector<parts::PartRow> rows = doc.allRows();
  const QString partsCaption = doc.caption();
  source_ = &doc;
  const QString display = doc.displayName();
  sourceFileName_ = display.isEmpty() ? u("<без названия>") : QFileInfo(display).fileName();

  window_ = services_.newMapsWindow ? services_.newMapsWindow() : nullptr;
  if (!window_) return false;
  window_->setAbortHandler([this] { ctx_.Abort = true; });
  unplaced_ = nullptr;
  ctx_.Abort = false;
  closeRequested_ = false;

  for (const RunMaterialOptions& options : materials) {
    if (services_.setRemark) services_.setRemark(options.code, options.optim.remark);
    if (options.optim.stockControl && !windowGone())
      window_->document().usingSheets().add(options.code, options.optim.length, options.optim.width,
                                            options.optim.stock, options.optim.stock);
    const int index = static_cast<int>(codes.indexOf(options.code));
    Material m;
    m.code = options.code;
    m.name = index >= 0 && index < names.size() ? names[index] : QString();
    m.remark = QString::fromStdString(options.optim.remark);
    try {
      layOut(options, rows, m);
    } catch (const std::exception& e) {
      // A fault of the program around the engine (a table that cannot be
      // read or written): this material ends, the maps made stay.
      status(QString());
      if (window_->alive()) window_->endRun();
      ctx_.Reset();
      common::showError(QString::fromUtf8(e.what()), parentWidget());
    }
    if (closeRequested_) break;
  }

  if (window_->alive()) window_->setAbortHandler({});
  // A run that handed over no map (every material refused or stopped
  // before its first map) leaves no empty result behind: the window goes
  // without a question, and the run does not count.
  const bool empty = !windowGone() && window_->document().mapCount() == 0;
  if (empty) window_->closeWithoutQuestion();
  const bool result = !empty && !windowGone();
  if (result) {
    const int n = source_ ? source_->nextRun() : 1;
    window_->setCaption(runCaption(n, partsCaption));
    window_->showProgress(false);
    window_->showStatistics();
  }
  std::error_code ec;
  std::filesystem::remove(services_.workFile, ec);
  // Rows passed over are named at the end, unless the user closed the
  // maps window and so ended the run himself.
  if (!closeRequested_) {
    std::vector<int> runCodes;
    for (const RunMaterialOptions& options : materials) runCodes.push_back(options.code);
    const QString skipped = skippedRowsMessage(rows, runCodes, [&](int code) {
      const int index = static_cast<int>(codes.indexOf(code));
      return index >= 0 && index < names.size() ? names[index] : QString();
    });
    if (!skipped.isEmpty())
      common::showMessage(skipped, common::MsgIcon::Information, common::MsgButtons::Ok,
                          result ? parentWidget() : source.dialogParent);
  }
  return result;
}

void CuttingRun::layOut(const RunMaterialOptions& options, const std::vector<parts::PartRow>& rows, Material& m) {
  if (ctx_.Abort || windowGone()) return;
  window_->clearCloseRequest();
  const DefaultParams defaults = services_.settings ? readDefaultParams(*services_.settings) : DefaultParams{};

  engine::MaterialInput input;
  input.MaterialName = m.name.toStdString();
  input.Params = cuttingParameters(options.optim, defaults);
  input.StockCount = options.optim.stock;
  input.Parts = partsOfMaterial(rows, m.code);
  m.baseRows.clear();
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].material == m.code) m.baseRows.push_back(static_cast<std::int32_t>(i));
  if (const QString fault = sheetSizeFault(m.name, input.Params.SheetLength, input.Params.SheetWidth);
      !fault.isEmpty()) {
    common::showMessage(fault, common::MsgIcon::Error, common::MsgButtons::Ok, parentWidget());
    return;
  }

  if (services_.stock) {
    try {
      services_.stock->openSheetView(m.code);
    } catch (const std::exception&) {
      // Without the view the counter still runs; only the sheet choice
      // after a run-out has nothing to offer.
    }
  }
  if (input.Params.UseOffcuts) {
    bool failed = services_.stock == nullptr;
    if (services_.stock) {
      // An edit of the offcuts page that cannot be posted would leave the
      // run laying out on offcuts the user no longer sees: the material is
      // laid out without stock offcuts, and the user is told why.
      bool posted = true;
      try {
        services_.stock->postPending(warehouse::StockKind::Scraps);
      } catch (const std::exception& e) {
        posted = false;
        common::showError(u(kReadErrorMessage) + u("\r\r") + QString::fromUtf8(e.what()), parentWidget());
      }
      if (posted) {
        OffcutsRead read = readOffcuts(services_.stock->workingCopy(warehouse::StockKind::Scraps), m.code);
        failed = read.failed;
        input.Offcuts = std::move(read.rows);
        if (!read.refused.empty()) {
          QStringList names;
          for (const std::string& r : read.refused) names << QString::fromStdString(r);
          common::showMessage(u("В базе остатков (Sheets/Scraps.dbf) есть остатки больше %1 мм;\rони не предложены "
                                "для раскроя материала <%2>:\r%3")
                                  .arg(common::kMaxSizeMm)
                                  .arg(m.name, names.join(QLatin1Char('\r'))),
                              common::MsgIcon::Warning, common::MsgButtons::Ok, parentWidget());
        }
      }
    }
    if (failed)
      common::showMessage(u(kReadErrorMessage), common::MsgIcon::Error, common::MsgButtons::Ok, parentWidget());
  }

  if (const auto refusal = engine::LoadMaterial(ctx_, input)) {
    ctx_.Reset();
    common::showMessage(QString::fromStdString(*refusal), common::MsgIcon::Error, common::MsgButtons::Ok,
                        parentWidget());
    return;
  }

  maps::MapsDocument& doc = window_->document();
  doc.setShowTitleForNew(defaults.showName);
  doc.setShowDimForNew(defaults.showDim);
  window_->setDisplayFlags(defaults.showScrapsText, defaults.showHints, defaults.showBorder);
  window_->beginRun();

  engine::MaterialHooks hooks;
  hooks.BeforePass = [this](const engine::EngineContext& ctx) {
    status(u(kRemainingStatus) + QString::number(ctx.Parts.RemainingTotal()));
    if (!windowGone()) window_->showProgress(true);
  };
  hooks.MapsReady = [this, &m](const engine::EngineContext& ctx, int first, int count, std::int32_t) {
    handOver(ctx, first, count, m);
  };
  hooks.StockCountChanged = [this, &m](const engine::EngineContext&) { writeStockCount(m); };
  hooks.SheetsRunOut = [this, &m](const engine::EngineContext&) { return askRunOut(m); };
  ctx_.Progress = [this](std::int64_t done, std::int64_t total) {
    if (!windowGone()) window_->setProgress(done, total);
  };
  ctx_.ProcessEvents = [this] { afterEvents(); };

  engine::MaterialOutcome outcome;
  {
    const common::BusyScope busy;
    const WaitCursor wait;
    outcome = engine::RunMaterial(ctx_, hooks);
  }
  ctx_.Progress = nullptr;
  ctx_.ProcessEvents = nullptr;

  if (closeRequested_) {
    // The user closed the maps window during the pass: it goes without a
    // question, and the run ends with it.
    if (window_->alive()) window_->closeWithoutQuestion();
    status(QString());
    ctx_.Reset();
    return;
  }
  // The statistics of the maps window name the search that made the maps.
  if (!outcome.MapSearch.empty() && window_->alive()) doc.setMaterialSearch(m.code, searchCaption(outcome.Search));
  // The improved search was asked for but could not be used: say so.
  const QString fallback = improvedFallbackMessage(m.name, outcome.Fallback, outcome.Search);
  if (!fallback.isEmpty())
    common::showMessage(fallback, common::MsgIcon::Information, common::MsgButtons::Ok, parentWidget());
  if (outcome.End == engine::MaterialEnd::PlacedNothing) {
    QStringList left;
    for (int i = 0; i < ctx_.Parts.Count(); ++i)
      if (ctx_.Parts[i].Remaining > 0) left << QString::fromStdString(ctx_.Parts[i].Name);
    const common::MsgResult answer = common::showMessage(placedNothingQuestion(m.name, left), common::MsgIcon::Warning,
                                                         common::MsgButtons::YesNo, parentWidget());
    if (answer == common::MsgResult::Yes) writeUnplaced(m);
  }
  status(QString());
  if (window_->alive()) window_->endRun();
  ctx_.Reset();
}

void CuttingRun::handOver(const engine::EngineContext& ctx, int first, int count, Material& m) {
  if (windowGone()) return;
  window_->showProgress(false);
  for (int i = first; i < first + count; ++i) {
    engine::FinishedMap map = engine::MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    // The maps keep each part's row of the parts database (labels name it).
    for (engine::MapPart& p : map.Parts)
      p.Row = p.Row >= 0 && static_cast<std::size_t>(p.Row) < m.baseRows.size()
                  ? m.baseRows[static_cast<std::size_t>(p.Row)]
                  : -1;
    const std::string caption = m.captions.next(window_->document().mapCount(), map);
    window_->addMap(QString::fromStdString(caption), m.code, map, ctx.Params.Kerf, m.remark);
  }
}

void CuttingRun::writeStockCount(Material& m) {
  const std::int32_t length = ctx_.Params.SheetLength;
  const std::int32_t width = ctx_.Params.SheetWidth;
  const std::int32_t count = ctx_.StockCount;
  if (services_.stock) {
    dbase::Table& view = services_.stock->tblSheets2();
    try {
      // The view keeps the change in memory; a size that reaches 0 drops
      // out of it, so the sheet choice no longer offers it.
      if (view.isOpen() && view.findFirst(dbase::col("Length") == length && dbase::col("Width") == width)) {
        view.edit();
        view.setDouble("Many", count);
        view.post();
      }
    } catch (const std::exception&) {
      // The view's row stays as it was and the run goes on: the counter
      // and the used-sheets list below still hold the true count, and the
      // stock changes only when the result is accepted.
      try {
        view.cancel();
      } catch (const std::exception&) {
      }
    }
  }
  if (!windowGone()) window_->document().usingSheets().setRemaining(m.code, length, width, count);
}

engine::RunOutAnswer CuttingRun::askRunOut(Material& m) {
  using Choice = engine::RunOutAnswer::Choice;
  const NormalCursor normal;
  engine::RunOutAnswer answer;
  const warehouse::RunOutChoice choice =
      services_.askRunOut ? services_.askRunOut(parentWidget()) : warehouse::RunOutChoice::Finish;
  switch (choice) {
    case warehouse::RunOutChoice::Finish:
      if (common::showMessage(u(kCreateUnplacedQuestion), common::MsgIcon::Warning, common::MsgButtons::YesNo,
                              parentWidget()) == common::MsgResult::Yes)
        writeUnplaced(m);
      answer.Action = Choice::Finish;
      return answer;
    case warehouse::RunOutChoice::ContinueCurrentSize: answer.Action = Choice::ContinueUnlimited; return answer;
    case warehouse::RunOutChoice::OtherSize: break;
  }
  answer.Action = Choice::Finish;
  if (!services_.stock || !services_.chooseSheet) return answer;
  const std::optional<warehouse::SheetChoice> chosen = services_.chooseSheet(*services_.stock, m.name, parentWidget());
  if (!chosen) return answer;
  if (const QString fault = sheetSizeFault(m.name, chosen->length, chosen->width); !fault.isEmpty()) {
    common::showMessage(fault, common::MsgIcon::Error, common::MsgButtons::Ok, parentWidget());
    return answer;
  }
  answer.Action = Choice::OtherSize;
  answer.SheetLength = chosen->length;
  answer.SheetWidth = chosen->width;
  answer.StockCount = chosen->quantity;
  if (!windowGone())
    window_->document().usingSheets().add(m.code, chosen->length, chosen->width, chosen->quantity, chosen->quantity);
  return answer;
}

void CuttingRun::writeUnplaced(Material& m) {
  if (unplaced_.isNull()) {
    unplaced_ = services_.newPartsBase ? services_.newPartsBase() : nullptr;
    if (unplaced_.isNull()) return;
    unplaced_->SetCaptionOverride(u(kUnplacedCaption) + sourceFileName_);
  }
  QStringList refused;
  for (int i = 0; i < ctx_.Parts.Count(); ++i) {
    const engine::TDetal& d = ctx_.Parts[i];
    QString why;
    if (!unplaced_->AppendDetal(QString::fromStdString(d.Name), d.Length, d.Width, d.Remaining, d.Rotate, d.LBorder,
                                d.RBorder, d.TBorder, d.BBorder, m.code, &why))
      refused << QString::fromStdString(d.Name) + QStringLiteral(": ") + why;
  }
  if (!refused.isEmpty()) common::showError(refused.join(QLatin1Char('\r')), parentWidget());
}

void CuttingRun::afterEvents() {
  if (services_.processEvents) services_.processEvents();
  if (!window_->alive() || window_->closeRequested()) {
    closeRequested_ = true;
    // Ends the pass after this variant; no further pass or material runs.
    ctx_.Abort = true;
  }
}

}  // namespace kroyna::run
