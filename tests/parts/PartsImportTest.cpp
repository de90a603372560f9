// The import and export commands of parts lists: the tab-separated file
// both ways, the version 1.x list and the version 2.x base.

#include "parts/PartsImport.h"

#include "parts/ImportTestSupport.h"
#include "parts/PartsTextFormats.h"
#include "platform/dbase/DbfFile.h"
#include "support/FailingWrites.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

class PartsImportTest : public ::testing::Test {
 protected:
  PartsImportTest() : host(folder), importer(folder.root(), folder.settings()) {
    QDir(folder.root()).mkpath(QStringLiteral("Detals"));
    ImportUi& ui = importer.ui();
    ui.parts = &host;
    ui.chooseImportFile = [this](ImportKind kind) {
      kinds.push_back(kind);
      return importFile;
    };
    ui.chooseExportFile = [this] { return exportFile; };
    ui.chooseMaterial = [this](const QString& text, int code) -> std::optional<int> {
      materialAsked << QStringLiteral("%1|%2").arg(text).arg(code);
      return material;
    };
    ui.materialName = [](int code) { return sampleCatalogue().materialName(code); };
  }

  // The rows of the one base an import made.
  const std::vector<PartRow>& imported() {
    EXPECT_EQ(host.shown.size(), 1u);
    return host.last().allRows();
  }

  PartsFolder folder;
  Answers messages;
  DocumentHost host;
  PartsImport importer;
  QString importFile;
  QString exportFile;
  std::optional<int> material = 2;
  std::vector<ImportKind> kinds;
  QStringList materialAsked;
};

// A base holding the rows given, untitled, with the sample catalogue.
std::unique_ptr<PartsDocument> baseWith(PartsFolder& folder, const std::vector<PartRow>& rows) {
  auto doc = folder.document();
  EXPECT_TRUE(doc->CreateGroup());
  for (const PartRow& r : rows) EXPECT_TRUE(doc->appendImportedRow(r));
  return doc;
}

}  // namespace

// ---- Tab-separated export ----

TEST_F(PartsImportTest, TabExportWritesTheExactLinesOfTheRowsShown) {
  auto doc = baseWith(folder, {row("Боковина левая", 720, 560, 2, 1, 10, 0, 11, 0, 1), row("", 100, 50, 1, 0),
                               row("Полка МДФ", 400, 300, 4, 2, 10, 10, 10, 10, 2)});
  exportFile = folder.path(QStringLiteral("Export/list.txt"));
  doc->SetMaterialFilter(1);  // the rows shown are the ones of ДСП белый
  ASSERT_TRUE(importer.exportTabSeparated(*doc));
  const QByteArray expected =
      cp1251("Боковина левая") + "\t720\t560\t2\t1\t1\t0\t1\t0\r\n" + "\t100\t50\t1\t0\t0\t0\t0\t0\r\n";
  EXPECT_EQ(fileBytes(exportFile), expected);
  EXPECT_EQ(doc->currentRow(), 0);
  EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(PartsImportTest, TabExportThatCannotWriteKeepsTheEarlierFile) {
  auto doc = baseWith(folder, {row("Боковина", 720, 560, 2)});
  exportFile = folder.path(QStringLiteral("Export/list.txt"));
  writeFile(exportFile, "earlier export\r\n");
  {
    kroyna::testing::FailingWrites full(4);
    EXPECT_FALSE(importer.exportTabSeparated(*doc));
  }
  EXPECT_EQ(fileBytes(exportFile), QByteArray("earlier export\r\n"));
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.last().startsWith(u("Ошибка экспорта данных!"))) << messages.last();
  EXPECT_TRUE(messages.last().contains(QStringLiteral("list.txt"))) << messages.last();
}

