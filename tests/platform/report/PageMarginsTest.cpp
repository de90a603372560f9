#include "ReportTestSupport.h"

#include "platform/report/Render.h"
#include "platform/report/Report.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace kroyna::report;

namespace {

class PageMargins : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureApp(); }
};

// A table drawn for margins of 10 mm (684 units wide on A4), a label band
// of fixed columns and a rule that follows the page width.
const char* const kTable = R"(<report><page paper="A4" left="36" top="36" right="36" bottom="36"/>
    <band kind="pageHeader" height="20">
      <object class="text" name="HName" x="0" width="400" height="20" frame="15"><text>Наименование</text></object>
      <object class="text" name="HMany" x="400" width="284" height="20" frame="15"><text>Количество</text></object>
      <object class="line" name="Rule" x="0" y="19" width="PAGE_WIDTH" height="0"/>
    </band>
    <band kind="masterData" height="18">
      <object class="text" name="Name" x="0" width="400" height="18" frame="15"><text>[NAME]</text></object>
      <object class="text" name="Many" x="400" width="284" height="18" frame="15" align="right"><text>[MANY]</text></object>
    </band></report>)";

const ReportObject* named(const PreparedPage& page, const std::string& name) {
  for (const auto& o : page.objects)
    if (o->name == name) return o.get();
  return nullptr;
}

PreparedReport table(double marginMm) {
  Report report;
  report.setTemplate(Template::parse(kTable, QStringLiteral("table")));
  report.setMarginsMm(marginMm, marginMm, marginMm, marginMm);
  static RowsRecordSource rows({"NAME", "MANY"});
  if (rows.rowCount() == 0) rows.addRow({Value::text("Боковина"), Value::number(2)});
  report.setDataSource(&rows);
  return report.prepare();
}

}  // namespace

TEST_F(PageMargins, BandsNarrowToThePageLessItsMarginsAndKeepTheirColumnsInLine) {
  const double paper = 210 * kUnitsPerMm;
  const PreparedReport wide = table(15);
  ASSERT_EQ(wide.pageCount(), 1);
  const PreparedPage& page = wide.pages[0];
  const double left = mmToUnits(15), right = paper - mmToUnits(15);
  for (const auto& o : page.objects) {
    EXPECT_GE(o->x, left - 1e-6) << o->name;
    EXPECT_LE(o->x + o->width, right + 1e-6) << o->name;
  }
  // The table reaches the right margin, and header and row columns match.
  EXPECT_NEAR(named(page, "HMany")->x + named(page, "HMany")->width, right, 1e-6);
  EXPECT_NEAR(named(page, "HMany")->x, named(page, "Many")->x, 1e-6);
  EXPECT_NEAR(named(page, "Name")->width, named(page, "HName")->width, 1e-6);
  EXPECT_LT(named(page, "Name")->width, 400);
  // The rule given by the page width is not narrowed twice.
  EXPECT_NEAR(named(page, "Rule")->width, right - left, 1e-6);

  // Where the table fits, it keeps the sizes it was drawn with.
  const PreparedReport fits = table(5);
  EXPECT_DOUBLE_EQ(named(fits.pages[0], "Name")->width, 400);
  EXPECT_DOUBLE_EQ(named(fits.pages[0], "HMany")->x, mmToUnits(5) + 400);
}

TEST_F(PageMargins, LabelColumnsKeepTheirExactSize) {
  Report report;
  report.setTemplate(Template::parse(R"(<report><page paper="A4"/>
      <band kind="masterData" height="100" columnWidth="250">
        <object class="rect" name="Cell" width="250" height="100"/>
      </band></report>)",
                                     QStringLiteral("labels")));
  report.setMarginsMm(15, 15, 15, 15);
  int n = 0;
  DrivenRecordSource src = DrivenRecordSource::counted(4, &n);
  report.setDataSource(&src);
  const PreparedReport r = report.prepare();
  ASSERT_GE(r.pages[0].objects.size(), 2u);
  EXPECT_DOUBLE_EQ(r.pages[0].objects[0]->width, 250);
  EXPECT_DOUBLE_EQ(r.pages[0].objects[1]->x, mmToUnits(15) + 250);  // two to a row: 648 / 250
}

TEST_F(PageMargins, APrinterBorderWiderThanTheMarginsFitsThePageInside) {
  const PreparedReport none = table(0);
  const PreparedPage& page = none.pages[0];
  const QRectF paper(QPointF(0, 0), page.size);
  const double border = 5 * kUnitsPerMm;
  const QRectF printable = paper.adjusted(border, border, -border, -border);

  const PagePlacement at = placeOnPrintableArea(page, printable);
  const QRectF content = contentBounds(page);
  const QRectF placed(at.offset + content.topLeft() * at.scale, content.size() * at.scale);
  EXPECT_LT(at.scale, 1);
  EXPECT_TRUE(printable.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(placed))
      << placed.x() << " " << placed.y() << " " << placed.right() << " " << placed.bottom();
  // Nothing is lost at the left edge where the table touched the paper.
  EXPECT_NEAR(placed.left(), printable.left(), 1e-6);

  // Margins of 15 mm lie inside the border: the page prints as it is.
  const PreparedReport wide = table(15);
  const PagePlacement same = placeOnPrintableArea(wide.pages[0], printable);
  EXPECT_DOUBLE_EQ(same.scale, 1);
  EXPECT_EQ(same.offset, QPointF(0, 0));
}

// The title of the stock list, 14 pt bold in a frame 22 units high, with
// "Arial" replaced by whatever font stands in for it: its ink must lie
// inside the frame, not reach the frame's edge where it would be cut, on
// the screen at any zoom and on a PDF's resolution alike.
TEST_F(PageMargins, TextTallerThanItsFrameKeepsItsInkInside) {
  for (VAlign valign : {VAlign::Top, VAlign::Center, VAlign::Bottom}) {
    for (double scale : {96 / kUnitsPerInch, 2 * 96 / kUnitsPerInch, 300 / kUnitsPerInch}) {
      PreparedPage page;
      page.size = QSizeF(400, 60);
      auto title = std::make_unique<TextObject>();
      title->x = 10;
      title->y = 20;
      title->width = 380;
      title->height = 22;
      title->font.size = 14;
      title->font.bold = true;
      title->align = HAlign::Center;
      title->valign = valign;
      title->shown = QStringLiteral("База стандартных листов");
      title->layout();
      page.objects.push_back(std::move(title));

      QImage image(qRound(400 * scale), qRound(60 * scale), QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter p(&image);
        renderPage(p, page, scale);
      }
      int first = -1, last = -1;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (qGray(image.pixel(x, y)) < 160) {
            if (first < 0) first = y;
            last = y;
            break;
          }
      const std::string at = "valign " + std::to_string(static_cast<int>(valign)) + ", scale " + std::to_string(scale);
      ASSERT_GE(first, 0) << at;
      // A cut line of ink sits on the frame's edge row; whole glyphs end before it.
      EXPECT_GT(first, static_cast<int>(20 * scale) + 1) << at;
      EXPECT_LT(last, static_cast<int>(42 * scale) - 1) << at;
      // Descenders are drawn: the ink is taller than capitals alone.
      EXPECT_GT(last - first, 14 * kUnitsPerInch / 72 * 0.85 * scale) << at;
    }
  }
}
