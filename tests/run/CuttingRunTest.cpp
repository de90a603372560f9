// Whole cutting runs from a parts window into a maps window, without the
// main window: tabs, quantities, stock control with the sheet view, the
// run-out choices, the base of unplaced parts, abort and close, the
// messages, and maps equal to those of kroyna-cut for the same job.

#include "CuttingRunTestSupport.h"

#include "common/AppContext.h"
#include "common/AppState.h"
#include "common/Settings.h"
#include "maps/ui/StatisticsDialog.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QProgressBar>
#include <QTabWidget>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace kroyna::run::test {
namespace {

// ---- Texts and inputs ----

TEST(CuttingRunTexts, TabCaptions) {
  EXPECT_EQ(runCaption(2, u("База деталей: Кухня.krb")), u("Вариант раскроя 2: \"База деталей: Кухня.krb\""));
}

TEST(CuttingRunTexts, PlacedNothingNamesThePartsLeft) {
  const QString one = placedNothingQuestion(u("МДФ"), {u("Дверь")});
  EXPECT_TRUE(one.contains(u("<МДФ>")));
  EXPECT_TRUE(one.contains(u("(Дверь)")));
  EXPECT_TRUE(one.endsWith(u("Создать базу неразложенных деталей?")));
  QStringList many;
  for (int i = 0; i < 12; ++i) many << QStringLiteral("P%1").arg(i);
  many[3].clear();
  const QString text = placedNothingQuestion(u("МДФ"), many);
  EXPECT_TRUE(text.contains(u("<без шифра>")));
  EXPECT_TRUE(text.contains(u("P9, ...)")));
  EXPECT_FALSE(text.contains(u("P10")));
}

TEST(CuttingRunInputs, DisabledMaterialsLeaveTheWorkFile) {
  QTemporaryDir dir;
  ini::IniFile work((dir.path() + QStringLiteral("/Kroyna.tmp")).toStdString());
  OptimRecord on = RunFolder::sheet(2800, 2070);
  OptimRecord off = on;
  off.enabled = false;
  common::MaterialSettings(5).setLayoutOptions(work, on);
  common::MaterialSettings(2).setLayoutOptions(work, off);
  common::MaterialSettings(12).setLayoutOptions(work, on);
  work.writeString("Remarks", "5", "x");
  work.writeString("Material007", "Optim", formatOptim(on));  // not a material's section

  const std::vector<RunMaterialOptions> materials = runMaterials(work);
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0].code, 5);
  EXPECT_EQ(materials[1].code, 12);
  EXPECT_EQ(materials[1].optim, on);
  EXPECT_FALSE(work.sectionExists("Material2"));
  EXPECT_TRUE(work.sectionExists("Remarks"));
  ini::IniFile reread(work.path());
  EXPECT_FALSE(reread.sectionExists("Material2"));
  EXPECT_TRUE(reread.sectionExists("Material5"));
}

TEST(CuttingRunInputs, ParametersFromOptionsAndDefaults) {
  OptimRecord o = RunFolder::sheet(2440, 1830, true, true, 250);
  o.algorithm = 1;
  o.fullSearch = 1;
  o.oneDimOpt = true;
  o.remark = "Заказ";
  DefaultParams d;
  d.mill = 5;
  d.lIndent = 1;
  d.rIndent = 2;
  d.tIndent = 3;
  d.bIndent = 4;
  d.technics = 1;
  d.propilLen = "1500";
  d.optimization = 2;
  engine::CuttingParameters p = cuttingParameters(o, d);
  EXPECT_EQ(p.Kerf, 5);
  EXPECT_EQ(p.TrimLeft + p.TrimRight * 10 + p.TrimTop * 100 + p.TrimBottom * 1000, 4321);
  EXPECT_EQ(p.SheetLength, 2440);
  EXPECT_EQ(p.SheetWidth, 1830);
  EXPECT_EQ(p.MaxCutLength, 1500);
  EXPECT_FALSE(p.MultiSaw);
  EXPECT_EQ(p.Optimization, engine::Criterion::CutLength);
  EXPECT_EQ(p.Search, engine::SearchMode::Full);
  EXPECT_EQ(p.Rule, engine::SelectionRule::RegionFirst);
  EXPECT_EQ(p.Variants, 250);
  EXPECT_TRUE(p.OneSize && p.StockControl && p.UseOffcuts);
  EXPECT_EQ(p.Remark, "Заказ");

  // The limit counts only with its machine; an unknown criterion keeps the
  // first one.
  d.technics = 2;
  d.optimization = 7;
  p = cuttingParameters(o, d);
  EXPECT_EQ(p.MaxCutLength, 0);
  EXPECT_TRUE(p.MultiSaw);
  EXPECT_EQ(p.Optimization, engine::Criterion::OffcutArea);
}

