#include "platform/text/Cp1251.h"

#include <gtest/gtest.h>

using namespace kroyna::text;

TEST(Cp1251, RoundTripsCyrillicAndPunctuation) {
  const std::string utf8 = "Раскрой листового материала ёЁ №1 «ДСП» — 16мм";
  const std::string bytes = utf8ToCp1251(utf8);
  EXPECT_EQ(bytes.size(), 46u);                           // one byte a character
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD0);  // Р
  EXPECT_EQ(cp1251ToUtf8(bytes), utf8);
}

TEST(Cp1251, EveryDefinedByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;  // no character in this code page
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(one)), one) << b;
  }
}

TEST(Cp1251, UnrepresentableAndMalformedInputDoNotFail) {
  EXPECT_EQ(utf8ToCp1251("a\xE4\xB8\xAD"
                         "b"),
            "a?b");  // a CJK character
  EXPECT_FALSE(fitsCp1251("\xE4\xB8\xAD"));
  EXPECT_TRUE(fitsCp1251("Кромка"));
  EXPECT_EQ(utf8ToCp1251("x\xFFy"), "x?y");
  EXPECT_EQ(utf8ToCp1251("\xD0"), "?");  // truncated sequence
}

TEST(Cp1251, CaseInsensitiveComparisonCoversCyrillic) {
  EXPECT_TRUE(equalsIgnoreCase("FontCharSet", "FONTCHARSET"));
  EXPECT_TRUE(equalsIgnoreCase("Материал", "МАТЕРИАЛ"));
  EXPECT_TRUE(equalsIgnoreCase("ёлка", "Ёлка"));
  EXPECT_FALSE(equalsIgnoreCase("Mark", "Marks"));
  EXPECT_EQ(toUpperUtf8("kроМка"), "KРОМКА");
}
