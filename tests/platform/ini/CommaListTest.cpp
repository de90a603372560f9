#include "platform/ini/CommaList.h"

#include <gtest/gtest.h>

using kroyna::ini::CommaList;
using kroyna::ini::joinCommaList;
using kroyna::ini::splitCommaList;
using Items = std::vector<std::string>;

TEST(CommaList, SplitsQuotedEmptyAndBlankSeparatedItems) {
  EXPECT_EQ(splitCommaList(""), Items{});
  EXPECT_EQ(splitCommaList("1,2500,1830"), (Items{"1", "2500", "1830"}));
  EXPECT_EQ(splitCommaList(" 1 , 2 ,3 "), (Items{"1", "2", "3"}));
  EXPECT_EQ(splitCommaList("1,,3"), (Items{"1", "", "3"}));
  EXPECT_EQ(splitCommaList("1,"), (Items{"1", ""}));
  EXPECT_EQ(splitCommaList(",1"), (Items{"", "1"}));
  EXPECT_EQ(splitCommaList("0,\"Ост, №\",\"a \"\"b\"\"\",7"), (Items{"0", "Ост, №", "a \"b\"", "7"}));
  EXPECT_EQ(splitCommaList("a b,c"), (Items{"a", "b", "c"}));  // blanks separate unquoted items
  EXPECT_EQ(splitCommaList("\"\""), (Items{""}));
  EXPECT_EQ(splitCommaList("1,\"open"), (Items{"1", "open"}));                   // damaged: quote never closed
  EXPECT_EQ(splitCommaList(std::string("1,\0\0,2", 6)), (Items{"1", "", "2"}));  // zero bytes are blanks
}

TEST(CommaList, JoinQuotesOnlyWhatNeedsItAndRoundTrips) {
  EXPECT_EQ(joinCommaList({"1", "ДСП", "2 мм", "a,b", "x\"y", "", "0"}), "1,ДСП,\"2 мм\",\"a,b\",\"x\"\"y\",,0");
  EXPECT_EQ(joinCommaList({}), "");
  const std::vector<Items> lists = {
      {""}, {"", ""}, {"a", ""}, {" lead", "trail ", "\"", "\"\"", ",", "Остаток №1"}, {"\t"}};
  for (const Items& l : lists) EXPECT_EQ(splitCommaList(joinCommaList(l)), l);
}

TEST(CommaList, MissingAndDamagedItemsTakeTheirDefaults) {
  const CommaList list("1,2500,abc,,\"Заказ 7\"");
  EXPECT_TRUE(list.boolean(0, false));
  EXPECT_EQ(list.integer(1, 0), 2500);
  EXPECT_EQ(list.integer(2, 9), 9);
  EXPECT_EQ(list.integer(3, 9), 9);
  EXPECT_EQ(list.text(4), "Заказ 7");
  EXPECT_EQ(list.integer(10, 11), 11);  // older, shorter record
  EXPECT_TRUE(list.boolean(11, true));
  EXPECT_EQ(list.text(12, "def"), "def");
  EXPECT_DOUBLE_EQ(list.number(1, 0), 2500.0);

  CommaList built;
  built.add(true).add(0).add(std::string("pre fix"));
  built.setInteger(5, 42);
  EXPECT_EQ(built.joined(), "1,0,\"pre fix\",,,42");
}
