// Accepting a cutting result into the stock working copies: offcuts cut up
// leave the stock, useful offcuts come in (with automatic marks when asked),
// standard sheets take their remaining counts, the stored tables stay as
// they were, and a failing step puts everything back.

#include "maps/AcceptResult.h"
#include "maps/MapsTestSupport.h"

#include "common/Messages.h"
#include "platform/dbase/Table.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kroyna::maps {
namespace {

using kroyna::testing::OffcutSpec;
using kroyna::testing::readBytes;
using kroyna::testing::rowsOf;
using kroyna::testing::StockFolder;
using kroyna::testing::writeBytes;
namespace fs = std::filesystem;
using testing::FakeEnvironment;
using testing::LayoutBuilder;
using testing::minimumSize;
using warehouse::StockKind;
using Rows = std::vector<std::vector<std::string>>;

QString u(const char* s) { return QString::fromUtf8(s); }

const dbase::Date kToday{2024, 5, 17};
const std::string kTodayText = "17.05.2024";

// One map: a sheet of `length` x `width` (an offcut from stock when `name`
// is given or `fromStock` is set), cut `quantity` times, with free
// rectangles of the given true sizes. Offcuts below 100 x 100 are waste.
struct MapShape {
  std::int32_t length = 2800;
  std::int32_t width = 2070;
  bool fromStock = false;
  std::string name;
  std::int32_t quantity = 1;
  std::vector<std::pair<std::int32_t, std::int32_t>> offcuts;
};

class AcceptResultTest : public ::testing::Test {
 protected:
  AcceptResultTest() : ini(stock.dir / "Kroyna.ini") {
    env.criteria[3] = minimumSize(100, 100);
    env.criteria[4] = minimumSize(100, 100);
  }

  void addMap(int code, const MapShape& shape) {
    LayoutBuilder b(shape.length, shape.width);
    b.layout.IsScrap = shape.fromStock || !shape.name.empty();
    b.layout.Name = shape.name;
    b.layout.Quantity = shape.quantity;
    std::int32_t y = -2;
    for (const auto& [l, w] : shape.offcuts) {
      b.region(-2, y, l + 4, w + 4);
      y += w + 4;
    }
    doc.addMap(u("map"), code, b.finished(), 4, QString());
    doc.setModified(false);
  }

  // Opens the module (working copies made) and accepts the document.
  QString accept() {
    module = stock.openModule();
    storedSheets = readBytes(stock.stored(StockKind::Sheets));
    storedScraps = readBytes(stock.stored(StockKind::Scraps));
    ResultAcceptance acceptance(*module, ini);
    return acceptance.apply(doc, kToday);
  }

  Rows scraps() const { return rowsOf(module->workingCopy(StockKind::Scraps)); }
  Rows sheets() const { return rowsOf(module->workingCopy(StockKind::Sheets)); }

  void expectStoredTablesUntouched() {
    EXPECT_EQ(readBytes(stock.stored(StockKind::Sheets)), storedSheets);
    EXPECT_EQ(readBytes(stock.stored(StockKind::Scraps)), storedScraps);
  }

