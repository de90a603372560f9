#pragma once

namespace kroyna::shell {

// Starts the program: single-instance test, data root, settings, main
// window, event loop. --help and --version print to standard output and a
// wrong command line is refused (status 2) before the toolkit starts.
// `version` is the program's version ("0.1.0"). Returns the process exit
// status.
int runApplication(int argc, char** argv, const char* version);

}  // namespace kroyna::shell
