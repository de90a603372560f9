#include "common/SettingsUtils.h"
#include "common/settings/SettingsKeys.h"
#include "common/ui/MapFontDialog.h"
#include "platform/ini/IniFile.h"
#include "run/CuttingParameters.h"
#include "run/ui/DefaultParamsDialog.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace kroyna::run {

using common::formatImproved;
using common::formatOptim;
using common::parseImproved;
using common::parseOptim;

namespace {

TEST(OptimRecord, RoundTripAndDefaultsOfMissingItems) {
  OptimRecord r;
  r.enabled = false;
  r.length = 2800;
  r.width = 2070;
  r.useScraps = true;
  r.stockControl = true;
  r.depth = 12;
  r.algorithm = 1;
  r.stock = 7;
  r.fullSearch = 1;
  r.remark = "заказ 12, кухня";
  r.oneDimOpt = true;
  const std::string text = formatOptim(r);
  EXPECT_EQ(text, "0,2800,2070,1,1,12,1,7,1,\"заказ 12, кухня\",1");
  EXPECT_EQ(parseOptim(text), r);

  // A material never laid out: enabled, everything else 0 or empty.
  EXPECT_EQ(parseOptim(""), OptimRecord{});
  EXPECT_TRUE(parseOptim("").enabled);
  const OptimRecord shortRec = parseOptim("0,1830,2440");
  EXPECT_FALSE(shortRec.enabled);
  EXPECT_EQ(shortRec.length, 1830);
  EXPECT_EQ(shortRec.width, 2440);
  EXPECT_EQ(shortRec.depth, 0);
  EXPECT_EQ(shortRec.remark, "");
  // Junk in a number item takes its default.
  EXPECT_EQ(parseOptim("1,abc,12x").length, 0);
}

TEST(OptimRecord, StoredUnderTheMaterialSection) {
  testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  OptimRecord r;
  r.length = 100;
  common::MaterialSettings(3).setLayoutOptions(ini, r);
  EXPECT_EQ(ini.readString("Material3", "Optim"), "1,100,0,0,0,0,0,0,0,,0");
  EXPECT_EQ(common::MaterialSettings(3).layoutOptions(ini), r);
  EXPECT_EQ(common::MaterialSettings(4).layoutOptions(ini), OptimRecord{});
}

TEST(OptimRecord, ImprovedSearchUnderItsOwnKeyWithTheDefaultsFallback) {
  testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  // A file from before the improved search: off, effort 5.
  ini.writeString("Material3", "Optim", "1,2800,2070,0,0,5,0,0,1,,0");
  OptimRecord old = common::MaterialSettings(3).layoutOptions(ini);
  EXPECT_FALSE(old.improved);
  EXPECT_EQ(old.effort, 5);
  EXPECT_EQ(old.fullSearch, 1);
  // "Параметры по умолчанию" choose it for materials without a choice of their own.
  ini.writeString("Default", "Improved", "1,7");
  EXPECT_TRUE(common::MaterialSettings(3).layoutOptions(ini).improved);
  EXPECT_EQ(common::MaterialSettings(3).layoutOptions(ini).effort, 7);
  EXPECT_TRUE(common::MaterialSettings(9).layoutOptions(ini).improved);  // a material never laid out
  // A material's own choice wins.
  ini.writeString("Material3", "Improved", "0,2");
  EXPECT_FALSE(common::MaterialSettings(3).layoutOptions(ini).improved);
  EXPECT_EQ(common::MaterialSettings(3).layoutOptions(ini).effort, 2);
  // Written back, `Optim` keeps its eleven items.
  OptimRecord r = common::MaterialSettings(3).layoutOptions(ini);
  r.improved = true;
  r.effort = 10;
  common::MaterialSettings(3).setLayoutOptions(ini, r);
  EXPECT_EQ(ini.readString("Material3", "Optim"), "1,2800,2070,0,0,5,0,0,1,,0");
  EXPECT_EQ(ini.readString("Material3", "Improved"), "1,10");
  EXPECT_EQ(common::MaterialSettings(3).layoutOptions(ini), r);

  EXPECT_EQ(parseImproved(""), ImprovedChoice{});
  EXPECT_EQ(parseImproved("1"), (ImprovedChoice{true, 5}));
  EXPECT_EQ(parseImproved("1,99"), (ImprovedChoice{true, 10}));
  EXPECT_EQ(parseImproved("x,0"), (ImprovedChoice{false, 1}));
  EXPECT_EQ(parseImproved("", {true, 3}), (ImprovedChoice{true, 3}));
}

TEST(DefaultParams, ReadDefaultsWriteAndReadBack) {
  testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  const DefaultParams defaults = readDefaultParams(ini);
  EXPECT_EQ(defaults, DefaultParams{});
  EXPECT_EQ(defaults.sheetColor, static_cast<std::int32_t>(0x8000000C));

  DefaultParams p;
  p.mill = 5;
  p.technics = 1;
  p.propilLen = "2500";
  p.optimization = 2;
  p.showHints = false;
  p.sheetColor = 0x123456;
  p.millState = 2;
  p.fontName = "Arial Narrow";
  p.fontBold = true;
  p.defMaterial = 7;
  p.lBorder = 3;
  p.defBorder = 3;
  p.rotate = 2;
  p.lenDigits = 1;
  p.improved = {true, 9};
  writeDefaultParams(ini, p);
  EXPECT_EQ(readDefaultParams(ini), p);
  EXPECT_EQ(ini.readString("Default", "Improved"), "1,9");
  EXPECT_EQ(ini.readString("Default", "DefMaterial"), "7");
  EXPECT_EQ(ini.readString("Default", "SheetColor"), std::to_string(0x123456));
  EXPECT_EQ(ini.readInt("Border", "LBorder", -1), 3);
  EXPECT_EQ(ini.readInt("Rotate", "Default", -1), 2);
  EXPECT_EQ(ini.readInt("SheetParams", "MillState", -1), 2);

  // An optimisation criterion out of range reads as the first one.
  ini.writeInt("Default", "Optimization", 7);
  EXPECT_EQ(readDefaultParams(ini).optimization, 0);
}

TEST(DefaultParams, KerfAndCutLength) {
  EXPECT_EQ(roundKerf(4.0), 4);
  EXPECT_EQ(roundKerf(3.6), 4);
  EXPECT_EQ(roundKerf(2.5), 2);  // halves to even
  EXPECT_EQ(roundKerf(3.5), 4);
  EXPECT_EQ(propilLenValue("2500"), 2500);
  EXPECT_EQ(propilLenValue("abc"), 0);
  EXPECT_EQ(propilLenValue(""), 0);
}

TEST(EdgeButtons, FollowTheCurrentEdge) {
  EdgeButtons b;
  b.load({5, 0, 5, 0}, 0);  // no edge chosen: all released
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.code(i), 0);
  b.setPressed(0, true);  // nothing to give
  EXPECT_FALSE(b.pressed(0));
  b.setCurrentEdge(7);
  b.setPressed(0, true);
  b.setPressed(2, true);
  EXPECT_EQ(b.code(0), 7);
  EXPECT_EQ(b.code(2), 7);
  b.setCurrentEdge(9);  // pressed buttons take the new edge
  EXPECT_EQ(b.code(0), 9);
  EXPECT_EQ(b.code(1), 0);
  b.setPressed(0, false);
  EXPECT_EQ(b.code(0), 0);
  b.setCurrentEdge(0);
  EXPECT_FALSE(b.pressed(2));
  b.load({5, 0, 6, 0}, 5);
  EXPECT_EQ(b.code(2), 6);
}

