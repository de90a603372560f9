#include "shell/CommandLine.h"

#include <gtest/gtest.h>

using kroyna::shell::CommandLine;
using kroyna::shell::parseCommandLine;

TEST(CommandLine, TakesTheDataRootAndTheFilesToOpenInTheirOrder) {
  CommandLine line = parseCommandLine({"a.krb", "--home", "/tmp/k1", "maps/b.map", "c.krb"});
  EXPECT_EQ(line.action, CommandLine::Action::Run);
  EXPECT_EQ(line.home, "/tmp/k1");
  EXPECT_EQ(line.files, (QStringList{"a.krb", "maps/b.map", "c.krb"}));

  line = parseCommandLine({"--home=/tmp/k2"});
  EXPECT_EQ(line.action, CommandLine::Action::Run);
  EXPECT_EQ(line.home, "/tmp/k2");
  EXPECT_TRUE(line.files.isEmpty());

  // "--" ends the options: a file may begin with a dash; "-" alone is a
  // name too.
  line = parseCommandLine({"-", "--", "--help", "-x.krb"});
  EXPECT_EQ(line.action, CommandLine::Action::Run);
  EXPECT_EQ(line.files, (QStringList{"-", "--help", "-x.krb"}));
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStand) {
  for (const char* arg : {"-h", "--help"})
    EXPECT_EQ(parseCommandLine({"a.krb", arg}).action, CommandLine::Action::Help) << arg;
  for (const char* arg : {"-v", "--version"})
    EXPECT_EQ(parseCommandLine({"--home", "/tmp/k", arg, "b.map"}).action, CommandLine::Action::Version) << arg;
}

TEST(CommandLine, LeavesTheToolkitOptionsWithTheirValuesToTheToolkit) {
  const CommandLine line = parseCommandLine({"-platform", "offscreen", "-style=fusion", "--reverse", "-qwindowgeometry",
                                             "800x600+0+0", "a.krb", "--stylesheet", "x.qss", "-session", "s1"});
  EXPECT_EQ(line.action, CommandLine::Action::Run);
  EXPECT_EQ(line.files, QStringList{"a.krb"});
}

TEST(CommandLine, RefusesUnknownOptionsAndMissingValuesNamingThem) {
  struct Case {
    QStringList args;
    const char* named;
  };
  const Case cases[] = {
      {{"--hmoe", "/tmp/k", "a.krb"}, "'--hmoe'"},  // a misspelt option is not taken for a file
      {{"-x"}, "'-x'"},
      {{"--home"}, "'--home' needs a folder"},
      {{"--home="}, "'--home' needs a folder"},
      {{"a.krb", "-platform"}, "'-platform' needs a value"},
      {{"--style-sheet", "x.qss"}, "'--style-sheet'"},
  };
  for (const Case& c : cases) {
    const CommandLine line = parseCommandLine(c.args);
    EXPECT_EQ(line.action, CommandLine::Action::Error) << c.args.join(' ').toStdString();
    EXPECT_TRUE(line.error.contains(QString::fromUtf8(c.named))) << line.error.toStdString();
    EXPECT_TRUE(line.files.isEmpty());
  }
}
