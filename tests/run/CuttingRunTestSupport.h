#pragma once

// A program folder for whole cutting runs without the main window: the
// shipped templates, stock working copies with standard sheets and offcuts,
// a settings file, a parts window, and the run's services answered by the
// test (options written as the dialog's "&Да" writes them, maps windows and
// unplaced-parts bases made here, the status line and event processing
// recorded).

#include "common/DataRoot.h"
#include "common/Messages.h"
#include "maps/MapsDocument.h"
#include "maps/ui/MapsWindow.h"
#include "parts/ui/PartsWindow.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "run/ui/CuttingRunCommands.h"
#include "run/ui/LayoutOptionsDialog.h"
#include "warehouse/MaterialDirectory.h"
#include "warehouse/StockModule.h"
#include "warehouse/ui/WarehouseDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace kroyna::run::test {

using text::u;

struct TestMaterials : warehouse::MaterialDirectory {
  std::vector<warehouse::MaterialEntry> materials() const override {
    return {{1, "ДСП белый"}, {2, "МДФ"}, {3, "Фанера"}};
  }
  std::filesystem::path tablePath() const override { return {}; }
};

// Materials 1 "ДСП белый", 2 "МДФ", 3 "Фанера"; edges 10 "ПВХ 2 мм" (5 mm
// allowance, green) and 11 "Меламин" (no allowance, red). Offcuts shorter
// than 300 mm or narrower than 100 mm are waste.
struct TestEnvironment : maps::MapsEnvironment {
  maps::MapColours colours() const override { return {}; }
  common::ScrapCriteria scrapCriteria(int) const override {
    common::ScrapCriteria c;
    c.lengthOn = true;
    c.p1 = 300;
    c.widthOn = true;
    c.p2 = 100;
    return c;
  }
  QString materialName(int code) const override {
    switch (code) {
      case 1: return u("ДСП белый");
      case 2: return u("МДФ");
      case 3: return u("Фанера");
      default: return {};
    }
  }
  QList<int> materialOrder() const override { return {1, 2, 3}; }
  std::int32_t edgeColour(int code, std::int32_t def) const override {
    return code == 10 ? 0x00FF00 : code == 11 ? 0x0000FF : def;
  }
  int edgeAllowance(int code) const override { return code == 10 ? 5 : 0; }
  QString edgeName(int code) const override {
    return code == 10 ? u("ПВХ 2 мм") : code == 11 ? u("Меламин") : QString();
  }
  common::FontKeys mapFont() const override { return {}; }
  int sqrDigits() const override { return 3; }
  int lenDigits() const override { return 2; }
};

inline parts::CatalogueLists testCatalogue() {
  parts::CatalogueLists c;
  c.materials.names = {u("<все материалы>"), u("ДСП белый"), u("МДФ"), u("Фанера")};
  c.materials.codes = {u("999"), u("1"), u("2"), u("3")};
  c.edges.codes = {u("0"), u("10"), u("11")};
  c.edges.names = {u("<нет>"), u("ПВХ 2 мм"), u("Меламин")};
  c.edges.colors = {u("-2147483633"), u("65280"), u("255")};
  c.edges.allowances = {u("0"), u("5"), u("0")};
  return c;
}

