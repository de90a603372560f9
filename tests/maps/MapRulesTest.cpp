// The one conversion from the engine's finished maps to maps, which the
// maps window, the maps file and the headless cutter share: geometry,
// offcut verdicts with their colours and labels, statistics, cuts shown
// and tab captions, worked out by hand over the settings that change them.

#include "maps/model/MapRules.h"

#include <gtest/gtest.h>

#include "engine/FinishedMap.h"

namespace kroyna::maps {
namespace {

// A 1000 x 500 offcut "A-1" from stock, cut twice with kerf 4: one part
// 600 x 300 at the corner with edges on its left and top side, a useful
// looking 396 x 300 offcut beside it and a 1000 x 50 strip below.
engine::FinishedMap handMap() {
  engine::FinishedMap f;
  f.SheetLength = 1000;
  f.SheetWidth = 500;
  f.IsScrap = true;
  f.Name = "A-1";
  f.Quantity = 2;
  engine::MapPart p;
  p.Name = "Бок";
  p.X = 2;
  p.Y = 2;
  p.Length = 600;
  p.Width = 300;
  p.Edges = {7, 0, 8, 0};
  f.Parts.push_back(p);
  f.Offcuts.push_back({606, 2, 396, 300});
  f.Offcuts.push_back({2, 306, 1000, 50});
  engine::MapCut along;  // under the part, along X
  along.X = 0;
  along.Y = 304;
  along.Length = 1000;
  along.AlongX = true;
  along.BandX = 0;
  along.BandY = 302;
  along.BandLength = 1000;
  along.BandWidth = 4;
  f.Cuts.push_back(along);
  f.MillCount = 2;
  f.MillLength = 1300;
  return f;
}

class Look : public MapLook {
 public:
  MapColours c{0x808080, 0xF0F0F0, 0x101010, 0x00FF00, 0x0000FF};
  std::map<int, common::ScrapCriteria> criteria;
  mutable int criteriaReads = 0;
  MapColours colours() const override { return c; }
  common::ScrapCriteria scrapCriteria(int code) const override {
    ++criteriaReads;
    auto it = criteria.find(code);
    return it == criteria.end() ? common::ScrapCriteria{} : it->second;
  }
  std::int32_t edgeColour(int code, std::int32_t def) const override { return code == 7 ? 0x123456 : def; }
};

NewMap newMap() {
  NewMap n;
  n.caption = "1: Листы 1 - 2 (A-1)";
  n.materialCode = 3;
  n.kerf = 4;
  n.remark = "срочно";
  n.font = common::FontKeys{"Tahoma", 0x80, 9, 204, true, false, false, false};
  n.showTitle = false;
  n.showDim = true;
  n.showBorder = true;
  return n;
}

TEST(MapRules, AMapCarriesTheFinishedLayoutAndTheRunsSettings) {
  const SheetMap m = makeMap(handMap(), newMap());
  EXPECT_EQ(m.Caption, "1: Листы 1 - 2 (A-1)");
  EXPECT_EQ(m.MaterialCode, 3);
  EXPECT_EQ(m.length, 1000);
  EXPECT_EQ(m.width, 500);
  EXPECT_EQ(m.Quantity, 2);
  EXPECT_TRUE(m.IsScraps);
  EXPECT_EQ(m.SheetName, "A-1");
  EXPECT_EQ(m.MillSize, 4);
  EXPECT_EQ(m.Remark, "срочно");
  EXPECT_EQ(m.Font.name, "Tahoma");
  EXPECT_EQ(m.MillLinesCount, 2);
  EXPECT_DOUBLE_EQ(m.MillLinesLength, 1300);
  ASSERT_EQ(m.Parts.size(), 1u);
  const MapPart& p = m.Parts[0];
  EXPECT_EQ(p.Title, "Бок");
  EXPECT_EQ((std::array{p.x, p.y, p.length, p.width}), (std::array{2, 2, 600, 300}));
  EXPECT_EQ((std::array{p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder}), (std::array{7, 0, 8, 0}));
  EXPECT_FALSE(p.ShowTitle);
  EXPECT_TRUE(p.ShowDim);
  EXPECT_TRUE(p.ShowBorder);
  ASSERT_EQ(m.Offcuts.size(), 2u);
  EXPECT_EQ((std::array{m.Offcuts[1].x, m.Offcuts[1].y, m.Offcuts[1].length, m.Offcuts[1].width}),
            (std::array{2, 306, 1000, 50}));
  ASSERT_EQ(m.Cuts.size(), 1u);
  EXPECT_EQ((std::array{m.Cuts[0].x, m.Cuts[0].y, m.Cuts[0].length, m.Cuts[0].width}), (std::array{0, 302, 1000, 4}));
  EXPECT_TRUE(m.Cuts[0].MillOrient);
}

TEST(MapRules, OffcutVerdictsColoursAndStatisticsFollowTheCriteria) {
  Look look;
  const double sheet = 1000.0 * 500, part = 600.0 * 300, side = 396.0 * 300, strip = 1000.0 * 50;

  // Criteria off: every offcut is useful, its label its stock name or
  // "Остаток", its texts shown with ShowScrapsText.
  SheetMap off = makeMap(handMap(), newMap());
  off.Offcuts[0].ScrapName = "Ост-9";
  classifyMap(off, {}, look.c, look, true);
  EXPECT_EQ(off.Color, 0x808080);
  EXPECT_EQ(off.Cuts[0].Color, 0x0000FF);
  EXPECT_EQ(off.Parts[0].BrushColor, 0xF0F0F0);
  EXPECT_EQ(off.Parts[0].LeftBorderColor, 0x123456);  // edge 7 of the catalogue
  EXPECT_EQ(off.Parts[0].TopBorderColor, 0xF0F0F0);   // edge 8 unknown: the part's colour
  EXPECT_EQ(off.Offcuts[0].Text, "Ост-9");
  EXPECT_EQ(off.Offcuts[1].Text, "Остаток");
  for (const MapOffcut& o : off.Offcuts) {
    EXPECT_TRUE(o.useful());
    EXPECT_EQ(o.Color, 0x00FF00);
    EXPECT_TRUE(o.ShowText);
    EXPECT_TRUE(o.ShowDim);
  }
  EXPECT_DOUBLE_EQ(off.DetalsSquare, part);
  EXPECT_DOUBLE_EQ(off.ScrapSquare, side + strip);
  EXPECT_DOUBLE_EQ(off.LostSquare, sheet - part - side - strip);
  EXPECT_DOUBLE_EQ(off.TotalSquare, sheet - part);

  // Normal mode, narrower than 100 is waste: the strip becomes "Отход" and
  // its area moves to the waste.
  common::ScrapCriteria narrow;
  narrow.widthOn = true;
  narrow.p2 = 100;
  SheetMap normal = makeMap(handMap(), newMap());
  classifyMap(normal, narrow, look.c, look, true);
  EXPECT_TRUE(normal.Offcuts[0].useful());
  EXPECT_FALSE(normal.Offcuts[1].useful());
  EXPECT_EQ(normal.Offcuts[1].Text, "Отход");
  EXPECT_EQ(normal.Offcuts[1].Color, 0x101010);
  EXPECT_FALSE(normal.Offcuts[1].ShowText);
  EXPECT_DOUBLE_EQ(normal.ScrapSquare, side);
  EXPECT_DOUBLE_EQ(normal.LostSquare, sheet - part - side);
  EXPECT_DOUBLE_EQ(normal.TotalSquare, sheet - part);

  // Joint mode: waste only when every criterion holds; the length
  // criterion is off, so the strip is useful again.
  narrow.joint = true;
  SheetMap joint = makeMap(handMap(), newMap());
  classifyMap(joint, narrow, look.c, look, false);
  EXPECT_TRUE(joint.Offcuts[1].useful());
  EXPECT_FALSE(joint.Offcuts[1].ShowText);  // ShowScrapsText off
  EXPECT_DOUBLE_EQ(joint.ScrapSquare, side + strip);
}

TEST(MapRules, EachMapIsJudgedByItsMaterialsCriteria) {
  Look look;
  look.criteria[5].widthOn = true;
  look.criteria[5].p2 = 100;
  std::vector<SheetMap> maps;
  for (int code : {3, 5, 3}) {
    NewMap n = newMap();
    n.materialCode = code;
    maps.push_back(makeMap(handMap(), n));
  }
  EXPECT_EQ(classifyMaps(maps, look, true), look.c);
  EXPECT_TRUE(maps[0].Offcuts[1].useful());
  EXPECT_FALSE(maps[1].Offcuts[1].useful());
  EXPECT_TRUE(maps[2].Offcuts[1].useful());
  EXPECT_EQ(look.criteriaReads, 2);  // once a material
}

TEST(MapRules, CutsShownFollowTheModeAndTheMaterialFilter) {
  std::vector<SheetMap> maps;
  for (int code : {1, 2, 1}) {
    NewMap n = newMap();
    n.materialCode = code;
    maps.push_back(makeMap(handMap(), n));
  }
  auto shown = [&] {
    std::vector<bool> v;
    for (const SheetMap& m : maps) v.push_back(m.Cuts[0].Visible);
    return v;
  };
  applyMillMode(maps, MillLastSheet, kAllMaterials);
  EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
  // Under a filter the last map it shows, not the last map, has the cuts.
  applyMillMode(maps, MillLastSheet, 2);
  EXPECT_EQ(shown(), (std::vector<bool>{false, true, false}));
  EXPECT_FALSE(isMapShown(maps[0], 2));
  applyMillMode(maps, MillLastSheet, 9);
  EXPECT_EQ(lastMapForCuts(maps, 9), -1);
  EXPECT_EQ(shown(), (std::vector<bool>{false, false, false}));
  applyMillMode(maps, MillShown, 9);
  EXPECT_EQ(shown(), (std::vector<bool>{true, true, true}));
  applyMillMode(maps, MillHidden, kAllMaterials);
  EXPECT_EQ(shown(), (std::vector<bool>{false, false, false}));
}

TEST(MapRules, TabCaptionsCountTheSheetsOfTheMaterial) {
  TabCaptions captions;
  // Two identical offcuts "A", then three standard sheets.
  EXPECT_EQ(captions.next(0, 2, true, "A"), "1: Листы 1 - 2 (A)");
  EXPECT_EQ(captions.next(1, 3, false, ""), "2: Листы 3 - 5");
  // Only an offcut from stock shows its name; a standard sheet never does.
  EXPECT_EQ(captions.next(2, 1, false, "2800x2070"), "3: Лист 6");
  // A map is cut at least once.
  EXPECT_EQ(captions.next(3, 0, false, ""), "4: Лист 7");
  EXPECT_EQ(captions.next(4, 1, true, "Б"), "5: Лист 8 (Б)");
  engine::FinishedMap f = handMap();
  TabCaptions fresh;
  EXPECT_EQ(fresh.next(7, f), "8: Листы 1 - 2 (A-1)");
}

TEST(MapRules, RecordsKeepEveryFieldOfAMap) {
  Look look;
  common::ScrapCriteria narrow;
  narrow.widthOn = true;
  narrow.p2 = 100;
  SheetMap m = makeMap(handMap(), newMap());
  classifyMap(m, narrow, look.c, look, true);
  const MapSheetRecord r = toRecord(m, false);
  EXPECT_FALSE(r.visible);
  EXPECT_TRUE(r.offcuts[1].useless);
  EXPECT_EQ(r.font.style, kFontBold);
  const SheetMap back = fromRecord(r);
  EXPECT_EQ(back, m);
  // The useless offcut reads back with its label "Отход".
  EXPECT_EQ(back.Offcuts[1].Text, "Отход");
}

}  // namespace
}  // namespace kroyna::maps
