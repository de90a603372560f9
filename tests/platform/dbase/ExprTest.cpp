#include "platform/dbase/Expr.h"

#include "platform/dbase/DbaseTestUtil.h"
#include "platform/dbase/TableError.h"

#include <gtest/gtest.h>

using namespace kroyna::dbase;

namespace {

const std::vector<FieldDef> kFields = {FieldDef::character("NAME", 20), FieldDef::numeric("LENGTH", 11),
                                       FieldDef::numeric("WIDTH", 11), FieldDef::numeric("CODE", 11),
                                       FieldDef::date("DATE")};

bool holds(const Expr& e, const Row& row) {
  return BoundExpr(e, kFields, "t.dbf").holds([&](int i) { return row[static_cast<std::size_t>(i)]; });
}

bool holdsText(std::string_view text, const Row& row, const std::vector<Value>& params = {}) {
  return holds(Expr::parse(text, params), row);
}

const Row kOffcut = {Value("A-1"), Value(600), Value(400), Value(3), Value(Date{2005, 3, 1})};

}  // namespace

TEST(Expr, TheFormsTheProgramBuilds) {
  EXPECT_TRUE(holdsText("Code=3 and Length>0", kOffcut));
  EXPECT_TRUE(holdsText("Code=3 and (Date>=01.03.2005 and Date<=01.03.2005)", kOffcut));
  EXPECT_FALSE(holdsText("Code=3 and (Date>=02.03.2005 and Date<=31.03.2005)", kOffcut));
  EXPECT_TRUE(holdsText("[Length]=600 and [Width]=400 and [Code]=3", kOffcut));
  EXPECT_TRUE(holdsText("a.\"Length\"<700 and a.\"Width\"<500 and (a.\"Length\"*a.\"Width\")<250000", kOffcut));
  EXPECT_FALSE(holdsText("a.\"Length\"<700 and (a.\"Length\"<500 and a.\"Width\"<2147483647)", kOffcut));
  EXPECT_TRUE(holdsText("Date >= '01.03.2005' AND NOT Code <> 3", kOffcut));
  EXPECT_TRUE(holdsText("code = 5 or Name = 'A-1'", kOffcut));
  EXPECT_TRUE(holdsText("Length / 2 - 1 = 299 and -Width < 0", kOffcut));
  EXPECT_TRUE(holdsText("", kOffcut));  // no condition
}

TEST(Expr, ParametersAndBuiltExpressionsCarryValuesAsData) {
  const std::string tricky = "Шкаф \"угловой\" 'A' or 1=1";
  const Row row = {Value(tricky), Value(1), Value(1), Value(1), Value()};
  EXPECT_TRUE(holdsText("Name=?", row, {tricky}));
  EXPECT_FALSE(holdsText("Name=?", kOffcut, {tricky}));
  EXPECT_TRUE(holds(col("Name") == tricky && col("Code") == 1, row));
  EXPECT_TRUE(holds(col("Length") * col("Width") < 250000 && col("Code") == 3, kOffcut));
  EXPECT_TRUE(holds(!(col("Code") == 4) || col("Length") > 1e9, kOffcut));
  EXPECT_TRUE(holds(col("Date") >= Date{2005, 3, 1}, kOffcut));
  // The text of a built expression quotes its texts.
  EXPECT_EQ((col("Name") == "it's").toString(), "(Name='it''s')");
  EXPECT_TRUE(holds(Expr::parse((col("Name") == tricky).toString()), row));
}

TEST(Expr, TextsCompareExactlyIgnoringTrailingBlanks) {
  const Row row = {Value("Дверь  "), Value(1), Value(1), Value(1), Value()};
  EXPECT_TRUE(holdsText("Name='Дверь'", row));
  EXPECT_FALSE(holdsText("Name='дверь'", row));
  EXPECT_TRUE(holdsText("Name>'Бок'", row));
}

TEST(Expr, BlankCellsMatchNoComparison) {
  const Row row = {Value(""), Value(), Value(1), Value(1), Value()};
  EXPECT_FALSE(holdsText("Length=0", row));
  EXPECT_FALSE(holdsText("Length<>0", row));
  EXPECT_FALSE(holdsText("Date>=01.01.1900", row));
  EXPECT_TRUE(holdsText("not (Date>=01.01.1900)", row));
  EXPECT_TRUE(holdsText("Name=''", row));
  EXPECT_FALSE(holdsText("Length*2>0", row));
  EXPECT_FALSE(holdsText("Width/0>0", row));  // division by zero gives a blank
}

TEST(Expr, BadTextIsRefusedWithItsPosition) {
  for (const char* bad : {"Code=", "Code=3 and", "(Code=3", "Code=3)", "Code='x", "[Code=3", "Code=3 Many>0",
                          "Date>=31.02.2005", "Code=?", "Code=1.2.3.4"}) {
    EXPECT_THROW(Expr::parse(bad), TableError) << bad;
  }
  EXPECT_THROW(Expr::parse("Code=1", {Value(1)}), TableError);  // unused parameter
  try {
    Expr::parse("Code=3 )");
    FAIL();
  } catch (const TableError& e) {
    EXPECT_NE(std::string(e.what()).find("(позиция 8)"), std::string::npos) << e.what();
  }
}

TEST(Expr, UnknownFieldsAndMismatchedKindsAreTableErrors) {
  EXPECT_THROW(BoundExpr(Expr::parse("Colour=1"), kFields, "t.dbf"), TableError);
  EXPECT_THROW(holdsText("Code='abc'", kOffcut), TableError);
  EXPECT_THROW(holdsText("Date>5", kOffcut), TableError);
  EXPECT_THROW(holdsText("Name*2>1", kOffcut), TableError);
  EXPECT_TRUE(holdsText("Code='3'", kOffcut));  // digits in quotes compare as the number
}

TEST(Date, ParsesTheFormsUsersType) {
  EXPECT_EQ(Date::parse("01.03.2005"), (Date{2005, 3, 1}));
  EXPECT_EQ(Date::parse(" 1.3.2005 "), (Date{2005, 3, 1}));
  EXPECT_EQ(Date::parse("01.03.05"), (Date{2005, 3, 1}));
  EXPECT_EQ(Date::parse("01.03.99"), (Date{1999, 3, 1}));
  EXPECT_EQ(Date::parse("2005-03-01"), (Date{2005, 3, 1}));
  EXPECT_EQ(Date::parse("29.02.2004"), (Date{2004, 2, 29}));
  for (const char* bad :
       {"", "29.02.2005", "32.01.2005", "01.13.2005", "1.3", "01/03/2005", "01.03.2005x", "01.03.123"})
    EXPECT_FALSE(Date::parse(bad)) << bad;
  EXPECT_EQ((Date{2005, 3, 1}).toString(), "01.03.2005");
  EXPECT_EQ((Date{2005, 3, 1}).toDbf(), "20050301");
  EXPECT_TRUE(Date::today().isValid());
}
