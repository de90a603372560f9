#include "maps/MapsDocument.h"
#include "maps/MapsTestSupport.h"
#include "maps/ProgramEnvironment.h"
#include "platform/text/Literals.h"

#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kroyna::maps {
namespace {

using testing::FakeEnvironment;
using testing::LayoutBuilder;
using testing::minimumSize;

using text::u;

// ---- From engine layout to map ----

TEST(MapsDocumentBuild, CarriesPartsOffcutsAndCutsIntoSheetCoordinates) {
  FakeEnvironment env;
  MapsDocument doc(env);
  doc.setShowTitleForNew(false);
  doc.setShowDimForNew(true);

  LayoutBuilder b(2800, 2070, 4);
  b.layout.IsScrap = true;
  b.layout.Name = "A-17";
  b.layout.Quantity = 2;
  // Search sizes are kerf-enlarged: a 600 x 400 part occupies 604 x 404.
  const int door = b.part("Дверь", 600, 400, {1, 2, 3, 4});
  b.parts[door].Length += 4;
  b.parts[door].Width += 4;
  b.place(door, 8, 8);
  b.place(door, 612, 8, true);
  b.parts[door].Length -= 4;
  b.parts[door].Width -= 4;
  b.region(1016, 8, 1000, 500);
  b.cut(8, 410, true, 604);
  b.cut(610, 8, false, 402);

  const int index = doc.addMap(u("1: Лист 1"), 7, b.finished(), 4, u("срочно"));
  ASSERT_EQ(index, 0);
  const SheetMap& m = doc.map(0);
  EXPECT_EQ(m.Caption, "1: Лист 1");
  EXPECT_EQ(m.MaterialCode, 7);
  EXPECT_EQ(m.length, 2800);
  EXPECT_EQ(m.width, 2070);
  EXPECT_EQ(m.Quantity, 2);
  EXPECT_TRUE(m.IsScraps);
  EXPECT_EQ(m.SheetName, "A-17");
  EXPECT_EQ(m.MillSize, 4);
  EXPECT_EQ(m.Remark, "срочно");

  ASSERT_EQ(m.Parts.size(), 2u);
  const MapPart& given = m.Parts[0];
  EXPECT_EQ(given.x, 10);
  EXPECT_EQ(given.y, 10);
  EXPECT_EQ(given.length, 600);
  EXPECT_EQ(given.width, 400);
  EXPECT_EQ(given.Title, "Дверь");
  EXPECT_EQ((std::array{given.LeftBorder, given.RightBorder, given.TopBorder, given.BottomBorder}),
            (std::array{1, 2, 3, 4}));
  EXPECT_FALSE(given.ShowTitle);
  EXPECT_TRUE(given.ShowDim);

  const MapPart& turned = m.Parts[1];
  EXPECT_EQ(turned.x, 614);
  EXPECT_EQ(turned.length, 400);
  EXPECT_EQ(turned.width, 600);
  // Turned: left takes the top edge, right the bottom, top the right,
  // bottom the left.
  EXPECT_EQ((std::array{turned.LeftBorder, turned.RightBorder, turned.TopBorder, turned.BottomBorder}),
            (std::array{3, 4, 2, 1}));

  ASSERT_EQ(m.Offcuts.size(), 1u);
  EXPECT_EQ(m.Offcuts[0].x, 1018);
  EXPECT_EQ(m.Offcuts[0].y, 10);
  EXPECT_EQ(m.Offcuts[0].length, 996);
  EXPECT_EQ(m.Offcuts[0].width, 496);
  EXPECT_TRUE(m.Offcuts[0].ScrapName.empty());

  ASSERT_EQ(m.Cuts.size(), 2u);
  EXPECT_EQ((std::array{m.Cuts[0].x, m.Cuts[0].y, m.Cuts[0].length, m.Cuts[0].width}), (std::array{8, 408, 604, 4}));
  EXPECT_TRUE(m.Cuts[0].MillOrient);
  EXPECT_EQ((std::array{m.Cuts[1].x, m.Cuts[1].y, m.Cuts[1].length, m.Cuts[1].width}), (std::array{608, 8, 4, 402}));
  EXPECT_FALSE(m.Cuts[1].MillOrient);
  EXPECT_EQ(m.MillLinesCount, 2);
  EXPECT_DOUBLE_EQ(m.MillLinesLength, 1006);
  EXPECT_TRUE(doc.isModified());
}

TEST(MapsDocumentBuild, FreeRectangleOfOneKerfGivesNoOffcutAndKerfPlusOneGivesOneMillimetre) {
  FakeEnvironment env;
  env.criteria[1] = minimumSize(100, 100);
  MapsDocument doc(env);
  LayoutBuilder b(1000, 1000, 4);
  b.region(0, 0, 4, 500);   // one kerf wide
  b.region(10, 0, 500, 4);  // one kerf long
  b.region(20, 0, 5, 500);  // kerf + 1
  doc.addMap(u("1"), 1, b.finished(), 4, {});
  const SheetMap& m = doc.map(0);
  ASSERT_EQ(m.Offcuts.size(), 1u);
  EXPECT_EQ(m.Offcuts[0].length, 1);
  EXPECT_EQ(m.Offcuts[0].width, 496);
  // The 1 mm offcut is classified like any other: too short here.
  EXPECT_EQ(m.Offcuts[0].ScrapType, stLostScrap);
  EXPECT_EQ(m.Offcuts[0].Text, "Отход");
}

// ---- Classification ----

struct Verdict {
  common::ScrapCriteria criteria;
  std::int32_t w, h;
  OffcutKind expected;
};

OffcutKind classifyOne(const common::ScrapCriteria& criteria, std::int32_t w, std::int32_t h) {
  FakeEnvironment env;
  env.criteria[3] = criteria;
  MapsDocument doc(env);
  LayoutBuilder b(3000, 3000, 4);
  b.region(0, 0, w + 4, h + 4);
  doc.addMap(u("1"), 3, b.finished(), 4, {});
  return doc.map(0).Offcuts.at(0).ScrapType;
}

TEST(MapsDocumentClassify, FollowsTheMaterialsCriteriaInBothModes) {
  common::ScrapCriteria off;
  common::ScrapCriteria jointOff;
  jointOff.joint = true;
  // Everything switched off: nothing is useless, in either mode.
  EXPECT_EQ(classifyOne(off, 1, 1), stNormalScrap);
  EXPECT_EQ(classifyOne(jointOff, 1, 1), stNormalScrap);

  common::ScrapCriteria narrow = minimumSize(0, 100);
  narrow.lengthOn = true;
  narrow.p1 = 300;
  narrow.areaOn = true;
  narrow.area = 50000;
  // 2000 x 50 has more area than A but is narrower than P2.
  EXPECT_EQ(classifyOne(narrow, 2000, 50), stLostScrap);
  common::ScrapCriteria joint = narrow;
  joint.joint = true;
  EXPECT_EQ(classifyOne(joint, 2000, 50), stNormalScrap);
  EXPECT_EQ(classifyOne(joint, 200, 50), stLostScrap);
}

TEST(MapsDocumentClassify, EachMaterialUsesItsOwnCriteria) {
  FakeEnvironment env;
  env.criteria[1] = minimumSize(500, 500);
  env.criteria[2] = common::ScrapCriteria{};
  MapsDocument doc(env);
  for (int code : {1, 2, 1}) {
    LayoutBuilder b(3000, 3000, 4);
    b.region(0, 0, 304, 304);
    doc.addMap(u("x"), code, b.finished(), 4, {});
  }
  EXPECT_EQ(doc.map(0).Offcuts[0].ScrapType, stLostScrap);
  EXPECT_EQ(doc.map(1).Offcuts[0].ScrapType, stNormalScrap);
  EXPECT_EQ(doc.map(2).Offcuts[0].ScrapType, stLostScrap);
}

// ---- Recompute: colours, squares ----

TEST(MapsDocumentRecompute, ColoursComeFromTheSettingsAndTheEdgeCatalogue) {
  FakeEnvironment env;
  env.colourValues = MapColours{0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
  env.edges[5] = {0x00FF00, 2, u("ПВХ")};
  env.criteria[1] = minimumSize(100, 100);
  MapsDocument doc(env);
  LayoutBuilder b(2000, 1000, 4);
  b.place(b.part("Полка", 500, 300, {5, 9, 0, 5}), 0, 0);
  b.region(600, 0, 504, 504);  // useful
  b.region(0, 400, 54, 54);    // useless
  b.cut(0, 300, true, 500);
  doc.addMap(u("1"), 1, b.finished(), 4, {});
  const SheetMap& m = doc.map(0);
  EXPECT_EQ(m.Color, 0x111111);
  EXPECT_EQ(m.Parts[0].BrushColor, 0x222222);
  EXPECT_EQ(m.Parts[0].LeftBorderColor, 0x00FF00);
  EXPECT_EQ(m.Parts[0].BottomBorderColor, 0x00FF00);
  // Code 9 is not in the catalogue: its mark takes the part's colour.
  EXPECT_EQ(m.Parts[0].RightBorderColor, 0x222222);
  EXPECT_EQ(m.Offcuts[0].Color, 0x444444);
  EXPECT_EQ(m.Offcuts[1].Color, 0x333333);
  EXPECT_EQ(m.Cuts[0].Color, 0x555555);

  // Settings changed later show at the next recompute.
  env.colourValues.detal = 0x999999;
  doc.recompute();
  EXPECT_EQ(doc.map(0).Parts[0].BrushColor, 0x999999);
}

TEST(MapsDocumentRecompute, SheetAreaSplitsIntoPartsUsefulOffcutsAndWaste) {
  FakeEnvironment env;
  env.criteria[1] = minimumSize(100, 100);
  MapsDocument doc(env);
  LayoutBuilder b(2000, 1000, 4);
  b.place(b.part("A", 500, 300), 0, 0);
  b.place(b.part("B", 400, 200), 0, 304);
  b.region(600, 0, 504, 304);  // 500 x 300 useful
  b.region(0, 600, 54, 304);   // 50 x 300 useless
  doc.addMap(u("1"), 1, b.finished(), 4, {});
  const SheetMap& m = doc.map(0);
  EXPECT_DOUBLE_EQ(m.DetalsSquare, 500.0 * 300 + 400.0 * 200);
  EXPECT_DOUBLE_EQ(m.ScrapSquare, 500.0 * 300);
  EXPECT_DOUBLE_EQ(m.LostSquare, 2000.0 * 1000 - m.DetalsSquare - m.ScrapSquare);
  EXPECT_DOUBLE_EQ(m.TotalSquare, 2000.0 * 1000 - m.DetalsSquare);
}

TEST(MapsDocumentRecompute, AFailingSettingsReadKeepsTheMap) {
  struct Failing : FakeEnvironment {
    common::ScrapCriteria scrapCriteria(int) const override { throw std::runtime_error("unreadable"); }
  } env;
  MapsDocument doc(env);
  LayoutBuilder b(1000, 1000, 4);
  b.region(0, 0, 504, 504);
  EXPECT_NO_THROW(doc.addMap(u("1"), 1, b.finished(), 4, {}));
  EXPECT_EQ(doc.mapCount(), 1);
  EXPECT_EQ(doc.map(0).Offcuts.size(), 1u);
}

// ---- Totals ----

class TotalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.edges[5] = {0x00FF00, 20, u("ПВХ 2")};
    env.edges[6] = {0x0000FF, 0, u("ABS")};
    env.criteria[1] = minimumSize(100, 100);
    env.criteria[2] = minimumSize(100, 100);
    // Material 1, three identical sheets: one part banded on top (code 5)
    // and left (code 6), one useful and one useless offcut, two cuts.
    LayoutBuilder a(2000, 1000, 4);
    a.layout.Quantity = 3;
    a.place(a.part("A", 500, 300, {6, 0, 5, 0}), 0, 0);
    a.region(600, 0, 504, 304);
    a.region(0, 600, 54, 304);
    a.cut(0, 300, true, 500);
    a.cut(500, 0, false, 300);
    doc.addMap(u("1: Листы 1 - 3"), 1, a.finished(), 4, {});
    // Material 2, one sheet, one part banded at the bottom with code 5.
    LayoutBuilder c(1000, 1000, 4);
    c.place(c.part("C", 200, 100, {0, 0, 0, 5}), 0, 0);
    c.cut(0, 100, true, 200);
    doc.addMap(u("1: Лист 1"), 2, c.finished(), 4, {});
  }
  FakeEnvironment env;
  MapsDocument doc{env};
};

