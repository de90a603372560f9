// The map report's data: the parameters text, the parts list and edge
// rows of a map, the filling of the two objects, and the report laid out
// with the shipped template "RskMaps.frf".

#include "platform/report/Render.h"
#include "platform/report/ReportError.h"
#include "platform/report/ui/PreviewWindow.h"
#include "reports/mapprint/MapReport.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace kroyna::reports {
namespace {

const QString kTemplate = QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports/RskMaps.frf");

// Materials 1 "ЛДСП Белый 16 мм"; edges 1 "ПВХ 0,4 мм" (allowance 2,
// red) and 2 "ПВХ 2 мм" (allowance 5, blue).
class TestCatalogue : public MapReportCatalogue {
 public:
  std::string materialName(int code) const override { return code == 1 ? "ЛДСП Белый 16 мм" : ""; }
  bool hasEdge(int code) const override { return code == 1 || code == 2; }
  std::string edgeName(int code) const override { return code == 1 ? "ПВХ 0,4 мм" : code == 2 ? "ПВХ 2 мм" : ""; }
  int edgeAllowance(int code) const override { return code == 1 ? 2 : code == 2 ? 5 : 0; }
  std::int32_t edgeColour(int code) const override { return code == 1 ? 0x0000FF : 0xFF0000; }
};

maps::MapPart part(const char* name, int left, int top, int length, int width, std::array<int, 4> edges = {}) {
  maps::MapPart p;
  p.Title = name;
  p.x = left;
  p.y = top;
  p.length = length;
  p.width = width;
  p.LeftBorder = edges[0];
  p.RightBorder = edges[1];
  p.TopBorder = edges[2];
  p.BottomBorder = edges[3];
  return p;
}

// A 2000 x 1000 sheet of material 1 whose statistics are round numbers.
maps::SheetMap sampleMap(int quantity = 1) {
  maps::SheetMap m;
  m.MaterialCode = 1;
  m.Caption = "1: Лист 1";
  m.length = 2000;
  m.width = 1000;
  m.Quantity = quantity;
  m.MillLinesCount = 5;
  m.MillLinesLength = 12345;
  m.DetalsSquare = 1500000;
  m.ScrapSquare = 300000;
  m.LostSquare = 200000;
  m.TotalSquare = 500000;
  m.Parts = {part("Бок", 0, 0, 720, 560, {1, 0, 2, 2}), part("Бок", 724, 0, 720, 560, {1, 0, 2, 2}),
             part("Полка", 0, 564, 564, 300)};
  maps::MapOffcut useful;
  useful.x = 1448;
  useful.length = 552;
  useful.width = 1000;
  useful.ScrapType = maps::stNormalScrap;
  useful.Text = "Остаток";
  maps::MapOffcut waste = useful;
  waste.x = 568;
  waste.y = 564;
  waste.length = 100;
  waste.width = 20;
  waste.ScrapType = maps::stLostScrap;
  waste.Text = "Отход";
  m.Offcuts = {useful, waste};
  maps::MapCut alongY;
  alongY.x = 720;
  alongY.length = 4;
  alongY.width = 1000;
  alongY.MillOrient = false;
  maps::MapCut alongX;
  alongX.y = 560;
  alongX.length = 1444;
  alongX.width = 4;
  alongX.MillOrient = true;
  m.Cuts = {alongY, alongX};
  return m;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\r', start);
    out.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return out;
    start = end + 1;
  }
}

