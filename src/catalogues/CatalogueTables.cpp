#include "catalogues/CatalogueTables.h"

#include "common/settings/AllMaterials.h"

#include "common/DataRoot.h"
#include "common/SettingsUtils.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/dbase/Table.h"

#include <system_error>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

QString fileNameOf(const std::string& name) { return QString::fromStdString(name); }

// Deletes a staging file, ignoring failures: it lives in Temp/ and is
// replaced by the next attempt.
void discard(const fs::path& file) {
  try {
    dbase::removeFile(file);
  } catch (...) {
  }
}

fs::path stagingPath(const CataloguePaths& paths, const std::string& fileName) {
  return paths.temp() / ("~new" + fileName);
}

// Builds a table from the template in Temp/ with `fill`, then renames it
// over `target`. Throws CatalogueError with `message` on failure.
template <class Fill>
fs::path buildStaged(const CataloguePaths& paths, const std::string& fileName, const std::string& templateName,
                     Fill&& fill) {
  std::error_code ec;
  fs::create_directories(paths.temp(), ec);
  const fs::path staging = stagingPath(paths, fileName);
  dbase::createFromTemplate(paths.pattern(), templateName, staging);
  try {
    fill(staging);
  } catch (...) {
    discard(staging);
    throw;
  }
  return staging;
}

}  // namespace

QString backupFailedMessage(const QString& fileName) {
  return QStringLiteral("Ошибка резервного копирования базы ") + fileName;
}

QString templateFailedMessage(const QString& templateName) {
  return QStringLiteral("Ошибка получения шаблона ") + templateName + QStringLiteral(" базы");
}

void rebuildCatalogueTable(const CataloguePaths& paths, const std::string& fileName, const std::string& templateName) {
  const fs::path target = paths.sheets() / fileName;
  const fs::path backup = paths.temp() / ("~" + fileName);
  std::error_code ec;
  fs::create_directories(paths.sheets(), ec);
  fs::create_directories(paths.temp(), ec);

  fs::path source;
  bool fromBackup = false;
  if (dbase::fileExists(target)) {
    source = target;
  } else if (dbase::fileExists(backup)) {
    source = backup;
    fromBackup = true;
  }

  const fs::path staging = stagingPath(paths, fileName);
  try {
    dbase::createFromTemplate(paths.pattern(), templateName, staging);
  } catch (const std::exception&) {
    discard(staging);
    throw CatalogueError(templateFailedMessage(fileNameOf(templateName)).toStdString());
  }
  std::size_t copied = 0;
  std::size_t expected = 0;
  try {
    if (!source.empty()) {
      const dbase::RowSource rows(source);
      expected = rows.rows().size();
      copied = dbase::insertSelect(staging, rows);
    }
    dbase::copyOver(staging, target);
  } catch (const std::exception& e) {
    discard(staging);
    throw CatalogueError(backupFailedMessage(fileNameOf(fileName)).toStdString() + "\r" + e.what());
  }
  discard(staging);
  // The backup of an interrupted rebuild goes only once its rows are safe.
  if (fromBackup && copied == expected) discard(backup);
}

void ensureLocalTables(const CataloguePaths& paths) {
  std::error_code ec;
  fs::create_directories(paths.sheets(), ec);
  const std::pair<fs::path, const char*> tables[] = {{paths.localMaterials(), kMaterialsTemplate},
                                                     {paths.localEdges(), kEdgesTemplate}};
  for (const auto& [table, templ] : tables) {
    if (dbase::fileExists(table)) continue;
    try {
      dbase::createFromTemplate(paths.pattern(), templ, table);
    } catch (const std::exception&) {
      throw CatalogueError(templateFailedMessage(QString::fromLatin1(templ)).toStdString());
    }
  }
}

fs::path externalFolder(const QString& basePath) {
  const QString folder = common::normalizeFolder(basePath);
  if (folder.isEmpty()) return {};
  return fs::path(common::resolveStoredPath(folder).toStdString());
}

bool hasExternalFiles(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(findFileIgnoringCase(folder, "listmat.ini"), ec) &&
         fs::is_regular_file(findFileIgnoringCase(folder, "borders.ini"), ec);
}

ImportResult importExternalCatalogues(const CataloguePaths& paths, const fs::path& folder) {
  ImportResult result;
  fs::path materials, edges;
  try {
    const ExternalCatalogue materialFile = readExternalCatalogue(findFileIgnoringCase(folder, "listmat.ini"));
    const ExternalCatalogue edgeFile = readExternalCatalogue(findFileIgnoringCase(folder, "borders.ini"));
    const std::vector<EdgeColour> colours = readEdgeColours(paths.edgeColours());

    materials = buildStaged(paths, "Materials.dbf", kMaterialsTemplate, [&](const fs::path& file) {
      dbase::Table table = dbase::Table::open(file, {.cachedUpdates = true});
      for (const auto& e : materialFile.entries) {
        if (e.code == kAllMaterials) {
          result.warnings.push_back(QStringLiteral("Код %2 зарезервирован для \"<все материалы>\": материал \"%1\" из "
                                                   "listmat.ini пропущен.")
                                        .arg(QString::fromStdString(e.name))
                                        .arg(kAllMaterials));
          continue;
        }
        table.append();
        table.setString("MATERIAL", e.name);
        table.setValue("CODE", e.code);
        table.post();
      }
      table.applyUpdates();
    });
    edges = buildStaged(paths, "BrdsExt.dbf", kEdgesTemplate, [&](const fs::path& file) {
      dbase::Table table = dbase::Table::open(file, {.cachedUpdates = true});
      for (const auto& e : edgeFile.entries) {
        table.append();
        table.setValue("CODE", e.code);
        table.setString("NAME", e.name);
        table.setValue("COLOR", static_cast<int>(colourOf(colours, e.code, 0)));
        table.setValue("PRIPUSK", 0);
        table.post();
      }
      table.applyUpdates();
    });
    dbase::copyOver(materials, paths.externalMaterials());
    dbase::copyOver(edges, paths.externalEdges());
  } catch (const std::exception&) {
    if (!materials.empty()) discard(materials);
    if (!edges.empty()) discard(edges);
    throw CatalogueError(kMsgImportFailed);
  }
  discard(materials);
  discard(edges);
  return result;
}

ModeOutcome applyCatalogueMode(const CataloguePaths& paths, int baseType, const QString& basePath) {
  ModeOutcome out;
  if (baseType == 1) {
    const fs::path folder = externalFolder(basePath);
    if (!hasExternalFiles(folder)) {
      out.errors.push_back(QString::fromUtf8(kMsgNotFound));
    } else {
      try {
        ImportResult imported = importExternalCatalogues(paths, folder);
        out.warnings = std::move(imported.warnings);
        out.external = true;
        out.changed = true;
        return out;
      } catch (const CatalogueError& e) {
        out.errors.push_back(QString::fromUtf8(e.what()));
      }
    }
    // The local tables take over; make them when they were never made.
    try {
      ensureLocalTables(paths);
    } catch (const CatalogueError& e) {
      out.errors.push_back(QString::fromUtf8(e.what()));
    }
    out.external = false;
    out.changed = true;
    return out;
  }

  // Local mode: both tables are rebuilt; the first failure stops.
  try {
    rebuildCatalogueTable(paths, "Types.dbf", kMaterialsTemplate);
    rebuildCatalogueTable(paths, "Borders.dbf", kEdgesTemplate);
  } catch (const CatalogueError& e) {
    out.errors.push_back(QString::fromUtf8(e.what()));
    return out;
  }
  out.external = false;
  out.changed = true;
  return out;
}

}  // namespace kroyna::catalogues
