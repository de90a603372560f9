// Local and external catalogue modes: rebuilding the local tables, the
// import of the companion program's files, the fallbacks, and the lookups
// the other windows make.

#include "CatalogueTestSupport.h"

#include "platform/dbase/FileOps.h"

#include <gtest/gtest.h>

namespace kroyna::catalogues::testing {
namespace {

class CatalogueModeTest : public ::testing::Test, public CatalogueFixture {
 protected:
  void writeStandardExternalFiles() {
    writeCp1251(ext() / "listmat.ini",
                "[Materials]\n"
                "1=ДСП 16 мм\n"
                "007=Плита \"Эггер\" белая\n"
                "A1=не код\n"
                "-1=отрицательный\n"
                "999=все\n"
                "12=МДФ\n");
    writeCp1251(ext() / "borders.ini",
                "[Materials]\n"
                "2=ПВХ 2 мм\n"
                "-1=минус\n"
                "A1=буква\n"
                "007=Кромка \"Меламин\"\n");
    writeBytes(dir.path() / "brdolors.ini", "0=-2147483633\r\n2=255\r\n7=65280\r\n");
  }
};

TEST_F(CatalogueModeTest, FirstStartInLocalModeMakesEmptyLocalTables) {
  EXPECT_TRUE(catalogues->ApplyCatalogueMode());
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(catalogues->isExternal());
  EXPECT_TRUE(fs::exists(paths().localMaterials()));
  EXPECT_TRUE(fs::exists(paths().localEdges()));
  EXPECT_EQ(catalogues->materialsTablePath().toStdString(), paths().localMaterials().string());
  EXPECT_EQ(catalogues->edgesTablePath().toStdString(), paths().localEdges().string());
  EXPECT_EQ(catalogues->materialList(false).size(), 0);
  catalogues->ReloadEdgeList();
  EXPECT_EQ(catalogues->edgeList().size(), 1);
}

TEST_F(CatalogueModeTest, LocalRebuildKeepsRowsAndDropsDeletedRecords) {
  addMaterials(paths().localMaterials(), {{"Фанера", 3}, {"ДСП", 1}, {"удалить", 2}});
  dbase::deleteWhere(paths().localMaterials(), dbase::Expr::parse("CODE = 2"));
  const auto sizeBefore = fs::file_size(paths().localMaterials());

  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  EXPECT_LT(fs::file_size(paths().localMaterials()), sizeBefore);
  const MaterialList list = catalogues->materialList(false);
  EXPECT_EQ(list.names, (QStringList{"ДСП", "Фанера"}));
  EXPECT_EQ(list.codes, (QStringList{"1", "3"}));
  // Nothing is left behind in Temp/.
  EXPECT_TRUE(fs::is_empty(paths().temp()));
}

TEST_F(CatalogueModeTest, BackupOfAnInterruptedRebuildIsRecoveredOrKept) {
  // The table was moved aside and the rebuild stopped: its rows come back.
  addMaterials(paths().temp() / "~Types.dbf", {{"ДВП", 5}});
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  EXPECT_EQ(catalogues->materialName(5), "ДВП");
  EXPECT_FALSE(fs::exists(paths().temp() / "~Types.dbf"));

  // With the table present, a stray backup is nobody's to delete.
  addMaterials(paths().temp() / "~Types.dbf", {{"старое", 9}});
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  EXPECT_TRUE(fs::exists(paths().temp() / "~Types.dbf"));
  EXPECT_EQ(catalogues->materialName(5), "ДВП");
  EXPECT_EQ(catalogues->materialName(9), "");
}

TEST_F(CatalogueModeTest, FailedLocalRebuildLeavesTablesAsTheyWere) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}});
  const std::string before = readBytes(paths().localMaterials());
  fs::remove(paths().pattern() / "Types.dbf");
  EXPECT_FALSE(catalogues->ApplyCatalogueMode());
  EXPECT_EQ(shownTexts(), QStringList{"Ошибка получения шаблона Types.dbf базы"});
  EXPECT_EQ(readBytes(paths().localMaterials()), before);
  EXPECT_EQ(catalogues->materialName(1), "ДСП");

  // A damaged table is not replaced by an empty one.
  fs::copy_file(fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern" / "Types.dbf", paths().pattern() / "Types.dbf");
  writeBytes(paths().localMaterials(), "not a table");
  shown.clear();
  EXPECT_FALSE(catalogues->ApplyCatalogueMode());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.startsWith("Ошибка резервного копирования базы Types.dbf"));
  EXPECT_EQ(readBytes(paths().localMaterials()), "not a table");
}