TEST(MapParams, TheCaptionLineAndEveryStatisticsLine) {
  const TestCatalogue catalogue;
  MapPageParams p;
  maps::SheetMap m = sampleMap();
  m.Remark = "Кухня";
  EXPECT_EQ(lines(mapParamsText(m, p, catalogue, {})),
            (std::vector<std::string>{"<1: Лист 1>  2000 x 1000 (ЛДСП Белый 16 мм)",
                                      "Количество резов: 5 (длина резов: 12.35 м)", "Полный отход: 0.500 кв м (25.00%)",
                                      "Полезный отход: 0.300 кв м (15.00%)", "Бесполезный отход: 0.200 кв м (10.00%)",
                                      "Площадь деталей: 1.500 кв м (75.00%)", "Кухня"}));
  EXPECT_EQ(mapParamsLines(p), 7);

  // Cut four times: the count follows the caption line.
  EXPECT_EQ(lines(mapParamsText(sampleMap(4), p, catalogue, {}))[0],
            "<1: Лист 1>  2000 x 1000 (ЛДСП Белый 16 мм) 4 шт");

  // Each switch leaves out its own line only.
  const std::vector<std::string> all = lines(mapParamsText(sampleMap(), p, catalogue, {}));
  bool MapPageParams::*switches[] = {&MapPageParams::millStat, &MapPageParams::totalWStat, &MapPageParams::usefulWStat,
                                     &MapPageParams::uselessWStat, &MapPageParams::detalStat};
  for (int i = 0; i < 5; ++i) {
    MapPageParams off;
    off.*switches[i] = false;
    std::vector<std::string> expected = all;
    expected.erase(expected.begin() + 1 + i);
    EXPECT_EQ(lines(mapParamsText(sampleMap(), off, catalogue, {})), expected) << i;
    EXPECT_EQ(mapParamsLines(off), 6);
  }

  // The decimals of the settings.
  EXPECT_EQ(lines(mapParamsText(sampleMap(), p, catalogue, {0, 1}))[2], "Полный отход: 1 кв м (25.00%)");
  EXPECT_EQ(lines(mapParamsText(sampleMap(), p, catalogue, {0, 1}))[1], "Количество резов: 5 (длина резов: 12.3 м)");
}

TEST(MapParams, ASheetOfNoSizeShowsZeroPercent) {
  maps::SheetMap m;
  m.Caption = "1: Лист 1";
  m.MaterialCode = 7;  // not in the catalogue: no name
  const std::vector<std::string> l = lines(mapParamsText(m, {}, TestCatalogue(), {}));
  EXPECT_EQ(l[0], "<1: Лист 1>  0 x 0 ()");
  EXPECT_EQ(l[2], "Полный отход: 0.000 кв м (0.00%)");
  EXPECT_EQ(l[5], "Площадь деталей: 0.000 кв м (0.00%)");
}

TEST(MapPartRows, MergedByNameSizeAndAllFourEdgesForOneSheet) {
  maps::SheetMap m = sampleMap(3);                               // Quantity does not count
  m.Parts.push_back(part("Бок", 0, 0, 720, 560, {0, 1, 2, 2}));  // other edges
  m.Parts.push_back(part("Бок", 0, 0, 560, 720, {1, 0, 2, 2}));  // turned
  m.Parts.push_back(part("Бок", 0, 0, 720, 560, {1, 0, 2, 2}));  // the first again
  const std::vector<ListPartRow> rows = mapPartRows(m);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, "Бок");
  EXPECT_EQ(rows[0].count, 3);
  EXPECT_EQ(rows[0].edges, (std::array<std::int32_t, 4>{1, 0, 2, 2}));
  EXPECT_EQ(rows[1].name, "Полка");
  EXPECT_EQ(rows[1].count, 1);
  EXPECT_EQ(rows[2].edges, (std::array<std::int32_t, 4>{0, 1, 2, 2}));
  EXPECT_EQ(rows[3].length, 560);

  EXPECT_EQ(lines(detalsListText(m)),
            (std::vector<std::string>{"Список деталей: ", "", "Бок   720x560   3 шт", "Полка   564x300   1 шт",
                                      "Бок   720x560   1 шт", "Бок   560x720   1 шт"}));
}

TEST(MapEdgeRows, OneSheetsEdgesInOrderOfFirstUseWithAllowances) {
  std::vector<ListPartRow> rows = {
      {"А", 1000, 500, 2, {0, 7, 2, 2}, {}},  // 7 is not in the catalogue
      {"Б", 300, 200, 1, {1, 1, 0, 0}, {}},
      {"В", 400, 100, 1, {0, 0, 1, 0}, {}},
  };
  const std::vector<ListEdgeRow> edges = mapEdgeRows(rows, TestCatalogue());
  ASSERT_EQ(edges.size(), 2u);
  // Edge 2: top and bottom of two parts: 2 x 2 x (1000 + 5).
  EXPECT_EQ(edges[0], (ListEdgeRow{"ПВХ 2 мм", 4020, 2}));
  // Edge 1: left and right of Б, 2 x (200 + 2), and the top of В, 400 + 2.
  EXPECT_EQ(edges[1], (ListEdgeRow{"ПВХ 0,4 мм", 806, 1}));
}

