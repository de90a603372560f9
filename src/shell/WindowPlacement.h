#pragma once

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

}  // namespace kroyna::shell
