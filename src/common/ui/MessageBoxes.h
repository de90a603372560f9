#pragma once

// The button box's type is whole here, so that callers can put it in a layout.
#include <QDialogButtonBox>

class QDialog;
class QHBoxLayout;
class QString;
class QWidget;

namespace kroyna::common {

// Shows the program's messages (shell/Messages.h) in modal message boxes.
// The program calls it at start-up; until then, and in programs without
// windows, messages go to standard error.
void installMessageBoxes();

// The top of a warning dialog built like a message box: the style's warning
// icon and the heading text beside it.
QHBoxLayout* warningHeading(QWidget* dialog, const QString& text);

// The "&Да" (default) and "&Отмена" buttons of a dialog, accepting and
// rejecting it.
QDialogButtonBox* yesCancelButtons(QDialog* dialog);

}  // namespace kroyna::common