  StockFolder stock;
  ini::IniFile ini;
  FakeEnvironment env;
  MapsDocument doc{env};
  std::unique_ptr<warehouse::StockModule> module;
  std::string storedSheets, storedScraps;
};

TEST_F(AcceptResultTest, OffcutSheetsAreTakenFromMatchingRowsInTableOrder) {
  stock.storeOffcut({"A-7", 1200, 600, 5, 4});
  stock.storeOffcut({"A-8", 1200, 600, 2, 4});
  stock.storeOffcut({"", 900, 500, 2, 3});
  stock.storeOffcut({"X", 900, 500, 5, 3});
  stock.storeOffcut({"", 900, 500, 4, 3});
  stock.storeOffcut({"", 900, 500, 9, 4});  // another material
  addMap(4, {1200, 600, true, "A-7", 2, {}});
  addMap(4, {1200, 600, true, "A-8", 2, {}});
  // An unnamed offcut sheet cut three times: the unnamed rows of that size
  // give 2 and then 1; the named "X" is not touched.
  addMap(3, {900, 500, true, "", 3, {}});
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(scraps(), (Rows{{"A-7", "1200", "600", "3", "4", "01.03.2005"},
                            {"X", "900", "500", "5", "3", "01.03.2005"},
                            {"", "900", "500", "3", "3", "01.03.2005"},
                            {"", "900", "500", "9", "4", "01.03.2005"}}));
  EXPECT_TRUE(module->scrapsChanged());
  EXPECT_FALSE(module->sheetsChanged());
  expectStoredTablesUntouched();
}

TEST_F(AcceptResultTest, UsefulOffcutsAreBookedInWithTheMapsQuantityAndMerged) {
  // Two useful offcuts of one size and one useless on a map cut three
  // times; the merge folds the two equal rows into one of 6.
  addMap(3, {2800, 2070, false, "", 3, {{1000, 500}, {1000, 500}, {2800, 40}}});
  addMap(4, {1200, 600, true, "B-1", 1, {{700, 600}}});
  stock.storeOffcut({"B-1", 1200, 600, 1, 4});
  doc.renameOffcut(1, 0, u("B-1/1"));
  doc.setModified(false);
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(scraps(), (Rows{{"", "1000", "500", "6", "3", kTodayText}, {"B-1/1", "700", "600", "1", "4", kTodayText}}));
  EXPECT_FALSE(doc.isModified());
  expectStoredTablesUntouched();
}

TEST_F(AcceptResultTest, AutomaticMarksNameUnnamedOffcutsOnTheMapsToo) {
  ini.writeBool("Default", "AutoScrapsMark", true);
  ini.writeString("Material3", "Mark", "0,K-,,0");
  stock.storeOffcut({"K-1", 300, 300, 1, 3});
  addMap(3, {2800, 2070, false, "", 1, {{1000, 500}, {1000, 500}, {50, 50}}});
  addMap(3, {2800, 2070, false, "", 1, {{800, 400}}});
  doc.renameOffcut(1, 0, u("named"));
  doc.setModified(false);
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(doc.map(0).Offcuts[0].ScrapName, "K-2");
  EXPECT_EQ(doc.map(0).Offcuts[0].Text, "K-2");
  EXPECT_EQ(doc.map(0).Offcuts[1].ScrapName, "K-3");
  EXPECT_EQ(doc.map(0).Offcuts[2].ScrapName, std::string());  // waste gets no mark
  EXPECT_EQ(doc.map(1).Offcuts[0].ScrapName, "named");
  EXPECT_TRUE(doc.isModified());  // the names must not be lost on close
  EXPECT_EQ(scraps(), (Rows{{"K-1", "300", "300", "1", "3", "01.03.2005"},
                            {"K-2", "1000", "500", "1", "3", kTodayText},
                            {"K-3", "1000", "500", "1", "3", kTodayText},
                            {"named", "800", "400", "1", "3", kTodayText}}));
  EXPECT_EQ(ini.readString("Material3", "Mark"), "0,K-,,0");
}

TEST_F(AcceptResultTest, ContinuousMarksMoveTheStoredNumberOn) {
  ini.writeBool("Default", "AutoScrapsMark", true);
  ini.writeString("Material3", "Mark", "1,,/A,10");
  addMap(3, {2800, 2070, false, "", 1, {{1000, 500}, {900, 500}}});
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(doc.map(0).Offcuts[0].ScrapName, "11/A");
  EXPECT_EQ(doc.map(0).Offcuts[1].ScrapName, "12/A");
  EXPECT_EQ(ini.readString("Material3", "Mark"), "1,,/A,12");
}

TEST_F(AcceptResultTest, WithoutAutomaticMarksUnnamedOffcutsStayUnnamed) {
  addMap(3, {2800, 2070, false, "", 1, {{1000, 500}}});
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(scraps(), (Rows{{"", "1000", "500", "1", "3", kTodayText}}));
  EXPECT_EQ(doc.map(0).Offcuts[0].ScrapName, std::string());
  EXPECT_FALSE(doc.isModified());
}

TEST_F(AcceptResultTest, StandardSheetsTakeTheRemainingCountsOfTheUsedSheetsList) {
  stock.storeSheet(2800, 2070, 10, 3);
  stock.storeSheet(2800, 2070, 4, 4);
  stock.storeSheet(1830, 2440, 5, 3);
  addMap(3, {2800, 2070, false, "", 3, {}});
  doc.usingSheets().add(3, 2800, 2070, 10, 0);
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(sheets(), (Rows{{"2800", "2070", "0", "3"}, {"2800", "2070", "4", "4"}, {"1830", "2440", "5", "3"}}));
  EXPECT_TRUE(module->sheetsChanged());
  expectStoredTablesUntouched();
}

TEST_F(AcceptResultTest, WithoutStockControlTheSheetStockIsLeftAlone) {
  stock.storeSheet(2800, 2070, 10, 3);
  addMap(3, {2800, 2070, false, "", 3, {}});
  ASSERT_EQ(accept(), QString());
  EXPECT_EQ(sheets(), (Rows{{"2800", "2070", "10", "3"}}));
  EXPECT_FALSE(module->sheetsChanged());
}

TEST_F(AcceptResultTest, AFailingStepPutsEverythingBack) {
  ini.writeBool("Default", "AutoScrapsMark", true);
  ini.writeString("Material3", "Mark", "1,M,,5");
  stock.storeOffcut({"A-7", 1200, 600, 5, 3});
  stock.storeSheet(2800, 2070, 10, 3);
  addMap(3, {1200, 600, true, "A-7", 2, {{500, 500}}});
  addMap(3, {2800, 2070, false, "", 1, {{900, 500}}});
  doc.usingSheets().add(3, 2800, 2070, 10, 9);
  module = stock.openModule();
  const std::string sheetsBefore = readBytes(module->workingCopy(StockKind::Sheets));
  const std::string scrapsBefore = readBytes(module->workingCopy(StockKind::Scraps));
  // Without the template of the offcut table the merge cannot make its
  // scratch table: the merge step fails after offcuts were taken and booked.
  std::filesystem::remove(stock.dir / "Pattern" / "Scraps.dbf");

  ResultAcceptance acceptance(*module, ini);
  EXPECT_EQ(acceptance.apply(doc, kToday), u(kMergeFailed));
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Sheets)), sheetsBefore);
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Scraps)), scrapsBefore);
  EXPECT_FALSE(module->sheetsChanged());
  EXPECT_FALSE(module->scrapsChanged());
  EXPECT_EQ(ini.readString("Material3", "Mark"), "1,M,,5");
  EXPECT_EQ(doc.map(0).Offcuts[0].ScrapName, std::string());
  EXPECT_EQ(doc.map(1).Offcuts[0].ScrapName, std::string());
  EXPECT_FALSE(doc.isModified());
  // The views show the working copies again; no backup is left behind.
  EXPECT_TRUE(module->tblScraps().isOpen());
  EXPECT_EQ(module->tblScraps().rowCount(), 1u);
  for (const auto& e : std::filesystem::directory_iterator(stock.dir / "Temp"))
    EXPECT_EQ(e.path().string().find(".accept"), std::string::npos) << e.path();
}

