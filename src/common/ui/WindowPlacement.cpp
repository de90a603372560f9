#include "common/ui/WindowPlacement.h"

#include "platform/ini/IniFile.h"

#include <QByteArray>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>

#include <algorithm>

namespace kroyna::common {
namespace {

constexpr const char* kForm = "Main_Form";
constexpr const char* kToolBar = "tbar97Standart";

QByteArray decode(const std::string& text) { return QByteArray::fromBase64(QByteArray::fromStdString(text)); }

std::string encode(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }

}  // namespace

void saveMainWindow(ini::IniFile& ini, const QMainWindow& window, const QToolBar& toolBar) {
  ini.batch([&] {
    ini.writeString(kForm, "Geometry", encode(window.saveGeometry()));
    ini.writeInt(kForm, "ShowCmd", window.isMaximized() ? 3 : window.isMinimized() ? 2 : 1);
    ini.writeInt(kToolBar, "Rev", 1);
    ini.writeBool(kToolBar, "Visible", !toolBar.isHidden());
    ini.writeString(kToolBar, "State", encode(window.saveState(1)));
  });
}

void restoreMainWindow(const ini::IniFile& ini, QMainWindow& window, QToolBar& toolBar) {
  const QByteArray geometry = decode(ini.readString(kForm, "Geometry"));
  if (!geometry.isEmpty()) window.restoreGeometry(geometry);
  const QByteArray state = decode(ini.readString(kToolBar, "State"));
  if (!state.isEmpty()) window.restoreState(state, 1);
  toolBar.setVisible(ini.readBool(kToolBar, "Visible", true));
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
  frame.setGeometry(fitDocumentFrame(stored.frame ? stored.frame : proposed, area, minimum));
  if (stored.maximized) frame.showMaximized();
}

}  // namespace kroyna::common
