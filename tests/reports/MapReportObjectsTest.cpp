// The cutting map and parts list report objects: how the texts inside a
// part are laid out, what the objects keep in their streams, and how a
// damaged stream is refused.

#include "platform/report/PreparedReport.h"
#include "platform/report/ReportError.h"
#include "platform/report/Template.h"
#include "reports/mapprint/MapReportObjects.h"
#include "reports/mapprint/MapReportStream.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace kroyna::reports {
namespace {

// ---- the layout of the texts inside a part ----------------------------------

// Text 10 high, every character 6 wide.
TextMetrics fixedMetrics() {
  TextMetrics m;
  m.lineHeight = 10;
  m.width = [](const std::string& s) {
    std::size_t chars = 0;
    for (char c : s) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return 6.0 * static_cast<double>(chars);
  };
  return m;
}

TEST(MapTextLayout, EachLayoutWhereTheRulesPutIt) {
  // A title 50 wide, both numbers 20 wide, "x" 5 wide, lines 10 high.
  auto measures = [](double w, double h) {
    TextMeasures m;
    m.w = w;
    m.h = h;
    m.th = 10;
    m.tw = 50;
    m.hw = 20;
    m.ww = 20;
    m.xw = 5;
    return m;
  };
  // Room for the title on top, the length below and the width at the side.
  EXPECT_EQ(chooseTextLayout(measures(100, 100), true, true), TextLayout::Standard);
  // Too low for the width at the side (30 - 20 < 20), wide enough for
  // "title LxW" on one line (50 + 20 + 20 + 5 + 5 = 100).
  EXPECT_EQ(chooseTextLayout(measures(100, 30), true, true), TextLayout::OneLineHorizontal);
  // 80 wide: not one line, but the title (50) and the size (45) each fit
  // and two lines (20) fit in 30.
  EXPECT_EQ(chooseTextLayout(measures(80, 30), true, true), TextLayout::TwoLineHorizontal);
  // Narrower than the title: the whole text (100) turned along a part 120 long.
  EXPECT_EQ(chooseTextLayout(measures(40, 120), true, true), TextLayout::OneLineVertical);
  // 60 long: the title (50) and the size (45) on two turned lines; 40 > 2 lines.
  EXPECT_EQ(chooseTextLayout(measures(40, 60), true, true), TextLayout::TwoLineVertical);

  // Nothing fits: the standard layout when the title does (w >= tw) ...
  EXPECT_EQ(chooseTextLayout(measures(50, 15), true, true), TextLayout::Standard);
  // ... else two lines cut off at the edge, or one line running over it.
  EXPECT_EQ(chooseTextLayout(measures(15, 25), true, true), TextLayout::TwoLineHorizontal);
  EXPECT_EQ(chooseTextLayout(measures(15, 25), true, false), TextLayout::OneLineHorizontal);

  // Without the size "x" still counts once, its second count (xd) not:
  // "title " alone fits one line 55 wide (50 + 5), or 61 long turned.
  TextMeasures noDim = measures(55, 15);
  noDim.hw = noDim.ww = 0;
  EXPECT_EQ(chooseTextLayout(noDim, false, true), TextLayout::OneLineHorizontal);
  EXPECT_EQ(chooseTextLayout(noDim, true, true), TextLayout::Standard);  // 60 needed; the title fits w
  noDim.h = 61;
  noDim.tw = 56;
  EXPECT_EQ(chooseTextLayout(noDim, false, true), TextLayout::OneLineVertical);
}

TEST(MapTextLayout, AWideTitleIsCutAtThePartsEdgeOrRunsOverIt) {
  MapPartElement part;
  part.Title = "ДлинноеНазвание";  // 15 characters, 90 wide
  part.ShowTitle = true;
  part.ShowDim = false;
  part.TruncText = true;
  // 60 x 50 at (100, 200): neither line nor turned text fits the title;
  // it goes where the standard layout puts it.
  std::vector<TextRun> cut = part.planTexts(100, 200, 60, 50, fixedMetrics());
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].text, part.Title);
  EXPECT_FALSE(cut[0].vertical);
  EXPECT_EQ(cut[0].x, 101);  // left-aligned: one unit in
  EXPECT_EQ(cut[0].y, 200);
  EXPECT_EQ(cut[0].clipRight, 160);  // the part's right edge
  EXPECT_EQ(cut[0].clipBottom, 210);

  part.TruncText = false;
  std::vector<TextRun> over = part.planTexts(100, 200, 60, 50, fixedMetrics());
  ASSERT_EQ(over.size(), 1u);
  EXPECT_EQ(over[0].clipRight, 190);  // as wide as the title
}

