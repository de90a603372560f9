#include "platform/dbase/Table.h"

#include "platform/dbase/DbaseTestUtil.h"
#include "platform/dbase/FileOps.h"

#include <gtest/gtest.h>

using namespace kroyna::dbase;
using namespace kroyna::dbase::testing;

namespace {

// Offcut stock: five rows, the third marked deleted in the file.
class OffcutTable : public ::testing::Test {
 protected:
  void SetUp() override {
    makeTable(file, scrapFields(),
              {{Value("A-1"), Value(600), Value(400), Value(2), Value(3), Value(Date{2005, 3, 1})},
               {Value("Остаток"), Value(250), Value(900), Value(1), Value(3), Value(Date{2005, 3, 2})},
               {Value("gone"), Value(1), Value(1), Value(1), Value(3), Value(Date{2005, 3, 2})},
               {Value(""), Value(600), Value(500), Value(4), Value(5), Value(Date{2005, 3, 5})},
               {Value("B"), Value(1000), Value(300), Value(1), Value(3), Value()}},
              {false, false, true, false, false});
  }

  std::vector<std::string> names(Table& t) {
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next()) out.push_back(t.asString("Name"));
    return out;
  }

  TempDir dir;
  std::filesystem::path file = dir / "TempSc.dbf";
};

}  // namespace

TEST_F(OffcutTable, CancellingAppendedRowsKeepsTheCursorOnAStoredRow) {
  Table t = Table::open(file, OpenOptions{.cachedUpdates = true});
  for (const char* name : {"X", "Y"}) {
    t.append();
    t.setString("Name", name);
    t.post();
  }
  t.first();
  t.next();  // Остаток
  t.cancelUpdates();
  EXPECT_EQ(t.asString("Name"), "Остаток");
  t.last();  // an appended row: it goes, the cursor lands on a stored one
  t.append();
  t.setString("Name", "Z");
  t.post();
  t.cancelUpdates();
  EXPECT_TRUE(t.hasCurrentRow());
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "Остаток", "", "B"}));
}

TEST_F(OffcutTable, OpensByFolderAndNameOrPathAndHidesDeletedRows) {
  Table byName = Table::open(dir.path(), "TempSc.dbf");
  EXPECT_EQ(names(byName), (std::vector<std::string>{"A-1", "Остаток", "", "B"}));
  byName.close();
  Table byPath = Table::open(file);
  EXPECT_EQ(byPath.rowCount(), 4u);
  EXPECT_EQ(byPath.path(), file);
  EXPECT_THROW(Table::open(dir.path(), "Missing.dbf"), TableError);
}

TEST_F(OffcutTable, FieldsAreFoundIgnoringCaseAndReadByKind) {
  Table t = Table::open(file);
  EXPECT_EQ(t.fieldIndex("length"), 1);
  EXPECT_EQ(t.fieldIndex("LeNgTh"), 1);
  EXPECT_EQ(t.fieldIndex("a.Length"), 1);
  EXPECT_EQ(t.fieldIndex("Colour"), -1);
  EXPECT_THROW(t.value("Colour"), TableError);
  t.first();
  EXPECT_DOUBLE_EQ(t.asDouble("many"), 2);
  EXPECT_EQ(t.asInteger("Length"), 600);
  EXPECT_EQ(t.asDate("date"), (Date{2005, 3, 1}));
  t.last();
  EXPECT_EQ(t.asDate("Date"), std::nullopt);
  EXPECT_EQ(t.asString("Date"), "");
  EXPECT_DOUBLE_EQ(t.asDouble("Many"), 1);
  t.first();
  EXPECT_THROW(t.asDouble("Date"), TableError);
}

