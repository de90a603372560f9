// The map print settings and their two dialogs: what is stored, what the
// dialogs show and enable, and what they write back.

#include "reports/mapprint/MapPrintModels.h"
#include "reports/mapprint/MapPrintSettings.h"
#include "reports/ui/MapPrintDialogs.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace kroyna::reports {
namespace {

class PrintSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    mapPrintChoosers() = saved_;
    MapPrintParamsDialog::advancedDialog() = savedAdvanced_;
  }
  kroyna::testing::TempDir dir;
  ini::IniFile ini{dir / "Kroyna.ini"};

 private:
  MapPrintChoosers saved_ = mapPrintChoosers();
  std::function<void(ini::IniFile&, QWidget*)> savedAdvanced_ = MapPrintParamsDialog::advancedDialog();
};

TEST_F(PrintSettingsTest, DefaultsAndValuesOutOfRange) {
  const MapPageParams p = readMapPageParams(ini);
  EXPECT_EQ(p, MapPageParams{});
  EXPECT_TRUE(p.millStat && p.totalWStat && p.usefulWStat && p.uselessWStat && p.detalStat);
  EXPECT_TRUE(p.showDetailList && p.showDetailOutline && p.showBorderList && p.showBordersOnMaps);
  EXPECT_FALSE(p.showBlackOutline || p.showOutlineBorderCodes);
  EXPECT_EQ(p.mapFont, common::FontKeys{});  // Arial 10, character set 204
  EXPECT_EQ(p.mapsPerPage(), 1);
  const MapDrawStyles s = readMapDrawStyles(ini);
  EXPECT_TRUE(s.parts.draw && s.parts.title && s.parts.dim && s.parts.truncText && s.millDraw && s.offcuts.draw &&
              s.waste.truncText);
  EXPECT_EQ(s.parts.brush, (common::BrushKeys{0xFFFFFF, 0}));
  EXPECT_EQ(s.millPen, (common::PenKeys{0, 0, 1}));

  ini.writeInt("Sheet_Page_Params", "BordersOnMapsStyle", 5);
  ini.writeInt("Sheet_Page_Params", "Position", 2);
  ini.writeInt("Sheet_Page_Params", "MapQuantity", 0);
  ini.writeInt("Sheet_Page_Params", "BorderListFormat", 9);
  ini.writeInt("PrnSetupAdv", "CurrentPage", 4);
  ini.writeInt("PrnSetupAdv", "MillPen_Width", 40);
  ini.writeInt("PrnSetupAdv", "DetalPen_Width", 3);
  const MapPageParams odd = readMapPageParams(ini);
  EXPECT_EQ(odd.bordersOnMapsStyle, EdgeLabelCodes);
  EXPECT_EQ(odd.borderListFormat, EdgeNameCode);
  // "другое" with a stored 0 prints one map a page.
  EXPECT_EQ(odd.otherMaps(), 1);
  EXPECT_EQ(odd.mapsPerPage(), 1);
  const MapDrawStyles oddStyles = readMapDrawStyles(ini);
  EXPECT_EQ(oddStyles.currentPage, PartsPage);
  EXPECT_EQ(oddStyles.millPen.width, 10);
  EXPECT_EQ(oddStyles.parts.pen.width, 1);
}

TEST(MapTabsOfAWindow, ShownRangeAndTheActiveTab) {
  const std::vector<bool> shown = {false, true, false, true, false};
  MapTabs t = mapTabs(
      5, [&](int i) { return shown[static_cast<std::size_t>(i)]; }, 0);
  EXPECT_EQ(t.first, 2);
  EXPECT_EQ(t.last, 4);
  EXPECT_EQ(t.current, 1);  // the active tab, though the filter hides it
  t = mapTabs(
      5, [](int) { return false; }, 2);
  EXPECT_EQ(t.first, 1);
  EXPECT_EQ(t.last, 5);
}