TEST_F(TotalsTest, EveryVisibleMapCountsQuantityTimes) {
  const MapTotals t = doc.totals();
  const SheetMap& a = doc.map(0);
  const SheetMap& c = doc.map(1);
  EXPECT_DOUBLE_EQ(t.detals, 3 * 150000.0 + 20000.0);
  EXPECT_DOUBLE_EQ(t.scrap, 3 * 150000.0);
  EXPECT_DOUBLE_EQ(t.lost, 3 * a.LostSquare + c.LostSquare);
  EXPECT_DOUBLE_EQ(t.total, 3 * a.TotalSquare + c.TotalSquare);
  EXPECT_EQ(t.millCount, 3 * 2 + 1);
  EXPECT_DOUBLE_EQ(t.millLength, 3 * 800.0 + 200.0);
  // Edge 5: top of A (500 + 20) three times, bottom of C (200 + 20) once;
  // edge 6: left of A (300) three times. Order of first use: top of A
  // comes before its left side.
  ASSERT_EQ(t.edges.size(), 2u);
  EXPECT_EQ(t.edges[0], (std::pair<int, long long>{5, 3 * 520 + 220}));
  EXPECT_EQ(t.edges[1], (std::pair<int, long long>{6, 3 * 300}));
}

TEST_F(TotalsTest, TheFilterRemovesAMaterialFromEveryTotal) {
  EXPECT_TRUE(doc.setMaterialFilter(1));
  EXPECT_FALSE(doc.setMaterialFilter(1));
  const MapTotals t = doc.totals();
  EXPECT_DOUBLE_EQ(t.detals, 3 * 150000.0);
  EXPECT_EQ(t.millCount, 6);
  ASSERT_EQ(t.edges.size(), 2u);
  EXPECT_EQ(t.edges[0].second, 3 * 520);
  EXPECT_FALSE(doc.isVisible(1));

  doc.setMaterialFilter(2);
  const MapTotals t2 = doc.totals();
  EXPECT_DOUBLE_EQ(t2.detals, 20000.0);
  ASSERT_EQ(t2.edges.size(), 1u);
  EXPECT_EQ(t2.edges[0].second, 220);

  doc.setMaterialFilter(42);  // a material without maps
  const MapTotals none = doc.totals();
  EXPECT_EQ(none.detals, 0);
  EXPECT_TRUE(none.edges.empty());
}

