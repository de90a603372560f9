#include "ReportTestSupport.h"

#include "platform/report/Render.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace kroyna::report;

namespace {

std::string threeDigits(int i) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03d", i);
  return buf;
}

// 200 parts in four materials, 50 rows each, MANY = 1 + i % 3.
RowsRecordSource partsTable() {
  RowsRecordSource rows({"NAME", "LENGTH", "WIDTH", "MANY", "MATNAME"});
  const char* materials[] = {"ДСП Бук", "ДСП Венге", "МДФ Белый", "Фанера"};
  for (int i = 1; i <= 200; ++i)
    rows.addRow({Value::text("Деталь №" + threeDigits(i)), Value::number(300 + i), Value::number(200),
                 Value::number(1 + i % 3), Value::text(materials[(i - 1) / 50])});
  return rows;
}

std::vector<std::string> pagesOf(const std::string& text) {
  std::vector<std::string> pages;
  std::string cur;
  for (char c : text) {
    if (c == '\f') {
      pages.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) pages.push_back(cur);
  return pages;
}

std::vector<std::string> shownTexts(const PreparedReport& r) {
  std::vector<std::string> out;
  for (const auto& p : r.pages)
    for (const auto& o : p.objects)
      for (const QString& t : o->texts()) out.push_back(t.toStdString());
  return out;
}

class ReportEngine : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureApp(); }
};

}  // namespace

TEST_F(ReportEngine, TwoHundredRowsFlowOverPagesIntoAPdf) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  RowsRecordSource rows = partsTable();
  report.setDataSource(&rows);
  report.setVariable("BASENAME", Value::text("Кухня"));
  PreparedReport prepared = report.prepare();
  ASSERT_GE(prepared.pageCount(), 4);

  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("parts.pdf"));
  writePdf(prepared, pdf);
  const std::string text = test::pdfText(pdf);
  ASSERT_FALSE(text.empty()) << "pdftotext gave nothing";
  const std::vector<std::string> pages = pagesOf(text);
  ASSERT_EQ(static_cast<int>(pages.size()), prepared.pageCount());

  for (int i = 1; i <= 200; ++i) EXPECT_EQ(test::countOf(text, "Деталь №" + threeDigits(i)), 1) << i;
  const std::string total = std::to_string(prepared.pageCount());
  for (size_t p = 0; p < pages.size(); ++p) {
    EXPECT_EQ(test::countOf(pages[p], "ШАПКА СТРАНИЦЫ"), 1) << "page " << p + 1;
    EXPECT_EQ(test::countOf(pages[p], "Страница " + std::to_string(p + 1) + " из " + total), 1) << "page " << p + 1;
    EXPECT_EQ(test::countOf(pages[p], "ВСЕГО ДЕТАЛЕЙ"), p + 1 == pages.size() ? 1 : 0) << "page " << p + 1;
    EXPECT_EQ(test::countOf(pages[p], "СПИСОК ДЕТАЛЕЙ: Кухня"), p == 0 ? 1 : 0) << "page " << p + 1;
  }
  // MANY = 1 + i % 3 over i = 1..200 gives 67×2 + 67×3 + 66×1 = 401.
  EXPECT_EQ(test::countOf(pages.back(), "ВСЕГО ДЕТАЛЕЙ: 401 шт в 200 строках"), 1);
  for (const char* m : {"ДСП Бук", "ДСП Венге", "МДФ Белый", "Фанера"}) {
    EXPECT_EQ(test::countOf(text, std::string("Материал: ") + m), 1) << m;
    EXPECT_EQ(test::countOf(text, std::string("Итого по ") + m + ": 50 строк"), 1) << m;
  }
}

TEST_F(ReportEngine, GroupFootersSeeTheirOwnGroupAndTotals) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  RowsRecordSource rows({"NAME", "MANY", "MATNAME"});
  rows.addRow({Value::text("a"), Value::number(2), Value::text("Бук")});
  rows.addRow({Value::text("b"), Value::number(3), Value::text("Бук")});
  rows.addRow({Value::text("c"), Value::number(5), Value::text("Ясень")});
  report.setDataSource(&rows);
  const auto texts = shownTexts(report.prepare());
  auto has = [&](const std::string& s) { return std::find(texts.begin(), texts.end(), s) != texts.end(); };
  EXPECT_TRUE(has("Итого по Бук: 2 строк, 5 шт"));
  EXPECT_TRUE(has("Итого по Ясень: 1 строк, 5 шт"));
  EXPECT_TRUE(has("ВСЕГО ДЕТАЛЕЙ: 10 шт в 3 строках"));
  EXPECT_TRUE(has("Страница 1 из 1"));
}