TEST(CuttingRunInputs, OffcutsOfOneMaterialInTableOrder) {
  RunFolder f;
  f.addOffcut("A", 600, 400, 2, 1);
  f.addOffcut("B", 900, 300, 1, 2);
  f.addOffcut("C", 700, 500, 1, 1);
  f.addOffcut("", 0, 500, 1, 1);  // no size: offers nothing
  const OffcutsRead read = readOffcuts(f.stock().workingCopy(warehouse::StockKind::Scraps), 1);
  EXPECT_FALSE(read.failed);
  ASSERT_EQ(read.rows.size(), 2u);
  EXPECT_EQ(read.rows[0].Name, "A");
  EXPECT_EQ(read.rows[0].Many, 2);
  EXPECT_EQ(read.rows[1].Name, "C");
  EXPECT_EQ(read.rows[1].Length, 700);

  // A row claiming an absurd number of offcuts stops the reading there.
  f.addOffcut("D", 500, 500, 2000000000, 1);
  f.addOffcut("E", 500, 500, 1, 1);
  const OffcutsRead damaged = readOffcuts(f.stock().workingCopy(warehouse::StockKind::Scraps), 1);
  EXPECT_TRUE(damaged.failed);
  EXPECT_EQ(damaged.rows.size(), 2u);

  const OffcutsRead missing = readOffcuts(f.path(QStringLiteral("Temp/none.dbf")).toStdString(), 1);
  EXPECT_TRUE(missing.failed);
  EXPECT_TRUE(missing.rows.empty());
}

// ---- A whole run over two materials ----

// Material 1: two identical offcuts "A" in stock that take the shelves, and
// three standard sheets for the three sides; material 2: one standard sheet
// in stock for two doors, so that the sheets run out; material 3 disabled.
void twoMaterialJob(RunFolder& f) {
  f.addSheets(2800, 2070, 3, 1);
  f.addSheets(2440, 1830, 5, 1);
  f.addSheets(2800, 2070, 1, 2);
  f.addSheets(1000, 500, 4, 2);
  f.addOffcut("A", 600, 400, 2, 1);
  f.addOffcut("Z", 800, 500, 1, 2);  // material 2 takes no offcuts
  f.addPart("Полка", 600, 400, 2, 0, 1, 0, 0, 10, 0);
  f.addPart("Стенка", 2780, 2050, 3, 1, 1, 11, 0, 0, 0);
  f.addPart("Дверь", 2000, 2050, 2, 1, 2, 10, 10, 0, 0);
  f.addPart("Планка", 700, 100, 1, 2, 2, 0, 0, 11, 0);
  f.addPart("Ящик", 500, 400, 2, 0, 3);
  OptimRecord m1 = RunFolder::sheet(2800, 2070, true, true, 3);
  m1.remark = "Заказ 17";
  f.setOptions(1, m1);
  f.setOptions(2, RunFolder::sheet(2800, 2070, true, false, 3));
  OptimRecord m3 = RunFolder::sheet(2800, 2070);
  m3.enabled = false;
  f.setOptions(3, m3);
}

