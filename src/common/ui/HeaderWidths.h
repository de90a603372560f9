#pragma once

// Column widths of a view kept in the settings file, under the keys of
// its WindowLayout (common/WindowLayout.h); and the widths that columns and
// lists take where none is kept: as wide as what they show.

#include "common/WindowLayout.h"

#include <QStringList>

class QHeaderView;
class QListWidget;
class QTableView;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// Every section of `header` at its kept width (WindowLayout::columnWidths).
void readColumnWidths(const ini::IniFile& ini, const WindowLayout& layout, QHeaderView& header);
void writeColumnWidths(ini::IniFile& ini, const WindowLayout& layout, const QHeaderView& header);
// The first `count` columns of `view` as they are now.
void writeColumnWidths(ini::IniFile& ini, const WindowLayout& layout, const QTableView& view, int count);

// The width `column` of `view` needs for its header and its cells, and for
// any of `texts` (values it may come to show, such as every material name
// of the catalogue).
int fittingColumnWidth(const QTableView& view, int column, const QStringList& texts = {});

// Gives `column` the width kept in `layout`; where none is kept (or it is
// not positive), the fitting width, but at least `atLeast`.
void restoreColumnWidth(const ini::IniFile& ini, const WindowLayout& layout, QTableView& view, int column,
                        const QStringList& texts = {}, int atLeast = 0);

// The width `view` needs to show all its visible columns at their present
// widths, with its row header, frame and room for a vertical scroll bar.
int wholeTableWidth(const QTableView& view);

// The width a list (a materials bar) needs to show its widest entry whole,
// with its frame and room for a vertical scroll bar; at least `atLeast`
// and at most `atMost`.
int fittingListWidth(const QListWidget& list, int atLeast, int atMost);

}  // namespace kroyna::common
