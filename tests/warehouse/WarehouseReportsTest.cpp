#include "StockFixture.h"

#include "warehouse/ui/WarehouseReports.h"

#include "platform/report/Render.h"
#include "platform/report/ui/PreviewWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace kroyna::warehouse {
namespace {

using testing::StockFolder;

const QString kReports = QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports");

bool shows(const report::PreparedReport& r, const QString& text) { return !r.find(text).empty(); }

TEST(WarehouseReports, StockListsShowTheRowsOfTheCatalogueMaterials) {
  StockFolder f;
  f.storeSheet(2800, 2070, 12, 3);
  f.storeSheet(1830, 2440, 5, 4);
  f.storeOffcut({"A-17", 600, 400, 2, 3});
  f.storeOffcut({"LOST-9", 600, 400, 1, 77});
  auto m = f.openModule();
  const ReportPageSetup page{true, {10, 10, 10, 10}};

  const report::PreparedReport sheets = prepareStockList(*m, StockKind::Sheets, 3, kReports, page);
  EXPECT_EQ(sheets.title, "База стандартных листов");
  EXPECT_TRUE(shows(sheets, "2070"));
  EXPECT_TRUE(shows(sheets, "ДСП 16 белый"));
  EXPECT_FALSE(shows(sheets, "2440"));  // another material
  EXPECT_TRUE(shows(sheets, QString::fromStdString(dbase::Date::today().toString())));
  ASSERT_GE(sheets.pageCount(), 1);
  EXPECT_GT(sheets.pages[0].size.width(), sheets.pages[0].size.height());  // landscape

  const report::PreparedReport scraps = prepareStockList(*m, StockKind::Scraps, kAllMaterials, kReports, page);
  EXPECT_EQ(scraps.title, "База остатков");
  EXPECT_TRUE(shows(scraps, "A-17"));
  EXPECT_TRUE(shows(scraps, "01.03.2005"));
  EXPECT_FALSE(shows(scraps, "LOST-9"));  // its material is not in the catalogue

  const report::PreparedReport info = prepareWarehouseInfo(*m, kReports, {});
  EXPECT_EQ(info.title, "Статистика склада");
  EXPECT_TRUE(shows(info, "ДВП 3"));        // a material without stock has its row
  EXPECT_TRUE(shows(info, "69.552 кв м"));  // 2.8 x 2.07 x 12
  EXPECT_TRUE(shows(info, "0.480 кв м"));   // offcuts of material 3
}

// The printed stock list with margins of 15 mm, as a PDF turned back into
// a picture: nothing lies in the margins, the table reaches the right
// margin (it is narrowed to the page, not cut by the paper's edge), and
// the title keeps its descenders.
TEST(WarehouseReports, TheStockListKeepsItsMarginsAndWholeTitle) {
  StockFolder f;
  f.storeSheet(2800, 2070, 12, 3);
  auto m = f.openModule();
  const report::PreparedReport sheets =
      prepareStockList(*m, StockKind::Sheets, 3, kReports, ReportPageSetup{false, {15, 15, 15, 15}});
  testing::TempDir dir;
  const std::string pdf = (dir.path() / "sheets.pdf").string();
  report::writePdf(sheets, QString::fromStdString(pdf));
  const int dpi = 150;
  const std::string png = (dir.path() / "page").string();
  ASSERT_EQ(std::system(("pdftoppm -r " + std::to_string(dpi) + " -gray -png -singlefile '" + pdf + "' '" + png +
                         "' 2>/dev/null")
                            .c_str()),
            0);
  const QImage page(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(page.isNull());
  const double px = dpi / 25.4;  // pixels per millimetre
  ASSERT_NEAR(page.width(), 210 * px, 2);
  auto inkIn = [&](double x0, double y0, double x1, double y1) {  // millimetres
    int rows = 0;
    for (int y = std::max(0, int(y0 * px)); y < std::min(page.height(), int(y1 * px)); ++y)
      for (int x = std::max(0, int(x0 * px)); x < std::min(page.width(), int(x1 * px)); ++x)
        if (qGray(page.pixel(x, y)) < 200) {
          ++rows;
          break;
        }
    return rows;
  };
  // Frame lines are centred on the edge of the printable area: half a
  // pen width, well under 0.3 mm, is allowed outside.
  const double pen = 0.3;
  EXPECT_EQ(inkIn(0, 0, 15 - pen, 297), 0) << "left margin";
  EXPECT_EQ(inkIn(195 + pen, 0, 210, 297), 0) << "right margin";
  EXPECT_EQ(inkIn(0, 0, 210, 15 - pen), 0) << "top margin";
  EXPECT_EQ(inkIn(0, 282 + pen, 210, 297), 0) << "bottom margin";
  EXPECT_GT(inkIn(194, 15, 195 + pen, 282), 0) << "the table ends at the right margin";

  // The title, 22 units (6.1 mm) high from the top margin, centred; the
  // date is below it on the right.
  const double titleBottom = 15 + 22 / report::kUnitsPerMm;
  EXPECT_GT(inkIn(40, 15, 150, titleBottom), 0);
  EXPECT_EQ(inkIn(40, titleBottom - 0.25, 150, titleBottom), 0) << "the title is cut at the bottom";

  // The same report in the preview, for the documentation when asked to
  // (KROYNA_SCREENSHOT_DIR, under a real display).
  report::PreviewWindow preview(sheets, report::PreviewExport::All);
  EXPECT_EQ(preview.windowTitle(), "База стандартных листов");
  const QString shots = qEnvironmentVariable("KROYNA_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    preview.resize(900, 760);
    preview.show();
    QApplication::processEvents();
    preview.fitWidth();
    QApplication::processEvents();
    preview.grab().save(shots + "/stock-report-15mm.png");
  }
}

TEST(WarehouseReports, AMissingTemplateThrows) {
  StockFolder f;
  auto m = f.openModule();
  EXPECT_ANY_THROW(prepareStockList(*m, StockKind::Sheets, kAllMaterials, "/nonexistent", {}));
}

}  // namespace
}  // namespace kroyna::warehouse