TEST(CuttingRun, TwoMaterialsWithOffcutsStockControlAndRunOut) {
  RunFolder f;
  twoMaterialJob(f);
  f.runOutChoice = warehouse::RunOutChoice::Finish;
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  const maps::MapsDocument& doc = w->document();

  // The options were offered for the three materials the window shows.
  ASSERT_EQ(f.offered.size(), 3u);
  EXPECT_EQ(f.offered[1].name, u("МДФ"));

  EXPECT_EQ(tabCaptions(doc), (QStringList{u("1: Листы 1 - 2 (A)"), u("2: Листы 3 - 5"), u("3: Лист 1")}));
  ASSERT_EQ(doc.mapCount(), 3);
  EXPECT_EQ(doc.map(0).Quantity, 2);
  EXPECT_TRUE(doc.map(0).IsScraps);
  EXPECT_EQ(doc.map(0).SheetName, "A");
  EXPECT_EQ(doc.map(1).Quantity, 3);
  EXPECT_EQ(doc.map(2).Quantity, 1);
  EXPECT_EQ(doc.map(0).MaterialCode, 1);
  EXPECT_EQ(doc.map(2).MaterialCode, 2);
  EXPECT_EQ(doc.map(1).Remark, "Заказ 17");
  EXPECT_EQ(doc.map(2).Remark, std::string());
  EXPECT_EQ(w->pageCount(), 3);
  EXPECT_EQ(w->tabs()->tabText(1), u("2: Листы 3 - 5"));

  // Stock control: what is left per size, in the window's list and in the
  // sheet view; the stock file itself is untouched.
  const auto& used = doc.usingSheets().entries();
  ASSERT_EQ(used.size(), 2u);
  EXPECT_EQ(used[0], (maps::UsedSheet{1, 2800, 2070, 0, 3}));
  EXPECT_EQ(used[1], (maps::UsedSheet{2, 2800, 2070, 0, 1}));
  EXPECT_EQ(f.stock().sheetStock(1, 2800, 2070), 3);
  EXPECT_EQ(f.stock().sheetStock(2, 2800, 2070), 1);
  dbase::Table& view = f.stock().tblSheets2();
  ASSERT_EQ(view.rowCount(), 1u);  // material 2's 2800 x 2070 dropped out at 0
  view.first();
  EXPECT_EQ(view.asInteger("LENGTH"), 1000);

  // Run-out of material 2: "Завершить разложение", then the question, then
  // the unplaced parts in the parts list's order (largest first).
  EXPECT_EQ(f.runOuts, 1);
  EXPECT_TRUE(f.texts.contains(u(kCreateUnplacedQuestion)));
  ASSERT_NE(f.unplaced, nullptr);
  EXPECT_EQ(f.unplaced->document().caption(), u("Неразложенные детали базы <без названия>"));
  const auto& rows = f.unplaced->document().allRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (parts::PartRow{"Дверь", 2000, 2050, 1, 1, 10, 10, 0, 0, 2, {}}));
  EXPECT_EQ(rows[1], (parts::PartRow{"Планка", 700, 100, 0, 2, 0, 0, 11, 0, 2, {}}));

  // Material 3 was disabled: no maps, no remark; the work file is gone.
  EXPECT_EQ(f.remarks.size(), 2u);
  EXPECT_EQ(f.remarks[1], "Заказ 17");
  EXPECT_FALSE(f.remarks.count(3));
  EXPECT_FALSE(QFileInfo::exists(f.path(QStringLiteral("Kroyna.tmp"))));

  // Status line before each pass, cleared at the end of each material.
  ASSERT_FALSE(f.statusTexts.isEmpty());
  EXPECT_EQ(f.statusTexts.first(), u("Осталось неразложено деталей: 5"));
  EXPECT_TRUE(f.statusTexts.contains(u("Осталось неразложено деталей: 3")));
  EXPECT_EQ(f.statusTexts.last(), QString());

  // The window is ready again with its final caption and statistics.
  EXPECT_FALSE(common::isBusy());
  EXPECT_FALSE(w->isRunning());
  EXPECT_EQ(w->windowTitle(), u("Вариант раскроя 1: \"База деталей: <без названия>\""));
  EXPECT_EQ(f.source().document().runCounter(), 1);
  auto* stats = w->findChild<maps::StatisticsDialog*>();
  ASSERT_NE(stats, nullptr);
  const auto& figures = stats->figures().rows;
  ASSERT_EQ(figures.size(), 6u);
  EXPECT_EQ(figures[3].first, u("Площадь деталей:"));
  // 2 x 600 x 400 + 3 x 2780 x 2050 + 2000 x 2050 + 700 x 100 mm².
  EXPECT_EQ(figures[3].second, u("21.747 кв м"));
  EXPECT_EQ(figures[4].second, QString::number(doc.totals().millCount));

  // Totals count each map Quantity times; edge use with allowances.
  const maps::MapTotals totals = doc.totals();
  EXPECT_DOUBLE_EQ(totals.sheetArea, 2 * 600.0 * 400 + 3 * 2800.0 * 2070 + 2800.0 * 2070);
  EXPECT_NEAR(totals.detals + totals.total, totals.sheetArea, 1e-6 * totals.sheetArea + totals.millLength * 4 + 1);
  const std::vector<maps::EdgeUseRow> edges = maps::edgeUseRows(totals, f.environment);
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(edges[0].name, u("ПВХ 2 мм"));
  EXPECT_EQ(edges[0].length, u("5.32"));  // 2 x (600 + 5) + 2 x (2050 + 5)
  EXPECT_EQ(edges[1].name, u("Меламин"));
  EXPECT_EQ(edges[1].length, u("6.85"));  // 3 x 2050 + 700

  // A second run of the same window counts on.
  f.setOptions(3, RunFolder::sheet(2800, 2070));
  f.setOptions(1, RunFolder::sheet(2800, 2070));
  f.setOptions(2, RunFolder::sheet(2800, 2070));
  maps::MapsWindow* again = f.run();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->windowTitle(), u("Вариант раскроя 2: \"База деталей: <без названия>\""));
  EXPECT_EQ(f.runOuts, 1);
}

TEST(CuttingRun, ContinueOnCurrentSizeStopsCounting) {
  RunFolder f;
  twoMaterialJob(f);
  f.runOutChoice = warehouse::RunOutChoice::ContinueCurrentSize;
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(tabCaptions(w->document()),
            (QStringList{u("1: Листы 1 - 2 (A)"), u("2: Листы 3 - 5"), u("3: Лист 1"), u("4: Лист 2")}));
  EXPECT_EQ(w->document().usingSheets().entries()[1], (maps::UsedSheet{2, 2800, 2070, 0, 1}));
  EXPECT_EQ(f.unplaced, nullptr);
  EXPECT_FALSE(f.texts.contains(u(kCreateUnplacedQuestion)));
}

TEST(CuttingRun, OtherSizeTooSmallEndsTheMaterialWithItsUnplacedParts) {
  RunFolder f;
  twoMaterialJob(f);
  f.runOutChoice = warehouse::RunOutChoice::OtherSize;
  f.sheetChoice = warehouse::SheetChoice{1000, 500, 4};
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  // The choice offered only what the view still had.
  EXPECT_EQ(f.sheetViewSizes, QStringList{QStringLiteral("1000x500:4")});
  EXPECT_EQ(w->document().usingSheets().entries().back(), (maps::UsedSheet{2, 1000, 500, 4, 4}));
  // The door fits no 1000 x 500 sheet: the material ends with a message
  // that names it, and the parts go to the unplaced base on "Yes".
  EXPECT_EQ(w->document().mapCount(), 3);
  EXPECT_TRUE(f.texts.contains(placedNothingQuestion(u("МДФ"), {u("Дверь")})));
  ASSERT_NE(f.unplaced, nullptr);
  ASSERT_EQ(f.unplaced->document().allRows().size(), 2u);
  EXPECT_EQ(f.unplaced->document().allRows()[0].quantity, 1);
  EXPECT_FALSE(common::isBusy());
}

