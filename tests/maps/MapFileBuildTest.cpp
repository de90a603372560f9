// Maps built without the program's windows (the headless cutter) must be
// the maps the maps window builds: same records, kinds, colours and
// statistics for the same finished maps and settings.

#include "maps/MapFileBuild.h"
#include "maps/MapFileDocument.h"
#include "maps/MapsTestSupport.h"

#include <gtest/gtest.h>

namespace kroyna::maps {
namespace {

using testing::FakeEnvironment;

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(MapFileBuild, SameMapsAsTheMapsWindowBuilds) {
  FakeEnvironment env;
  env.colourValues = MapColours{0x808080, 0xF0F0F0, 0x101010, 0x00FF00, 0x0000FF};
  env.criteria[3] = testing::minimumSize(400, 150);
  env.edges[1] = {0x123456, 2, u("ПВХ")};
  env.font = shell::FontKeys{"Tahoma", 0x80, 9, 204, true, false, false, false};
  MapsDocument doc(env);
  doc.setShowScrapsText(true);
  doc.setShowBorder(true);
  doc.setShowTitleForNew(false);
  doc.setMillMode(MillLastSheet);

  engine::MaterialInput input;
  input.Params.SheetLength = 2800;
  input.Params.SheetWidth = 2070;
  input.Params.Variants = 2;
  input.Parts = {{"Дверь", 716, 396, 7, engine::RotateFree, 1, 0, 1, 0}, {"Бок", 1900, 560, 3, engine::RotateFree}};
  const std::vector<engine::FinishedMap> maps = testing::cutMaterial(input);
  ASSERT_GE(maps.size(), 2u);

  MapFileData built;
  built.header.millMode = MillLastSheet;
  MapBuildSettings settings;
  settings.kerf = 4;
  settings.material = 3;
  settings.remark = "срочно";
  settings.showTitle = false;
  settings.showDim = true;
  settings.isWaste = [&](std::int32_t l, std::int32_t w) { return warehouse::isWaste(env.criteria[3], l, w); };
  settings.edgeColour = [&](std::int32_t code, std::int32_t def) { return env.edgeColour(code, def); };
  std::int64_t sheets = 0;
  for (const engine::FinishedMap& m : maps) {
    const std::string caption = runTabCaption(static_cast<int>(built.sheets.size()), sheets, m.Quantity, m.Name);
    sheets += m.Quantity;
    doc.addMap(QString::fromStdString(caption), 3, m, 4, u("срочно"));
    settings.document = mapFileData(doc).header;
    built.sheets.push_back(buildMapSheet(m, caption, settings));
  }
  applyMillMode(built);

  const MapFileData fromWindow = mapFileData(doc);
  ASSERT_EQ(fromWindow.sheets.size(), built.sheets.size());
  for (std::size_t i = 0; i < built.sheets.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(built.sheets[i], fromWindow.sheets[i]);
  }
  // Some offcut of the real cutting must be waste under these criteria,
  // and some useful, for the comparison to mean something.
  bool waste = false, useful = false;
  for (const MapSheetRecord& s : built.sheets)
    for (const MapOffcutRecord& o : s.offcuts) (o.useless ? waste : useful) = true;
  EXPECT_TRUE(waste);
  EXPECT_TRUE(useful);
}

TEST(MapFileBuild, TabCaptionsCountTheSheetsOfTheMaterial) {
  EXPECT_EQ(runTabCaption(0, 0, 2, "A"), "1: Листы 1 - 2 (A)");
  EXPECT_EQ(runTabCaption(1, 2, 3, ""), "2: Листы 3 - 5");
  EXPECT_EQ(runTabCaption(2, 5, 1, ""), "3: Лист 6");
}

}  // namespace
}  // namespace kroyna::maps