TEST_F(AcceptResultTest, AnEarlierBackupIsKeptAndAFailedRestoreSaysWhereTheCopyIs) {
  stock.storeOffcut({"A-7", 1200, 600, 5, 3});
  addMap(3, {1200, 600, true, "A-7", 2, {{500, 500}}});
  module = stock.openModule();
  const fs::path temp = stock.dir / "Temp";
  // Left by an accept whose restore failed: the only copy of that stock.
  writeBytes(temp / "TempSc.accept.dbf", "the stock of an earlier failed accept");
  const std::string scrapsBefore = readBytes(module->workingCopy(StockKind::Scraps));
  std::filesystem::remove(stock.dir / "Pattern" / "Scraps.dbf");  // the merge fails
  // Another window holds the offcut table: it cannot be put back.
  dbase::Table held = dbase::Table::open(module->workingCopy(StockKind::Scraps));
  ResultAcceptance acceptance(*module, ini);
  const QString failure = acceptance.apply(doc, kToday);
  held.close();
  EXPECT_TRUE(failure.startsWith(u(kMergeFailed))) << failure.toStdString();
  EXPECT_EQ(readBytes(temp / "TempSc.accept.dbf"), "the stock of an earlier failed accept");
  EXPECT_EQ(readBytes(temp / "TempSc.accept_1.dbf"), scrapsBefore);
  EXPECT_TRUE(failure.contains(QString::fromStdString((temp / "TempSc.accept_1.dbf").string())))
      << failure.toStdString();
  // The sheet table was put back, and its copy went.
  EXPECT_FALSE(std::filesystem::exists(temp / "TempSh.accept.dbf"));
}