TEST(PrintDialogModel, RangeFieldsAreCorrectedWhenLeft) {
  MapPrintDialogModel m({1, 5, 3}, MapPageParams{});
  EXPECT_EQ(m.fromText, "1");
  EXPECT_EQ(m.toText, "5");
  EXPECT_EQ(m.printRange(), std::make_pair(1, 5));
  m.range = MapRange::Current;
  EXPECT_EQ(m.printRange(), std::make_pair(3, 3));

  m.range = MapRange::Numbers;
  m.fromText = "7";  // above "до" 5
  m.leaveFrom();
  EXPECT_EQ(m.fromText, "1");
  m.fromText = "3";
  m.leaveFrom();
  EXPECT_EQ(m.fromText, "3");
  m.toText = "9";  // above the last tab
  m.leaveTo();
  EXPECT_EQ(m.toText, "5");
  m.toText = "2";  // below "от" 3
  m.leaveTo();
  EXPECT_EQ(m.toText, "5");
  m.toText = "4";
  m.leaveTo();
  EXPECT_EQ(m.printRange(), std::make_pair(3, 4));
  // Not a number counts as 1.
  m.fromText = "три";
  EXPECT_EQ(m.printRange(), std::make_pair(1, 4));
  MapPrintDialogModel shown({2, 4, 1}, MapPageParams{});
  shown.fromText = "x";  // 1, below the first shown tab 2
  shown.leaveFrom();
  EXPECT_EQ(shown.fromText, "2");
}

TEST(PrintDialogModel, EnabledStatesFollowTheirBoxes) {
  MapPrintDialogModel m({1, 3, 1}, MapPageParams{});
  EXPECT_FALSE(m.numbersEnabled());
  EXPECT_FALSE(m.otherSpinEnabled());
  EXPECT_TRUE(m.outlineOptionsEnabled());
  m.params.showDetailOutline = false;
  EXPECT_FALSE(m.outlineOptionsEnabled());
  EXPECT_TRUE(m.listFormatEnabled());
  m.params.showDetailOutline = true;
  m.params.showDetailList = false;
  EXPECT_FALSE(m.outlineOptionsEnabled());
  EXPECT_FALSE(m.listFormatEnabled());
  m.params.showBorderList = false;
  EXPECT_FALSE(m.edgeListOptionsEnabled());
  m.params.showBordersOnMaps = false;
  EXPECT_FALSE(m.edgeStyleEnabled());

  MapDrawStyles s;
  s.parts.title = s.parts.dim = false;
  StylePageEnabled e = stylePageEnabled(s, PartsPage);
  EXPECT_TRUE(e.controls);
  EXPECT_FALSE(e.truncText);
  EXPECT_FALSE(e.fontButton);
  s.waste.draw = false;
  e = stylePageEnabled(s, WastePage);
  EXPECT_FALSE(e.controls || e.truncText || e.fontButton);
  s.millDraw = false;
  EXPECT_FALSE(stylePageEnabled(s, CutsPage).controls);

  EXPECT_EQ(brushSampleColour(0xFFFFFF, 2), 0);  // white hatching shows black
  EXPECT_EQ(brushSampleColour(0xFFFFFF, 0), 0xFFFFFF);
  EXPECT_EQ(brushSampleColour(0x00FF00, 6), 0x00FF00);
}

