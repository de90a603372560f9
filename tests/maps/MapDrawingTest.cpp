#include "maps/MapDrawing.h"
#include "maps/MapsTestSupport.h"
#include "platform/text/Literals.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace kroyna::maps {
namespace {

using testing::FakeEnvironment;

using text::u;

QFont testFont() {
  common::FontKeys f;
  f.name = "DejaVu Sans";
  f.size = 8;
  return mapQFont(f);
}

// ---- Scale ----

TEST(MapScale, OneRatioFitsTheLargestLengthAndWidthOfAllMaps) {
  // Maps of 2800 x 2070 and 1830 x 1830 on an 800 x 600 page with 20 pixel
  // status lines: the width limits (552 / 2070 < 792 / 2800).
  const double r = mapsRatio(QSize(800, 600), 20, 2800, 2070);
  EXPECT_DOUBLE_EQ(r, 552.0 / 2070.0);
  // A wide, low page: now the length limits.
  EXPECT_DOUBLE_EQ(mapsRatio(QSize(800, 1200), 20, 2800, 2070), 792.0 / 2800.0);
  SheetMap large;
  large.length = 2800;
  large.width = 2070;
  SheetMap square;
  square.length = square.width = 1830;
  EXPECT_EQ(sheetSize(large, r), QSize(747, 552));
  EXPECT_EQ(sheetSize(square, r), QSize(488, 488));
}

TEST(MapScale, NoMapsOrNoRoomGiveZero) {
  EXPECT_EQ(mapsRatio(QSize(800, 600), 20, 0, 0), 0);
  EXPECT_EQ(mapsRatio(QSize(5, 5), 20, 2800, 2070), 0);
}

TEST(MapScale, ElementsRoundToTheNearestPixel) {
  EXPECT_EQ(elementRect(10, 15, 600, 401, 0.25), QRect(3, 4, 150, 100));
  // A 4 mm kerf below 0.125 pixels per mm has no thickness.
  EXPECT_EQ(toPixels(4, 0.12), 0);
  EXPECT_EQ(toPixels(4, 0.125), 1);
}

// ---- Labels ----

TEST(MapLabels, AFlatPartShowsTitleAndSizeOnOneLine) {
  const QFont font = testFont();
  const QFontMetrics fm(font);
  MapPart p;
  p.Title = "Планка";
  p.length = 600;
  p.width = 45;
  const int h = fm.height() + 4;  // too low for the turned "45" beside a title
  const ElementLabels l = partLabels(p, 200, h, fm);
  EXPECT_TRUE(l.line);
  EXPECT_EQ(l.lineText, u("Планка 600x45"));
  EXPECT_FALSE(l.sideDims);
  EXPECT_EQ(l.lineClip, QRect(2, 1, 196, fm.height()));
}

TEST(MapLabels, ATallPartShowsItsSizesAtTheSides) {
  const QFontMetrics fm(testFont());
  MapPart p;
  p.Title = "Бок";
  p.length = 720;
  p.width = 560;
  const ElementLabels l = partLabels(p, 150, 120, fm);
  EXPECT_TRUE(l.line);
  EXPECT_EQ(l.lineText, u("Бок "));
  ASSERT_TRUE(l.sideDims);
  const int w = fm.horizontalAdvance(u("560"));
  EXPECT_EQ(l.heightAt, QPoint(2, (120 + w) / 2));
  EXPECT_EQ(l.widthText, u("720"));
  EXPECT_EQ(l.widthAt, QPoint((150 - fm.horizontalAdvance(u("720"))) / 2, 119 - fm.height()));

  // Without the title only the two side sizes are drawn ...
  p.ShowTitle = false;
  const ElementLabels bare = partLabels(p, 150, 120, fm);
  EXPECT_FALSE(bare.line);
  EXPECT_TRUE(bare.sideDims);
  // ... and a flat part shows "length x width" on its first line.
  const ElementLabels flat = partLabels(p, 150, 10, fm);
  EXPECT_TRUE(flat.line);
  EXPECT_EQ(flat.lineText, u("720x560"));
  EXPECT_FALSE(flat.sideDims);
}

TEST(MapLabels, BandedSidesMoveTheFrameInwards) {
  const QFontMetrics fm(testFont());
  MapPart p;
  p.Title = "Фасад";
  p.length = 716;
  p.width = 396;
  p.LeftBorder = 3;
  p.TopBorder = 3;
  p.RightBorder = 3;
  p.BottomBorder = 3;
  const ElementLabels l = partLabels(p, 150, 100, fm);
  EXPECT_EQ(l.lineClip.topLeft(), QPoint(4, 4));
  EXPECT_EQ(l.lineClip.right() + 1, 145);
  EXPECT_EQ(l.heightAt.x(), 4);
  EXPECT_EQ(l.widthAt.y(), 95 - fm.height());

  p.ShowTitle = false;
  p.ShowDim = false;
  const ElementLabels none = partLabels(p, 150, 100, fm);
  EXPECT_FALSE(none.line);
  EXPECT_FALSE(none.sideDims);
}

TEST(MapLabels, AnUnnamedUsefulOffcutIsLabelledOstatok) {
  FakeEnvironment env;
  MapsDocument doc(env);
  doc.setShowScrapsText(true);
  testing::LayoutBuilder b(1000, 1000, 4);
  b.region(0, 0, 504, 304);
  doc.addMap(u("1"), 1, b.finished(), 4, {});
  const MapOffcut& o = doc.map(0).Offcuts[0];
  const QFontMetrics fm(testFont());
  const ElementLabels l = offcutLabels(o, 100, 60, fm);
  EXPECT_TRUE(l.line);
  EXPECT_EQ(l.lineText, u("Остаток "));
  EXPECT_EQ(l.lineClip, QRect(1, 1, 97, fm.height()));
  EXPECT_TRUE(l.sideDims);
  EXPECT_EQ(l.widthAt.y(), 60 - fm.height() - 2);

  // Useless offcuts carry no label at all.
  MapOffcut lost = o;
  lost.ShowText = lost.ShowDim = false;
  EXPECT_FALSE(offcutLabels(lost, 100, 60, fm).line);
}

// ---- Painting ----

class SheetPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    env.colourValues = MapColours{0x808080, 0xFFFFFF, 0x000000, 0x0000FF, 0xFF0000};
    env.edges[5] = {0x00FF00, 0, u("ПВХ")};
    env.criteria[1] = testing::minimumSize(100, 100);
    doc.setShowBorder(true);
    doc.setShowTitleForNew(false);
    doc.setShowDimForNew(false);
    doc.setMillMode(MillShown);
    testing::LayoutBuilder b(1000, 500, 4);
    b.place(b.part("A", 396, 296, {5, 0, 0, 0}), 0, 0);  // 400 x 300 box: part at 2,2
    b.region(400, 0, 604, 304);                          // useful 600 x 300 at 402,2
    b.region(0, 300, 54, 204);                           // useless 50 x 200 at 2,302
    b.cut(400, 0, false, 300);
    doc.addMap(u("1"), 1, b.finished(), 4, {});
  }
  QImage render(double ratio) {
    const SheetMap& m = doc.map(0);
    QImage image(sheetSize(m, ratio), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    paintSheet(painter, m, ratio);
    return image;
  }
  testing::FakeEnvironment env;
  MapsDocument doc{env};
};

