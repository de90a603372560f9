#include "platform/dbase/Statements.h"

#include "platform/dbase/DbaseTestUtil.h"

#include <gtest/gtest.h>

using namespace kroyna::dbase;
using namespace kroyna::dbase::testing;

namespace {

std::vector<Row> liveRows(const std::filesystem::path& p) {
  std::vector<Row> out;
  for (const auto& r : records(p))
    if (!r.deleted) out.push_back(r.values);
  return out;
}

std::vector<Row> allRows(Table& t) {
  std::vector<Row> out;
  for (std::size_t i = 0; i < t.rowCount(); ++i) out.push_back(t.rowAt(i));
  return out;
}

const Date kMarch1{2005, 3, 1};
const Date kMarch2{2005, 3, 2};

class Stock : public ::testing::Test {
 protected:
  void SetUp() override {
    makeTable(stored, sheetFields(),
              {{Value(2800), Value(2070), Value(5), Value(3)},
               {Value(1), Value(1), Value(1), Value(9)},
               {Value(2440), Value(1830), Value(0), Value(4)}},
              {false, true, false});
    makeTable(pattern, sheetFields(), {});
    makeTable(offcuts, scrapFields(),
              {{Value("A"), Value(600), Value(400), Value(2), Value(3), Value(kMarch1)},
               {Value(""), Value(250), Value(900), Value(1), Value(3), Value(kMarch2)},
               {Value("A"), Value(600), Value(400), Value(3), Value(3), Value(kMarch1)},
               {Value("B"), Value(600), Value(400), Value(1), Value(3), Value(kMarch1)},
               {Value(""), Value(250), Value(900), Value(4), Value(3), Value(kMarch2)},
               {Value("A"), Value(600), Value(400), Value(7), Value(5), Value(kMarch1)}});
    makeTable(materials, {FieldDef::character("MATERIAL", 100), FieldDef::numeric("CODE", 11)},
              {{Value("ЛДСП белая"), Value(3)}, {Value("ДВП"), Value(4)}, {Value("МДФ"), Value(7)}});
  }

  TempDir dir;
  std::filesystem::path stored = dir / "Sheets.dbf";
  std::filesystem::path pattern = dir / "Pattern.dbf";
  std::filesystem::path offcuts = dir / "TempSc.dbf";
  std::filesystem::path materials = dir / "Types.dbf";
};

}  // namespace

TEST_F(Stock, InsertSelectCopiesLiveRowsByPosition) {
  EXPECT_EQ(insertSelect(pattern, stored), 2u);
  EXPECT_EQ(liveRows(pattern), (std::vector<Row>{{Value(2800), Value(2070), Value(5), Value(3)},
                                                 {Value(2440), Value(1830), Value(0), Value(4)}}));
  // Again, like the models base inserting one model twice.
  EXPECT_EQ(insertSelect(pattern, stored), 2u);
  EXPECT_EQ(liveRows(pattern).size(), 4u);
  // Column counts must agree; nothing is written otherwise.
  const std::string before = readBytes(pattern);
  EXPECT_THROW(insertSelect(pattern, offcuts), TableError);
  EXPECT_EQ(readBytes(pattern), before);
}

TEST_F(Stock, InsertSelectFailsWholeWhenARowDoesNotFit) {
  const auto narrow = dir / "Narrow.dbf";
  makeTable(narrow,
            {FieldDef::numeric("LENGTH", 4), FieldDef::numeric("WIDTH", 4), FieldDef::numeric("MANY", 4),
             FieldDef::numeric("CODE", 4)},
            {});
  makeTable(stored, sheetFields(),
            {{Value(2800), Value(2070), Value(5), Value(3)}, {Value(12000), Value(1), Value(1), Value(1)}});
  const std::string before = readBytes(narrow);
  EXPECT_THROW(insertSelect(narrow, stored), TableError);
  EXPECT_EQ(readBytes(narrow), before);
}

TEST_F(Stock, InsertValuesStoresNamesAsData) {
  const std::string name = "Плита \"Эгер\" 'Н' , (x)";
  insertValues(materials, {"Material", "Code"}, {Value(name), Value(7)});
  insertValues(materials, {Value("Стекло"), Value("12")});
  const auto rows = liveRows(materials);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3], (Row{Value(name), Value(7)}));
  EXPECT_EQ(rows[4], (Row{Value("Стекло"), Value(12)}));
  EXPECT_THROW(insertValues(materials, {"Colour"}, {Value(1)}), TableError);
  EXPECT_THROW(insertValues(materials, {Value("x"), Value(1), Value(2)}), TableError);
  EXPECT_THROW(insertValues(materials, {Value("x"), Value("много")}), TableError);
  EXPECT_EQ(liveRows(materials).size(), 5u);
}

