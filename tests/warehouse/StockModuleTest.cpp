#include "StockFixture.h"

#include "platform/ini/IniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace kroyna::warehouse {
namespace {

using testing::OffcutSpec;
using testing::rowsOf;
using testing::StockFolder;
using Rows = std::vector<std::vector<std::string>>;

Rows sorted(Rows r) {
  std::sort(r.begin(), r.end());
  return r;
}

TEST(StockModule, AddingTheSameSheetTwiceAddsToOneRow) {
  StockFolder f;
  auto m = f.openModule();
  m->addSheets(2800, 2070, 5, 3);
  m->addSheets(2800, 2070, 5, 3);
  m->addSheets(2800, 2070, 5, 4);
  EXPECT_TRUE(m->sheetsChanged());
  EXPECT_FALSE(m->scrapsChanged());
  EXPECT_EQ(sorted(rowsOf(m->workingCopy(StockKind::Sheets))),
            (Rows{{"2800", "2070", "10", "3"}, {"2800", "2070", "5", "4"}}));
}

TEST(StockModule, AddingKeepsTheViewFilterAndRow) {
  StockFolder f;
  f.storeSheet(1000, 500, 1, 3);
  f.storeSheet(2000, 600, 2, 3);
  f.storeSheet(1830, 2440, 2, 4);
  auto m = f.openModule();
  m->selectMaterial(3, {});
  m->tblSheets().next();
  ASSERT_EQ(m->tblSheets().asInteger("LENGTH"), 2000);
  m->addSheets(1830, 2440, 3, 4);
  EXPECT_EQ(m->tblSheets().rowCount(), 2u);
  EXPECT_EQ(m->tblSheets().asInteger("LENGTH"), 2000);
  EXPECT_EQ(sorted(rowsOf(m->workingCopy(StockKind::Sheets))).back(),
            (std::vector<std::string>{"2000", "600", "2", "3"}));
}

TEST(StockModule, AddingRefusesASumBeyondWholeNumbers) {
  StockFolder f;
  f.storeSheet(1000, 500, 2147483000, 3);
  auto m = f.openModule();
  EXPECT_THROW(m->addSheets(1000, 500, 1000, 3), std::range_error);
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Sheets)), (Rows{{"1000", "500", "2147483000", "3"}}));
  EXPECT_FALSE(m->sheetsChanged());
}

TEST(StockModule, WorkingCopiesChangeButStoredTablesOnlyOnSave) {
  StockFolder f;
  f.storeSheet(2800, 2070, 5, 3);
  f.storeOffcut({"A-1", 600, 400, 1, 3});
  auto m = f.openModule();
  const Rows storedSheets = rowsOf(f.stored(StockKind::Sheets));
  const Rows storedScraps = rowsOf(f.stored(StockKind::Scraps));
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Sheets)), storedSheets);

  m->addSheets(2800, 2070, 1, 3);
  m->bookInOffcut("B", 700, 300, 2, 3, {2005, 3, 2});
  m->tblScraps().first();
  m->tblScraps().edit();
  m->tblScraps().setDouble("MANY", 7);
  m->tblScraps().post();
  EXPECT_EQ(rowsOf(f.stored(StockKind::Sheets)), storedSheets);
  EXPECT_EQ(rowsOf(f.stored(StockKind::Scraps)), storedScraps);

  m->save(StockKind::Sheets);
  EXPECT_FALSE(m->sheetsChanged());
  EXPECT_TRUE(m->scrapsChanged());
  EXPECT_EQ(rowsOf(f.stored(StockKind::Sheets)), (Rows{{"2800", "2070", "6", "3"}}));
  EXPECT_EQ(rowsOf(f.stored(StockKind::Scraps)), storedScraps);

  // Reverting the offcuts brings back the stored state.
  m->revert(StockKind::Scraps);
  EXPECT_FALSE(m->scrapsChanged());
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Scraps)), storedScraps);
  EXPECT_EQ(m->tblScraps().rowCount(), 1u);
}

