#pragma once

#include <QRect>
#include <QString>
#include <QVector>

namespace kroyna::shell {

// Caption of a document window's item in the window menu: its number,
// ". " and the window caption, with an accelerator for windows 1 to 9.
QString windowListCaption(int number, const QString& caption);

// Frames of n document windows tiled in an area: "horizontal" stacks them
// one above the other (each the full width), "vertical" puts them side by
// side (each the full height). Sizes differ by at most one pixel and the
// frames cover the area exactly.
enum class TileDirection { Horizontal, Vertical };
QVector<QRect> tileFrames(const QRect& area, int count, TileDirection direction);

}  // namespace kroyna::shell
