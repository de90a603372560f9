#include "parts/GroupFiles.h"

#include "parts/PartsTestSupport.h"
#include "parts/RecentFiles.h"
#include "platform/dbase/DbfFile.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

}  // namespace

TEST(GroupHeaderFile, RoundTripKeepsModelNamesWithCommasAndQuotes) {
  PartsFolder folder;
  const QString path = folder.path(QStringLiteral("Groups/Кухня.krb"));
  GroupHeader h{QStringLiteral("Кухня.dbf"),
                {{QStringLiteral("Шкаф, угловой"), QStringLiteral("2")},
                 {QStringLiteral("Тумба \"Н-1\""), QStringLiteral("10")},
                 {QStringLiteral("Стол"), QStringLiteral("1")}}};
  writeGroupHeader(path, h);
  const QByteArray bytes = readAll(path);
  // Code page 1251 on disk, the stored form "name",count.
  const std::string expected = text::utf8ToCp1251("0=\"Шкаф, угловой\",2");
  EXPECT_TRUE(bytes.contains(QByteArray::fromStdString(expected))) << bytes.toStdString();
  const GroupHeader back = readGroupHeader(path);
  EXPECT_EQ(back.dataFileName, h.dataFileName);
  EXPECT_EQ(back.models, h.models);

  // A second write replaces the models list and keeps other keys.
  ini::IniFile(path.toStdString()).writeString("Header", "Author", "Иванов");
  h.models.resize(1);
  writeGroupHeader(path, h);
  EXPECT_EQ(readGroupHeader(path).models, h.models);
  EXPECT_EQ(ini::IniFile(path.toStdString()).readString("Header", "Author"), "Иванов");
}

TEST(GroupHeaderFile, DamagedOrForeignHeadersAreReadSafely) {
  PartsFolder folder;
  const QString path = folder.path(QStringLiteral("Groups/Старая.krb"));
  // Written on Windows: CRLF, a line that is no key.
  writeAll(path, QByteArray::fromStdString(text::utf8ToCp1251(
                     "[Header]\r\nFName=Старая.dbf\r\nмусор без знака\r\n[ModelsList]\r\n0=Безкавычек\r\n1=\r\n")));
  const GroupHeader h = readGroupHeader(path);
  EXPECT_EQ(h.dataFileName, "Старая.dbf");
  ASSERT_EQ(h.models.size(), 2u);
  EXPECT_EQ(h.models[0].name, "Безкавычек");
  EXPECT_EQ(h.models[0].count, "");
  EXPECT_THROW(readGroupHeader(folder.path(QStringLiteral("Groups/Нет.krb"))), GroupFileError);
  // A table named outside the header's folder makes the header damaged.
  for (const char* fname :
       {"..\\..\\Система\\Старая.dbf", "../Sheets/Sheets.dbf", "/etc/passwd", "C:Старая.dbf", ".."}) {
    writeAll(path, QByteArray::fromStdString(text::utf8ToCp1251(std::string("[Header]\r\nFName=") + fname + "\r\n")));
    try {
      readGroupHeader(path);
      ADD_FAILURE() << fname << " was taken for a table beside the header";
    } catch (const GroupFileError& e) {
      EXPECT_TRUE(e.text().contains(path)) << e.text().toStdString();
      EXPECT_TRUE(e.text().contains(QString::fromUtf8(fname))) << e.text().toStdString();
    }
  }
}

TEST(PartTableFile, RowsRoundTripThroughTheTemplate) {
  PartsFolder folder;
  const QString path = folder.path(QStringLiteral("Groups/Детали.dbf"));
  const std::vector<PartRow> rows{{"Фасад ёлочка", 716, 396, 4, 2, 10, 10, 11, 11, 3, {}},
                                  {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, {}},
                                  {std::string(100, 'X'), kMaxNumber, 1, kMaxNumber, 1, kMaxNumber, 0, 0, 0, 998, {}}};
  writePartTable(folder.path(QStringLiteral("Pattern/Group.dbf")), path, rows);
  EXPECT_EQ(readPartRows(path), rows);
  // The structure is the template's.
  EXPECT_EQ(dbase::readDbfFile(path.toStdString()).fields,
            dbase::readDbfFile(folder.path(QStringLiteral("Pattern/Group.dbf")).toStdString()).fields);
}