TEST(CuttingRun, CancelledSheetChoiceEndsTheMaterialWithoutQuestion) {
  RunFolder f;
  twoMaterialJob(f);
  f.runOutChoice = warehouse::RunOutChoice::OtherSize;
  f.sheetChoice.reset();
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(f.sheetChoices, 1);
  EXPECT_EQ(w->document().mapCount(), 3);
  EXPECT_EQ(f.unplaced, nullptr);
  EXPECT_EQ(w->document().usingSheets().count(), 2);
}

TEST(CuttingRun, UnplacedPartsOfTwoMaterialsGoToOneBase) {
  RunFolder f;
  f.addSheets(1000, 800, 1, 1);
  f.addSheets(1000, 800, 1, 2);
  f.addPart("Бок", 900, 700, 3, 0, 1);
  f.addPart("Фасад", 900, 700, 2, 0, 2);
  f.setOptions(1, RunFolder::sheet(1000, 800, true));
  f.setOptions(2, RunFolder::sheet(1000, 800, true));
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(f.runOuts, 2);
  ASSERT_NE(f.unplaced, nullptr);
  EXPECT_EQ(f.partsBases.size(), 1u);
  const auto& rows = f.unplaced->document().allRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "Бок");
  EXPECT_EQ(rows[0].quantity, 2);
  EXPECT_EQ(rows[1].name, "Фасад");
  EXPECT_EQ(rows[1].quantity, 1);
  EXPECT_EQ(rows[1].material, 2);
}

// ---- Messages and refusals ----

TEST(CuttingRun, NothingToLayOut) {
  RunFolder f;
  EXPECT_EQ(f.run(), nullptr);
  EXPECT_EQ(f.texts, QStringList{u(kNoMaterialsMessage)});
  EXPECT_TRUE(f.offered.empty());
  EXPECT_TRUE(f.mapsWindows.empty());

  // Cancelled options: no window either.
  f.addPart("Бок", 500, 400, 1, 0, 1);
  f.cancelOptions = true;
  EXPECT_EQ(f.run(), nullptr);
  EXPECT_TRUE(f.mapsWindows.empty());
}

TEST(CuttingRun, RefusedMaterialsAreSkippedAndTheRunGoesOn) {
  RunFolder f;
  f.addPart("Длинная", 2781, 500, 1, 1, 1);  // no turning: longer than 2780
  f.addPart("Пусто", 500, 400, 0, 0, 2);     // no copies
  f.addPart("Стойка", 500, 2780, 1, 0, 3);   // fits turned
  f.addPart("Ригель", 2780, 500, 1, 1, 3);   // fits as given
  for (int code : {1, 2, 3}) f.setOptions(code, RunFolder::sheet(2800, 2070));
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(f.texts,
            (QStringList{u("Разложение деталей материала <ДСП белый> невозможно!\r\rРазмер одной или более деталей "
                           "больше размера листа."),
                         u("Разложение невозможно!\r\rТекущая база не содержит деталей из материала <МДФ>."),
                         u("Не разложены строки базы деталей (1), в которых не задан размер или количество:\r\r"
                           "\"Пусто\" 500 x 400, 0 шт. (МДФ): количество 0")}));
  ASSERT_EQ(w->document().mapCount(), 1);
  EXPECT_EQ(w->document().map(0).MaterialCode, 3);
  EXPECT_EQ(w->document().map(0).Parts.size(), 2u);
  EXPECT_EQ(tabCaptions(w->document()), QStringList{u("1: Лист 1")});
}

// Rows without a size or without copies are passed over, not "placed" as
// slivers, and the run ends by naming them with the reason.
TEST(CuttingRun, RowsPassedOverAreNamedAtTheEnd) {
  RunFolder f;
  f.addPart("Дверь", 0, 396, 3, 1, 1);  // a length the import could not read
  f.addPart("Бок", 700, 300, 2, 0, 1);
  f.addPart("Полка", 560, 280, 0, 0, 1);
  f.addPart("", 0, 0, 0, 0, 1);
  f.addPart("Фасад", 716, 0, 1, 1, 2);
  for (int code : {1, 2}) f.setOptions(code, RunFolder::sheet(2800, 2070));
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->document().mapCount(), 1);
  ASSERT_EQ(w->document().map(0).Parts.size(), 2u);
  for (const maps::MapPart& p : w->document().map(0).Parts) EXPECT_EQ(p.Title, "Бок");
  ASSERT_EQ(f.texts.size(), 2);
  EXPECT_EQ(f.texts[0], u("Разложение невозможно!\r\rТекущая база не содержит деталей из материала <МДФ>."));
  EXPECT_EQ(f.texts[1], u("Не разложены строки базы деталей (4), в которых не задан размер или количество:\r\r"
                          "\"Дверь\" 0 x 396, 3 шт. (ДСП белый): нулевой размер\r"
                          "\"Полка\" 560 x 280, 0 шт. (ДСП белый): количество 0\r"
                          "\"<без шифра>\" 0 x 0, 0 шт. (ДСП белый): нулевой размер, количество 0\r"
                          "\"Фасад\" 716 x 0, 1 шт. (МДФ): нулевой размер"));
}

