#include "platform/ini/IniDocument.h"

#include <gtest/gtest.h>

#include <random>

using kroyna::ini::IniDocument;
using namespace std::string_literals;

TEST(IniDocument, DamagedInputIsKeptByteForByteAndStaysStable) {
  const std::string damaged =
      "[Unclosed\r\n"
      "=no name\r\n"
      "x\0y=zero\r\n"
      "lone\rcarriage=1\r\n"
      "\x98\xFF\x80 bytes without a character\n"
      "[]\r\n"
      "[ A ] trailing text\r\n"
      "k = v \r\r\n"
      "no line end at all"s;
  const IniDocument doc = IniDocument::parse(damaged);
  const std::string once = doc.serialize();
  EXPECT_EQ(once,
            "[Unclosed\r\n=no name\r\nx\0y=zero\r\nlone\rcarriage=1\r\n"
            "\x98\xFF\x80 bytes without a character\r\n[]\r\n[ A ] trailing text\r\n"
            "k = v \r\nno line end at all\r\n"s);
  EXPECT_EQ(IniDocument::parse(once).serialize(), once);
  EXPECT_EQ(doc.value("a", "K"), "v");
  EXPECT_EQ(doc.value("a", "no line end at all"), std::nullopt);
  EXPECT_EQ(doc.sections(), (std::vector<std::string>{"", "A"}));
}

TEST(IniDocument, RandomBytesNeverBreakParsingOrWriting) {
  std::mt19937 rng(7);
  const std::string alphabet = "[]=;\"' \t\r\nAbк\x98\xC0\xFF";
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int len = static_cast<int>(rng() % 200);
    for (int i = 0; i < len; ++i) bytes += alphabet[rng() % alphabet.size()];
    IniDocument doc = IniDocument::parse(bytes);
    const std::string once = doc.serialize();
    ASSERT_EQ(IniDocument::parse(once).serialize(), once) << round;
    // Writing into whatever is there gives a value that reads back.
    doc.setValue("A", "k", " v\"");
    ASSERT_EQ(IniDocument::parse(doc.serialize()).value("a", "K"), " v\"") << round;
    doc.eraseSection("a");
    ASSERT_FALSE(IniDocument::parse(doc.serialize()).hasSection("A")) << round;
  }
}
