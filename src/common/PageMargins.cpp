#include "common/PageMargins.h"

#include <algorithm>

#include "platform/ini/IniFile.h"

namespace kroyna::common {

namespace {

int clampMargin(int mm) { return std::clamp(mm, 0, 100); }

}  // namespace

PageMargins readPageMargins(const ini::IniFile& ini, std::string_view section) {
  PageMargins m;
  m.top = clampMargin(ini.readInt(section, kMarginTopKey, 0));
  m.left = clampMargin(ini.readInt(section, kMarginLeftKey, 0));
  m.right = clampMargin(ini.readInt(section, kMarginRightKey, 0));
  m.bottom = clampMargin(ini.readInt(section, kMarginBottomKey, 0));
  return m;
}

void writePageMargins(ini::IniFile& ini, const PageMargins& m, std::string_view section) {
  ini.batch([&] {
    ini.writeInt(section, kMarginTopKey, clampMargin(m.top));
    ini.writeInt(section, kMarginLeftKey, clampMargin(m.left));
    ini.writeInt(section, kMarginRightKey, clampMargin(m.right));
    ini.writeInt(section, kMarginBottomKey, clampMargin(m.bottom));
  });
}

}  // namespace kroyna::common