TEST(MapTextLayout, TextsOfEachLayout) {
  MapPartElement part;
  part.Title = "Бок";  // 18 wide
  part.length = 720;
  part.width = 560;  // "720", "560": 18 wide each
  part.edgeLabels = true;
  part.edges[TopSide] = {"ПВХ", 2};
  part.edges[LeftSide] = {"АБС", 1};
  const TextMetrics m = fixedMetrics();

  // Standard, 100 x 100 at (0, 0): title top left, length centred at the
  // bottom with the top/bottom edge labels above it, width turned at the
  // left with the left/right edge labels beside it.
  std::vector<TextRun> runs = part.planTexts(0, 0, 100, 100, m);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[0].text, "Бок");
  EXPECT_EQ(runs[1].text, "720");
  EXPECT_EQ(runs[1].x, 41);  // (100 - 18 - 2) div 2 + 1
  EXPECT_EQ(runs[1].y, 90);
  EXPECT_EQ(runs[2].text, "[2]");
  EXPECT_EQ(runs[2].y, 80);
  EXPECT_TRUE(runs[3].vertical);
  EXPECT_EQ(runs[3].text, "560");
  EXPECT_EQ(runs[3].x, 0);
  EXPECT_EQ(runs[3].y, 58);  // 100 - (100 - 18 - 2) div 2 - 2
  EXPECT_EQ(runs[4].text, "[1]");
  EXPECT_EQ(runs[4].x, 10);

  // One line: "Бок 720x560" (11 characters, 66 wide) in 70 x 25.
  runs = part.planTexts(0, 0, 70, 25, m);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "Бок 720x560");

  // Two lines in 45 x 25: the title, then the size below it.
  runs = part.planTexts(0, 0, 45, 25, m);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].text, "Бок");
  EXPECT_EQ(runs[1].text, "720x560");
  EXPECT_EQ(runs[1].y, 10);

  // Turned, one line, in 15 x 80: read upwards from the bottom.
  runs = part.planTexts(0, 0, 15, 80, m);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].vertical);
  EXPECT_EQ(runs[0].text, "Бок 720x560");
  EXPECT_EQ(runs[0].y, 79);

  // Without the title the size alone takes the first line.
  part.ShowTitle = false;
  runs = part.planTexts(0, 0, 45, 25, m);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "720x560");
}

TEST(MapEdgeLabels, CodesOrNamesOfTheBandedSides) {
  MapPartElement part;
  part.edges = {EdgeRecord{"Кромка А", 1}, EdgeRecord{"", 0}, EdgeRecord{"Кромка Б", 2}, EdgeRecord{"Кромка Б", 2}};
  EXPECT_EQ(part.topBottomLabels(), "");  // labels off
  part.edgeLabels = true;
  EXPECT_EQ(part.topBottomLabels(), "[2][2]");
  EXPECT_EQ(part.leftRightLabels(), "[1]");
  part.edgeLabelStyle = 1;
  EXPECT_EQ(part.topBottomLabels(), "[Кромка Б][Кромка Б]");
  EXPECT_EQ(part.leftRightLabels(), "[Кромка А]");
}

// ---- streams ------------------------------------------------------------------