TEST_F(ReportEngine, VariablesComeFromTheProgramInOrder) {
  Template t = Template::parse(R"(<report><page paper="A5"/>
      <variables><variable name="MAP_W" value="700"/><variable name="MAP_H" value="PAGE_HEIGHT / MAPSPERPAGE - 40"/>
        <variable name="LOOP" value="LOOP + 1"/></variables>
      <band kind="title" height="20"><object class="text" name="m" width="400" height="20">
        <text>[DETALSLIST]|[MAPPARAMSLINES]|[Name]|[OTHER]|[MAP_W]|[LOOP]</text></object></band></report>)",
                               QStringLiteral("vars"));
  Report report;
  report.setTemplate(std::move(t));
  std::vector<std::string> asked;
  report.setVariableCallback([&](std::string_view name) -> std::optional<Value> {
    asked.emplace_back(name);
    if (kroyna::text::equalsIgnoreCase(name, "DETALSLIST")) return Value::text("Список деталей: ");
    return std::nullopt;
  });
  report.setVariable("MapParamsLines", Value::number(4));
  report.setVariable("NAME", Value::text("из программы"));
  report.setVariable("MAPSPERPAGE", Value::number(2));

  EXPECT_EQ(report.templateValue("map_w").toText(), "700");
  const double printable = 210 * kUnitsPerMm;
  EXPECT_DOUBLE_EQ(report.templateValue("MAP_H").toNumber(), printable / 2 - 40);
  EXPECT_TRUE(report.templateValue("NOT_DEFINED").isEmpty());
  EXPECT_EQ(report.variable("mapparamslines").toText(), "4");

  const auto texts = shownTexts(report.prepare());
  ASSERT_EQ(texts.size(), 1u);
  // Unknown names show nothing; a template value defined by itself gives nothing instead of looping.
  EXPECT_EQ(texts[0], "Список деталей: |4|из программы||700|1");
  // The callback is asked with the name as the template writes it.
  EXPECT_NE(std::find(asked.begin(), asked.end(), "Name"), asked.end());
}