TEST_F(CatalogueModeTest, SwitchToExternalFolderImportsBothFiles) {
  writeStandardExternalFiles();
  setExternal(ext());
  EXPECT_TRUE(catalogues->ApplyCatalogueMode());
  ASSERT_TRUE(catalogues->isExternal());
  EXPECT_EQ(catalogues->materialsTablePath().toStdString(), paths().externalMaterials().string());
  EXPECT_EQ(catalogues->edgesTablePath().toStdString(), paths().externalEdges().string());

  // Only the reserved code is worth a word; other bad keys are skipped.
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].icon, common::MsgIcon::Warning);
  EXPECT_TRUE(shown[0].text.contains("999"));

  const MaterialList materials = catalogues->materialList(true);
  EXPECT_EQ(materials.names, (QStringList{"<все материалы>", "ДСП 16 мм", "МДФ", "Плита \"Эггер\" белая"}));
  EXPECT_EQ(materials.codes, (QStringList{"999", "1", "12", "7"}));
  EXPECT_EQ(catalogues->materialName(7), "Плита \"Эггер\" белая");
  EXPECT_EQ(catalogues->materialName(999), "");

  catalogues->ReloadEdgeList();
  const EdgeList& edges = catalogues->edgeList();
  EXPECT_EQ(edges.codes, (QStringList{"0", "7", "2"}));
  EXPECT_EQ(edges.names, (QStringList{"<нет>", "Кромка \"Меламин\"", "ПВХ 2 мм"}));
  EXPECT_EQ(edges.colors, (QStringList{"-2147483633", "65280", "255"}));
  EXPECT_EQ(edges.allowances, (QStringList{"0", "0", "0"}));
}

TEST_F(CatalogueModeTest, BasePathWrittenTheWindowsWayIsFound) {
  writeStandardExternalFiles();
  fs::rename(ext() / "listmat.ini", ext() / "LISTMAT.INI");
  ini->writeInt("MatBaseChange", "BaseType", 1);
  ini->writeString("MatBaseChange", "BasePath", "  " + (dir.path() / "EXT").string() + "  ");
  EXPECT_TRUE(catalogues->ApplyCatalogueMode());
  EXPECT_TRUE(catalogues->isExternal());
  EXPECT_EQ(catalogues->materialName(12), "МДФ");
}

TEST_F(CatalogueModeTest, MissingExternalFileFallsBackToLocalTables) {
  addMaterials(paths().localMaterials(), {{"Местный", 4}});
  writeStandardExternalFiles();
  fs::remove(ext() / "borders.ini");
  setExternal(ext());
  EXPECT_FALSE(catalogues->ApplyCatalogueMode());
  EXPECT_EQ(shownTexts(), QStringList{"По указанному пути базы материалов и кромок не найдены!"});
  EXPECT_FALSE(catalogues->isExternal());
  EXPECT_EQ(catalogues->materialName(4), "Местный");
  // The mode stays external in the settings: the next start tries again.
  EXPECT_EQ(ini->readInt("MatBaseChange", "BaseType", 0), 1);

  // An empty path finds nothing either; the local tables are made if needed.
  fs::remove(paths().localMaterials());
  ini->writeString("MatBaseChange", "BasePath", "   ");
  shown.clear();
  EXPECT_FALSE(catalogues->ApplyCatalogueMode());
  EXPECT_EQ(shownTexts(), QStringList{"По указанному пути базы материалов и кромок не найдены!"});
  EXPECT_TRUE(fs::exists(paths().localMaterials()));
}

TEST_F(CatalogueModeTest, FailedImportKeepsThePreviousExternalTablesIntact) {
  writeStandardExternalFiles();
  setExternal(ext());
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  const std::string materialsBefore = readBytes(paths().externalMaterials());
  const std::string edgesBefore = readBytes(paths().externalEdges());

  // The edge template is gone: the materials would import, the edges not.
  writeCp1251(ext() / "listmat.ini", "[Materials]\n1=Другое\n");
  fs::remove(paths().pattern() / "Borders.dbf");
  shown.clear();
  EXPECT_FALSE(catalogues->ApplyCatalogueMode());
  EXPECT_EQ(shownTexts().front(), "Ошибка экспорта внешних данных.");
  EXPECT_FALSE(catalogues->isExternal());
  EXPECT_EQ(readBytes(paths().externalMaterials()), materialsBefore);
  EXPECT_EQ(readBytes(paths().externalEdges()), edgesBefore);
}

