#pragma once

namespace kroyna::shell {

// Shows the program's messages (shell/Messages.h) in modal message boxes.
// The program calls it at start-up; until then, and in programs without
// windows, messages go to standard error.
void installMessageBoxes();

}  // namespace kroyna::shell
