#pragma once

#include <string_view>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

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

}  // namespace kroyna::common
