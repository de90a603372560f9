#pragma once

// The import and export commands of the "&База деталей" menu: the
// tab-separated import and export, and the imports of version 1.x parts
// files (`.de1`) and version 2.x parts databases (`.det` header beside a
// dBASE table). Every import makes a new untitled base in a new parts
// window; a failed import reports why and leaves no half-filled window
// behind, except the tab-separated import, whose window keeps the rows that
// came in and says how many they are.
//
// Names read from a file are data: an apostrophe or a double quote in a
// part name is kept as it is. Dialogs and windows are reached through the
// hooks of ImportUi; messages go through common::showMessage. Qt Core only.

#include "parts/GroupFiles.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::models {
class PartsHost;
}

namespace kroyna::parts {

class PartsDocument;

// The file dialogs of the commands.
enum class ImportKind { TabSeparated, Version1, Version2 };

struct ImportUi {
  // The open dialog of an import; the chosen file, or an empty text when
  // the user cancelled.
  std::function<QString(ImportKind kind)> chooseImportFile;
  // The save dialog of the tab-separated export (it asks before replacing a
  // file); empty when cancelled.
  std::function<QString()> chooseExportFile;
  // The material replace dialog showing `text` with `code` preselected: the
  // chosen code, or nothing when the user cancelled.
  std::function<std::optional<int>(const QString& text, int code)> chooseMaterial;
  // The name of a material code of the current catalogue (empty when none).
  std::function<QString(int code)> materialName;
  // New parts windows.
  models::PartsHost* parts = nullptr;
};

// The header of a version 2.x parts database.
struct Version2Header {
  QString dataPath;  // the header's folder followed by `Header`/`FName`
  int versionHi = 2;
  int versionLo = 0;
  int code = 0;  // `Code`: the material of all its parts
  // VersionHi "." VersionLo read as a decimal number; nothing when that is
  // not a number.
  std::optional<double> version() const;
};
// Throws ImportError (file unreadable, a number too large).
Version2Header readVersion2Header(const QString& path);
// The rows of the 2.x table in table order, the material not set. Above
// version 2.0 the edge fields hold edge codes, copied; at 2.0 and below
// they are logical, a true side taking `defaultEdge` and a false one 0
// (`edgeMarks`, when given, is set when some side was true).
// Throws ImportError (table missing or damaged, a number too large).
std::vector<PartRow> readVersion2Rows(const QString& dataPath, bool edgeCodes, int defaultEdge,
                                      bool* edgeMarks = nullptr);

struct TabFile;
// What a tab-separated import of `path` has to say after the rows came in,
// in one text (empty when nothing): the lines whose length, width or
// quantity became 0 (how many, the first five with their numbers), and,
// when sides are marked but no default edge is set, that the edges were
// dropped and where the default edge is set.
QString tabImportWarnings(const QString& path, const TabFile& file, int defaultEdge);

class PartsImport {
 public:
  // `dataRoot` is the program folder; `settings` its Kroyna.ini (default
  // rotation, edges of new rows, the default edge code).
  PartsImport(QString dataRoot, ini::IniFile& settings);

  ImportUi& ui() { return ui_; }

  // "... из файла с разделителями табуляциями". Returns the new base, or
  // nullptr when none was made.
  PartsDocument* importTabSeparated();
  // "... баз деталей версий 1.x".
  PartsDocument* importVersion1();
  // "... баз деталей версий 2.x".
  PartsDocument* importVersion2();
  // "... в файл с разделителями табуляциями": the rows `doc` shows. True
  // when the file was written; a failed export keeps the file that was
  // there.
  bool exportTabSeparated(PartsDocument& doc);

 private:
  // Adds the rows to a new base and shows it; a row that cannot be stored
  // discards the base. Reports failures with `failure` as first line.
  PartsDocument* newBase(const std::vector<PartRow>& rows, const QString& failure);

  QString dataRoot_;
  ini::IniFile& settings_;
  ImportUi ui_;
};

// Reads a whole file; throws ImportError naming it when it cannot.
std::string readWholeFile(const QString& path);

// The new base's last steps of every import: the material filter applied
// again, the modified flag set.
void finishImportedBase(PartsDocument& doc);

}  // namespace kroyna::parts
