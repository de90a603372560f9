#include "common/Settings.h"

#include <gtest/gtest.h>

#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

using kroyna::common::PageMargins;
using kroyna::common::Settings;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

TEST(Settings, FirstStartWritesVersionAndCheckStdSheetsQuantity) {
  TempDir dir;
  const Settings settings(dir / "Kroyna.ini");
  EXPECT_EQ(readBytes(dir / "Kroyna.ini"), "[Default]\r\nVersion=2\r\nCheckStdSheetsQuantity=0\r\n");
  EXPECT_EQ(settings.lenDigits(), 2);
  EXPECT_EQ(settings.sqrDigits(), 3);
  EXPECT_EQ(settings.pageMargins(), PageMargins{});
  EXPECT_EQ(settings.formatLength(1234), "1.23");
  EXPECT_EQ(settings.formatArea(2500000), "2.500");

  // A second start changes nothing.
  const std::string first = readBytes(dir / "Kroyna.ini");
  Settings again(dir / "Kroyna.ini");
  EXPECT_EQ(readBytes(dir / "Kroyna.ini"), first);
}

TEST(Settings, ReadsAndKeepsValuesInMemory) {
  TempDir dir;
  writeBytes(dir / "Kroyna.ini",
             kroyna::text::utf8ToCp1251("[Default]\r\nVersion=2\r\nLenDigits=15\r\nSqrDigits=1\r\n"
                                        "CheckStdSheetsQuantity=1\r\n"
                                        "[PageParams]\r\nLeft=10\r\nRight=250\r\nTop=-4\r\nBottom=7\r\n"
                                        "[Remarks]\r\n3=Белый\r\nnote=not a code\r\n12=Дуб, 16 мм\r\n"));
  Settings settings(dir / "Kroyna.ini");
  EXPECT_EQ(settings.lenDigits(), 10);
  EXPECT_EQ(settings.sqrDigits(), 1);
  EXPECT_TRUE(settings.ini().readBool("Default", "CheckStdSheetsQuantity", false));
  PageMargins expected;
  expected.left = 10;
  expected.right = 100;
  expected.top = 0;
  expected.bottom = 7;
  EXPECT_EQ(settings.pageMargins(), expected);
  EXPECT_EQ(settings.remarks(), (std::vector<std::pair<int, std::string>>{{3, "Белый"}, {12, "Дуб, 16 мм"}}));

  settings.setRemark(12, "Дуб");
  settings.setRemark(40, "Новый");
  EXPECT_EQ(settings.ini().readString("Remarks", "40"), "Новый");  // written at once
  settings.saveRemarks();
  settings.setLenDigits(3);
  settings.setSqrDigits(-2);
  PageMargins m;
  m.left = 5;
  m.top = 101;
  settings.setPageMargins(m);

  const Settings reopened(dir / "Kroyna.ini");
  EXPECT_EQ(reopened.remark(12), "Дуб");
  EXPECT_EQ(reopened.remark(40), "Новый");
  EXPECT_EQ(reopened.remark(3), "Белый");
  EXPECT_EQ(reopened.ini().readString("Remarks", "note"), "not a code");
  EXPECT_EQ(reopened.lenDigits(), 3);
  EXPECT_EQ(reopened.sqrDigits(), 0);
  EXPECT_EQ(reopened.pageMargins().left, 5);
  EXPECT_EQ(reopened.pageMargins().top, 100);
  EXPECT_EQ(reopened.formatLength(1500), "1.500");
}

// A remark typed in "Параметры разложения" reaches the settings through the
// run; the defaults dialog then re-reads the digits. The remark must outlive
// that re-read and be in the file without waiting for the program's exit.
TEST(Settings, RemarksSurviveARereadAndAreWrittenAtOnce) {
  TempDir dir;
  Settings settings(dir / "Kroyna.ini");
  settings.setRemark(7, "Кромка с двух сторон");
  settings.ini().writeInt("Default", "LenDigits", 4);  // the defaults dialog's write
  settings.reread();
  EXPECT_EQ(settings.lenDigits(), 4);
  EXPECT_EQ(settings.remark(7), "Кромка с двух сторон");
  // Another reader of the file (a crash before exit loses nothing).
  const Settings other(dir / "Kroyna.ini");
  EXPECT_EQ(other.remark(7), "Кромка с двух сторон");
}