TEST_F(PartsImportTest, ExportedBaseImportsBackWithDefaultEdgesAndTheChosenMaterial) {
  folder.settings().writeInt("Border", "DefBorder", 11);
  const std::vector<PartRow> rows{row("Боковина левая", 720, 560, 2, 1, 10, 0, 11, 0, 1),
                                  row("Полка 'угловая' \"Л\"", 564, 300, 3, 2, 0, 0, 0, 10, 2), row("", 0, 0, 0, 0)};
  auto doc = baseWith(folder, rows);
  exportFile = importFile = folder.path(QStringLiteral("Export/round.txt"));
  ASSERT_TRUE(importer.exportTabSeparated(*doc));
  material = 3;
  ASSERT_NE(importer.importTabSeparated(), nullptr);
  const std::vector<PartRow>& back = imported();
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].name, rows[i].name);
    EXPECT_EQ(back[i].length, rows[i].length);
    EXPECT_EQ(back[i].width, rows[i].width);
    EXPECT_EQ(back[i].quantity, rows[i].quantity);
    EXPECT_EQ(back[i].rotation, rows[i].rotation);
    EXPECT_EQ(back[i].left, rows[i].left ? 11 : 0);
    EXPECT_EQ(back[i].right, rows[i].right ? 11 : 0);
    EXPECT_EQ(back[i].top, rows[i].top ? 11 : 0);
    EXPECT_EQ(back[i].bottom, rows[i].bottom ? 11 : 0);
    EXPECT_EQ(back[i].material, 3);
  }
  EXPECT_EQ(materialAsked, QStringList{u("<не определен>|0")});
  EXPECT_TRUE(host.last().isUntitled());
  EXPECT_TRUE(host.last().isModified());
}

// Edge codes 1, 2 and 9 leave as marks and come back as the default edge;
// without a default edge they are dropped, and the import says so.
TEST_F(PartsImportTest, EdgeCodesMakeTheRoundTripAsTheDefaultEdgeOrAreSaidToBeDropped) {
  auto doc = baseWith(folder, {row("Бок", 720, 560, 2, 0, 1, 0, 2, 0), row("Полка", 564, 300, 3, 2, 0, 9, 0, 1),
                               row("Фасад", 716, 396, 1, 1, 2, 1, 9, 2)});
  exportFile = importFile = folder.path(QStringLiteral("Export/edges.txt"));
  ASSERT_TRUE(importer.exportTabSeparated(*doc));
  EXPECT_EQ(fileBytes(exportFile), cp1251("Бок\t720\t560\t2\t0\t1\t0\t1\t0\r\nПолка\t564\t300\t3\t2\t0\t1\t0\t1\r\n"
                                          "Фасад\t716\t396\t1\t1\t1\t1\t1\t1\r\n"));
  for (int defaultEdge : {5, 0}) {
    SCOPED_TRACE(defaultEdge);
    folder.settings().writeInt("Border", "DefBorder", defaultEdge);
    messages.texts.clear();
    host.shown.clear();
    ASSERT_NE(importer.importTabSeparated(), nullptr);
    const int e = defaultEdge;
    EXPECT_EQ(imported(), (std::vector<PartRow>{row("Бок", 720, 560, 2, 0, e, 0, e, 0, 2),
                                                row("Полка", 564, 300, 3, 2, 0, e, 0, e, 2),
                                                row("Фасад", 716, 396, 1, 1, e, e, e, e, 2)}));
    if (defaultEdge != 0) {
      EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|');
    } else {
      ASSERT_EQ(messages.texts.size(), 1);
      EXPECT_TRUE(messages.last().contains(u("кромка по умолчанию не задана: кромки не импортированы")));
      EXPECT_TRUE(messages.last().contains(u("\"Параметры по умолчанию\", закладка \"Кромка и поворот\"")));
    }
  }
}

// ---- Tab-separated import ----

TEST_F(PartsImportTest, TabImportGivesEachAwkwardFieldItsValue) {
  folder.settings().writeInt("Border", "DefBorder", 10);
  folder.settings().writeInt("Rotate", "Default", 2);
  importFile = kImportData + QStringLiteral("/Awkward.txt");
  ASSERT_NE(importer.importTabSeparated(), nullptr);
  // Numbers that became 0 are said once, after the rows came in.
  EXPECT_EQ(messages.texts,
            QStringList{u("В файле \"%1\" не прочитаны размеры или количество в строках: 2. Строки импортированы, эти "
                          "значения заменены на 0:\rстрока 1: количество (нет)\rстрока 2: длина \"600.5\", ширина "
                          "(нет), количество \"-2\"\rДетали с нулевым размером или количеством не раскладываются: "
                          "исправьте их в базе деталей.")
                            .arg(importFile)});
  EXPECT_EQ(messages.icons, std::vector<common::MsgIcon>{common::MsgIcon::Warning});
  const std::vector<PartRow> expected{// Only three fields: no quantity, the default rotation, no edges.
                                      row("Полка", 600, 300, 0, 2, 0, 0, 0, 0, 2),
                                      // 600.5 is no whole number, an empty width is 0, a negative quantity
                                      // no quantity, rotation 7 gives 0; edges 7, 0, "x", 1 give the
                                      // default, none, none, the default; the extra fields are ignored.
                                      row("Дверь", 0, 0, 0, 0, 10, 0, 0, 10, 2),
                                      // The empty line is a row too.
                                      row("", 0, 0, 0, 2, 0, 0, 0, 0, 2),
                                      // 2.6 pieces round to 3; an empty rotation takes the default.
                                      row("Ящик", 400, 150, 3, 2, 10, 10, 10, 10, 2),
                                      // The name as it stands, quotes and all; blanks around a number.
                                      row("Полка 'угловая' \"Л\"", 564, 300, 3, 1, 0, 0, 0, 0, 2),
                                      // The last line has no line break.
                                      row("Крышка", 800, 560, 1, 2, 0, 0, 0, 0, 2)};
  EXPECT_EQ(imported(), expected);
  EXPECT_EQ(kinds, std::vector<ImportKind>{ImportKind::TabSeparated});
}