MapReportView sampleMap() {
  MapReportView v;
  v.name = "Map";
  v.partFont = {"Times New Roman", 0x0000FF, 12, 204, true, false, true, false};
  v.offcutFont.size = 7;
  v.wasteFont.italic = true;
  v.partBrush = {0x00FFFF, 4};
  v.wasteBrush = {0x808080, 7};
  v.cutPen = {0xFF0000, 3, 6};
  v.offcutPen = {0x112233, 1, 1};
  v.edgeLabels = true;
  v.edgeLabelStyle = 1;
  v.Ratio = 0.2345678901234;
  auto part = std::make_unique<MapPartElement>();
  part->Title = "Фасад верхний";
  part->x = 10;
  part->y = -3;
  part->length = 716;
  part->width = 396;
  part->TruncText = false;
  part->edgeLabels = true;
  part->edgeLabelStyle = 1;
  part->edges = {EdgeRecord{"ПВХ 2 мм", 3}, EdgeRecord{"ПВХ 0,4 мм цвет орех темный", 4}, EdgeRecord{}, EdgeRecord{}};
  v.elements.push_back(std::move(part));
  auto offcut = std::make_unique<MapOffcutElement>();
  offcut->Title = "Отход";
  offcut->useless = true;
  offcut->ShowDim = false;
  v.elements.push_back(std::move(offcut));
  auto cut = std::make_unique<MapCutElement>();
  cut->x = 730;
  cut->width = 2070;
  v.elements.push_back(std::move(cut));
  return v;
}

TEST(MapReportStreams, TheCuttingMapKeepsItsStylesAndElements) {
  const MapReportView v = sampleMap();
  MapReportView back;
  back.loadStream(v.saveStream());
  EXPECT_EQ(back.partFont, v.partFont);
  EXPECT_EQ(back.offcutFont, v.offcutFont);
  EXPECT_EQ(back.wasteFont, v.wasteFont);
  EXPECT_EQ(back.partBrush, v.partBrush);
  EXPECT_EQ(back.wasteBrush, v.wasteBrush);
  EXPECT_EQ(back.cutPen, v.cutPen);
  EXPECT_EQ(back.offcutPen, v.offcutPen);
  EXPECT_TRUE(back.edgeLabels);
  EXPECT_EQ(back.edgeLabelStyle, 1);
  EXPECT_EQ(back.Ratio, v.Ratio);  // the extended float holds every double
  ASSERT_EQ(back.elements.size(), 3u);
  const auto* part = dynamic_cast<const MapPartElement*>(back.elements[0].get());
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->Title, "Фасад верхний");
  EXPECT_EQ(part->y, -3);
  EXPECT_EQ(part->length, 716);
  EXPECT_FALSE(part->TruncText);
  EXPECT_EQ(part->edges[0], (EdgeRecord{"ПВХ 2 мм", 3}));
  // An edge name keeps 20 characters.
  EXPECT_EQ(part->edges[1], (EdgeRecord{"ПВХ 0,4 мм цвет орех", 4}));
  const auto* offcut = dynamic_cast<const MapOffcutElement*>(back.elements[1].get());
  ASSERT_NE(offcut, nullptr);
  EXPECT_TRUE(offcut->useless);
  EXPECT_FALSE(offcut->ShowDim);
  EXPECT_EQ(back.elements[2]->kind(), MapCutElement::kKind);
  EXPECT_EQ(back.elements[2]->width, 2070);
  // The styles an element takes are its owner's.
  EXPECT_EQ(offcut->brush(back), &back.wasteBrush);
  EXPECT_EQ(&back.elements[2]->pen(back), &back.cutPen);
  EXPECT_EQ(back.elements[2]->brush(back), nullptr);
}

TEST(MapReportStreams, RecordsHaveTheirFixedSizes) {
  // Each element adds its kind, its common data (an empty Title is 3
  // bytes) and its own: a part its flag, style and four 25-byte edge
  // records; an offcut its flag; a cut nothing.
  MapReportView v;
  const std::size_t empty = v.saveStream().size();
  v.elements.push_back(std::make_unique<MapPartElement>());
  EXPECT_EQ(v.saveStream().size() - empty, 1u + 3 + 16 + 3 + 1 + 4 + 4 * 25);
  v.elements.clear();
  v.elements.push_back(std::make_unique<MapOffcutElement>());
  EXPECT_EQ(v.saveStream().size() - empty, 1u + 3 + 16 + 3 + 1);
  v.elements.clear();
  v.elements.push_back(std::make_unique<MapCutElement>());
  EXPECT_EQ(v.saveStream().size() - empty, 1u + 3 + 16 + 3);

  PartsListReportView list;
  const std::size_t bare = list.saveStream().size();
  list.partRows.push_back({"Деталь", 1, 2, 3, {1, 2, 3, 4}, {5, 6, 7, 8}});
  EXPECT_EQ(list.saveStream().size() - bare, 65u);
  list.edgeRows.push_back({"Кромка", 100, 7});
  EXPECT_EQ(list.saveStream().size() - bare, 65u + 29);
}

