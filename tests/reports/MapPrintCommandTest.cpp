// "&Печать" of the maps window: which maps go to the report, what the
// print dialog is offered, failures, the joining to the running program,
// and the example order printed to PDF and read back as text.

#include "platform/text/Literals.h"
#include "reports/mapprint/MapReport.h"
#include "reports/mapprint/MapReportObjects.h"
#include "reports/ui/MapPrintCommand.h"

#include "../run/CuttingRunTestSupport.h"
#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "maps/MapsTestSupport.h"
#include "maps/ProgramEnvironment.h"
#include "maps/ui/MapsWindow.h"
#include "platform/ini/IniFile.h"
#include "platform/report/Render.h"
#include "shell/MainWindow.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kroyna::reports {
namespace {

using text::u;

QString pageText(const report::PreparedPage& page) {
  QString all;
  for (const auto& o : page.objects)
    for (const QString& t : o->texts()) all += t + QLatin1Char('\n');
  return all;
}

class PrintCommandTest : public ::testing::Test {
 protected:
  PrintCommandTest()
      : messages_([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          shown << text;
          return common::MsgResult::Ok;
        }) {}

  void SetUp() override {
    env.materials = {{1, u("ДСП 16")}, {2, u("ДВП 4")}};
    env.order = {1, 2};
    window = std::make_unique<maps::MapsWindow>(env, ini);
    window->resize(800, 600);
    saved_ = mapPrintWindows();
    mapPrintWindows().ask = [this](const MapTabs& tabs, ini::IniFile&, QWidget*) -> std::optional<MapPrintDialogModel> {
      offered = tabs;
      if (!choice) return std::nullopt;
      MapPrintDialogModel m(tabs, MapPageParams{});
      m.range = *choice;
      m.fromText = std::to_string(from);
      m.toText = std::to_string(to);
      return m;
    };
    mapPrintWindows().preview = [this](report::PreparedReport r, QWidget*) { previews.push_back(std::move(r)); };
  }
  void TearDown() override { mapPrintWindows() = saved_; }

  void fill() {
    for (int i = 0; i < 3; ++i) {
      maps::testing::LayoutBuilder b(2800, 2070);
      b.place(b.part("Деталь" + std::to_string(i + 1), 600, 400), 6, 6);
      b.region(620, 6, 504, 404);
      b.cut(6, 410, true, 604);
      window->addMap(QStringLiteral("%1: Лист %1").arg(i + 1), i == 1 ? 2 : 1, b.finished(), 4, {});
    }
  }

  MapPrintSetup setup() const {
    MapPrintSetup s;
    s.settings = const_cast<ini::IniFile*>(&ini);
    s.reportsFolder = QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports");
    return s;
  }

  kroyna::testing::TempDir dir;
  ini::IniFile ini{dir / "Kroyna.ini"};
  maps::testing::FakeEnvironment env;
  std::unique_ptr<maps::MapsWindow> window;
  std::optional<MapRange> choice = MapRange::All;
  int from = 1, to = 1;
  MapTabs offered;
  std::vector<report::PreparedReport> previews;
  QStringList shown;

