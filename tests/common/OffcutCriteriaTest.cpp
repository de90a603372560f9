#include "common/settings/OffcutCriteria.h"

#include <gtest/gtest.h>

#include <set>

namespace kroyna::common {
namespace {

TEST(ScrapCriteria, RoundTripAndMissingItems) {
  ScrapCriteria c;
  c.joint = true;
  c.lengthOn = true;
  c.p1 = 300;
  c.widthOn = false;
  c.p2 = 120;  // kept while switched off
  c.areaOn = true;
  c.area = 3000000000LL;
  c.lengthLimitOn = true;
  c.p3 = 500;
  c.widthLimitOn = true;
  c.p4 = 450;
  c.cleanUp = true;
  const std::string text = formatScrapCriteria(c);
  EXPECT_EQ(text, "1,1,300,0,120,1,3000000000,1,500,1,450,1");
  EXPECT_EQ(parseScrapCriteria(text), c);

  // Missing trailing items read as 0; junk reads as 0.
  const ScrapCriteria shortRec = parseScrapCriteria("0,1,300");
  EXPECT_TRUE(shortRec.lengthOn);
  EXPECT_EQ(shortRec.p1, 300);
  EXPECT_FALSE(shortRec.areaOn);
  EXPECT_FALSE(shortRec.cleanUp);
  EXPECT_EQ(parseScrapCriteria(""), ScrapCriteria{});
  EXPECT_EQ(parseScrapCriteria("x,1,abc").p1, 0);
  EXPECT_EQ(parseScrapCriteria("0,1,99999999999").p1, 2147483647);
}

TEST(ScrapCriteria, NormalMode) {
  ScrapCriteria c;
  c.lengthOn = true;
  c.p1 = 300;
  c.areaOn = true;
  c.area = 250000;
  EXPECT_TRUE(isWaste(c, 250, 900));   // too short
  EXPECT_TRUE(isWaste(c, 600, 400));   // area 0.24
  EXPECT_FALSE(isWaste(c, 600, 500));  // area 0.30
  c.lengthLimitOn = true;
  c.p3 = 500;
  EXPECT_FALSE(isWaste(c, 600, 400));  // 600 is not below the limit
  EXPECT_TRUE(isWaste(c, 450, 400));

  ScrapCriteria w;
  w.widthOn = true;
  w.p2 = 100;
  EXPECT_TRUE(isWaste(w, 2000, 50));
  EXPECT_FALSE(isWaste(w, 2000, 100));
  // Nothing switched on: every offcut is useful.
  EXPECT_FALSE(isWaste(ScrapCriteria{}, 1, 1));
}

TEST(ScrapCriteria, JointModeUsesEffectiveValues) {
  ScrapCriteria w;
  w.joint = true;
  w.widthOn = true;
  w.p2 = 100;
  EXPECT_FALSE(isWaste(w, 2000, 50));  // the switched-off length criterion counts as 0
  EXPECT_FALSE(isWaste(w, 1, 1));

  ScrapCriteria all;
  all.joint = true;
  all.lengthOn = true;
  all.p1 = 300;
  all.widthOn = true;
  all.p2 = 300;
  all.areaOn = true;
  all.area = 50000;
  EXPECT_TRUE(isWaste(all, 200, 200));
  EXPECT_FALSE(isWaste(all, 200, 260));  // area 52000 is not below
  EXPECT_FALSE(isWaste(all, 350, 100));  // long enough
  // Large sizes do not overflow the area.
  EXPECT_FALSE(isWaste(all, 2147483647, 2147483647));
}

TEST(MarkRecord, RoundTripAndNextMark) {
  const MarkRecord m{true, "A B", "-x,y", 41};
  EXPECT_EQ(parseMarkRecord(formatMarkRecord(m)), m);
  EXPECT_EQ(parseMarkRecord("1"), (MarkRecord{true, "", "", 0}));

  std::set<std::string> used{"A B42-x,y"};
  auto isUsed = [&](const std::string& n) { return used.count(n) > 0; };
  const NextMark n = nextMark(m, isUsed);
  EXPECT_EQ(n.name, "A B43-x,y");
  EXPECT_EQ(n.number, 43);
  // Without continuous numbering the count starts at 1.
  const NextMark first = nextMark({false, "P", "", 41}, isUsed);
  EXPECT_EQ(first.name, "P1");
  // At the largest number it stops instead of wrapping round.
  EXPECT_EQ(nextMark({true, "", "", 2147483647}, isUsed).number, 2147483647);
}

}  // namespace
}  // namespace kroyna::common
