#pragma once

namespace kroyna::shell {

// Starts the program: single-instance test, data root, settings, main
// window, event loop. Returns the process exit status.
int runApplication(int argc, char** argv);

}  // namespace kroyna::shell
