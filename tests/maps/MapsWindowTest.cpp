#include "maps/MapDrawing.h"
#include "maps/MapsTestSupport.h"
#include "maps/ui/MapsWindow.h"
#include "maps/ui/StatisticsDialog.h"
#include "platform/text/Literals.h"

#include "common/AppState.h"
#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "common/ui/MapFontDialog.h"
#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace kroyna::maps {
namespace {

using testing::FakeEnvironment;
using testing::LayoutBuilder;

using text::u;

class MapsWindowTest : public ::testing::Test {
 protected:
  MapsWindowTest()
      : messages_([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          asked << text;
          return answer;
        }) {}

  void SetUp() override {
    env.materials = {{1, u("ДСП 16")}, {2, u("ДВП 4")}};
    env.order = {2, 1};
    env.criteria[1] = testing::minimumSize(100, 100);
    window = std::make_unique<MapsWindow>(env, ini);
    window->resize(800, 600);
  }
  void TearDown() override {
    MapsWindow::commands() = {};
    common::setBusy(false);
  }

  engine::FinishedMap sheet(std::int32_t length, std::int32_t width, std::int32_t quantity = 1) {
    LayoutBuilder b(length, width, 4);
    b.layout.Quantity = quantity;
    b.place(b.part("A", 600, 400, {0, 0, 0, 0}), 6, 6);
    b.region(620, 6, 504, 404);
    b.cut(6, 410, true, 604);
    return b.finished();
  }
  void fill() {
    window->addMap(u("1: Лист 1"), 1, sheet(2800, 2070), 4, {});
    window->addMap(u("2: Листы 2 - 4"), 1, sheet(1830, 1830, 3), 4, {});
    window->addMap(u("1: Лист 1"), 2, sheet(2440, 1220), 4, {});
  }
  bool closeWindow() {
    window->show();
    const bool closed = window->close();
    return closed;
  }

  kroyna::testing::TempDir dir;
  ini::IniFile ini{dir / "Kroyna.ini"};
  FakeEnvironment env;
  std::unique_ptr<MapsWindow> window;
  QStringList asked;
  common::MsgResult answer = common::MsgResult::Yes;

