// Label texts, how many labels each source gives, the settings of the two
// label dialogs, and the label sheet laid out with the shipped template.

#include "maps/MapsTestSupport.h"
#include "parts/PartsTestSupport.h"
#include "platform/ini/IniFile.h"
#include "platform/report/ReportError.h"
#include "platform/text/Literals.h"
#include "reports/Labels.h"
#include "warehouse/StockModule.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

namespace kroyna::reports {
namespace {

using maps::testing::FakeEnvironment;

using text::u;

const QString kTemplate = QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Reports/ScrapsLbl.frf");

// ---- Texts ----

TEST(LabelText, PartItemsInOrderAndEachSwitchOffInTurn) {
  const Label edged{u("Бок"), u("720 x 560"), u("ЛДСП Белый"), u("Кухня"), u("л: ПВХ 2 мм\rн: Меламин\r")};
  const Label plain{u("Полка"), u("564 x 300"), u("ЛДСП Белый"), QString(), QString()};
  LabelSettings s;
  EXPECT_EQ(labelText(edged, s, LabelKind::Parts), u("Бок\r720 x 560\rЛДСП Белый\rКухня\rл: ПВХ 2 мм\rн: Меламин\r"));
  EXPECT_EQ(labelText(plain, s, LabelKind::Parts), u("Полка\r564 x 300\rЛДСП Белый\r\r"));

  struct Case {
    bool LabelSettings::*item;
    const char* edged;
    const char* plain;
  };
  const Case cases[] = {
      {&LabelSettings::code, "720 x 560\rЛДСП Белый\rКухня\rл: ПВХ 2 мм\rн: Меламин\r", "564 x 300\rЛДСП Белый\r\r"},
      {&LabelSettings::size, "Бок\rЛДСП Белый\rКухня\rл: ПВХ 2 мм\rн: Меламин\r", "Полка\rЛДСП Белый\r\r"},
      {&LabelSettings::material, "Бок\r720 x 560\rКухня\rл: ПВХ 2 мм\rн: Меламин\r", "Полка\r564 x 300\r\r"},
      {&LabelSettings::comment, "Бок\r720 x 560\rЛДСП Белый\rл: ПВХ 2 мм\rн: Меламин\r",
       "Полка\r564 x 300\rЛДСП Белый\r"},
      {&LabelSettings::edges, "Бок\r720 x 560\rЛДСП Белый\rКухня\r", "Полка\r564 x 300\rЛДСП Белый\r\r"},
  };
  for (const Case& c : cases) {
    LabelSettings off;
    off.*c.item = false;
    EXPECT_EQ(labelText(edged, off, LabelKind::Parts), u(c.edged));
    EXPECT_EQ(labelText(plain, off, LabelKind::Parts), u(c.plain));
  }

  // Every item off: an empty label (still printed as a cell).
  LabelSettings none;
  none.code = none.size = none.material = none.comment = none.edges = false;
  EXPECT_EQ(labelText(edged, none, LabelKind::Parts), QString());
}

TEST(LabelText, OffcutEndsWithTheCommentAndHasNoEdges) {
  const Label offcut{u("О-101"), u("1200 x 600"), u("ЛДСП Белый"), u("Кухня"), u("л: ПВХ\r")};
  LabelSettings s;
  EXPECT_EQ(labelText(offcut, s, LabelKind::Offcuts), u("О-101\r1200 x 600\rЛДСП Белый\rКухня"));
  s.comment = false;
  EXPECT_EQ(labelText(offcut, s, LabelKind::Offcuts), u("О-101\r1200 x 600\rЛДСП Белый\r"));
  s.code = false;
  EXPECT_EQ(labelText(offcut, s, LabelKind::Offcuts), u("1200 x 600\rЛДСП Белый\r"));
}

// ---- Sources and counts ----

struct LabelMaps {
  FakeEnvironment env;
  maps::MapsDocument doc{env};

