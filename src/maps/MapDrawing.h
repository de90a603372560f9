#pragma once

// Drawing of a map to scale: one ratio (pixels per millimetre) common to
// all maps of a window, the pixel rectangles of sheets, parts, offcuts and
// cuts, the placement of the part and offcut labels, and the painting of
// each element inside its own rectangle.

#include "maps/MapsDocument.h"
#include "maps/model/MapCutOrder.h"
#include "maps/model/MapLabels.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

class QFontMetrics;
class QPainter;

namespace kroyna::maps {

// Gap between a tab page's corner and its sheet, in pixels.
inline constexpr int kSheetMargin = 4;

// The ratio for a tab page of `page` pixels whose first status line is
// `statusHeight` high, for maps up to maxWidth x maxHeight mm: the smaller
// of (PW - 8) / maxWidth and (PH - 8 - 2 SH) / maxHeight. 0 when there is
// no size to fit (no map) or no room.
double mapsRatio(QSize page, int statusHeight, std::int32_t maxWidth, std::int32_t maxHeight);

// round(v × ratio), to the nearest pixel.
int toPixels(std::int32_t mm, double ratio);
// Pixel rectangle of an element relative to its sheet.
QRect elementRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, double ratio);
inline QRect elementRect(const MapPart& p, double r) { return elementRect(p.x, p.y, p.length, p.width, r); }
inline QRect elementRect(const MapOffcut& o, double r) { return elementRect(o.x, o.y, o.length, o.width, r); }
inline QRect elementRect(const MapCut& c, double r) { return elementRect(c.x, c.y, c.length, c.width, r); }
inline QSize sheetSize(const SheetMap& m, double r) { return {toPixels(m.length, r), toPixels(m.width, r)}; }

// The texts of a part of w x h pixels, placed by the label rules
// (maps/model/MapLabels.h) inside the frame that leaves room for the edge
// marks of its banded sides: the font shrinks down to 5 pt where they do
// not fit, and `number` (the part's row in the parts list) stands alone
// when nothing else does. Positions are the element's own pixels.
FittedLabel partLabels(const MapPart& part, int w, int h, const QFont& font, const std::string& number = {});
// The texts of an offcut of w x h pixels: its label and size, turned
// along a thin strip, or none.
FittedLabel offcutLabels(const MapOffcut& offcut, int w, int h, const QFont& font);
// The map font's measures at any size, on screen.
FontMeasure screenMeasure(const QFont& font);

// The screen font of a map font.
QFont mapQFont(const common::FontKeys& font);

// Paints a whole sheet at `ratio` with the painter's origin at the
// sheet's top-left corner: the sheet, all parts, all offcuts, the visible
// cuts, in that order, then the texts of the parts and offcuts, each
// inside its own element, and, when `passNumbers` are given, the number of
// each saw pass on its stretch of cut, clear of the other texts.
void paintSheet(QPainter& painter, const SheetMap& map, double ratio,
                const std::vector<NumberStretch>* passNumbers = nullptr);

}  // namespace kroyna::maps
