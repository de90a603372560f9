#include "StockFixture.h"

#include "common/Messages.h"
#include "common/settings/MaterialSettings.h"
#include "platform/ini/IniFile.h"
#include "warehouse/MinimumStock.h"
#include "warehouse/StockCheck.h"
#include "warehouse/ui/MinimumStockDialogs.h"
#include "warehouse/ui/StockCheckDialog.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

namespace fs = std::filesystem;
using testing::StockFolder;

const QString kEnough = QStringLiteral("Стандартных листов на складе достаточно!");

// Records the messages and the shortage reports shown.
struct Shown {
  Shown()
      : handler([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          messages << text;
          return common::MsgResult::Ok;
        }) {
    setShortageDisplay([this](const QStringList& lines) { reports << lines; });
  }
  ~Shown() { setShortageDisplay({}); }
  QStringList messages;
  QList<QStringList> reports;
  common::ScopedMessageHandler handler;
};

// Materials ДВП 3 (5), ДСП 16 белый (3) and МДФ 10 (4), in that name order.
struct Stock {
  Stock() : ini(f.root() / "Kroyna.ini") {
    f.storeSheet(2800, 2070, 12, 3);
    f.storeSheet(2070, 1400, 0, 4);
    f.storeSheet(2440, 1830, 3, 3);
    f.storeSheet(1830, 1220, 5, 3);  // exactly the minimum
    f.storeSheet(2800, 2070, 2, 4);
    f.storeSheet(2800, 2070, 0, 5);  // no minimum
    module = f.openModule();
  }
  StockFolder f;
  ini::IniFile ini;
  std::unique_ptr<StockModule> module;
};

TEST(StockCheck, SizesBelowTheirMaterialsMinimumAreListedInMaterialNameAndTableOrder) {
  Stock s;
  common::MaterialSettings(3).setMinimumSheets(s.ini, 5);
  common::MaterialSettings(4).setMinimumSheets(s.ini, 3);
  Shown shown;
  checkStock(*s.module, s.ini, true);
  EXPECT_TRUE(shown.messages.isEmpty());
  ASSERT_EQ(shown.reports.size(), 1);
  EXPECT_EQ(shown.reports[0], (QStringList{"ДСП 16 белый", "Лист 2440 x 1830, 3 шт. (из 5)", "", "МДФ 10",
                                           "Лист 2070 x 1400, 0 шт. (из 3)", "Лист 2800 x 2070, 2 шт. (из 3)", ""}));

  // Unsaved changes count: the working copy is checked.
  s.module->addSheets(2440, 1830, 2, 3);
  s.module->addSheets(2070, 1400, 3, 4);
  s.module->addSheets(2800, 2070, 1, 4);
  Shown after;
  checkStock(*s.module, s.ini, true);
  EXPECT_TRUE(after.reports.isEmpty());
  EXPECT_EQ(after.messages, QStringList{kEnough});
}

TEST(StockCheck, TheShortageDialogShowsTheReportUnderItsHeading) {
  Stock s;
  common::MaterialSettings(3).setMinimumSheets(s.ini, 5);
  common::MaterialSettings(4).setMinimumSheets(s.ini, 3);
  const StockShortage found = findShortage(*s.module, s.ini);
  StockShortageDialog d(found.lines);
  EXPECT_EQ(d.windowTitle(), "Стандартные листы");
  EXPECT_TRUE(d.report()->isReadOnly());
  EXPECT_EQ(d.report()->toPlainText(), found.lines.join("\n"));
  EXPECT_EQ(d.report()->toPlainText().split("\n").at(1), "Лист 2440 x 1830, 3 шт. (из 5)");
  const QString dir = qEnvironmentVariable("KROYNA_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    d.show();
    QApplication::processEvents();
    d.grab().save(dir + "/stock-shortage.png");
  }
}

TEST(StockCheck, WithAllMinimumsZeroTheCommandSaysEnoughAndTheAutomaticCheckNothing) {
  Stock s;
  common::MaterialSettings(3).setMinimumSheets(s.ini, 0);
  {
    Shown shown;
    checkStock(*s.module, s.ini, true);
    EXPECT_EQ(shown.messages, QStringList{kEnough});
    EXPECT_TRUE(shown.reports.isEmpty());
  }
  s.ini.writeBool("Default", "CheckStdSheetsQuantity", true);
  {
    Shown shown;
    checkStockAutomatically(*s.module, s.ini);
    EXPECT_TRUE(shown.messages.isEmpty());
    EXPECT_TRUE(shown.reports.isEmpty());
  }
  // With a shortage, the automatic check shows it only while switched on.
  common::MaterialSettings(5).setMinimumSheets(s.ini, 1);
  {
    Shown shown;
    checkStockAutomatically(*s.module, s.ini);
    EXPECT_EQ(shown.reports, (QList<QStringList>{{"ДВП 3", "Лист 2800 x 2070, 0 шт. (из 1)", ""}}));
  }
  s.ini.writeBool("Default", "CheckStdSheetsQuantity", false);
  {
    Shown shown;
    checkStockAutomatically(*s.module, s.ini);
    EXPECT_TRUE(shown.reports.isEmpty());
  }
}