TEST_F(PartsImportTest, TabImportStopsAtARowItCannotTakeAndSaysHowManyCameIn) {
  importFile = folder.path(QStringLiteral("Export/big.txt"));
  writeFile(importFile,
            cp1251("Бок\t720\t560\t2\r\nПолка\t600\t300\t1\r\nДно\t12345678901\t500\t1\r\nКрышка\t1\t1\t1\r\n"));
  ASSERT_NE(importer.importTabSeparated(), nullptr);
  ASSERT_EQ(imported().size(), 2u);
  EXPECT_EQ(imported()[1].name, "Полка");
  ASSERT_EQ(messages.texts.size(), 1);
  const QString text = messages.last();
  EXPECT_TRUE(text.startsWith(u("Ошибка импорта данных!"))) << text;
  EXPECT_TRUE(text.contains(u("строка 3"))) << text;
  EXPECT_TRUE(text.contains(u("big.txt"))) << text;
  EXPECT_TRUE(text.contains(u("Импортировано строк: 2."))) << text;

  // A name too long for a part stops it the same way.
  writeFile(importFile, QByteArray("A\t1\t1\t1\r\n") + QByteArray(101, 'x') + "\t1\t1\t1\r\n");
  ASSERT_NE(importer.importTabSeparated(), nullptr);
  EXPECT_EQ(host.last().allRows().size(), 1u);
  EXPECT_TRUE(messages.last().contains(u("строка 2"))) << messages.last();
  EXPECT_TRUE(messages.last().contains(u("Импортировано строк: 1."))) << messages.last();
}

TEST_F(PartsImportTest, TabImportWithNothingToShowOrCancelledMakesNoWindow) {
  // The first line already fails: no window holding nothing.
  importFile = folder.path(QStringLiteral("Export/bad.txt"));
  writeFile(importFile, "A\t99999999999\t1\t1\r\n");
  EXPECT_EQ(importer.importTabSeparated(), nullptr);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_TRUE(messages.last().startsWith(u("Ошибка импорта данных!"))) << messages.last();
  // An unreadable file.
  importFile = folder.path(QStringLiteral("Export/missing.txt"));
  EXPECT_EQ(importer.importTabSeparated(), nullptr);
  EXPECT_TRUE(messages.last().contains(u("missing.txt"))) << messages.last();
  // Cancelling the material ends the command without a word.
  const int said = static_cast<int>(messages.texts.size());
  importFile = kImportData + QStringLiteral("/Awkward.txt");
  material.reset();
  EXPECT_EQ(importer.importTabSeparated(), nullptr);
  EXPECT_EQ(messages.texts.size(), said);
  EXPECT_TRUE(host.shown.empty());
  // Cancelling the file dialog asks for nothing more.
  importFile.clear();
  materialAsked.clear();
  EXPECT_EQ(importer.importTabSeparated(), nullptr);
  EXPECT_TRUE(materialAsked.isEmpty());
}

// ---- Version 1.x ----