TEST(WholeNumbers, NumbersNoIntHoldsAreRefusedWithTheFieldAndTheFile) {
  TempDir dir;
  const std::filesystem::path file = dir / "Sheets.dbf";
  // Eleven digits fit the program's own numeric fields, but no int.
  makeTable(file, {FieldDef::numeric("LENGTH", 11), FieldDef::numeric("CODE", 20)},
            {{Value(2.5), Value(-2147483648.0)}, {Value(99999999999.0), Value(1e19)}});
  Table t = Table::open(file);
  t.first();
  EXPECT_EQ(t.asInt("LENGTH"), 3);
  EXPECT_EQ(t.asInt("CODE"), -2147483647 - 1);
  t.next();
  try {
    (void)t.asInt("LENGTH");
    ADD_FAILURE() << "99999999999 was read as an int";
  } catch (const TableError& e) {
    EXPECT_EQ(std::string(e.what()),
              "В поле LENGTH число 99999999999 вне допустимого диапазона целых чисел (от -2147483648 до 2147483647) "
              "(файл: " +
                  file.string() + ")");
  }
  EXPECT_EQ(t.asInteger("LENGTH"), 99999999999LL);
  EXPECT_THROW((void)t.asInteger("CODE"), TableError);  // beyond a long long as well
  // Grids show such numbers whole, as they are.
  EXPECT_EQ(wholeNumberText(99999999999.0), "99999999999");
  EXPECT_EQ(wholeNumberText(1e19), "10000000000000000000");
  EXPECT_EQ(wholeNumberText(-2.5), "-3");
  EXPECT_EQ(wholeNumberText(0.4), "0");
}

TEST_F(OffcutTable, CursorWalksForwardAndBack) {
  Table t = Table::open(file);
  EXPECT_TRUE(t.bof());
  EXPECT_FALSE(t.prior());
  EXPECT_EQ(t.position(), 0);
  EXPECT_TRUE(t.last());
  EXPECT_FALSE(t.next());
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.asString("Name"), "B");  // stays on the last row
  EXPECT_TRUE(t.prior());
  EXPECT_EQ(t.position(), 2);
  EXPECT_FALSE(t.eof());
}

TEST_F(OffcutTable, FiltersShowOnlyMatchingRowsWhileOn) {
  Table t = Table::open(file);
  t.setFilter("Code=3 and Many>0");
  EXPECT_EQ(t.rowCount(), 4u);  // filtering is still off
  t.setFiltered(true);
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "Остаток", "B"}));
  t.setFilter("Code=3 and (Date>=01.03.2005 and Date<=01.03.2005)");
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1"}));  // the blank date never matches
  t.setFilter(Expr::parse("[Length]=? and [Width]=? and [Code]=?", {600, 500, 5}));
  EXPECT_EQ(names(t), (std::vector<std::string>{""}));
  t.setFiltered(false);
  EXPECT_EQ(t.rowCount(), 4u);
  EXPECT_THROW(t.setFilter("Colour=1"), TableError);
  EXPECT_THROW(t.setFilter("Code=("), TableError);
}

TEST_F(OffcutTable, FindFirstAndNextWithOrWithoutFiltering) {
  Table t = Table::open(file);
  ASSERT_TRUE(t.findFirst("Code=3"));
  EXPECT_EQ(t.asString("Name"), "A-1");
  ASSERT_TRUE(t.findNext("Code=3"));
  EXPECT_EQ(t.asString("Name"), "Остаток");
  ASSERT_TRUE(t.findNext("Code=3"));
  EXPECT_EQ(t.asString("Name"), "B");
  EXPECT_FALSE(t.findNext("Code=3"));
  EXPECT_EQ(t.asString("Name"), "B");  // the cursor stays
  // With a filter on another material the search only sees visible rows.
  t.setFilter("Code=5");
  t.setFiltered(true);
  EXPECT_FALSE(t.findFirst(col("Code") == 3));
  EXPECT_TRUE(t.findFirst(col("Many") > 3));
}