class RunFolder {
 public:
  // An empty program folder, or with `firstStart` one prepared as a first
  // start prepares it (the shipped example included).
  explicit RunFolder(bool firstStart = false) {
    const QString root = dir_.path();
    if (firstStart) {
      prepareError = common::DataRoot(root).prepare(QStringLiteral(KROYNA_SOURCE_DATA_DIR));
    } else {
      for (const char* sub : {"Pattern", "Temp", "Sheets", "Groups"}) QDir(root).mkpath(QString::fromLatin1(sub));
      for (const QString& name : QDir(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Pattern")).entryList(QDir::Files))
        QFile::copy(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Pattern/") + name,
                    root + QStringLiteral("/Pattern/") + name);
    }
    settings_ = std::make_unique<ini::IniFile>((root + QStringLiteral("/Kroyna.ini")).toStdString());
    module_ = std::make_unique<warehouse::StockModule>(root.toStdString(), materials_);
    module_->makeWorkingCopy(warehouse::StockKind::Sheets);
    module_->makeWorkingCopy(warehouse::StockKind::Scraps);
    module_->selectMaterial(kAllMaterials, {});
    messages_ = std::make_unique<common::ScopedMessageHandler>(
        [this](const QString& text, common::MsgIcon, common::MsgButtons buttons) {
          texts << text;
          if (onMessage) onMessage(text);
          if (buttons == common::MsgButtons::Ok) return common::MsgResult::Ok;
          return answers.count(text) ? answers[text] : answer;
        });
    warehouse::setRunOutHandler([this](warehouse::RunOutChoice) {
      ++runOuts;
      return runOutChoice;
    });
    warehouse::setSheetChoiceHandler(
        [this](warehouse::StockModule& m, const QString&) -> std::optional<warehouse::SheetChoice> {
          ++sheetChoices;
          sheetViewSizes.clear();
          dbase::Table& view = m.tblSheets2();
          for (bool on = view.first(); on && !view.eof(); view.next())
            sheetViewSizes << QStringLiteral("%1x%2:%3")
                                  .arg(view.asInteger("LENGTH"))
                                  .arg(view.asInteger("WIDTH"))
                                  .arg(view.asInteger("MANY"));
          return sheetChoice;
        });
  }

  ~RunFolder() {
    warehouse::setRunOutHandler({});
    warehouse::setSheetChoiceHandler({});
    for (auto& w : mapsWindows) delete w.data();
    for (auto& w : partsBases) delete w.data();
    delete source_.data();
  }

  QString root() const { return dir_.path(); }
  QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
  ini::IniFile& settings() { return *settings_; }
  warehouse::StockModule& stock() { return *module_; }

  void addSheets(std::int32_t length, std::int32_t width, std::int32_t quantity, int code) {
    module_->addSheets(length, width, quantity, code);
  }
  void addOffcut(const char* name, std::int32_t length, std::int32_t width, std::int32_t many, int code) {
    module_->bookInOffcut(name, length, width, many, code, dbase::Date{2026, 1, 15});
  }

  // The parts window the run starts from (made on first use).
  parts::PartsWindow& source() {
    if (!source_) {
      source_ = new parts::PartsWindow(root(), *settings_);
      source_->CreateGroup();
      source_->document().setCatalogue(testCatalogue());
    }
    return *source_;
  }
  void addPart(const char* name, int length, int width, int many, int rotate, int material, int left = 0, int right = 0,
               int top = 0, int bottom = 0) {
    source().AppendDetal(u(name), length, width, many, rotate, left, right, top, bottom, material);
  }

  // The options "&Да" stores for a material (others keep what Kroyna.ini has).
  void setOptions(int code, OptimRecord record) { options[code] = std::move(record); }
  static OptimRecord sheet(std::int32_t length, std::int32_t width, bool stockControl = false, bool offcuts = false,
                           std::int32_t depth = 0) {
    OptimRecord r;
    r.length = length;
    r.width = width;
    r.stockControl = stockControl;
    r.useScraps = offcuts;
    r.depth = depth;
    return r;
  }

  CuttingRunServices services() {
    CuttingRunServices s;
    s.settings = settings_.get();
    s.workFile = path(QStringLiteral("Kroyna.tmp")).toStdString();
    s.stock = module_.get();
    s.editOptions = [this](const std::vector<LayoutMaterial>& materials) {
      offered = materials;
      LayoutOptionsModel model(*settings_, path(QStringLiteral("Kroyna.tmp")).toStdString(), materials,
                               [this](int code) { return settings_->readString("Remarks", std::to_string(code), ""); });
      model.open();
      for (const auto& [code, record] : options) model.write(code, record);
      if (cancelOptions) return false;
      if (auto refused = model.accept(stockOf(*module_))) {
        texts << *refused;
        return false;
      }
      return true;
    };
    s.newMapsWindow = [this] {
      auto* w = new maps::MapsWindow(environment, *settings_);
      w->resize(900, 640);
      w->show();
      mapsWindows.push_back(w);
      return mapsWindowView(w);
    };
    s.newPartsBase = [this]() -> parts::PartsDocument* {
      auto* w = new parts::PartsWindow(root(), *settings_);
      w->CreateGroup();
      partsBases.push_back(w);
      return &w->document();
    };
    s.askRunOut = [](QWidget* parent) { return warehouse::askRunOut(parent); };
    s.chooseSheet = [](warehouse::StockModule& module, const QString& material, QWidget* parent) {
      return warehouse::chooseStandardSheet(module, material, parent);
    };
    s.showStatus = [this](const QString& text) { statusTexts << text; };
    s.setRemark = [this](int code, const std::string& remark) { remarks[code] = remark; };
    s.processEvents = [this] {
      ++events;
      if (onEvents) onEvents();
      QCoreApplication::processEvents();
    };
    return s;
  }

  // Runs on the source window; returns the maps window.
  maps::MapsWindow* run() {
    CuttingRun r(services());
    const bool shown = r.start(partsWindowSource(source()));
    unplaced = nullptr;
    for (const QPointer<parts::PartsWindow>& w : partsBases)
      if (w && &w->document() == r.unplacedBase()) unplaced = w.data();
    return shown && !mapsWindows.empty() ? mapsWindows.back().data() : nullptr;
  }

  // The parts window of a stored base as the run's source.
  bool openSource(const QString& headerPath) {
    source_ = new parts::PartsWindow(root(), *settings_);
    source_->document().setCatalogue(testCatalogue());
    return source_->LoadGroup(headerPath);
  }
  void setCatalogue(parts::CatalogueLists lists) { source().document().setCatalogue(std::move(lists)); }

  std::optional<QString> prepareError;
  // The run's recorded outputs and the test's answers.
  QStringList texts;
  std::function<void(const QString&)> onMessage;
  common::MsgResult answer = common::MsgResult::Yes;
  std::map<QString, common::MsgResult> answers;
  warehouse::RunOutChoice runOutChoice = warehouse::RunOutChoice::Finish;
  std::optional<warehouse::SheetChoice> sheetChoice;
  QStringList sheetViewSizes;
  int runOuts = 0;
  int sheetChoices = 0;
  std::map<int, OptimRecord> options;
  bool cancelOptions = false;
  std::vector<LayoutMaterial> offered;
  QStringList statusTexts;
  std::map<int, std::string> remarks;
  int events = 0;
  std::function<void()> onEvents;
  std::vector<QPointer<maps::MapsWindow>> mapsWindows;
  std::vector<QPointer<parts::PartsWindow>> partsBases;
  parts::PartsWindow* unplaced = nullptr;
  TestEnvironment environment;

 private:
  QTemporaryDir dir_;
  std::unique_ptr<ini::IniFile> settings_;
  TestMaterials materials_;
  std::unique_ptr<warehouse::StockModule> module_;
  std::unique_ptr<common::ScopedMessageHandler> messages_;
  QPointer<parts::PartsWindow> source_;
};

// The captions of a maps window's tabs.
inline QStringList tabCaptions(const maps::MapsDocument& doc) {
  QStringList out;
  for (int i = 0; i < doc.mapCount(); ++i) out << QString::fromStdString(doc.map(i).Caption);
  return out;
}

}  // namespace kroyna::run::test