TEST_F(AcceptResultTest, AFailingStockRowIsShownWithItsReasonAndChangesNothing) {
  stock.storeOffcut({"A-7", 1200, 600, 5, 3});
  addMap(3, {1200, 600, true, "A-7", 2, {{500, 500}}});
  module = stock.openModule();
  const std::string scrapsBefore = readBytes(module->workingCopy(StockKind::Scraps));
  ResultAcceptance acceptance(*module, ini);
  // A date no table can hold.
  const QString failure = acceptance.apply(doc, dbase::Date{2024, 13, 40});
  EXPECT_FALSE(failure.isEmpty());
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Scraps)), scrapsBefore);
  EXPECT_FALSE(module->scrapsChanged());
}

TEST_F(AcceptResultTest, TheCommandAsksFirstAndDoesNothingWithoutYes) {
  stock.storeOffcut({"A-7", 1200, 600, 5, 3});
  addMap(3, {1200, 600, true, "A-7", 2, {{500, 500}}});
  module = stock.openModule();
  const std::string scrapsBefore = readBytes(module->workingCopy(StockKind::Scraps));
  ResultAcceptance acceptance(*module, ini);
  QStringList asked;
  common::MsgResult reply = common::MsgResult::No;
  common::ScopedMessageHandler answers([&](const QString& text, common::MsgIcon icon, common::MsgButtons buttons) {
    asked << text;
    if (icon == common::MsgIcon::Confirmation) {
      EXPECT_EQ(buttons, common::MsgButtons::YesNo);
    }
    return reply;
  });
  EXPECT_FALSE(acceptResultCommand(doc, acceptance, nullptr));
  EXPECT_EQ(asked, QStringList{u(kAcceptQuestion)});
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Scraps)), scrapsBefore);

  reply = common::MsgResult::Yes;
  EXPECT_TRUE(acceptResultCommand(doc, acceptance, nullptr));
  EXPECT_EQ(scraps(), (Rows{{"A-7", "1200", "600", "3", "3", "01.03.2005"},
                            {"", "500", "500", "2", "3", dbase::Date::today().toString()}}));

  // A failure is shown after the question.
  std::filesystem::remove(stock.dir / "Pattern" / "Scraps.dbf");
  asked.clear();
  EXPECT_FALSE(acceptResultCommand(doc, acceptance, nullptr));
  EXPECT_EQ(asked, (QStringList{u(kAcceptQuestion), u(kMergeFailed)}));
}

}  // namespace
}  // namespace kroyna::maps
