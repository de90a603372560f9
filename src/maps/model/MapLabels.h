#pragma once

// The texts drawn on a map, as the maps window and the printed map both
// place them: the name and size of a part or an offcut inside its own
// rectangle, and the numbers of the saw passes along the cuts.
//
// A label is laid out in the first of the layouts standard, one-line
// horizontal, two-line horizontal, one-line vertical, two-line vertical
// whose texts all lie inside the element and clear of one another. When
// none fits, the font is made smaller step by step down to 5 pt; a part
// that is too small even then shows only its row number in the parts
// list, an offcut nothing. No text is ever cut off or run over.
//
// Sizes are in the units of the drawing (pixels on screen, report units
// on paper); fonts are measured through FontMeasure. Standard C++ only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kroyna::maps {

// The smallest font a map's texts are shrunk to, in points.
inline constexpr double kMinLabelPoints = 5;
// Fonts shrink by this much at a time, in points.
inline constexpr double kLabelPointsStep = 0.5;

// A rectangle of the drawing: top-left corner, width and height.
struct TextBox {
  double x = 0, y = 0, w = 0, h = 0;
  double right() const { return x + w; }
  double bottom() const { return y + h; }
  // Whether the two share more than an edge.
  bool overlaps(const TextBox& o) const;
  // Whether the box lies inside `outer` (edges may touch).
  bool inside(const TextBox& outer) const;
  bool operator==(const TextBox&) const = default;
};

// A font measured at any size.
struct FontMeasure {
  // The height of a line.
  std::function<double(double points)> lineHeight;
  // The advance of a text.
  std::function<double(const std::string& text, double points)> width;
};

enum class LabelLayout {
  None,  // nothing fits, or nothing is to be shown
  Standard,
  OneLineHorizontal,
  TwoLineHorizontal,
  OneLineVertical,
  TwoLineVertical,
  Number,  // only the part's row number
};

// One text as placed. A horizontal text takes `box` from its top-left
// corner on; a vertical one reads upwards, its first character at the
// bottom of `box`, its line `box.w` wide.
struct LabelRun {
  std::string text;
  TextBox box;
  bool vertical = false;
  bool operator==(const LabelRun&) const = default;
};

struct FittedLabel {
  LabelLayout layout = LabelLayout::None;
  double points = 0;  // the size all its texts are drawn at
  std::vector<LabelRun> runs;
};

// What an element may show.
struct LabelTexts {
  std::string title;  // empty: no title
  bool showSize = false;
  std::int32_t length = 0, width = 0;  // along x and along y, mm
  // Edge labels of the standard layout ("[2][2]"), printed maps only.
  std::string edgesTopBottom, edgesLeftRight;
  // Shown alone when nothing else fits (a part's row number); may be empty.
  std::string number;
};

// Lays out the texts inside `frame` with the font at `points` (and
// smaller, down to 5 pt); `pad` is kept between a left-aligned text and
// the frame's left side.
FittedLabel fitLabel(const TextBox& frame, const LabelTexts& texts, const FontMeasure& font, double points, double pad);

// ---- Numbers of the saw passes ---------------------------------------------

// A stretch of cut along which a pass's number may stand, in drawing
// units: from (x0, y0) to (x1, y1), horizontal or vertical.
struct NumberLine {
  std::string text;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct PlacedNumber {
  std::string text;
  TextBox box;  // the number's frame; the text is centred in it
  double points = 0;
  std::size_t line = 0;  // index of its NumberLine
};

// Puts each number on its stretch of cut, as near its middle as it can,
// clear of the `taken` boxes (the texts of parts and offcuts) and of the
// numbers placed before it, inside `sheet`; the font shrinks down to 5 pt
// where there is no room. A number that finds no room at all is left out
// (another stretch of the same pass, or the order's table, still shows it).
std::vector<PlacedNumber> placeNumbers(const std::vector<NumberLine>& lines, std::vector<TextBox> taken,
                                       const TextBox& sheet, const FontMeasure& font, double points, double pad);

}  // namespace kroyna::maps