TEST_F(ReportEngine, ProgramDrivenRecordsAndTheBeforePrintHook) {
  Report report;
  report.loadTemplate(test::testData("Labels.frf"));
  const std::vector<std::string> labels = {"Полка\r600 x 400\rДСП Бук\r", "Дверь\r716 x 396\rМДФ\r",
                                           "Цоколь\r800 x 100\rДСП\r"};
  int index = -1;
  int firstCalls = 0;
  DrivenRecordSource source({[&] {
                               index = 0;
                               ++firstCalls;
                             },
                             [&] { ++index; },
                             [&] { return index >= static_cast<int>(labels.size()); },
                             {}});
  report.setDataSource(&source);
  report.setVariableCallback([&](std::string_view name) -> std::optional<Value> {
    if (name == "DATA") return Value::text(labels[static_cast<size_t>(index)]);
    return std::nullopt;
  });
  report.setVariable("CELLWIDTH", Value::number(70 * kUnitsPerMm));
  report.setVariable("CELLHEIGHT", Value::number(30 * kUnitsPerMm));
  report.setVariable("FRAMETYPE", Value::number(15));
  report.setVariable("TEXTALIGNMENT", Value::number(2));

  // The program gives Memo1 its font before printing...
  auto* memo = dynamic_cast<TextObject*>(report.findObject("Memo1"));
  ASSERT_NE(memo, nullptr);
  memo->font.family = QStringLiteral("DejaVu Sans");
  memo->font.size = 12;
  // ...and the hook switches word wrap on and widens nothing else.
  int hookCalls = 0;
  report.setBeforePrint([&](ReportObject& o) {
    ++hookCalls;
    if (o.name == "Memo1") static_cast<TextObject&>(o).wordWrap = true;
  });
  PreparedReport r = report.prepare();
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(hookCalls, 3);
  ASSERT_EQ(r.pageCount(), 1);
  ASSERT_EQ(r.pages[0].objects.size(), 3u);
  // 70 mm cells: two fit across 210 - 10 mm, the third starts a new row.
  const auto& o0 = *r.pages[0].objects[0];
  const auto& o1 = *r.pages[0].objects[1];
  const auto& o2 = *r.pages[0].objects[2];
  EXPECT_DOUBLE_EQ(o0.x, 18);
  EXPECT_DOUBLE_EQ(o1.x, 18 + 70 * kUnitsPerMm);
  EXPECT_DOUBLE_EQ(o1.y, o0.y);
  EXPECT_DOUBLE_EQ(o2.x, 18);
  EXPECT_DOUBLE_EQ(o2.y, o0.y + 30 * kUnitsPerMm);
  EXPECT_DOUBLE_EQ(o0.width, 70 * kUnitsPerMm);
  EXPECT_EQ(o0.frameLines, FrameAll);
  const auto& t0 = dynamic_cast<const TextObject&>(o0);
  EXPECT_EQ(t0.align, HAlign::Center);
  EXPECT_TRUE(t0.wordWrap);
  EXPECT_DOUBLE_EQ(t0.font.size, 12);
  // "\r" breaks lines as the program writes them; the text ends in one, so four lines.
  ASSERT_EQ(t0.lines.size(), 4u);
  EXPECT_EQ(t0.lines[0], QStringLiteral("Полка"));
  EXPECT_EQ(t0.lines[2], QStringLiteral("ДСП Бук"));

  // An empty record source gives a report without records.
  index = 0;
  DrivenRecordSource empty = DrivenRecordSource::counted(0, &index);
  report.setDataSource(&empty);
  EXPECT_TRUE(report.prepare().pages[0].objects.empty());
}

TEST_F(ReportEngine, HookCanHideResizeAndRetextObjects) {
  Template t = Template::parse(R"(<report><page paper="A4" left="10" top="10" right="10" bottom="10"/>
      <band kind="masterData" height="20">
        <object class="text" name="mmMapParams" width="200" height="20"><text>[N]</text></object>
        <object class="rect" name="Map" x="300" width="100" height="20"/>
      </band></report>)",
                               QStringLiteral("hook"));
  Report report;
  report.setTemplate(std::move(t));
  int n = 0;
  DrivenRecordSource src = DrivenRecordSource::counted(3, &n);
  report.setDataSource(&src);
  report.setVariableCallback([&](std::string_view name) -> std::optional<Value> {
    if (name == "N") return Value::number(n + 1);
    return std::nullopt;
  });
  report.setBeforePrint([&](ReportObject& o) {
    if (o.name == "Map") {
      o.width = 50 + 10 * n;
      o.visible = n != 1;
    }
    if (o.name == "mmMapParams" && n == 2) static_cast<TextObject&>(o).text = "последняя [N]";
  });
  PreparedReport r = report.prepare();
  const auto& objs = r.pages[0].objects;
  ASSERT_EQ(objs.size(), 5u);
  EXPECT_EQ(objs[0]->texts().front(), QStringLiteral("1"));
  EXPECT_DOUBLE_EQ(objs[1]->width, 50);
  EXPECT_EQ(objs[2]->texts().front(), QStringLiteral("2"));
  EXPECT_EQ(objs[3]->texts().front(), QStringLiteral("последняя 3"));
  EXPECT_DOUBLE_EQ(objs[4]->width, 70);
  // The template's own objects are not changed by the hook.
  EXPECT_DOUBLE_EQ(report.findObject("Map")->width, 100);

  // A text the hook breaks is reported, not printed half.
  report.setBeforePrint([](ReportObject& o) {
    if (auto* t = dynamic_cast<TextObject*>(&o)) t->text = "[1 +";
  });
  EXPECT_THROW(report.prepare(), ReportError);
}

