// The outside files of the catalogues: listmat.ini/borders.ini and the
// edge colours file, read and written, whole and damaged.

#include "CatalogueTestSupport.h"

#include "catalogues/CatalogueFiles.h"

#include <gtest/gtest.h>

namespace kroyna::catalogues::testing {
namespace {

TEST(ExternalCatalogueFile, KeysThatAreNotWholeNumbersAreSkipped) {
  const std::string bytes = text::utf8ToCp1251(
      "[Other]\r\n5=не отсюда\r\n"
      "[Materials]\r\n"
      "1=ДСП\r\n"
      "007=Семь\r\n"
      "-1=минус\r\n"
      "A1=буква\r\n"
      "+3=плюс\r\n"
      "12x=хвост\r\n"
      "99999999999=велик\r\n"
      " 4 = с пробелами \r\n"
      "1=ещё раз\r\n");
  const ExternalCatalogue c = parseExternalCatalogue(bytes);
  EXPECT_EQ(c.entries, (std::vector<ExternalEntry>{{1, "ДСП"}, {7, "Семь"}, {4, "с пробелами"}, {1, "ещё раз"}}));
  EXPECT_EQ(c.skippedKeys, (std::vector<std::string>{"-1", "A1", "+3", "12x", "99999999999"}));
}

TEST(ExternalCatalogueFile, RoundTripKeepsNamesWithQuotesAndCyrillic) {
  TempDir dir;
  const std::vector<ExternalEntry> entries{{1, "Плита \"Эггер\""}, {20, "a;b=c"}, {3, " с пробелом"}};
  writeExternalCatalogue(dir / "listmat.ini", entries);
  EXPECT_EQ(readExternalCatalogue(dir / "listmat.ini").entries, entries);
  // Stored in code page 1251.
  EXPECT_NE(readBytes(dir / "listmat.ini").find(text::utf8ToCp1251("Эггер")), std::string::npos);
}

TEST(ExternalCatalogueFile, DamagedOrMissingInput) {
  EXPECT_TRUE(parseExternalCatalogue("").entries.empty());
  EXPECT_TRUE(parseExternalCatalogue(std::string("\0\xff[Materials\n=\n\0=1", 15)).entries.empty());
  const ExternalCatalogue noSection = parseExternalCatalogue("1=a\r\n2=b\r\n");
  EXPECT_TRUE(noSection.entries.empty());
  // A value ends at a zero byte, as the profile functions read it.
  const ExternalCatalogue zero = parseExternalCatalogue(std::string("[Materials]\r\n5=ab\0cd\r\n", 22));
  EXPECT_EQ(zero.entries, (std::vector<ExternalEntry>{{5, "ab"}}));
  TempDir dir;
  EXPECT_THROW(readExternalCatalogue(dir / "missing.ini"), CatalogueError);
}

TEST(ParseCodeKey, DigitsOnly) {
  int code = -5;
  EXPECT_TRUE(parseCodeKey("0", code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(parseCodeKey("007", code));
  EXPECT_EQ(code, 7);
  EXPECT_TRUE(parseCodeKey("2147483647", code));
  EXPECT_EQ(code, 2147483647);
  EXPECT_FALSE(parseCodeKey("2147483648", code));
  EXPECT_FALSE(parseCodeKey("", code));
  EXPECT_FALSE(parseCodeKey("1.5", code));
  EXPECT_FALSE(parseCodeKey("１", code));  // a full-width digit is not a digit here
}

TEST(EdgeColoursFile, RoundTripWithSystemAndPlainColours) {
  TempDir dir;
  const std::vector<EdgeColour> colours{{0, -2147483633}, {12, 255}, {3, 0}, {7, 16777215}};
  writeEdgeColours(dir / "brdolors.ini", colours);
  EXPECT_EQ(readBytes(dir / "brdolors.ini"), "0=-2147483633\r\n12=255\r\n3=0\r\n7=16777215\r\n");
  EXPECT_EQ(readEdgeColours(dir / "brdolors.ini"), colours);
  EXPECT_EQ(colourOf(colours, 12, -1), 255);
  EXPECT_EQ(colourOf(colours, 99, -1), -1);
}

TEST(EdgeColoursFile, DamagedLinesAreSkipped) {
  const std::string bytes =
      "junk\n"
      "=5\n"
      "4=\n"
      "5=abc\n"
      "6=4294967295\n"  // written unsigned: the same colour as -1
      "7 = 42 \r\n"
      "8=99999999999\n"  // does not fit a colour
      "x9=1\n"
      "10=-2147483633";  // last line without a line end
  EXPECT_EQ(parseEdgeColours(bytes), (std::vector<EdgeColour>{{6, -1}, {7, 42}, {10, -2147483633}}));
  EXPECT_TRUE(parseEdgeColours(std::string("\0\0=\0", 4)).empty());
  TempDir dir;
  EXPECT_TRUE(readEdgeColours(dir / "none.ini").empty());  // a missing file holds no colours
  fs::create_directory(dir / "folder.ini");
  EXPECT_THROW(readEdgeColours(dir / "folder.ini"), CatalogueError);
}

TEST(EdgeColoursFile, FailedWriteIsReported) {
  TempDir dir;
  // A folder where the file should be: the rename over it fails.
  fs::create_directories(dir / "brdolors.ini" / "inside");
  EXPECT_THROW(writeEdgeColours(dir / "brdolors.ini", {{0, 2}}), CatalogueError);
  EXPECT_TRUE(fs::is_directory(dir / "brdolors.ini" / "inside"));
}

TEST(FindFileIgnoringCase, FindsWindowsSpellings) {
  TempDir dir;
  writeBytes(dir / "BORDERS.INI", "");
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "borders.ini"), dir / "BORDERS.INI");
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "listmat.ini"), dir / "listmat.ini");
  EXPECT_EQ(findFileIgnoringCase(dir / "nowhere", "x.ini"), dir / "nowhere" / "x.ini");
}

}  // namespace
}  // namespace kroyna::catalogues::testing