 private:
  common::ScopedMessageHandler messages_;
  MapPrintWindows saved_;
};

TEST_F(PrintCommandTest, CurrentPrintsTheActiveTabEvenWhenTheFilterHidesIt) {
  fill();
  window->show();
  window->selectMaterialRow(1);  // material 1 only: tabs 1 and 3
  // The active tab stays the one of material 2, which the filter hides.
  window->tabs()->setCurrentIndex(1);
  ASSERT_FALSE(window->tabs()->isTabVisible(1));
  ASSERT_EQ(window->tabs()->currentIndex(), 1);
  choice = MapRange::Current;
  printMaps(*window, setup());
  EXPECT_EQ(offered.first, 1);
  EXPECT_EQ(offered.last, 3);
  EXPECT_EQ(offered.current, 2);
  ASSERT_EQ(previews.size(), 1u);
  ASSERT_EQ(previews[0].pageCount(), 1);
  EXPECT_TRUE(pageText(previews[0].pages[0]).contains(QStringLiteral("<2: Лист 2>  2800 x 2070 (ДВП 4)")));
}

TEST_F(PrintCommandTest, TheRangeIsPrintedInTabOrderWhateverTheFilterHides) {
  fill();
  window->selectMaterialRow(1);  // tab 2 hidden
  choice = MapRange::All;
  printMaps(*window, setup());
  ASSERT_EQ(previews.size(), 1u);
  ASSERT_EQ(previews[0].pageCount(), 3);  // first..last shown, tab 2 between them
  EXPECT_TRUE(pageText(previews[0].pages[1]).contains(QStringLiteral("<2: Лист 2>")));
  EXPECT_TRUE(pageText(previews[0].pages[1]).contains(QStringLiteral("(ДВП 4)")));

  choice = MapRange::Numbers;
  from = 2;
  to = 3;
  printMaps(*window, setup());
  ASSERT_EQ(previews.size(), 2u);
  ASSERT_EQ(previews[1].pageCount(), 2);
  EXPECT_TRUE(pageText(previews[1].pages[0]).contains(QStringLiteral("Деталь2")));

  // Cancelled: nothing printed.
  choice.reset();
  printMaps(*window, setup());
  EXPECT_EQ(previews.size(), 2u);
  EXPECT_TRUE(shown.isEmpty()) << shown.join(u("|")).toStdString();
}

TEST_F(PrintCommandTest, NothingToPrintAndADamagedTemplateAreReported) {
  printMaps(*window, setup());  // no maps
  EXPECT_EQ(shown, QStringList{u("Нет карт раскроя для печати.")});
  EXPECT_TRUE(previews.empty());

  fill();
  QTemporaryDir reports;
  QFile f(reports.filePath(QStringLiteral("RskMaps.frf")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<report><band kind=\"masterData\" height=\"20\"><object class=\"TfrRskMapView\" name=\"Map\" x=\"0\" "
      "y=\"0\" width=\"10\" height=\"10\"><data>AAAA</data></object></band></report>");
  f.close();
  MapPrintSetup s = setup();
  s.reportsFolder = reports.path();
  shown.clear();
  printMaps(*window, s);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains(u("RskMaps.frf"))) << shown[0].toStdString();
  EXPECT_TRUE(shown[0].contains(u("карты раскроя \"Map\""))) << shown[0].toStdString();
  EXPECT_TRUE(previews.empty());
}

TEST_F(PrintCommandTest, TheStylesMarginsAndPrintFontOfTheSettingsAreUsed) {
  fill();
  ini.writeBool("PrnSetupAdv", "MillDraw", false);
  ini.writeInt("PrnSetupAdv", "DetalBrush_Color", 0x00FFFF);
  ini.writeInt("PageParams", "Left", 30);
  ini.writeString("Sheet_Page_Params", "MapFont_Name", "Courier New");
  // The dialog's choice is what prints; the stored print font comes with it.
  mapPrintWindows().ask = [](const MapTabs& tabs, ini::IniFile& settings, QWidget*) {
    return std::optional<MapPrintDialogModel>(MapPrintDialogModel(tabs, readMapPageParams(settings)));
  };
  printMaps(*window, setup());
  ASSERT_EQ(previews.size(), 1u);
  const report::PreparedPage& page = previews[0].pages[0];
  const MapReportView* map = nullptr;
  const report::TextObject* params = nullptr;
  for (const auto& o : page.objects) {
    if (auto* m = dynamic_cast<const MapReportView*>(o.get())) map = m;
    if (o->name == "mmMapParams") params = dynamic_cast<const report::TextObject*>(o.get());
  }
  ASSERT_NE(map, nullptr);
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(map->partBrush.colour, 0x00FFFF);
  for (const auto& e : map->elements) EXPECT_NE(e->kind(), MapCutElement::kKind);
  EXPECT_NEAR(map->x, 30 * 18.0 / 5.0, 0.5);
  EXPECT_EQ(params->font.family, u("Courier New"));
}

TEST(MapPrintingInstall, PrintAndTheMainMenuItemAreAttached) {
  QTemporaryDir tmp;
  common::DataRoot root(tmp.path());
  common::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow mainWindow(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&mainWindow);
  const maps::MapsWindowCommands before = maps::MapsWindow::commands();
  installMapPrinting(context);
  EXPECT_TRUE(mainWindow.command(u("set.mapPrint"))->isEnabled());
  EXPECT_TRUE(bool(maps::MapsWindow::commands().print));
  EXPECT_NE(report::ObjectRegistry::instance().find(MapReportView::kClassName), nullptr);
  EXPECT_EQ(report::ObjectRegistry::instance().find(PartsListReportView::kClassName)->caption, u("Список деталей"));
  EXPECT_EQ(report::ObjectRegistry::instance().find(MapReportView::kClassName)->caption, u("Карта раскроя"));
  maps::MapsWindow::commands() = before;
}

// ---- the example order on paper ------------------------------------------------

std::string runTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return p.readAllStandardOutput().toStdString();
}