TEST(MapsDocumentTotals, AnEmptyDocumentHasZeroTotals) {
  FakeEnvironment env;
  MapsDocument doc(env);
  const MapTotals t = doc.totals();
  EXPECT_EQ(t.lost, 0);
  EXPECT_EQ(t.millCount, 0);
  EXPECT_TRUE(t.edges.empty());
  EXPECT_EQ(doc.lastVisibleMap(), -1);
  EXPECT_EQ(doc.largestSheet(), (std::pair<std::int32_t, std::int32_t>{0, 0}));
}

// ---- Offcut kind and name by hand ----

TEST_F(TotalsTest, UsefulToUselessAndBackLeavesTheAreasAsTheyWere) {
  doc.setModified(false);
  const SheetMap before = doc.map(0);
  doc.setOffcutUseful(0, 0, false);
  EXPECT_TRUE(doc.isModified());
  const SheetMap& m = doc.map(0);
  EXPECT_EQ(m.Offcuts[0].ScrapType, stLostScrap);
  EXPECT_EQ(m.Offcuts[0].Color, 0);
  EXPECT_FALSE(m.Offcuts[0].ShowText);
  EXPECT_DOUBLE_EQ(m.ScrapSquare, before.ScrapSquare - 150000.0);
  EXPECT_DOUBLE_EQ(m.LostSquare, before.LostSquare + 150000.0);
  EXPECT_DOUBLE_EQ(m.TotalSquare, before.TotalSquare);
  EXPECT_TRUE(doc.offcutInfo(m.Offcuts[0]).startsWith(u("Отход:")));

  doc.setOffcutUseful(0, 0, true);
  EXPECT_EQ(m.Offcuts[0].ScrapType, stNormalScrap);
  EXPECT_EQ(m.Offcuts[0].Text, "Остаток");
  EXPECT_DOUBLE_EQ(m.ScrapSquare, before.ScrapSquare);
  EXPECT_DOUBLE_EQ(m.LostSquare, before.LostSquare);
  EXPECT_DOUBLE_EQ(m.TotalSquare, before.TotalSquare);

  // Asking for the kind it has already changes nothing.
  doc.setOffcutUseful(0, 0, true);
  EXPECT_DOUBLE_EQ(m.ScrapSquare, before.ScrapSquare);
}

