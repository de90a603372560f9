#pragma once

class QHBoxLayout;
class QString;
class QWidget;

namespace kroyna::shell {

// Shows the program's messages (shell/Messages.h) in modal message boxes.
// The program calls it at start-up; until then, and in programs without
// windows, messages go to standard error.
void installMessageBoxes();

// The top of a warning dialog built like a message box: the style's warning
// icon and the heading text beside it.
QHBoxLayout* warningHeading(QWidget* dialog, const QString& text);

}  // namespace kroyna::shell