TEST(StockModule, AFailedSaveKeepsTheStoredTableTheWorkingCopyAndTheFlag) {
  StockFolder f;
  f.storeSheet(2800, 2070, 5, 3);
  auto m = f.openModule();
  m->addSheets(1000, 1000, 1, 4);
  // The stored table cannot be replaced: a folder stands in its place.
  std::filesystem::remove(f.stored(StockKind::Sheets));
  std::filesystem::create_directory(f.stored(StockKind::Sheets));
  std::filesystem::create_directory(f.stored(StockKind::Sheets) / "keep");
  const Rows work = rowsOf(m->workingCopy(StockKind::Sheets));
  EXPECT_ANY_THROW(m->save(StockKind::Sheets));
  EXPECT_TRUE(m->sheetsChanged());
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Sheets)), work);
  EXPECT_TRUE(std::filesystem::is_directory(f.stored(StockKind::Sheets) / "keep"));
}

TEST(StockModule, MissingStoredTablesStartEmpty) {
  StockFolder f;
  auto m = f.openModule();
  EXPECT_TRUE(m->tblSheets().isEmpty());
  EXPECT_TRUE(m->tblScraps().isEmpty());
  EXPECT_TRUE(std::filesystem::exists(f.stored(StockKind::Scraps)));
  const OffcutLabelRows labels = m->offcutLabelRows();
  EXPECT_TRUE(labels.codes.empty());
}

TEST(StockModule, MergeSumsEqualRowsAndKeepsDifferentOnes) {
  StockFolder f;
  f.storeOffcut({"", 600, 400, 1, 3});
  f.storeOffcut({"", 600, 400, 2, 3});
  f.storeOffcut({"X", 600, 400, 1, 3});               // other name
  f.storeOffcut({"", 600, 400, 1, 4});                // other material
  f.storeOffcut({"", 600, 400, 1, 3, {2005, 3, 2}});  // other date
  f.storeOffcut({"X", 600, 400, 4, 3});
  auto m = f.openModule();
  m->mergeOffcuts();
  EXPECT_FALSE(std::filesystem::exists(m->scratchTable()));
  EXPECT_TRUE(m->tblScraps().isOpen());
  const Rows rows = rowsOf(m->workingCopy(StockKind::Scraps));
  EXPECT_EQ(sorted(rows), sorted(Rows{{"", "600", "400", "3", "3", "01.03.2005"},
                                      {"X", "600", "400", "5", "3", "01.03.2005"},
                                      {"", "600", "400", "1", "4", "01.03.2005"},
                                      {"", "600", "400", "1", "3", "02.03.2005"}}));
  std::set<std::tuple<std::string, std::string, std::string, std::string, std::string>> keys;
  for (const auto& r : rows) EXPECT_TRUE(keys.insert({r[0], r[1], r[2], r[4], r[5]}).second);
  EXPECT_EQ(m->tblScraps().rowCount(), 4u);
}

TEST(StockModule, AFailedMergeLeavesTheWorkingCopyAndNoScratchTable) {
  StockFolder f;
  f.storeOffcut({"", 600, 400, 1, 3});
  auto m = f.openModule();
  const Rows before = rowsOf(m->workingCopy(StockKind::Scraps));
  std::filesystem::remove(f.root() / "Pattern" / "Scraps.dbf");
  EXPECT_ANY_THROW(m->mergeOffcuts());
  EXPECT_FALSE(std::filesystem::exists(m->scratchTable()));
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Scraps)), before);
  EXPECT_TRUE(m->tblScraps().isOpen());
}

TEST(StockModule, ClearingOffcutsOfOneMaterialOrAll) {
  StockFolder f;
  f.storeOffcut({"a", 600, 400, 1, 3});
  f.storeOffcut({"b", 600, 400, 1, 4});
  f.storeOffcut({"c", 700, 400, 1, 3});
  auto m = f.openModule();
  EXPECT_EQ(m->clearOffcuts(5), 0u);
  EXPECT_FALSE(m->scrapsChanged());  // nothing went
  EXPECT_EQ(m->clearOffcuts(3), 2u);
  EXPECT_TRUE(m->scrapsChanged());
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Scraps)).size(), 1u);
  EXPECT_EQ(m->tblScraps().rowCount(), 1u);
  EXPECT_EQ(m->clearOffcuts(kAllMaterials), 1u);
  EXPECT_TRUE(m->tblScraps().isEmpty());
}

