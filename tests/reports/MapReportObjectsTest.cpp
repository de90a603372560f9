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

// ---- the texts inside a part (the layouts themselves: tests/maps) ----------

// Lines as high as the size in points, every character 0.6 of it wide.
maps::FontMeasure fixedFont() {
  return {[](double pt) { return pt; },
          [](const std::string& s, double pt) {
            std::size_t chars = 0;
            for (char c : s) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            return 0.6 * pt * static_cast<double>(chars);
          }};
}

std::vector<std::string> texts(const maps::FittedLabel& l) {
  std::vector<std::string> out;
  for (const maps::LabelRun& r : l.runs) out.push_back(r.text);
  return out;
}

TEST(MapTextLayout, AnElementShowsWhatItsSwitchesAsk) {
  MapPartElement part;
  part.Title = "Бок";
  part.length = 720;
  part.width = 560;
  part.edgeLabels = true;
  part.edges[TopSide] = {"ПВХ", 2};
  part.edges[LeftSide] = {"АБС", 1};
  const maps::TextBox frame{0, 0, 100, 100};
  // Title, length, the top and bottom edges, width, the left and right edges.
  EXPECT_EQ(texts(part.planTexts(frame, fixedFont(), 10)),
            (std::vector<std::string>{"Бок", "720", "[2]", "560", "[1]"}));
  part.edgeLabelStyle = 1;  // names
  EXPECT_EQ(texts(part.planTexts(frame, fixedFont(), 10))[2], "[ПВХ]");
  part.ShowTitle = false;
  EXPECT_EQ(texts(part.planTexts({0, 0, 45, 25}, fixedFont(), 10)), std::vector<std::string>{"720x560"});
  part.ShowDim = false;
  EXPECT_TRUE(part.planTexts(frame, fixedFont(), 10, "3").runs.empty());
}

TEST(MapTextLayout, AWideTitleShrinksInsteadOfBeingCutOrRunningOver) {
  MapPartElement part;
  part.Title = "ДлинноеНазвание";  // 15 characters, 90 wide at 10 pt
  part.ShowDim = false;
  for (bool trunc : {true, false}) {
    part.TruncText = trunc;
    // 60 x 50: the whole title at 6.5 pt (58.5 wide), one unit in.
    const maps::FittedLabel l = part.planTexts({100, 200, 60, 50}, fixedFont(), 10, "4");
    ASSERT_EQ(texts(l), std::vector<std::string>{part.Title});
    EXPECT_DOUBLE_EQ(l.points, 6.5);
    EXPECT_DOUBLE_EQ(l.runs[0].box.x, 101);
    EXPECT_LE(l.runs[0].box.right(), 160);
    // 30 x 50: not even at 5 pt (45 wide, or turned 45 long in 30 ...
    // turned 45 fits 50): turned along the part.
    EXPECT_EQ(part.planTexts({0, 0, 30, 50}, fixedFont(), 10, "4").layout, maps::LabelLayout::OneLineVertical);
    // 30 x 30: the row number instead.
    EXPECT_EQ(texts(part.planTexts({0, 0, 30, 30}, fixedFont(), 10, "4")), std::vector<std::string>{"4"});
  }
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
  auto pass = std::make_unique<MapCutNumberElement>();
  pass->Title = "12";
  pass->x = 730;
  pass->y = 10;
  pass->width = 2050;
  v.elements.push_back(std::move(pass));
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
  ASSERT_EQ(back.elements.size(), 4u);
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
  // Where a saw pass's number stands.
  EXPECT_EQ(back.elements[3]->kind(), MapCutNumberElement::kKind);
  EXPECT_EQ(back.elements[3]->Title, "12");
  EXPECT_EQ(back.elements[3]->width, 2050);
  EXPECT_TRUE(back.texts().contains(QStringLiteral("Отход")));
  EXPECT_FALSE(back.texts().contains(QStringLiteral("12")));

  CutOrderReportView table;
  table.name = "mmCutOrder";
  table.font.size = 8;
  table.rows = {{1, "по длине", 6, 2800, "отход"}, {2, "↻ по ширине", 720, 300, "Бок навесной 720x300"}};
  table.moreX = 612.25;
  table.moreY = -40;
  table.moreWidth = 250;
  table.moreHeight = 300.5;
  CutOrderReportView tableBack;
  tableBack.loadStream(table.saveStream());
  EXPECT_EQ(tableBack.font, table.font);
  EXPECT_EQ(tableBack.rows, table.rows);
  EXPECT_EQ(tableBack.moreX, 612.25);
  EXPECT_EQ(tableBack.moreY, -40);
  EXPECT_EQ(tableBack.moreHeight, 300.5);
  table.rows.clear();
  table.note = "карту нельзя раскроить сквозными резами.";
  tableBack.loadStream(table.saveStream());
  EXPECT_EQ(tableBack.note, table.note);
  EXPECT_TRUE(tableBack.rows.empty());
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
  CutOrderReportView table;
  table.rows = {{1, "по длине", 6, 2800, "отход"}};
  const std::string order = table.saveStream();
  for (std::size_t n = 0; n < order.size(); ++n) {
    CutOrderReportView v;
    EXPECT_THROW(v.loadStream(std::string_view(order).substr(0, n)), report::ReportError) << n;
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
  EXPECT_EQ(map->elements.size(), 4u);

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