TEST(StockCheck, UnreadableSheetsAreReportedNotPassedOffAsEnough) {
  Stock s;
  s.module->closeViews();
  testing::writeBytes(s.module->workingCopy(StockKind::Sheets), "damaged");
  Shown shown;
  checkStock(*s.module, s.ini, true);
  ASSERT_EQ(shown.messages.size(), 1);
  EXPECT_TRUE(shown.messages[0].startsWith("Не удалось проверить количество стандартных листов на складе:"));
  EXPECT_TRUE(shown.messages[0].contains("TempSh.dbf"));
}

TEST(StockCheck, WithoutADialogTheReportGoesThroughTheMessageBoxes) {
  Stock s;
  common::MaterialSettings(5).setMinimumSheets(s.ini, 2);
  QStringList texts;
  common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon icon, common::MsgButtons) {
    EXPECT_EQ(icon, common::MsgIcon::Warning);
    texts << text;
    return common::MsgResult::Ok;
  });
  checkStock(*s.module, s.ini, true);
  ASSERT_EQ(texts.size(), 1);
  EXPECT_TRUE(texts[0].startsWith("ВНИМАНИЕ!\r\nНедостаточно следующих стандартных листов на складе"));
  EXPECT_TRUE(texts[0].contains("Лист 2800 x 2070, 0 шт. (из 2)"));
}

TEST(MinimumStock, OnlyTheFirstItemOfWhCountsAndWritingKeepsTheOtherKeys) {
  testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  EXPECT_EQ(common::MaterialSettings(3).minimumSheets(ini), 0);  // missing
  const std::pair<const char*, std::int32_t> cases[] = {{"7", 7},      {"12,1,abc", 12}, {" 4 ", 4},
                                                        {"", 0},       {"x", 0},         {"5x", 0},
                                                        {"-3", 0},     {"2.5", 0},       {"99999999999", 2147483647},
                                                        {"\"8\",2", 8}};
  for (const auto& [text, value] : cases) {
    ini.writeString("Material3", "WH", text);
    EXPECT_EQ(common::MaterialSettings(3).minimumSheets(ini), value) << text;
  }
  ini.writeString("Material3", "Optim", "1,2800,2070,1,1,200,0,0,0,,0");
  common::MaterialSettings(3).setMinimumSheets(ini, 6);
  EXPECT_EQ(ini.readString("Material3", "WH"), "6");
  EXPECT_EQ(ini.readString("Material3", "Optim"), "1,2800,2070,1,1,200,0,0,0,,0");

  EXPECT_EQ(parseMinimum(" 2147483647 "), 2147483647);
  EXPECT_EQ(parseMinimum("0"), 0);
  for (const char* bad : {"", "-1", "2147483648", "1.5", "пять", "1 2"}) EXPECT_FALSE(parseMinimum(bad)) << bad;
}