TEST(MapPrintExample, ThePdfOfTheExampleOrderShowsEveryMapsTexts) {
  const QString pdftotext = QStandardPaths::findExecutable(u("pdftotext"));
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
  run::test::RunFolder f(true);
  ASSERT_FALSE(f.prepareError.has_value());
  ASSERT_TRUE(f.openSource(f.path(u("Groups/Пример.krb"))));
  catalogues::Catalogues catalogues(f.root(), f.settings());
  catalogues.ReloadEdgeList();
  parts::CatalogueLists lists;
  lists.materials = catalogues.materialList(true);
  lists.edges = catalogues.edgeList();
  f.setCatalogue(lists);
  maps::MapsWindow* run = f.run();
  ASSERT_NE(run, nullptr);

  // The run's maps in a window of the program's own environment.
  maps::ProgramEnvironment env(f.settings(), &catalogues);
  maps::MapsWindow window(env, f.settings());
  for (const maps::SheetMap& m : run->document().maps()) window.document().appendStoredMap(m);
  window.refreshFromDocument();
  const maps::MapsDocument& doc = window.document();
  ASSERT_GE(doc.mapCount(), 2);

  QTemporaryDir out;
  const QString pdf = qEnvironmentVariableIsSet("KROYNA_PRINTED_MAPS_PDF")
                          ? qEnvironmentVariable("KROYNA_PRINTED_MAPS_PDF")
                          : out.filePath(QStringLiteral("maps.pdf"));
  const MapPrintWindows saved = mapPrintWindows();
  mapPrintWindows().ask = [](const MapTabs& tabs, ini::IniFile& settings, QWidget*) {
    return std::optional<MapPrintDialogModel>(MapPrintDialogModel(tabs, readMapPageParams(settings)));
  };
  int pages = 0;
  mapPrintWindows().preview = [&](report::PreparedReport r, QWidget*) {
    pages = r.pageCount();
    report::writePdf(r, pdf);
  };
  // Margins as a printer needs them.
  f.settings().batch([&] {
    for (const char* side : {"Left", "Right", "Top", "Bottom"}) f.settings().writeInt("PageParams", side, 10);
  });
  MapPrintSetup setup;
  setup.settings = &f.settings();
  setup.reportsFolder = f.path(u("Reports"));
  printMaps(window, setup);
  mapPrintWindows() = saved;
  ASSERT_EQ(pages, doc.mapCount());

  const QString text = QString::fromStdString(runTool(pdftotext, {u("-raw"), pdf, u("-")}));
  const QStringList pageTexts = text.split(QLatin1Char('\f'));
  ASSERT_GE(pageTexts.size(), doc.mapCount());
  const MapNumberFormats formats{env.sqrDigits(), env.lenDigits()};
  auto hasLine = [](const QString& page, const QString& line) {
    // pdftotext keeps the words of a line in order, with spaces between.
    QString words = line.simplified();
    return page.simplified().contains(words);
  };
  for (int i = 0; i < doc.mapCount(); ++i) {
    SCOPED_TRACE(i);
    const QString page = pageTexts[i];
    const maps::SheetMap& m = doc.map(i);
    const std::string params = mapParamsText(m, MapPageParams{}, *environmentCatalogue(env), formats);
    for (const QString& line : QString::fromStdString(params).split(QLatin1Char('\r')))
      EXPECT_TRUE(hasLine(page, line)) << line.toStdString() << "\n---\n" << page.toStdString();
    EXPECT_TRUE(page.contains(env.materialName(m.MaterialCode)));
    for (const ListPartRow& row : mapPartRows(m)) {
      const QString listLine = QString::fromStdString(row.name).left(kShortNameLength) +
                               QStringLiteral(" [%1x%2] %3 шт").arg(row.length).arg(row.width).arg(row.count);
      EXPECT_TRUE(hasLine(page, listLine)) << listLine.toStdString();
    }
  }
}

}  // namespace
}  // namespace kroyna::reports
