#pragma once

// The layout of a window or dialog as kept in its section of the settings
// file: the widths of its columns, the width of its side bar, its size and
// state, and its placement. Every window reads and writes these keys through
// its WindowLayout, declared once in `layouts` below; what touches widgets
// is in common/ui (HeaderWidths.h, WindowPlacement.h, DocumentWindow.h).
//
//   column widths  "ColWidth" + column number from 0; a window that keeps
//                  one column only, "ColWidth" alone; a list view, its
//                  name + "_Width" + column number;
//   side bar       the width of the bar left of the splitter:
//                  "OutLook_Width", in the warehouse "PanelWidth";
//   size, state    "Width" and "Height" of the frame, "WinState" (0 normal,
//                  1 minimised, 2 maximised);
//   placement      of a document window, "ShowCmd" and "NormPos"
//                  (DocumentPlacement.h);
//   geometry       Qt's own saved geometry, base64, "Geometry".
//
// Reading a missing key gives the default the caller names, so each window
// keeps its own defaults and minimums.

#include "common/DocumentPlacement.h"

#include <QByteArray>
#include <QRect>
#include <QSize>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

struct WindowLayout {
  enum class SideBarKey { OutLookWidth, PanelWidth };

  std::string_view section;
  // A list view's name: its columns are kept as name + "_Width" + column.
  std::string_view listView = {};
  // Only column 0 is kept, as "ColWidth".
  bool oneColumn = false;
  SideBarKey sideBarKey = SideBarKey::OutLookWidth;

  // ---- Column widths ----
  std::string columnKey(int column) const;
  bool hasColumnWidth(const ini::IniFile& ini, int column) const;
  int columnWidth(const ini::IniFile& ini, int column, int def) const;
  void setColumnWidth(ini::IniFile& ini, int column, int width) const;
  // Every column of `current` at its kept width; a missing, negative or
  // unreadable width keeps the current one.
  std::vector<int> columnWidths(const ini::IniFile& ini, std::vector<int> current) const;
  void setColumnWidths(ini::IniFile& ini, const std::vector<int>& widths) const;

  // ---- Side bar ----
  bool hasSideBarWidth(const ini::IniFile& ini) const;
  int sideBarWidth(const ini::IniFile& ini, int def) const;
  void setSideBarWidth(ini::IniFile& ini, int width) const;

  // ---- Size and state ----
  // A size is kept when its width is.
  bool hasSize(const ini::IniFile& ini) const;
  QSize size(const ini::IniFile& ini, const QSize& def) const;
  void setSize(ini::IniFile& ini, const QSize& size) const;
  bool maximized(const ini::IniFile& ini) const;
  void setState(ini::IniFile& ini, bool maximized, bool minimized) const;

  // ---- Placement of a document window ----
  DocumentPlacement placement(const ini::IniFile& ini) const;
  void setPlacement(ini::IniFile& ini, const QRect& frame, bool maximized, bool minimized) const;
  // Only the state ("ShowCmd"), for a window whose frame is kept as its
  // geometry.
  void setShowState(ini::IniFile& ini, bool maximized, bool minimized) const;
  // Earlier builds kept a document window's frame as a binary blob
  // ("Placement"), which put a later window partly outside the area; it is
  // read no more and goes when the placement is next written.
  void forgetBinaryPlacement(ini::IniFile& ini) const;

  // ---- Qt's geometry ----
  // Empty when none is kept or it is not base64.
  QByteArray geometry(const ini::IniFile& ini) const;
  void setGeometry(ini::IniFile& ini, const QByteArray& geometry) const;
};

// Runs `writes` as one batch. A layout is a convenience: a settings file
// that cannot be written loses it and nothing else, and never keeps a
// window from closing nor a command from going on (the commands that must
// write the settings report the fault).
void writeLayout(ini::IniFile& ini, const std::function<void()>& writes);

// The layout of every window that keeps one.
namespace layouts {

inline constexpr WindowLayout MainWindow{.section = "Main_Form"};
inline constexpr WindowLayout MapsWindow{.section = "SheetParams"};
inline constexpr WindowLayout PartsWindow{.section = "Detals_Group"};
inline constexpr WindowLayout ModelsWindow{.section = "ModelsBase", .listView = "lvw"};
// The warehouse keeps its frame, state and bar with the offcuts page.
inline constexpr WindowLayout WarehouseSheets{.section = "Sheets_Window"};
inline constexpr WindowLayout WarehouseOffcuts{.section = "Scraps_Window",
                                               .sideBarKey = WindowLayout::SideBarKey::PanelWidth};
inline constexpr WindowLayout SheetChoice{.section = "SelectSheet"};
inline constexpr WindowLayout MinimumStock{.section = "Quantity_Window"};
inline constexpr WindowLayout SavedStates{.section = "ViewWHs", .listView = "lvwWHs"};
inline constexpr WindowLayout Materials{.section = "Materials_Window", .oneColumn = true};
inline constexpr WindowLayout MaterialChoice{.section = "SelMatDlg"};
inline constexpr WindowLayout PartNames{.section = "DetalNames_Window"};
inline constexpr WindowLayout EdgeStatistics{.section = "BorderInfo_Window"};

}  // namespace layouts

}  // namespace kroyna::common
