// kroyna-cut --map: the result written as a maps file holds the maps of the
// JSON result, in the program's form (tab captions, statistics, used
// sheets), and values the file cannot hold refuse the file.

#include "maps/model/MapFile.h"

#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using kroyna::testing::CutRun;
using kroyna::testing::slurp;
using nlohmann::json;

class KroynaCutMap : public kroyna::testing::CutProcessTest {};

TEST_F(KroynaCutMap, WritesTheMapsOfTheResult) {
  const fs::path job = write("job.json", R"({
        "material": "ЛДСП 16", "sheet": {"length": 1000, "width": 500}, "variants": 10,
        "stockControl": true, "stockCount": 5,
        "offcuts": [{"name": "A", "length": 500, "width": 300}, {"name": "A", "length": 500, "width": 300}],
        "parts": [{"name": "fits", "length": 496, "width": 296, "many": 2},
                  {"name": "big", "length": 900, "width": 450, "many": 3, "edges": [0, 5, 0, 5]}]
    })");
  const fs::path mapFile = dir_ / "result.map";
  std::string out, err;
  ASSERT_EQ(cut("--map '" + mapFile.string() + "' --code 7 '" + job.string() + "'", out, err), 0) << err;
  const json result = json::parse(out);
  const kroyna::maps::MapFileData data = kroyna::maps::readMapFile(mapFile);

  EXPECT_EQ(data.format, kroyna::maps::MapFileFormat::Binary);
  EXPECT_EQ(data.header.caption, "Вариант раскроя 1: \"ЛДСП 16\"");
  ASSERT_EQ(data.sheets.size(), result["maps"].size());
  ASSERT_GE(data.sheets.size(), 2u);
  int sheetsBefore = 0;
  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    SCOPED_TRACE(i);
    const kroyna::maps::MapSheetRecord& s = data.sheets[i];
    const json& m = result["maps"][i];
    EXPECT_EQ(s.material, 7);
    EXPECT_EQ(s.millSize, 4);
    EXPECT_EQ(s.width, m["sheet"]["length"]);
    EXPECT_EQ(s.height, m["sheet"]["width"]);
    EXPECT_EQ(s.quantity, m["quantity"]);
    EXPECT_EQ(s.isScraps, m["offcut"]);
    EXPECT_EQ(s.sheetName, m["name"]);
    EXPECT_EQ(s.millCount, m["cutCount"]);
    EXPECT_EQ(s.millLength, m["cutLength"].get<double>());
    ASSERT_EQ(s.parts.size(), m["parts"].size());
    double parts = 0;
    for (std::size_t j = 0; j < s.parts.size(); ++j) {
      const json& p = m["parts"][j];
      EXPECT_EQ(s.parts[j].title, p["name"]);
      EXPECT_EQ(s.parts[j].left, p["x"]);
      EXPECT_EQ(s.parts[j].top, p["y"]);
      EXPECT_EQ(s.parts[j].width, p["length"]);
      EXPECT_EQ(s.parts[j].height, p["width"]);
      EXPECT_EQ(s.parts[j].edges[1], p["edges"][1]);
      parts += double(s.parts[j].width) * s.parts[j].height;
    }
    ASSERT_EQ(s.offcuts.size(), m["offcuts"].size());
    double offcuts = 0;
    for (const auto& o : s.offcuts) {
      EXPECT_FALSE(o.useless);  // no criteria: every offcut is kept
      offcuts += double(o.width) * o.height;
    }
    EXPECT_EQ(s.cuts.size(), m["cuts"].size());
    EXPECT_EQ(s.detalsSquare, parts);
    EXPECT_EQ(s.scrapSquare, offcuts);
    EXPECT_EQ(s.lostSquare, double(s.width) * s.height - parts - offcuts);
    // The captions the cutting run gives.
    const int q = m["quantity"];
    std::string caption =
        std::to_string(i + 1) + ": " +
        (q > 1 ? "Листы " + std::to_string(sheetsBefore + 1) + " - " + std::to_string(sheetsBefore + q)
               : "Лист " + std::to_string(sheetsBefore + 1));
    if (m["name"] != "") caption += " (" + m["name"].get<std::string>() + ")";
    EXPECT_EQ(s.caption, caption);
    sheetsBefore += q;
  }
  // Under stock control: the standard sheet with the count at the start
  // and the count left (two of "big" fit nowhere but on sheets of their own).
  ASSERT_EQ(data.usedSheets.size(), 1u);
  EXPECT_EQ(data.usedSheets[0].material, 7);
  EXPECT_EQ(data.usedSheets[0].length, 1000);
  EXPECT_EQ(data.usedSheets[0].width, 500);
  EXPECT_EQ(data.usedSheets[0].initial, 5);
  EXPECT_EQ(data.usedSheets[0].remaining, 2);
}

TEST_F(KroynaCutMap, WithoutACodeTheMapsBelongToNoMaterial) {
  const fs::path job = write("job.json", R"({"sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "P", "length": 300, "width": 200, "many": 1}]})");
  std::string out, err;
  ASSERT_EQ(cut("--map '" + (dir_ / "a.map").string() + "' '" + job.string() + "'", out, err), 0) << err;
  const kroyna::maps::MapFileData data = kroyna::maps::readMapFile(dir_ / "a.map");
  ASSERT_EQ(data.sheets.size(), 1u);
  EXPECT_EQ(data.sheets[0].material, -1);
  EXPECT_EQ(data.header.caption, "Вариант раскроя 1");
  EXPECT_TRUE(data.usedSheets.empty());
}

TEST_F(KroynaCutMap, SizesTheFileCannotHoldRefuseTheFile) {
  const fs::path job = write("job.json", R"({"sheet": {"length": 70000, "width": 500},
        "parts": [{"name": "P", "length": 300, "width": 200, "many": 1}]})");
  write("old.map", "kept");
  std::string out, err;
  EXPECT_EQ(cut("--map '" + (dir_ / "old.map").string() + "' '" + job.string() + "'", out, err), 1);
  EXPECT_NE(err.find("70000"), std::string::npos) << err;
  EXPECT_NE(err.find("65535"), std::string::npos) << err;
  EXPECT_EQ(slurp(dir_ / "old.map"), "kept");
  EXPECT_TRUE(out.empty());
}

TEST_F(KroynaCutMap, WrongOptionsAreRefused) {
  const fs::path job = write("job.json", R"({"sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "P", "length": 300, "width": 200, "many": 1}]})");
  std::string out, err;
  EXPECT_EQ(cut("--map", out, err), 2);
  EXPECT_EQ(cut("--code 3 '" + job.string() + "'", out, err), 2);
  EXPECT_NE(err.find("--map"), std::string::npos) << err;
  EXPECT_EQ(cut("--map x.map --code three '" + job.string() + "'", out, err), 2);
  EXPECT_EQ(cut("--map x.map --code 99999999999 '" + job.string() + "'", out, err), 2);
  EXPECT_EQ(cut("--map '" + (dir_ / "no folder" / "x.map").string() + "' '" + job.string() + "'", out, err), 1);
}

}  // namespace
