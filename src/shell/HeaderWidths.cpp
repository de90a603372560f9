#include "shell/HeaderWidths.h"

#include <QHeaderView>

#include <vector>

#include "shell/SettingsValues.h"

namespace kroyna::shell {

void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  widths = readColumnWidths(ini, section, viewName, std::move(widths));
  for (int i = 0; i < header.count(); ++i)
    if (widths[static_cast<std::size_t>(i)] != header.sectionSize(i))
      header.resizeSection(i, widths[static_cast<std::size_t>(i)]);
}

void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  writeColumnWidths(ini, section, viewName, widths);
}

}  // namespace kroyna::shell