TEST_F(OffcutTable, RowsWhereReadsPastTheFilterWithPendingEdits) {
  Table t = Table::open(file, {.cachedUpdates = true});
  t.setFilter("Code=5");
  t.setFiltered(true);
  t.edit();
  t.setDouble("Code", 3);  // not posted yet: still counts
  const auto rows = t.rowsWhere(col("Code") == 3);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0][0], Value("A-1"));
  EXPECT_EQ(rows[2][0], Value(""));
  EXPECT_EQ(t.state(), Table::State::Edit);
  EXPECT_EQ(t.rowsWhere({}).size(), 4u);
}

TEST_F(OffcutTable, PostedChangesGoToTheFileAtOnceWithoutCachedUpdates) {
  Table t = Table::open(file);
  t.findFirst(col("Name") == "Остаток");
  t.edit();
  t.setDouble("Many", 7);
  t.post();
  t.append();
  t.setString("Name", "Новый \"кусок\" 'x'");
  t.setDouble("Length", 300);
  t.setDate("Date", Date{2005, 4, 1});
  t.post();
  t.first();
  t.remove();
  const auto recs = records(file);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_TRUE(recs[0].deleted);
  EXPECT_EQ(recs[1].values[3], Value(7));
  EXPECT_TRUE(recs[2].deleted);  // deleted before, still in its place
  EXPECT_EQ(recs[5].values[0], Value("Новый \"кусок\" 'x'"));
  EXPECT_EQ(recs[5].values[2], Value());  // not set: blank
  Table other = Table::open(file);
  EXPECT_EQ(other.rowCount(), 4u);
}

TEST_F(OffcutTable, ValuesThatDoNotFitAreRefusedAtPostAndTheRowStaysInEdit) {
  Table t = Table::open(file);
  t.edit();
  t.setString("Name", "очень длинный шифр остатка больше двадцати");
  EXPECT_EQ(t.asString("Name"), "очень длинный шифр о");  // cut to 20 characters
  t.setDouble("Length", 1e12);
  EXPECT_THROW(t.post(), TableError);
  EXPECT_EQ(t.state(), Table::State::Edit);
  t.cancel();
  EXPECT_EQ(t.asString("Name"), "A-1");
  EXPECT_EQ(records(file)[0].values[1], Value(600));
  EXPECT_THROW(t.setDouble("Length", 1), TableError);  // not editing
  t.edit();
  EXPECT_THROW(t.setValue("Length", Value("много")), TableError);
}

TEST_F(OffcutTable, CachedEditsAreSeenByTheTableAndAppliedOrDropped) {
  Table t = Table::open(file, {.cachedUpdates = true});
  const std::string before = readBytes(file);
  t.first();
  t.edit();
  t.setDouble("Many", 9);
  t.post();
  t.next();
  t.remove();  // Остаток
  t.append();
  t.setString("Name", "C");
  t.setDouble("Code", 3);
  t.post();
  t.setFilter("Code=3");
  t.setFiltered(true);
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "B", "C"}));
  t.first();
  EXPECT_EQ(t.asDouble("Many"), 9);
  EXPECT_TRUE(t.hasPendingUpdates());
  EXPECT_EQ(readBytes(file), before);  // nothing written yet

  t.cancelUpdates();
  EXPECT_FALSE(t.hasPendingUpdates());
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "Остаток", "B"}));
  t.first();
  EXPECT_EQ(t.asDouble("Many"), 2);
  EXPECT_EQ(readBytes(file), before);

  t.edit();
  t.setDouble("Many", 9);
  t.post();
  t.next();
  t.remove();
  t.append();
  t.setString("Name", "C");
  t.setDouble("Code", 3);
  t.post();
  t.applyUpdates();
  EXPECT_FALSE(t.hasPendingUpdates());
  Table reread = Table::open(file);
  EXPECT_EQ(names(reread), (std::vector<std::string>{"A-1", "", "B", "C"}));
  reread.first();
  EXPECT_EQ(reread.asDouble("Many"), 9);
  EXPECT_EQ(records(file).size(), 6u);  // records keep their places
}