 private:
  common::ScopedMessageHandler messages_;
};

TEST_F(MapsWindowTest, EachMapBecomesTheActiveTabWithItsStatusLines) {
  fill();
  ASSERT_EQ(window->pageCount(), 3);
  EXPECT_EQ(window->tabs()->tabText(1), u("2: Листы 2 - 4"));
  EXPECT_EQ(window->tabs()->currentIndex(), 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(window->page(i)->line1()->panels(), window->document().statusLine1(i));
    EXPECT_EQ(window->page(i)->line2()->panels(), window->document().statusLine2(i));
  }
  EXPECT_EQ(window->page(1)->line2()->panels()[1], u("Количество: 3"));
  EXPECT_TRUE(window->document().isModified());
}

TEST_F(MapsWindowTest, AllMapsAreDrawnToOneScaleThatFollowsTheWindowSize) {
  fill();
  window->show();
  QApplication::processEvents();
  const double r = window->ratio();
  ASSERT_GT(r, 0);
  auto* page = qobject_cast<MapPage*>(window->tabs()->currentWidget());
  EXPECT_DOUBLE_EQ(r, mapsRatio(page->size(), page->statusHeight(), 2800, 2070));
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(window->page(i)->sheet()->ratio(), r);
  EXPECT_EQ(window->page(1)->sheet()->size(), QSize(toPixels(1830, r), toPixels(1830, r)));
  EXPECT_EQ(window->page(0)->sheet()->pos(), QPoint(4, 4));

  window->resize(1200, 900);
  QApplication::processEvents();
  EXPECT_GT(window->ratio(), r);
  EXPECT_DOUBLE_EQ(window->page(2)->sheet()->ratio(), window->ratio());
}

TEST_F(MapsWindowTest, MaterialsPanelFiltersTheTabs) {
  fill();
  window->show();
  QListWidget* panel = window->materialsPanel();
  ASSERT_EQ(panel->count(), 3);
  EXPECT_EQ(panel->item(0)->text(), u("<все материалы>"));
  EXPECT_EQ(panel->item(1)->text(), u("ДВП 4"));  // catalogue order
  EXPECT_EQ(panel->item(2)->text(), u("ДСП 16"));
  EXPECT_EQ(panel->currentRow(), 0);

  window->selectMaterialRow(1);
  EXPECT_EQ(window->document().materialFilter(), 2);
  EXPECT_FALSE(window->tabs()->isTabVisible(0));
  EXPECT_TRUE(window->tabs()->isTabVisible(2));
  EXPECT_EQ(window->selectedMaterialName(), u("ДВП 4"));
  window->selectMaterialRow(0);
  EXPECT_TRUE(window->tabs()->isTabVisible(0));
}

TEST_F(MapsWindowTest, ToolBarSwitchesReachEveryMap) {
  fill();
  window->action("edge")->trigger();
  EXPECT_TRUE(window->document().showBorder());
  EXPECT_TRUE(window->document().map(2).Parts[0].ShowBorder);
  window->action("offcuts")->trigger();
  EXPECT_TRUE(window->document().map(0).Offcuts[0].ShowText);
  window->action("hints")->trigger();
  EXPECT_TRUE(window->page(1)->sheet()->showAllHints());
  window->setMillMode(MillLastSheet);
  EXPECT_FALSE(window->document().map(0).Cuts[0].Visible);
  EXPECT_TRUE(window->document().map(2).Cuts[0].Visible);
}

TEST_F(MapsWindowTest, TheRunsDisplayFlagsReachTheToolBarAndTheMapsItAdds) {
  window->setDisplayFlags(false, true, true, true, true);
  EXPECT_TRUE(window->action("edge")->isChecked());
  EXPECT_TRUE(window->action("offcuts")->isChecked());
  EXPECT_TRUE(window->action("hints")->isChecked());
  fill();
  const MapPart& p = window->document().map(0).Parts[0];
  EXPECT_FALSE(p.ShowTitle);
  EXPECT_TRUE(p.ShowDim);
  EXPECT_TRUE(p.ShowBorder);
  EXPECT_TRUE(window->document().map(0).Offcuts[0].ShowText);
  EXPECT_TRUE(window->page(2)->sheet()->showAllHints());

  // Names given on acceptance into stock leave the modified flag alone.
  window->document().setModified(false);
  EXPECT_TRUE(window->document().renameOffcut(0, 0, u("17"), false));
  window->refreshMaps();
  EXPECT_EQ(window->document().map(0).Offcuts[0].Text, "17");
  EXPECT_FALSE(window->document().isModified());
}

TEST_F(MapsWindowTest, CommandsOfLaterFeaturesStayDisabledUntilAttached) {
  fill();
  EXPECT_FALSE(window->action("save")->isEnabled());
  EXPECT_FALSE(window->action("print")->isEnabled());
  EXPECT_FALSE(window->action("apply")->isEnabled());
  EXPECT_TRUE(window->action("statistics")->isEnabled());

  int applied = 0;
  MapsWindow::commands().apply = [&](MapsWindow&) { return ++applied > 0; };
  MapsWindow::commands().save = [](MapsWindow&) { return true; };
  MapsWindow other(env, ini);
  EXPECT_TRUE(other.action("save")->isEnabled());
  // Without maps there is nothing to accept.
  EXPECT_FALSE(other.action("apply")->isEnabled());
  other.addMap(u("1: Лист 1"), 1, sheet(2800, 2070), 4, {});
  ASSERT_TRUE(other.action("apply")->isEnabled());
  other.action("apply")->trigger();
  EXPECT_EQ(applied, 1);
  EXPECT_FALSE(other.action("apply")->isEnabled());
  EXPECT_TRUE(other.isApplied());
}

TEST_F(MapsWindowTest, DuringARunTheWindowWaitsAbortsOnRequestAndRecordsCloseAttempts) {
  int aborts = 0;
  QObject::connect(window.get(), &MapsWindow::abortRequested, [&] { ++aborts; });
  window->show();
  window->beginRun();
  EXPECT_EQ(window->windowTitle(), u("Пожалуйста подождите ..."));
  EXPECT_FALSE(window->action("save")->isVisible());
  EXPECT_TRUE(window->action("abort")->isEnabled());
  EXPECT_FALSE(window->action("statistics")->isEnabled());
  EXPECT_FALSE(window->progressBar()->isHidden());

  answer = common::MsgResult::No;
  window->action("abort")->trigger();
  EXPECT_EQ(asked.last(), u("Действительно прервать разложение?"));
  EXPECT_EQ(aborts, 0);
  answer = common::MsgResult::Yes;
  window->action("abort")->trigger();
  EXPECT_EQ(aborts, 1);

  fill();
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->closeRequested());
  EXPECT_EQ(asked.size(), 2);  // no save question while running