TEST(MapRatio, FitsTheRoomOrSkipsTheScaling) {
  EXPECT_DOUBLE_EQ(mapRatio(2000, 1000, 409, 209), 0.2);   // (409 - 9) / 2000
  EXPECT_DOUBLE_EQ(mapRatio(2000, 1000, 1009, 109), 0.1);  // the height limits
  EXPECT_EQ(mapRatio(0, 1000, 409, 209), 0);
  EXPECT_EQ(mapRatio(2000, 0, 409, 209), 0);
  EXPECT_EQ(mapRatio(2000, 1000, 9, 209), 0);
  EXPECT_EQ(mapRatio(2000, 1000, 409, -50), 0);
}

TEST(MapView, FilledWithTheMapAndTheDrawingStyles) {
  const maps::SheetMap m = sampleMap();
  MapPageParams params;
  params.bordersOnMapsStyle = EdgeLabelNames;
  MapDrawStyles styles;
  styles.parts.truncText = false;
  styles.offcuts.title = false;
  styles.millPen.width = 3;
  MapReportView view;
  view.width = 50;
  view.height = 50;
  fillMapView(view, m, 409, 309, params, styles, TestCatalogue());
  EXPECT_DOUBLE_EQ(view.Ratio, 0.2);
  EXPECT_EQ(view.width, 400);
  EXPECT_EQ(view.height, 200);
  EXPECT_TRUE(view.edgeLabels);
  EXPECT_EQ(view.edgeLabelStyle, 1);
  EXPECT_EQ(view.cutPen.width, 3);
  ASSERT_EQ(view.elements.size(), 7u);  // 3 parts, 2 offcuts, 2 cuts
  const auto& p = dynamic_cast<const MapPartElement&>(*view.elements[0]);
  EXPECT_EQ(p.Title, "Бок");
  EXPECT_FALSE(p.TruncText);
  EXPECT_EQ(p.edges[LeftSide], (EdgeRecord{"ПВХ 0,4 мм", 1}));
  EXPECT_EQ(p.edges[RightSide], (EdgeRecord{"", 0}));
  EXPECT_EQ(p.topBottomLabels(), "[ПВХ 2 мм][ПВХ 2 мм]");
  const auto& useful = dynamic_cast<const MapOffcutElement&>(*view.elements[3]);
  EXPECT_FALSE(useful.useless);
  EXPECT_EQ(useful.Title, "Остаток");
  EXPECT_FALSE(useful.ShowTitle);
  EXPECT_TRUE(dynamic_cast<const MapOffcutElement&>(*view.elements[4]).useless);
  // Cuts on the centre lines of their kerf bands.
  EXPECT_EQ(view.elements[5]->x, 722);
  EXPECT_EQ(view.elements[5]->length, 0);
  EXPECT_EQ(view.elements[5]->width, 1000);
  EXPECT_EQ(view.elements[6]->y, 562);
  EXPECT_EQ(view.elements[6]->width, 0);

  // Without "Рисовать остатки" the useful offcut is missing, the waste stays.
  styles.offcuts.draw = false;
  fillMapView(view, m, 409, 309, params, styles, TestCatalogue());
  ASSERT_EQ(view.elements.size(), 6u);
  EXPECT_TRUE(dynamic_cast<const MapOffcutElement&>(*view.elements[3]).useless);
  styles.parts.draw = styles.waste.draw = styles.millDraw = false;
  fillMapView(view, m, 409, 309, params, styles, TestCatalogue());
  EXPECT_TRUE(view.elements.empty());

  // No room: no ratio, the size stays, nothing is divided by zero.
  fillMapView(view, m, 5, 309, params, styles, TestCatalogue());
  EXPECT_EQ(view.Ratio, 0);
  EXPECT_EQ(view.width, 400);
}

