#include "common/DataRoot.h"

#include "platform/file/QtPaths.h"
#include "platform/file/SafeFile.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace kroyna::common {

using platform::toPath;

const QStringList& DataRoot::workingFolders() {
  static const QStringList folders = {
      QStringLiteral("Pattern"),     QStringLiteral("Catalog"),   QStringLiteral("Sheets"),  QStringLiteral("Detals"),
      QStringLiteral("Groups"),      QStringLiteral("Maps"),      QStringLiteral("Export"),  QStringLiteral("Temp"),
      QStringLiteral("Constructor"), QStringLiteral("Warehouse"), QStringLiteral("AutoRun"), QStringLiteral("Reports"),
  };
  return folders;
}

QString DataRoot::resolve(QStringList& args, const QString& envHome, const QString& userHome) {
  QString chosen;
  for (int i = 0; i < args.size();) {
    const QString& a = args[i];
    if (a == QLatin1String("--home") && i + 1 < args.size()) {
      chosen = args[i + 1];
      args.remove(i, 2);
    } else if (a.startsWith(QLatin1String("--home="))) {
      chosen = a.mid(7);
      args.removeAt(i);
    } else {
      ++i;
    }
  }
  return choose(chosen, envHome, userHome);
}

QString DataRoot::choose(const QString& given, const QString& envHome, const QString& userHome) {
  QString chosen = given;
  if (chosen.isEmpty()) chosen = envHome;
  if (chosen.isEmpty()) chosen = userHome + QStringLiteral("/.local/share/kroyna");
  return QDir::cleanPath(QDir(chosen).absolutePath());
}

DataRoot::DataRoot(QString root) : root_(QDir::cleanPath(std::move(root))) {}

QString DataRoot::path(const QString& relative) const { return root_ + QLatin1Char('/') + relative; }

QString DataRoot::folder(const QString& name) const { return path(name) + QLatin1Char('/'); }

namespace {

std::optional<QString> copyMissing(const QString& from, const QString& to) {
  QDir source(from);
  if (!source.exists()) return std::nullopt;  // nothing shipped for this folder
  QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString file = it.next();
    const QString target = to + QLatin1Char('/') + source.relativeFilePath(file);
    if (QFileInfo::exists(target)) continue;
    QDir().mkpath(QFileInfo(target).absolutePath());
    // An interrupted start never leaves a half-copied template in place of
    // a good one.
    try {
      platform::copyFileAtomically(toPath(file), toPath(target));
    } catch (const platform::FileError&) {
      return QStringLiteral("Не удалось скопировать файл %1 в папку %2.")
          .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> DataRoot::prepare(const QString& shippedData) const {
  const QString shown = QDir::toNativeSeparators(root_);
  QDir dir;
  if (!dir.mkpath(root_))
    return QStringLiteral("Не удалось создать папку данных программы %1: нет доступа или путь занят файлом.")
        .arg(shown);
  if (!QFileInfo(root_).isDir()) return QStringLiteral("Папка данных программы %1 не является папкой.").arg(shown);
  {
    QTemporaryFile probe(root_ + QStringLiteral("/.write-test-XXXXXX"));
    if (!probe.open())
      return QStringLiteral("Нет доступа на запись в папку данных программы %1: %2").arg(shown, probe.errorString());
  }
  for (const QString& name : workingFolders()) {
    const QString p = path(name);
    if (!dir.mkpath(p) || !QFileInfo(p).isDir())
      return QStringLiteral("Не удалось создать рабочую папку %1.").arg(QDir::toNativeSeparators(p));
  }
  if (!shippedData.isEmpty()) {
    if (auto err = installExample(shippedData + QStringLiteral("/Example"))) return err;
    for (const char* sub : {"Pattern", "Reports"}) {
      const QString name = QString::fromLatin1(sub);
      if (auto err = copyMissing(shippedData + QLatin1Char('/') + name, path(name))) return err;
    }
  }
  return std::nullopt;
}

std::optional<QString> DataRoot::installExample(const QString& exampleFolder) const {
  // The stock and catalogue tables tell a data root that was used before.
  static const char* const kUsed[] = {"Sheets/Types.dbf",  "Sheets/Borders.dbf",   "Sheets/Sheets.dbf",
                                      "Sheets/Scraps.dbf", "Sheets/Materials.dbf", "Sheets/BrdsExt.dbf"};
  for (const char* table : kUsed)
    if (QFileInfo::exists(path(QString::fromLatin1(table)))) return std::nullopt;
  QDir source(exampleFolder);
  if (!source.exists()) return std::nullopt;

  // Everything is copied under temporary names first and renamed only when
  // all copies are complete, the tables of Sheets/ last: an interrupted
  // first start leaves no table behind and copies the example again.
  QStringList files;
  QDirIterator it(exampleFolder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) files << source.relativeFilePath(it.next());
  std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
    return !a.startsWith(QStringLiteral("Sheets/")) && b.startsWith(QStringLiteral("Sheets/"));
  });
  auto failed = [&](const QString& f) {
    return QStringLiteral("Не удалось скопировать файл %1 в папку %2.")
        .arg(QDir::toNativeSeparators(source.filePath(f)), QDir::toNativeSeparators(QFileInfo(path(f)).absolutePath()));
  };
  // Every copy is written first; the writers that are not committed remove
  // their new files when they go.
  std::vector<std::pair<QString, std::unique_ptr<platform::SafeFileWriter>>> copies;
  for (const QString& f : files) {
    const QString target = path(f);
    if (QFileInfo::exists(target)) continue;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile in(source.filePath(f));
    if (!in.open(QIODevice::ReadOnly)) return failed(f);
    const QByteArray bytes = in.readAll();
    try {
      auto writer = std::make_unique<platform::SafeFileWriter>(toPath(target));
      writer->write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      copies.emplace_back(f, std::move(writer));
    } catch (const platform::FileError&) {
      return failed(f);
    }
  }
  for (auto& [f, writer] : copies) {
    try {
      writer->commit();
    } catch (const platform::FileError&) {
      return failed(f);
    }
  }
  return std::nullopt;
}

QString shippedDataFolder(const QString& applicationDir) {
  const QString env = qEnvironmentVariable("KROYNA_DATA_DIR");
  if (!env.isEmpty()) return env;
  const QString installed = QDir::cleanPath(applicationDir + QStringLiteral("/../share/kroyna"));
  if (QFileInfo::exists(installed + QStringLiteral("/Pattern"))) return installed;
#ifdef KROYNA_SOURCE_DATA_DIR
  return QStringLiteral(KROYNA_SOURCE_DATA_DIR);
#else
  return installed;
#endif
}

QString resolveStoredPath(const QString& stored) {
  QString p = stored;
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (p.isEmpty() || QFileInfo::exists(p)) return p;
  const bool absolute = p.startsWith(QLatin1Char('/'));
  const QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
  QString result = absolute ? QStringLiteral("/") : QString();
  bool lost = false;  // once a component is not found, the rest is kept as written
  for (int i = 0; i < parts.size(); ++i) {
    QString name = parts[i];
    if (!lost && !QFileInfo::exists(current + QLatin1Char('/') + name)) {
      const QStringList entries = QDir(current).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
      QString match;
      for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) {
          match = e;
          break;
        }
      if (match.isEmpty())
        lost = true;
      else
        name = match;
    }
    current += QLatin1Char('/') + name;
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('/'))) result += QLatin1Char('/');
    result += name;
  }
  return result;
}

}  // namespace kroyna::common
