#include "common/WindowLayout.h"

#include "platform/ini/IniFile.h"

#include <exception>

namespace kroyna::common {

namespace {

constexpr const char* kColumn = "ColWidth";
constexpr const char* kWidth = "Width";
constexpr const char* kHeight = "Height";
constexpr const char* kState = "WinState";
constexpr const char* kGeometry = "Geometry";
constexpr const char* kBinaryPlacement = "Placement";

constexpr int kStateMinimized = 1;
constexpr int kStateMaximized = 2;

}  // namespace

// ---- Column widths ----

std::string WindowLayout::columnKey(int column) const {
  if (!listView.empty()) return std::string(listView) + "_Width" + std::to_string(column);
  if (oneColumn) return kColumn;
  return kColumn + std::to_string(column);
}

bool WindowLayout::hasColumnWidth(const ini::IniFile& ini, int column) const {
  return ini.keyExists(section, columnKey(column));
}

int WindowLayout::columnWidth(const ini::IniFile& ini, int column, int def) const {
  return ini.readInt(section, columnKey(column), def);
}

void WindowLayout::setColumnWidth(ini::IniFile& ini, int column, int width) const {
  ini.writeInt(section, columnKey(column), width);
}

std::vector<int> WindowLayout::columnWidths(const ini::IniFile& ini, std::vector<int> current) const {
  for (std::size_t i = 0; i < current.size(); ++i) {
    const int w = columnWidth(ini, static_cast<int>(i), current[i]);
    if (w >= 0) current[i] = w;
  }
  return current;
}

void WindowLayout::setColumnWidths(ini::IniFile& ini, const std::vector<int>& widths) const {
  ini.batch([&] {
    for (std::size_t i = 0; i < widths.size(); ++i) setColumnWidth(ini, static_cast<int>(i), widths[i]);
  });
}

// ---- Side bar ----

namespace {
const char* sideBarName(WindowLayout::SideBarKey key) {
  return key == WindowLayout::SideBarKey::PanelWidth ? "PanelWidth" : "OutLook_Width";
}
}  // namespace

bool WindowLayout::hasSideBarWidth(const ini::IniFile& ini) const {
  return ini.keyExists(section, sideBarName(sideBarKey));
}

int WindowLayout::sideBarWidth(const ini::IniFile& ini, int def) const {
  return ini.readInt(section, sideBarName(sideBarKey), def);
}

void WindowLayout::setSideBarWidth(ini::IniFile& ini, int width) const {
  ini.writeInt(section, sideBarName(sideBarKey), width);
}

// ---- Size and state ----

bool WindowLayout::hasSize(const ini::IniFile& ini) const { return ini.keyExists(section, kWidth); }

QSize WindowLayout::size(const ini::IniFile& ini, const QSize& def) const {
  return QSize(ini.readInt(section, kWidth, def.width()), ini.readInt(section, kHeight, def.height()));
}

void WindowLayout::setSize(ini::IniFile& ini, const QSize& size) const {
  ini.batch([&] {
    ini.writeInt(section, kWidth, size.width());
    ini.writeInt(section, kHeight, size.height());
  });
}

bool WindowLayout::maximized(const ini::IniFile& ini) const {
  return ini.readInt(section, kState, 0) == kStateMaximized;
}

void WindowLayout::setState(ini::IniFile& ini, bool maximized, bool minimized) const {
  ini.writeInt(section, kState, maximized ? kStateMaximized : minimized ? kStateMinimized : 0);
}

// ---- Placement ----

DocumentPlacement WindowLayout::placement(const ini::IniFile& ini) const { return readDocumentPlacement(ini, section); }

void WindowLayout::setPlacement(ini::IniFile& ini, const QRect& frame, bool maximized, bool minimized) const {
  writeDocumentPlacement(ini, section, frame, maximized, minimized);
}

void WindowLayout::setShowState(ini::IniFile& ini, bool maximized, bool minimized) const {
  writeDocumentState(ini, section, maximized, minimized);
}

void WindowLayout::forgetBinaryPlacement(ini::IniFile& ini) const {
  if (ini.keyExists(section, kBinaryPlacement)) ini.eraseKey(section, kBinaryPlacement);
}

// ---- Geometry ----

QByteArray WindowLayout::geometry(const ini::IniFile& ini) const {
  return QByteArray::fromBase64(QByteArray::fromStdString(ini.readString(section, kGeometry)));
}

void WindowLayout::setGeometry(ini::IniFile& ini, const QByteArray& geometry) const {
  ini.writeString(section, kGeometry, geometry.toBase64().toStdString());
}

void writeLayout(ini::IniFile& ini, const std::function<void()>& writes) {
  try {
    ini.batch(writes);
  } catch (const std::exception&) {
    // See the declaration: the layout only is lost.
  }
}

}  // namespace kroyna::common
