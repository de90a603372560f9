#include "common/DocumentPlacement.h"

#include "platform/ini/IniFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::common;

// A frame is brought wholly inside the area, its title bar first, and to
// the smallest usable size, but never beyond the area; no frame fills it.
TEST(DocumentPlacement, FramesAreBroughtInsideTheAreaAndToAUsableSize) {
  const QSize area(1000, 600);
  const QSize minimum(640, 420);
  EXPECT_EQ(fitDocumentFrame(std::nullopt, area, minimum), QRect(0, 0, 1000, 600));
  // Title bar above and left of the area, too small to read.
  EXPECT_EQ(fitDocumentFrame(QRect(-40, -30, 690, 260), area, minimum), QRect(0, 0, 690, 420));
  // Hanging out at the bottom right.
  EXPECT_EQ(fitDocumentFrame(QRect(900, 500, 700, 450), area, minimum), QRect(300, 150, 700, 450));
  // Larger than the area, or an area smaller than the minimum.
  EXPECT_EQ(fitDocumentFrame(QRect(-5, 10, 3000, 2000), area, minimum), QRect(0, 0, 1000, 600));
  EXPECT_EQ(fitDocumentFrame(QRect(50, 50, 700, 450), QSize(500, 300), minimum), QRect(0, 0, 500, 300));
  // A frame that fits stays as it is.
  EXPECT_EQ(fitDocumentFrame(QRect(100, 80, 700, 450), area, minimum), QRect(100, 80, 700, 450));
}

// The placement is kept as "left,top,right,bottom" and the state; what
// cannot be read gives no frame, so the window opens as a new one.
TEST(DocumentPlacement, PlacementIsKeptAndUnreadableValuesAreIgnored) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ini::IniFile ini((dir.path() + "/Kroyna.ini").toStdString());
  writeDocumentPlacement(ini, "W", QRect(10, 20, 300, 200), false, false);
  EXPECT_EQ(ini.readString("W", "NormPos"), "10,20,310,220");
  EXPECT_EQ(readDocumentPlacement(ini, "W").frame, QRect(10, 20, 300, 200));
  EXPECT_FALSE(readDocumentPlacement(ini, "W").maximized);

  // Maximised or minimised: the state is kept, the normal frame stays.
  writeDocumentPlacement(ini, "W", QRect(0, 0, 1000, 600), true, false);
  EXPECT_TRUE(readDocumentPlacement(ini, "W").maximized);
  EXPECT_EQ(readDocumentPlacement(ini, "W").frame, QRect(10, 20, 300, 200));
  writeDocumentPlacement(ini, "W", QRect(0, 0, 160, 30), false, true);
  EXPECT_EQ(ini.readInt("W", "ShowCmd", 0), 2);
  EXPECT_EQ(readDocumentPlacement(ini, "W").frame, QRect(10, 20, 300, 200));

  for (const char* bad : {"", "1,2,3", "a,b,c,d", "10,20,5,220", "10,20,310,20", "1,2,3,4,5"}) {
    ini.writeString("W", "NormPos", bad);
    EXPECT_FALSE(readDocumentPlacement(ini, "W").frame.has_value()) << bad;
  }
}
