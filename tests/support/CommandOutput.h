#pragma once

// Runs a shell command (the independent readers the tests check output
// with: pdftotext, zbarimg, python3) and gives what it printed on standard
// output and how it ended.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace kroyna::testing {

struct CommandResult {
  std::string out;
  int status = -1;  // the exit status; -1 when it could not run or was killed
};

inline CommandResult runCommand(const std::string& command) {
  CommandResult r;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// What the command printed on standard output.
inline std::string commandOutput(const std::string& command) { return runCommand(command).out; }

}  // namespace kroyna::testing
