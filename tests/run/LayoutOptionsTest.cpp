#include "common/Messages.h"
#include "common/settings/MaterialSettings.h"
#include "platform/ini/IniFile.h"
#include "run/CuttingRun.h"
#include "run/ui/LayoutOptionsDialog.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <map>

namespace kroyna::run {
namespace {

struct Fixture {
  Fixture() : ini(dir / "Kroyna.ini") {
    ini.writeString("Material3", "Optim", "1,2800,2070,0,1,5,0,99,1,old,0");
    stock.firstSize = [this](int code) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
      for (const auto& [key, many] : sheets)
        if (std::get<0>(key) == code) return std::make_pair(std::get<1>(key), std::get<2>(key));
      return std::nullopt;
    };
    stock.stock = [this](int code, std::int32_t l, std::int32_t w) -> std::optional<std::int32_t> {
      const auto it = sheets.find({code, l, w});
      if (it == sheets.end()) return std::nullopt;
      return it->second;
    };
  }
  LayoutOptionsModel model() {
    return LayoutOptionsModel(ini, dir / "Kroyna.tmp", {{3, "ДСП 16"}, {4, "МДФ 10"}},
                              [](int code) { return code == 3 ? std::string("кухня") : std::string(); });
  }
  testing::TempDir dir;
  ini::IniFile ini;
  std::map<std::tuple<int, std::int32_t, std::int32_t>, std::int32_t> sheets;
  SheetStockLookup stock;
};

TEST(LayoutOptions, OpeningCopiesOptionsWithRemarkAndNoStock) {
  Fixture f;
  ini::IniFile old(f.dir / "Kroyna.tmp");
  old.writeString("Material77", "Optim", "0");
  LayoutOptionsModel m = f.model();
  m.open();
  EXPECT_FALSE(m.workFile().sectionExists("Material77"));  // the old work file is gone
  const OptimRecord r3 = m.read(3);
  EXPECT_EQ(r3.length, 2800);
  EXPECT_EQ(r3.stock, 0);
  EXPECT_EQ(r3.remark, "кухня");
  EXPECT_EQ(m.read(4), OptimRecord{});
  // Kroyna.ini is untouched until "&Да".
  EXPECT_EQ(f.ini.readString("Material3", "Optim"), "1,2800,2070,0,1,5,0,99,1,old,0");
}

TEST(LayoutOptions, ButtonsForAllMaterials) {
  Fixture f;
  LayoutOptionsModel m = f.model();
  m.open();
  m.setDepthForAll(4);
  m.setSearchForAll(1);
  m.setAlgorithmForAll(1, true);
  m.setRemarkForAll("срочно");
  for (int code : {3, 4}) {
    const OptimRecord r = m.read(code);
    EXPECT_EQ(r.depth, 4);
    EXPECT_EQ(r.fullSearch, 1);
    EXPECT_EQ(r.algorithm, 1);
    EXPECT_TRUE(r.oneDimOpt);
    EXPECT_EQ(r.remark, "срочно");
  }
}

TEST(LayoutOptions, AutoSizeWithoutSheetsGivesZeroAndTheStockCheckRefuses) {
  Fixture f;
  f.sheets[{3, 1830, 2440}] = 4;
  f.sheets[{3, 2800, 2070}] = 2;
  LayoutOptionsModel m = f.model();
  m.open();
  m.autoSize(f.stock);
  EXPECT_EQ(m.read(3).length, 1830);  // the first row of the material
  EXPECT_TRUE(m.read(3).stockControl);
  const OptimRecord r4 = m.read(4);
  EXPECT_EQ(r4.length, 0);
  EXPECT_EQ(r4.width, 0);
  EXPECT_TRUE(r4.stockControl);
  const auto message = m.accept(f.stock);
  ASSERT_TRUE(message);
  EXPECT_EQ(*message, "ВНИМАНИЕ!\rРазложение невозможно!\r\rЛисты <МДФ 10> размером 0x0 на складе отсутствуют.");
  // Sections were copied into Kroyna.ini before the check.
  EXPECT_EQ(common::MaterialSettings(4).layoutOptions(f.ini).stockControl, true);
  // The material checked before the missing one got its stock.
  EXPECT_EQ(m.read(3).stock, 4);
}

TEST(LayoutOptions, AcceptWritesTheStockOfEveryControlledMaterial) {
  Fixture f;
  f.sheets[{3, 2800, 2070}] = 0;
  LayoutOptionsModel m = f.model();
  m.open();
  // A size whose stock row has MANY 0 is missing too.
  EXPECT_TRUE(m.accept(f.stock));
  f.sheets[{3, 2800, 2070}] = 6;
  EXPECT_FALSE(m.accept(f.stock));
  EXPECT_EQ(m.read(3).stock, 6);
  // A disabled material is not checked.
  OptimRecord r = m.read(3);
  r.enabled = false;
  m.write(3, r);
  f.sheets.clear();
  EXPECT_FALSE(m.accept(f.stock));
  EXPECT_FALSE(common::MaterialSettings(3).layoutOptions(f.ini).enabled);
}

TEST(LayoutOptionsDialog, PagesAreWrittenBackWhenSwitchingAndOnAccept) {
  Fixture f;
  LayoutOptionsModel m = f.model();
  m.open();
  LayoutOptionsDialog d(m, f.stock);
  ASSERT_EQ(d.list()->count(), 2);
  EXPECT_EQ(d.shownCode(), 3);
  EXPECT_EQ(d.lengthEdit()->text(), "2800");
  d.lengthEdit()->setText("12x");  // not a number: 0
  d.selectMaterial(1);
  EXPECT_EQ(m.read(3).length, 0);
  // A new material: enabled, zero size, controls enabled.
  EXPECT_TRUE(d.enabledBox()->isChecked());
  EXPECT_TRUE(d.lengthEdit()->isEnabled());
  d.enabledBox()->setChecked(false);
  EXPECT_FALSE(d.lengthEdit()->isEnabled());
  d.selectMaterial(0);
  EXPECT_FALSE(m.read(4).enabled);

  // "&Авто - размер листов" then "&Да" with no sheets: the message, dialog open.
  QStringList shown;
  common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon, common::MsgButtons) {
    shown << text;
    return common::MsgResult::Ok;
  });
  d.autoSize();
  EXPECT_TRUE(d.stockControlBox()->isChecked());
  EXPECT_EQ(d.lengthEdit()->text(), "0");
  d.accept();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains("размером 0x0"));
  EXPECT_NE(d.result(), QDialog::Accepted);

  // "&База листов" fills the size and turns stock control on.
  d.chooseSheet = [](int, const QString&) { return std::make_optional(std::make_pair(2500, 1250)); };
  d.stockControlBox()->setChecked(false);
  d.chooseFromStock();
  EXPECT_EQ(d.lengthEdit()->text(), "2500");
  EXPECT_TRUE(d.stockControlBox()->isChecked());
}

}  // namespace
}  // namespace kroyna::run

