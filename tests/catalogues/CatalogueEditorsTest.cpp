// The materials and edges windows' logic: new codes, deleting, saving over
// the current table, and the material search.

#include "CatalogueTestSupport.h"

#include "catalogues/CatalogueEditors.h"

#include <gtest/gtest.h>

namespace kroyna::catalogues::testing {
namespace {

class EditorsTest : public ::testing::Test, public CatalogueFixture {
 protected:
  EditorsTest() { catalogues->ApplyCatalogueMode(); }
  std::vector<std::pair<std::string, long long>> materialRows(const fs::path& table) {
    std::vector<std::pair<std::string, long long>> out;
    const dbase::RowSource source(table);
    for (const auto& r : source.rows())
      out.emplace_back(r[0].toString(), r[1].isNull() ? -1 : (long long)r[1].number());
    return out;
  }
};

TEST_F(EditorsTest, NewMaterialCodes) {
  EXPECT_EQ(nextMaterialCode({}), 1);
  EXPECT_EQ(nextMaterialCode({std::nullopt}), 1);
  EXPECT_EQ(nextMaterialCode({3, std::nullopt, 10}), 11);
  EXPECT_EQ(nextMaterialCode({998}), 1000);  // 999 stands for all materials
  EXPECT_EQ(nextMaterialCode({999}), 1000);

  MaterialsEditor editor(paths(), paths().localMaterials());
  EXPECT_EQ(editor.rowCount(), 0);
  EXPECT_EQ(editor.row(editor.addRow()).code, 1);
  EXPECT_EQ(editor.row(editor.addRow()).code, 2);
  editor.removeRow(1);  // the largest code goes, and comes back
  EXPECT_EQ(editor.row(editor.addRow()).code, 2);
}

TEST_F(EditorsTest, CodesNoIntHoldsAreRefusedAndTheLargestIntLeadsToAFreeCode) {
  EXPECT_EQ(nextMaterialCode({1, 2, 2147483647}), 3);
  EXPECT_EQ(nextMaterialCode({2147483647, 1, 2, 3}), 4);

  // The code field takes eleven digits; such a code is refused with the
  // field and the table, and the table is left as it was.
  addMaterials(paths().localMaterials(), {{"ДСП", 1}});
  {
    dbase::Table t = dbase::Table::open(paths().localMaterials(), {.cachedUpdates = true});
    t.append();
    t.setRow({dbase::Value("Большой код"), dbase::Value(99999999999.0)});
    t.post();
    t.applyUpdates();
  }
  const std::string before = readBytes(paths().localMaterials());
  try {
    MaterialsEditor editor(paths(), paths().localMaterials());
    ADD_FAILURE() << "a code of 99999999999 was read";
  } catch (const CatalogueError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("В поле CODE число 99999999999 вне допустимого диапазона"), std::string::npos) << what;
    EXPECT_NE(what.find(paths().localMaterials().string()), std::string::npos) << what;
  }
  EXPECT_EQ(readBytes(paths().localMaterials()), before);
  EXPECT_FALSE(fs::exists(paths().temp() / "TempTp.dbf"));
}

TEST_F(EditorsTest, MaterialsAreEditedInAWorkingCopyAndSavedOverTheCurrentTable) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}, {"МДФ", 4}});
  {
    MaterialsEditor editor(paths(), paths().localMaterials());
    EXPECT_TRUE(fs::exists(paths().temp() / "TempTp.dbf"));
    ASSERT_EQ(editor.rowCount(), 2);
    EXPECT_FALSE(editor.isModified());
    editor.setName(0, "ДСП 16");
    const int added = editor.addRow();
    EXPECT_EQ(editor.row(added).code, 5);
    editor.setName(added, "Фанера \"ФК\"");
    // Nothing reaches the catalogue before saving.
    EXPECT_EQ(catalogues->materialName(1), "ДСП");
    editor.save();
    EXPECT_FALSE(editor.isModified());
  }
  // The working copy goes with the window.
  EXPECT_FALSE(fs::exists(paths().temp() / "TempTp.dbf"));
  EXPECT_EQ(materialRows(paths().localMaterials()),
            (std::vector<std::pair<std::string, long long>>{{"ДСП 16", 1}, {"МДФ", 4}, {"Фанера \"ФК\"", 5}}));
}