TEST_F(OffcutTable, ClosingDropsUnappliedCachedEdits) {
  const std::string before = readBytes(file);
  {
    Table t = Table::open(file, {.cachedUpdates = true});
    t.edit();
    t.setDouble("Many", 50);
    t.post();
  }
  EXPECT_EQ(readBytes(file), before);
  Table t = Table::open(file, {.cachedUpdates = true});
  t.edit();
  t.setDouble("Many", 50);
  t.flush();  // posts and applies
  EXPECT_EQ(records(file)[0].values[3], Value(50));
}

TEST_F(OffcutTable, InsertAndCancel) {
  Table t = Table::open(file);
  t.next();  // Остаток
  t.insert();
  EXPECT_EQ(t.position(), 1);
  EXPECT_EQ(t.rowCount(), 5u);
  t.cancel();
  EXPECT_EQ(t.rowCount(), 4u);
  EXPECT_EQ(t.asString("Name"), "Остаток");
  t.insert();
  t.setString("Name", "X");
  t.post();
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "X", "Остаток", "", "B"}));
  // Stored after the last record: there it shows after a reread.
  t.refresh();
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "Остаток", "", "B", "X"}));
}

TEST_F(OffcutTable, MovingPostsAPendingEditAndAHiddenRowLeavesTheView) {
  Table t = Table::open(file);
  t.setFilter("Code=3");
  t.setFiltered(true);
  t.first();
  t.edit();
  t.setDouble("Code", 4);
  t.next();  // posts; the row no longer matches
  EXPECT_EQ(names(t), (std::vector<std::string>{"Остаток", "B"}));
  EXPECT_EQ(records(file)[0].values[4], Value(4));
}

TEST_F(OffcutTable, BookmarksComeBackToTheirRow) {
  Table t = Table::open(file);
  t.next();
  const Bookmark b = t.bookmark();
  t.last();
  ASSERT_TRUE(t.gotoBookmark(b));
  EXPECT_EQ(t.asString("Name"), "Остаток");
  t.refresh();
  t.last();
  ASSERT_TRUE(t.gotoBookmark(b));  // also after a reread
  EXPECT_EQ(t.asString("Name"), "Остаток");
  t.setFilter("Code=5");
  t.setFiltered(true);
  EXPECT_FALSE(t.gotoBookmark(b));  // hidden by the filter
  t.setFiltered(false);
  t.gotoBookmark(b);
  t.remove();
  EXPECT_FALSE(t.gotoBookmark(b));
}

TEST_F(OffcutTable, CalculatedColumnsAreComputedPerRowAndReadOnly) {
  Table t = Table::open(file);
  t.addCalculatedField(FieldDef::character("MatName", 35),
                       [](const Table& row) { return Value(row.asInteger("Code") == 3 ? "ДСП 16" : ""); });
  t.addCalculatedField(FieldDef::numeric("Area", 20, 0),
                       [](const Table& row) { return Value(row.asDouble("Length") * row.asDouble("Width")); });
  t.last();
  EXPECT_EQ(t.asString("matname"), "ДСП 16");
  EXPECT_EQ(t.asDouble("Area"), 300000);
  EXPECT_EQ(t.rowAt(2)[6], Value(""));  // the row of material 5
  // Filters can use them.
  t.setFilter("Area < 250000");
  t.setFiltered(true);
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "Остаток"}));
  t.setFilter("MatName = 'ДСП 16' and Area >= 240000");
  EXPECT_EQ(names(t), (std::vector<std::string>{"A-1", "B"}));
  t.first();
  t.edit();
  EXPECT_THROW(t.setValue("MatName", Value("x")), TableError);
  t.setDouble("Code", 5);
  EXPECT_EQ(t.asString("MatName"), "");  // computed from the edited values
  t.cancel();
}