TEST(StockModule, ClearingReportsAFailedStatement) {
  StockFolder f;
  f.storeOffcut({"a", 600, 400, 1, 3});
  auto m = f.openModule();
  m->closeViews();
  std::filesystem::remove(m->workingCopy(StockKind::Scraps));
  EXPECT_ANY_THROW(m->clearOffcuts(3));
  EXPECT_FALSE(m->scrapsChanged());
}

class CleanUp : public ::testing::Test {
 protected:
  void SetUp() override {
    f.storeOffcut({"", 250, 900, 1, 3});
    f.storeOffcut({"", 600, 400, 1, 3});
    f.storeOffcut({"", 600, 500, 1, 3});
    f.storeOffcut({"", 2000, 50, 1, 3});
    f.storeOffcut({"", 250, 900, 1, 4});
    m = f.openModule();
  }
  std::set<std::string> left() {
    std::set<std::string> out;
    for (const auto& r : rowsOf(m->workingCopy(StockKind::Scraps))) out.insert(r[1] + "x" + r[2] + "/" + r[4]);
    return out;
  }
  StockFolder f;
  std::unique_ptr<StockModule> m;
};

TEST_F(CleanUp, NormalModeDeletesExactlyTheWasteOfTheMaterial) {
  common::ScrapCriteria c;
  c.lengthOn = true;
  c.p1 = 300;
  c.areaOn = true;
  c.area = 250000;
  const CleanUpResult r = m->cleanUp(3, c);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(r.deleted, 3u);  // 250 x 900, 600 x 400 and 2000 x 50 (0.10 m²)
  EXPECT_EQ(left(), (std::set<std::string>{"600x500/3", "250x900/4"}));
  EXPECT_TRUE(m->scrapsChanged());
  // What is left is exactly what the classification calls useful.
  for (const auto& row : rowsOf(m->workingCopy(StockKind::Scraps)))
    if (row[4] == "3") {
      EXPECT_TRUE(isUseful(c, std::stoi(row[1]), std::stoi(row[2])));
    }
}

TEST_F(CleanUp, ALengthLimitKeepsLongerOffcuts) {
  common::ScrapCriteria c;
  c.lengthOn = true;
  c.p1 = 300;
  c.areaOn = true;
  c.area = 250000;
  c.lengthLimitOn = true;
  c.p3 = 500;
  EXPECT_EQ(m->cleanUp(3, c).deleted, 1u);
  EXPECT_EQ(left(), (std::set<std::string>{"600x400/3", "600x500/3", "2000x50/3", "250x900/4"}));
}

TEST_F(CleanUp, JointModeWithOnlyTheWidthCriterion) {
  common::ScrapCriteria c;
  c.joint = true;
  c.widthOn = true;
  c.p2 = 100;
  EXPECT_EQ(m->cleanUp(3, c).deleted, 1u);
  EXPECT_EQ(left().count("2000x50/3"), 0u);
  // The maps call no offcut waste under the same record: the switched-off
  // length criterion counts as 0 there.
  EXPECT_TRUE(isUseful(c, 2000, 50));
}

TEST_F(CleanUp, NothingSwitchedOnChangesNothing) {
  const CleanUpResult r = m->cleanUp(3, common::ScrapCriteria{});
  EXPECT_EQ(r.deleted, 0u);
  EXPECT_FALSE(m->scrapsChanged());
  EXPECT_EQ(left().size(), 5u);
}

