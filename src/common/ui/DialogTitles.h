#pragma once

// Dialogs as wide as their titles. The window manager cuts a title that
// does not fit ("Колич… истов") and a small dialog gives no room for it, so
// every dialog is widened, when it is shown, to the width its title needs
// beside the frame's icon and buttons.

#include <QObject>

class QWidget;

namespace kroyna::common {

// The width a window needs to show `title` uncut in its frame.
int widthForTitle(const QWidget& window, const QString& title);

// Widens `dialog` to widthForTitle when it is narrower.
void fitToTitle(QWidget& dialog);

// Fits every dialog of the application to its title when it is shown.
void installDialogTitleFitting();

}  // namespace kroyna::common
