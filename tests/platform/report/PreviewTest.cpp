#include "ReportTestSupport.h"

#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/ui/PreviewWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

PreparedReport partsReport(int rows) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  RowsRecordSource src({"NAME", "LENGTH", "WIDTH", "MANY", "MATNAME"});
  for (int i = 1; i <= rows; ++i)
    src.addRow({Value::text("Деталь " + std::to_string(i)), Value::number(500), Value::number(300), Value::number(1),
                Value::text("ДСП")});
  report.setDataSource(&src);
  report.setVariable("BASENAME", Value::text("Шкаф"));
  return report.prepare();
}

class Preview : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureApp(); }
};

}  // namespace

TEST_F(Preview, ModelLaysPagesOutAndZooms) {
  PreviewModel m(partsReport(150));
  ASSERT_GE(m.report().pageCount(), 3);
  const double dpi = 96;
  const QRectF p0 = m.pageRect(0, dpi), p1 = m.pageRect(1, dpi);
  EXPECT_NEAR(p0.width(), 210 / 25.4 * dpi, 0.01);
  EXPECT_NEAR(p1.top(), p0.bottom() + PreviewModel::kGap, 1e-9);
  EXPECT_EQ(m.pageAt(p1.center().y(), dpi), 1);
  EXPECT_EQ(m.pageAt(1e9, dpi), m.report().pageCount() - 1);
  EXPECT_TRUE(m.pageRect(99, dpi).isNull());

  m.zoomIn();
  EXPECT_DOUBLE_EQ(m.zoom(), 1.25);
  m.zoomOut();
  m.zoomOut();
  EXPECT_DOUBLE_EQ(m.zoom(), 0.75);
  m.setZoom(1000);
  EXPECT_DOUBLE_EQ(m.zoom(), PreviewModel::kMaxZoom);
  const double fit = m.fitWidthZoom(800 + 2 * PreviewModel::kGap, dpi);
  m.setZoom(fit);
  EXPECT_NEAR(m.pageRect(0, dpi).width(), 800, 0.01);
}

TEST_F(Preview, FindGoesThroughHitsAndWrapsRound) {
  PreviewModel m(partsReport(150));
  EXPECT_FALSE(m.findNext(QStringLiteral("нет такого")));
  EXPECT_FALSE(m.currentHit());
  // "шапка" is on every page, whatever the letter case.
  const int pages = m.report().pageCount();
  for (int i = 0; i < pages; ++i) {
    ASSERT_TRUE(m.findNext(QStringLiteral("шапка")));
    EXPECT_EQ(m.currentHit()->page, i);
  }
  ASSERT_TRUE(m.findNext(QStringLiteral("шапка")));
  EXPECT_EQ(m.currentHit()->page, 0);
  ASSERT_TRUE(m.findNext(QStringLiteral("Деталь 150")));
  EXPECT_EQ(m.currentHit()->page, pages - 1);
  EXPECT_FALSE(m.hitRect(96).isEmpty());
}

TEST_F(Preview, WindowSavesReopensAndOffersOnlyAskedExports) {
  PreviewWindow w(partsReport(100), PreviewExport::Csv | PreviewExport::Rtf);
  w.show();
  QApplication::processEvents();
  EXPECT_EQ(w.saveFilters().size(), 4);
  EXPECT_TRUE(w.saveFilters().join(QLatin1Char(' ')).contains(QLatin1String("*.csv")));
  EXPECT_FALSE(w.saveFilters().join(QLatin1Char(' ')).contains(QLatin1String("*.html")));

  QTemporaryDir dir;
  w.saveAs(dir.filePath(QStringLiteral("r.kpr")));
  w.saveAs(dir.filePath(QStringLiteral("r.pdf")));
  w.saveAs(dir.filePath(QStringLiteral("r.csv")));
  EXPECT_THROW(w.saveAs(dir.filePath(QStringLiteral("r.html"))), ReportError);
  EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("r.pdf"))).size(), 1000);

  PreviewWindow other(PreparedReport{}, PreviewExport::None);
  other.openFile(dir.filePath(QStringLiteral("r.kpr")));
  EXPECT_EQ(other.model().report().toXml(), w.model().report().toXml());
  EXPECT_THROW(other.openFile(dir.filePath(QStringLiteral("missing.kpr"))), ReportError);
  // A failed open keeps the report that was shown.
  EXPECT_EQ(other.model().report().pageCount(), w.model().report().pageCount());

  ASSERT_TRUE(w.findNext(QStringLiteral("Деталь 100")));
  auto* scroll = w.findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_GT(scroll->verticalScrollBar()->value(), 0);
  w.fitWidth();
  EXPECT_GT(w.model().zoom(), 0);
}