TEST_F(TotalsTest, RenamingAUsefulOffcutChangesItsLabelAndMarksTheDocumentChanged) {
  doc.setModified(false);
  EXPECT_TRUE(doc.renameOffcut(0, 0, u("О-12")));
  EXPECT_TRUE(doc.isModified());
  const MapOffcut& o = doc.map(0).Offcuts[0];
  EXPECT_EQ(o.ScrapName, "О-12");
  EXPECT_EQ(o.Text, "О-12");
  EXPECT_TRUE(doc.offcutInfo(o).contains(u("Шифр: О-12\r")));

  doc.setModified(false);
  EXPECT_FALSE(doc.renameOffcut(0, 1, u("нельзя")));  // useless
  EXPECT_FALSE(doc.isModified());
  EXPECT_TRUE(doc.map(0).Offcuts[1].ScrapName.empty());
}

// ---- Mill-lines modes ----

TEST_F(TotalsTest, MillModesShowCutsOnAllOnTheLastOrOnNoMap) {
  auto shown = [&](int map) { return doc.map(map).Cuts.at(0).Visible; };
  doc.setMillMode(MillHidden);
  EXPECT_FALSE(shown(0));
  EXPECT_FALSE(shown(1));
  doc.setMillMode(MillShown);
  EXPECT_TRUE(shown(0));
  EXPECT_TRUE(shown(1));
  doc.setMillMode(MillLastSheet);
  EXPECT_FALSE(shown(0));
  EXPECT_TRUE(shown(1));
  // Filtered to material 1, its map is the last visible one.
  doc.setMaterialFilter(1);
  EXPECT_TRUE(shown(0));
  EXPECT_FALSE(shown(1));
  doc.setMillMode(7);
  EXPECT_EQ(doc.millMode(), MillHidden);
  EXPECT_EQ(millModeName(MillLastSheet), u("Последний лист"));
}

