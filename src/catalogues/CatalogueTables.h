#pragma once

// The catalogue tables on disk and the two ways of making them current:
// rebuilding the local tables from their templates, and importing the
// external catalogue files into the external tables.
//
// Every change replaces a table file as a whole (a new file is built in
// Temp/ and renamed over the table), so an interruption never leaves a
// half-written catalogue, and a failure leaves the tables as they were.

#include "catalogues/CatalogueFiles.h"

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace kroyna::catalogues {

// Where the catalogue files live under the program folder.
struct CataloguePaths {
  std::filesystem::path root;

  std::filesystem::path pattern() const { return root / "Pattern"; }
  std::filesystem::path sheets() const { return root / "Sheets"; }
  std::filesystem::path temp() const { return root / "Temp"; }
  std::filesystem::path localMaterials() const { return sheets() / "Types.dbf"; }
  std::filesystem::path localEdges() const { return sheets() / "Borders.dbf"; }
  std::filesystem::path externalMaterials() const { return sheets() / "Materials.dbf"; }
  std::filesystem::path externalEdges() const { return sheets() / "BrdsExt.dbf"; }
  std::filesystem::path edgeColours() const { return root / "brdolors.ini"; }
};

inline constexpr const char* kMaterialsTemplate = "Types.dbf";
inline constexpr const char* kEdgesTemplate = "Borders.dbf";

// The messages of the catalogues.
inline constexpr const char* kMsgNotFound = "По указанному пути базы материалов и кромок не найдены!";
inline constexpr const char* kMsgImportFailed = "Ошибка экспорта внешних данных.";
QString backupFailedMessage(const QString& fileName);
QString templateFailedMessage(const QString& templateName);

// Rebuilds `Sheets/<fileName>` from `Pattern/<templateName>`: a fresh copy
// of the template receives every row of the table (rows marked deleted are
// left behind) and replaces the table. A missing table is made from the
// template. When the table is missing but `Temp/~<fileName>` exists (a
// rebuild interrupted while the table was moved aside), the rows are
// recovered from it and the backup is removed only after the new table
// holds them; otherwise an existing backup is left alone. Throws
// CatalogueError with the message to show; the table is then untouched.
void rebuildCatalogueTable(const CataloguePaths& paths, const std::string& fileName, const std::string& templateName);

// Makes the local tables from their templates when they are missing, so
// that the fallback to local tables always has tables to show.
void ensureLocalTables(const CataloguePaths& paths);

// The folder of the external files from `BasePath` as typed: trimmed,
// backslashes read as separators, each component found ignoring case.
// Empty text gives an empty path.
std::filesystem::path externalFolder(const QString& basePath);
// Whether the folder holds both external files.
bool hasExternalFiles(const std::filesystem::path& folder);

struct ImportResult {
  // Keys skipped on purpose, with a warning to show (the reserved
  // all-materials code in listmat.ini).
  std::vector<QString> warnings;
};

// Imports `listmat.ini` into `Sheets/Materials.dbf` and `borders.ini` into
// `Sheets/BrdsExt.dbf`, edge colours taken from `brdolors.ini`. Names are
// stored as data, whatever characters they hold. Both tables are built
// first and replace the old ones only when both are complete. Throws
// CatalogueError (message "Ошибка экспорта внешних данных.") on any
// failure; the external tables are then as they were.
ImportResult importExternalCatalogues(const CataloguePaths& paths, const std::filesystem::path& folder);

// What applying a catalogue mode came to.
struct ModeOutcome {
  bool external = false;  // the external tables are current
  bool changed = false;   // false: the tables current before stay current
  std::vector<QString> errors;
  std::vector<QString> warnings;
};

// The local mode (baseType other than 1) or the external mode from the
// folder `basePath`. In local mode a failed rebuild leaves the previous
// tables current (changed = false). In external mode a missing file or a
// failed import makes the local tables current.
ModeOutcome applyCatalogueMode(const CataloguePaths& paths, int baseType, const QString& basePath);

}  // namespace kroyna::catalogues
