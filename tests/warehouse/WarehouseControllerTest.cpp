#include "StockFixture.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/WarehouseDialogs.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <deque>

namespace kroyna::warehouse {
namespace {

using common::MsgButtons;
using common::MsgIcon;
using common::MsgResult;
using testing::Answers;
using testing::OffcutSpec;
using testing::rowsOf;
using testing::StockFolder;

struct Stock {
  Stock() : ini(f.root() / "Kroyna.ini") {
    f.storeSheet(2800, 2070, 5, 3);
    f.storeOffcut({"A-1", 600, 400, 1, 3});
    module = std::make_unique<StockModule>(f.root(), *f.materials);
    controller = std::make_unique<WarehouseController>(*module, ini);
    controller->makeWorkingCopies();
    controller->rebuildBar(0);
  }
  StockFolder f;
  ini::IniFile ini;
  std::unique_ptr<StockModule> module;
  std::unique_ptr<WarehouseController> controller;
};

TEST(WarehouseController, BarStartsWithAllMaterialsAndKeepsOrFallsBack) {
  Stock s;
  ASSERT_EQ(s.controller->bar().size(), 4);
  EXPECT_EQ(s.controller->bar()[0].code, kAllMaterials);
  EXPECT_EQ(s.controller->bar()[0].name, "<все материалы>");
  EXPECT_EQ(s.controller->bar()[1].name, "ДВП 3");         // name order
  EXPECT_EQ(s.controller->selectedCode(), kAllMaterials);  // 0 is not a material
  s.controller->select(4);
  s.controller->rebuildBar();
  EXPECT_EQ(s.controller->selectedCode(), 4);
}

TEST(WarehouseController, CancelOnSheetsThenYesOnOffcutsSavesOffcutsAndStaysOpen) {
  Stock s;
  s.module->addSheets(1000, 1000, 1, 3);
  s.module->bookInOffcut("", 700, 300, 1, 3, {2005, 3, 1});
  Answers a({MsgResult::Cancel, MsgResult::Yes});
  EXPECT_FALSE(s.controller->queryClose());
  EXPECT_EQ(a.shown,
            (QStringList{"Сохранить изменения в базе стандартных листов?", "Сохранить изменения в базе остатков?"}));
  EXPECT_EQ(rowsOf(s.f.stored(StockKind::Scraps)).size(), 2u);
  EXPECT_EQ(rowsOf(s.f.stored(StockKind::Sheets)).size(), 1u);
  EXPECT_TRUE(s.module->sheetsChanged());
  EXPECT_FALSE(s.module->scrapsChanged());
}

TEST(WarehouseController, NoRevertsToTheStoredStock) {
  Stock s;
  s.module->bookInOffcut("", 700, 300, 1, 3, {2005, 3, 1});
  const auto stored = rowsOf(s.f.stored(StockKind::Scraps));
  Answers a({MsgResult::No});
  EXPECT_TRUE(s.controller->queryClose());
  EXPECT_EQ(rowsOf(s.f.stored(StockKind::Scraps)), stored);
  EXPECT_EQ(rowsOf(s.module->workingCopy(StockKind::Scraps)), stored);
  EXPECT_FALSE(s.module->scrapsChanged());
  // Nothing unsaved: no question at all.
  Answers none;
  EXPECT_TRUE(s.controller->queryClose());
  EXPECT_TRUE(none.shown.isEmpty());
}

TEST(WarehouseController, AddSheetChecksTheInputInOrder) {
  EXPECT_EQ(checkAddSheet({"", "1", "1", 3})->message, "Длина листа должна быть больше 0.");
  EXPECT_EQ(checkAddSheet({"0", "1", "1", 3})->field, 0);
  EXPECT_EQ(checkAddSheet({"10", "-1", "1", 3})->message, "Ширина листа должна быть больше 0.");
  EXPECT_EQ(checkAddSheet({"10", "10", "0", 3})->message, "Количество листов должно быть больше 0.");
  EXPECT_EQ(checkAddSheet({"10", "10", "1", std::nullopt})->message, "Необходимо указать название материала листа.");
  EXPECT_EQ(checkAddSheet({"10", "10", "1", kAllMaterials})->field, 3);
  EXPECT_FALSE(checkAddSheet({"2800", "2070", "5", 3}));

  Stock s;
  Answers a;
  EXPECT_TRUE(s.controller->addSheet({"2800", "2070", "5", 3}));
  EXPECT_FALSE(s.controller->addSheet({"2800", "2070", "x", 3}));
  EXPECT_EQ(a.shown, QStringList{"Количество листов должно быть больше 0."});
  EXPECT_EQ(rowsOf(s.module->workingCopy(StockKind::Sheets)),
            (std::vector<std::vector<std::string>>{{"2800", "2070", "10", "3"}}));
}

TEST(WarehouseController, DeleteAsksAndClearAsksByMaterial) {
  Stock s;
  {
    Answers a({MsgResult::No});
    s.controller->deleteRow(StockKind::Sheets);
    EXPECT_EQ(a.shown, QStringList{"Действительно удалить запись\rиз базы стандартных листов?"});
    EXPECT_EQ(s.module->tblSheets().rowCount(), 1u);
  }
  {
    Answers a({MsgResult::Yes});
    s.controller->deleteRow(StockKind::Scraps);
    EXPECT_EQ(s.module->tblScraps().rowCount(), 0u);
    EXPECT_TRUE(s.module->scrapsChanged());
  }
  s.module->bookInOffcut("", 700, 300, 1, 4, {2005, 3, 1});
  s.controller->select(3);
  {
    Answers a({MsgResult::Yes});
    s.controller->clearOffcuts();
    EXPECT_EQ(a.shown, QStringList{"ВНИМАНИЕ!\r\rДействительно очистить базу остатков текущего материала?"});
    EXPECT_EQ(rowsOf(s.module->workingCopy(StockKind::Scraps)).size(), 1u);
  }
  s.controller->select(kAllMaterials);
  {
    Answers a({MsgResult::Yes});
    s.controller->clearOffcuts();
    EXPECT_EQ(a.shown, QStringList{"ВНИМАНИЕ!\r\rДействительно очистить ВСЮ базу остатков?"});
    EXPECT_TRUE(rowsOf(s.module->workingCopy(StockKind::Scraps)).empty());
  }
}

TEST(WarehouseController, CriteriaForAllMaterialsGoToEverySection) {
  Stock s;
  s.ini.writeString("Material4", "Scrap", "1,0,0,1,100");
  Answers a;
  const common::ScrapCriteria stored = s.controller->beginScrapParams();
  EXPECT_FALSE(stored.lengthOn);
  common::ScrapCriteria c;
  c.joint = true;  // confirming always stores separate criteria
  c.lengthOn = true;
  c.p1 = 300;
  c.cleanUp = true;
  s.module->bookInOffcut("", 250, 900, 1, 4, {2005, 3, 1});
  s.module->setChanged(StockKind::Scraps, false);
  s.controller->applyScrapParams(c);
  for (const char* section : {"Material999", "Material3", "Material4", "Material5"})
    EXPECT_EQ(s.ini.readString(section, "Scrap"), "0,1,300,0,0,0,0,0,0,0,0,1") << section;
  EXPECT_TRUE(a.shown.isEmpty());
  EXPECT_TRUE(s.module->scrapsChanged());  // 250 x 900 of material 4 went
  EXPECT_EQ(rowsOf(s.module->workingCopy(StockKind::Scraps)).size(), 1u);
}

TEST(WarehouseController, DateFilterChecksDatesAndShowsItsStatus) {
  Stock s;
  s.module->bookInOffcut("B", 700, 300, 1, 3, {2005, 3, 2});
  Answers a;
  EXPECT_FALSE(s.controller->applyDateFilter(false, "31.02.2005", "01.03.2005"));
  EXPECT_EQ(a.shown, QStringList{"Ошибка ввода даты!\r\rПовторите ввод ещё раз."});
  EXPECT_FALSE(s.controller->dateFilterOn());
  EXPECT_TRUE(s.controller->applyDateFilter(false, "01.03.2005", "01.03.2005"));
  EXPECT_EQ(s.controller->statusText(), "Установлен фильтр (с 01.03.2005 по 01.03.2005 )");
  EXPECT_EQ(s.module->tblScraps().rowCount(), 1u);
  EXPECT_EQ(s.controller->filterFrom(), "01.03.2005");
  s.controller->select(3);  // the filter stays on
  EXPECT_EQ(s.module->tblScraps().rowCount(), 1u);
  EXPECT_TRUE(s.controller->applyDateFilter(true, "", ""));
  EXPECT_TRUE(s.controller->statusText().isEmpty());
  EXPECT_EQ(s.module->tblScraps().rowCount(), 2u);
}

TEST(WarehouseController, MarkingWithContinuousNumberingProposesTheSameStartAgain) {
  Stock s;
  s.module->bookInOffcut("", 700, 300, 1, 3, {2005, 3, 2});
  s.module->bookInOffcut("", 800, 300, 1, 3, {2005, 3, 2});
  s.controller->select(3);
  MarkInput in = s.controller->beginMarking();
  EXPECT_EQ(in.startWith, "1");
  in.continuous = true;
  in.prefix = "K";
  in.startWith = "10";
  ASSERT_TRUE(s.controller->applyMarking(in));
  std::vector<std::string> names;
  for (const auto& r : rowsOf(s.module->workingCopy(StockKind::Scraps))) names.push_back(r[0]);
  EXPECT_EQ(names, (std::vector<std::string>{"A-1", "K10", "K11"}));
  EXPECT_EQ(s.controller->beginMarking().startWith, "10");
  EXPECT_EQ(s.ini.readString("Material3", "Mark"), "1,K,,9");
}

TEST(WarehouseDialogs, SheetChoiceOnAnEmptyViewAndOnARow) {
  Stock s;
  s.module->addSheets(1830, 2440, 0, 4);
  s.module->openSheetView(4);  // only a row with MANY 0: nothing offered
  const auto empty = pickSheet(s.module->tblSheets2(), "МДФ 10");
  ASSERT_TRUE(std::holds_alternative<QString>(empty));
  EXPECT_EQ(std::get<QString>(empty), "Выбрать стандартный лист невозможно.\rБаза листов материала <МДФ 10> пустая.");
  s.module->openSheetView(3);
  EXPECT_EQ(std::get<SheetChoice>(pickSheet(s.module->tblSheets2(), "x")), (SheetChoice{2800, 2070, 5}));

  setSheetChoiceHandler([](StockModule& m, const QString&) -> std::optional<SheetChoice> {
    return std::get<SheetChoice>(pickSheet(m.tblSheets2(), ""));
  });
  EXPECT_EQ(chooseStandardSheet(*s.module, "ДСП"), (SheetChoice{2800, 2070, 5}));
  setSheetChoiceHandler({});
}

TEST(WarehouseDialogs, RunOutRemembersThePreviousChoice) {
  std::vector<RunOutChoice> offered;
  setRunOutHandler([&](RunOutChoice pre) {
    offered.push_back(pre);
    return RunOutChoice::OtherSize;
  });
  askRunOut();
  askRunOut();
  setRunOutHandler({});
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[1], RunOutChoice::OtherSize);
  RunOutDialog d(RunOutChoice::ContinueCurrentSize);
  EXPECT_EQ(d.choice(), RunOutChoice::ContinueCurrentSize);
}

}  // namespace
}  // namespace kroyna::warehouse
