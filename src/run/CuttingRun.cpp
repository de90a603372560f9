#include "run/CuttingRun.h"

#include "catalogues/Catalogues.h"
#include "engine/FinishedMap.h"
#include "maps/MapFileBuild.h"
#include "maps/Maps.h"
#include "maps/ProgramEnvironment.h"
#include "maps/TFormSheets.h"
#include "parts/Parts.h"
#include "parts/PartsWindow.h"
#include "platform/dbase/Table.h"
#include "platform/ini/IniFile.h"
#include "shell/AppContext.h"
#include "shell/AppState.h"
#include "shell/DataRoot.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "shell/Settings.h"
#include "warehouse/StockModule.h"
#include "warehouse/Warehouse.h"
#include "warehouse/WarehouseDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>
#include <exception>
#include <system_error>

namespace kroyna::run {

namespace {

bool g_running = false;

QString u(const char* s) { return QString::fromUtf8(s); }

// More offcuts than this in one stock row can only be a damaged table: the
// engine would make one stock entry per physical offcut.
constexpr long long kMaxOffcutsPerRow = 100000;

constexpr const char* kSectionPrefix = "Material";

// The hourglass while a pass runs; messages and dialogs take it off.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

class NormalCursor {
 public:
  NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~NormalCursor() { QApplication::restoreOverrideCursor(); }
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

QString sheetTabCaption(int tabsBefore, int sheetsBefore, int quantity, const QString& sheetName) {
  // One wording for the maps window and for the maps files of kroyna-cut.
  return QString::fromStdString(maps::runTabCaption(tabsBefore, sheetsBefore, quantity, sheetName.toStdString()));
}

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

QString runCaption(int runNumber, const QString& partsCaption) {
  return u("Вариант раскроя ") + QString::number(runNumber) + QStringLiteral(": \"") + partsCaption + QLatin1Char('"');
}

// ---- Inputs ----

std::vector<RunMaterialOptions> runMaterials(ini::IniFile& workFile) {
  std::vector<RunMaterialOptions> out;
  std::vector<std::string> disabled;
  const std::string prefix = kSectionPrefix;
  for (const std::string& section : workFile.sections()) {
    if (section.size() <= prefix.size() || section.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = section.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) || digits.size() > 9)
      continue;
    const int code = std::stoi(digits);
    if (materialSection(code) != section) continue;  // "Material007" is not a material's section
    const OptimRecord optim = readOptim(workFile, code);
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
      if (many > kMaxOffcutsPerRow || length > INT32_MAX || width > INT32_MAX || length < INT32_MIN ||
          width < INT32_MIN) {
        out.failed = true;
        return out;
      }
      engine::OffcutRow row;
      row.Name = t.asString("NAME");
      row.Length = static_cast<std::int32_t>(length);
      row.Width = static_cast<std::int32_t>(width);
      row.Many = static_cast<std::int32_t>(std::max(0LL, many));
      // An offcut without a size offers nothing to lay out on.
      if (row.Length > 0 && row.Width > 0) out.rows.push_back(std::move(row));
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
  int sheetsCaptioned = 0;  // k
};

CuttingRun::CuttingRun(CuttingRunServices services) : services_(std::move(services)) {}

CuttingRun::~CuttingRun() {
  QObject::disconnect(abortConnection_);
  ctx_.Progress = nullptr;
  ctx_.ProcessEvents = nullptr;
}

bool CuttingRun::isRunning() { return g_running; }

parts::PartsWindow* CuttingRun::unplacedBase() const { return unplaced_.data(); }

bool CuttingRun::windowGone() const { return window_.isNull() || closeRequested_; }

void CuttingRun::status(const QString& text) {
  if (services_.showStatus) services_.showStatus(text);
}

maps::TFormSheets* CuttingRun::start(parts::PartsWindow& source) {
  if (g_running) return nullptr;
  const RunningFlag running;

  source.postPendingEdit();
  QList<int> codes;
  QStringList names;
  source.ListGroupMaterials(codes, names);
  if (codes.isEmpty()) {
    shell::showMessage(u(kNoMaterialsMessage), shell::MsgIcon::Error, shell::MsgButtons::Ok, &source);
    return nullptr;
  }
  std::vector<LayoutMaterial> list;
  for (int i = 0; i < codes.size(); ++i) list.push_back({codes[i], i < names.size() ? names[i] : QString()});
  if (!services_.editOptions || !services_.editOptions(list)) return nullptr;

  std::vector<RunMaterialOptions> materials;
  try {
    ini::IniFile work(services_.workFile);
    materials = runMaterials(work);
  } catch (const std::exception& e) {
    shell::showError(QString::fromUtf8(e.what()), &source);
    return nullptr;
  }

  // The rows as they are now: edits made in the parts window while the run
  // lets events through do not change what this run lays out.
  const std::vector<parts::PartRow> rows = source.document().allRows();
  const QString partsCaption = source.document().caption();
  source_ = &source;
  const QString display = source.document().displayName();
  sourceFileName_ = display.isEmpty() ? u("<без названия>") : QFileInfo(display).fileName();

  window_ = services_.newMapsWindow ? services_.newMapsWindow() : nullptr;
  if (!window_) return nullptr;
  abortConnection_ = QObject::connect(window_.data(), &maps::TFormSheets::abortRequested, window_.data(),
                                      [this] { ctx_.Abort = true; });
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
      if (!window_.isNull()) window_->endRun();
      ctx_.Reset();
      shell::showError(QString::fromUtf8(e.what()), window_.data());
    }
    if (closeRequested_) break;
  }

