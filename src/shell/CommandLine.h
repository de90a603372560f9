#pragma once

#include <QString>
#include <QStringList>

namespace kroyna::shell {

// The program's command line, read before the toolkit starts so that
// --help, --version and a wrong option need no display:
//
//   kroyna [--home DIR] [FILE...]     parts databases (.krb), maps (.map)
//   kroyna --help | --version
//
// The toolkit's own options ("-platform offscreen", "-style=fusion",
// "-reverse", ...) are passed over here; the toolkit takes them itself.
// "--" ends the options: every argument after it is a file.
struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  // Action::Error: what was wrong ("unknown option '--hme'").
  QString error;
  // --home DIR (or --home=DIR), empty when not given.
  QString home;
  // The files to open after start-up, in the order given.
  QStringList files;
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

// The text of --help (ends with a line break).
QString commandLineHelp();

}  // namespace kroyna::shell