namespace kroyna::run {
namespace {

// The improved search is a third "Способ перебора", kept under its own key
// `Improved` so that item 8 of `Optim` keeps the quick or full choice the
// improved search is compared with, and older files read as before.
TEST(LayoutOptionsDialog, ImprovedSearchIsAThirdWayStoredUnderItsOwnKey) {
  Fixture f;
  LayoutOptionsModel m = f.model();
  m.open();
  LayoutOptionsDialog d(m, f.stock);
  // Material 3 chose "Полный" before the improved search existed.
  EXPECT_TRUE(d.fullButton()->isChecked());
  EXPECT_FALSE(d.improvedButton()->isChecked());
  EXPECT_FALSE(d.effortBox()->isEnabled());  // only with "Улучшенный"
  d.improvedButton()->setChecked(true);
  EXPECT_TRUE(d.effortBox()->isEnabled());
  d.effortBox()->setValue(8);
  {
    // Typed 99 is refused with the limits named, not quietly taken as 9.
    QStringList said;
    common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon, common::MsgButtons) {
      said << text;
      return common::MsgResult::Ok;
    });
    QSpinBox* box = d.effortBox();
    box->selectAll();
    for (const auto& [key, text] : {std::pair{Qt::Key_9, "9"}, {Qt::Key_9, "9"}, {Qt::Key_Return, "\r"}}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
      QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(box->value(), 8);
    EXPECT_EQ(box->text(), "8");
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains("от 1 до 10")) << said[0].toStdString();
  }
  d.selectMaterial(1);
  const OptimRecord r3 = m.read(3);
  EXPECT_TRUE(r3.improved);
  EXPECT_EQ(r3.effort, 8);
  EXPECT_EQ(r3.fullSearch, 1);                // kept: the search it is compared with
  EXPECT_TRUE(d.quickButton()->isChecked());  // material 4 has no choice yet

