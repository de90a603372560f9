// The printed parts lists (as the text of their PDF) and the spreadsheet
// export (read back with python3-openpyxl).
#include "parts/PartsPrint.h"
#include "parts/SpreadsheetExport.h"

#include "parts/PartsTestSupport.h"
#include "platform/report/Render.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

std::string pdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  p.waitForFinished(30000);
  return p.readAllStandardOutput().toStdString();
}

std::size_t at(const std::string& hay, const std::string& needle) {
  const std::size_t pos = hay.find(needle);
  EXPECT_NE(pos, std::string::npos) << "missing: " << needle << "\n" << hay;
  return pos;
}

class PartsOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc = folder.document();
    ASSERT_TRUE(doc->CreateGroup());
    // Material 3 "Фанера" sorts after "МДФ" and "ДСП белый"; code 5 is not
    // in the catalogue.
    ASSERT_TRUE(doc->AppendDetal(QStringLiteral("Ящик"), 400, 150, 4, 0, 0, 0, 10, 0, 3));
    ASSERT_TRUE(doc->AppendDetal(QStringLiteral("Стенка"), 720, 560, 2, 1, 10, 11, 10, 10, 2));
    ASSERT_TRUE(doc->AppendDetal(QStringLiteral("Бок"), 720, 300, 2, 2, 0, 0, 0, 0, 2));
    ASSERT_TRUE(doc->AppendDetal(QStringLiteral("Чужой"), 100, 100, 1, 0, 0, 0, 0, 0, 5));
  }

  std::string printed(PartsListKind kind, PartsListOptions options) {
    const report::PreparedReport r = preparePartsList(*doc, kind, options, folder.path(QStringLiteral("Reports")), {});
    const QString pdf = folder.path(QStringLiteral("list.pdf"));
    report::writePdf(r, pdf);
    return pdfText(pdf);
  }

  PartsFolder folder;
  MessageLog log;
  std::unique_ptr<PartsDocument> doc;
};

}  // namespace

TEST_F(PartsOutputTest, GroupedListIsOrderedByMaterialAndName) {
  const std::string text = printed(PartsListKind::Grouped, {false, true});
  EXPECT_LT(at(text, "Материал: МДФ"), at(text, "Материал: Фанера"));
  EXPECT_LT(at(text, "Бок"), at(text, "Стенка"));
  EXPECT_LT(at(text, "Стенка"), at(text, "Ящик"));
  EXPECT_EQ(text.find("Чужой"), std::string::npos);  // its material is not in the catalogue
  at(text, "не поворачивать");
  at(text, "один для всех");
  at(text, "Количество: 9 шт");
  at(text, "База деталей: <без названия>");
}

TEST_F(PartsOutputTest, EdgeListsNameTheEdgesOfEachRowAndTheirUse) {
  const std::string text = printed(PartsListKind::Grouped, {true, true});
  at(text, "Кромки:");
  // Top and bottom of "Стенка" are ПВХ, left ПВХ and right Меламин.
  at(text, "ПВХ 2 мм: ");
  at(text, "Меламин: 1.12 м");
  at(text, "Кромка по");
}

TEST_F(PartsOutputTest, UnsortedListKeepsTheRowOrderAndEveryRow) {
  const std::string text = printed(PartsListKind::List, {false, false});
  EXPECT_LT(at(text, "Ящик"), at(text, "Стенка"));
  EXPECT_LT(at(text, "Стенка"), at(text, "Бок"));
  at(text, "Чужой");
  const std::string sorted = printed(PartsListKind::List, {false, true});
  EXPECT_LT(at(sorted, "Бок"), at(sorted, "Ящик"));
  EXPECT_EQ(sorted.find("Чужой"), std::string::npos);
}

TEST_F(PartsOutputTest, ListsCoverOnlyTheMaterialShown) {
  doc->SetMaterialFilter(3);
  const std::string text = printed(PartsListKind::Grouped, {false, true});
  at(text, "Ящик");
  EXPECT_EQ(text.find("Стенка"), std::string::npos);
  at(text, "Количество: 4 шт");
}

TEST_F(PartsOutputTest, ModelsListPrintsEveryEntry) {
  doc->setModels({{QStringLiteral("Шкаф-купе"), QStringLiteral("2")}, {QStringLiteral("Тумба"), QStringLiteral("5")}});
  const report::PreparedReport r = prepareModelsList(*doc, folder.path(QStringLiteral("Reports")), {});
  const QString pdf = folder.path(QStringLiteral("models.pdf"));
  report::writePdf(r, pdf);
  const std::string text = pdfText(pdf);
  EXPECT_LT(at(text, "Шкаф-купе"), at(text, "Тумба"));
}

TEST_F(PartsOutputTest, SpreadsheetHoldsTheVisibleColumnsAndRowsShown) {
  doc->SetMaterialFilter(2);
  const std::vector<int> columns{ColMany, ColName, ColMatName};
  const std::vector<SheetCell> cells = spreadsheetCells(*doc, columns);
  const QString path = spreadsheetPath(folder.path(QStringLiteral("Export")), *doc);
  EXPECT_TRUE(path.endsWith("/База деталей.xlsx"));
  writeSpreadsheet(path, cells);
  EXPECT_TRUE(spreadsheetPath(folder.path(QStringLiteral("Export")), *doc).endsWith("/База деталей (2).xlsx"));

  const char* script =
      "import sys, openpyxl\n"
      "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
      "for row in ws.iter_rows():\n"
      "    for c in row:\n"
      "        if c.value is not None:\n"
      "            print('%d,%d,%s,%s' % (c.row, c.column, c.data_type, c.value))\n";
  QProcess p;
  p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  const QStringList expected{
      "1,1,s,База деталей", "3,1,s,Статистика", "4,1,s,Количество: ", "4,2,s,4",    "4,3,s,шт",       "5,1,s,Площадь: ",
      "5,2,s,1.238",        "5,3,s,кв м",       "6,1,s,Периметр: ",   "6,2,s,9.20", "6,3,s,м",        "7,1,s,Кромка: ",
      "7,2,s,5.15",         "7,3,s,м",          "9,1,s,Количество",   "9,2,s,Шифр", "9,3,s,Материал", "10,1,s,2",
      "10,2,s,Стенка",      "10,3,s,МДФ",       "11,1,s,2",           "11,2,s,Бок", "11,3,s,МДФ"};
  EXPECT_EQ(lines, expected);
}

TEST_F(PartsOutputTest, ASpreadsheetThatCannotBeWrittenIsReported) {
  EXPECT_THROW(writeSpreadsheet(folder.path(QStringLiteral("Нет папки/x.xlsx")), spreadsheetCells(*doc, {ColName})),
               GroupFileError);
}
