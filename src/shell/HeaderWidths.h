#pragma once

// Column widths of a list view's header kept in the settings file, under
// the keys of readColumnWidths (shell/SettingsValues.h).

#include <string_view>

class QHeaderView;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::shell {

void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header);
void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header);

}  // namespace kroyna::shell
