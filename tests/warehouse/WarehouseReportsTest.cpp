#include "StockFixture.h"

#include "warehouse/WarehouseReports.h"

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

using testing::StockFolder;

const QString kReports = QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports");

bool shows(const report::PreparedReport& r, const QString& text) { return !r.find(text).empty(); }

TEST(WarehouseReports, StockListsShowTheRowsOfTheCatalogueMaterials) {
  StockFolder f;
  f.storeSheet(2800, 2070, 12, 3);
  f.storeSheet(1830, 2440, 5, 4);
  f.storeOffcut({"A-17", 600, 400, 2, 3});
  f.storeOffcut({"LOST-9", 600, 400, 1, 77});
  auto m = f.openModule();
  const ReportPageSetup page{true, {10, 10, 10, 10}};

  const report::PreparedReport sheets = prepareStockList(*m, StockKind::Sheets, 3, kReports, page);
  EXPECT_EQ(sheets.title, "База стандартных листов");
  EXPECT_TRUE(shows(sheets, "2070"));
  EXPECT_TRUE(shows(sheets, "ДСП 16 белый"));
  EXPECT_FALSE(shows(sheets, "2440"));  // another material
  EXPECT_TRUE(shows(sheets, QString::fromStdString(dbase::Date::today().toString())));
  ASSERT_GE(sheets.pageCount(), 1);
  EXPECT_GT(sheets.pages[0].size.width(), sheets.pages[0].size.height());  // landscape

  const report::PreparedReport scraps = prepareStockList(*m, StockKind::Scraps, kAllMaterials, kReports, page);
  EXPECT_EQ(scraps.title, "База остатков");
  EXPECT_TRUE(shows(scraps, "A-17"));
  EXPECT_TRUE(shows(scraps, "01.03.2005"));
  EXPECT_FALSE(shows(scraps, "LOST-9"));  // its material is not in the catalogue

  const report::PreparedReport info = prepareWarehouseInfo(*m, kReports, {});
  EXPECT_EQ(info.title, "Статистика склада");
  EXPECT_TRUE(shows(info, "ДВП 3"));        // a material without stock has its row
  EXPECT_TRUE(shows(info, "69.552 кв м"));  // 2.8 x 2.07 x 12
  EXPECT_TRUE(shows(info, "0.480 кв м"));   // offcuts of material 3
}

TEST(WarehouseReports, AMissingTemplateThrows) {
  StockFolder f;
  auto m = f.openModule();
  EXPECT_ANY_THROW(prepareStockList(*m, StockKind::Sheets, kAllMaterials, "/nonexistent", {}));
}

}  // namespace
}  // namespace kroyna::warehouse
