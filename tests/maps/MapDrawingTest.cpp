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

std::vector<std::string> texts(const FittedLabel& l) {
  std::vector<std::string> out;
  for (const LabelRun& r : l.runs) out.push_back(r.text);
  return out;
}

TEST(MapLabels, AFlatPartShowsTitleAndSizeOnOneLine) {
  const QFont font = testFont();
  const QFontMetrics fm(font);
  MapPart p;
  p.Title = "Планка";
  p.length = 600;
  p.width = 45;
  const int h = fm.height() + 4;  // too low for the turned "45" beside a title
  const FittedLabel l = partLabels(p, 200, h, font);
  EXPECT_EQ(l.layout, LabelLayout::OneLineHorizontal);
  EXPECT_EQ(texts(l), std::vector<std::string>{"Планка 600x45"});
  EXPECT_EQ(l.points, 8);
  EXPECT_EQ(l.runs[0].box.x, 2);  // the frame inside the part
  EXPECT_EQ(l.runs[0].box.y, 1);
}

TEST(MapLabels, ATallPartShowsItsSizesAtTheSides) {
  const QFont font = testFont();
  MapPart p;
  p.Title = "Бок";
  p.length = 720;
  p.width = 560;
  const FittedLabel l = partLabels(p, 150, 120, font);
  EXPECT_EQ(l.layout, LabelLayout::Standard);
  ASSERT_EQ(texts(l), (std::vector<std::string>{"Бок", "720", "560"}));
  EXPECT_TRUE(l.runs[2].vertical);
  EXPECT_EQ(l.runs[2].box.x, 2);
  EXPECT_NEAR(l.runs[2].box.y + l.runs[2].box.h / 2, 1 + 118 / 2.0, 0.01);  // centred along the left

  // Without the title only the two side sizes are drawn ...
  p.ShowTitle = false;
  EXPECT_EQ(texts(partLabels(p, 150, 120, font)), (std::vector<std::string>{"720", "560"}));
  // ... and a flat part shows "length x width" on its first line.
  const FittedLabel flat = partLabels(p, 150, 14, font);
  EXPECT_EQ(texts(flat), std::vector<std::string>{"720x560"});
  EXPECT_FALSE(flat.runs[0].vertical);
}

TEST(MapLabels, BandedSidesMoveTheFrameInwards) {
  const QFont font = testFont();
  MapPart p;
  p.Title = "Фасад";
  p.length = 716;
  p.width = 396;
  p.LeftBorder = 3;
  p.TopBorder = 3;
  p.RightBorder = 3;
  p.BottomBorder = 3;
  const FittedLabel l = partLabels(p, 150, 100, font);
  ASSERT_EQ(l.layout, LabelLayout::Standard);
  EXPECT_EQ(l.runs[0].box.x, 4);
  EXPECT_EQ(l.runs[0].box.y, 4);
  EXPECT_EQ(l.runs[1].box.bottom(), 95);  // the length on the bottom line of the frame
  EXPECT_EQ(l.runs[2].box.x, 4);

  p.ShowTitle = false;
  p.ShowDim = false;
  EXPECT_TRUE(partLabels(p, 150, 100, font).runs.empty());
}

TEST(MapLabels, NoTextOverAnotherAndAPartTooSmallShowsItsRowNumber) {
  // The maps window drew the turned "100" over "Планка цоколя" in a part
  // just high enough for the number beside the title's line.
  const QFont font = testFont();
  MapPart p;
  p.Title = "Планка цоколя";
  p.length = 2400;
  p.width = 100;
  for (int h = 10; h <= 60; ++h) {
    const FittedLabel l = partLabels(p, 600, h, font, "14");
    for (std::size_t i = 0; i < l.runs.size(); ++i) {
      EXPECT_TRUE(l.runs[i].box.inside({2, 1, 596, double(h - 2)})) << h << " " << l.runs[i].text;
      for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(l.runs[i].box.overlaps(l.runs[j].box)) << h;
    }
  }
  // Too small for its name even at 5 pt: the number of its row.
  const FittedLabel small = partLabels(p, 40, 14, font, "14");
  EXPECT_EQ(small.layout, LabelLayout::Number);
  EXPECT_EQ(texts(small), std::vector<std::string>{"14"});
  EXPECT_GE(small.points, 5);
}

TEST(MapLabels, AnUnnamedUsefulOffcutIsLabelledOstatok) {
  FakeEnvironment env;
  MapsDocument doc(env);
  doc.setShowScrapsText(true);
  testing::LayoutBuilder b(1000, 1000, 4);
  b.region(0, 0, 504, 304);
  doc.addMap(u("1"), 1, b.finished(), 4, {});
  const MapOffcut& o = doc.map(0).Offcuts[0];
  const FittedLabel l = offcutLabels(o, 100, 60, testFont());
  ASSERT_FALSE(l.runs.empty());
  EXPECT_EQ(l.runs[0].text, "Остаток");
  EXPECT_EQ(l.runs[0].box.x, 1);
  EXPECT_EQ(l.layout, LabelLayout::Standard);

  // Useless offcuts carry no label at all.
  MapOffcut lost = o;
  lost.ShowText = lost.ShowDim = false;
  EXPECT_TRUE(offcutLabels(lost, 100, 60, testFont()).runs.empty());
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