TEST_F(Stock, DeleteWhereMarksRowsAndKeepsTheirPlaces) {
  // Clean-up of offcuts: length below 300, or the area below 0.25 m² while
  // both sides are below the limits.
  EXPECT_EQ(deleteWhere(offcuts, col("Length") < 300 && col("Code") == 3), 2u);
  EXPECT_EQ(deleteWhere(offcuts, Expr::parse("(a.\"Length\"*a.\"Width\")<250000 and (a.\"Length\"<2147483647 and "
                                             "a.\"Width\"<2147483647) and a.\"Code\"=5")),
            1u);
  const auto recs = records(offcuts);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_TRUE(recs[1].deleted);
  EXPECT_TRUE(recs[4].deleted);
  EXPECT_FALSE(recs[0].deleted);
  EXPECT_TRUE(recs[5].deleted);
  EXPECT_EQ(deleteWhere(offcuts), 3u);  // clearing the whole stock
  EXPECT_TRUE(liveRows(offcuts).empty());
  EXPECT_THROW(deleteWhere(offcuts, col("Colour") == 1), TableError);
}

TEST_F(Stock, UpdateSetChangesTheMatchingRows) {
  // A used offcut: rows of that size, material and name get the remainder.
  EXPECT_EQ(updateSet(offcuts, {{"Many", 1}},
                      col("Length") == 600 && col("Width") == 400 && col("Code") == 3 && col("Name") == "A"),
            2u);
  EXPECT_EQ(updateSet(offcuts, {{"Many", col("Many") * 10}, {"Name", Expr::constant("Z")}}, col("Code") == 5), 1u);
  const auto rows = liveRows(offcuts);
  EXPECT_EQ(rows[0][3], Value(1));
  EXPECT_EQ(rows[2][3], Value(1));
  EXPECT_EQ(rows[3][3], Value(1));  // "B" untouched
  EXPECT_EQ(rows[5], (Row{Value("Z"), Value(600), Value(400), Value(70), Value(5), Value(kMarch1)}));
  const std::string before = readBytes(offcuts);
  EXPECT_THROW(updateSet(offcuts, {{"Many", 1e15}}), TableError);
  EXPECT_EQ(readBytes(offcuts), before);
}

TEST_F(Stock, GroupBySumMergesEqualOffcuts) {
  Table merged = groupBySum(offcuts, {key("a.Name"), key("a.Length"), key("a.Width"), sum(col("a.Many"), "NewMany"),
                                      key("a.Code"), key("a.Date")});
  ASSERT_EQ(merged.fieldCount(), 6);
  EXPECT_EQ(merged.field(0).name, "Name");
  EXPECT_EQ(merged.field(3).name, "NewMany");
  EXPECT_EQ(allRows(merged), (std::vector<Row>{
                                 {Value("A"), Value(600), Value(400), Value(5), Value(3), Value(kMarch1)},
                                 {Value(""), Value(250), Value(900), Value(5), Value(3), Value(kMarch2)},
                                 {Value("B"), Value(600), Value(400), Value(1), Value(3), Value(kMarch1)},
                                 {Value("A"), Value(600), Value(400), Value(7), Value(5), Value(kMarch1)},
                             }));
  // Into the scratch table by position, as the merge does.
  const auto scratch = dir / "$$$.dbf";
  makeTable(scratch, scrapFields(), {});
  EXPECT_EQ(insertSelect(scratch, merged), 4u);
  EXPECT_EQ(liveRows(scratch)[0][3], Value(5));

  Table sorted = groupBySum(offcuts, {key("Name"), sum(col("Many"), "Total")}, GroupOrder::ByKeys);
  EXPECT_EQ(allRows(sorted),
            (std::vector<Row>{{Value(""), Value(5)}, {Value("A"), Value(12)}, {Value("B"), Value(1)}}));
}