TEST(MapReportStreams, ThePartsListKeepsItsSwitchesAndRows) {
  PartsListReportView v;
  v.name = "mmDetalsList";
  v.font = {"Arial", 0, 9, 204, false, true, false, true};
  v.showPartsList = false;
  v.listFormat = 0;
  v.showSketch = false;
  v.showEdgesList = true;
  v.edgesListFormat = 3;
  v.edgesListFirst = 1;
  v.showSketchCodes = true;
  v.partRows = {{"Бок левый", 720, 560, 2, {1, 0, 2, 2}, {0xFF, 0, 0xFF00, 0xFF00}},
                {"Полка", 564, 500, 3, {0, 0, 0, 0}, {0, 0, 0, 0}}};
  v.edgeRows = {{"ПВХ 2 мм", 2880, 2}, {"ПВХ 0,4 мм", 1120, 1}};
  PartsListReportView back;
  back.loadStream(v.saveStream());
  EXPECT_EQ(back.font, v.font);
  EXPECT_FALSE(back.showPartsList);
  EXPECT_FALSE(back.showSketch);
  EXPECT_EQ(back.edgesListFormat, 3);
  EXPECT_EQ(back.edgesListFirst, 1);
  EXPECT_TRUE(back.showSketchCodes);
  EXPECT_EQ(back.partRows, v.partRows);
  EXPECT_EQ(back.edgeRows, v.edgeRows);
}

TEST(MapReportStreams, EveryCutShortStreamIsRefused) {
  const std::string map = sampleMap().saveStream();
  for (std::size_t n = 0; n < map.size(); ++n) {
    MapReportView v;
    EXPECT_THROW(v.loadStream(std::string_view(map).substr(0, n)), report::ReportError) << n;
  }
  PartsListReportView list;
  list.partRows.push_back({"Деталь", 1, 2, 3, {1, 2, 3, 4}, {5, 6, 7, 8}});
  list.edgeRows.push_back({"Кромка", 100, 7});
  const std::string bytes = list.saveStream();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    PartsListReportView v;
    EXPECT_THROW(v.loadStream(std::string_view(bytes).substr(0, n)), report::ReportError) << n;
  }
}

TEST(MapReportStreams, DamagedCountsLengthsAndValuesAreRefusedWithTheReason) {
  auto message = [](auto& object, const std::string& bytes) {
    try {
      object.loadStream(bytes);
    } catch (const report::ReportError& e) {
      return std::string(e.what());
    }
    return std::string("read");
  };
  PartsListReportView list;
  list.name = "mmDetalsList";
  std::string bytes = list.saveStream();
  // The part row count is the 8 bytes before the end (two counts of 0).
  std::string huge = bytes;
  huge[huge.size() - 8] = '\x7F';
  huge[huge.size() - 5] = '\x01';
  EXPECT_NE(message(list, huge).find("не помещается"), std::string::npos) << message(list, huge);
  EXPECT_NE(message(list, huge).find("списка деталей \"mmDetalsList\""), std::string::npos);
  std::string negative = bytes;
  negative[negative.size() - 1] = '\xFF';
  EXPECT_NE(message(list, negative).find("отрицательное"), std::string::npos);
  EXPECT_NE(message(list, bytes + "x").find("лишние 1 байт"), std::string::npos);

  // A string longer than what is left; a short string longer than its field.
  MapReportView map;
  map.name = "Map";
  std::string s = map.saveStream();
  s[0] = '\xFF';
  s[1] = '\xFF';
  EXPECT_NE(message(map, s).find("не помещается"), std::string::npos) << message(map, s);
  PartsListReportView one;
  one.partRows.push_back({"А", 1, 1, 1, {}, {}});
  std::string row = one.saveStream();
  row[row.size() - 4 - 65] = 21;  // the name's length byte
  EXPECT_NE(message(one, row).find("больше её поля"), std::string::npos) << message(one, row);

  // An unknown element kind, and a ratio that is not a number.
  MapReportView withCut;
  withCut.elements.push_back(std::make_unique<MapCutElement>());
  std::string kind = withCut.saveStream();
  kind[kind.size() - 23] = 9;
  EXPECT_NE(message(withCut, kind).find("неизвестный вид элемента 9"), std::string::npos) << message(withCut, kind);
  MapReportView nan;
  std::string ratio = nan.saveStream();
  const std::size_t at = ratio.size() - 4 - 10;
  for (int i = 0; i < 8; ++i) ratio[at + static_cast<std::size_t>(i)] = '\xFF';
  ratio[at + 8] = '\xFF';
  ratio[at + 9] = '\x7F';
  EXPECT_NE(message(nan, ratio).find("не конечно"), std::string::npos) << message(nan, ratio);
}

