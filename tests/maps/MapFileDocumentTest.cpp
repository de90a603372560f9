// A maps document saved to a maps file and opened again, old text files
// opened into a document and recomputed, refused and failed saves, and the
// INI export of a document.

#include "maps/MapFileDocument.h"
#include "maps/MapsTestSupport.h"
#include "maps/ui/MapFileCommands.h"
#include "platform/text/Literals.h"

#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kroyna::maps {
namespace {

using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;
using testing::FakeEnvironment;
using testing::LayoutBuilder;
using testing::minimumSize;

using text::u;
QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

// Every field a maps file stores, compared one by one so that a failure
// names the field.
void expectSameStoredFields(const MapsDocument& a, const MapsDocument& b) {
  EXPECT_EQ(a.caption(), b.caption());
  EXPECT_EQ(a.millMode(), b.millMode());
  EXPECT_EQ(a.showBorder(), b.showBorder());
  EXPECT_EQ(a.showScrapsText(), b.showScrapsText());
  EXPECT_EQ(a.showHints(), b.showHints());
  EXPECT_EQ(a.colours(), b.colours());
  EXPECT_EQ(a.font(), b.font());
  EXPECT_EQ(a.usingSheets().entries(), b.usingSheets().entries());
  ASSERT_EQ(a.mapCount(), b.mapCount());
  for (int i = 0; i < a.mapCount(); ++i) {
    SCOPED_TRACE("map " + std::to_string(i));
    const SheetMap& x = a.map(i);
    const SheetMap& y = b.map(i);
    EXPECT_EQ(x.MaterialCode, y.MaterialCode);
    EXPECT_EQ(x.Caption, y.Caption);
    EXPECT_EQ(x.length, y.length);
    EXPECT_EQ(x.width, y.width);
    EXPECT_EQ(x.MillSize, y.MillSize);
    EXPECT_EQ(x.Quantity, y.Quantity);
    EXPECT_EQ(x.IsScraps, y.IsScraps);
    EXPECT_EQ(x.SheetName, y.SheetName);
    EXPECT_EQ(x.Remark, y.Remark);
    EXPECT_EQ(x.Color, y.Color);
    EXPECT_EQ(x.Font, y.Font);
    EXPECT_EQ(x.MillLinesCount, y.MillLinesCount);
    EXPECT_EQ(x.MillLinesLength, y.MillLinesLength);
    EXPECT_EQ(x.DetalsSquare, y.DetalsSquare);
    EXPECT_EQ(x.ScrapSquare, y.ScrapSquare);
    EXPECT_EQ(x.LostSquare, y.LostSquare);
    EXPECT_EQ(x.TotalSquare, y.TotalSquare);
    ASSERT_EQ(x.Parts.size(), y.Parts.size());
    for (std::size_t j = 0; j < x.Parts.size(); ++j) {
      const MapPart& p = x.Parts[j];
      const MapPart& q = y.Parts[j];
      EXPECT_EQ(p.Title, q.Title);
      EXPECT_EQ((std::array{p.x, p.y, p.length, p.width}), (std::array{q.x, q.y, q.length, q.width}));
      EXPECT_EQ((std::array{p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder}),
                (std::array{q.LeftBorder, q.RightBorder, q.TopBorder, q.BottomBorder}));
      EXPECT_EQ((std::array{p.LeftBorderColor, p.RightBorderColor, p.TopBorderColor, p.BottomBorderColor}),
                (std::array{q.LeftBorderColor, q.RightBorderColor, q.TopBorderColor, q.BottomBorderColor}));
      EXPECT_EQ(p.BrushColor, q.BrushColor);
      EXPECT_EQ((std::array{p.ShowTitle, p.ShowDim, p.ShowBorder}), (std::array{q.ShowTitle, q.ShowDim, q.ShowBorder}));
    }
    ASSERT_EQ(x.Offcuts.size(), y.Offcuts.size());
    for (std::size_t j = 0; j < x.Offcuts.size(); ++j) {
      const MapOffcut& p = x.Offcuts[j];
      const MapOffcut& q = y.Offcuts[j];
      EXPECT_EQ(p.ScrapName, q.ScrapName);
      EXPECT_EQ(p.ScrapType, q.ScrapType);
      EXPECT_EQ((std::array{p.x, p.y, p.length, p.width}), (std::array{q.x, q.y, q.length, q.width}));
      EXPECT_EQ(p.Color, q.Color);
      EXPECT_EQ(p.ShowText, q.ShowText);
      EXPECT_EQ(p.ShowDim, q.ShowDim);
      if (p.useful()) {
        EXPECT_EQ(p.Text, q.Text);
      }
    }
    ASSERT_EQ(x.Cuts.size(), y.Cuts.size());
    for (std::size_t j = 0; j < x.Cuts.size(); ++j) {
      const MapCut& p = x.Cuts[j];
      const MapCut& q = y.Cuts[j];
      EXPECT_EQ((std::array{p.x, p.y, p.length, p.width}), (std::array{q.x, q.y, q.length, q.width}));
      EXPECT_EQ(p.MillOrient, q.MillOrient);
      EXPECT_EQ(p.Color, q.Color);
      EXPECT_EQ(p.Visible, q.Visible);
    }
  }
}

// A result of two materials from real cuttings, with a map cut from a
// stock offcut, offcuts of both kinds, one turned useful by hand and one
// renamed, and a used-sheets list.
struct Result {
  FakeEnvironment env;
  MapsDocument doc{env};