TEST_F(ReportEngine, PageSetupTurnsThePageAndConvertsMargins) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  report.setLandscape(true);
  report.setMarginsMm(10, 5.5, 0, 100);
  EXPECT_EQ(mmToUnits(5.5), 20);  // 19.8 rounds to 20
  const PageSetup& p = report.reportTemplate().page;
  EXPECT_DOUBLE_EQ(p.left, 36);
  EXPECT_DOUBLE_EQ(p.top, 20);
  EXPECT_DOUBLE_EQ(p.right, 0);
  EXPECT_DOUBLE_EQ(p.bottom, 360);
  // Landscape keeps the A4 paper and turns it.
  EXPECT_DOUBLE_EQ(p.sizeUnits().width(), 297 * kUnitsPerMm);
  EXPECT_DOUBLE_EQ(p.sizeUnits().height(), 210 * kUnitsPerMm);
  RowsRecordSource rows = partsTable();
  report.setDataSource(&rows);
  PreparedReport r = report.prepare();
  EXPECT_DOUBLE_EQ(r.pages[0].size.width(), 297 * kUnitsPerMm);
  // Nothing is placed into the bottom margin or over the page footer.
  for (const auto& page : r.pages)
    for (const auto& o : page.objects) EXPECT_LE(o->y + o->height, 210 * kUnitsPerMm - 360 + 1e-6) << o->name;
}

TEST_F(ReportEngine, StretchedTextsGrowTheirBandAndLongTextsWrap) {
  Template t = Template::parse(R"(<report><page paper="A4" left="10" top="10" right="10" bottom="10"/>
      <band kind="masterData" height="20">
        <object class="text" name="mmDetalsList" width="150" height="20" wrap="1" stretch="1"><text>[LIST]</text></object>
      </band></report>)",
                               QStringLiteral("stretch"));
  Report report;
  report.setTemplate(std::move(t));
  int n = 0;
  DrivenRecordSource src = DrivenRecordSource::counted(2, &n);
  report.setDataSource(&src);
  const std::string longText = "Боковина левая шкафа-купе с зеркальной дверью и полками из ламинированной плиты";
  report.setVariableCallback([&](std::string_view) -> std::optional<Value> { return Value::text(longText); });
  PreparedReport r = report.prepare();
  ASSERT_EQ(r.pages[0].objects.size(), 2u);
  const auto& first = dynamic_cast<const TextObject&>(*r.pages[0].objects[0]);
  ASSERT_GT(first.lines.size(), 2u);
  QString joined;
  for (const QString& l : first.lines) {
    EXPECT_LE(textWidth(first.font, l), first.width - 2 * kTextPadding + 1e-6) << l.toStdString();
    joined += (joined.isEmpty() ? "" : " ") + l;
  }
  EXPECT_EQ(joined.toStdString(), longText);
  EXPECT_GT(first.height, 20);
  // The second record starts below the grown first one.
  EXPECT_DOUBLE_EQ(r.pages[0].objects[1]->y, first.y + first.height);
}

TEST_F(ReportEngine, WordsWiderThanTheFrameBreakAndUnwrappedTextKeepsItsLines) {
  FontSpec f;
  auto lines = breakText(QStringLiteral("ШШШШШШШШШШШШШШШШШШШШ"), f, 40, true);
  ASSERT_GT(lines.size(), 1u);
  for (const QString& l : lines) {
    EXPECT_FALSE(l.isEmpty());
    EXPECT_LE(textWidth(f, l), 40 + 1e-6);
  }
  EXPECT_EQ(breakText(QStringLiteral("a b c d e f g h"), f, 5, false).size(), 1u);
  EXPECT_EQ(breakText(QStringLiteral("a\r\nb\rc\nd"), f, 100, false).size(), 4u);
  // No width at all still ends.
  EXPECT_FALSE(breakText(QStringLiteral("Слово"), f, 0, true).empty());
}

TEST_F(ReportEngine, ARecordSourceThatNeverEndsIsStopped) {
  Report report;
  report.loadTemplate(test::testData("AllBands.frf"));
  DrivenRecordSource endless({[] {}, [] {}, [] { return false; }, {}});
  report.setDataSource(&endless);
  report.setMaxPages(5);
  try {
    report.prepare();
    FAIL();
  } catch (const ReportError& e) {
    EXPECT_NE(std::string(e.what()).find("слишком велик"), std::string::npos);
  }
}
