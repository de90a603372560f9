#include "models/DesignImport.h"

#include "common/Messages.h"
#include "common/settings/SettingsKeys.h"
#include "models/ModelsBase.h"
#include "parts/PartsDocument.h"
#include "parts/PartsImport.h"
#include "parts/PartsTextFormats.h"
#include "platform/file/QtPaths.h"
#include "platform/file/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <map>

namespace kroyna::models {

namespace fs = std::filesystem;

namespace {

const QString kBaseImportFailed = QStringLiteral("Ошибка импорта базы деталей.");
const QString kDataImportFailed = QStringLiteral("Ошибка импорта данных!");

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }
using platform::toPath;

void error(const QString& text) { common::showMessage(text, common::MsgIcon::Error); }

// Model names compared as the models base finds them: the Latin letters
// a-z without regard to case, every other character exactly.
std::string foldLatin(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

QFileInfoList filesOf(const QString& folder, const QString& pattern) {
  QDir dir(folder);
  dir.setNameFilters({pattern});
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  return dir.entryInfoList();
}

}  // namespace

// ---- Design-module parts files ----

DesignImportResult importDesignFile(const QString& path, ini::IniFile& settings, PartsHost& host) {
  DesignImportResult result;
  std::vector<DesignPart> parts;
  try {
    parts = readDesignParts(parts::readWholeFile(path), common::read(settings, common::keys::DefRotation),
                            shown(path).toStdString());
  } catch (const std::exception& e) {
    result.message = kBaseImportFailed + QStringLiteral("\r\r") + QString::fromUtf8(e.what());
    return result;
  }
  parts::PartsDocument* doc = host.newDocument();
  if (!doc) {
    result.message = kBaseImportFailed;
    return result;
  }
  if (!doc->CreateGroup()) {
    host.discard(doc);
    result.message = kBaseImportFailed;
    return result;
  }
  // The base stays untitled; it offers the file's name when first saved.
  doc->setSuggestedName(QFileInfo(path).completeBaseName() + QStringLiteral(".krb"));
  std::size_t added = 0;
  QString why;
  for (const DesignPart& p : parts) {
    if (!doc->appendImportedRow(p.row, &why)) {
      why = QStringLiteral("Файл \"%1\", раздел [%2]: %3").arg(shown(path), QString::fromStdString(p.section), why);
      break;
    }
    ++added;
  }
  if (added < parts.size() && added == 0) {
    host.discard(doc);
    result.message = kBaseImportFailed + QStringLiteral("\r\r") + why;
    return result;
  }
  parts::finishImportedBase(*doc);
  doc->setCurrentRow(0);
  host.show(doc);
  result.document = doc;
  if (added < parts.size()) {
    result.status = DesignImportResult::Status::Partial;
    result.message = kDataImportFailed + QStringLiteral("\r\r") + why +
                     QStringLiteral("\r\rИмпортировано деталей: %1 из %2. Остальные детали файла не импортированы.")
                         .arg(added)
                         .arg(parts.size());
  } else {
    result.status = DesignImportResult::Status::Imported;
  }
  return result;
}

// ---- Model list files ----

std::vector<ModelListEntry> applyModelLists(ModelsBase& base, const std::vector<ModelListEntry>& entries) {
  base.showEntry(0);  // every model is a row
  std::map<const ModelInfo*, int> rowOf;
  for (int r = 0; r < base.rowCount(); ++r) rowOf[&base.rowModel(r)] = r;
  // The first model of each name, sections and models in list order.
  std::map<std::string, int> byName;
  for (const ModelSection& sec : base.sections())
    for (const ModelInfo& m : sec.models) byName.emplace(foldLatin(m.name), rowOf[&m]);

  std::vector<ModelListEntry> missing;
  std::map<int, long long> added;
  for (const ModelListEntry& e : entries) {
    const auto it = byName.find(foldLatin(e.name));
    if (it != byName.end()) {
      added[it->second] += e.count;
    } else if (e.count > 0) {
      missing.push_back(e);
    }
  }
  for (const auto& [row, sum] : added) {
    const long long count =
        std::clamp<long long>(base.rowModel(row).count + sum, 0, std::numeric_limits<std::int32_t>::max());
    base.setCount(row, static_cast<std::int32_t>(count));
  }
  base.showEntry(1);
  return missing;
}

QStringList distinctNames(const std::vector<ModelListEntry>& entries) {
  QStringList names;
  for (const ModelListEntry& e : entries) {
    const QString name = QString::fromStdString(e.name);
    if (!names.contains(name)) names << name;
  }
  return names;
}

QString writeMissingModelsList(const QString& folder, const std::vector<ModelListEntry>& entries) {
  QString path;
  for (int n = 0;; ++n) {
    path = folder + QStringLiteral("/tmp%1.krm").arg(n);
    if (!QFileInfo::exists(path)) break;
  }
  try {
    QDir().mkpath(folder);
    platform::writeFileAtomically(toPath(path), writeModelList(entries));
  } catch (const std::exception& e) {
    throw DesignFileError(e.what());
  }
  return path;
}

// ---- The AutoRun folder ----

QString moveAsideFailed(const QString& path, QString* why) {
  const QFileInfo file(path);
  const QString folder = file.absolutePath() + QStringLiteral("/failed");
  if (!QDir().mkpath(folder)) {
    if (why) *why = QStringLiteral("не удалось создать папку \"%1\"").arg(shown(folder));
    return {};
  }
  // A file of that name moved aside before is kept: the new one takes a
  // free name beside it.
  QString target = folder + QLatin1Char('/') + file.fileName();
  for (int n = 1; QFileInfo::exists(target); ++n)
    target = folder + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("_%1.").arg(n) + file.suffix();
  QFile f(path);
  if (!f.rename(target)) {
    if (why) *why = f.errorString();
    return {};
  }
  return target;
}

namespace {

// The tail of the message about a file that failed: where it is now.
QString keptWhere(const QString& path) {
  QString why;
  const QString moved = moveAsideFailed(path, &why);
  if (!moved.isEmpty())
    return QStringLiteral("\r\rФайл \"%1\" перенесён в папку \"%2\".")
        .arg(QFileInfo(path).fileName(), shown(QFileInfo(moved).absolutePath()));
  return QStringLiteral("\r\rФайл \"%1\" не удалось перенести в папку \"failed\" (%2); он остался в папке \"%3\".")
      .arg(QFileInfo(path).fileName(), why, shown(QFileInfo(path).absolutePath()));
}

void removeImported(const QString& path) {
  QFile f(path);
  if (!f.remove())
    error(QStringLiteral("Файл \"%1\" импортирован, но не удалён из папки \"%2\": %3.\rПри следующем запуске он будет "
                         "импортирован ещё раз.")
              .arg(QFileInfo(path).fileName(), shown(QFileInfo(path).absolutePath()), f.errorString()));
}

}  // namespace

void importAutoRun(const QString& dataRoot, ini::IniFile& settings, const AutoRunUi& ui) {
  const QString folder = dataRoot + QStringLiteral("/AutoRun");
  const QFileInfoList designFiles = filesOf(folder, QStringLiteral("*.dkm"));
  const QFileInfoList modelLists = filesOf(folder, QStringLiteral("*.krm"));
  if (designFiles.isEmpty() && modelLists.isEmpty()) return;
  const int maximum = static_cast<int>(designFiles.size());
  if (ui.begin) ui.begin(maximum);
  auto step = [&](const QString& kind, const QString& file, int progress) {
    if (ui.step) ui.step(kind, file, progress);
  };

  int done = 0;
  for (const QFileInfo& file : designFiles) {
    step(QStringLiteral("Описания конструкторских моделей:"), QStringLiteral("Импортируется файл: ") + file.fileName(),
         ++done);
    if (!ui.parts) break;
    const DesignImportResult r = importDesignFile(file.absoluteFilePath(), settings, *ui.parts);
    if (r.status == DesignImportResult::Status::Imported)
      removeImported(file.absoluteFilePath());
    else
      error(r.message + keptWhere(file.absoluteFilePath()));
  }

  if (!modelLists.isEmpty()) {
    step(QStringLiteral("Описания моделей мебели"), QString(), 0);
    // Each file is read whole before any count changes: a damaged file
    // adds nothing and is moved aside, the others are applied.
    std::vector<ModelListEntry> entries;
    QStringList applied;
    for (const QFileInfo& file : modelLists) {
      try {
        const std::vector<ModelListEntry> list =
            readModelList(parts::readWholeFile(file.absoluteFilePath()), shown(file.absoluteFilePath()).toStdString());
        entries.insert(entries.end(), list.begin(), list.end());
        applied << file.absoluteFilePath();
      } catch (const std::exception& e) {
        error(QString::fromUtf8(e.what()) + keptWhere(file.absoluteFilePath()));
      }
    }
    // Without the models base the lists stay where they are, for the next
    // start.
    ModelsBase* base = applied.isEmpty() || !ui.openModelsBase ? nullptr : ui.openModelsBase();
    if (base) {
      const std::vector<ModelListEntry> missing = applyModelLists(*base, entries);
      for (const QString& path : applied) removeImported(path);
      step(QStringLiteral("Описания моделей мебели"), QString(), maximum);
      if (ui.showSelectedModels) ui.showSelectedModels();
      if (!missing.empty() && ui.askMissingModels && ui.askMissingModels(distinctNames(missing))) {
        try {
          writeMissingModelsList(folder, missing);
        } catch (const DesignFileError& e) {
          error(QString::fromUtf8(e.what()));
        }
      }
    }
  }
  if (ui.end) ui.end();
}

}  // namespace kroyna::models
