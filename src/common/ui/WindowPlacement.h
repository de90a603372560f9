#pragma once

#include "common/DocumentPlacement.h"

#include <optional>

class QMainWindow;
class QMdiSubWindow;
class QToolBar;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// The main window's placement is kept in section "Main_Form" and the
// toolbar's visibility and docking in "tbar97Standart", in Qt's own form
// (base64 of the saved geometry and state).
void saveMainWindow(ini::IniFile& ini, const QMainWindow& window, const QToolBar& toolBar);
// Restores what saveMainWindow wrote; missing or damaged values leave the
// window as it is.
void restoreMainWindow(const ini::IniFile& ini, QMainWindow& window, QToolBar& toolBar);

// Places a document window in its document area: the stored frame (or,
// when none is stored, `proposed`; with neither the window fills the
// area), brought wholly inside the area and to at least `minimum`; then
// maximised when it was.
void placeDocumentWindow(QMdiSubWindow& frame, const DocumentPlacement& stored, const QSize& minimum,
                         const std::optional<QRect>& proposed = std::nullopt);

}  // namespace kroyna::common