TEST_F(EditorsTest, MaterialsSaveGoesToTheExternalTableInExternalMode) {
  writeCp1251(ext() / "listmat.ini", "[Materials]\n3=Внешний\n");
  writeCp1251(ext() / "borders.ini", "[Materials]\n");
  setExternal(ext());
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  addMaterials(paths().localMaterials(), {{"Местный", 1}});
  const std::string localBefore = readBytes(paths().localMaterials());

  MaterialsEditor editor(paths(), fs::path(catalogues->materialsTablePath().toStdString()));
  ASSERT_EQ(editor.rowCount(), 1);
  EXPECT_EQ(editor.row(editor.addRow()).code, 4);
  editor.save();
  EXPECT_EQ(materialRows(paths().externalMaterials()).size(), 2u);
  EXPECT_EQ(readBytes(paths().localMaterials()), localBefore);
}

TEST_F(EditorsTest, FailedMaterialsSaveKeepsTheTableAndTheRows) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}});
  MaterialsEditor editor(paths(), paths().localMaterials());
  editor.setName(0, "другое");
  const std::string before = readBytes(paths().localMaterials());
  // An open table holds the file: it cannot be replaced under it.
  dbase::Table holder = dbase::Table::open(paths().localMaterials());
  EXPECT_THROW(editor.save(), CatalogueError);
  EXPECT_TRUE(editor.isModified());
  EXPECT_EQ(editor.row(0).name, "другое");
  holder.close();
  EXPECT_EQ(readBytes(paths().localMaterials()), before);
  editor.save();
  EXPECT_EQ(catalogues->materialName(1), "другое");
}

TEST_F(EditorsTest, NewEdgesTakeTheSmallestFreeCode) {
  EXPECT_EQ(smallestFreeCode({}), 1);
  EXPECT_EQ(smallestFreeCode({1, 2, 4}), 3);
  addEdges(paths().localEdges(), {{1, "a", 0, 0}, {2, "b", 0, 0}, {4, "c", 0, 0}});
  EdgesEditor editor(paths(), paths().localEdges());
  EXPECT_FALSE(editor.isChanged());
  EXPECT_EQ(editor.row(editor.addRow()).code, 3);
  EXPECT_TRUE(editor.isChanged());
  EXPECT_EQ(editor.row(editor.addRow()).code, 5);
  // A changed code frees the old one and takes the new one.
  ASSERT_TRUE(editor.setCode(0, 10));
  EXPECT_EQ(editor.row(editor.addRow()).code, 1);
  EXPECT_EQ(editor.row(editor.addRow()).code, 6);
  EXPECT_FALSE(editor.setCode(0, 0));  // 0 means no edge-banding
  EXPECT_FALSE(editor.setCode(0, -3));
  EXPECT_EQ(editor.row(0).code, 10);
  EXPECT_FALSE(editor.setAllowance(0, -1));
}

TEST_F(EditorsTest, EdgeSaveGivesCodesToRowsWithoutOneAndWritesEverything) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 255, 2}, {2, "удалить", 0, 0}});
  EdgesEditor editor(paths(), paths().localEdges());
  editor.removeRow(1);
  const int added = editor.addRow();
  editor.setName(added, "Без кода");
  ASSERT_TRUE(editor.setCode(added, std::nullopt));
  editor.setColour(0, 65280);
  ASSERT_TRUE(editor.setAllowance(0, 3));
  editor.save();
  EXPECT_FALSE(editor.isChanged());
  ASSERT_TRUE(editor.row(added).code.has_value());
  const int given = *editor.row(added).code;
  EXPECT_GE(given, 1);
  EXPECT_LE(given, 998);
  EXPECT_NE(given, 1);

  catalogues->ReloadEdgeList();
  EXPECT_EQ(catalogues->edgeColor(1, 0), 65280);
  EXPECT_EQ(catalogues->edgeAllowance(1), 3);
  EXPECT_EQ(catalogues->edgeName(2), "");
  EXPECT_EQ(catalogues->edgeName(given), "Без кода");
}

TEST_F(EditorsTest, EdgeSaveRefusesWhenNoCodeIsFree) {
  std::vector<Edge> rows;
  for (int code = 1; code <= 998; ++code) rows.push_back({code, "e" + std::to_string(code), 0, 0});
  addEdges(paths().localEdges(), rows);
  const std::string before = readBytes(paths().localEdges());
  EdgesEditor editor(paths(), paths().localEdges());
  const int added = editor.addRow();
  EXPECT_EQ(editor.row(added).code, 999);  // typed codes are not limited
  ASSERT_TRUE(editor.setCode(added, std::nullopt));
  EXPECT_THROW(editor.save(), CatalogueError);
  EXPECT_TRUE(editor.isChanged());
  EXPECT_EQ(readBytes(paths().localEdges()), before);
}

