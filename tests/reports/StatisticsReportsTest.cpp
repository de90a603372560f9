// The texts of the statistics report and of the material consumption report,
// from a maps document whose areas are known: a standard sheet of 2 m²
// cut once with edge-banded parts, and a stock offcut of 0.5 m² cut twice
// without edge banding.

#include "maps/MapsTestSupport.h"
#include "platform/text/Literals.h"
#include "reports/StatisticsReports.h"

#include <gtest/gtest.h>

namespace kroyna::reports {
namespace {

using maps::testing::FakeEnvironment;

using text::u;

QString textOf(const std::optional<report::Value>& v) {
  return v ? QString::fromStdString(v->toText()) : QStringLiteral("<none>");
}

maps::MapPart part(const char* title, std::int32_t w, std::int32_t h, std::int32_t left = 0, std::int32_t right = 0,
                   std::int32_t top = 0, std::int32_t bottom = 0) {
  maps::MapPart p;
  p.Title = title;
  p.length = w;
  p.width = h;
  p.LeftBorder = left;
  p.RightBorder = right;
  p.TopBorder = top;
  p.BottomBorder = bottom;
  return p;
}

struct KnownDocument {
  FakeEnvironment env;
  maps::MapsDocument doc{env};

  explicit KnownDocument(int lenDigits) {
    env.len = lenDigits;
    env.sqr = 3;
    env.materials = {{1, u("ЛДСП Белый")}, {2, u("МДФ")}};
    env.order = {1, 2};
    env.edges[10] = {0x00FF00, 5, u("ПВХ 2 мм")};
    env.edges[11] = {0x0000FF, 0, u("Меламин")};

    // 2000 x 1000 = 2 m², once: waste 16.67 %, offcuts 25 %, parts 58.33 %.
    maps::SheetMap a;
    a.MaterialCode = 1;
    a.length = 2000;
    a.width = 1000;
    a.Quantity = 1;
    a.DetalsSquare = 1166600;
    a.ScrapSquare = 500000;
    a.LostSquare = 333400;
    a.TotalSquare = 833400;
    a.MillLinesCount = 5;
    a.MillLinesLength = 12345;
    // Two catalogue edges; edge 99 is not in the catalogue.
    a.Parts = {part("Бок", 600, 400, 11, 11, 10, 0), part("Полка", 300, 200, 0, 0, 99, 0)};
    doc.appendStoredMap(a);

    // A stock offcut 1000 x 500 = 0.5 m², twice, no edge banding.
    maps::SheetMap b;
    b.MaterialCode = 2;
    b.length = 1000;
    b.width = 500;
    b.Quantity = 2;
    b.IsScraps = true;
    b.SheetName = "ОСТ-7";
    b.DetalsSquare = 250000;
    b.ScrapSquare = 50000;
    b.LostSquare = 200000;
    b.TotalSquare = 250000;
    b.MillLinesCount = 3;
    b.MillLinesLength = 2500;
    b.Parts = {part("Фасад", 500, 500)};
    doc.appendStoredMap(b);
  }
};

TEST(StatisticsReport, MapTextsWithTwoLengthDecimals) {
  KnownDocument k(2);
  const StatisticsReportData data(k.doc);
  ASSERT_EQ(data.recordCount(), 2);

  // A standard sheet cut once: no stock name, no count.
  EXPECT_EQ(textOf(data.variable("SHEETINFO", 0)), u("Лист: 2000 x 1000\r (ЛДСП Белый)"));
  // An offcut from stock cut twice: its name and the count.
  EXPECT_EQ(textOf(data.variable("SHEETINFO", 1)), u("Лист (ОСТ-7): 1000 x 500\r (МДФ); Кол-во: 2"));

  EXPECT_EQ(textOf(data.variable("NUMBER", 0)), u("1"));
  EXPECT_EQ(textOf(data.variable("NUMBER", 1)), u("2"));
  EXPECT_EQ(textOf(data.variable("LOSTSCRAP", 0)), u("Бесполезный отход: 0.333 кв м (16.67%)"));
  EXPECT_EQ(textOf(data.variable("SCRAP", 0)), u("Полезный отход: 0.500 кв м (25.00%)"));
  EXPECT_EQ(textOf(data.variable("TOTALSCRAP", 0)), u("Полный отход: 0.833 кв м (41.67%)"));
  EXPECT_EQ(textOf(data.variable("DETALSQUARE", 0)), QString());
  EXPECT_EQ(textOf(data.variable("MILLLINESCOUNT", 0)), u("Количество резов: 5"));
  EXPECT_EQ(textOf(data.variable("MILLLINESLENGTH", 0)), u("Длина резов: 12.35 м"));
  // One sheet, not Quantity sheets: the second map's figures are its own.
  EXPECT_EQ(textOf(data.variable("LOSTSCRAP", 1)), u("Бесполезный отход: 0.200 кв м (40.00%)"));
  EXPECT_EQ(textOf(data.variable("MILLLINESCOUNT", 1)), u("Количество резов: 3"));

  // Two catalogue edges, in order of first use, allowance added; the code
  // the catalogue has not got is left out. A map without edges: nothing.
  EXPECT_EQ(textOf(data.variable("BORDERSLIST", 0)), u("\rРасход кромки: \rПВХ 2 мм: 0.61 м\rМеламин: 0.80 м\r"));
  EXPECT_EQ(textOf(data.variable("BORDERSLIST", 1)), QString());

  // Names are served exactly as written; others get nothing.
  EXPECT_FALSE(data.variable("sheetinfo", 0).has_value());
  EXPECT_FALSE(data.variable("DATE", 0).has_value());
  EXPECT_FALSE(data.variable("SHEETINFO", 2).has_value());
}

TEST(StatisticsReport, TotalsTextWithTwoLengthDecimals) {
  KnownDocument k(2);
  // Totals over both maps, the second counted twice, shares of 3 m² of
  // sheets; edges of the totals keep the code the catalogue has not got.
  EXPECT_EQ(StatisticsReportData(k.doc).totals(), u("---------\r"
                                                    "Бесполезный отход: 0.733 кв м (24.45%)\r"
                                                    "Полезный отход: 0.600 кв м (20.00%)\r"
                                                    "Полный отход: 1.333 кв м (44.45%)\r"
                                                    "Площадь деталей: 1.667 кв м (55.55%)\r"
                                                    "Общее кол-во резов: 11\r"
                                                    "Общая длина резов: 17.35 м\r"
                                                    "\r"
                                                    "Расход кромки: \r"
                                                    "ПВХ 2 мм: 0.61 м\r"
                                                    "Меламин: 0.80 м\r"
                                                    ": 0.30 м\r"));
  EXPECT_EQ(textOf(StatisticsReportData(k.doc).variable("TOTALDATA", 99)), StatisticsReportData(k.doc).totals());
}

TEST(StatisticsReport, NoLengthDecimalsGiveWholePercentagesWhileTheMapsWindowKeepsTwo) {
  KnownDocument k(0);
  const StatisticsReportData data(k.doc);
  EXPECT_EQ(textOf(data.variable("LOSTSCRAP", 0)), u("Бесполезный отход: 0.333 кв м (17%)"));
  EXPECT_EQ(textOf(data.variable("SCRAP", 0)), u("Полезный отход: 0.500 кв м (25%)"));
  EXPECT_EQ(textOf(data.variable("TOTALSCRAP", 0)), u("Полный отход: 0.833 кв м (42%)"));
  EXPECT_EQ(textOf(data.variable("MILLLINESLENGTH", 0)), u("Длина резов: 12 м"));
  EXPECT_EQ(textOf(data.variable("BORDERSLIST", 0)), u("\rРасход кромки: \rПВХ 2 мм: 1 м\rМеламин: 1 м\r"));
  EXPECT_EQ(data.totals(), u("---------\r"
                             "Бесполезный отход: 0.733 кв м (24%)\r"
                             "Полезный отход: 0.600 кв м (20%)\r"
                             "Полный отход: 1.333 кв м (44%)\r"
                             "Площадь деталей: 1.667 кв м (56%)\r"
                             "Общее кол-во резов: 11\r"
                             "Общая длина резов: 17 м\r"
                             "\r"
                             "Расход кромки: \r"
                             "ПВХ 2 мм: 1 м\r"
                             "Меламин: 1 м\r"
                             ": 0 м\r"));
  // The maps window's status line keeps its two decimals.
  EXPECT_EQ(k.doc.statusLine1(0)[1], u("Отход: 0.333 кв м (16.67 %)"));
}

TEST(StatisticsReport, TheMaterialFilterLimitsRecordsAndTotals) {
  KnownDocument k(2);
  k.doc.setMaterialFilter(2);
  const StatisticsReportData data(k.doc);
  ASSERT_EQ(data.recordCount(), 1);
  EXPECT_EQ(data.mapIndex(0), 1);
  EXPECT_EQ(textOf(data.variable("NUMBER", 0)), u("1"));
  EXPECT_EQ(textOf(data.variable("SHEETINFO", 0)), u("Лист (ОСТ-7): 1000 x 500\r (МДФ); Кол-во: 2"));
  // Only the offcut, twice: 1 m² of sheets, no edge banding.
  EXPECT_EQ(data.totals(), u("---------\r"
                             "Бесполезный отход: 0.400 кв м (40.00%)\r"
                             "Полезный отход: 0.100 кв м (10.00%)\r"
                             "Полный отход: 0.500 кв м (50.00%)\r"
                             "Площадь деталей: 0.500 кв м (50.00%)\r"
                             "Общее кол-во резов: 6\r"
                             "Общая длина резов: 5.00 м\r"));
}

TEST(StatisticsReport, ZeroAreasGiveZeroPercentagesInsteadOfDividingByZero) {
  // An empty document.
  FakeEnvironment env;
  maps::MapsDocument empty(env);
  const StatisticsReportData none(empty);
  EXPECT_EQ(none.recordCount(), 0);
  EXPECT_EQ(none.totals(), u("---------\r"
                             "Бесполезный отход: 0.000 кв м (0.00%)\r"
                             "Полезный отход: 0.000 кв м (0.00%)\r"
                             "Полный отход: 0.000 кв м (0.00%)\r"
                             "Площадь деталей: 0.000 кв м (0.00%)\r"
                             "Общее кол-во резов: 0\r"
                             "Общая длина резов: 0.00 м\r"));

  // A map of no area (a damaged file, a sheet of width 0).
  maps::MapsDocument flat(env);
  maps::SheetMap m;
  m.length = 2000;
  m.width = 0;
  m.LostSquare = 10;
  flat.appendStoredMap(m);
  const StatisticsReportData data(flat);
  EXPECT_EQ(textOf(data.variable("LOSTSCRAP", 0)), u("Бесполезный отход: 0.000 кв м (0.00%)"));
  EXPECT_TRUE(data.totals().contains(u("Бесполезный отход: 0.000 кв м (0.00%)")));
  EXPECT_EQ(statisticsPercent(1, 0, 0), u("0"));
}

TEST(MaterialSummaryReport, AllMaterialsWhateverTheFilterInNameOrder) {
  FakeEnvironment env;
  // Codes and names sort differently: 1 Фанера, 2 ДСП, 3 МДФ.
  env.materials = {{1, u("Фанера")}, {2, u("ДСП")}, {3, u("МДФ")}};
  maps::MapsDocument doc(env);
  auto add = [&](int code, int quantity, double scrap, double lost) {
    maps::SheetMap m;
    m.MaterialCode = code;
    m.length = 1000;
    m.width = 1000;
    m.Quantity = quantity;
    m.ScrapSquare = scrap;
    m.LostSquare = lost;
    doc.appendStoredMap(m);
  };
  add(1, 1, 100000, 50000);
  add(3, 2, 250000, 12345);
  add(2, 1, 0, 300000);
  add(1, 3, 10000, 1000);
  doc.setMaterialFilter(3);  // the filter does not narrow this report

  const std::vector<maps::MaterialSummaryRow> rows = doc.materialSummary();
  ASSERT_EQ(rows.size(), 3u);
  auto row = [&](std::size_t i, const char* name) { return textOf(materialSummaryVariable(rows[i], name)); };
  EXPECT_EQ(row(0, "CODE"), u("2"));
  EXPECT_EQ(row(0, "NAME"), u("ДСП"));
  EXPECT_EQ(row(0, "SCRAPS"), u("0.000"));
  EXPECT_EQ(row(0, "LOSTSCRAPS"), u("0.300"));
  EXPECT_EQ(row(1, "code"), u("3"));
  EXPECT_EQ(row(1, "Name"), u("МДФ"));
  EXPECT_EQ(row(1, "scraps"), u("0.500"));
  EXPECT_EQ(row(1, "LostScraps"), u("0.025"));
  // Material 1 over both of its maps, the second three times.
  EXPECT_EQ(row(2, "NAME"), u("Фанера"));
  EXPECT_EQ(row(2, "SCRAPS"), u("0.130"));
  EXPECT_EQ(row(2, "LOSTSCRAPS"), u("0.053"));
  EXPECT_FALSE(materialSummaryVariable(rows[0], "MATERIAL").has_value());
}

}  // namespace
}  // namespace kroyna::reports