TEST_F(OffcutTable, ReadOnlyTablesRefuseChanges) {
  Table t = Table::open(file, {.readOnly = true});
  EXPECT_TRUE(t.isReadOnly());
  EXPECT_THROW(t.edit(), TableError);
  EXPECT_THROW(t.append(), TableError);
  EXPECT_THROW(t.remove(), TableError);
}

TEST_F(OffcutTable, RefreshSeesChangesOfOthersAndKeepsTheRow) {
  Table view = Table::open(file);
  view.last();
  Table writer = Table::open(file);
  writer.first();
  writer.remove();
  writer.append();
  writer.setString("Name", "D");
  writer.post();
  view.refresh();
  EXPECT_EQ(view.asString("Name"), "B");
  EXPECT_EQ(names(view), (std::vector<std::string>{"Остаток", "", "B", "D"}));
  Table cached = Table::open(file, {.cachedUpdates = true});
  cached.edit();
  cached.setDouble("Many", 1);
  cached.post();
  EXPECT_THROW(cached.refresh(), TableError);
}

TEST(ReadOnlyTable, AFieldTypeThisLayerCannotWriteOpensForReading) {
  TempDir dir;
  const auto p = dir / "Memo.dbf";
  makeTable(p, {FieldDef::character("NAME", 10), FieldDef::character("NOTE", 10)}, {{Value("a"), Value("12")}});
  std::string bytes = readBytes(p);
  bytes[32 + 32 + 11] = 'M';  // NOTE becomes a memo field
  writeBytes(p, bytes);
  Table t = Table::open(p);
  EXPECT_TRUE(t.isReadOnly());
  EXPECT_EQ(t.asString("Name"), "a");
  EXPECT_TRUE(t.isNull("Note"));
  try {
    t.edit();
    FAIL();
  } catch (const TableError& e) {
    EXPECT_NE(std::string(e.what()).find("NOTE"), std::string::npos) << e.what();
  }
  EXPECT_EQ(readBytes(p), bytes);
}

TEST(MemoryTable, HoldsDeclaredFieldsForReports) {
  Table t = Table::inMemory({FieldDef::numeric("Code", 11), FieldDef::character("Material", 100),
                             FieldDef::numeric("ShSquare", 20, 6), FieldDef::numeric("ScSquare", 20, 6)});
  EXPECT_TRUE(t.isInMemory());
  EXPECT_TRUE(t.isEmpty());
  t.append();
  t.setRow({Value(3), Value("ДСП"), Value(11.592), Value(0)});
  t.post();
  t.appendRows({{Value(4), Value("МДФ")}, {Value(5), Value("ЛДСП"), Value(1.5)}});
  EXPECT_EQ(t.rowCount(), 3u);
  ASSERT_TRUE(t.findFirst(col("Code") == 4));
  EXPECT_EQ(t.asString("material"), "МДФ");
  EXPECT_TRUE(t.isNull("ShSquare"));
  t.edit();
  t.setDouble("ScSquare", 2.25);
  t.post();
  EXPECT_EQ(t.asDouble("ScSquare"), 2.25);
  EXPECT_THROW(t.setCachedUpdates(true), TableError);
  EXPECT_THROW(t.setValue("Code", Value("x")), TableError);  // not editing
  EXPECT_THROW(Table::inMemory({}), TableError);
  EXPECT_THROW(Table::inMemory({FieldDef::numeric("A", 5), FieldDef::numeric("a", 5)}), TableError);
}

TEST(TableRegistry, OpenTablesAreRegisteredUntilClosed) {
  TempDir dir;
  const auto p = dir / "Sheets.dbf";
  makeTable(p, sheetFields(), {});
  {
    Table a = Table::open(p);
    Table b = Table::open(dir.path(), "Sheets.dbf");
    EXPECT_TRUE(isTableOpen(p));
    a.close();
    EXPECT_TRUE(isTableOpen(p));
    Table moved = std::move(b);
    EXPECT_TRUE(isTableOpen(p));
  }
  EXPECT_FALSE(isTableOpen(p));
}
