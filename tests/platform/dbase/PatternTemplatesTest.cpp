// The committed templates in data/Pattern must be exactly what the template
// generator (tools/patterns) writes.
#include "PatternTables.h"

#include "platform/dbase/DbaseTestUtil.h"

#include <gtest/gtest.h>

TEST(PatternTemplates, CommittedFilesEqualTheGeneratorOutput) {
  const std::filesystem::path folder = std::filesystem::path(KROYNA_SOURCE_DATA_DIR) / "Pattern";
  const auto tables = kroyna::patterns::patternTables();
  ASSERT_EQ(tables.size(), 6u);
  for (const auto& t : tables)
    EXPECT_EQ(kroyna::dbase::testing::readBytes(folder / t.fileName), kroyna::patterns::patternBytes(t))
        << t.fileName << " differs: run kroyna-patterns data/Pattern";
}

TEST(PatternTemplates, FieldsInTheOrderTheirOwnersGive) {
  auto names = [](const kroyna::patterns::PatternTable& t) {
    std::vector<std::string> out;
    for (const auto& f : t.fields) out.push_back(f.name);
    return out;
  };
  const auto tables = kroyna::patterns::patternTables();
  using V = std::vector<std::string>;
  EXPECT_EQ(names(tables[0]),
            (V{"NAME", "LENGTH", "WIDTH", "MANY", "ROTATE", "LBORDER", "RBORDER", "TBORDER", "BBORDER", "MATERIAL"}));
  EXPECT_EQ(names(tables[1]), (V{"MATERIAL", "CODE"}));
  EXPECT_EQ(names(tables[2]), (V{"CODE", "NAME", "COLOR", "PRIPUSK"}));
  EXPECT_EQ(names(tables[3]), (V{"LENGTH", "WIDTH", "MANY", "CODE"}));
  EXPECT_EQ(names(tables[4]), (V{"NAME", "LENGTH", "WIDTH", "MANY", "CODE", "DATE"}));
  EXPECT_EQ(names(tables[5]), (V{"MATERIAL", "NAME", "QUANTITY"}));
  EXPECT_EQ(tables[4].fields[0].width, 20);  // offcut codes
  EXPECT_EQ(tables[5].fields[1].width, 35);
}
