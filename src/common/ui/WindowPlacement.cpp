#include "common/ui/WindowPlacement.h"

#include "common/WindowLayout.h"
#include "platform/ini/IniFile.h"

#include <QByteArray>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>

#include <algorithm>

namespace kroyna::common {
namespace {

constexpr const char* kToolBar = "tbar97Standart";

QByteArray decode(const std::string& text) { return QByteArray::fromBase64(QByteArray::fromStdString(text)); }

std::string encode(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }

}  // namespace

void saveMainWindow(ini::IniFile& ini, const QMainWindow& window, const QToolBar& toolBar) {
  ini.batch([&] {
    saveGeometry(ini, layouts::MainWindow, window);
    layouts::MainWindow.setShowState(ini, window.isMaximized(), window.isMinimized());
    ini.writeInt(kToolBar, "Rev", 1);
    ini.writeBool(kToolBar, "Visible", !toolBar.isHidden());
    ini.writeString(kToolBar, "State", encode(window.saveState(1)));
  });
}

void restoreMainWindow(const ini::IniFile& ini, QMainWindow& window, QToolBar& toolBar) {
  restoreGeometry(window, ini, layouts::MainWindow);
  const QByteArray state = decode(ini.readString(kToolBar, "State"));
  if (!state.isEmpty()) window.restoreState(state, 1);
  toolBar.setVisible(ini.readBool(kToolBar, "Visible", true));
}

void restoreGeometry(QWidget& window, const ini::IniFile& ini, const WindowLayout& layout) {
  const QByteArray geometry = layout.geometry(ini);
  if (!geometry.isEmpty()) window.restoreGeometry(geometry);
}

void saveGeometry(ini::IniFile& ini, const WindowLayout& layout, const QWidget& window) {
  layout.setGeometry(ini, window.saveGeometry());
}

void placeDocumentWindow(QMdiSubWindow& frame, const DocumentPlacement& stored, const QSize& minimum,
                         const std::optional<QRect>& proposed) {
  QSize area;
  if (QMdiArea* mdi = frame.mdiArea())
    area = mdi->viewport()->size();
  else if (QWidget* parent = frame.parentWidget())
    area = parent->size();
  else
    return;
  // While another window of the area is maximised, a new one is too, like
  // it: a frame placed by its geometry there would lose its title bar
  // above the area.
  bool othersMaximized = false;
  if (QMdiArea* mdi = frame.mdiArea())
    for (QMdiSubWindow* w : mdi->subWindowList())
      if (w != &frame && w->isMaximized()) othersMaximized = true;
  if (othersMaximized || frame.isMaximized()) {
    frame.showMaximized();
    return;
  }
  frame.setGeometry(fitDocumentFrame(stored.frame ? stored.frame : proposed, area, minimum));
  if (stored.maximized) frame.showMaximized();
}

}  // namespace kroyna::common
