// Part and offcut labels printed to PDF from a maps window's commands, and
// read back by other programs: every barcode, rendered at 300 dpi, decodes
// to its label's identifier (zbar for Code 128 and QR, libdmtx for
// DataMatrix), and every word of the text lies inside its label's frame.

#include "platform/report/Render.h"
#include "reports/ReportsProgram.h"
#include "support/PdfReaders.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace kroyna::reports {
namespace {

using testing::Messages;
using testing::Previews;
using testing::Program;
using testing::u;

constexpr int kEdge = 4117;  // an edge of the example's catalogue

maps::MapPart part(const char* title, std::int32_t length, std::int32_t width, std::int32_t row, bool turned = false) {
  maps::MapPart p;
  p.Title = title;
  p.length = length;
  p.width = width;
  p.Row = row;
  p.Turned = turned;
  return p;
}

maps::MapOffcut offcut(const char* code, bool useful = true) {
  maps::MapOffcut o;
  o.ScrapType = useful ? maps::stNormalScrap : maps::stLostScrap;
  o.ScrapName = code;
  o.length = 900;
  o.width = 400;
  return o;
}

// The maps a run of the example's "Пример.krb" leaves: parts with their
// rows (a rail laid out turned), useful offcuts with codes and a waste
// piece; the first map cut twice. Nine part labels, five offcut labels.
maps::MapsWindow* exampleMaps(Program& p) {
  maps::MapsWindow* w = maps::openMapsWindow(p.main());
  maps::SheetMap a;
  a.MaterialCode = 1;
  a.length = 2800;
  a.width = 2070;
  a.Quantity = 2;
  a.Remark = "Кухня (пример), заказ 118";
  maps::MapPart side = part("Бок навесной", 720, 300, 0);
  side.TopBorder = kEdge;
  maps::MapPart rail = part("Царга", 100, 568, 5, true);
  rail.LeftBorder = kEdge;  // the rail's top edge, turned to the left
  maps::MapPart shelf = part("Полка навесная", 560, 280, 2);
  shelf.TopBorder = kEdge;
  a.Parts = {side, side, rail, shelf};
  a.Offcuts = {offcut("О-12"), offcut("О-13"), offcut("", false)};
  maps::SheetMap b = a;
  b.MaterialCode = 2;
  b.Quantity = 1;
  b.Parts = {part("Фасад навесной", 716, 396, 9)};
  b.Offcuts = {offcut("О-14")};
  w->document().appendStoredMap(a);
  w->document().appendStoredMap(b);
  w->document().setCaption(u("Вариант раскроя 1: \"База деталей: Пример.krb\""));
  w->refreshFromDocument();
  p.activate(w);
  return w;
}

const QStringList kPartIds = {u("Пример-1-1"), u("Пример-1-2"), u("Пример-1-3"), u("Пример-1-4"), u("Пример-6-1"),
                              u("Пример-6-2"), u("Пример-3-1"), u("Пример-3-2"), u("Пример-10-1")};
const QStringList kOffcutIds = {u("О-12"), u("О-12"), u("О-13"), u("О-13"), u("О-14")};

// Prints the labels of one command with the barcode and sheet chosen in its
// dialog; the sheet the preview got.
report::PreparedReport printLabels(Program& p, const char* command, int barcode, const char* sheet) {
  Previews previews;
  setLabelDialogRunner([&](LabelDialog& d) {
    auto* sheets = d.findChild<QComboBox*>(QStringLiteral("sheet"));
    sheets->setCurrentIndex(sheets->findData(QString::fromLatin1(sheet)));
    d.findChild<QComboBox*>(QStringLiteral("barcode"))->setCurrentIndex(barcode);
    d.findChild<QPushButton*>(QStringLiteral("printButton"))->click();
  });
  p.trigger(command);
  setLabelDialogRunner({});
  EXPECT_EQ(previews.shown.size(), 1u);
  return previews.shown.empty() ? report::PreparedReport() : std::move(previews.shown[0]);
}

// Where the objects of a name lie on each page, in PDF points.
std::vector<std::pair<int, QRectF>> placesOf(const report::PreparedReport& r, const char* name) {
  std::vector<std::pair<int, QRectF>> out;
  const double points = 72 / report::kUnitsPerInch;
  for (int i = 0; i < r.pageCount(); ++i)
    for (const auto& o : r.pages[static_cast<std::size_t>(i)].objects)
      if (o->name == name && o->visible)
        out.emplace_back(i, QRectF(o->x * points, o->y * points, o->width * points, o->height * points));
  return out;
}

QStringList sorted(QStringList l) {
  l.sort();
  return l;
}

// The identifiers the barcodes of a PDF decode to.
QStringList decoded(const report::PreparedReport& sheet, report::Symbology kind, const QString& folder) {
  QDir().mkpath(folder);
  const QString pdf = folder + QStringLiteral("/labels.pdf");
  report::writePdf(sheet, pdf);
  const QStringList pages = test::renderPages(pdf, folder);
  QStringList ids;
  if (kind != report::Symbology::DataMatrix) {
    const QString prefix = kind == report::Symbology::Code128 ? u("CODE-128:") : u("QR-Code:");
    for (const QString& s : test::zbarSymbols(pages)) {
      EXPECT_TRUE(s.startsWith(prefix)) << s.toStdString();
      ids << s.mid(s.indexOf(QLatin1Char(':')) + 1);
    }
    return ids;
  }
  // zbar reads no DataMatrix: libdmtx reads each symbol where it was printed.
  for (int page = 0; page < pages.size(); ++page) {
    std::vector<QRectF> areas;
    for (const auto& [on, rect] : placesOf(sheet, "Barcode1"))
      if (on == page) areas.push_back(rect.adjusted(-6, -6, 6, 6));
    ids << test::dataMatrixSymbols(pages[page], areas, folder);
  }
  return ids;
}

class LabelBarcodes : public ::testing::TestWithParam<report::Symbology> {};

TEST_P(LabelBarcodes, EveryPartAndOffcutLabelDecodesToItsIdentifier) {
  if (!test::havePrograms({"pdftoppm", "zbarimg", "dmtxread"})) GTEST_SKIP() << "poppler, zbar or dmtx tools missing";
  const report::Symbology kind = GetParam();
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  exampleMaps(p);
  QTemporaryDir dir;
  // Code 128 carries the identifiers in ASCII.
  auto expected = [&](const QStringList& ids) {
    QStringList out;
    for (const QString& id : ids) out << (kind == report::Symbology::Code128 ? report::asciiForCode128(id) : id);
    return sorted(out);
  };
  EXPECT_EQ(report::asciiForCode128(u("Пример-12-3")), u("Primer-12-3"));

  const report::PreparedReport parts = printLabels(p, "cut.partLabels", static_cast<int>(kind), "a4-3x8-70x37");
  EXPECT_EQ(parts.title, u("Ярлычки деталей"));
  EXPECT_EQ(parts.notice, QString());
  EXPECT_EQ(placesOf(parts, "Barcode1").size(), 9u);
  // Saved from the preview and opened again, the sheet is the same.
  const report::PreparedReport reopened = report::PreparedReport::parse(parts.toXml(), u("labels.kpr"));
  const auto before = placesOf(parts, "Barcode1"), after = placesOf(reopened, "Barcode1");
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].first, before[i].first);
    EXPECT_NEAR(after[i].second.x(), before[i].second.x(), 1e-6);
    EXPECT_NEAR(after[i].second.bottom(), before[i].second.bottom(), 1e-6);
  }
  EXPECT_EQ(sorted(decoded(reopened, kind, dir.filePath(QStringLiteral("parts")))), expected(kPartIds));

  const report::PreparedReport offcuts = printLabels(p, "cut.scrapLabels", static_cast<int>(kind), "roll-58x40");
  EXPECT_EQ(offcuts.title, u("Ярлычки остатков"));
  EXPECT_EQ(offcuts.pageCount(), 5);  // a roll: one label a page
  EXPECT_EQ(sorted(decoded(offcuts, kind, dir.filePath(QStringLiteral("offcuts")))), expected(kOffcutIds));
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u("|")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Symbologies, LabelBarcodes,
                         ::testing::Values(report::Symbology::Code128, report::Symbology::DataMatrix,
                                           report::Symbology::QrCode),
                         [](const auto& info) { return std::string(report::symbologyName(info.param)); });

