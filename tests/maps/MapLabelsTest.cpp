// The texts on a map, the same on screen and on paper: the layouts of a
// part's title and size, the font shrunk before anything is cut, a part
// too small showing its row number, offcut labels turned along thin
// strips or left out, and the saw passes' numbers placed clear of them.

#include "maps/model/MapLabels.h"

#include <gtest/gtest.h>

#include <random>

namespace kroyna::maps {
namespace {

// Lines as high as the size in points, every character 0.6 of it wide.
FontMeasure fixedFont() {
  return {[](double pt) { return pt; },
          [](const std::string& s, double pt) {
            std::size_t chars = 0;
            for (char c : s) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            return 0.6 * pt * static_cast<double>(chars);
          }};
}

LabelTexts part(const char* title, std::int32_t length, std::int32_t width, const char* number = "7") {
  LabelTexts t;
  t.title = title;
  t.showSize = true;
  t.length = length;
  t.width = width;
  t.number = number;
  return t;
}

// Every text inside the frame and clear of the others.
void expectClean(const FittedLabel& l, const TextBox& frame) {
  for (std::size_t i = 0; i < l.runs.size(); ++i) {
    EXPECT_TRUE(l.runs[i].box.inside(frame)) << l.runs[i].text;
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(l.runs[i].box.overlaps(l.runs[j].box)) << l.runs[i].text;
  }
}

TEST(MapLabels, TheFirstLayoutThatFitsAtTheLargestSize) {
  // "Бок" is 18 wide at 10 pt, "720" and "560" 18 each, "Бок 720x560" 66.
  struct Case {
    const char* title;
    double w, h;
    LabelLayout layout;
    double points;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      // Title on top, length at the bottom, width turned at the left.
      {"Бок", 100, 100, LabelLayout::Standard, 10, {"Бок", "720", "560"}},
      // Too low for the turned width beside the title: one line.
      {"Бок", 70, 25, LabelLayout::OneLineHorizontal, 10, {"Бок 720x560"}},
      // Narrower than one line, two lines fit.
      {"Бок", 45, 25, LabelLayout::TwoLineHorizontal, 10, {"Бок", "720x560"}},
      // Narrow and long: turned along the part.
      {"Бок", 15, 80, LabelLayout::OneLineVertical, 10, {"Бок 720x560"}},
      {"Полка", 22, 50, LabelLayout::TwoLineVertical, 10, {"Полка", "720x560"}},
      // Nothing fits at 10 pt: the font shrinks (at 7 pt "Бок 720x560" is 46.2 wide).
      {"Бок", 47, 8, LabelLayout::OneLineHorizontal, 7, {"Бок 720x560"}},
      // Too small even at 5 pt for any layout: the row number alone.
      {"Бок", 12, 6, LabelLayout::Number, 6, {"7"}},
      {"Бок", 5, 5, LabelLayout::Number, 5, {"7"}},
      // Not even the number fits.
      {"Бок", 2, 2, LabelLayout::None, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    const TextBox frame{100, 200, c.w, c.h};
    const FittedLabel l = fitLabel(frame, part(c.title, 720, 560), fixedFont(), 10, 0);
    EXPECT_EQ(l.layout, c.layout);
    EXPECT_DOUBLE_EQ(l.points, c.points);
    std::vector<std::string> texts;
    for (const LabelRun& r : l.runs) texts.push_back(r.text);
    EXPECT_EQ(texts, c.texts);
    expectClean(l, frame);
  }
}

TEST(MapLabels, WhereTheStandardLayoutPutsItsTexts) {
  LabelTexts t = part("Бок", 720, 560);
  t.edgesTopBottom = "[2]";
  t.edgesLeftRight = "[1]";
  const FittedLabel l = fitLabel({0, 0, 100, 100}, t, fixedFont(), 10, 1);
  ASSERT_EQ(l.layout, LabelLayout::Standard);
  ASSERT_EQ(l.runs.size(), 5u);
  EXPECT_EQ(l.runs[0].box, (TextBox{1, 0, 18, 10}));    // title, one unit in
  EXPECT_EQ(l.runs[1].box, (TextBox{41, 90, 18, 10}));  // length, centred at the bottom
  EXPECT_EQ(l.runs[2].box, (TextBox{41, 80, 18, 10}));  // top and bottom edges above it
  EXPECT_TRUE(l.runs[3].vertical);
  EXPECT_EQ(l.runs[3].box, (TextBox{0, 41, 10, 18}));  // width, centred along the left
  EXPECT_EQ(l.runs[4].box, (TextBox{10, 41, 10, 18}));
  // A part too low for the turned width beside the title gives up the
  // standard layout rather than draw one over the other (the maps
  // window's "100" over "Планка цоколя").
  const FittedLabel plank = fitLabel({0, 0, 600, 24}, part("Планка цоколя", 2400, 100), fixedFont(), 10, 1);
  EXPECT_EQ(plank.layout, LabelLayout::OneLineHorizontal);
  expectClean(plank, {0, 0, 600, 24});
}

TEST(MapLabels, OffcutLabelsTurnAlongAThinStripOrAreLeftOut) {
  LabelTexts waste;
  waste.title = "Отход";
  waste.showSize = true;
  waste.length = 1450;
  waste.width = 20;
  // Along a long, thin upright strip the label is turned ...
  FittedLabel l = fitLabel({0, 0, 6, 300}, waste, fixedFont(), 10, 0);
  EXPECT_EQ(l.layout, LabelLayout::OneLineVertical);
  EXPECT_GE(l.points, 5);
  expectClean(l, {0, 0, 6, 300});
  // ... a strip thinner than 5 pt text shows nothing, never half a text.
  l = fitLabel({0, 0, 300, 4}, waste, fixedFont(), 10, 0);
  EXPECT_EQ(l.layout, LabelLayout::None);
  EXPECT_TRUE(l.runs.empty());
}

TEST(MapLabels, NoTextLeavesItsElementOrMeetsAnotherAtAnySize) {
  std::mt19937 random(28);
  std::uniform_real_distribution<double> side(1, 160);
  for (int i = 0; i < 2000; ++i) {
    const TextBox frame{side(random), side(random), side(random), side(random)};
    LabelTexts t = part(i % 3 ? "Фасад навесной" : "", 716, 396, "12");
    t.edgesTopBottom = i % 2 ? "[5203][5203]" : "";
    t.edgesLeftRight = t.edgesTopBottom;
    const FittedLabel l = fitLabel(frame, t, fixedFont(), 4 + i % 9, 1);
    expectClean(l, frame);
    if (l.layout != LabelLayout::None) {
      EXPECT_GE(l.points, std::min<double>(5, 4 + i % 9));
    }
  }
}

TEST(MapLabels, PassNumbersStandOnTheirCutsClearOfOtherTexts) {
  const TextBox sheet{0, 0, 400, 300};
  // A cut along x at y = 100 from x = 0 to 200, with a text at its middle.
  const std::vector<NumberLine> lines = {{"1", 0, 100, 200, 100}, {"2", 200, 0, 200, 300}, {"3", 0, 2, 400, 2}};
  const std::vector<TextBox> taken = {{90, 95, 20, 10}};
  const std::vector<PlacedNumber> placed = placeNumbers(lines, taken, sheet, fixedFont(), 8, 1);
  ASSERT_EQ(placed.size(), 3u);
  for (const PlacedNumber& n : placed) {
    EXPECT_TRUE(n.box.inside(sheet)) << n.text;
    EXPECT_FALSE(n.box.overlaps(taken[0])) << n.text;
    for (const PlacedNumber& o : placed) {
      if (&o != &n) {
        EXPECT_FALSE(n.box.overlaps(o.box));
      }
    }
  }
  // Number 1 moved along its cut off the text at the middle and still
  // touches the cut.
  EXPECT_LE(placed[0].box.y, 100);
  EXPECT_GE(placed[0].box.bottom(), 100);
  EXPECT_GT(std::abs(placed[0].box.x + placed[0].box.w / 2 - 100), 10);
  // Number 2 stands at the middle of its cut; number 3, on a trim at the
  // sheet's edge, is moved inside the sheet.
  EXPECT_DOUBLE_EQ(placed[1].box.y + placed[1].box.h / 2, 150);
  EXPECT_DOUBLE_EQ(placed[2].box.y, 0);
}

}  // namespace
}  // namespace kroyna::maps
