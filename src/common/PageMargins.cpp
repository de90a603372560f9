#include "common/PageMargins.h"

#include <algorithm>

#include "platform/ini/IniFile.h"

namespace kroyna::common {

namespace {

int clampMargin(int mm) { return std::clamp(mm, 0, 100); }

}  // namespace

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

}  // namespace kroyna::common