  QObject::disconnect(abortConnection_);
  if (!windowGone()) {
    const int n = source_ ? source_->document().nextRun() : 1;
    window_->setCaption(runCaption(n, partsCaption));
    window_->progressBar()->hide();
    window_->showStatistics();
  }
  std::error_code ec;
  std::filesystem::remove(services_.workFile, ec);
  return windowGone() ? nullptr : window_.data();
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
      try {
        services_.stock->postPending(warehouse::StockKind::Scraps);
      } catch (const std::exception&) {
      }
      OffcutsRead read = readOffcuts(services_.stock->workingCopy(warehouse::StockKind::Scraps), m.code);
      failed = read.failed;
      input.Offcuts = std::move(read.rows);
    }
    if (failed) shell::showMessage(u(kReadErrorMessage), shell::MsgIcon::Error, shell::MsgButtons::Ok, window_.data());
  }

  if (const auto refusal = engine::LoadMaterial(ctx_, input)) {
    ctx_.Reset();
    shell::showMessage(QString::fromStdString(*refusal), shell::MsgIcon::Error, shell::MsgButtons::Ok, window_.data());
    return;
  }

  maps::MapsDocument& doc = window_->document();
  doc.setShowTitleForNew(defaults.showName);
  doc.setShowDimForNew(defaults.showDim);
  window_->setShowScrapsText(defaults.showScrapsText);
  window_->setShowHints(defaults.showHints);
  window_->setShowBorder(defaults.showBorder);
  window_->beginRun();

  engine::MaterialHooks hooks;
  hooks.BeforePass = [this](const engine::EngineContext& ctx) {
    status(u(kRemainingStatus) + QString::number(ctx.Parts.RemainingTotal()));
    if (!windowGone()) window_->progressBar()->show();
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
    const shell::BusyScope busy;
    const WaitCursor wait;
    outcome = engine::RunMaterial(ctx_, hooks);
  }
  ctx_.Progress = nullptr;
  ctx_.ProcessEvents = nullptr;

  if (closeRequested_) {
    // The user closed the maps window during the pass: it goes without a
    // question, and the run ends with it.
    if (!window_.isNull()) window_->closeWithoutQuestion();
    status(QString());
    ctx_.Reset();
    return;
  }
  // The improved search was asked for but could not be used: say so.
  const QString fallback = improvedFallbackMessage(m.name, outcome.Fallback, outcome.Search);
  if (!fallback.isEmpty())
    shell::showMessage(fallback, shell::MsgIcon::Information, shell::MsgButtons::Ok, window_.data());
  if (outcome.End == engine::MaterialEnd::PlacedNothing) {
    QStringList left;
    for (int i = 0; i < ctx_.Parts.Count(); ++i)
      if (ctx_.Parts[i].Remaining > 0) left << QString::fromStdString(ctx_.Parts[i].Name);
    const shell::MsgResult answer = shell::showMessage(placedNothingQuestion(m.name, left), shell::MsgIcon::Warning,
                                                       shell::MsgButtons::YesNo, window_.data());
    if (answer == shell::MsgResult::Yes) writeUnplaced(m);
  }
  status(QString());
  if (!window_.isNull()) window_->endRun();
  ctx_.Reset();
}