TEST_F(CatalogueModeTest, LongAndOddNamesAreStoredAsData) {
  const std::string longName(150, 'x');
  writeCp1251(ext() / "listmat.ini",
              "[Materials]\n"
              "1=\"в кавычках\"\n"
              "2=a'b\"c;d\n"
              "3=" +
                  longName + "\n");
  writeCp1251(ext() / "borders.ini", "[Materials]\n");
  setExternal(ext());
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  // A value wholly in quotes loses them, as the profile functions read it.
  EXPECT_EQ(catalogues->materialName(1), "в кавычках");
  EXPECT_EQ(catalogues->materialName(2), "a'b\"c;d");
  EXPECT_EQ(catalogues->materialName(3).toStdString(), std::string(100, 'x'));
  catalogues->ReloadEdgeList();
  EXPECT_EQ(catalogues->edgeList().size(), 1);
}

TEST_F(CatalogueModeTest, EdgeColoursSurviveTheNextImportThroughTheColoursFile) {
  writeStandardExternalFiles();
  setExternal(ext());
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  // A colour given in the edges window lives in the external table ...
  dbase::updateSet(paths().externalEdges(), {{"COLOR", dbase::Expr::constant(dbase::Value(123456))}},
                   dbase::Expr::parse("CODE = 2"));
  catalogues->ReloadEdgeList();
  catalogues->writeEdgeColours();
  EXPECT_EQ(readBytes(dir.path() / "brdolors.ini"), "0=-2147483633\r\n7=65280\r\n2=123456\r\n");

  // ... and comes back from the colours file after the table is rebuilt.
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  catalogues->ReloadEdgeList();
  EXPECT_EQ(catalogues->edgeColor(2, 0), 123456);
}

TEST_F(CatalogueModeTest, ColoursFileOfAnEmptyEdgeListHoldsTheNoEdgeLine) {
  catalogues->writeEdgeColours();
  EXPECT_EQ(readBytes(dir.path() / "brdolors.ini"), "0=-2147483633\r\n");
}

TEST_F(CatalogueModeTest, LookupsOfKnownAndUnknownCodes) {
  addMaterials(paths().localMaterials(), {{"Первый", 3}, {"Второй", 3}});
  addEdges(paths().localEdges(), {{5, "ПВХ", 255, 2}, {6, "АБС", 0, 0}});
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  catalogues->ReloadEdgeList();

  EXPECT_EQ(catalogues->materialName(3), "Первый");  // the first row of the code
  EXPECT_EQ(catalogues->materialName(4), "");
  EXPECT_EQ(catalogues->materialName(-1), "");

  EXPECT_EQ(catalogues->edgeList().names.front(), "<нет>");
  EXPECT_EQ(catalogues->edgeName(0), "<нет>");
  EXPECT_EQ(catalogues->edgeColor(0, 7), kNoEdgeColor);
  EXPECT_EQ(catalogues->edgeAllowance(0), 0);
  EXPECT_EQ(catalogues->edgeName(5), "ПВХ");
  EXPECT_EQ(catalogues->edgeColor(5, 7), 255);
  EXPECT_EQ(catalogues->edgeAllowance(5), 2);
  EXPECT_EQ(catalogues->sideWithAllowance(600, 5), 602);

  EXPECT_EQ(catalogues->edgeName(77), "");
  EXPECT_EQ(catalogues->edgeColor(77, 42), 42);
  EXPECT_EQ(catalogues->edgeAllowance(77), 0);
  EXPECT_EQ(catalogues->sideWithAllowance(600, 77), 600);
}

TEST_F(CatalogueModeTest, DefaultEdgeAndTheLiveInstance) {
  EXPECT_EQ(Catalogues::instance(), catalogues.get());
  EXPECT_EQ(catalogues->defaultEdgeCode(), 0);
  ini->writeInt("Border", "DefBorder", 6);
  catalogues->rereadDefaultEdge();
  EXPECT_EQ(catalogues->defaultEdgeCode(), 6);
  catalogues.reset();
  EXPECT_EQ(Catalogues::instance(), nullptr);
}

}  // namespace
}  // namespace kroyna::catalogues::testing