TEST_F(PrintSettingsTest, ThePrintDialogShowsEnablesAndAlwaysWritesBack) {
  ini.writeInt("Sheet_Page_Params", "BordersOnMapsStyle", 5);
  ini.writeInt("Sheet_Page_Params", "Position", 2);
  ini.writeBool("Sheet_Page_Params", "DetalStat", false);
  {
    MapPrintParamsDialog d({2, 4, 3}, ini);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Параметры печати раскроя"));
    EXPECT_TRUE(d.allMaps()->isChecked());
    EXPECT_EQ(d.fromField()->text(), QStringLiteral("2"));
    EXPECT_EQ(d.toField()->text(), QStringLiteral("4"));
    EXPECT_FALSE(d.fromField()->isEnabled());
    EXPECT_TRUE(d.labelCodes()->isChecked());  // 5 counts as "Код"
    EXPECT_TRUE(d.perPage(OtherMapsPerPage)->isChecked());
    EXPECT_EQ(d.otherSpin()->value(), 1);
    EXPECT_TRUE(d.otherSpin()->isEnabled());
    EXPECT_FALSE(d.statistics(4)->isChecked());
    EXPECT_TRUE(d.statistics(0)->isChecked());
    EXPECT_EQ(d.fontSample()->text(), QStringLiteral("AaZzДдЯя"));

    d.numberedMaps()->setChecked(true);
    EXPECT_TRUE(d.fromField()->isEnabled());
    d.showOutline()->setChecked(false);
    EXPECT_FALSE(d.blackOutline()->isEnabled());
    EXPECT_TRUE(d.listFormat()->isEnabled());
    d.showDetailList()->setChecked(false);
    EXPECT_FALSE(d.showOutline()->isEnabled());
    d.showBorderList()->setChecked(false);
    EXPECT_FALSE(d.borderListFormat()->isEnabled());
    d.bordersOnMaps()->setChecked(false);
    EXPECT_FALSE(d.labelNames()->isEnabled());
    d.perPage(TwoMapsPerPage)->setChecked(true);
    EXPECT_FALSE(d.otherSpin()->isEnabled());
    d.statistics(1)->setChecked(false);

    // Leaving "от" typed above "до" resets it to the first shown tab.
    d.fromField()->setText(QStringLiteral("7"));
    d.model().fromText = "7";
    emit d.fromField()->editingFinished();
    EXPECT_EQ(d.fromField()->text(), QStringLiteral("2"));
    d.reject();  // cancelled: the boxes are stored all the same
  }
  const MapPageParams p = readMapPageParams(ini);
  EXPECT_EQ(p.position, TwoMapsPerPage);
  EXPECT_FALSE(p.totalWStat);
  EXPECT_FALSE(p.showDetailList);
  EXPECT_FALSE(p.showDetailOutline);
  EXPECT_FALSE(p.showBorderList);
  EXPECT_FALSE(p.showBordersOnMaps);
  EXPECT_EQ(p.bordersOnMapsStyle, EdgeLabelCodes);
  EXPECT_EQ(p.mapQuantity, 1);

  // Reopened: the stored values; "Все" again whatever was chosen.
  MapPrintParamsDialog again({1, 3, 1}, ini);
  EXPECT_TRUE(again.allMaps()->isChecked());
  EXPECT_TRUE(again.perPage(TwoMapsPerPage)->isChecked());
  EXPECT_FALSE(again.statistics(1)->isChecked());
  EXPECT_FALSE(again.showDetailList()->isChecked());
  EXPECT_FALSE(again.showOutline()->isEnabled());
}

TEST_F(PrintSettingsTest, PrintReturnsTheRangeAndTheFontChosen) {
  mapPrintChoosers().font = [](const common::FontKeys& current, QWidget*) {
    common::FontKeys f = current;
    f.name = "Times New Roman";
    f.size = 14;
    f.bold = true;
    return std::optional<common::FontKeys>(f);
  };
  MapPrintParamsDialog d({1, 6, 2}, ini);
  d.fontButton()->click();
  d.perPage(OtherMapsPerPage)->setChecked(true);
  d.otherSpin()->setValue(4);
  d.numberedMaps()->setChecked(true);
  d.fromField()->setText(QStringLiteral("3"));
  d.toField()->setText(QStringLiteral("5"));
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.model().printRange(), std::make_pair(3, 5));
  EXPECT_EQ(d.model().params.mapsPerPage(), 4);
  const MapPageParams stored = readMapPageParams(ini);
  EXPECT_EQ(stored.mapFont.name, "Times New Roman");
  EXPECT_EQ(stored.mapFont.size, 14);
  EXPECT_TRUE(stored.mapFont.bold);
  EXPECT_EQ(stored.mapQuantity, 4);

  // "Д&ополнительно" opens the advanced dialog on the same settings.
  ini::IniFile* opened = nullptr;
  MapPrintParamsDialog::advancedDialog() = [&](ini::IniFile& s, QWidget*) { opened = &s; };
  d.advancedButton()->click();
  EXPECT_EQ(opened, &ini);
}