void CuttingRun::handOver(const engine::EngineContext& ctx, int first, int count, Material& m) {
  if (windowGone()) return;
  window_->progressBar()->hide();
  for (int i = first; i < first + count; ++i) {
    const engine::FinishedMap map = engine::MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    const QString name = map.IsScrap ? QString::fromStdString(map.Name) : QString();
    const QString caption = sheetTabCaption(window_->document().mapCount(), m.sheetsCaptioned, map.Quantity, name);
    m.sheetsCaptioned += std::max(1, map.Quantity);
    window_->addMap(caption, m.code, map, ctx.Params.Kerf, m.remark);
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
  switch (warehouse::askRunOut(window_.data())) {
    case warehouse::RunOutChoice::Finish:
      if (shell::showMessage(u(kCreateUnplacedQuestion), shell::MsgIcon::Warning, shell::MsgButtons::YesNo,
                             window_.data()) == shell::MsgResult::Yes)
        writeUnplaced(m);
      answer.Action = Choice::Finish;
      return answer;
    case warehouse::RunOutChoice::ContinueCurrentSize: answer.Action = Choice::ContinueUnlimited; return answer;
    case warehouse::RunOutChoice::OtherSize: break;
  }
  answer.Action = Choice::Finish;
  if (!services_.stock) return answer;
  const std::optional<warehouse::SheetChoice> chosen =
      warehouse::chooseStandardSheet(*services_.stock, m.name, window_.data());
  if (!chosen) return answer;
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
  if (!refused.isEmpty()) shell::showError(refused.join(QLatin1Char('\r')), unplaced_.data());
}

void CuttingRun::afterEvents() {
  if (services_.processEvents) services_.processEvents();
  if (window_.isNull() || window_->closeRequested()) {
    closeRequested_ = true;
    // Ends the pass after this variant; no further pass or material runs.
    ctx_.Abort = true;
  }
}

// ---- The program's services ----

namespace {

QLabel* statusPanel(shell::MainWindow& main) {
  QStatusBar* bar = main.statusBar();
  if (auto* label = bar->findChild<QLabel*>(QStringLiteral("cuttingRunStatus"))) return label;
  auto* label = new QLabel(bar);
  label->setObjectName(QStringLiteral("cuttingRunStatus"));
  bar->addWidget(label);
  return label;
}

}  // namespace

CuttingRunServices programServices(shell::AppContext& context) {
  CuttingRunServices s;
  s.settings = &context.settings().ini();
  s.workFile = context.root().path(QStringLiteral("Kroyna.tmp")).toStdString();
  if (warehouse::Warehouse* w = warehouse::Warehouse::instance()) s.stock = &w->module();
  shell::MainWindow* main = context.mainWindow();
  s.editOptions = [main](const std::vector<LayoutMaterial>& materials) { return editLayoutOptions(materials, main); };
  s.newMapsWindow = [&context, main]() -> maps::TFormSheets* {
    if (main) return maps::openMapsWindow(*main);
    // Without a main window (a run started from a tool): a window of its
    // own, with an environment that goes with it.
    auto* environment = new maps::ProgramEnvironment(context.settings().ini(), catalogues::Catalogues::instance());
    auto* window = new maps::TFormSheets(*environment, context.settings().ini());
    QObject::connect(window, &QObject::destroyed, [environment] { delete environment; });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
  };
  s.newPartsBase = []() -> parts::PartsWindow* {
    parts::PartsSubsystem* p = parts::PartsSubsystem::instance();
    if (!p) return nullptr;
    parts::PartsWindow* w = p->newUntitledBase();
    if (w) attachToPartsWindow(*w);
    return w;
  };
  if (main) s.showStatus = [main](const QString& text) { statusPanel(*main)->setText(text); };
  s.setRemark = [&context](int code, const std::string& remark) { context.settings().setRemark(code, remark); };
  s.processEvents = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
  return s;
}

namespace {
std::function<CuttingRunServices()>& servicesOverride() {
  static std::function<CuttingRunServices()> make;
  return make;
}
}  // namespace

void setRunServices(std::function<CuttingRunServices()> make) { servicesOverride() = std::move(make); }

void runCutting(parts::PartsWindow& source) {
  if (CuttingRun::isRunning() || shell::isBusy()) return;
  CuttingRunServices services;
  if (servicesOverride()) {
    services = servicesOverride()();
  } else {
    shell::AppContext* context = shell::AppContext::current();
    if (!context) return;
    services = programServices(*context);
  }
  CuttingRun run(std::move(services));
  run.start(source);
}

void attachToPartsWindow(parts::PartsWindow& window) {
  QAction* action = window.runAction();
  if (!action || action->property("kroynaCuttingRun").toBool()) return;
  action->setProperty("kroynaCuttingRun", true);
  QPointer<parts::PartsWindow> target(&window);
  QObject::connect(action, &QAction::triggered, &window, [target] {
    if (target) runCutting(*target);
  });
  action->setEnabled(true);
}

void install(shell::AppContext& context) {
  shell::MainWindow* main = context.mainWindow();
  if (!main) return;
  main->attachCommand(QStringLiteral("cut.run"), [] {
    parts::PartsSubsystem* p = parts::PartsSubsystem::instance();
    if (parts::PartsWindow* w = p ? p->activeWindow() : nullptr) runCutting(*w);
  });
  // Parts windows are made by the parts subsystem; each gets its
  // "&Разложить" when it first becomes the active window (which a new
  // window does at once), and the main command follows the active window.
  // The main window may be half destroyed when its document area reports
  // the last change of the active window: only the action is used then.
  QPointer<QAction> command = main->command(QStringLiteral("cut.run"));
  auto follow = [command](QMdiSubWindow* sub) {
    auto* parts = sub ? qobject_cast<parts::PartsWindow*>(sub->widget()) : nullptr;
    if (parts) attachToPartsWindow(*parts);
    if (command) command->setEnabled(parts != nullptr);
  };
  QObject::connect(main->documentArea(), &QMdiArea::subWindowActivated, main->documentArea(), follow);
  follow(main->documentArea()->activeSubWindow());
}

}  // namespace kroyna::run
