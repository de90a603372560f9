// The example order of a first start, laid out and printed: the statistics
// report, the material consumption report and a sheet of part labels as
// PDF files, read back with pdftotext. With KROYNA_REPORTS_OUT set, the
// PDF files are also kept in that folder (for pictures of them).

#include "common/settings/SettingsValues.h"
#include "maps/MapsTestSupport.h"
#include "platform/dbase/DbfFile.h"
#include "platform/report/Render.h"
#include "platform/text/Literals.h"
#include "reports/Labels.h"
#include "reports/StatisticsReports.h"
#include "run/CuttingRunTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace kroyna::reports {
namespace {

using run::test::RunFolder;

using text::u;

// The catalogues of the data root as the maps see them.
struct ExampleEnvironment : maps::testing::FakeEnvironment {
  explicit ExampleEnvironment(const RunFolder& f) {
    const auto types = dbase::readDbfFile(f.path(QStringLiteral("Sheets/Types.dbf")).toStdString());
    for (const auto& r : types.records)
      materials[static_cast<int>(r.values[1].number())] = QString::fromStdString(r.values[0].text());
    const auto borders = dbase::readDbfFile(f.path(QStringLiteral("Sheets/Borders.dbf")).toStdString());
    for (const auto& r : borders.records)
      edges[static_cast<int>(r.values[0].number())] = {static_cast<std::int32_t>(r.values[2].number()),
                                                       static_cast<int>(r.values[3].number()),
                                                       QString::fromStdString(r.values[1].text())};
  }
};

// The example's materials as the parts window lists them.
parts::CatalogueLists exampleCatalogue() {
  parts::CatalogueLists c;
  c.materials.names = {u("<все материалы>"), u("ЛДСП Белый 16 мм"), u("ЛДСП Дуб сонома 16 мм"), u("ХДФ 3 мм")};
  c.materials.codes = {u("999"), u("1"), u("2"), u("3")};
  return c;
}

QString pdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString writeAndRead(const report::PreparedReport& r, const QString& folder, const char* name) {
  const QString pdf = folder + QLatin1Char('/') + QString::fromLatin1(name);
  report::writePdf(r, pdf);
  const QByteArray keep = qgetenv("KROYNA_REPORTS_OUT");
  if (!keep.isEmpty()) {
    QDir().mkpath(QString::fromLocal8Bit(keep));
    const QString copy = QString::fromLocal8Bit(keep) + QLatin1Char('/') + QString::fromLatin1(name);
    QFile::remove(copy);
    QFile::copy(pdf, copy);
  }
  return pdfText(pdf);
}

class ExampleReports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.prepareError.has_value());
    ASSERT_TRUE(folder.openSource(folder.path(u("Groups/Пример.krb"))));
    folder.setCatalogue(exampleCatalogue());
    maps::MapsWindow* w = folder.run();
    ASSERT_NE(w, nullptr);
    env = std::make_unique<ExampleEnvironment>(folder);
    doc = std::make_unique<maps::MapsDocument>(*env);
    for (const maps::SheetMap& m : w->document().maps()) doc->appendStoredMap(m);
    ASSERT_GE(doc->mapCount(), 2);
  }
  QString reports(const char* name) const { return folder.path(u("Reports/") + QString::fromLatin1(name)); }

  RunFolder folder{true};
  std::unique_ptr<ExampleEnvironment> env;
  std::unique_ptr<maps::MapsDocument> doc;
};

