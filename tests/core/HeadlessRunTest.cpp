// The cutting run without a window: the example order of a first start laid
// out through the run's view interface by a view that is no widget, as the
// libraries without Qt Widgets allow.

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "common/DataRoot.h"
#include "common/Messages.h"
#include "engine/FinishedMap.h"
#include "maps/MapsDocument.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "run/CuttingRun.h"
#include "run/LayoutOptions.h"

namespace kroyna::run {
namespace {

using text::u;

struct Environment : maps::MapsEnvironment {
  maps::MapColours colours() const override { return {}; }
  common::ScrapCriteria scrapCriteria(int) const override { return {}; }
  QString materialName(int) const override { return {}; }
  QList<int> materialOrder() const override { return {1, 2, 3}; }
  std::int32_t edgeColour(int, std::int32_t def) const override { return def; }
  int edgeAllowance(int) const override { return 0; }
  QString edgeName(int) const override { return {}; }
  common::FontKeys mapFont() const override { return {}; }
  int sqrDigits() const override { return 3; }
  int lenDigits() const override { return 2; }
};

// Records what the run does to the window.
struct Log {
  int begins = 0, ends = 0, statistics = 0, progressShown = 0;
  QString caption;
  std::function<void()> abort;
};

class View : public RunMapsView {
 public:
  View(const Environment& env, Log& log) : doc_(env), log_(log) {}
  bool alive() const override { return true; }
  maps::MapsDocument& document() override { return doc_; }
  void setDisplayFlags(bool, bool, bool) override {}
  void beginRun() override { ++log_.begins; }
  void endRun() override { ++log_.ends; }
  void showProgress(bool shown) override { log_.progressShown += shown ? 1 : 0; }
  void setProgress(std::int64_t, std::int64_t) override {}
  void addMap(const QString& caption, int code, const engine::FinishedMap& map, std::int32_t kerf,
              const QString& remark) override {
    doc_.addMap(caption, code, map, kerf, remark);
  }
  void setCaption(const QString& caption) override { log_.caption = caption; }
  void showStatistics() override { ++log_.statistics; }
  bool closeRequested() const override { return false; }
  void clearCloseRequest() override {}
  void closeWithoutQuestion() override {}
  void setAbortHandler(std::function<void()> onAbort) override { log_.abort = std::move(onAbort); }
  QWidget* dialogParent() const override { return nullptr; }

  maps::MapsDocument doc_;
  Log& log_;
};

struct Fixture {
  QTemporaryDir dir;
  std::unique_ptr<ini::IniFile> settings;
  std::unique_ptr<parts::PartsDocument> order;
  Environment env;
  Log log;
  View* view = nullptr;
  std::unique_ptr<View> owned;
  QStringList messages;
  int events = 0;
  std::function<void()> onEvents;

  Fixture() {
    const common::DataRoot root(dir.path());
    EXPECT_FALSE(root.prepare(QStringLiteral(KROYNA_SOURCE_DATA_DIR)).has_value());
    settings = std::make_unique<ini::IniFile>(root.path(u("Kroyna.ini")).toStdString());
    order = std::make_unique<parts::PartsDocument>(dir.path(), *settings);
    EXPECT_TRUE(order->LoadGroup(root.path(u("Groups/Пример.krb"))));
    parts::CatalogueLists c;
    c.materials.names = {u("<все материалы>"), u("Белый"), u("Дуб"), u("ХДФ")};
    c.materials.codes = {u("999"), u("1"), u("2"), u("3")};
    order->setCatalogue(c);
  }

  CuttingRunServices services() {
    CuttingRunServices s;
    s.settings = settings.get();
    s.workFile = (dir.path() + u("/Kroyna.tmp")).toStdString();
    s.editOptions = [this, file = s.workFile](const std::vector<LayoutMaterial>& materials) {
      LayoutOptionsModel model(*settings, file, materials, [](int) { return std::string(); });
      model.open();
      // No warehouse here: the materials take no offcuts from stock.
      for (const LayoutMaterial& m : materials) {
        OptimRecord r = model.read(m.code);
        r.useScraps = false;
        model.write(m.code, r);
      }
      // Stock control of the example counts 50 sheets of every size.
      SheetStockLookup stock;
      stock.firstSize = [](int) { return std::nullopt; };
      stock.stock = [](int, std::int32_t, std::int32_t) { return std::optional<std::int32_t>(50); };
      return !model.accept(stock).has_value();
    };
    s.newMapsWindow = [this]() -> std::unique_ptr<RunMapsView> {
      owned = std::make_unique<View>(env, log);
      view = owned.get();
      // The run owns its view; the test keeps looking through this one.
      return std::make_unique<Forward>(*view);
    };
    s.processEvents = [this] {
      ++events;
      if (onEvents) onEvents();
    };
    return s;
  }