TEST_F(SheetPaint, PaintsSheetPartsOffcutsEdgeMarksAndCuts) {
  const QImage img = render(0.5);
  ASSERT_EQ(img.size(), QSize(500, 250));
  auto at = [&](int x, int y) { return QColor(img.pixel(x, y)); };
  EXPECT_EQ(at(100, 80), QColor(Qt::white));  // part
  // The part (1..199 x 1..149 after rounding) leaves its last column to
  // the sheet colour.
  const QRect part = elementRect(doc.map(0).Parts[0], 0.5);
  EXPECT_EQ(at(part.right(), 80), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(at(part.left() + 2, part.top() + part.height() / 2), QColor(Qt::green));  // left edge mark
  EXPECT_EQ(at(part.left() + 2, part.top() + 5), QColor(Qt::white));                  // only the middle third
  EXPECT_EQ(at(300, 80), QColor(Qt::red));                                            // useful offcut (ScrapColor 255)
  EXPECT_EQ(at(10, 200), QColor(Qt::black));                                          // useless offcut
  EXPECT_EQ(at(200, 50), QColor(Qt::blue));           // the cut along Y at x = 398..401 mm
  EXPECT_EQ(at(450, 220), QColor(0x80, 0x80, 0x80));  // bare sheet

  doc.setMillMode(MillHidden);
  EXPECT_EQ(QColor(render(0.5).pixel(200, 50)), QColor(0x80, 0x80, 0x80));
}

TEST_F(SheetPaint, WithoutBandingDisplayThePartHasNoMarks) {
  doc.setShowBorder(false);
  const QImage img = render(0.5);
  const QRect part = elementRect(doc.map(0).Parts[0], 0.5);
  EXPECT_EQ(QColor(img.pixel(part.left() + 2, part.top() + part.height() / 2)), QColor(Qt::white));
}

}  // namespace
}  // namespace kroyna::maps