// ---- Texts ----

TEST_F(TotalsTest, StatusLinesAndInfoTextsHaveTheirExactWording) {
  env.materials[1] = u("ДСП 16 мм");
  const QStringList l1 = doc.statusLine1(0);
  const QStringList l2 = doc.statusLine2(0);
  // Sheet 2 m²: parts 0.15 m², useful 0.15 m², waste the rest.
  EXPECT_EQ(l1, (QStringList{u("Материал: ДСП 16 мм"), u("Отход: 1.700 кв м (85.00 %)"),
                             u("Остаток: 0.150 кв м (7.50 %)"), u("Всего: 1.850 кв м (92.50 %)")}));
  EXPECT_EQ(l2, (QStringList{u("Лист: 2000x1000"), u("Количество: 3"), u("Детали: 0.150 кв м (7.50 %)"), u("Резов: 2"),
                             u("Длина резов: 0.80 м")}));
  EXPECT_EQ(doc.mapInfo(0),
            u("Информация\r\rЛист: 2000x1000\rМатериал: ДСП 16 мм\rКоличество: 3\r\r"
              "Детали: 0.150 кв м (7.50 %)\r\rРезов: 2\rДлина резов: 0.80 м\r\r"
              "Отход: 1.700 кв м (85.00 %)\rОстаток: 0.150 кв м (7.50 %)\rВсего: 1.850 кв м (92.50 %)"));
  EXPECT_EQ(doc.partInfo(doc.map(0).Parts[0]),
            u("Деталь: \r\rШифр: A\rДлина: 500 мм\rШирина: 300 мм\rПлощадь: 0.150 кв м"));
  EXPECT_EQ(doc.offcutInfo(doc.map(0).Offcuts[0]), u("Остаток:\r\rДлина: 500 мм\rШирина: 300 мм\rПлощадь: 0.150 кв м"));
  EXPECT_EQ(doc.offcutInfo(doc.map(0).Offcuts[1]), u("Отход:\r\rДлина: 50 мм\rШирина: 300 мм\rПлощадь: 0.015 кв м"));
  // A material the catalogue does not know shows an empty name.
  EXPECT_EQ(doc.statusLine1(1)[0], u("Материал: "));

  env.sqr = 0;
  EXPECT_EQ(doc.statusLine1(0)[1], u("Отход: 2 кв м (85.00 %)"));
}

