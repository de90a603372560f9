#include "parts/PartsImport.h"

#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/settings/SettingsKeys.h"
#include "models/ModelsBase.h"
#include "parts/PartsDocument.h"
#include "parts/PartsTextFormats.h"
#include "platform/dbase/DbfFile.h"
#include "platform/file/QtPaths.h"
#include "platform/file/SafeFile.h"
#include "platform/ini/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace kroyna::parts {

namespace fs = std::filesystem;

namespace {

const QString kDataImportFailed = QStringLiteral("Ошибка импорта данных!");
const QString kBaseImportFailed = QStringLiteral("Ошибка импорта базы деталей.");
const QString kExportFailed = QStringLiteral("Ошибка экспорта данных!");

using platform::toPath;
QString q(const std::string& s) { return QString::fromStdString(s); }
QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

void error(const QString& text) { common::showMessage(text, common::MsgIcon::Error); }
void error(const QString& first, const QString& why) { error(first + QStringLiteral("\r\r") + why); }

// The whole number of a key of the 2.x header; `def` when the key is
// missing or not a number.
int headerNumber(const ini::IniFile& ini, const char* key, int def, const QString& path) {
  if (!ini.keyExists("Header", key)) return def;
  const std::string text = ini.readString("Header", key);
  int v = 0;
  switch (parseWholeNumber(text, v)) {
    case WholeNumber::None: return def;
    case WholeNumber::Ok: return v;
    case WholeNumber::TooLarge: break;
  }
  throw ImportError(QStringLiteral("Файл \"%1\": число %2 в ключе %3 вне допустимого диапазона.")
                        .arg(shown(path), q(text).trimmed(), QString::fromLatin1(key))
                        .toStdString());
}

// Where the default edge is chosen, for the messages that need one.
const QString kWhereDefaultEdge = QStringLiteral(
    "Кромка по умолчанию задаётся в окне \"Установки\" → \"Параметры по умолчанию\", закладка \"Кромка и "
    "поворот\", поле \"Текущая кромка\".");

QString edgesDroppedText(const QString& path) {
  return QStringLiteral(
             "В файле \"%1\" у деталей отмечены кромки, но кромка по умолчанию не задана: кромки не "
             "импортированы.\r%2")
      .arg(shown(path), kWhereDefaultEdge);
}

}  // namespace

QString tabImportWarnings(const QString& path, const TabFile& file, int defaultEdge) {
  constexpr std::size_t kLinesShown = 5;
  QStringList parts;
  if (!file.zeroed.empty()) {
    QStringList lines;
    for (std::size_t i = 0; i < file.zeroed.size() && i < kLinesShown; ++i) {
      QStringList fields;
      for (const std::string& f : file.zeroed[i].fields) fields << q(f);
      lines << QStringLiteral("строка %1: %2")
                   .arg(QString::number(file.zeroed[i].line), fields.join(QStringLiteral(", ")));
    }
    if (file.zeroed.size() > kLinesShown) lines << QStringLiteral("...");
    parts << QStringLiteral(
                 "В файле \"%1\" не прочитаны размеры или количество в строках: %2. Строки импортированы, "
                 "эти значения заменены на 0:\r%3\rДетали с нулевым размером или количеством не "
                 "раскладываются: исправьте их в базе деталей.")
                 .arg(shown(path), QString::number(file.zeroed.size()), lines.join(QLatin1Char('\r')));
  }
  if (file.edgeMarks && defaultEdge <= 0) parts << edgesDroppedText(path);
  return parts.join(QStringLiteral("\r\r"));
}

std::string readWholeFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw ImportError(
        QStringLiteral("Не удалось открыть файл \"%1\": %2").arg(shown(path), f.errorString()).toStdString());
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw ImportError(
        QStringLiteral("Не удалось прочитать файл \"%1\": %2").arg(shown(path), f.errorString()).toStdString());
  return bytes.toStdString();
}

void finishImportedBase(PartsDocument& doc) {
  doc.SetMaterialFilter(doc.materialFilter());
  doc.setModified(true);
}

