// Accepting a cutting result into the stock working copies: offcuts cut up
// leave the stock, useful offcuts come in (with automatic marks when asked),
// standard sheets take their remaining counts, the stored tables stay as
// they were, and a failing step puts everything back.

#include "maps/AcceptJournal.h"
#include "maps/AcceptResult.h"
#include "maps/MapsTestSupport.h"
#include "platform/text/Literals.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kroyna::maps {
namespace {

using kroyna::testing::OffcutSpec;
using kroyna::testing::readBytes;
using kroyna::testing::rowsOf;
using kroyna::testing::StockFolder;
using testing::FakeEnvironment;
using testing::LayoutBuilder;
using testing::minimumSize;
using warehouse::StockKind;
using Rows = std::vector<std::vector<std::string>>;

using text::u;

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

// What the maps used is taken from the stock of the moment, whatever
// happened to it since the run; rows of one size give in table order.
TEST_F(AcceptResultTest, StandardSheetsAreDeductedFromTheStockOfTheAccept) {
  struct Case {
    std::vector<int> stock;  // rows of 2800 x 2070, material 3
    int initial, remaining;  // the used-sheets entry
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {{10}, 10, 7, {"7"}},         // the run's own stock: as before
      {{15}, 10, 7, {"12"}},        // 5 delivered since the run
      {{2, 5}, 10, 7, {"0", "4"}},  // two rows of the size
      {{4}, 10, 10, {"4"}},         // nothing used
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after.front());
    StockFolder folder;
    ini::IniFile settings(folder.dir / "Kroyna.ini");
    for (int many : c.stock) folder.storeSheet(2800, 2070, many, 3);
    folder.storeSheet(2800, 2070, 9, 4);  // another material
    MapsDocument d(env);
    d.usingSheets().add(3, 2800, 2070, c.initial, c.remaining);
    auto m = folder.openModule();
    ASSERT_EQ(ResultAcceptance(*m, settings).apply(d, kToday), QString());
    Rows expected;
    for (const std::string& many : c.after) expected.push_back({"2800", "2070", many, "3"});
    expected.push_back({"2800", "2070", "9", "4"});
    EXPECT_EQ(rowsOf(m->workingCopy(StockKind::Sheets)), expected);
    EXPECT_EQ(m->sheetsChanged(), c.initial != c.remaining);
  }
}

TEST_F(AcceptResultTest, TooFewSheetsInStockRefuseTheWholeAccept) {
  stock.storeSheet(2800, 2070, 2, 3);
  stock.storeOffcut({"A-7", 1200, 600, 5, 3});
  addMap(3, {1200, 600, true, "A-7", 2, {{500, 500}}});
  addMap(3, {2800, 2070, false, "", 3, {}});
  doc.usingSheets().add(3, 2800, 2070, 10, 7);
  module = stock.openModule();
  const std::string sheetsBefore = readBytes(module->workingCopy(StockKind::Sheets));
  const std::string scrapsBefore = readBytes(module->workingCopy(StockKind::Scraps));
  ResultAcceptance acceptance(*module, ini);
  const QString refusal = acceptance.apply(doc, kToday);
  EXPECT_EQ(refusal,
            u("На складе не хватает стандартных листов <ДСП 16 белый> 2800 x 2070:\rна складе 2, по картам раскроя "
              "использовано 3.\r\rРаскрой не принят, склад не изменён."));
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Sheets)), sheetsBefore);
  EXPECT_EQ(readBytes(module->workingCopy(StockKind::Scraps)), scrapsBefore);
  EXPECT_FALSE(module->sheetsChanged());
  EXPECT_FALSE(module->scrapsChanged());
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

// The journal holds a result once every step of its accept succeeded; the
// same maps again first ask, "Нет" being the default and changing nothing;
// a damaged journal is reported, kept, and stops nothing.
TEST_F(AcceptResultTest, AcceptedMapsAreRememberedAndAskedAboutAgain) {
  stock.storeSheet(2800, 2070, 10, 3);
  addMap(3, {2800, 2070, false, "", 1, {{900, 500}}});
  doc.usingSheets().add(3, 2800, 2070, 10, 9);
  doc.setCaption(u("Вариант раскроя 1: \"Кухня\""));
  module = stock.openModule();
  AcceptJournal journal(AcceptJournal::pathIn(stock.root()));
  ResultAcceptance acceptance(*module, ini, &journal);
  QStringList asked;
  std::vector<common::MsgButtons> buttons;
  common::MsgResult reply = common::MsgResult::Yes;
  common::ScopedMessageHandler answers([&](const QString& text, common::MsgIcon, common::MsgButtons b) {
    asked << text;
    buttons.push_back(b);
    return b == common::MsgButtons::Ok ? common::MsgResult::Ok : reply;
  });
  const QDateTime when(QDate(2024, 5, 17), QTime(10, 30, 12));

  // A failed accept leaves no entry.
  const auto pattern = stock.dir / "Pattern" / "Scraps.dbf";
  std::filesystem::rename(pattern, stock.dir / "Scraps.dbf");
  EXPECT_FALSE(acceptResultCommand(doc, acceptance, nullptr, when));
  EXPECT_TRUE(journal.read().entries.empty());
  std::filesystem::rename(stock.dir / "Scraps.dbf", pattern);

  asked.clear();
  ASSERT_TRUE(acceptResultCommand(doc, acceptance, nullptr, when));
  EXPECT_EQ(asked, QStringList{u(kAcceptQuestion)});
  ASSERT_EQ(journal.read().entries.size(), 1u);
  EXPECT_EQ(journal.read().entries[0].digest, mapsDigest(doc));
  EXPECT_EQ(journal.read().entries[0].caption, doc.caption());
  const Rows afterFirst = sheets();
  const Rows scrapsAfterFirst = scraps();
  EXPECT_EQ(afterFirst, (Rows{{"2800", "2070", "9", "3"}}));

  asked.clear();
  buttons.clear();
  reply = common::MsgResult::No;
  EXPECT_FALSE(acceptResultCommand(doc, acceptance, nullptr, when.addDays(1)));
  EXPECT_EQ(asked, QStringList{u("Этот раскрой уже принят на склад 17.05.2024 10:30. Принять его ещё раз?")});
  EXPECT_EQ(buttons, std::vector<common::MsgButtons>{common::MsgButtons::YesNoDefaultNo});
  EXPECT_EQ(sheets(), afterFirst);
  EXPECT_EQ(scraps(), scrapsAfterFirst);
  EXPECT_EQ(journal.read().entries.size(), 1u);

  // Damaged lines are said once, kept, and the accept goes on.
  { std::ofstream(journal.file(), std::ios::app) << "not an entry\n\x01\x02\n"; }
  asked.clear();
  reply = common::MsgResult::Yes;
  ASSERT_TRUE(acceptResultCommand(doc, acceptance, nullptr, when.addDays(2)));
  ASSERT_EQ(asked.size(), 3);
  EXPECT_TRUE(asked[0].contains(u("не прочитаны строки 3, 4 (всего 2)"))) << asked[0].toStdString();
  EXPECT_TRUE(asked[1].startsWith(u("Этот раскрой уже принят на склад 17.05.2024 10:30.")));
  EXPECT_EQ(sheets(), (Rows{{"2800", "2070", "8", "3"}}));
  EXPECT_NE(readBytes(journal.file()).find("not an entry\n"), std::string::npos);
  ASSERT_EQ(journal.read().entries.size(), 2u);
  EXPECT_EQ(journal.read().entries[1].when, when.addDays(2));
}

}  // namespace
}  // namespace kroyna::maps