// A run whose every material is refused hands over no map: after the
// message no empty "Вариант раскроя" stays open to be accepted or saved.
TEST(CuttingRun, ARunWithoutMapsLeavesNoMapsWindow) {
  RunFolder f;
  f.addPart("Столешница", 3000, 600, 1, 0, 1);  // longer than the sheet either way
  f.setOptions(1, RunFolder::sheet(2800, 2070));
  EXPECT_EQ(f.run(), nullptr);
  EXPECT_EQ(f.texts, QStringList{u("Разложение деталей материала <ДСП белый> невозможно!\r\rРазмер одной или "
                                   "более деталей больше размера листа.")});
  ASSERT_EQ(f.mapsWindows.size(), 1u);
  maps::MapsWindow* w = f.mapsWindows.front().data();
  EXPECT_TRUE(w == nullptr || !w->isVisible());
  // The run did not count: the next one with a map is the first.
  f.addPart("Полка", 600, 400, 1, 0, 2);
  f.setOptions(2, RunFolder::sheet(2800, 2070));
  maps::MapsWindow* second = f.run();
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->windowTitle().startsWith(u("Вариант раскроя 1: ")));
}

TEST(CuttingRun, StockThatCannotBeReadLeavesStandardSheets) {
  RunFolder f;
  f.addOffcut("A", 600, 400, 1, 1);
  f.addPart("Полка", 600, 400, 1, 0, 1);
  f.setOptions(1, RunFolder::sheet(2800, 2070, false, true));
  f.stock().tblScraps().close();
  {
    QFile damaged(f.path(QStringLiteral("Temp/TempSc.dbf")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a table");
  }
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(f.texts, QStringList{u(kReadErrorMessage)});
  ASSERT_EQ(w->document().mapCount(), 1);
  EXPECT_FALSE(w->document().map(0).IsScraps);
}

TEST(CuttingRun, OnlyTheMaterialsTheWindowShows) {
  RunFolder f;
  f.addPart("Бок", 500, 400, 1, 0, 1);
  f.addPart("Фасад", 600, 400, 1, 0, 2);
  f.source().SetMaterialFilter(2);
  f.setOptions(2, RunFolder::sheet(2800, 2070));
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(f.offered.size(), 1u);
  EXPECT_EQ(f.offered[0].code, 2);
  ASSERT_EQ(w->document().mapCount(), 1);
  EXPECT_EQ(w->document().map(0).MaterialCode, 2);
}

// ---- Abort and close during a run ----

void threeMaterialJob(RunFolder& f) {
  for (int code : {1, 2, 3}) {
    for (int i = 0; i < 6; ++i)
      f.addPart(QStringLiteral("P%1-%2").arg(code).arg(i).toUtf8().constData(), 300 + 97 * i, 200 + 41 * i, 5, 0, code);
    f.setOptions(code, RunFolder::sheet(2800, 2070, false, false, 40));
  }
}

TEST(CuttingRun, AbortKeepsTheCurrentPassAndStopsTheRun) {
  RunFolder f;
  threeMaterialJob(f);
  f.onEvents = [&f] {
    if (f.events == 5 && !f.mapsWindows.empty()) {
      maps::MapsWindow* w = f.mapsWindows.back();
      EXPECT_TRUE(w->isRunning());
      EXPECT_TRUE(common::isBusy());
      EXPECT_TRUE(w->action(QStringLiteral("abort"))->isVisible());
      w->action(QStringLiteral("abort"))->trigger();
    }
  };
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(f.texts.contains(u("Действительно прервать разложение?")));
  // The pass in progress still gave its map; no later pass, no other
  // material; the events stopped within that pass (41 variants).
  ASSERT_EQ(w->document().mapCount(), 1);
  EXPECT_EQ(w->document().map(0).MaterialCode, 1);
  EXPECT_EQ(f.events, 5);
  EXPECT_EQ(w->windowTitle(), u("Вариант раскроя 1: \"База деталей: <без названия>\""));
  EXPECT_NE(w->findChild<maps::StatisticsDialog*>(), nullptr);
  EXPECT_FALSE(common::isBusy());
  EXPECT_FALSE(w->isRunning());
  EXPECT_TRUE(w->action(QStringLiteral("save"))->isVisible());
}

TEST(CuttingRun, AbortAnsweredNoGoesOn) {
  RunFolder f;
  threeMaterialJob(f);
  f.answers[u("Действительно прервать разложение?")] = common::MsgResult::No;
  f.onEvents = [&f] {
    if (f.events == 3) f.mapsWindows.back()->action(QStringLiteral("abort"))->trigger();
  };
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  QList<int> codes = w->document().materialCodes();
  EXPECT_EQ(codes, (QList<int>{1, 2, 3}));
}

TEST(CuttingRun, ClosingTheMapsWindowEndsTheRun) {
  RunFolder f;
  threeMaterialJob(f);
  f.onEvents = [&f] {
    if (f.events == 4) {
      EXPECT_FALSE(f.mapsWindows.back()->close());  // refused, recorded
    }
  };
  EXPECT_EQ(f.run(), nullptr);
  ASSERT_EQ(f.mapsWindows.size(), 1u);
  maps::MapsWindow* w = f.mapsWindows.back();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(f.events, 4);
  // Closed without the save question; nothing left busy; the status line
  // cleared.
  EXPECT_TRUE(f.texts.isEmpty());
  EXPECT_FALSE(common::isBusy());
  EXPECT_EQ(f.statusTexts.last(), QString());
  EXPECT_EQ(f.source().document().runCounter(), 0);
}

// ---- The same maps as kroyna-cut ----

nlohmann::json jobOf(const RunFolder&, const QString& material, const std::vector<parts::PartRow>& rows, int code,
                     const OptimRecord& optim,
                     const std::vector<std::pair<std::string, std::pair<int, int>>>& offcuts) {
  nlohmann::json job;
  job["material"] = material.toStdString();
  job["sheet"] = {{"length", optim.length}, {"width", optim.width}};
  job["variants"] = optim.depth;
  if (optim.improved) {
    job["search"] = "improved";
    job["baseSearch"] = optim.fullSearch ? "full" : "quick";
    job["effort"] = optim.effort;
    job["stages"] = optim.stages;
  } else {
    job["search"] = optim.fullSearch ? "full" : "quick";
  }
  job["stockControl"] = optim.stockControl;
  job["stockCount"] = optim.stock;
  job["offcuts"] = nlohmann::json::array();
  for (const auto& [name, size] : offcuts)
    job["offcuts"].push_back({{"name", name}, {"length", size.first}, {"width", size.second}});
  job["parts"] = nlohmann::json::array();
  for (const parts::PartRow& r : rows)
    if (r.material == code)
      job["parts"].push_back({{"name", r.name},
                              {"length", r.length},
                              {"width", r.width},
                              {"many", r.quantity},
                              {"rotate", r.rotation},
                              {"edges", {r.left, r.right, r.top, r.bottom}}});
  return job;
}

nlohmann::json runKroynaCut(const nlohmann::json& job) {
  QProcess cut;
  cut.start(QStringLiteral(KROYNA_BINARY_DIR "/tools/cut/kroyna-cut"), {QStringLiteral("-")});
  EXPECT_TRUE(cut.waitForStarted()) << "kroyna-cut is built with the tests";
  cut.write(QByteArray::fromStdString(job.dump()));
  cut.closeWriteChannel();
  EXPECT_TRUE(cut.waitForFinished(120000));
  EXPECT_EQ(cut.exitCode(), 0) << cut.readAllStandardError().toStdString();
  return nlohmann::json::parse(cut.readAllStandardOutput().toStdString(), nullptr, false);
}

// Compares the maps of one material in the document with kroyna-cut's.
void expectSameMaps(const maps::MapsDocument& doc, int code, const nlohmann::json& result) {
  ASSERT_TRUE(result.is_object());
  std::vector<int> indices;
  for (int i = 0; i < doc.mapCount(); ++i)
    if (doc.map(i).MaterialCode == code) indices.push_back(i);
  const auto& maps = result["maps"];
  ASSERT_FALSE(indices.empty());
  ASSERT_EQ(indices.size(), maps.size());
  for (std::size_t n = 0; n < indices.size(); ++n) {
    SCOPED_TRACE(n);
    const maps::SheetMap& m = doc.map(indices[n]);
    const auto& j = maps[n];
    EXPECT_EQ(m.length, j["sheet"]["length"].get<int>());
    EXPECT_EQ(m.width, j["sheet"]["width"].get<int>());
    EXPECT_EQ(m.IsScraps, j["offcut"].get<bool>());
    EXPECT_EQ(m.SheetName, j["name"].get<std::string>());
    EXPECT_EQ(m.Quantity, j["quantity"].get<int>());
    ASSERT_EQ(m.Parts.size(), j["parts"].size());
    for (std::size_t p = 0; p < m.Parts.size(); ++p) {
      const auto& jp = j["parts"][p];
      EXPECT_EQ(m.Parts[p].Title, jp["name"].get<std::string>());
      EXPECT_EQ(m.Parts[p].x, jp["x"].get<int>());
      EXPECT_EQ(m.Parts[p].y, jp["y"].get<int>());
      EXPECT_EQ(m.Parts[p].length, jp["length"].get<int>());
      EXPECT_EQ(m.Parts[p].width, jp["width"].get<int>());
      EXPECT_EQ(m.Parts[p].LeftBorder, jp["edges"][0].get<int>());
      EXPECT_EQ(m.Parts[p].TopBorder, jp["edges"][2].get<int>());
    }
    ASSERT_EQ(m.Offcuts.size(), j["offcuts"].size());
    for (std::size_t o = 0; o < m.Offcuts.size(); ++o) {
      EXPECT_EQ(m.Offcuts[o].x, j["offcuts"][o]["x"].get<int>());
      EXPECT_EQ(m.Offcuts[o].y, j["offcuts"][o]["y"].get<int>());
      EXPECT_EQ(m.Offcuts[o].length, j["offcuts"][o]["length"].get<int>());
      EXPECT_EQ(m.Offcuts[o].width, j["offcuts"][o]["width"].get<int>());
    }
    EXPECT_EQ(m.Cuts.size(), j["cuts"].size());
    EXPECT_EQ(m.MillLinesCount, j["cutCount"].get<int>());
    EXPECT_DOUBLE_EQ(m.MillLinesLength, j["cutLength"].get<double>());
  }
}

TEST(CuttingRun, MapsEqualThoseOfTheHeadlessCutter) {
  RunFolder f;
  f.addSheets(2800, 2070, 4, 1);
  f.addOffcut("A", 1200, 600, 1, 1);
  f.addOffcut("B", 900, 450, 2, 1);
  // A kitchen-like order over two materials, rotation rules mixed.
  const char* names[] = {"Бок", "Дно", "Полка", "Царга", "Фасад", "Задняя", "Крышка", "Планка"};
  for (int i = 0; i < 8; ++i)
    f.addPart(names[i], 300 + 173 * i % 1500, 100 + 89 * i % 560, 1 + i % 4, i % 3, 1 + i % 2, i % 2 ? 10 : 0, 0,
              i % 3 ? 11 : 0, 0);
  OptimRecord m1 = RunFolder::sheet(2800, 2070, true, true, 30);
  OptimRecord m2 = RunFolder::sheet(2440, 1830, false, false, 30);
  f.setOptions(1, m1);
  f.setOptions(2, m2);
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  ASSERT_GT(w->document().mapCount(), 1);

  const std::vector<parts::PartRow> rows = f.source().document().allRows();
  m1.stock = 4;
  const nlohmann::json r1 =
      runKroynaCut(jobOf(f, u("ДСП белый"), rows, 1, m1, {{"A", {1200, 600}}, {"B", {900, 450}}, {"B", {900, 450}}}));
  expectSameMaps(w->document(), 1, r1);
  const nlohmann::json r2 = runKroynaCut(jobOf(f, u("МДФ"), rows, 2, m2, {}));
  expectSameMaps(w->document(), 2, r2);
  EXPECT_EQ(maps::statisticsFigures(w->document(), QString()).search, u("Быстрый"));
}

// The improved search's maps go through the maps window unchanged: the
// document holds what kroyna-cut prints for the same job, with the stored
// stage limit and the stored quick or full search beside it.
TEST(CuttingRun, ImprovedMapsEqualThoseOfTheHeadlessCutter) {
  RunFolder f;
  f.addSheets(2800, 2070, 9, 1);
  f.addOffcut("A", 1200, 600, 1, 1);
  f.addOffcut("B", 900, 450, 2, 1);
  const char* names[] = {"Бок", "Дно", "Полка", "Царга", "Фасад", "Задняя", "Крышка", "Планка"};
  for (int i = 0; i < 8; ++i)
    f.addPart(names[i], 300 + 173 * i % 1500, 100 + 89 * i % 560, 5 + i % 4, i % 3, 1 + i % 2, i % 2 ? 10 : 0, 0,
              i % 3 ? 11 : 0, 0);
  OptimRecord m1 = RunFolder::sheet(2800, 2070, true, true, 10);
  m1.improved = true;
  m1.effort = 1;
  m1.fullSearch = 1;
  m1.stages = 3;
  OptimRecord m2 = RunFolder::sheet(2440, 1830, false, false, 10);
  m2.improved = true;
  m2.effort = 2;
  m2.stages = 2;
  f.setOptions(1, m1);
  f.setOptions(2, m2);
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  ASSERT_GT(w->document().mapCount(), 1);
  EXPECT_TRUE(f.texts.isEmpty()) << f.texts.join(QLatin1Char('\n')).toStdString();

  const std::vector<parts::PartRow> rows = f.source().document().allRows();
  m1.stock = 9;
  const nlohmann::json r1 =
      runKroynaCut(jobOf(f, u("ДСП белый"), rows, 1, m1, {{"A", {1200, 600}}, {"B", {900, 450}}, {"B", {900, 450}}}));
  // The stored full search beside the improved one laid the first
  // material out better for the shop, and its maps were kept.
  EXPECT_EQ(r1["searchUsed"], "full");
  expectSameMaps(w->document(), 1, r1);
  const nlohmann::json r2 = runKroynaCut(jobOf(f, u("МДФ"), rows, 2, m2, {}));
  EXPECT_EQ(r2["searchUsed"], "improved");
  expectSameMaps(w->document(), 2, r2);
  // Without the limit the second material's maps would differ.
  m2.stages = 0;
  const nlohmann::json free = runKroynaCut(jobOf(f, u("МДФ"), rows, 2, m2, {}));
  EXPECT_NE(free["maps"], r2["maps"]);

  // "Статистика" names the search that made the maps shown.
  maps::MapsDocument& doc = w->document();
  EXPECT_EQ(maps::statisticsFigures(doc, QString()).search, u("Полный, Улучшенный"));
  doc.setMaterialFilter(2);
  EXPECT_EQ(maps::statisticsFigures(doc, QString()).search, u("Улучшенный"));
}

// "Прервать" during the improved search keeps the best layout found so far
// and ends the run; the progress bar ran meanwhile.
TEST(CuttingRun, ImprovedSearchShowsProgressAndAbortKeepsTheBestSoFar) {
  RunFolder f;
  for (int code : {1, 2}) {
    for (int i = 0; i < 12; ++i)
      f.addPart(QStringLiteral("P%1-%2").arg(code).arg(i).toUtf8().constData(), 300 + 97 * i, 200 + 41 * i, 15, 0,
                code);
    OptimRecord o = RunFolder::sheet(2800, 2070, false, false, 0);
    o.improved = true;
    o.effort = 10;
    f.setOptions(code, o);
  }
  int progressShown = 0;
  f.onEvents = [&f, &progressShown] {
    if (f.mapsWindows.empty()) return;
    maps::MapsWindow* w = f.mapsWindows.back();
    if (w->progressBar()->isVisible() && w->progressBar()->maximum() > 0) ++progressShown;
    if (f.events == 3) w->action(QStringLiteral("abort"))->trigger();
  };
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_GE(f.events, 3);
  EXPECT_GT(progressShown, 0);
  EXPECT_TRUE(f.texts.contains(u("Действительно прервать разложение?")));
  // The first material has its maps, every copy on them; the second never ran.
  ASSERT_GT(w->document().mapCount(), 0);
  EXPECT_EQ(w->document().materialCodes(), (QList<int>{1}));
  EXPECT_FALSE(common::isBusy());
  EXPECT_FALSE(w->isRunning());
}

// With a machine limit the improved search cannot be used: the material is
// laid out by the quick search and the run says so.
TEST(CuttingRun, ImprovedSearchUnderAMachineLimitSaysSo) {
  RunFolder f;
  f.settings().writeInt("Default", "Technics", 1);
  f.settings().writeString("Default", "PropilLen", "2000");
  f.addPart("Полка", 600, 300, 4, 0, 1);
  OptimRecord o = RunFolder::sheet(2800, 2070);
  o.improved = true;
  f.setOptions(1, o);
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->document().mapCount(), 1);
  EXPECT_TRUE(f.texts.contains(
      improvedFallbackMessage(u("ДСП белый"), engine::ImprovedFallback::MachineLimit, engine::SearchUsed::Quick)))
      << f.texts.join(QLatin1Char('\n')).toStdString();
  EXPECT_NE(improvedFallbackMessage(u("ДСП белый"), engine::ImprovedFallback::MachineLimit, engine::SearchUsed::Quick)
                .indexOf(u("Материал <ДСП белый> разложен быстрым перебором.")),
            -1);
  // The statistics name the search that made the maps, not the one asked for.
  EXPECT_EQ(maps::statisticsFigures(w->document(), QString()).search, u("Быстрый"));
}

}  // namespace
}  // namespace kroyna::run::test