TEST(DefaultParamsDialog, LoadsEditsAndHidesGeneralTabsFromTheRun) {
  DefaultParams p;
  p.optimization = 1;
  p.technics = 0;
  p.defBorder = 5;
  p.tBorder = 5;
  p.defMaterial = 4;
  const QList<MaterialChoice> materials{{3, "ДСП"}, {4, "МДФ"}};
  const QList<EdgeChoice> edges{{0, "<нет>"}, {5, "ПВХ 2"}, {6, "ПВХ 0.4"}};
  DefaultParamsDialog full(p, materials, edges, false);
  EXPECT_EQ(full.tabs()->count(), 4);
  EXPECT_EQ(full.tabs()->tabText(0), "Общее");
  EXPECT_FALSE(full.propilLenEdit()->isEnabled());
  full.technicsButton(1)->setChecked(true);
  EXPECT_TRUE(full.propilLenEdit()->isEnabled());
  full.propilLenEdit()->setText("3000");
  full.sideButton(0)->setChecked(true);
  full.edgeList()->setCurrentIndex(2);
  const DefaultParams out = full.params();
  EXPECT_EQ(out.technics, 1);
  EXPECT_EQ(out.propilLen, "3000");
  EXPECT_EQ(out.lBorder, 6);
  EXPECT_EQ(out.tBorder, 6);
  EXPECT_EQ(out.rBorder, 0);
  EXPECT_EQ(out.defBorder, 6);
  EXPECT_EQ(out.defMaterial, 4);
  EXPECT_EQ(out.optimization, 1);
  // "Улучшенный перебор" for materials without a choice of their own.
  EXPECT_FALSE(full.improvedBox()->isChecked());
  full.improvedBox()->setChecked(true);
  full.effortBox()->setValue(7);
  EXPECT_EQ(full.params().improved, (ImprovedChoice{true, 7}));

  DefaultParamsDialog cutting(p, materials, edges, true);
  EXPECT_EQ(cutting.tabs()->count(), 2);
  EXPECT_EQ(cutting.tabs()->tabText(0), "Результаты раскроя");
  EXPECT_EQ(cutting.params().defMaterial, 4);  // hidden tabs keep their values
}

