#include "ReportTestSupport.h"

#include "platform/report/Render.h"
#include "platform/report/Report.h"
#include "platform/report/ui/ReportPrint.h"

#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <regex>

using namespace kroyna::report;

namespace {

std::string run(const std::string& cmd) { return kroyna::testing::commandOutput(cmd); }

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

// Printing to a PDF file starts in the folder of the last PDF, with the
// report's title as the name, rather than in the home folder every time.
TEST(Printing, PdfFileIsOfferedInTheLastPdfFolder) {
  QTemporaryDir dir;
  QString stored;
  setPdfFolderMemory({[&] { return stored; }, [&](const QString& f) { stored = f; }});
  QPrinter first;
  suggestPdfFile(first, QStringLiteral("Карты раскроя"));
  EXPECT_TRUE(first.outputFileName().isEmpty());  // nothing remembered yet

  first.setOutputFileName(dir.filePath(QStringLiteral("сегодня.pdf")));
  rememberPdfFolder(first);
  EXPECT_EQ(stored, dir.path());

  QPrinter next;
  suggestPdfFile(next, QStringLiteral("Карты раскроя"));
  QPrintDialog dialog(&next);
  auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->text(), dir.filePath(QStringLiteral("Карты раскроя.pdf")));
  EXPECT_EQ(suggestedPdfPath(QStringLiteral("a/b")), dir.filePath(QStringLiteral("a_b.pdf")));
  setPdfFolderMemory({});
}
