#include "parts/GroupFiles.h"

#include "platform/dbase/DbfFile.h"
#include "platform/file/QtPaths.h"
#include "platform/file/StoredName.h"
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
    // The table lives beside the header: a name that leads elsewhere makes
    // the header damaged.
    const QString fname = QString::fromStdString(ini.readString("Header", "FName")).trimmed();
    if (!fname.isEmpty())
      if (const std::string why = platform::fileNameProblem(fname.toStdString()); !why.empty())
        throw GroupFileError(QString::fromStdString(
            platform::damagedNameText(path.toStdString(), "имя файла данных (FName)", fname.toStdString(), why)));
    h.dataFileName = fname;
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

PartTable readPartTable(const QString& path) {
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
  PartTable out;
  // Columns another program added: kept with their values.
  std::vector<std::size_t> extraIndex;
  for (std::size_t f = 0; f < table.fields.size(); ++f) {
    bool own = false;
    for (const int i : index) own = own || i == static_cast<int>(f);
    if (own) continue;
    extraIndex.push_back(f);
    out.extraFields.push_back(table.fields[f]);
  }
  out.unwritable = QString::fromStdString(table.readOnlyReason);
  if (out.unwritable.isEmpty() && !out.extraFields.empty()) {
    try {
      dbase::validateFields(out.extraFields, toPath(path));
    } catch (const std::exception& e) {
      out.unwritable = QString::fromUtf8(e.what());
    }
  }
  std::vector<PartRow>& rows = out.rows;
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
    PartRow row = partRowFromFields(std::move(name), number);
    for (const std::size_t f : extraIndex) row.extra.push_back(rec.values[f]);
    rows.push_back(std::move(row));
  }
  return out;
}

std::vector<PartRow> readPartRows(const QString& path) {
  std::vector<PartRow> rows = readPartTable(path).rows;
  for (PartRow& r : rows) r.extra.clear();
  return rows;
}

void writePartTable(const QString& templatePath, const QString& target, const std::vector<PartRow>& rows,
                    const std::vector<dbase::FieldDef>& extraFields) {
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
  // Where each extra column goes: a column of that name in the template,
  // or a new one after the template's.
  std::vector<std::size_t> extraTarget;
  for (const dbase::FieldDef& f : extraFields) {
    const int existing = dbase::findField(table.fields, f.name);
    if (existing >= 0) {
      extraTarget.push_back(static_cast<std::size_t>(existing));
    } else {
      extraTarget.push_back(table.fields.size());
      table.fields.push_back(f);
    }
  }
  try {
    for (const PartRow& r : rows) {
      dbase::DbfRecord rec;
      rec.values = {dbase::Value(r.name),     dbase::Value(r.length),  dbase::Value(r.width), dbase::Value(r.quantity),
                    dbase::Value(r.rotation), dbase::Value(r.left),    dbase::Value(r.right), dbase::Value(r.top),
                    dbase::Value(r.bottom),   dbase::Value(r.material)};
      rec.values.resize(table.fields.size());
      if (r.extra.size() == extraFields.size())
        for (std::size_t i = 0; i < extraTarget.size(); ++i) rec.values[extraTarget[i]] = r.extra[i];
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