// ---- Layout ----

// The words of each label, by the frame they lie in; a word outside every
// frame fails the test.
std::vector<QStringList> wordsByLabel(const report::PreparedReport& sheet, const QString& pdf) {
  report::writePdf(sheet, pdf);
  const auto frames = placesOf(sheet, "Frame1");
  std::vector<QStringList> out(frames.size());
  for (const test::PdfWord& w : test::pdfWords(pdf)) {
    std::size_t i = 0;
    while (i < frames.size() &&
           !(frames[i].first == w.page && frames[i].second.adjusted(-0.2, -0.2, 0.2, 0.2).contains(w.box)))
      ++i;
    EXPECT_LT(i, frames.size()) << "outside every frame: " << w.text.toStdString() << " on page " << w.page;
    if (i < frames.size()) out[i] << w.text;
  }
  return out;
}

TEST(LabelLayout, EveryWordInsideItsFrameAndTheEdgesPrintedOrTheLabelsReportedCutShort) {
  if (!test::havePrograms({"pdftotext"})) GTEST_SKIP() << "pdftotext is not installed";
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  exampleMaps(p);
  QTemporaryDir dir;
  // The default size, 45 × 15 mm, with every item on.
  p.ini().writeString("Print_Detals_Label", "Font_Name", "DejaVu Sans");
  for (int barcode : {0, 1, 3}) {
    SCOPED_TRACE(barcode);
    const report::PreparedReport sheet = printLabels(p, "cut.partLabels", barcode, "");
    const std::vector<QStringList> labels = wordsByLabel(sheet, dir.filePath(QStringLiteral("sheet.pdf")));
    ASSERT_EQ(labels.size(), 9u);
    int withoutEdges = 0, ellipsis = 0;
    for (const QStringList& words : labels) {
      const QString text = words.join(QLatin1Char(' '));
      withoutEdges += !words.contains(u("в:"));
      ellipsis += text.contains(QChar(0x2026));
    }
    // Every label but the facade's (which has no edge on its top) shows its
    // edge line, or ends in "…" and the preview counts it.
    const QString notice = sheet.notice;
    if (barcode == 0) {
      EXPECT_EQ(withoutEdges, 1) << notice.toStdString();
      EXPECT_EQ(notice, QString());
    } else {
      EXPECT_GE(ellipsis, withoutEdges - 1);
      EXPECT_TRUE(ellipsis == 0 ? notice.isEmpty()
                                : notice.contains(u("Текст уместился не целиком на ярлычках: %1.").arg(ellipsis)))
          << notice.toStdString();
    }
  }

  // A label too small for a barcode prints without it and says so.
  p.ini().writeInt("Print_Detals_Label", "Width", 20);
  const report::PreparedReport small = printLabels(p, "cut.partLabels", 1, "");
  EXPECT_TRUE(placesOf(small, "Barcode1").empty());
  EXPECT_TRUE(small.notice.contains(u("Штрихкод не уместился на ярлычках: 9."))) << small.notice.toStdString();
  wordsByLabel(small, dir.filePath(QStringLiteral("small.pdf")));
}

}  // namespace
}  // namespace kroyna::reports
