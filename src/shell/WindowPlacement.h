#pragma once

#include <string_view>

class QMainWindow;
class QToolBar;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::shell {

// The main window's placement is kept in section "Main_Form" and the
// toolbar's visibility and docking in "tbar97Standart", in Qt's own form
// (base64 of the saved geometry and state).
void saveMainWindow(ini::IniFile& ini, const QMainWindow& window, const QToolBar& toolBar);
// Restores what saveMainWindow wrote; missing or damaged values leave the
// window as it is.
void restoreMainWindow(const ini::IniFile& ini, QMainWindow& window, QToolBar& toolBar);

// Report page margins in whole millimetres, section "PageParams".
struct PageMargins {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PageMargins&) const = default;
};
// Values outside 0..100 mm are brought into that range.
// Section `PageParams` of the reports, or another section with the same
// keys (`Lbl_PageParams` of the labels).
inline constexpr const char* kPageParamsSection = "PageParams";
PageMargins readPageMargins(const ini::IniFile& ini, std::string_view section = kPageParamsSection);
void writePageMargins(ini::IniFile& ini, const PageMargins& margins, std::string_view section = kPageParamsSection);

}  // namespace kroyna::shell
