#pragma once

// Drawing of a map to scale: one ratio (pixels per millimetre) common to
// all maps of a window, the pixel rectangles of sheets, parts, offcuts and
// cuts, the placement of the part and offcut labels, and the painting of
// each element inside its own rectangle.

#include "maps/MapsDocument.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

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

// Where the labels of a part or an offcut go, in the element's own pixels.
struct ElementLabels {
  // One line at the top: the title and/or the size "LxW" when it is inline.
  bool line = false;
  QString lineText;
  QRect lineClip;  // the text starts at its top-left corner
  // Sizes at the sides: the width (along Y) turned to read upwards along
  // the left side, the length centred along the bottom.
  bool sideDims = false;
  QString heightText;
  QPoint heightAt;  // start of the turned text (its baseline runs upwards)
  QString widthText;
  QPoint widthAt;  // top-left of the text
};

// Labels of a part of w x h pixels. The frame inside the part leaves room
// for the edge marks of the banded sides.
ElementLabels partLabels(const MapPart& part, int w, int h, const QFontMetrics& metrics);
// Labels of an offcut of w x h pixels.
ElementLabels offcutLabels(const MapOffcut& offcut, int w, int h, const QFontMetrics& metrics);

// The screen font of a map font.
QFont mapQFont(const common::FontKeys& font);

// Paints a whole sheet at `ratio` with the painter's origin at the
// sheet's top-left corner: the sheet, all parts, all offcuts, the visible
// cuts, in that order, each clipped to its own rectangle.
void paintSheet(QPainter& painter, const SheetMap& map, double ratio);
void paintPart(QPainter& painter, const MapPart& part, const QRect& rect, const QFont& font, std::int32_t fontColour);
void paintOffcut(QPainter& painter, const MapOffcut& offcut, const QRect& rect, const QFont& font,
                 std::int32_t fontColour);

}  // namespace kroyna::maps
