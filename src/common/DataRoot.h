#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kroyna::common {

// The program folder: every table, settings file, map and report template
// lives under it. Chosen by --home DIR, else $KROYNA_HOME, else
// ~/.local/share/kroyna.
class DataRoot {
 public:
  // Working folders created under the root at every start.
  static const QStringList& workingFolders();

  // Picks the root from the command line and the environment. Removes
  // "--home DIR" (or "--home=DIR") from args, leaving the other arguments
  // (names of parts databases to open).
  static QString resolve(QStringList& args, const QString& envHome, const QString& userHome);
  // The same for a folder given on the command line (empty: none given).
  static QString choose(const QString& given, const QString& envHome, const QString& userHome);

  explicit DataRoot(QString root);

  const QString& root() const { return root_; }
  // Absolute path of a file or folder under the root ("Sheets/Sheets.dbf").
  QString path(const QString& relative) const;
  // The same with a trailing separator, for folders.
  QString folder(const QString& name) const;

  // Creates the root and the missing working folders, checks the root can
  // be written, and copies the shipped Pattern/ and Reports/ files that are
  // missing from shippedData (never overwriting the user's). Returns an
  // error text naming the folder and the reason, or nothing on success.
  std::optional<QString> prepare(const QString& shippedData) const;

  // Copies the example of a first start (catalogues, stock, an order, the
  // settings of its materials; prepare() takes it from shippedData's
  // Example/) into a root that has none of the stock and catalogue tables
  // yet. A root that has any of them, or a file the example also has, keeps
  // its own: nothing is ever copied over a file. Returns an error text, or
  // nothing on success (also when there was nothing to copy).
  std::optional<QString> installExample(const QString& exampleFolder) const;

 private:
  QString root_;
};

// The folder of the shipped data (Pattern/, Reports/): $KROYNA_DATA_DIR,
// else share/kroyna beside the installed program, else the source tree's
// data/ folder of a build that was not installed.
QString shippedDataFolder(const QString& applicationDir);

// Turns a path stored by the Windows program ("Groups\Kitchen.krb") into a
// path that exists here: backslashes become '/', and each component that
// does not exist as written is looked up ignoring case. Components that are
// found nowhere are kept as written.
QString resolveStoredPath(const QString& stored);

}  // namespace kroyna::common