  long long copiesAsked() const {
    long long n = 0;
    for (const parts::PartRow& r : order->allRows()) n += std::max(0, r.quantity);
    return n;
  }
  long long copiesPlaced() const {
    long long n = 0;
    for (const maps::SheetMap& m : view->doc_.maps()) n += static_cast<long long>(m.Quantity) * m.Parts.size();
    return n;
  }

  // A view that passes everything on to the test's view, so that the
  // test's view outlives the run.
  struct Forward : RunMapsView {
    explicit Forward(View& v) : v(v) {}
    View& v;
    bool alive() const override { return true; }
    maps::MapsDocument& document() override { return v.document(); }
    void setDisplayFlags(bool a, bool b, bool c) override { v.setDisplayFlags(a, b, c); }
    void beginRun() override { v.beginRun(); }
    void endRun() override { v.endRun(); }
    void showProgress(bool shown) override { v.showProgress(shown); }
    void setProgress(std::int64_t d, std::int64_t t) override { v.setProgress(d, t); }
    void addMap(const QString& c, int code, const engine::FinishedMap& m, std::int32_t k, const QString& r) override {
      v.addMap(c, code, m, k, r);
    }
    void setCaption(const QString& c) override { v.setCaption(c); }
    void showStatistics() override { v.showStatistics(); }
    bool closeRequested() const override { return false; }
    void clearCloseRequest() override {}
    void closeWithoutQuestion() override {}
    void setAbortHandler(std::function<void()> h) override { v.setAbortHandler(std::move(h)); }
    QWidget* dialogParent() const override { return nullptr; }
  };
};

TEST(HeadlessRun, TheExampleOrderIsLaidOutWithoutAnyWindow) {
  Fixture f;
  const common::ScopedMessageHandler messages([&](const QString& text, common::MsgIcon, common::MsgButtons) {
    f.messages << text;
    return common::MsgResult::No;
  });
  CuttingRun run(f.services());
  RunSource source;
  source.document = f.order.get();
  ASSERT_TRUE(run.start(source));
  EXPECT_TRUE(f.messages.isEmpty()) << f.messages.join(u("|")).toStdString();
  ASSERT_NE(f.view, nullptr);
  EXPECT_GT(f.view->doc_.mapCount(), 0);
  EXPECT_EQ(f.copiesPlaced(), f.copiesAsked());
  // One material after another, each begun and ended; the run's caption and
  // its statistics at the end.
  EXPECT_EQ(f.log.begins, f.log.ends);
  EXPECT_GE(f.log.begins, 2);
  EXPECT_TRUE(f.log.caption.startsWith(u("Вариант раскроя 1: \""))) << f.log.caption.toStdString();
  EXPECT_EQ(f.log.statistics, 1);
  EXPECT_GT(f.events, 0);
  // The tabs of each material count its sheets from 1.
  EXPECT_TRUE(QString::fromStdString(f.view->doc_.map(0).Caption).startsWith(u("1: Лист")));
}

TEST(HeadlessRun, AbortKeepsTheMapsMadeAndRunsNoFurtherMaterial) {
  Fixture f;
  const common::ScopedMessageHandler messages(
      [&](const QString&, common::MsgIcon, common::MsgButtons) { return common::MsgResult::No; });
  // "Прервать" as soon as the run lets events through.
  f.onEvents = [&] {
    if (f.log.abort) f.log.abort();
  };
  CuttingRun run(f.services());
  RunSource source;
  source.document = f.order.get();
  ASSERT_TRUE(run.start(source));
  EXPECT_TRUE(run.aborted());
  EXPECT_EQ(f.log.begins, 1);  // the second material never starts
  EXPECT_GT(f.view->doc_.mapCount(), 0);
  EXPECT_LT(f.copiesPlaced(), f.copiesAsked());
  EXPECT_EQ(f.log.statistics, 1);
}

}  // namespace
}  // namespace kroyna::run
