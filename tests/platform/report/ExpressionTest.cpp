#include "platform/report/Expression.h"
#include "platform/report/ReportError.h"

#include <gtest/gtest.h>

#include <map>

using namespace kroyna::report;

namespace {

EvalContext contextOf(const std::map<std::string, Value>& names) {
  EvalContext ctx;
  ctx.lookup = [names](std::string_view n) {
    auto it = names.find(std::string(n));
    return it == names.end() ? Value() : it->second;
  };
  return ctx;
}

std::string eval(const char* src, const std::map<std::string, Value>& names = {}) {
  return Expression::parse(src).evaluate(contextOf(names)).toText();
}

}  // namespace

TEST(Expression, ArithmeticFollowsPrecedenceAndParentheses) {
  EXPECT_EQ(eval("2 + 3 * 4"), "14");
  EXPECT_EQ(eval("(2 + 3) * 4"), "20");
  EXPECT_EQ(eval("10 / 4"), "2.5");
  EXPECT_EQ(eval("-3 - -2"), "-1");
  EXPECT_EQ(
      eval("PAGE_HEIGHT / MAPSPERPAGE - 40", {{"PAGE_HEIGHT", Value::number(1000)}, {"MAPSPERPAGE", Value::number(2)}}),
      "460");
  // A division by zero shows 0 instead of stopping the report.
  EXPECT_EQ(eval("5 / 0"), "0");
}

TEST(Expression, TextsJoinAndCompare) {
  EXPECT_EQ(eval("'Лист ' + N", {{"N", Value::number(3)}}), "Лист 3");
  EXPECT_EQ(eval("'it''s'"), "it's");
  EXPECT_EQ(eval("A = 'ДСП'", {{"A", Value::text("ДСП")}}), "1");
  EXPECT_EQ(eval("A <> 'ДСП'", {{"A", Value::text("ДСП")}}), "0");
  // Numbers in text compare as numbers: "10" is more than "9".
  EXPECT_EQ(eval("A > B", {{"A", Value::text("10")}, {"B", Value::text("9")}}), "1");
  EXPECT_EQ(eval("IIF(PRNDETALSLIST and not X, 'да', 'нет')", {{"PRNDETALSLIST", Value::number(1)}}), "да");
  EXPECT_EQ(eval("UNKNOWN"), "");
  EXPECT_EQ(eval("PAGE# + 1", {{"PAGE#", Value::number(4)}}), "5");
}

TEST(Expression, BrokenExpressionsNameTheirFault) {
  for (const char* bad : {"2 +", "(1", "'open", "F(1)", "1 2", "IIF(1, 2)", "COUNT(1)", ""}) {
    try {
      Expression::parse(bad);
      ADD_FAILURE() << "parsed: " << bad;
    } catch (const ReportError& e) {
      EXPECT_NE(std::string(e.what()).find("Ошибка в выражении"), std::string::npos) << e.what();
    }
  }
  // Nesting deep enough to exhaust the stack is refused, not followed.
  std::string deep(5000, '-');
  deep += "1";
  EXPECT_THROW(Expression::parse(deep), ReportError);
}

TEST(TextTemplate, ExpandsBracketsWithPicturesAndEscapes) {
  auto ctx = contextOf({{"SQUARE", Value::number(1.23456)}, {"NAME", Value::text("Полка [верх]")}});
  EXPECT_EQ(TextTemplate::parse("[NAME]: [SQUARE|#0.000] кв м").expand(ctx), "Полка [верх]: 1.235 кв м");
  EXPECT_EQ(TextTemplate::parse("[[буквально]").expand(ctx), "[буквально]");
  EXPECT_EQ(TextTemplate::parse("[IIF(1, ']', 'x')]").expand(ctx), "]");
  EXPECT_EQ(TextTemplate::parse("[SQUARE|0]").expand(ctx), "1");
  EXPECT_FALSE(TextTemplate::parse("без выражений").hasExpressions());
  EXPECT_THROW(TextTemplate::parse("Итого [SUM(MANY)"), ReportError);
}

TEST(Value, NumbersReadAndShowPlainly) {
  EXPECT_EQ(Value::number(12).toText(), "12");
  EXPECT_EQ(Value::number(-0.0).toText(), "0");
  EXPECT_EQ(Value::number(0.1 + 0.2).toText(), "0.3");
  EXPECT_DOUBLE_EQ(Value::text(" 2,5 ").toNumber(), 2.5);
  EXPECT_DOUBLE_EQ(Value::text("0x10").toNumber(), 0);
  EXPECT_DOUBLE_EQ(Value::text("nan").toNumber(), 0);
  EXPECT_FALSE(Value::text("0").toBool());
  EXPECT_TRUE(Value::text("ДСП").toBool());
  EXPECT_EQ(formatNumber(2.0005, "#0.000"), "2.001");
  EXPECT_EQ(formatNumber(-0.0001, "#0.00"), "0.00");
}