  // "&Да" copies the new key with the sections; `Optim` reads as before.
  f.sheets[{3, 2800, 2070}] = 5;
  d.accept();
  EXPECT_EQ(f.ini.readString("Material3", "Improved"), "1,8");
  EXPECT_EQ(f.ini.readString("Material3", "Optim"), "1,2800,2070,0,1,5,0,0,1,кухня,0");
  EXPECT_EQ(f.ini.readString("Material4", "Improved"), "0,5");

  // Shown again, the page is as left; back to "Быстрый" clears the key's flag only.
  LayoutOptionsModel again = f.model();
  again.open();
  LayoutOptionsDialog d2(again, f.stock);
  EXPECT_TRUE(d2.improvedButton()->isChecked());
  EXPECT_EQ(d2.effortBox()->value(), 8);
  d2.quickButton()->setChecked(true);
  d2.selectMaterial(1);
  EXPECT_FALSE(again.read(3).improved);
  EXPECT_EQ(again.read(3).fullSearch, 0);
}

TEST(LayoutOptions, SearchForAllMaterialsIncludesTheImprovedSearch) {
  Fixture f;
  LayoutOptionsModel m = f.model();
  m.open();
  m.setSearchForAll(0, true, 3);
  for (int code : {3, 4}) {
    EXPECT_TRUE(m.read(code).improved);
    EXPECT_EQ(m.read(code).effort, 3);
  }
  EXPECT_EQ(m.read(3).fullSearch, 1);  // the quick or full choice stays
  m.setSearchForAll(0);
  for (int code : {3, 4}) {
    EXPECT_FALSE(m.read(code).improved);
    EXPECT_EQ(m.read(code).fullSearch, 0);
  }
}

// "Ступеней резов не более" goes with the improved search into its key,
// and a run of the material hands it to the engine.
TEST(LayoutOptionsDialog, StageLimitIsStoredWithTheImprovedSearch) {
  Fixture f;
  LayoutOptionsModel m = f.model();
  m.open();
  LayoutOptionsDialog d(m, f.stock);
  QComboBox* stages = d.stagesBox();
  ASSERT_EQ(stages->count(), 4);
  EXPECT_EQ(stages->itemText(3), QStringLiteral("без ограничения"));
  EXPECT_EQ(stages->currentIndex(), 3);  // no limit before there were limits
  EXPECT_FALSE(stages->isEnabled());     // only with "Улучшенный"
  d.improvedButton()->setChecked(true);
  EXPECT_TRUE(stages->isEnabled());
  stages->setCurrentIndex(stages->findText(QStringLiteral("3")));
  d.selectMaterial(1);
  EXPECT_EQ(m.read(3).stages, 3);
  EXPECT_EQ(cuttingParameters(m.read(3), DefaultParams{}).MaxStages, 3);
  EXPECT_EQ(cuttingParameters(m.read(4), DefaultParams{}).MaxStages, 0);
  f.sheets[{3, 2800, 2070}] = 5;
  d.accept();
  EXPECT_EQ(f.ini.readString("Material3", "Improved"), "1,5,3");

  // The button for all materials carries the limit; a stored limit the
  // search does not know reads as the default's.
  m.setSearchForAll(0, true, 4, 2);
  EXPECT_EQ(m.read(4).stages, 2);
  f.ini.writeString("Material3", "Improved", "1,5,7");
  EXPECT_EQ(common::MaterialSettings(3).layoutOptions(f.ini).stages, 0);
  EXPECT_EQ(common::parseImproved("1,5,1", {true, 5, 4}).stages, 4);
  EXPECT_EQ(common::parseImproved("1,5", {true, 5, 4}).stages, 4);
}

}  // namespace
}  // namespace kroyna::run