TEST(PartTableFile, DamagedTablesAndTemplatesAreReported) {
  PartsFolder folder;
  const QString path = folder.path(QStringLiteral("Groups/Детали.dbf"));
  writePartTable(folder.path(QStringLiteral("Pattern/Group.dbf")), path, {PartRow{"А", 1, 2, 3, 0, 0, 0, 0, 0, 1, {}}});
  const QByteArray good = readAll(path);
  // Cut short, then a header that is not dBASE at all.
  writeAll(path, good.left(good.size() - 20));
  EXPECT_THROW(readPartRows(path), GroupFileError);
  writeAll(path, QByteArray("not a table at all"));
  EXPECT_THROW(readPartRows(path), GroupFileError);
  // A table of something else has none of the parts fields.
  writeAll(path, good);
  dbase::DbfTable other;
  other.fields = {dbase::FieldDef::character("CODE", 10)};
  dbase::writeDbfFile(path.toStdString(), other);
  EXPECT_THROW(readPartRows(path), GroupFileError);

  // A number no int holds (the fields take eleven digits) is refused with
  // the field, the record and the file, not cut to fit.
  writePartTable(folder.path(QStringLiteral("Pattern/Group.dbf")), path,
                 {PartRow{"А", 1, 2, 3, 0, 0, 0, 0, 0, 1, {}}, PartRow{"Б", 1, 2, 3, 0, 0, 0, 0, 0, 1, {}}});
  dbase::DbfTable big = dbase::readDbfFile(path.toStdString());
  big.records[1].values[1] = dbase::Value(99999999999.0);
  dbase::writeDbfFile(path.toStdString(), big);
  try {
    readPartRows(path);
    ADD_FAILURE() << "a length of 99999999999 was read";
  } catch (const GroupFileError& e) {
    EXPECT_EQ(e.text(), QStringLiteral("В поле LENGTH записи 2 число 99999999999 вне допустимого диапазона "
                                       "(от -2147483648 до 2147483647):\r") +
                            path);
  }

  QFile::remove(folder.path(QStringLiteral("Pattern/Group.dbf")));
  try {
    writePartTable(folder.path(QStringLiteral("Pattern/Group.dbf")), path, {});
    FAIL() << "a missing template must be reported";
  } catch (const PartTableWriteError& e) {
    EXPECT_TRUE(e.templateFailed);
  }
}

TEST(PartNames, OnlyNamesThatReadBackAreAccepted) {
  EXPECT_TRUE(checkName(QStringLiteral("Стенка задняя №2")).isEmpty());
  EXPECT_TRUE(checkName(QString(kNameLength, QChar(u'Щ'))).isEmpty());
  EXPECT_FALSE(checkName(QString(kNameLength + 1, QChar(u'Щ'))).isEmpty());
  EXPECT_FALSE(checkName(QStringLiteral("漢字")).isEmpty());
  EXPECT_FALSE(checkName(QStringLiteral("две\nстроки")).isEmpty());
}

TEST(RecentFilesList, HoldsFiveDistinctPathsOldestFirst) {
  PartsFolder folder;
  RecentFiles recent;
  for (int i = 1; i <= 7; ++i) recent.add(folder.path(QStringLiteral("Groups/%1.krb").arg(i)));
  recent.add(folder.path(QStringLiteral("Groups/../Groups/5.krb")));
  ASSERT_EQ(recent.entries().size(), 5);
  EXPECT_TRUE(recent.entries().first().endsWith("3.krb"));
  EXPECT_TRUE(recent.entries().last().endsWith("7.krb"));
  recent.remove(folder.path(QStringLiteral("Groups/4.krb")));
  EXPECT_EQ(recent.entries().size(), 4);

  recent.save(folder.settings());
  EXPECT_EQ(folder.settings().readSectionKeys("Files"), (std::vector<std::string>{"1", "2", "3", "4"}));
  RecentFiles loaded;
  loaded.load(folder.settings());
  EXPECT_EQ(loaded.entries(), recent.entries());
}