TEST_F(PartsImportTest, Version1ListBecomesRowsWithMappedRotationAndTheDefaultEdges) {
  folder.settings().writeInt("Border", "LBorder", 10);
  folder.settings().writeInt("Border", "BBorder", 11);
  importFile = kImportData + QStringLiteral("/Shelves.de1");
  ASSERT_NE(importer.importVersion1(), nullptr) << messages.texts.join('|');
  const std::vector<PartRow> expected{row("Полка", 600, 300, 4, 0, 10, 0, 0, 11, 2),
                                      row("Дверь", 700, 400, 2, 1, 10, 0, 0, 11, 2),
                                      // An old rotation code the program does not know is kept.
                                      row("Угол 'Г'", 500, 500, 1, 7, 10, 0, 0, 11, 2)};
  EXPECT_EQ(imported(), expected);
  EXPECT_EQ(host.last().cellText(2, ColRotate), "7");
  EXPECT_EQ(kinds, std::vector<ImportKind>{ImportKind::Version1});
}

TEST_F(PartsImportTest, Version1LineThatDoesNotParseMakesNoWindow) {
  importFile = folder.path(QStringLiteral("Detals/bad.de1"));
  const char* bad[] = {
      "((\"Полка\" 600 300 4) (\"Дверь\" 700 400 0 2))",  // a number missing
      "\"Полка\" 600 300 1 4",                            // no parentheses
      "((\"Полка\" 600 3x0 1 4))",                        // not a whole number
      "((\"Полка 600 300 1 4))",                          // no closing quote
      "",
  };
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    writeFile(importFile, cp1251(line));
    const int before = static_cast<int>(messages.texts.size());
    EXPECT_EQ(importer.importVersion1(), nullptr);
    ASSERT_EQ(messages.texts.size(), before + 1);
    EXPECT_TRUE(messages.last().startsWith(u("Ошибка импорта базы деталей."))) << messages.last();
  }
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(host.made, host.discarded);
  // Cancelling the material choice is a failure of this import.
  importFile = kImportData + QStringLiteral("/Shelves.de1");
  material.reset();
  EXPECT_EQ(importer.importVersion1(), nullptr);
  EXPECT_EQ(messages.last(), u("Ошибка импорта базы деталей."));
  EXPECT_TRUE(host.shown.empty());
}

TEST(Version1List, ParsesItemsAndBlanksAsTheOldProgramWroteThem) {
  EXPECT_EQ(parseVersion1List(" ( ( \"Полка\"  600 300  1 4 ) (\"Дверь\" 700 400 0 2))  "),
            (std::vector<Version1Part>{{"Полка", 600, 300, 1, 4}, {"Дверь", 700, 400, 0, 2}}));
  EXPECT_TRUE(parseVersion1List("()").empty());
  EXPECT_THROW(parseVersion1List("(((\"A\" 1 2 3 4)))"), ImportError);
  EXPECT_THROW(parseVersion1List(std::string(100000, '(')), ImportError);
  EXPECT_THROW(parseVersion1List("((\"A\" 1 2 3 99999999999))"), ImportError);
  EXPECT_EQ(rotationOfVersion1(0), 1);
  EXPECT_EQ(rotationOfVersion1(1), 0);
  EXPECT_EQ(rotationOfVersion1(2), 2);
  EXPECT_EQ(rotationOfVersion1(5), 5);
}

// ---- Version 2.x ----

TEST_F(PartsImportTest, Version20BaseOfPythonDbfGivesTheDefaultEdgeForTrueSides) {
  folder.settings().writeInt("Border", "DefBorder", 10);
  importFile = kImportData + QStringLiteral("/Version20.det");
  material = 3;
  ASSERT_NE(importer.importVersion2(), nullptr) << messages.texts.join('|');
  // The material dialog opens on the header's Code.
  EXPECT_EQ(materialAsked, QStringList{u("МДФ|2")});
  const std::vector<PartRow> expected{row("Боковина", 720, 560, 2, 1, 10, 0, 10, 0, 3),
                                      row("Полка 'угловая' \"Л\"", 564, 300, 3, 0, 0, 0, 0, 10, 3),
                                      row("Дно", 800, 500, 1, 2, 0, 0, 0, 0, 3)};
  EXPECT_EQ(imported(), expected);
  EXPECT_EQ(kinds, std::vector<ImportKind>{ImportKind::Version2});
}

