#pragma once

// Settings values in Qt terms: colours, fonts, brushes and pens of the
// settings file as Qt objects, column widths of a header view, and the
// number formats as QString. The values themselves are in
// SettingsValues.h.

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

#include "common/StyleCodes.h"
#include "common/settings/SettingsValues.h"

namespace kroyna::common {

// A system colour takes the matching colour of the application's palette.
QColor toQColor(int32_t colour);
int32_t fromQColor(const QColor& colour);

QFont toQFont(const FontKeys& font);
// Colour and character set are not part of a QFont: they are given.
FontKeys fromQFont(const QFont& font, int32_t colour, int charset = 204);

// An unknown style code draws solid.
QBrush toQBrush(const BrushKeys& brush);

// An unknown style code draws solid; a width below 1 draws 1 pixel wide.
QPen toQPen(const PenKeys& pen);

// The fixed-point pattern "#0." followed by `digits` zeros.
QString fixedPointPattern(int digits);
// lengthText and areaText as QString.
QString formatLength(double mm, int lenDigits);
QString formatArea(double mm2, int sqrDigits);

double textToFloat(const QString& text);
QString normalizeFolder(const QString& text);

}  // namespace kroyna::common
