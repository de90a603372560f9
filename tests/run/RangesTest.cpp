// Sizes, trims and kerfs from the settings and the stock are in range
// before they reach the engine: a value outside is named to the user and
// never lets a part lie outside its sheet.

#include "CuttingRunTestSupport.h"

#include "warehouse/StockChoices.h"

#include <gtest/gtest.h>

#include <variant>

namespace kroyna::run::test {
namespace {

TEST(RunRanges, ANegativeTrimNoLongerMakesALongerPartFitItsSheet) {
  RunFolder f;
  f.settings().writeInt("Default", "LIndent", -100);
  f.settings().writeInt("Default", "Mill", 5000);
  f.addPart("Столешница", 2850, 500, 1, 1, 1);
  f.setOptions(1, RunFolder::sheet(2800, 2070));
  EXPECT_EQ(f.run(), nullptr);
  ASSERT_EQ(f.texts.size(), 2) << f.texts.join('|').toStdString();
  EXPECT_TRUE(f.texts[0].startsWith(u("Значения в файле настроек ") + f.path(QStringLiteral("Kroyna.ini"))))
      << f.texts[0].toStdString();
  EXPECT_TRUE(
      f.texts[0].contains(u("[Default] Mill=5000 (допустимо от 0 до 1000, взято 1000)\r"
                            "[Default] LIndent=-100 (допустимо от 0 до 100000, взято 0)\r\r")))
      << f.texts[0].toStdString();
  EXPECT_EQ(f.texts[1], u("Разложение деталей материала <ДСП белый> невозможно!\r\rРазмер одной или более деталей "
                          "больше размера листа."));
  EXPECT_EQ(readDefaultParams(f.settings()).lIndent, 0);  // as "Параметры по умолчанию" shows it
}

TEST(RunRanges, SheetsAndOffcutsLargerThanAnySawCutsAreRefusedCleanly) {
  RunFolder f;
  f.addSheets(2147483647, 2070, 3, 1);
  f.addOffcut("Огромный", 2147483647, 600, 1, 1);
  f.addOffcut("Обычный", 1000, 600, 1, 1);
  f.addPart("Полка", 600, 400, 1, 0, 1);

  // The sheet choice refuses the row and says where to mend it.
  f.stock().openSheetView(1);
  const auto picked = warehouse::pickSheet(f.stock().tblSheets2(), u("ДСП белый"));
  ASSERT_TRUE(std::holds_alternative<QString>(picked));
  EXPECT_EQ(std::get<QString>(picked), u("Выбрать этот лист невозможно: его длина 2147483647 мм вне допустимых "
                                         "пределов (от 1 до 100000 мм).\rИсправьте его в базе стандартных листов "
                                         "(Sheets/Sheets.dbf)."));
  // Taken into the options anyway ("&Авто - размер листов"): "&Да" refuses.
  f.setOptions(1, RunFolder::sheet(2147483647, 2070, true, true));
  EXPECT_EQ(f.run(), nullptr);
  EXPECT_EQ(f.texts, QStringList{u("Разложение деталей материала <ДСП белый> невозможно!\r\rРазмер листа "
                                   "2147483647x2070 мм вне допустимых пределов\r(от 0 до 100000 мм).")});

  // The oversized offcut is left out with a word, the other one is used.
  const OffcutsRead read = readOffcuts(f.stock().workingCopy(warehouse::StockKind::Scraps), 1);
  EXPECT_FALSE(read.failed);
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0].Name, "Обычный");
  EXPECT_EQ(read.refused, std::vector<std::string>{"«Огромный» 2147483647 x 600"});
  f.texts.clear();
  f.setOptions(1, RunFolder::sheet(2800, 2070, false, true));
  maps::MapsWindow* w = f.run();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(f.texts.size(), 1);
  EXPECT_TRUE(f.texts[0].contains(u("«Огромный» 2147483647 x 600"))) << f.texts[0].toStdString();
  ASSERT_EQ(w->document().mapCount(), 1);
  EXPECT_EQ(w->document().map(0).SheetName, "Обычный");
}

}  // namespace
}  // namespace kroyna::run::test