// The minimum stock dialog over the fixture's materials.
struct MinimumDialog {
  explicit MinimumDialog(int code = 4) : ini(f.root() / "Kroyna.ini") {
    module = f.openModule();
    ini.writeString("Material5", "Scrap", "0,1,200,1,100,1,100000,0,0,0,0,0");
    common::MaterialSettings(3).setMinimumSheets(ini, 2);
    dialog = std::make_unique<MinimumStockDialog>(*module, ini, code);
    dialog->setQuantityPrompt([this](std::int32_t initial) {
      prompted.push_back(initial);
      return answer;
    });
  }
  int current() const { return dialog->grid()->currentIndex().row(); }
  void select(std::initializer_list<int> rows) {
    dialog->grid()->clearSelection();
    for (int r : rows)
      dialog->grid()->selectionModel()->select(dialog->model()->index(r, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QString cell(int row) const {
    return dialog->model()->data(dialog->model()->index(row, 1), Qt::DisplayRole).toString();
  }

  StockFolder f;
  ini::IniFile ini;
  std::unique_ptr<StockModule> module;
  std::unique_ptr<MinimumStockDialog> dialog;
  std::vector<std::int32_t> prompted;
  std::optional<std::int32_t> answer;
};

TEST(MinimumStockDialog, QuantitySetsEverySelectedRowAndYesWritesEveryMaterial) {
  MinimumDialog d(4);
  auto& m = *d.dialog->model();
  ASSERT_EQ(m.rowCount(), 3);
  EXPECT_EQ(m.data(m.index(0, 0), Qt::DisplayRole).toString(), "ДВП 3");
  EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Количество");
  EXPECT_EQ(d.current(), 2);  // МДФ 10, the material it was opened for
  EXPECT_EQ(d.cell(1), "2");  // the stored minimum of ДСП 16 белый
  EXPECT_TRUE(fs::exists(minimumScratchTable(d.f.root())));

  d.select({0, 1});
  d.answer = 7;
  d.dialog->quantityButton()->click();
  EXPECT_EQ(d.prompted, std::vector<std::int32_t>{0});  // several rows: starts at 0
  EXPECT_EQ(d.cell(0), "7");
  EXPECT_EQ(d.cell(1), "7");
  EXPECT_EQ(d.cell(2), "0");
  d.select({1});
  d.answer = std::nullopt;
  d.dialog->quantityButton()->click();
  EXPECT_EQ(d.prompted.back(), 7);  // one row: starts at its minimum
  EXPECT_EQ(d.cell(1), "7");
  // Typed directly into the cell.
  EXPECT_TRUE(m.setData(m.index(2, 1), " 12 ", Qt::EditRole));
  EXPECT_FALSE(m.flags(m.index(2, 0)) & Qt::ItemIsEditable);
  // Nothing reaches the settings before "&Да".
  EXPECT_EQ(common::MaterialSettings(5).minimumSheets(d.ini), 0);

  d.dialog->accept();
  EXPECT_EQ(d.ini.readString("Material5", "WH"), "7");
  EXPECT_EQ(d.ini.readString("Material3", "WH"), "7");
  EXPECT_EQ(d.ini.readString("Material4", "WH"), "12");
  EXPECT_EQ(d.ini.readString("Material5", "Scrap"), "0,1,200,1,100,1,100000,0,0,0,0,0");
  d.dialog.reset();
  EXPECT_FALSE(fs::exists(minimumScratchTable(d.f.root())));
}

TEST(MinimumStockDialog, CancelStoresNothingAndBadInputKeepsTheMinimum) {
  MinimumDialog d(kAllMaterials);
  EXPECT_EQ(d.current(), 0);  // all materials: the first row
  const std::string before = testing::readBytes(d.ini.path());
  d.select({0, 1, 2});
  d.answer = 9;
  d.dialog->quantityButton()->click();
  QStringList shown;
  {
    common::ScopedMessageHandler h([&](const QString& text, common::MsgIcon, common::MsgButtons) {
      shown << text;
      return common::MsgResult::Ok;
    });
    auto& m = *d.dialog->model();
    EXPECT_FALSE(m.setData(m.index(1, 1), "-4", Qt::EditRole));
    EXPECT_FALSE(m.setData(m.index(1, 1), "много", Qt::EditRole));
  }
  EXPECT_EQ(shown, (QStringList(2, minimumInputError())));
  EXPECT_EQ(d.cell(1), "9");
  d.dialog->reject();
  d.dialog.reset();
  EXPECT_EQ(testing::readBytes(d.ini.path()), before);
  EXPECT_FALSE(fs::exists(minimumScratchTable(d.f.root())));
}

TEST(MinimumStockDialog, LongMaterialNamesAreListedInFullWithEveryMaterialAfterThem) {
  StockFolder f;
  const std::string longName = "ДСП 16 мм ламинированная Дуб Бардолино натуральный, 2800 x 2070";
  f.addMaterial(7, longName);
  ini::IniFile ini(f.root() / "Kroyna.ini");
  auto module = f.openModule();
  MinimumStockDialog dialog(*module, ini, 7);
  auto& m = *dialog.model();
  ASSERT_EQ(m.rowCount(), 4);
  EXPECT_EQ(m.data(m.index(2, 0), Qt::DisplayRole).toString().toStdString(), longName);
  EXPECT_EQ(m.data(m.index(3, 0), Qt::DisplayRole).toString(), "МДФ 10");
  EXPECT_EQ(dialog.grid()->currentIndex().row(), 2);
}

}  // namespace
}  // namespace kroyna::warehouse