TEST_F(ExampleReports, StatisticsReportShowsEveryMapAndTheTotals) {
  ReportPage page;
  page.margins = {10, 10, 10, 10};
  const QString text = writeAndRead(prepareStatisticsReport(*doc, reports("Statistic.frf"), page),
                                    folder.path(QStringLiteral("Temp")), "statistics.pdf");
  EXPECT_TRUE(text.contains(u("Статистика раскроя"))) << text.toStdString();
  for (int i = 1; i <= doc->mapCount(); ++i) EXPECT_TRUE(text.contains(u("Карта %1").arg(i))) << i;
  EXPECT_TRUE(text.contains(u("ЛДСП Белый 16 мм")));
  EXPECT_TRUE(text.contains(u("ЛДСП Дуб сонома 16 мм")));
  EXPECT_TRUE(text.contains(u("Расход кромки:")));
  EXPECT_TRUE(text.contains(u("ПВХ 2 мм дуб сонома: ")));
  EXPECT_TRUE(text.contains(u("---------")));
  // The totals line of the cuts is the sum over the maps, Quantity times.
  long long cuts = 0;
  for (const maps::SheetMap& m : doc->maps()) cuts += static_cast<long long>(m.Quantity) * m.MillLinesCount;
  EXPECT_TRUE(text.contains(u("Общее кол-во резов: %1").arg(cuts))) << text.toStdString();
  const maps::MapTotals t = doc->totals();
  const QString lost = u("Бесполезный отход: ") + maps::formatArea(t.lost, 3) + u(" кв м (") +
                       statisticsPercent(t.lost, t.sheetArea, 2) + u("%)");
  EXPECT_TRUE(text.contains(lost)) << lost.toStdString() << "\n" << text.toStdString();
}

TEST_F(ExampleReports, MaterialConsumptionReportHasEveryMaterialOfTheMaps) {
  const QString text = writeAndRead(prepareMaterialSummaryReport(*doc, reports("ScrapsInfo.frf"), {}),
                                    folder.path(QStringLiteral("Temp")), "materials.pdf");
  EXPECT_TRUE(text.contains(u("Статистика по расходу материалов"))) << text.toStdString();
  const std::vector<maps::MaterialSummaryRow> rows = doc->materialSummary();
  ASSERT_EQ(rows.size(), 2u);
  // "ЛДСП Белый" sorts before "ЛДСП Дуб", and the report keeps that order.
  EXPECT_LT(text.indexOf(u("ЛДСП Белый 16 мм")), text.indexOf(u("ЛДСП Дуб сонома 16 мм")));
  for (const maps::MaterialSummaryRow& r : rows) {
    EXPECT_TRUE(text.contains(QString::fromStdString(common::areaText(r.scrap, 3)))) << r.name.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(common::areaText(r.lost, 3)))) << r.name.toStdString();
  }
}

TEST_F(ExampleReports, PartLabelSheetHasOneLabelPerPiece) {
  const LabelCount count = countLabels(*doc, LabelKind::Parts);
  const std::vector<Label> labels = mapLabels(*doc, LabelKind::Parts);
  long long ordered = 0;
  for (const parts::PartRow& r : folder.source().document().allRows()) ordered += r.quantity;
  EXPECT_EQ(count.count, ordered);
  ASSERT_EQ(static_cast<long long>(labels.size()), ordered);

  LabelSettings s;
  s.width = 63;
  s.height = 30;
  s.font = {"DejaVu Sans", 8, false, false, 204};
  ReportPage page;
  page.margins = {10, 10, 10, 10};
  const report::PreparedReport sheet = prepareLabelSheet(labels, s, LabelKind::Parts, reports("ScrapsLbl.frf"), page);
  const QString text = writeAndRead(sheet, folder.path(QStringLiteral("Temp")), "part-labels.pdf");
  // Every piece has its label: six plinth rails, two tall fronts.
  EXPECT_EQ(text.count(u("Царга")), 6) << text.toStdString();
  EXPECT_EQ(text.count(u("Фасад пенала")), 2);
  EXPECT_EQ(text.count(u("Кухня (пример)")), ordered);
  EXPECT_TRUE(text.contains(u("л: ПВХ 2 мм дуб сонома")));
  EXPECT_TRUE(text.contains(u("в: ПВХ 0,4 мм белая")) || text.contains(u("л: ПВХ 0,4 мм белая")));
}

}  // namespace
}  // namespace kroyna::reports
