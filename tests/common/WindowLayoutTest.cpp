#include "common/WindowLayout.h"

#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::common;

// Every window keeps its layout under the section and keys that settings
// files written before have; a key not there reads as the window's own
// default.
TEST(WindowLayout, EachWindowKeepsItsStoredKeys) {
  struct Case {
    const WindowLayout& layout;
    const char* section;
    const char* secondColumn;
    const char* sideBar;
  };
  const Case cases[] = {
      {layouts::MapsWindow, "SheetParams", "ColWidth1", "OutLook_Width"},
      {layouts::PartsWindow, "Detals_Group", "ColWidth1", "OutLook_Width"},
      {layouts::ModelsWindow, "ModelsBase", "lvw_Width1", "OutLook_Width"},
      {layouts::WarehouseSheets, "Sheets_Window", "ColWidth1", "OutLook_Width"},
      {layouts::WarehouseOffcuts, "Scraps_Window", "ColWidth1", "PanelWidth"},
      {layouts::SheetChoice, "SelectSheet", "ColWidth1", "OutLook_Width"},
      {layouts::MinimumStock, "Quantity_Window", "ColWidth1", "OutLook_Width"},
      {layouts::SavedStates, "ViewWHs", "lvwWHs_Width1", "OutLook_Width"},
      {layouts::Materials, "Materials_Window", "ColWidth", "OutLook_Width"},
      {layouts::PartNames, "DetalNames_Window", "ColWidth1", "OutLook_Width"},
      {layouts::EdgeStatistics, "BorderInfo_Window", "ColWidth1", "OutLook_Width"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    kroyna::testing::TempDir dir;
    ini::IniFile ini(dir / "Kroyna.ini");
    const WindowLayout& l = c.layout;
    EXPECT_FALSE(l.hasColumnWidth(ini, 1) || l.hasSideBarWidth(ini) || l.hasSize(ini) || l.maximized(ini));
    EXPECT_EQ(l.columnWidth(ini, 1, 120), 120);
    EXPECT_EQ(l.sideBarWidth(ini, 105), 105);
    EXPECT_EQ(l.size(ini, QSize(400, 300)), QSize(400, 300));

    l.setColumnWidth(ini, 1, 77);
    l.setSideBarWidth(ini, 90);
    l.setSize(ini, QSize(640, 480));
    l.setState(ini, true, false);
    EXPECT_EQ(ini.readInt(c.section, c.secondColumn, 0), 77);
    EXPECT_EQ(ini.readInt(c.section, c.sideBar, 0), 90);
    EXPECT_EQ(ini.readInt(c.section, "Width", 0), 640);
    EXPECT_EQ(ini.readInt(c.section, "Height", 0), 480);
    EXPECT_EQ(ini.readInt(c.section, "WinState", 0), 2);
    EXPECT_TRUE(l.hasColumnWidth(ini, 1) && l.hasSideBarWidth(ini) && l.hasSize(ini) && l.maximized(ini));
    l.setState(ini, false, true);
    EXPECT_EQ(ini.readInt(c.section, "WinState", 0), 1);
    EXPECT_FALSE(l.maximized(ini));
  }
}

// Qt's geometry is kept as base64; the main window keeps its state as a
// document window does.
TEST(WindowLayout, GeometryAndTheMainWindowsState) {
  kroyna::testing::TempDir dir;
  ini::IniFile ini(dir / "Kroyna.ini");
  EXPECT_TRUE(layouts::MainWindow.geometry(ini).isEmpty());
  layouts::MainWindow.setGeometry(ini, QByteArray("\x01\xd9\xd0\xcb", 4));
  EXPECT_EQ(ini.readString("Main_Form", "Geometry"), "AdnQyw==");
  EXPECT_EQ(layouts::MainWindow.geometry(ini), QByteArray("\x01\xd9\xd0\xcb", 4));
  layouts::MainWindow.setShowState(ini, false, true);
  EXPECT_EQ(ini.readInt("Main_Form", "ShowCmd", 0), 2);
  EXPECT_FALSE(ini.keyExists("Main_Form", "NormPos"));
}