  LabelMaps() {
    env.materials = {{1, u("ЛДСП Белый")}, {2, u("МДФ")}};
    env.edges[10] = {0, 5, u("ПВХ 2 мм")};
    env.edges[11] = {0, 0, u("Меламин")};
    maps::SheetMap a;
    a.MaterialCode = 1;
    a.length = 2800;
    a.width = 2070;
    a.Quantity = 2;
    a.Remark = "Кухня";
    // A part laid out five times on a map cut twice: ten labels.
    for (int i = 0; i < 5; ++i) {
      maps::MapPart p;
      p.Title = "Бок";
      p.length = 720;
      p.width = 560;
      p.LeftBorder = 10;
      p.BottomBorder = 11;
      a.Parts.push_back(p);
    }
    maps::MapOffcut useful;
    useful.ScrapType = maps::stNormalScrap;
    useful.ScrapName = "О-7";
    useful.length = 900;
    useful.width = 400;
    maps::MapOffcut waste;
    waste.ScrapType = maps::stLostScrap;
    waste.length = 50;
    waste.width = 40;
    a.Offcuts = {waste, useful};
    doc.appendStoredMap(a);

    maps::SheetMap b;
    b.MaterialCode = 2;
    b.length = 2800;
    b.width = 2070;
    b.Quantity = 1;
    maps::MapPart f;
    f.Title = "Фасад";
    f.length = 716;
    f.width = 396;
    b.Parts = {f};
    maps::MapOffcut nameless;
    nameless.ScrapType = maps::stNormalScrap;
    nameless.length = 1000;
    nameless.width = 300;
    b.Offcuts = {nameless};
    doc.appendStoredMap(b);
  }
};

TEST(MapLabels, OneLabelPerPieceOfTheMapsTheFilterShows) {
  LabelMaps m;
  EXPECT_EQ(countLabels(m.doc, LabelKind::Parts).count, 11);
  const std::vector<Label> parts = mapLabels(m.doc, LabelKind::Parts);
  ASSERT_EQ(parts.size(), 11u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(parts[static_cast<std::size_t>(i)],
              (Label{u("Бок"), u("720 x 560"), u("ЛДСП Белый"), u("Кухня"), u("л: ПВХ 2 мм\rн: Меламин\r")}));
  EXPECT_EQ(parts[10], (Label{u("Фасад"), u("716 x 396"), u("МДФ"), QString(), QString()}));

  // Useful offcuts only, Quantity times; waste gets no label.
  EXPECT_EQ(countLabels(m.doc, LabelKind::Offcuts).count, 3);
  const std::vector<Label> offcuts = mapLabels(m.doc, LabelKind::Offcuts);
  ASSERT_EQ(offcuts.size(), 3u);
  EXPECT_EQ(offcuts[0], (Label{u("О-7"), u("900 x 400"), u("ЛДСП Белый"), u("Кухня"), QString()}));
  EXPECT_EQ(offcuts[1], offcuts[0]);
  EXPECT_EQ(offcuts[2], (Label{QString(), u("1000 x 300"), u("МДФ"), QString(), QString()}));

  m.doc.setMaterialFilter(2);
  EXPECT_EQ(countLabels(m.doc, LabelKind::Parts).count, 1);
  EXPECT_EQ(mapLabels(m.doc, LabelKind::Parts).size(), 1u);
  EXPECT_EQ(mapLabels(m.doc, LabelKind::Offcuts).size(), 1u);
}

TEST(MapLabels, CountsAboveTheLimitOrBeyondAnyNumberAreRefused) {
  LabelMaps m;
  m.doc.map(0).Quantity = 20000;  // 5 parts × 20000 = 100000: still allowed
  m.doc.setMaterialFilter(1);
  EXPECT_EQ(countLabels(m.doc, LabelKind::Parts).count, 100000);
  EXPECT_FALSE(labelCountRefusal(countLabels(m.doc, LabelKind::Parts)).has_value());
  m.doc.setMaterialFilter(kAllMaterials);
  const LabelCount over = countLabels(m.doc, LabelKind::Parts);
  EXPECT_EQ(over.count, 100001);
  EXPECT_EQ(labelCountRefusal(over),
            u("Слишком много ярлычков: 100001.\rЗа один раз можно напечатать не более 100000 ярлычков."));

  LabelCount huge;
  huge.add(LLONG_MAX / 2, 3);
  EXPECT_TRUE(huge.overflow);
  EXPECT_EQ(labelCountRefusal(huge),
            u("Слишком много ярлычков.\rЗа один раз можно напечатать не более 100000 ярлычков."));
  LabelCount sum;
  sum.add(LLONG_MAX, 1);
  sum.add(1, 1);
  EXPECT_TRUE(sum.tooMany());
  LabelCount negative;
  negative.add(-5, 3);
  negative.add(3, -5);
  EXPECT_EQ(negative.count, 0);

  // The sheet itself refuses too many labels before laying anything out.
  EXPECT_THROW(prepareLabelSheet(std::vector<Label>(100001), LabelSettings{}, LabelKind::Parts, kTemplate, {}),
               report::ReportError);
}

TEST(PartsDatabaseLabels, RowsAsShownManyTimesEach) {
  parts::test::PartsFolder folder;
  parts::test::MessageLog log;
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  ASSERT_TRUE(doc->AppendDetal(u("Бок"), 720, 560, 3, 0, 10, 0, 0, 11, 1));
  ASSERT_TRUE(doc->AppendDetal(u("Фасад"), 716, 396, 2, 0, 0, 0, 0, 0, 2));
  EXPECT_EQ(countPartLabels(*doc).count, 5);
  std::optional<std::vector<Label>> labels = partsDatabaseLabels(*doc);
  ASSERT_TRUE(labels.has_value());
  ASSERT_EQ(labels->size(), 5u);
  // Left and bottom edge banding: the last lines read "л: " and "н: ".
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ((*labels)[static_cast<std::size_t>(i)],
              (Label{u("Бок"), u("720 x 560"), u("ДСП белый"), QString(), u("л: ПВХ 2 мм\rн: Меламин\r")}));
  EXPECT_EQ(labelText((*labels)[0], LabelSettings{}, LabelKind::Parts),
            u("Бок\r720 x 560\rДСП белый\r\rл: ПВХ 2 мм\rн: Меламин\r"));
  EXPECT_EQ((*labels)[3].material, u("МДФ"));

  doc->SetMaterialFilter(2);
  EXPECT_EQ(countPartLabels(*doc).count, 2);
  EXPECT_EQ(partsDatabaseLabels(*doc)->size(), 2u);
  EXPECT_TRUE(log.texts.isEmpty());
}

TEST(WarehouseLabels, TheOffcutRowsOfTheWarehouseWithAnEmptyComment) {
  warehouse::OffcutLabelRows rows;
  rows.codes = {"О-101", "О-101", ""};
  rows.dimensions = {"1200 x 600", "1200 x 600", "900 x 300"};
  rows.materials = {"ЛДСП Белый", "ЛДСП Белый", ""};
  rows.comments = {"", "", ""};
  const std::vector<Label> labels = warehouseLabels(rows);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0], (Label{u("О-101"), u("1200 x 600"), u("ЛДСП Белый"), QString(), QString()}));
  EXPECT_EQ(labelText(labels[2], LabelSettings{}, LabelKind::Offcuts), u("\r900 x 300\r\r"));
}

// ---- Settings ----

TEST(LabelSettingsFile, DefaultsRoundTripAndSeparateSections) {
  QTemporaryDir dir;
  ini::IniFile ini((dir.path() + QStringLiteral("/Kroyna.ini")).toStdString());
  EXPECT_EQ(readLabelSettings(ini, LabelKind::Parts), LabelSettings{});
  const LabelSettings d;
  EXPECT_EQ(d.width, 45);
  EXPECT_EQ(d.height, 15);
  EXPECT_EQ(d.font.name, "Ms Sans Serif");
  EXPECT_EQ(d.font.charset, 204);

  LabelSettings parts;
  parts.width = 70;
  parts.height = 36;
  parts.code = false;
  parts.edges = false;
  parts.wordWrap = true;
  parts.alignment = AlignCenter;
  parts.font = {"DejaVu Sans", 12, true, true, 0};
  writeLabelSettings(ini, LabelKind::Parts, parts);
  EXPECT_EQ(readLabelSettings(ini, LabelKind::Parts), parts);
  // Stored as the dialogs store them: booleans 0/1 under their own keys.
  EXPECT_EQ(ini.readString("Print_Detals_Label", "cbxName", ""), "0");
  EXPECT_EQ(ini.readString("Print_Detals_Label", "cbxBorders", ""), "0");
  EXPECT_EQ(ini.readString("Print_Detals_Label", "rgrAlignment", ""), "2");
  EXPECT_EQ(ini.readString("Print_Detals_Label", "Font_Style_Bold", ""), "1");
  EXPECT_EQ(ini.readString("Print_Detals_Label", "Font_Name", ""), "DejaVu Sans");

  // The offcut dialog keeps its own values and has no edge item.
  EXPECT_EQ(readLabelSettings(ini, LabelKind::Offcuts), LabelSettings{});
  writeLabelSettings(ini, LabelKind::Offcuts, LabelSettings{});
  EXPECT_FALSE(ini.keyExists("Print_Scraps_Label", "cbxBorders"));
  EXPECT_TRUE(ini.keyExists("Print_Scraps_Label", "Width"));

  // Out of range: an alignment of 7 opens as left, sizes come into 0..1000.
  ini.writeInt("Print_Scraps_Label", "rgrAlignment", 7);
  ini.writeInt("Print_Scraps_Label", "Width", 5000);
  ini.writeInt("Print_Scraps_Label", "Height", -3);
  const LabelSettings read = readLabelSettings(ini, LabelKind::Offcuts);
  EXPECT_EQ(read.alignment, AlignLeft);
  EXPECT_EQ(read.width, 1000);
  EXPECT_EQ(read.height, 0);
}

// ---- The label sheet ----

std::vector<const report::TextObject*> cells(const report::PreparedReport& r) {
  std::vector<const report::TextObject*> out;
  for (const report::PreparedPage& p : r.pages)
    for (const auto& o : p.objects)
      if (o->name == "Memo1") out.push_back(dynamic_cast<const report::TextObject*>(o.get()));
  return out;
}

TEST(LabelSheet, OneCellPerLabelOfTheChosenSizeFrameAlignmentAndFont) {
  std::vector<Label> labels(7, Label{u("Бок"), u("720 x 560"), u("ЛДСП Белый"), u("Кухня"), u("л: ПВХ\r")});
  LabelSettings s;
  s.width = 60;
  s.height = 20;
  s.alignment = AlignRight;
  s.font = {"DejaVu Serif", 9, true, false, 204};
  ReportPage page;
  page.margins = {10, 5, 5, 10};  // top, left, right, bottom
  const report::PreparedReport r = prepareLabelSheet(labels, s, LabelKind::Parts, kTemplate, page);
  EXPECT_EQ(r.title, u("Ярлычки отходов"));
  const auto c = cells(r);
  ASSERT_EQ(c.size(), 7u);
  // A4 200 mm wide inside the margins: three cells of 60 mm in a row.
  EXPECT_DOUBLE_EQ(c[0]->width, 60 * 3.6);
  EXPECT_DOUBLE_EQ(c[0]->height, 20 * 3.6);
  EXPECT_DOUBLE_EQ(c[0]->x, 18);
  EXPECT_DOUBLE_EQ(c[0]->y, 36);
  EXPECT_DOUBLE_EQ(c[1]->x, 18 + 216);
  EXPECT_DOUBLE_EQ(c[3]->x, 18);
  EXPECT_DOUBLE_EQ(c[3]->y, 36 + 72);
  EXPECT_EQ(c[0]->frameLines, report::FrameAll);
  EXPECT_EQ(c[0]->align, report::HAlign::Right);
  EXPECT_EQ(c[0]->font.family, u("DejaVu Serif"));
  EXPECT_EQ(c[0]->font.size, 9);
  EXPECT_TRUE(c[0]->font.bold);
  EXPECT_FALSE(c[0]->wordWrap);
  EXPECT_EQ(c[0]->lines,
            (std::vector<QString>{u("Бок"), u("720 x 560"), u("ЛДСП Белый"), u("Кухня"), u("л: ПВХ"), QString()}));

  // No frame, centred, wrapped, landscape (287 mm inside: four cells a row).
  s.frame = false;
  s.alignment = AlignCenter;
  s.wordWrap = true;
  page.landscape = true;
  const report::PreparedReport turned = prepareLabelSheet(labels, s, LabelKind::Parts, kTemplate, page);
  const auto d = cells(turned);
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(d[0]->frameLines, 0);
  EXPECT_EQ(d[0]->align, report::HAlign::Center);
  EXPECT_TRUE(d[0]->wordWrap);
  EXPECT_DOUBLE_EQ(d[3]->x, 18 + 3 * 216);
  EXPECT_DOUBLE_EQ(d[4]->x, 18);
}

TEST(LabelSheet, EmptyLabelsAreCellsAndNoLabelsGiveNoRecords) {
  LabelSettings none;
  none.code = none.size = none.material = none.comment = none.edges = false;
  const report::PreparedReport blank = prepareLabelSheet(std::vector<Label>(3, Label{u("A"), u("1 x 1"), {}, {}, {}}),
                                                         none, LabelKind::Offcuts, kTemplate, {});
  const auto c = cells(blank);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0]->shown, QString());
  EXPECT_EQ(c[0]->frameLines, report::FrameAll);

  const report::PreparedReport empty = prepareLabelSheet({}, LabelSettings{}, LabelKind::Parts, kTemplate, {});
  EXPECT_TRUE(cells(empty).empty());
  EXPECT_THROW(
      prepareLabelSheet({}, LabelSettings{}, LabelKind::Parts, QStringLiteral("/nonexistent/ScrapsLbl.frf"), {}),
      report::ReportError);
}

}  // namespace
}  // namespace kroyna::reports