  window->endRun();
  window->setCaption(u("Вариант раскроя 1: \"Кухня\""));
  EXPECT_EQ(window->windowTitle(), u("Вариант раскроя 1: \"Кухня\""));
  EXPECT_TRUE(window->progressBar()->isHidden());
  EXPECT_TRUE(window->action("statistics")->isEnabled());
}

TEST_F(MapsWindowTest, TheRunCanCloseTheWindowWithoutAQuestion) {
  QMdiArea area;
  auto* form = new MapsWindow(env, ini);
  QMdiSubWindow* sub = area.addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  area.show();
  sub->show();
  form->beginRun();
  form->addMap(u("1: Лист 1"), 1, sheet(2800, 2070), 4, {});
  QPointer<QMdiSubWindow> guard(sub);
  form->closeWithoutQuestion();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(asked.isEmpty());
  EXPECT_TRUE(guard.isNull());
}

TEST_F(MapsWindowTest, ClosingAChangedResultClosesOnlyWhenSaved) {
  fill();
  answer = common::MsgResult::Cancel;
  EXPECT_FALSE(closeWindow());
  EXPECT_EQ(asked.last(), u("Карты раскроя \"<без названия>\" были изменеы.\rСохранить?"));

  // "Yes" with no way to save, or a save that fails, keeps the result.
  answer = common::MsgResult::Yes;
  EXPECT_FALSE(closeWindow());
  bool saveResult = false;
  int saves = 0;
  MapsWindow::commands().save = [&](MapsWindow&) {
    ++saves;
    return saveResult;
  };
  EXPECT_FALSE(closeWindow());
  EXPECT_EQ(saves, 1);
  saveResult = true;
  EXPECT_TRUE(closeWindow());
  EXPECT_EQ(saves, 2);
}

TEST_F(MapsWindowTest, ClosingWithNoOrUnchangedAsksNothingMoreAndKeepsThePanelWidth) {
  fill();
  answer = common::MsgResult::No;
  EXPECT_TRUE(closeWindow());
  EXPECT_EQ(asked.size(), 1);
  EXPECT_TRUE(ini.keyExists("SheetParams", "OutLook_Width"));

  asked.clear();
  MapsWindow saved(env, ini);
  saved.document().setModified(false);
  saved.show();
  EXPECT_TRUE(saved.close());
  EXPECT_TRUE(asked.isEmpty());
}

TEST_F(MapsWindowTest, MillModeAndPanelWidthAreReadFromTheSettings) {
  ini.writeInt("SheetParams", "MillState", 2);
  MapsWindow a(env, ini);
  EXPECT_EQ(a.document().millMode(), MillLastSheet);
  ini.writeInt("SheetParams", "MillState", 3);
  MapsWindow b(env, ini);
  EXPECT_EQ(b.document().millMode(), MillHidden);
}

// With no panel width kept, the materials panel shows every name whole,
// also of maps that come later; a kept width is used as it is.
TEST_F(MapsWindowTest, WithoutAKeptWidthTheMaterialsPanelFitsItsNames) {
  const QString longName = u("ДСП ламинированная 16 мм Дуб сонома");
  env.materials[2] = longName;
  MapsWindow fitted(env, ini);
  fitted.resize(900, 600);
  fitted.show();
  QApplication::processEvents();
  fitted.beginRun();
  fitted.addMap(u("1: Лист 1"), 1, sheet(2800, 2070), 4, {});
  fitted.addMap(u("1: Лист 1"), 2, sheet(2440, 1220), 4, {});
  fitted.endRun();
  QApplication::processEvents();
  QListWidget* panel = fitted.materialsPanel();
  ASSERT_EQ(panel->count(), 3);
  EXPECT_GE(panel->viewport()->width(), panel->fontMetrics().horizontalAdvance(longName));
  EXPECT_EQ(panel->horizontalScrollBar()->maximum(), 0);

  ini.writeInt("SheetParams", "OutLook_Width", 90);
  MapsWindow kept(env, ini);
  kept.resize(900, 600);
  kept.show();
  kept.beginRun();
  kept.addMap(u("1: Лист 1"), 2, sheet(2440, 1220), 4, {});
  kept.endRun();
  QApplication::processEvents();
  EXPECT_EQ(kept.materialsPanel()->parentWidget()->width(), 90);
}