TEST(DetalsListView, FilledFromThePrintDialog) {
  MapPageParams params;
  params.showBorderList = false;
  params.borderListPosition = EdgesAbovePartList;
  params.borderListFormat = EdgeCode;
  params.showOutlineBorderCodes = true;
  params.mapFont.size = 12;
  maps::SheetMap m = sampleMap();
  m.Parts.push_back(part("Очень длинное название детали", 0, 0, 100, 100, {7, 0, 0, 0}));
  PartsListReportView view;
  fillDetalsListView(view, m, params, TestCatalogue(), true);
  EXPECT_TRUE(view.showPartsList);
  EXPECT_FALSE(view.showEdgesList);
  EXPECT_EQ(view.edgesListFirst, 1);
  EXPECT_EQ(view.edgesListFormat, EdgeCode);
  EXPECT_TRUE(view.showSketchCodes);
  EXPECT_EQ(view.font.size, 12);
  ASSERT_EQ(view.partRows.size(), 3u);
  EXPECT_EQ(view.partRows[0].colours, (std::array<std::int32_t, 4>{0x0000FF, 0, 0xFF0000, 0xFF0000}));
  EXPECT_EQ(view.partRows[2].name, "Очень длинное назван");  // 20 characters
  EXPECT_EQ(view.partRows[2].colours[LeftSide], 0);          // code 7 unknown: black
  EXPECT_EQ(view.edgeRows.size(), 2u);

  params.showBlackOutline = true;
  fillDetalsListView(view, m, params, TestCatalogue(), false);
  EXPECT_EQ(view.partRows[0].colours, (std::array<std::int32_t, 4>{}));
  EXPECT_TRUE(view.edgeRows.empty());
}

// ---- the report with the shipped template -------------------------------------

std::vector<maps::SheetMap> threeMaps() {
  std::vector<maps::SheetMap> maps = {sampleMap(), sampleMap(2), sampleMap()};
  maps[1].Caption = "2: Листы 2 - 3";
  maps[2].Caption = "3: Лист 4";
  maps[2].Parts.resize(1);
  return maps;
}

MapReportJob jobFor(const std::vector<maps::SheetMap>& maps, const MapReportCatalogue& catalogue) {
  MapReportJob job;
  job.maps = &maps;
  job.from = 0;
  job.to = static_cast<int>(maps.size()) - 1;
  job.catalogue = &catalogue;
  job.margins = MapReportJob::MarginsMm{10, 10, 10, 10};
  return job;
}

template <class T>
std::vector<const T*> objectsOf(const report::PreparedPage& page) {
  std::vector<const T*> out;
  for (const auto& o : page.objects)
    if (auto* t = dynamic_cast<const T*>(o.get())) out.push_back(t);
  return out;
}

QString pageText(const report::PreparedPage& page) {
  QString all;
  for (const auto& o : page.objects)
    for (const QString& t : o->texts()) all += t + QLatin1Char('\n');
  return all;
}

TEST(MapReport, OneMapAPageWithItsParametersAndPartsList) {
  const std::vector<maps::SheetMap> maps = threeMaps();
  const TestCatalogue catalogue;
  const report::PreparedReport r = prepareMapReport(kTemplate, jobFor(maps, catalogue));
  ASSERT_EQ(r.pageCount(), 3);
  EXPECT_TRUE(r.pages[0].size.width() > r.pages[0].size.height());  // landscape
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const report::PreparedPage& page = r.pages[static_cast<std::size_t>(i)];
    const QString text = pageText(page);
    EXPECT_TRUE(text.contains(QString::fromStdString("<" + maps[static_cast<std::size_t>(i)].Caption + ">")));
    EXPECT_TRUE(text.contains(QStringLiteral("Лист %1 из 3").arg(i + 1)));
    const auto views = objectsOf<MapReportView>(page);
    ASSERT_EQ(views.size(), 1u);
    // The sheet fills the room as far as its proportions let it.
    EXPECT_GT(views[0]->Ratio, 0.2);
    EXPECT_NEAR(views[0]->width / views[0]->height, 2.0, 0.01);
    EXPECT_EQ(views[0]->elements.size(), maps[static_cast<std::size_t>(i)].Parts.size() + 4);
    const auto lists = objectsOf<PartsListReportView>(page);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0]->partRows, [&] {
      std::vector<ListPartRow> rows = mapPartRows(maps[static_cast<std::size_t>(i)]);
      for (ListPartRow& row : rows)
        for (int s = 0; s < 4; ++s) row.colours[s] = row.edges[s] ? catalogue.edgeColour(row.edges[s]) : 0;
      return rows;
    }());
  }
  EXPECT_TRUE(pageText(r.pages[1]).contains(QStringLiteral("2 шт")));
  EXPECT_TRUE(pageText(r.pages[0]).contains(QStringLiteral("Бок [720x560] 2 шт")));
  EXPECT_TRUE(pageText(r.pages[0]).contains(QStringLiteral("ПВХ 2 мм[2]: 2.90м")));
  // The map cut twice lists the edges of one sheet.
  EXPECT_TRUE(pageText(r.pages[1]).contains(QStringLiteral("ПВХ 2 мм[2]: 2.90м")));
}