// ---- Version 2.x ----

std::optional<double> Version2Header::version() const {
  bool ok = false;
  const double v = QLocale::c().toDouble(QStringLiteral("%1.%2").arg(versionHi).arg(versionLo), &ok);
  if (!ok) return std::nullopt;
  return v;
}

Version2Header readVersion2Header(const QString& path) {
  if (!QFileInfo(path).isFile())
    throw ImportError(QStringLiteral("Файл \"%1\" не найден.").arg(shown(path)).toStdString());
  try {
    const ini::IniFile ini(toPath(path));
    Version2Header h;
    QString fname = q(ini.readString("Header", "FName")).trimmed();
    // Only the file name counts: the table lies beside its header. The
    // stored name may come from Windows, with backslashes.
    fname.replace(QLatin1Char('\\'), QLatin1Char('/'));
    fname = fname.section(QLatin1Char('/'), -1);
    if (fname.isEmpty())
      throw ImportError(
          QStringLiteral("Файл \"%1\" не называет таблицу деталей (ключ FName).").arg(shown(path)).toStdString());
    h.dataPath = QFileInfo(path).absolutePath() + QLatin1Char('/') + fname;
    if (!QFileInfo(h.dataPath).isFile()) h.dataPath = common::resolveStoredPath(h.dataPath);
    h.versionHi = headerNumber(ini, "VersionHi", 2, path);
    h.versionLo = headerNumber(ini, "VersionLo", 0, path);
    h.code = headerNumber(ini, "Code", 0, path);
    return h;
  } catch (const ini::IniError& e) {
    throw ImportError(QStringLiteral("Не удалось прочитать файл \"%1\": %2")
                          .arg(shown(path), QString::fromUtf8(e.what()))
                          .toStdString());
  }
}

std::vector<PartRow> readVersion2Rows(const QString& dataPath, bool edgeCodes, int defaultEdge, bool* edgeMarks) {
  if (!QFileInfo(dataPath).isFile())
    throw ImportError(QStringLiteral("Таблица деталей \"%1\" не найдена.").arg(shown(dataPath)).toStdString());
  dbase::DbfTable table;
  try {
    table = dbase::readDbfFile(toPath(dataPath));
  } catch (const std::exception& e) {
    throw ImportError(QStringLiteral("Таблица деталей \"%1\" повреждена: %2")
                          .arg(shown(dataPath), QString::fromUtf8(e.what()))
                          .toStdString());
  }
  static const char* const kFields[] = {"NAME",    "LENGTH",  "WIDTH",   "MANY",   "ROTATE",
                                        "LBORDER", "RBORDER", "TBORDER", "BBORDER"};
  int index[9];
  bool any = false;
  for (int i = 0; i < 9; ++i) {
    index[i] = dbase::findField(table.fields, kFields[i]);
    any = any || index[i] >= 0;
  }
  if (!any)
    throw ImportError(
        QStringLiteral("Файл \"%1\" не является таблицей базы деталей.").arg(shown(dataPath)).toStdString());

  std::vector<PartRow> rows;
  std::size_t record = 0;
  for (const dbase::DbfRecord& rec : table.records) {
    ++record;
    if (rec.deleted) continue;
    auto value = [&](int field) -> const dbase::Value* {
      return index[field] < 0 ? nullptr : &rec.values[static_cast<std::size_t>(index[field])];
    };
    // A number of the table, rounded; checked against the range before it
    // is converted.
    auto whole = [&](int field) {
      const dbase::Value* v = value(field);
      if (!v || !v->isNumber()) return 0;
      const double d = std::round(v->number());
      if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
        throw ImportError(QStringLiteral("Таблица \"%1\", запись %2: число %3 в поле %4 вне допустимого диапазона.")
                              .arg(shown(dataPath))
                              .arg(record)
                              .arg(q(v->toString()), QString::fromLatin1(kFields[field]))
                              .toStdString());
      return static_cast<int>(d);
    };
    auto edge = [&](int field) {
      const dbase::Value* v = value(field);
      if (!v) return 0;
      bool marked = false;
      if (v->isBool())
        marked = v->truth();
      else if (edgeCodes)
        return whole(field);
      else
        marked = v->isNumber() && v->number() != 0;
      if (marked && edgeMarks) *edgeMarks = true;
      return marked ? defaultEdge : 0;
    };
    PartRow r;
    if (const dbase::Value* name = value(0); name && !name->isNull()) r.name = name->toString();
    r.length = whole(1);
    r.width = whole(2);
    r.quantity = whole(3);
    r.rotation = whole(4);
    r.left = edge(5);
    r.right = edge(6);
    r.top = edge(7);
    r.bottom = edge(8);
    rows.push_back(std::move(r));
  }
  return rows;
}

