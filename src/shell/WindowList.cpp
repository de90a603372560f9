#include "shell/WindowList.h"

namespace kroyna::shell {

QString windowListCaption(int number, const QString& caption) {
  // An "&" inside the caption would otherwise underline a random letter.
  QString text = caption;
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  const QString prefix = number < 10 ? QStringLiteral("&%1. ") : QStringLiteral("%1. ");
  return prefix.arg(number) + text;
}

QVector<QRect> tileFrames(const QRect& area, int count, TileDirection direction) {
  QVector<QRect> frames;
  if (count <= 0 || area.isEmpty()) return frames;
  const bool stacked = direction == TileDirection::Horizontal;
  const int total = stacked ? area.height() : area.width();
  int start = 0;
  for (int i = 0; i < count; ++i) {
    const int end = static_cast<int>(static_cast<long long>(total) * (i + 1) / count);
    if (stacked)
      frames.append(QRect(area.left(), area.top() + start, area.width(), end - start));
    else
      frames.append(QRect(area.left() + start, area.top(), end - start, area.height()));
    start = end;
  }
  return frames;
}

}  // namespace kroyna::shell