TEST_F(PartsImportTest, Version20BaseWrittenByPythonDbfNowReadsTheSame) {
  if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) GTEST_SKIP() << "no /usr/bin/python3";
  const QString script = QStringLiteral(KROYNA_TEST_DATA_DIR "/../parts/det_interop.py");
  if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {script, QStringLiteral("check")}) == 3)
    GTEST_SKIP() << "python3-dbf is not installed";
  ASSERT_EQ(QProcess::execute(
                QStringLiteral("/usr/bin/python3"),
                {script, QStringLiteral("write"), folder.path(QStringLiteral("Detals")), QStringLiteral("Fresh")}),
            0);
  folder.settings().writeInt("Border", "DefBorder", 11);
  importFile = folder.path(QStringLiteral("Detals/Fresh.det"));
  ASSERT_NE(importer.importVersion2(), nullptr) << messages.texts.join('|');
  ASSERT_EQ(imported().size(), 3u);
  EXPECT_EQ(imported()[0].left, 11);
  EXPECT_EQ(imported()[0].right, 0);
  EXPECT_EQ(imported()[1].bottom, 11);
}

TEST_F(PartsImportTest, Version21BaseCopiesEdgeCodes) {
  // A 2.1 table: numeric edge fields holding edge codes.
  dbase::DbfTable table;
  table.fields = {dbase::FieldDef::character("NAME", 60),  dbase::FieldDef::numeric("LENGTH", 11),
                  dbase::FieldDef::numeric("WIDTH", 11),   dbase::FieldDef::numeric("MANY", 11),
                  dbase::FieldDef::numeric("ROTATE", 2),   dbase::FieldDef::numeric("LBORDER", 11),
                  dbase::FieldDef::numeric("RBORDER", 11), dbase::FieldDef::numeric("TBORDER", 11),
                  dbase::FieldDef::numeric("BBORDER", 11)};
  table.records.push_back({false, {"Бок 'Л'", 720, 560, 2, 1, 10, 11, 0, 77}});
  table.records.push_back({false, {"Полка", 600, 300, 4, 0, 0, 0, 0, 0}});
  dbase::writeDbfFile(folder.path(QStringLiteral("Detals/Kitchen21.dbf")).toStdString(), table);
  importFile = folder.path(QStringLiteral("Detals/Kitchen21.det"));
  writeFile(importFile, "[Header]\r\nFName=Kitchen21.dbf\r\nVersionHi=2\r\nVersionLo=1\r\nCode=1\r\n");
  folder.settings().writeInt("Border", "DefBorder", 10);
  ASSERT_NE(importer.importVersion2(), nullptr) << messages.texts.join('|');
  EXPECT_EQ(materialAsked, QStringList{u("ДСП белый|1")});
  const std::vector<PartRow> expected{row("Бок 'Л'", 720, 560, 2, 1, 10, 11, 0, 77, 2),
                                      row("Полка", 600, 300, 4, 0, 0, 0, 0, 0, 2)};
  EXPECT_EQ(imported(), expected);

  // The same table read as 2.0: its numbers are taken as marks.
  EXPECT_EQ(readVersion2Rows(folder.path(QStringLiteral("Detals/Kitchen21.dbf")), false, 10)[0].bottom, 10);
}

TEST_F(PartsImportTest, Version2BaseWithoutItsTableOrWithACancelledMaterialMakesNoWindow) {
  importFile = folder.path(QStringLiteral("Detals/Lost.det"));
  writeFile(importFile, "[Header]\r\nFName=Lost.dbf\r\n");
  EXPECT_EQ(importer.importVersion2(), nullptr);
  EXPECT_TRUE(messages.last().startsWith(u("Ошибка импорта базы деталей."))) << messages.last();
  EXPECT_TRUE(messages.last().contains(u("Lost.dbf"))) << messages.last();
  importFile = kImportData + QStringLiteral("/Version20.det");
  material.reset();
  EXPECT_EQ(importer.importVersion2(), nullptr);
  EXPECT_EQ(messages.last(), u("Ошибка импорта базы деталей."));
  EXPECT_TRUE(host.shown.empty());
  // A version number no int holds names the file.
  material = 1;
  importFile = folder.path(QStringLiteral("Detals/Huge.det"));
  writeFile(importFile, "[Header]\r\nFName=Version20.dbf\r\nVersionLo=99999999999\r\n");
  EXPECT_EQ(importer.importVersion2(), nullptr);
  EXPECT_TRUE(messages.last().contains(u("Huge.det"))) << messages.last();
}

TEST(Version2Header, VersionIsHiDotLo) {
  Version2Header h;
  EXPECT_EQ(h.version(), 2.0);
  h.versionLo = 1;
  EXPECT_GT(*h.version(), 2.0);
  h.versionHi = 1;
  h.versionLo = 9;
  EXPECT_LT(*h.version(), 2.0);
  h.versionLo = -1;
  EXPECT_FALSE(h.version().has_value());
}