TEST_F(CleanUp, AFailedStatementIsReported) {
  m->closeViews();
  std::filesystem::remove(m->workingCopy(StockKind::Scraps));
  common::ScrapCriteria c;
  c.lengthOn = true;
  c.p1 = 300;
  c.widthOn = true;
  c.p2 = 100;
  const CleanUpResult r = m->cleanUp(3, c);
  EXPECT_EQ(r.failures.size(), 2u);
  EXPECT_FALSE(m->scrapsChanged());
}

TEST(StockModule, DateFilterAndMaterialSelection) {
  StockFolder f;
  f.storeOffcut({"a", 600, 400, 1, 3, {2005, 2, 28}});
  f.storeOffcut({"b", 600, 400, 1, 3, {2005, 3, 1}});
  f.storeOffcut({"c", 600, 400, 1, 4, {2005, 3, 1}});
  f.storeOffcut({"d", 600, 400, 1, 3, {2005, 3, 2}});
  f.storeSheet(100, 100, 1, 3);
  f.storeSheet(100, 100, 1, 4);
  auto m = f.openModule();
  const DateFilter day{true, {2005, 3, 1}, {2005, 3, 1}};
  m->selectMaterial(3, day);
  EXPECT_EQ(m->tblScraps().rowCount(), 1u);
  EXPECT_EQ(m->tblScraps().asString("NAME"), "b");
  EXPECT_EQ(m->tblSheets().rowCount(), 1u);
  m->selectMaterial(kAllMaterials, day);
  EXPECT_EQ(m->tblScraps().rowCount(), 2u);
  EXPECT_EQ(m->tblSheets().rowCount(), 2u);
  m->selectMaterial(kAllMaterials, DateFilter{true, {2005, 1, 10}, {2005, 1, 5}});
  EXPECT_EQ(m->tblScraps().rowCount(), 0u);
  m->selectMaterial(3, {});
  EXPECT_EQ(m->tblScraps().rowCount(), 3u);
  EXPECT_EQ(m->tblScraps().asString("MatName"), "ДСП 16 белый");
}

TEST(StockModule, MarkingGivesFreeCodesToUnnamedOffcuts) {
  StockFolder f;
  f.storeOffcut({"A-1", 600, 400, 1, 3});
  f.storeOffcut({"", 700, 400, 1, 3});
  f.storeOffcut({"", 800, 400, 1, 3});
  f.storeOffcut({"", 900, 400, 1, 3});
  f.storeOffcut({"", 900, 400, 1, 4});
  auto m = f.openModule();
  m->selectMaterial(3, {});
  EXPECT_EQ(m->markOffcuts("A-", "", 0), 4);
  EXPECT_TRUE(m->scrapsChanged());
  std::vector<std::string> names;
  for (const auto& r : rowsOf(m->workingCopy(StockKind::Scraps))) names.push_back(r[0]);
  EXPECT_EQ(names, (std::vector<std::string>{"A-1", "A-2", "A-3", "A-4", ""}));
  EXPECT_EQ(m->tblScraps().position(), 0);
  // Marking again finds nothing to do and changes nothing.
  m->setChanged(StockKind::Scraps, false);
  EXPECT_EQ(m->markOffcuts("A-", "", 0), 0);
  EXPECT_FALSE(m->scrapsChanged());
}

TEST(StockModule, AutomaticMarksContinueTheNumberAndSetTheFlag) {
  StockFolder f;
  f.storeOffcut({"K11/", 600, 400, 1, 3});
  auto m = f.openModule();
  ini::IniFile ini(f.root() / "Kroyna.ini");
  ini.writeString("Material3", "Mark", "1,K,/,10");
  EXPECT_EQ(m->nextMark(ini, 3), "K12/");  // K11/ is taken
  EXPECT_TRUE(m->scrapsChanged());
  EXPECT_EQ(ini.readString("Material3", "Mark"), "1,K,/,12");
  EXPECT_EQ(m->nextMark(ini, 3), "K13/");
  // Without continuous numbering: the first free number from 1, record kept.
  ini.writeString("Material4", "Mark", "0,\"B \",,7");
  m->bookInOffcut("B 1", 100, 100, 1, 4, dbase::Date{2005, 1, 1});
  EXPECT_EQ(m->nextMark(ini, 4), "B 2");
  EXPECT_EQ(ini.readString("Material4", "Mark"), "0,\"B \",,7");
}