// ---- Commands ----

PartsImport::PartsImport(QString dataRoot, ini::IniFile& settings)
    : dataRoot_(std::move(dataRoot)), settings_(settings) {}

PartsDocument* PartsImport::newBase(const std::vector<PartRow>& rows, const QString& failure) {
  if (!ui_.parts) return nullptr;
  PartsDocument* doc = ui_.parts->newDocument();
  if (!doc) return nullptr;
  if (!doc->CreateGroup()) {  // it has said why
    ui_.parts->discard(doc);
    return nullptr;
  }
  for (const PartRow& r : rows) {
    QString why;
    if (!doc->appendImportedRow(r, &why)) {
      ui_.parts->discard(doc);
      error(failure, why);
      return nullptr;
    }
  }
  finishImportedBase(*doc);
  ui_.parts->show(doc);
  return doc;
}

PartsDocument* PartsImport::importTabSeparated() {
  if (!ui_.chooseImportFile || !ui_.chooseMaterial || !ui_.parts) return nullptr;
  const QString path = ui_.chooseImportFile(ImportKind::TabSeparated);
  if (path.isEmpty()) return nullptr;
  const std::optional<int> material = ui_.chooseMaterial(QStringLiteral("<не определен>"), 0);
  if (!material) return nullptr;

  std::string bytes;
  try {
    bytes = readWholeFile(path);
  } catch (const ImportError& e) {
    error(kDataImportFailed, QString::fromUtf8(e.what()));
    return nullptr;
  }
  TabDefaults defaults;
  defaults.rotation = common::read(settings_, common::keys::DefRotation);
  defaults.edge = std::max(0, common::read(settings_, common::keys::DefBorder));
  defaults.material = *material;
  const TabFile file = readTabSeparated(bytes, defaults, shown(path).toStdString());

  PartsDocument* doc = ui_.parts->newDocument();
  if (!doc) return nullptr;
  if (!doc->CreateGroup()) {
    ui_.parts->discard(doc);
    return nullptr;
  }
  // The rows go in one by one; the first that cannot be stored stops the
  // import, and the window keeps the rows before it.
  QString why;
  std::size_t added = 0;
  for (const PartRow& r : file.rows) {
    if (!doc->appendImportedRow(r, &why)) {
      why = QStringLiteral("Файл \"%1\", строка %2: %3").arg(shown(path)).arg(added + 1).arg(why);
      break;
    }
    ++added;
  }
  if (why.isEmpty() && !file.error.empty()) why = QString::fromUtf8(file.error);
  if (!why.isEmpty() && added == 0) {
    ui_.parts->discard(doc);
    error(kDataImportFailed, why + QStringLiteral("\r\rНи одна строка не импортирована."));
    return nullptr;
  }
  finishImportedBase(*doc);
  doc->setCurrentRow(0);
  ui_.parts->show(doc);
  if (!why.isEmpty())
    error(kDataImportFailed,
          why + QStringLiteral("\r\rИмпортировано строк: %1. Остальные строки файла не импортированы.").arg(added));
  if (const QString warnings = tabImportWarnings(shown(path), file, defaults.edge); !warnings.isEmpty())
    common::showMessage(warnings, common::MsgIcon::Warning);
  return doc;
}