TEST_F(Stock, LeftJoinGivesEveryCatalogueMaterialAndSumsItsStock) {
  Table joined = join(materials, "m", offcuts, "s", "Code", "Code", JoinKind::Left);
  EXPECT_EQ(joined.rowCount(), 7u);  // 5 offcuts of code 3, one row each for 4 and 7
  Table areas = groupBySum(joined, {key("m.Code"), key("m.Material"),
                                    sum(col("s.Width") * col("s.Length") * col("s.Many") / 1000000, "ShSquare")});
  Table ordered = select(areas, {}, {}, {{"Material"}});
  EXPECT_EQ(ordered.field(2).name, "ShSquare");
  const auto rows = allRows(ordered);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1], Value("ДВП"));
  EXPECT_EQ(rows[0][2], Value());  // no stock: no sum
  EXPECT_EQ(rows[1][1], Value("ЛДСП белая"));
  EXPECT_NEAR(rows[1][2].number(), 0.24 * 6 + 0.225 * 5, 1e-9);
  EXPECT_EQ(rows[2][1], Value("МДФ"));

  Table inner = join(offcuts, "a", materials, "m", "Code", "Code", JoinKind::Inner);
  EXPECT_EQ(inner.rowCount(), 5u);  // the offcut of material 5 has no catalogue row
  Table printed = select(inner, {"a.Name", "a.Length", "m.Material"}, col("a.Code") == 3, {{"m.Material"}, {"a.Name"}});
  EXPECT_EQ(printed.field(2).name, "MATERIAL");  // the alias is dropped
  Table named = select(inner, {"a.Name", "m.Code", "a.Code", "m.Material As MatName"});
  EXPECT_EQ(named.field(1).name, "CODE");
  EXPECT_EQ(named.field(2).name, "a.CODE");  // a second Code keeps its alias
  EXPECT_EQ(named.field(3).name, "MatName");
  EXPECT_THROW(select(inner, {"m.Material as "}), TableError);
  EXPECT_EQ(allRows(printed)[0][0], Value(""));
  EXPECT_THROW(join(materials, "m", offcuts, "m", "Code", "Code", JoinKind::Left), TableError);
}

TEST_F(Stock, SelectMaxAndSelectWhere) {
  EXPECT_EQ(selectMax(materials, "Code"), 7.0);
  EXPECT_EQ(selectMax(pattern, "Code"), std::nullopt);  // empty table: the caller starts at 1
  EXPECT_THROW(selectMax(materials, "Material"), TableError);
  Table some = select(stored, {}, Expr::parse("a.\"Code\"=?", {3}));
  EXPECT_EQ(allRows(some), (std::vector<Row>{{Value(2800), Value(2070), Value(5), Value(3)}}));
  Table byName = select(materials, {"b.Code", "b.Material"}, {}, {{"b.Material"}});
  EXPECT_EQ(allRows(byName),
            (std::vector<Row>{{Value(4), Value("ДВП")}, {Value(3), Value("ЛДСП белая")}, {Value(7), Value("МДФ")}}));
  Table desc = select(materials, {"Code"}, {}, {{"Code", true}});
  EXPECT_EQ(allRows(desc)[0][0], Value(7));
}

TEST_F(Stock, AnOpenTableIsASourceWithItsPendingEdits) {
  Table t = Table::open(stored, {.cachedUpdates = true});
  t.append();
  t.setRow({Value(3050), Value(1220), Value(2), Value(7)});
  t.post();
  t.setFilter("Code<>4");
  t.setFiltered(true);
  EXPECT_EQ(insertSelect(pattern, t), 2u);
  EXPECT_EQ(liveRows(pattern)[1][0], Value(3050));
  // A statement on the open file is seen after a refresh of a table without cached edits.
  Table view = Table::open(offcuts);
  deleteWhere(offcuts, col("Code") == 3);
  EXPECT_EQ(view.rowCount(), 6u);
  view.refresh();
  EXPECT_EQ(view.rowCount(), 1u);
}

TEST(StatementOrder, TextsIgnoreCaseFirstAndNullsComeFirst) {
  EXPECT_LT(compareForOrder(Value("дверь"), Value("Полка")), 0);
  EXPECT_LT(compareForOrder(Value("Ab"), Value("ab")), 0);
  EXPECT_EQ(compareForOrder(Value("ab"), Value("ab")), 0);
  EXPECT_LT(compareForOrder(Value(), Value(0)), 0);
  EXPECT_LT(compareForOrder(Value(2), Value(10)), 0);
}