TEST(MapReportStreams, TemplatesAndPreparedReportsRefuseADamagedObjectNamingTheFile) {
  registerMapReportObjects();
  const QByteArray good =
      "<report><page paper=\"A4\"/><band kind=\"masterData\" height=\"100\">"
      "<object class=\"TfrRskMapView\" name=\"Map\" x=\"0\" y=\"0\" width=\"100\" height=\"100\"><data>" +
      QByteArray::fromStdString(sampleMap().saveStream()).toBase64() + "</data></object></band></report>";
  const report::Template t = report::Template::parse(good, QStringLiteral("Карты.frf"));
  const auto* map = dynamic_cast<const MapReportView*>(t.findObject("Map"));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->elements.size(), 3u);

  QByteArray cut = good;
  cut.replace("</data>", "AAAA</data>");
  try {
    report::Template::parse(cut, QStringLiteral("Карты.frf"));
    FAIL() << "a damaged map was read";
  } catch (const report::ReportError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("Карты.frf"), std::string::npos) << m;
    EXPECT_NE(m.find("карты раскроя \"Map\""), std::string::npos) << m;
  }
  QByteArray notBase64 = good;
  notBase64.replace("<data>", "<data>*");
  EXPECT_THROW(report::Template::parse(notBase64, QStringLiteral("Карты.frf")), report::ReportError);

  QByteArray prepared =
      "<preparedReport><page width=\"100\" height=\"100\">"
      "<object class=\"TfrDetalsListView\" name=\"mmDetalsList\" x=\"0\" y=\"0\" width=\"9\" "
      "height=\"9\"><data>AAEC</data></object></page></preparedReport>";
  try {
    report::PreparedReport::parse(prepared, QStringLiteral("Отчет.kpr"));
    FAIL() << "a damaged parts list was read";
  } catch (const report::ReportError& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("Отчет.kpr"), std::string::npos) << m;
    EXPECT_NE(m.find("списка деталей"), std::string::npos) << m;
  }
}

TEST(MapReportStreams, ThePartsListLinesInTheFourEdgeFormats) {
  PartsListReportView v;
  v.partRows = {{"Бок", 720, 560, 2, {}, {}}};
  v.edgeRows = {{"ПВХ 2 мм", 2885, 3}};
  EXPECT_EQ(v.partLines(), (std::vector<std::string>{"Бок [720x560] 2 шт"}));
  const std::vector<std::string> expected = {"ПВХ 2 мм[3]: 2.89м", "[3]ПВХ 2 мм: 2.89м", "ПВХ 2 мм: 2.89м",
                                             "[3]: 2.89м", "ПВХ 2 мм[3]: 2.89м"};
  for (int format = 0; format < 5; ++format) {
    v.edgesListFormat = format;
    EXPECT_EQ(v.edgeLines(), std::vector<std::string>{expected[static_cast<std::size_t>(format)]}) << format;
  }
}

}  // namespace
}  // namespace kroyna::reports