namespace kroyna::run::test {
namespace {

// ---- The commands ----

TEST(CuttingRunCommand, RunButtonOfAPartsWindowStartsOneRunAtATime) {
  RunFolder f;
  f.addPart("Бок", 720, 560, 2, 0, 1);
  f.setOptions(1, RunFolder::sheet(2800, 2070));
  QAction* action = f.source().runAction();
  EXPECT_FALSE(action->isEnabled());
  attachToPartsWindow(f.source());
  attachToPartsWindow(f.source());  // a window activated again is not wired twice
  EXPECT_TRUE(action->isEnabled());

  setRunServices([&f] { return f.services(); });
  int nested = 0;
  f.onEvents = [&] {
    // A second press while the run goes on is ignored.
    if (f.events == 1) {
      action->trigger();
      nested = static_cast<int>(f.mapsWindows.size());
    }
  };
  action->trigger();
  setRunServices({});
  EXPECT_EQ(nested, 1);
  ASSERT_EQ(f.mapsWindows.size(), 1u);
  ASSERT_NE(f.mapsWindows[0], nullptr);
  EXPECT_EQ(tabCaptions(f.mapsWindows[0]->document()), QStringList{u("1: Лист 1")});
  EXPECT_EQ(f.source().document().runCounter(), 1);
}

// "&Разложить" has nothing to lay out while the window shows no rows: a
// new base, a material without parts, a base whose last row went.
TEST(CuttingRunCommand, RunButtonIsEnabledOnlyWhileTheWindowShowsRows) {
  RunFolder f;
  parts::PartsWindow& window = f.source();
  QAction* action = window.runAction();
  attachToPartsWindow(window);
  EXPECT_FALSE(action->isEnabled());
  f.addPart("Бок", 720, 560, 2, 0, 1);
  EXPECT_TRUE(action->isEnabled());
  window.SetMaterialFilter(2);
  EXPECT_FALSE(action->isEnabled());
  window.showAllMaterials();
  EXPECT_TRUE(action->isEnabled());
  window.document().removeRow(0);
  EXPECT_FALSE(action->isEnabled());
  f.addPart("Полка", 564, 300, 4, 0, 1);
  EXPECT_TRUE(action->isEnabled());
}

}  // namespace
}  // namespace kroyna::run::test

namespace kroyna::run::test {
namespace {

TEST(CuttingRunCommand, MainMenuCommandFollowsTheActiveWindow) {
  RunFolder f;
  const common::DataRoot root(f.root());
  common::Settings settings(f.path(QStringLiteral("main.ini")).toStdString());
  shell::MainWindow main(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&main);
  install(context);
  main.show();
  QAction* command = main.command(QStringLiteral("cut.run"));
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
  EXPECT_FALSE(command->isEnabled());

  f.addPart("Бок", 720, 560, 2, 0, 1);
  QMdiSubWindow* parts = main.addDocument(&f.source());
  main.documentArea()->setActiveSubWindow(parts);
  EXPECT_TRUE(command->isEnabled());
  EXPECT_TRUE(f.source().runAction()->isEnabled());

  auto* other = new QWidget;
  QMdiSubWindow* sub = main.addDocument(other);
  main.documentArea()->setActiveSubWindow(sub);
  EXPECT_FALSE(command->isEnabled());

  // The sub-window frame must not delete the source window the folder owns.
  parts->setWidget(nullptr);
  f.source().setParent(nullptr);
}

}  // namespace
}  // namespace kroyna::run::test
