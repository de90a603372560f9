#include "shell/DataRoot.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace kroyna::shell {

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
    // Copy under a temporary name and rename, so that an interrupted start
    // never leaves a half-copied template in place of a good one.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(file, partial) || !QFile::rename(partial, target)) {
      QFile::remove(partial);
      return QStringLiteral("Не удалось скопировать файл %1 в папку %2.")
          .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
    }
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
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
  QStringList copied;
  auto removeCopies = [&] {
    for (const QString& f : copied) QFile::remove(path(f) + QStringLiteral(".part"));
  };
  for (const QString& f : files) {
    const QString target = path(f);
    if (QFileInfo::exists(target)) continue;
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source.filePath(f), partial)) {
      removeCopies();
      QFile::remove(partial);
      return QStringLiteral("Не удалось скопировать файл %1 в папку %2.")
          .arg(QDir::toNativeSeparators(source.filePath(f)),
               QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
    }
    QFile::setPermissions(partial, QFile::permissions(partial) | QFileDevice::WriteOwner);
    copied << f;
  }
  for (const QString& f : copied) {
    if (!QFile::rename(path(f) + QStringLiteral(".part"), path(f))) {
      removeCopies();
      return QStringLiteral("Не удалось скопировать файл %1 в папку %2.")
          .arg(QDir::toNativeSeparators(source.filePath(f)),
               QDir::toNativeSeparators(QFileInfo(path(f)).absolutePath()));
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

}  // namespace kroyna::shell
