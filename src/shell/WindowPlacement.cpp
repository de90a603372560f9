#include "shell/WindowPlacement.h"

#include "platform/ini/IniFile.h"

#include <QByteArray>
#include <QMainWindow>
#include <QToolBar>

#include <algorithm>

namespace kroyna::shell {
namespace {

constexpr const char* kForm = "Main_Form";
constexpr const char* kToolBar = "tbar97Standart";

QByteArray decode(const std::string& text) { return QByteArray::fromBase64(QByteArray::fromStdString(text)); }

std::string encode(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }

int clampMargin(int mm) { return std::clamp(mm, 0, 100); }

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

PageMargins readPageMargins(const ini::IniFile& ini, std::string_view section) {
  PageMargins m;
  m.top = clampMargin(ini.readInt(section, "Top", 0));
  m.left = clampMargin(ini.readInt(section, "Left", 0));
  m.right = clampMargin(ini.readInt(section, "Right", 0));
  m.bottom = clampMargin(ini.readInt(section, "Bottom", 0));
  return m;
}

void writePageMargins(ini::IniFile& ini, const PageMargins& m, std::string_view section) {
  ini.batch([&] {
    ini.writeInt(section, "Top", clampMargin(m.top));
    ini.writeInt(section, "Left", clampMargin(m.left));
    ini.writeInt(section, "Right", clampMargin(m.right));
    ini.writeInt(section, "Bottom", clampMargin(m.bottom));
  });
}

}  // namespace kroyna::shell
