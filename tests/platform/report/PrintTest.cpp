#include "ReportTestSupport.h"

#include "platform/report/Render.h"
#include "platform/report/Report.h"
#include "platform/report/ui/ReportPrint.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <regex>

using namespace kroyna::report;

namespace {

std::string run(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

PreparedReport landscapeReport() {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  QPrinter printer;
  printer.setPageOrientation(QPageLayout::Landscape);
  report.applyPrinterOrientation(printer.pageLayout().orientation());
  report.setMarginsMm(10, 10, 10, 10);
  static RowsRecordSource rows({"NAME", "MANY", "MATNAME"});
  if (rows.rowCount() == 0)
    for (int i = 1; i <= 120; ++i)
      rows.addRow({Value::text("Строка " + std::to_string(i) + " конец"), Value::number(1), Value::text("ДСП")});
  report.setDataSource(&rows);
  return report.prepare();
}

}  // namespace

TEST(Printing, PrinterGetsTheChosenPagesInLandscape) {
  test::ensureApp();
  PreparedReport r = landscapeReport();
  ASSERT_GE(r.pageCount(), 3);
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("printed.pdf"));
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out);
    printPages(r, printer, 2, 3);
  }
  const std::string info = run("pdfinfo '" + out.toStdString() + "' 2>/dev/null");
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +2\n"))) << info;
  // A4 turned: 297 × 210 mm is 842 × 595 pt, wider than high.
  EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +842 x 595 pts"))) << info;
  const std::string text = test::pdfText(out);
  EXPECT_EQ(text.find("СПИСОК ДЕТАЛЕЙ"), std::string::npos);  // the title is on page 1
  EXPECT_EQ(test::countOf(text, "ШАПКА СТРАНИЦЫ"), 2);
  EXPECT_NE(text.find("Страница 2 из " + std::to_string(r.pageCount())), std::string::npos);

  // A range outside the report prints nothing and does not fail.
  QPrinter none(QPrinter::HighResolution);
  none.setOutputFormat(QPrinter::PdfFormat);
  none.setOutputFileName(dir.filePath(QStringLiteral("none.pdf")));
  EXPECT_NO_THROW(printPages(r, none, 50, 60));
}