TEST(MapsDocumentTexts, ASheetOfNoAreaShowsZeroPercent) {
  FakeEnvironment env;
  MapsDocument doc(env);
  SheetMap m;
  m.length = 0;
  m.width = 500;
  doc.appendStoredMap(m);
  EXPECT_EQ(doc.statusLine1(0)[1], u("Отход: 0.000 кв м (0.00 %)"));
  EXPECT_EQ(doc.statusLine2(0)[2], u("Детали: 0.000 кв м (0.00 %)"));
  EXPECT_EQ(formatPercent(5, 0), u("0.00"));
}

TEST(MapsDocumentTexts, CaptionDefaultsToUntitled) {
  FakeEnvironment env;
  MapsDocument doc(env);
  EXPECT_EQ(doc.caption(), u("<без названия>"));
  doc.setCaption(u("Вариант раскроя 1: \"Кухня\""));
  EXPECT_EQ(doc.caption(), u("Вариант раскроя 1: \"Кухня\""));
  doc.setCaption({});
  EXPECT_EQ(doc.caption(), u("<без названия>"));
}

// ---- Display switches ----

TEST_F(TotalsTest, DisplaySwitchesApplyToEveryMap) {
  doc.setShowBorder(true);
  EXPECT_TRUE(doc.map(0).Parts[0].ShowBorder);
  EXPECT_TRUE(doc.map(1).Parts[0].ShowBorder);
  doc.setShowScrapsText(true);
  EXPECT_TRUE(doc.map(0).Offcuts[0].ShowText);
  EXPECT_TRUE(doc.map(0).Offcuts[0].ShowDim);
  EXPECT_FALSE(doc.map(0).Offcuts[1].ShowText);  // useless offcuts stay bare
  common::FontKeys f;
  f.name = "DejaVu Sans";
  f.size = 12;
  doc.setFont(f);
  EXPECT_EQ(doc.map(1).Font, f);
}

// ---- Materials and sheets used ----

TEST(MapsDocumentMaterials, PanelFollowsCatalogueOrderAndSummaryIsByName) {
  FakeEnvironment env;
  env.materials = {{1, u("ЛДСП белый")}, {2, u("ДВП")}, {3, u("Фанера")}};
  env.order = {2, 1, 3};
  MapsDocument doc(env);
  for (int code : {3, 1, 8, 3}) {
    LayoutBuilder b(1000, 1000, 4);
    b.layout.Quantity = 2;
    doc.addMap(u("x"), code, b.finished(), 4, {});
  }
  EXPECT_EQ(doc.materialCodes(), (QList<int>{3, 1, 8}));
  EXPECT_EQ(doc.materialPanelCodes(), (QList<int>{1, 3, 8}));
  const auto rows = doc.materialSummary();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].code, 8);  // empty name first
  EXPECT_EQ(rows[1].name, u("ЛДСП белый"));
  EXPECT_EQ(rows[2].code, 3);
  EXPECT_DOUBLE_EQ(rows[2].lost, 2 * 2 * 1e6);
}