TEST_F(MapsWindowTest, KindChangeAndRenameUpdateStatusLinesAndTheModifiedFlag) {
  fill();
  window->document().setModified(false);
  const QString before = window->page(0)->line1()->panels()[2];
  window->toggleOffcutKind(0, 0);
  EXPECT_NE(window->page(0)->line1()->panels()[2], before);
  EXPECT_TRUE(window->document().isModified());
  window->toggleOffcutKind(0, 0);
  EXPECT_EQ(window->page(0)->line1()->panels()[2], before);

  window->document().setModified(false);
  window->renameOffcut(0, 0, u("Б-7"));
  EXPECT_EQ(window->document().map(0).Offcuts[0].Text, "Б-7");
  EXPECT_TRUE(window->document().isModified());
}

TEST_F(MapsWindowTest, InfoCommandsShowTheInfoTexts) {
  fill();
  window->showPartInfo(0, 0);
  EXPECT_EQ(asked.last(), window->document().partInfo(window->document().map(0).Parts[0]));
  window->showOffcutInfo(0, 0);
  EXPECT_TRUE(asked.last().startsWith(u("Остаток:\r\r")));
  window->tabs()->setCurrentIndex(1);
  window->showMapInfo();
  EXPECT_EQ(asked.last(), window->document().mapInfo(1));

  MapsWindow empty(env, ini);
  asked.clear();
  empty.showMapInfo();
  EXPECT_TRUE(asked.isEmpty());
}

TEST_F(MapsWindowTest, StatisticsShowTheTotalsOfTheVisibleMaps) {
  fill();
  env.edges[5] = {0x00FF00, 0, u("ПВХ")};
  window->show();
  window->selectMaterialRow(2);  // ДСП 16: maps 1 and 2 (Quantity 1 and 3)
  window->showStatistics();
  auto* dialog = window->findChild<StatisticsDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), u("Статистика"));
  const StatisticsFigures& f = dialog->figures();
  EXPECT_EQ(f.materialName, u("ДСП 16"));
  EXPECT_EQ(f.materialCode, 1);
  ASSERT_EQ(f.rows.size(), 6u);
  EXPECT_EQ(f.rows[3], (std::pair{u("Площадь деталей:"), u("0.960 кв м")}));  // 4 × 0.24
  EXPECT_EQ(f.rows[4], (std::pair{u("Общее кол-во резов:"), u("4")}));
  EXPECT_EQ(f.rows[5], (std::pair{u("Общая длина резов:"), u("2.42 м")}));
  EXPECT_FALSE(dialog->printButton()->isEnabled());
  EXPECT_FALSE(dialog->edgesButton()->isEnabled());  // no banding
  dialog->close();
}

TEST(StatisticsFigures, EdgeRowsNameTheCatalogueEdgesAndDropCodeZero) {
  FakeEnvironment env;
  env.edges[5] = {0x00FF00, 2, u("ПВХ 2")};
  MapTotals t;
  t.edges = {{5, 1520}, {9, 300}};
  const auto rows = edgeUseRows(t, env);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, u("ПВХ 2"));
  EXPECT_EQ(rows[0].length, u("1.52"));
  EXPECT_TRUE(rows[1].name.isEmpty());
}

}  // namespace
}  // namespace kroyna::maps

namespace kroyna::maps {
namespace {

// "Шрифт" of the maps window chooses the font's colour too, and the map
// texts (part names and sizes) are drawn in it.
TEST_F(MapsWindowTest, TheFontCommandChoosesTheColourOfTheMapTexts) {
  env.font.name = "DejaVu Sans";
  env.font.size = 10;
  window = std::make_unique<MapsWindow>(env, ini);
  window->resize(800, 600);
  window->setDisplayFlags(true, true, true, false, false);
  fill();
  window->show();
  const QColor magenta(0xC0, 0x00, 0x80);
  auto inkOf = [&](const QColor& colour) {
    QApplication::processEvents();
    const QImage image = window->page(0)->sheet()->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                 std::abs(c.blue() - colour.blue()) <
             40;
      }
    return n;
  };
  ASSERT_EQ(inkOf(magenta), 0);

  bool asked = false;
  auto* timer = new QTimer(window.get());
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    auto* d = qobject_cast<common::MapFontDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    timer->stop();
    asked = true;
    EXPECT_EQ(d->windowTitle(), "Шрифт");
    d->picker()->setChoosers([](const QFont&, QWidget*) { return std::optional<QFont>(); },
                             [&](const QColor&, QWidget*) { return std::optional<QColor>(magenta); });
    d->picker()->colourButton()->click();
    d->accept();
  });
  timer->start();
  window->action(QStringLiteral("font"))->trigger();
  ASSERT_TRUE(asked);
  EXPECT_EQ(window->document().font().colour, common::fromQColor(magenta));
  EXPECT_EQ(window->document().font().name, "DejaVu Sans");  // the font itself is kept
  EXPECT_GT(inkOf(magenta), 20);
}