TEST_F(PrintSettingsTest, TheAdvancedDialogWritesOnlyOnYes) {
  mapPrintChoosers().colour = [](std::int32_t, QWidget*) { return std::optional<std::int32_t>(0x00FF00); };
  mapPrintChoosers().font = [](const common::FontKeys& current, QWidget*) {
    common::FontKeys f = current;
    f.size = 7;
    return std::optional<common::FontKeys>(f);
  };
  ini.writeInt("PrnSetupAdv", "CurrentPage", 2);
  {
    AdvancedPrintSetupDialog d(ini);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Дополнительные параметры печати"));
    ASSERT_EQ(d.pages()->count(), 4);
    EXPECT_EQ(d.pages()->item(1)->text(), QStringLiteral("Резы"));
    EXPECT_EQ(d.pages()->currentRow(), OffcutsPage);
    const auto& parts = d.page(PartsPage);
    parts.fillColour->click();
    parts.fillStyle->setCurrentIndex(6);
    parts.lineStyle->setCurrentIndex(2);
    parts.font->click();
    parts.title->setChecked(false);
    EXPECT_TRUE(parts.truncText->isEnabled());
    parts.dim->setChecked(false);
    EXPECT_FALSE(parts.truncText->isEnabled());
    EXPECT_FALSE(parts.font->isEnabled());
    const auto& cuts = d.page(CutsPage);
    cuts.lineWidth->setValue(4);
    cuts.draw->setChecked(false);
    EXPECT_FALSE(cuts.lineWidth->isEnabled());
    const auto& offcuts = d.page(OffcutsPage);
    offcuts.draw->setChecked(false);
    EXPECT_FALSE(offcuts.fillStyle->isEnabled());
    EXPECT_FALSE(offcuts.title->isEnabled());
    d.pages()->setCurrentRow(CutsPage);
    d.reject();
  }
  EXPECT_EQ(readMapDrawStyles(ini), [] {
    MapDrawStyles s;
    s.currentPage = OffcutsPage;
    return s;
  }());

  {
    AdvancedPrintSetupDialog d(ini);
    const auto& parts = d.page(PartsPage);
    parts.fillColour->click();
    parts.fillStyle->setCurrentIndex(6);
    parts.lineStyle->setCurrentIndex(2);
    parts.font->click();
    parts.title->setChecked(false);
    d.page(CutsPage).lineWidth->setValue(4);
    d.page(CutsPage).lineColour->click();
    d.page(OffcutsPage).draw->setChecked(false);
    d.page(WastePage).truncText->setChecked(false);
    d.pages()->setCurrentRow(CutsPage);
    d.accept();
  }
  const MapDrawStyles s = readMapDrawStyles(ini);
  EXPECT_EQ(s.currentPage, CutsPage);
  EXPECT_EQ(s.parts.brush, (common::BrushKeys{0x00FF00, 6}));
  EXPECT_EQ(s.parts.pen.style, 2);
  EXPECT_EQ(s.parts.font.size, 7);
  EXPECT_FALSE(s.parts.title);
  EXPECT_EQ(s.millPen, (common::PenKeys{0x00FF00, 0, 4}));
  EXPECT_FALSE(s.offcuts.draw);
  EXPECT_FALSE(s.waste.truncText);

  // Reopened on the page last shown with the stored values.
  AdvancedPrintSetupDialog again(ini);
  EXPECT_EQ(again.pages()->currentRow(), CutsPage);
  EXPECT_EQ(again.page(PartsPage).fillStyle->currentIndex(), 6);
  EXPECT_EQ(again.page(CutsPage).lineWidth->value(), 4);
  EXPECT_FALSE(again.page(OffcutsPage).draw->isChecked());
  EXPECT_FALSE(again.page(OffcutsPage).fillColour->isEnabled());
}

}  // namespace
}  // namespace kroyna::reports