TEST(MapsDocumentMaterials, UsedSheetsKeepTheLatestRemainingCount) {
  UsedSheets used;
  used.add(1, 2800, 2070, 5, 5);
  used.add(2, 2800, 2070, 3, 3);
  EXPECT_TRUE(used.setRemaining(1, 2800, 2070, 2));
  EXPECT_FALSE(used.setRemaining(1, 1830, 2070, 0));
  EXPECT_EQ(used.at(0), (UsedSheet{1, 2800, 2070, 2, 5}));
  EXPECT_EQ(used.at(1), (UsedSheet{2, 2800, 2070, 3, 3}));
}

// ---- A real cutting ----

TEST(MapsDocumentEngine, MapsOfARealCuttingAccountForEveryPartAndSquareMetre) {
  engine::MaterialInput input;
  input.Params.SheetLength = 2800;
  input.Params.SheetWidth = 2070;
  input.Params.Variants = 20;
  input.Parts = {{"Бок", 720, 560, 6, engine::RotateNever, 1, 0, 1, 0},
                 {"Полка", 564, 540, 8, engine::RotateFree, 0, 0, 1, 0},
                 {"Фасад", 716, 396, 10, engine::RotateOneForAll, 1, 1, 1, 1}};
  const auto maps = testing::cutMaterial(input);
  ASSERT_FALSE(maps.empty());

  FakeEnvironment env;
  env.criteria[4] = minimumSize(200, 100);
  MapsDocument doc(env);
  for (const auto& fm : maps) doc.addMap(u("x"), 4, fm, 4, {});
  double parts = 0;
  for (const auto& p : input.Parts) parts += double(p.Length) * p.Width * p.Many;
  const MapTotals t = doc.totals();
  EXPECT_DOUBLE_EQ(t.detals, parts);
  EXPECT_DOUBLE_EQ(t.detals + t.total, t.sheetArea);
  for (const SheetMap& m : doc.maps()) {
    EXPECT_DOUBLE_EQ(m.DetalsSquare + m.ScrapSquare + m.LostSquare, m.sheetArea());
    for (const MapOffcut& o : m.Offcuts) EXPECT_EQ(o.useful(), o.length >= 200 && o.width >= 100);
  }
}

// ---- The program's settings ----

TEST(ProgramEnvironment, ReadsColoursCriteriaDigitsAndFontFromTheSettings) {
  kroyna::testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  ProgramEnvironment env(ini, nullptr);
  EXPECT_EQ(env.colours(), MapColours{});
  EXPECT_EQ(env.sqrDigits(), 3);
  EXPECT_EQ(env.lenDigits(), 2);
  EXPECT_EQ(env.mapFont().name, "MS Sans Serif");
  EXPECT_EQ(env.mapFont().size, 8);
  EXPECT_EQ(env.mapFont().charset, 204);
  EXPECT_TRUE(env.materialName(1).isEmpty());
  EXPECT_EQ(env.edgeColour(5, 77), 77);

  ini.writeString("Default", "ScrapColor", "65280");
  ini.writeString("Default", "SqrDigits", "15");
  ini.writeString("Material12", "Scrap", "0,1,300,1,100,0,0,0,0,0,0,0");
  ini.writeString("SheetParams", "FontName", "Arial");
  ini.writeString("SheetParams", "FontBold", "1");
  EXPECT_EQ(env.colours().scrap, 65280);
  EXPECT_EQ(env.sqrDigits(), 10);
  EXPECT_EQ(env.scrapCriteria(12), minimumSize(300, 100));
  EXPECT_EQ(env.scrapCriteria(13), common::ScrapCriteria{});
  EXPECT_EQ(env.mapFont().name, "Arial");
  EXPECT_TRUE(env.mapFont().bold);
}

}  // namespace
}  // namespace kroyna::maps
