#pragma once

// Column widths of a list view's header kept in the settings file, under
// the keys of readColumnWidths (shell/SettingsValues.h); and the widths
// that columns and lists take where none is kept: as wide as what they
// show.

#include <QStringList>

#include <string_view>

class QHeaderView;
class QListWidget;
class QTableView;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header);
void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header);

// The width `column` of `view` needs for its header and its cells, and for
// any of `texts` (values it may come to show, such as every material name
// of the catalogue).
int fittingColumnWidth(const QTableView& view, int column, const QStringList& texts = {});

// Gives `column` the width kept under `key` of `section`; where none is
// kept (or it is not positive), the fitting width, but at least `atLeast`.
void restoreColumnWidth(const ini::IniFile& ini, std::string_view section, std::string_view key, QTableView& view,
                        int column, const QStringList& texts = {}, int atLeast = 0);

// The width `view` needs to show all its visible columns at their present
// widths, with its row header, frame and room for a vertical scroll bar.
int wholeTableWidth(const QTableView& view);

// The width a list (a materials bar) needs to show its widest entry whole,
// with its frame and room for a vertical scroll bar; at least `atLeast`
// and at most `atMost`.
int fittingListWidth(const QListWidget& list, int atLeast, int atMost);

}  // namespace kroyna::common