// A window filled from a real cutting of two materials, one of them on an
// offcut from stock, drawn with banding marks, offcut labels and cuts. The
// picture is kept in the build folder for a look.
TEST_F(MapsWindowTest, AWindowAfterARunShowsPartsEdgeMarksOffcutsAndCuts) {
  env.edges[1] = {0x0000C0, 2, u("ПВХ 2 мм красная")};
  env.edges[2] = {0x008000, 0, u("ПВХ 0,4 мм зелёная")};
  env.colourValues.scrap = 0x00C0FF;  // useful offcuts orange
  env.colourValues.lost = 0x404040;
  env.criteria[1] = testing::minimumSize(150, 150);
  env.criteria[2] = testing::minimumSize(150, 150);
  env.font.name = "DejaVu Sans";
  env.font.size = 7;
  window->document().setShowBorder(true);
  window->document().setShowScrapsText(true);
  window->document().setMillMode(MillShown);

  engine::MaterialInput chipboard;
  chipboard.Params.SheetLength = 2800;
  chipboard.Params.SheetWidth = 2070;
  chipboard.Params.Variants = 30;
  chipboard.Params.UseOffcuts = true;
  chipboard.Offcuts = {{"О-15", 1200, 900, 1}};
  chipboard.Parts = {{"Бок", 720, 560, 4, engine::RotateNever, 1, 0, 1, 0},
                     {"Полка", 564, 540, 6, engine::RotateFree, 0, 0, 2, 0},
                     {"Фасад", 716, 396, 6, engine::RotateOneForAll, 1, 1, 1, 1},
                     {"Планка", 1200, 60, 4, engine::RotateFree, 0, 0, 2, 0}};
  engine::MaterialInput fibre;
  fibre.Params.SheetLength = 2745;
  fibre.Params.SheetWidth = 1700;
  fibre.Params.Variants = 10;
  fibre.Parts = {{"Задняя стенка", 716, 560, 4, engine::RotateFree, 0, 0, 0, 0}};

  window->show();
  window->resize(1100, 760);
  int sheets = 0;
  for (const auto& [code, input] : {std::pair{1, chipboard}, std::pair{2, fibre}}) {
    window->beginRun();
    int k = 0;
    for (const engine::FinishedMap& fm : testing::cutMaterial(input)) {
      const int q = fm.Quantity;
      QString text = q == 1 ? u("Лист %1").arg(k + 1) : u("Листы %1 - %2").arg(k + 1).arg(k + q);
      if (!fm.Name.empty()) text += u(" (%1)").arg(QString::fromStdString(fm.Name));
      window->addMap(QString::number(window->pageCount() + 1) + u(": ") + text, code, fm, 4, {});
      k += q;
      ++sheets;
    }
    window->endRun();
  }
  window->setCaption(u("Вариант раскроя 1: \"Пример\""));
  ASSERT_GE(sheets, 3);
  EXPECT_TRUE(window->document().map(0).IsScraps);
  EXPECT_TRUE(window->tabs()->tabText(0).endsWith(u(" (О-15)")));
  bool useful = false, useless = false;
  for (const SheetMap& m : window->document().maps())
    for (const MapOffcut& o : m.Offcuts) (o.useful() ? useful : useless) = true;
  EXPECT_TRUE(useful);
  EXPECT_TRUE(useless);

  window->tabs()->setCurrentIndex(1);
  QApplication::processEvents();
  const QImage shot = window->grab().toImage();
  const QImage sheetShot = window->page(1)->sheet()->grab().toImage();
  // The drawn sheet holds the useful offcut colour and the parts' white.
  bool orange = false, white = false;
  for (int y = 0; y < sheetShot.height(); y += 2)
    for (int x = 0; x < sheetShot.width(); x += 2) {
      const QColor c(sheetShot.pixel(x, y));
      orange = orange || c == common::toQColor(0x00C0FF);
      white = white || c == QColor(Qt::white);
    }
  EXPECT_TRUE(orange);
  EXPECT_TRUE(white);
  shot.save(QStringLiteral(KROYNA_BINARY_DIR "/maps-window.png"));
}

}  // namespace
}  // namespace kroyna::maps
