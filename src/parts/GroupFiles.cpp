#include "parts/GroupFiles.h"

#include "platform/dbase/DbfFile.h"
#include "platform/file/QtPaths.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <QFileInfo>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace kroyna::parts {

namespace fs = std::filesystem;

namespace {

using platform::toPath;

// The ten fields of a data table, in their physical order.
const char* const kFieldNames[] = {"NAME",    "LENGTH",  "WIDTH",   "MANY",    "ROTATE",
                                   "LBORDER", "RBORDER", "TBORDER", "BBORDER", "MATERIAL"};

// The whole number of a cell of field `field` in record `record` (from 1);
// blank or text that is no number reads as 0. A number no int holds is
// refused, naming the file, the field and the record, rather than cut to
// fit (a saved base would otherwise hold another number).
int wholeNumber(const dbase::Value& v, const char* field, std::size_t record, const QString& path) {
  double d = 0;
  if (v.isNumber()) {
    d = v.number();
  } else if (v.isText()) {
    // The leading number of the text, as the C library reads it (a number
    // too large for a double reads as infinite).
    const char* begin = v.text().c_str();
    char* end = nullptr;
    d = std::strtod(begin, &end);
    if (end == begin || std::isnan(d)) d = 0;
  }
  d = std::round(d);
  if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
    throw GroupFileError(QStringLiteral("В поле %1 записи %2 число %3 вне допустимого диапазона (от %4 до %5):\r%6")
                             .arg(QString::fromLatin1(field))
                             .arg(record)
                             .arg(QString::fromStdString(v.toString()).trimmed())
                             .arg(std::numeric_limits<int>::min())
                             .arg(std::numeric_limits<int>::max())
                             .arg(path));
  return static_cast<int>(d);
}

// The value written into the model list: the name always in quotes, so
// that a name holding a comma reads back whole.
std::string modelValue(const ModelEntry& m) {
  std::string name = m.name.toStdString();
  std::string quoted;
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return "\"" + quoted + "\"," + m.count.toStdString();
}

}  // namespace

QString rotationName(int code) {
  switch (code) {
    case 0: return QStringLiteral("поворачивать");
    case 1: return QStringLiteral("не поворачивать");
    case 2: return QStringLiteral("один для всех");
    default: return {};
  }
}

GroupHeader readGroupHeader(const QString& path) {
  try {
    if (!QFileInfo(path).isFile()) throw GroupFileError(QStringLiteral("Файл не найден: %1").arg(path));
    const ini::IniFile ini(toPath(path));
    GroupHeader h;
    QString fname = QString::fromStdString(ini.readString("Header", "FName")).trimmed();
    // Only the file name counts: the table lives beside the header. The
    // stored name may come from Windows, with backslashes.
    fname.replace(QLatin1Char('\\'), QLatin1Char('/'));
    h.dataFileName = fname.section(QLatin1Char('/'), -1);
    for (const auto& [key, value] : ini.readSectionValues("ModelsList")) {
      (void)key;
      const std::vector<std::string> items = ini::splitCommaList(value);
      ModelEntry m;
      if (!items.empty()) m.name = QString::fromStdString(items[0]);
      if (items.size() > 1) m.count = QString::fromStdString(items[1]);
      h.models.push_back(std::move(m));
    }
    return h;
  } catch (const ini::IniError& e) {
    throw GroupFileError(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, QString::fromUtf8(e.what())));
  }
}

void writeGroupHeader(const QString& path, const GroupHeader& header) {
  try {
    ini::IniFile ini(toPath(path));
    ini.batch([&] {
      ini.writeString("Header", "FName", header.dataFileName.toStdString());
      ini.eraseSection("ModelsList");
      for (std::size_t i = 0; i < header.models.size(); ++i)
        ini.writeString("ModelsList", std::to_string(i), modelValue(header.models[i]));
    });
  } catch (const std::exception& e) {
    throw GroupFileError(QStringLiteral("Не удалось записать файл %1: %2").arg(path, QString::fromUtf8(e.what())));
  }
}

std::vector<PartRow> readPartRows(const QString& path) {
  dbase::DbfTable table;
  try {
    table = dbase::readDbfFile(toPath(path));
  } catch (const std::exception&) {
    throw GroupFileError(QStringLiteral("Файл данных повреждён или не является таблицей dBASE:\r%1").arg(path));
  }
  int index[10];
  bool any = false;
  for (int i = 0; i < 10; ++i) {
    index[i] = dbase::findField(table.fields, kFieldNames[i]);
    any = any || index[i] >= 0;
  }
  if (!any) throw GroupFileError(QStringLiteral("Файл данных не является таблицей базы деталей:\r%1").arg(path));
  std::vector<PartRow> rows;
  rows.reserve(table.records.size());
  std::size_t record = 0;
  for (const dbase::DbfRecord& rec : table.records) {
    ++record;
    if (rec.deleted) continue;
    auto number = [&](int field) {
      return index[field] < 0 ? 0 : wholeNumber(rec.values[index[field]], kFieldNames[field], record, path);
    };
    std::string name;
    if (index[0] >= 0 && !rec.values[index[0]].isNull()) name = rec.values[index[0]].toString();
    rows.push_back(partRowFromFields(std::move(name), number));
  }
  return rows;
}

void writePartTable(const QString& templatePath, const QString& target, const std::vector<PartRow>& rows) {
  dbase::DbfTable table;
  try {
    table = dbase::readDbfFile(toPath(templatePath));
  } catch (const std::exception&) {
    throw PartTableWriteError(QStringLiteral("Не удалось прочитать шаблон %1").arg(templatePath), true);
  }
  // The template gives the structure; the rows go in by position, as the
  // fields are ordered in every parts table.
  if (table.fields.size() < 10)
    throw PartTableWriteError(QStringLiteral("Шаблон %1 не является таблицей базы деталей").arg(templatePath), true);
  table.records.clear();
  table.lastUpdate = {};
  try {
    for (const PartRow& r : rows) {
      dbase::DbfRecord rec;
      rec.values = {dbase::Value(r.name),     dbase::Value(r.length),  dbase::Value(r.width), dbase::Value(r.quantity),
                    dbase::Value(r.rotation), dbase::Value(r.left),    dbase::Value(r.right), dbase::Value(r.top),
                    dbase::Value(r.bottom),   dbase::Value(r.material)};
      rec.values.resize(table.fields.size());
      table.records.push_back(std::move(rec));
    }
    dbase::writeDbfFile(toPath(target), table);
  } catch (const std::exception& e) {
    throw PartTableWriteError(
        QStringLiteral("Не удалось записать файл данных %1: %2").arg(target, QString::fromUtf8(e.what())), false);
  }
}

QString checkName(const QString& name) {
  if (name.size() > kNameLength) return QStringLiteral("Шифр детали длиннее %1 символов.").arg(kNameLength);
  const QByteArray utf8 = name.toUtf8();
  if (!text::fitsCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))))
    return QStringLiteral("Шифр детали содержит символы, которые нельзя сохранить в базе деталей.");
  for (QChar c : name)
    if (c.unicode() < 0x20) return QStringLiteral("Шифр детали содержит управляющие символы.");
  return {};
}

}  // namespace kroyna::parts
