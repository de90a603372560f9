#include "ReportTestSupport.h"

#include "platform/report/Export.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureApp();
    report_.setTemplate(
        Template::parse(R"(<report title="Склад &lt;1&gt;"><page paper="A4" left="36" top="36" right="36" bottom="36"/>
          <band kind="pageHeader" height="20">
            <object class="text" x="0" width="200" height="20"><font size="10" bold="1"/><text>Материал</text></object>
            <object class="text" x="200" width="200" height="20" align="right"><text>Площадь</text></object>
          </band>
          <band kind="masterData" height="20">
            <object class="text" x="0" width="200" height="20"><text>[MATERIAL]</text></object>
            <object class="text" x="200" width="200" height="20" align="right"><text>[SHSQUARE|0.00]</text></object>
            <object class="line" x="0" y="19" width="400" height="0"/>
          </band></report>)",
                        QStringLiteral("stock")));
    rows_.addRow({Value::text("ДСП; Бук \"Люкс\""), Value::number(12.345)});
    rows_.addRow({Value::text("МДФ <белый> & {мат}\\"), Value::number(3)});
    report_.setDataSource(&rows_);
    prepared_ = report_.prepare();
  }

  std::string bytes(ExportFormat f) { return exportBytes(prepared_, f).toStdString(); }

  Report report_;
  RowsRecordSource rows_{{"MATERIAL", "SHSQUARE"}};
  PreparedReport prepared_;
};

}  // namespace

TEST_F(Exports, CsvUsesSemicolonsAndQuotesWhatNeedsIt) {
  EXPECT_EQ(bytes(ExportFormat::Csv),
            "Материал;Площадь\r\n"
            "\"ДСП; Бук \"\"Люкс\"\"\";12.35\r\n"
            "МДФ <белый> & {мат}\\;3.00\r\n");
}

TEST_F(Exports, PlainTextKeepsRowsAndColumns) {
  const std::string t = bytes(ExportFormat::Text);
  EXPECT_NE(t.find("Материал"), std::string::npos);
  const size_t row = t.find("МДФ <белый> & {мат}\\");
  ASSERT_NE(row, std::string::npos);
  const std::string line = t.substr(row, t.find('\n', row) - row);
  EXPECT_NE(line.find("3.00"), std::string::npos);
  // Three rows, one line each.
  EXPECT_EQ(test::countOf(t, "\n"), 3);
}

TEST_F(Exports, HtmlEscapesTexts) {
  const std::string h = bytes(ExportFormat::Html);
  EXPECT_NE(h.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(h.find("<title>Склад &lt;1&gt;</title>"), std::string::npos);
  EXPECT_NE(h.find("МДФ &lt;белый&gt; &amp; {мат}\\"), std::string::npos);
  EXPECT_EQ(h.find("<белый>"), std::string::npos);
  EXPECT_EQ(test::countOf(h, "class=\"page\""), 1);
}

TEST_F(Exports, RtfEscapesCyrillicAndSpecialCharacters) {
  const std::string r = bytes(ExportFormat::Rtf);
  EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
  // Only ASCII in the file: Cyrillic as \u escapes ("М" is U+041C = 1052).
  for (unsigned char c : r) ASSERT_LT(c, 0x80);
  EXPECT_NE(r.find("\\u1052?"), std::string::npos);
  EXPECT_NE(r.find("\\{"), std::string::npos);
  EXPECT_NE(r.find("\\\\"), std::string::npos);
  EXPECT_EQ(test::countOf(r, "\\row"), 3);
  int depth = 0;
  for (char c : r) {
    if (c == '{') ++depth;
    if (c == '}') --depth;
    ASSERT_GE(depth, 0);
  }
}

TEST_F(Exports, FilesAreWrittenWholeOrNotAtAll) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("stock.csv"));
  exportToFile(prepared_, ExportFormat::Csv, path);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), bytes(ExportFormat::Csv));
  EXPECT_THROW(exportToFile(prepared_, ExportFormat::Csv, dir.filePath(QStringLiteral("no/such/dir/x.csv"))),
               ReportError);
}