PartsDocument* PartsImport::importVersion1() {
  if (!ui_.chooseImportFile || !ui_.chooseMaterial || !ui_.parts) return nullptr;
  const QString path = ui_.chooseImportFile(ImportKind::Version1);
  if (path.isEmpty()) return nullptr;
  const std::optional<int> material = ui_.chooseMaterial(QStringLiteral("<не определен>"), 0);
  if (!material) {
    error(kBaseImportFailed);
    return nullptr;
  }
  std::vector<PartRow> rows;
  try {
    const std::vector<Version1Part> parts = parseVersion1List(firstLine(readWholeFile(path)));
    const PartRow defaults{{},
                           0,
                           0,
                           0,
                           0,
                           common::read(settings_, common::keys::LeftBorder),
                           common::read(settings_, common::keys::RightBorder),
                           common::read(settings_, common::keys::TopBorder),
                           common::read(settings_, common::keys::BottomBorder),
                           *material};
    for (const Version1Part& p : parts) {
      PartRow r = defaults;
      r.name = p.name;
      r.length = p.length;
      r.width = p.width;
      r.quantity = p.quantity;
      r.rotation = rotationOfVersion1(p.oldRotation);
      rows.push_back(std::move(r));
    }
  } catch (const ImportError& e) {
    error(kBaseImportFailed, QStringLiteral("Файл \"%1\":\r%2").arg(shown(path), QString::fromUtf8(e.what())));
    return nullptr;
  }
  return newBase(rows, kBaseImportFailed + QStringLiteral("\r\rФайл \"%1\".").arg(shown(path)));
}

PartsDocument* PartsImport::importVersion2() {
  if (!ui_.chooseImportFile || !ui_.chooseMaterial || !ui_.parts) return nullptr;
  const QString path = ui_.chooseImportFile(ImportKind::Version2);
  if (path.isEmpty()) return nullptr;
  Version2Header header;
  try {
    header = readVersion2Header(path);
  } catch (const ImportError& e) {
    error(kBaseImportFailed, QString::fromUtf8(e.what()));
    return nullptr;
  }
  const QString name = ui_.materialName ? ui_.materialName(header.code) : QString();
  const std::optional<int> material = ui_.chooseMaterial(name, header.code);
  if (!material) {
    error(kBaseImportFailed);
    return nullptr;
  }
  const std::optional<double> version = header.version();
  if (!version) {
    error(kBaseImportFailed, QStringLiteral("Файл \"%1\": версия %2.%3 не является числом.")
                                 .arg(shown(path))
                                 .arg(header.versionHi)
                                 .arg(header.versionLo));
    return nullptr;
  }
  std::vector<PartRow> rows;
  const int defaultEdge = std::max(0, common::read(settings_, common::keys::DefBorder));
  bool edgeMarks = false;
  try {
    rows = readVersion2Rows(header.dataPath, *version > 2.0, defaultEdge, &edgeMarks);
  } catch (const ImportError& e) {
    error(kBaseImportFailed, QString::fromUtf8(e.what()));
    return nullptr;
  }
  for (PartRow& r : rows) r.material = *material;
  PartsDocument* doc =
      newBase(rows, kBaseImportFailed + QStringLiteral("\r\rТаблица \"%1\".").arg(shown(header.dataPath)));
  if (doc && edgeMarks && defaultEdge == 0)
    common::showMessage(edgesDroppedText(header.dataPath), common::MsgIcon::Warning);
  return doc;
}

bool PartsImport::exportTabSeparated(PartsDocument& doc) {
  if (!ui_.chooseExportFile) return false;
  const QString path = ui_.chooseExportFile();
  if (path.isEmpty()) return false;
  bool written = true;
  try {
    // A new file renamed over the old one: a failed export keeps it.
    platform::writeFileAtomically(toPath(path), writeTabSeparated(doc.shownRows()));
  } catch (const std::exception& e) {
    error(kExportFailed, QString::fromUtf8(e.what()));
    written = false;
  }
  doc.setCurrentRow(doc.rowCount() > 0 ? 0 : -1);
  return written;
}

}  // namespace kroyna::parts