TEST(MapReport, MapsPerPageRangeAndListsOff) {
  const std::vector<maps::SheetMap> maps = threeMaps();
  const TestCatalogue catalogue;
  MapReportJob job = jobFor(maps, catalogue);
  job.params.position = TwoMapsPerPage;
  report::PreparedReport r = prepareMapReport(kTemplate, job);
  ASSERT_EQ(r.pageCount(), 2);
  EXPECT_EQ(objectsOf<MapReportView>(r.pages[0]).size(), 2u);
  EXPECT_EQ(objectsOf<MapReportView>(r.pages[1]).size(), 1u);

  job.params.position = OtherMapsPerPage;
  job.params.mapQuantity = 3;
  EXPECT_EQ(prepareMapReport(kTemplate, job).pageCount(), 1);

  // Maps 2..3 only; without both lists the list object is left out and
  // the map takes its room.
  job.params.position = OneMapPerPage;
  job.from = 1;
  const double fullWidth = objectsOf<MapReportView>(prepareMapReport(kTemplate, job).pages[0])[0]->width;
  job.params.showDetailList = job.params.showBorderList = false;
  r = prepareMapReport(kTemplate, job);
  ASSERT_EQ(r.pageCount(), 2);
  EXPECT_TRUE(pageText(r.pages[0]).contains(QStringLiteral("<2: Листы 2 - 3>")));
  EXPECT_TRUE(objectsOf<PartsListReportView>(r.pages[0]).empty());
  EXPECT_GT(objectsOf<MapReportView>(r.pages[0])[0]->width, fullWidth);

  // A range past the maps, or no maps at all, prints no map.
  job.from = 5;
  job.to = 9;
  EXPECT_TRUE(objectsOf<MapReportView>(prepareMapReport(kTemplate, job).pages[0]).empty());
  const std::vector<maps::SheetMap> none;
  job.maps = &none;
  job.from = 0;
  job.to = -1;
  EXPECT_TRUE(objectsOf<MapReportView>(prepareMapReport(kTemplate, job).pages[0]).empty());
}

TEST(MapReport, TheTemplatesObjectsMustBeOfTheirClasses) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("RskMaps.frf"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<report><page paper=\"A4\"/><band kind=\"masterData\" height=\"20\">"
      "<object class=\"text\" name=\"Map\" x=\"0\" y=\"0\" width=\"10\" height=\"10\"/></band></report>");
  f.close();
  const std::vector<maps::SheetMap> maps = threeMaps();
  try {
    prepareMapReport(path, jobFor(maps, TestCatalogue()));
    FAIL() << "a text was taken for the map";
  } catch (const report::ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("\"Map\""), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("Карта раскроя"), std::string::npos) << e.what();
  }
  EXPECT_THROW(prepareMapReport(dir.filePath(QStringLiteral("missing.frf")), jobFor(maps, TestCatalogue())),
               report::ReportError);
}