// Qt's font dialog has no colour: "Цвет" beside "Изменить" chooses the
// colour of the map texts, each choice keeps the other, and the colour is
// stored as `FontColor` of the map font.
TEST(DefaultParamsDialog, TheMapFontColourIsChosenBesideTheFontAndStored) {
  DefaultParams p;
  p.fontName = "DejaVu Sans";
  p.fontSize = 8;
  p.fontColor = 0;
  DefaultParamsDialog d(p, {{3, "ДСП"}}, {{0, "<нет>"}}, false);
  common::MapFontPicker* picker = d.fontPicker();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->fontButton()->text(), "Изменить");
  EXPECT_EQ(picker->colourButton()->text(), "Цвет");
  EXPECT_EQ(picker->colourButton()->parentWidget(), picker->fontButton()->parentWidget());

  const QColor blue(0x20, 0x40, 0xC0);
  std::optional<QColor> colourAnswer = blue;
  QFont bigger(QStringLiteral("DejaVu Sans"), 12);
  bigger.setBold(true);
  picker->setChoosers([&](const QFont&, QWidget*) -> std::optional<QFont> { return bigger; },
                      [&](const QColor&, QWidget*) { return colourAnswer; });
  picker->chooseColour();
  picker->chooseFont();
  DefaultParams out = d.params();
  EXPECT_EQ(out.fontColor, common::fromQColor(blue));
  EXPECT_EQ(out.fontSize, 12);
  EXPECT_TRUE(out.fontBold);
  EXPECT_EQ(picker->sample()->palette().color(QPalette::WindowText), blue);
  // A cancelled colour dialog changes nothing.
  colourAnswer.reset();
  picker->chooseColour();
  EXPECT_EQ(d.params().fontColor, common::fromQColor(blue));

  kroyna::testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  writeDefaultParams(ini, out);
  EXPECT_EQ(ini.readString("SheetParams", "FontColor", ""), std::to_string(0xC04020));
  EXPECT_EQ(common::readMapFont(ini).colour, common::fromQColor(blue));
  EXPECT_EQ(readDefaultParams(ini).fontColor, common::fromQColor(blue));
}

}  // namespace
}  // namespace kroyna::run
