#include "common/DocumentPlacement.h"

#include "platform/ini/IniFile.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace kroyna::common {

namespace {
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
}  // namespace

DocumentPlacement readDocumentPlacement(const ini::IniFile& ini, std::string_view section) {
  DocumentPlacement p;
  p.maximized = ini.readInt(section, "ShowCmd", 1) == kShowMaximized;
  const QStringList pos = QString::fromStdString(ini.readString(section, "NormPos")).split(QLatin1Char(','));
  if (pos.size() != 4) return p;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = pos[i].trimmed().toInt(&ok);
    if (!ok) return p;
  }
  if (v[2] > v[0] && v[3] > v[1]) p.frame = QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
  return p;
}

void writeDocumentPlacement(ini::IniFile& ini, std::string_view section, const QRect& frame, bool maximized,
                            bool minimized) {
  ini.batch([&] {
    ini.writeInt(section, "ShowCmd", maximized ? kShowMaximized : minimized ? kShowMinimized : 1);
    if (!maximized && !minimized)
      ini.writeString(section, "NormPos",
                      QStringLiteral("%1,%2,%3,%4")
                          .arg(frame.left())
                          .arg(frame.top())
                          .arg(frame.left() + frame.width())
                          .arg(frame.top() + frame.height())
                          .toStdString());
  });
}

QRect fitDocumentFrame(const std::optional<QRect>& wanted, const QSize& area, const QSize& minimum) {
  const QSize room = area.expandedTo(QSize(1, 1));
  if (!wanted || !wanted->isValid()) return QRect(QPoint(0, 0), room);
  const QSize size = wanted->size().expandedTo(minimum).boundedTo(room);
  const int left = std::clamp(wanted->left(), 0, room.width() - size.width());
  const int top = std::clamp(wanted->top(), 0, room.height() - size.height());
  return QRect(QPoint(left, top), size);
}

}  // namespace kroyna::common