TEST(MapReport, TextsAskForTheMapsValuesByName) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Texts.frf"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<report><page paper=\"A4\"/><variables><variable name=\"MAP_W\" value=\"100\"/></variables>"
      "<band kind=\"masterData\" height=\"200\">"
      "<object class=\"text\" name=\"List\" x=\"0\" y=\"0\" width=\"300\" height=\"100\">"
      "<text>[detalslist]</text></object>"
      "<object class=\"text\" name=\"Params\" x=\"0\" y=\"100\" width=\"300\" height=\"100\">"
      "<text>[MapParams]|[PRNDETALSLIST]|[MAPSPERPAGE]|[MAPPARAMSLINES]|[OTHER]</text></object>"
      "</band></report>");
  f.close();
  const std::vector<maps::SheetMap> maps = {sampleMap(4)};
  const TestCatalogue catalogue;
  MapReportJob job = jobFor(maps, catalogue);
  job.params.showDetailList = job.params.showBorderList = false;
  job.params.detalStat = false;
  const report::PreparedReport r = prepareMapReport(path, job);
  ASSERT_EQ(r.pageCount(), 1);
  QString list, params;
  for (const auto& o : r.pages[0].objects) {
    if (o->name == "List") list = o->texts().join(QString());
    if (o->name == "Params") params = o->texts().join(QString());
  }
  EXPECT_EQ(list, QString::fromStdString(detalsListText(maps[0])).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  EXPECT_TRUE(params.startsWith(QStringLiteral("<1: Лист 1>  2000 x 1000 (ЛДСП Белый 16 мм) 4 шт\n")))
      << params.toStdString();
  EXPECT_TRUE(params.endsWith(QStringLiteral("|0|1|6|"))) << params.toStdString();
}

QImage render(const report::PreparedPage& page) {
  QImage img(static_cast<int>(page.size.width()), static_cast<int>(page.size.height()), QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  report::renderPage(p, page, 1.0);
  return img;
}

TEST(MapReport, ASavedPreparedReportReopensWithTheSamePages) {
  const std::vector<maps::SheetMap> maps = threeMaps();
  const TestCatalogue catalogue;
  MapReportJob job = jobFor(maps, catalogue);
  job.params.showOutlineBorderCodes = true;
  const report::PreparedReport r = prepareMapReport(kTemplate, job);
  QTemporaryDir dir;
  const QString kpr = dir.filePath(QStringLiteral("Карты.kpr"));
  // Saved from the preview and opened in another.
  report::PreviewWindow preview(r, report::PreviewExport::None);
  preview.saveAs(kpr);
  report::PreviewWindow reopened(report::PreparedReport{}, report::PreviewExport::None);
  reopened.openFile(kpr);
  const report::PreparedReport& back = reopened.model().report();
  ASSERT_EQ(back.pageCount(), r.pageCount());
  for (int i = 0; i < r.pageCount(); ++i) {
    SCOPED_TRACE(i);
    const QImage before = render(r.pages[static_cast<std::size_t>(i)]);
    const QImage after = render(back.pages[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(before == after);
    // Something was drawn besides the texts: the map's parts and the sketches.
    int dark = 0;
    for (int y = 0; y < before.height(); ++y)
      for (int x = 0; x < before.width(); ++x) dark += qGray(before.pixel(x, y)) < 128;
    EXPECT_GT(dark, 2000);
  }
}

TEST(MapReport, AReportSavedEarlierStillOpensWithItsMap) {
  registerMapReportObjects();
  const report::PreparedReport r =
      report::PreparedReport::read(QStringLiteral(KROYNA_TEST_DATA_DIR "/report/MapReport.kpr"));
  ASSERT_EQ(r.pageCount(), 1);
  const auto views = objectsOf<MapReportView>(r.pages[0]);
  ASSERT_EQ(views.size(), 1u);
  ASSERT_EQ(views[0]->elements.size(), 5u);
  const auto& part = dynamic_cast<const MapPartElement&>(*views[0]->elements[0]);
  EXPECT_EQ(part.Title, "Бок");
  EXPECT_EQ(part.edges[TopSide], (EdgeRecord{"ПВХ 2 мм", 2}));
  EXPECT_TRUE(dynamic_cast<const MapOffcutElement&>(*views[0]->elements[2]).useless);
  EXPECT_EQ(views[0]->elements[3]->x, 802);
  const auto lists = objectsOf<PartsListReportView>(r.pages[0]);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0]->partLines(), std::vector<std::string>{"Бок [800x600] 1 шт"});
  EXPECT_EQ(lists[0]->edgeLines(), (std::vector<std::string>{"ПВХ 2 мм[2]: 1.60м", "ПВХ 0,4 мм[1]: 0.60м"}));
}

}  // namespace
}  // namespace kroyna::reports