TEST(StockModule, SheetViewShowsOneMaterialWithSheetsLeftAndKeepsEditsInMemory) {
  StockFolder f;
  f.storeSheet(2800, 2070, 0, 3);
  f.storeSheet(1830, 2440, 4, 3);
  f.storeSheet(1830, 2440, 4, 4);
  auto m = f.openModule();
  m->openSheetView(3);
  dbase::Table& v = m->tblSheets2();
  ASSERT_EQ(v.rowCount(), 1u);
  EXPECT_EQ(v.asInteger("LENGTH"), 1830);
  v.edit();
  v.setDouble("MANY", 1);
  v.post();
  EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Sheets))[1][2], "4");
  EXPECT_FALSE(m->sheetsChanged());
}

TEST(StockModule, LabelRowsRepeatEachOffcut) {
  StockFolder f;
  f.storeOffcut({"A-1", 600, 400, 2, 3});
  f.storeOffcut({"", 700, 300, 1, 9});
  auto m = f.openModule();
  const OffcutLabelRows r = m->offcutLabelRows();
  EXPECT_EQ(r.codes, (std::vector<std::string>{"A-1", "A-1", ""}));
  EXPECT_EQ(r.dimensions, (std::vector<std::string>{"600 x 400", "600 x 400", "700 x 300"}));
  EXPECT_EQ(r.materials, (std::vector<std::string>{"ДСП 16 белый", "ДСП 16 белый", ""}));
  EXPECT_EQ(r.comments.size(), 3u);
}

TEST(StockModule, StockListsLeaveOutMaterialsNotInTheCatalogue) {
  StockFolder f;
  f.storeOffcut({"b", 600, 400, 1, 4});
  f.storeOffcut({"a", 600, 400, 1, 4});
  f.storeOffcut({"z", 600, 400, 1, 3});
  f.storeOffcut({"gone", 600, 400, 1, 77});
  f.storeSheet(2800, 2070, 5, 3);
  auto m = f.openModule();
  dbase::Table all = m->stockList(StockKind::Scraps, kAllMaterials);
  std::vector<std::string> names;
  for (bool ok = all.first(); ok; ok = all.next()) names.push_back(all.asString("NAME"));
  EXPECT_EQ(names, (std::vector<std::string>{"z", "a", "b"}));  // ДСП before МДФ, then by name
  dbase::Table one = m->stockList(StockKind::Sheets, 3);
  ASSERT_EQ(one.rowCount(), 1u);
  EXPECT_EQ(one.asString("MatName"), "ДСП 16 белый");

  const std::vector<WarehouseInfoRow> info = m->warehouseInfo();
  ASSERT_EQ(info.size(), 3u);
  EXPECT_EQ(info[0].code, 5);  // ДВП first by name
  EXPECT_EQ(info[1].code, 3);
  EXPECT_NEAR(info[1].sheetSquare, 2.8 * 2.07 * 5, 1e-9);
  EXPECT_NEAR(info[1].scrapSquare, 0.24, 1e-9);
  EXPECT_NEAR(info[2].scrapSquare, 0.48, 1e-9);
}

TEST(StockModule, WholeNumbersOfTheGrids) {
  EXPECT_EQ(parseWholeNumber(" 2800 "), 2800);
  EXPECT_EQ(parseWholeNumber("0"), 0);
  EXPECT_EQ(parseWholeNumber("2147483647"), 2147483647);
  EXPECT_FALSE(parseWholeNumber("2147483648"));
  EXPECT_FALSE(parseWholeNumber("-1"));
  EXPECT_FALSE(parseWholeNumber("12.5"));
  EXPECT_FALSE(parseWholeNumber("12a"));
  EXPECT_FALSE(parseWholeNumber(""));
}

}  // namespace
}  // namespace kroyna::warehouse
