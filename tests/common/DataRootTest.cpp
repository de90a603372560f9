#include "common/DataRoot.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kroyna::common::DataRoot;
using kroyna::common::resolveStoredPath;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(DataRoot, ChoosesHomeOptionThenEnvironmentThenDefault) {
  QStringList args = {"a.krb", "--home", "/tmp/k1", "b.krb"};
  EXPECT_EQ(DataRoot::resolve(args, "/tmp/env", "/home/u"), "/tmp/k1");
  EXPECT_EQ(args, (QStringList{"a.krb", "b.krb"}));

  args = {"--home=/tmp/k2/"};
  EXPECT_EQ(DataRoot::resolve(args, "/tmp/env", "/home/u"), "/tmp/k2");
  EXPECT_TRUE(args.isEmpty());

  args = {"x.krb"};
  EXPECT_EQ(DataRoot::resolve(args, "/tmp/env", "/home/u"), "/tmp/env");
  EXPECT_EQ(DataRoot::resolve(args, "", "/home/u"), "/home/u/.local/share/kroyna");
  EXPECT_EQ(args, QStringList{"x.krb"});
}

TEST(DataRoot, PrepareMakesFoldersAndCopiesOnlyMissingShippedFiles) {
  QTemporaryDir tmp;
  const QString shipped = tmp.filePath("shipped");
  writeFile(shipped + "/Pattern/Group.dbf", "template");
  writeFile(shipped + "/Pattern/Sub/Deep.dbf", "deep");
  writeFile(shipped + "/Reports/Group.frf", "report");

  DataRoot root(tmp.filePath("home"));
  writeFile(root.path("Reports/Group.frf"), "user's own");  // edited by the user

  EXPECT_FALSE(root.prepare(shipped).has_value());
  for (const QString& f : DataRoot::workingFolders()) EXPECT_TRUE(QFileInfo(root.path(f)).isDir()) << f.toStdString();
  EXPECT_EQ(readFile(root.path("Pattern/Group.dbf")), "template");
  EXPECT_EQ(readFile(root.path("Pattern/Sub/Deep.dbf")), "deep");
  EXPECT_EQ(readFile(root.path("Reports/Group.frf")), "user's own");
  EXPECT_FALSE(QFileInfo::exists(root.path("Pattern/Group.dbf.part")));

  // A second start leaves everything as it is, and restores a deleted file.
  QFile::remove(root.path("Pattern/Group.dbf"));
  EXPECT_FALSE(root.prepare(shipped).has_value());
  EXPECT_EQ(readFile(root.path("Pattern/Group.dbf")), "template");
}

TEST(DataRoot, UnusableRootGivesMessageNamingTheFolder) {
  QTemporaryDir tmp;
  writeFile(tmp.filePath("blocker"), "a file, not a folder");
  DataRoot root(tmp.filePath("blocker/home"));
  const auto error = root.prepare(QString());
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->contains(QDir::toNativeSeparators(tmp.filePath("blocker/home")))) << error->toStdString();
}

TEST(DataRoot, StoredWindowsPathsAreFoundIgnoringCase) {
  QTemporaryDir tmp;
  writeFile(tmp.filePath("Groups/Kitchen.krb"), "x");
  const QString base = tmp.path();
  EXPECT_EQ(resolveStoredPath(base + "\\GROUPS\\kitchen.KRB"), base + "/Groups/Kitchen.krb");
  EXPECT_EQ(resolveStoredPath(base + "/Groups/Kitchen.krb"), base + "/Groups/Kitchen.krb");
  // Not found anywhere: kept as written, with '/' separators.
  EXPECT_EQ(resolveStoredPath(base + "\\groups\\Missing\\A.krb"), base + "/Groups/Missing/A.krb");
  EXPECT_EQ(resolveStoredPath(QString()), QString());
}
