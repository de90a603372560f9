#include "shell/WindowList.h"

#include <gtest/gtest.h>

using namespace kroyna::shell;

TEST(WindowList, AcceleratorsOnlyForTheFirstNineWindows) {
  EXPECT_EQ(windowListCaption(1, "База деталей"), "&1. База деталей");
  EXPECT_EQ(windowListCaption(9, "Склад"), "&9. Склад");
  EXPECT_EQ(windowListCaption(10, "Склад"), "10. Склад");
  EXPECT_EQ(windowListCaption(11, "A"), "11. A");
  // An ampersand of the caption is shown, not taken as an accelerator.
  EXPECT_EQ(windowListCaption(2, "Стол & стул"), "&2. Стол && стул");
}

TEST(WindowList, TilesCoverTheAreaWithoutGapsOrOverlaps) {
  const QRect area(0, 0, 1001, 700);
  for (auto dir : {TileDirection::Horizontal, TileDirection::Vertical}) {
    for (int n = 1; n <= 7; ++n) {
      const auto frames = tileFrames(area, n, dir);
      ASSERT_EQ(frames.size(), n);
      int covered = 0;
      for (int i = 0; i < n; ++i) {
        covered += frames[i].width() * frames[i].height();
        if (i > 0) {
          if (dir == TileDirection::Horizontal)
            EXPECT_EQ(frames[i].top(), frames[i - 1].bottom() + 1);
          else
            EXPECT_EQ(frames[i].left(), frames[i - 1].right() + 1);
        }
      }
      EXPECT_EQ(covered, area.width() * area.height());
    }
  }
  EXPECT_TRUE(tileFrames(area, 0, TileDirection::Vertical).isEmpty());
  // Horizontal tiling stacks windows, each the full width.
  EXPECT_EQ(tileFrames(area, 2, TileDirection::Horizontal)[1], QRect(0, 350, 1001, 350));
}