  Result() {
    env.colourValues = MapColours{0x808080, 0xF0F0F0, 0x101010, 0x00FF00, 0x0000FF};
    env.criteria[3] = minimumSize(300, 200);
    env.criteria[4] = minimumSize(100, 100);
    env.materials = {{3, u("ДСП 16")}, {4, u("МДФ 10")}};
    env.edges[1] = {0x123456, 2, u("ПВХ 2")};
    doc.setFont(common::FontKeys{"Tahoma", 0x000080, 9, 204, true, false, true, false});
    doc.setShowBorder(true);
    doc.setShowScrapsText(true);
    doc.setShowHints(true);
    doc.setMillMode(MillLastSheet);

    engine::MaterialInput first;
    first.Params.SheetLength = 2800;
    first.Params.SheetWidth = 2070;
    first.Params.Variants = 3;
    first.Parts = {{"Дверь", 716, 396, 5, engine::RotateFree, 1, 1, 0, 0},
                   {"Полка", 1200, 300, 3, engine::RotateNever, 0, 0, 1, 0}};
    int n = 0;
    for (const engine::FinishedMap& m : testing::cutMaterial(first))
      doc.addMap(u("%1: Лист").arg(++n), 3, m, 4, u("фасады"));

    LayoutBuilder b(1200, 600);
    b.layout.IsScrap = true;
    b.layout.Name = "A-7";
    b.layout.Quantity = 2;
    const int p = b.part("Ящик", 500, 300);
    b.place(p, -2, -2);
    b.region(502, -2, 702, 604);  // a useful offcut 698 x 600
    b.region(-2, 302, 504, 84);   // too narrow: useless (500 x 80)
    b.cut(500, -2, false, 604);
    doc.addMap(u("%1: Листы 2 - 3 (A-7)").arg(++n), 4, b.finished(), 4, QString());

    // Kinds and names by hand: they must survive the file as they are.
    const int last = doc.mapCount() - 1;
    doc.setOffcutUseful(last, 1, true);
    doc.renameOffcut(last, 0, u("Б-12"));
    doc.usingSheets().add(3, 2800, 2070, 10, 7);
    doc.usingSheets().add(4, 1830, 2440, 4, 0);
  }
};

TEST(MapFileDocument, SavedAndReopenedDocumentIsEqualInEveryStoredField) {
  TempDir dir;
  Result r;
  ASSERT_GE(r.doc.mapCount(), 2);
  const QString path = qpath(dir / "kitchen.map");
  ASSERT_EQ(saveMapsTo(r.doc, path), QString());
  EXPECT_FALSE(r.doc.isModified());
  EXPECT_EQ(r.doc.fileName(), path);
  EXPECT_EQ(r.doc.caption(), u("Карты раскроя: kitchen.map"));

  // Opened with other colours in the settings: the file's are taken.
  FakeEnvironment other = r.env;
  other.colourValues = MapColours{};
  MapsDocument back(other);
  ASSERT_TRUE(openMapsFrom(back, path));
  EXPECT_FALSE(back.isModified());
  EXPECT_EQ(back.fileName(), path);
  expectSameStoredFields(r.doc, back);
  EXPECT_EQ(back.materialCodes(), (QList<int>{3, 4}));
  // Statistics are the stored ones; the totals follow from them.
  EXPECT_EQ(back.totals().scrap, r.doc.totals().scrap);
  EXPECT_EQ(back.totals().edges, r.doc.totals().edges);

  // Saving what was opened writes the same bytes.
  const std::string first = readBytes(dir / "kitchen.map");
  ASSERT_EQ(saveMapsTo(back, qpath(dir / "again.map")), QString());
  std::string second = readBytes(dir / "again.map");
  // Only the caption differs ("... kitchen.map" against "... again.map").
  EXPECT_EQ(first.size(), second.size());
}

TEST(MapFileDocument, SaveCarriesTheColoursOfTheSettingsAndTheFilterState) {
  TempDir dir;
  Result r;
  r.env.colourValues.mill = 0x00FFFF;  // changed in the settings since the run
  r.doc.setMaterialFilter(4);
  ASSERT_EQ(saveMapsTo(r.doc, qpath(dir / "a.map")), QString());
  const MapFileData data = readMapFile(dir / "a.map");
  EXPECT_EQ(data.header.millColour, 0x00FFFF);
  ASSERT_EQ(static_cast<int>(data.sheets.size()), r.doc.mapCount());
  for (int i = 0; i < r.doc.mapCount(); ++i)
    EXPECT_EQ(data.sheets[static_cast<std::size_t>(i)].visible, r.doc.map(i).MaterialCode == 4) << i;
}

TEST(MapFileDocument, ValuesThatDoNotFitRefuseTheSaveAndLeaveEverything) {
  TempDir dir;
  FakeEnvironment env;
  MapsDocument doc(env);
  LayoutBuilder b(70000, 2070);
  b.place(b.part("P", 100, 100), 8, 8);
  doc.addMap(u("1: Лист 1"), 3, b.finished(), 4, QString());
  doc.setCaption(u("Вариант раскроя 1"));
  const QString path = qpath(dir / "big.map");
  writeBytes(dir / "big.map", "old file");
  const QString failure = saveMapsTo(doc, path);
  EXPECT_NE(failure.indexOf(u("70000")), -1) << failure.toStdString();
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(doc.caption(), u("Вариант раскроя 1"));
  EXPECT_TRUE(doc.fileName().isEmpty());
  EXPECT_EQ(readBytes(dir / "big.map"), "old file");
}

TEST(MapFileDocument, OldTextFileIsRecomputedFromTodaysSettings) {
  FakeEnvironment env;
  env.colourValues = MapColours{0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
  env.criteria[3] = minimumSize(100, 500);  // the 2780 x 450 offcut is waste
  MapsDocument doc(env);
  const auto path = std::filesystem::path(KROYNA_TEST_DATA_DIR) / "maps" / "old_format.map";
  ASSERT_TRUE(openMapsFrom(doc, qpath(path)));
  EXPECT_EQ(doc.caption(), u("Карты раскроя: old_format.map"));
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.millMode(), MillShown);
  ASSERT_EQ(doc.mapCount(), 2);
  const SheetMap& m = doc.map(0);
  EXPECT_EQ(m.Color, 0x111111);
  EXPECT_EQ(m.Parts[0].BrushColor, 0x222222);
  ASSERT_EQ(m.Offcuts.size(), 1u);
  EXPECT_EQ(m.Offcuts[0].ScrapType, stLostScrap);
  EXPECT_EQ(m.Offcuts[0].Color, 0x333333);
  EXPECT_EQ(m.DetalsSquare, 600.0 * 400.0);
  EXPECT_EQ(m.ScrapSquare, 0.0);
  EXPECT_EQ(m.LostSquare, 2800.0 * 2070.0 - 600.0 * 400.0);
  for (const MapCut& c : m.Cuts) {
    EXPECT_EQ(c.Color, 0x555555);
    EXPECT_TRUE(c.Visible);  // mode "Рисовать"
  }
  // Material 4 has no criteria: its map's statistics count no offcut.
  EXPECT_EQ(doc.map(1).DetalsSquare, 500.0 * 300.0);
  EXPECT_EQ(doc.materialCodes(), (QList<int>{3, 4}));
  EXPECT_TRUE(doc.usingSheets().entries().empty());
}

TEST(MapFileDocument, DamagedFileOpensNothing) {
  TempDir dir;
  Result r;
  ASSERT_EQ(saveMapsTo(r.doc, qpath(dir / "a.map")), QString());
  std::string bytes = readBytes(dir / "a.map");
  bytes.resize(bytes.size() - 5);  // the last record cut off
  writeBytes(dir / "cut.map", bytes);
  FakeEnvironment env;
  MapsDocument doc(env);
  EXPECT_FALSE(openMapsFrom(doc, qpath(dir / "cut.map")));
  EXPECT_EQ(doc.mapCount(), 0);
  EXPECT_TRUE(doc.usingSheets().entries().empty());
  EXPECT_FALSE(openMapsFrom(doc, qpath(dir / "missing.map")));
  writeBytes(dir / "mode.map", "[Global]\r\nMillState=5\r\n");
  EXPECT_FALSE(openMapsFrom(doc, qpath(dir / "mode.map")));
}

TEST(MapFileDocument, ExportNamesTheMaterialsAndSortsOffcutsByKind) {
  TempDir dir;
  Result r;
  ASSERT_TRUE(exportMapsTo(r.doc, qpath(dir / "out.ini")));
  const std::string text = text::cp1251ToUtf8(readBytes(dir / "out.ini"));
  EXPECT_NE(text.find("[SHEET1]\r\nSNAME=1: Лист\r\nSMATERIAL=ДСП 16\r\nSWIDTH=2800\r\nSHEIGHT=2070\r\n"),
            std::string::npos);
  const int last = r.doc.mapCount();
  const std::string lastSection = "[SHEET" + std::to_string(last) + "]\r\n";
  const std::size_t at = text.find(lastSection);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.substr(at + lastSection.size()),
            "SNAME=" + std::to_string(last) +
                ": Листы 2 - 3 (A-7)\r\nSMATERIAL=МДФ 10\r\nSWIDTH=1200\r\nSHEIGHT=600\r\nSQUANTITY=2\r\n"
                "D1=\"Ящик\",500,300\r\nS1=\"Б-12\",698,600\r\nS2=\"\",500,80\r\n"
                "DCOUNT=1\r\nSCOUNT=2\r\nLSCOUNT=0\r\n");
  EXPECT_FALSE(exportMapsTo(r.doc, qpath(dir / "no such folder" / "out.ini")));
}

}  // namespace
}  // namespace kroyna::maps
