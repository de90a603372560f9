#include "shell/CommandLine.h"

#include <array>

namespace kroyna::shell {

namespace {

// The toolkit's options: those followed by a value, and those alone. Each
// may be written with one dash or two.
constexpr std::array kToolkitWithValue = {
    "platform",     "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowtitle", "qwindowicon",        "session",       "style",  "stylesheet",
    "display",      "geometry",           "title",         "icon",   "name",
    "visual",
};
constexpr std::array kToolkitAlone = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
// Those that are also written "-style=fusion".
constexpr std::array kToolkitJoined = {"style", "stylesheet", "qmljsdebugger"};

template <std::size_t N>
bool isOneOf(const QString& name, const std::array<const char*, N>& names) {
  for (const char* n : names)
    if (name == QLatin1String(n)) return true;
  return false;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  const auto fail = [&line](const QString& message) {
    line.action = CommandLine::Action::Error;
    line.error = message;
    line.home.clear();
    line.files.clear();
    return line;
  };
  bool optionsEnded = false;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (optionsEnded || arg.size() < 2 || !arg.startsWith(QLatin1Char('-'))) {
      line.files << arg;
      continue;
    }
    if (arg == QLatin1String("--")) {
      optionsEnded = true;
    } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
      line.action = CommandLine::Action::Help;
      return line;
    } else if (arg == QLatin1String("-v") || arg == QLatin1String("--version")) {
      line.action = CommandLine::Action::Version;
      return line;
    } else if (arg == QLatin1String("--home")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
        return fail(QStringLiteral("option '--home' needs a folder"));
      line.home = arguments[++i];
    } else if (arg.startsWith(QLatin1String("--home="))) {
      line.home = arg.mid(7);
      if (line.home.isEmpty()) return fail(QStringLiteral("option '--home' needs a folder"));
    } else {
      // The toolkit's own options, with one dash or two.
      const QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
      const qsizetype equals = name.indexOf(QLatin1Char('='));
      if (equals > 0 && isOneOf(name.left(equals), kToolkitJoined)) continue;
      if (isOneOf(name, kToolkitAlone)) continue;
      if (isOneOf(name, kToolkitWithValue)) {
        if (i + 1 >= arguments.size()) return fail(QStringLiteral("option '%1' needs a value").arg(arg));
        ++i;
        continue;
      }
      return fail(QStringLiteral("unknown option '%1'").arg(arg));
    }
  }
  return line;
}

QString commandLineHelp() {
  return QStringLiteral(
      "Usage: kroyna [OPTION]... [FILE]...\n"
      "Plans the cutting of rectangular furniture parts out of sheet material\n"
      "on a panel saw. Opens the parts databases (.krb) and cutting maps (.map)\n"
      "named as FILE once the main window is shown.\n"
      "\n"
      "  --home DIR      the data root: tables, settings, maps and report\n"
      "                  templates (default: $KROYNA_HOME, else\n"
      "                  ~/.local/share/kroyna); a first start fills it\n"
      "  -h, --help      print this help and exit\n"
      "  -v, --version   print the version and exit\n"
      "  --              the arguments that follow are files\n"
      "\n"
      "The options of the Qt toolkit are taken too: -platform NAME, -style NAME,\n"
      "-stylesheet FILE, -reverse, -session ID, -display DISPLAY, -geometry GEOM\n"
      "and the others listed in kroyna(1).\n"
      "\n"
      "Exit status: 0 normally, 1 when the data root or the settings cannot be\n"
      "used, 2 when the command line is wrong.\n");
}

}  // namespace kroyna::shell