TEST_F(EditorsTest, EdgeCodesAreCheckedAgainstTheExternalTableInExternalMode) {
  // The local table has 1..998 in use; the external one only code 5.
  std::vector<Edge> rows;
  for (int code = 1; code <= 998; ++code) rows.push_back({code, "e", 0, 0});
  addEdges(paths().localEdges(), rows);
  writeCp1251(ext() / "listmat.ini", "[Materials]\n");
  writeCp1251(ext() / "borders.ini", "[Materials]\n5=Внешняя\n");
  setExternal(ext());
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());

  EdgesEditor editor(paths(), fs::path(catalogues->edgesTablePath().toStdString()));
  for (int i = 0; i < 20; ++i) {
    const int added = editor.addRow();
    ASSERT_TRUE(editor.setCode(added, std::nullopt));
  }
  editor.save();
  std::set<int> codes;
  for (int i = 0; i < editor.rowCount(); ++i) codes.insert(editor.row(i).code.value());
  EXPECT_EQ(codes.size(), 21u);  // all different, none taken twice
  EXPECT_TRUE(codes.count(5));
}

TEST_F(EditorsTest, DroppedEdgeEditsAreNotWritten) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}});
  const std::string before = readBytes(paths().localEdges());
  EdgesEditor editor(paths(), paths().localEdges());
  editor.setName(0, "изменено");
  editor.addRow();
  editor.reload();
  EXPECT_FALSE(editor.isChanged());
  EXPECT_EQ(editor.rowCount(), 1);
  EXPECT_EQ(editor.row(0).name, "ПВХ");
  EXPECT_EQ(readBytes(paths().localEdges()), before);
}

TEST(MaterialSearch, LatinLettersIgnoreCaseOthersCompareExactly) {
  EXPECT_EQ(findMaterialMatch({"ДСП", "дсп"}, "дс"), 1);
  EXPECT_EQ(findMaterialMatch({"AB", "Ab"}, "ab"), 0);
  EXPECT_EQ(findMaterialMatch({"<все материалы>", "ДСП", "МДФ"}, "zzz"), 0);
  EXPECT_EQ(findMaterialMatch({"<все материалы>", "ДСП", "МДФ"}, ""), 0);
  // The longest matching beginning wins: "МДФ 19" over "МДФ 16" for "МДФ 19x".
  EXPECT_EQ(findMaterialMatch({"МДФ 16", "МДФ 19"}, "МДФ 19x"), 1);
  EXPECT_EQ(findMaterialMatch({"М", "МДФ"}, "МД"), 1);
  EXPECT_EQ(findMaterialMatch({}, "a"), -1);
}

TEST_F(EditorsTest, SwitchSettingsLoadProposeAndAccept) {
  SwitchSettings s = loadSwitchSettings(*ini, "");
  EXPECT_FALSE(s.external);
  EXPECT_EQ(s.path, "");
  // No registry here: the companion program's folder is proposed only when
  // one is known.
  s = loadSwitchSettings(*ini, "/opt/design");
  EXPECT_EQ(s.path, "/opt/design/Inbase/");
  ini->writeString("MatBaseChange", "BasePath", "/data/x");
  EXPECT_EQ(loadSwitchSettings(*ini, "/opt/design").path, "/data/x");

  // Accepting the external mode needs listmat.ini in the folder.
  const QString folder = QString::fromStdString(ext().string());
  EXPECT_EQ(acceptSwitchSettings(*ini, {true, folder}),
            QString("По указанному пути базы материалов и кромок не найдены!"));
  EXPECT_EQ(ini->readInt("MatBaseChange", "BaseType", 0), 0);
  writeCp1251(ext() / "listmat.ini", "[Materials]\n");
  EXPECT_FALSE(folderHoldsCatalogues(folder));  // the browser wants both files
  EXPECT_EQ(acceptSwitchSettings(*ini, {true, folder}), std::nullopt);
  EXPECT_EQ(ini->readInt("MatBaseChange", "BaseType", 0), 1);
  EXPECT_EQ(ini->readString("MatBaseChange", "BasePath"), folder.toStdString());
  writeCp1251(ext() / "borders.ini", "[Materials]\n");
  EXPECT_TRUE(folderHoldsCatalogues(folder));

  // Local mode keeps the path as shown.
  EXPECT_EQ(acceptSwitchSettings(*ini, {false, folder}), std::nullopt);
  EXPECT_EQ(ini->readInt("MatBaseChange", "BaseType", 1), 0);
  EXPECT_EQ(loadSwitchSettings(*ini, "").path, folder);
}

}  // namespace
}  // namespace kroyna::catalogues::testing
