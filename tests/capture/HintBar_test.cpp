// The hint bar's segments, its width rule and the chips' places.
#include "capture/HintBar.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "tests/capture/CapturePrint.h"

using capture::HintBar;

TEST(HintBar, WidthRule) {
  // 8 + 18 + 8 + 180 + 14*2 + 14 + 1 + 14 + (54 + 74 + 3) + 12
  EXPECT_DOUBLE_EQ(capture::hintBarWidth({100, 50, 30}, 40, 60), 414);
  EXPECT_DOUBLE_EQ(capture::chipsWidth(40, 60), 131);
  EXPECT_DOUBLE_EQ(capture::hintBarWidth({10}, 0, 0), 8 + 18 + 8 + 10 + 14 + 1 + 14 + 31 + 12);
}

TEST(HintBar, LaidOutCentredAboveTheBottomWithChipsAtTheRightEnd) {
  Settings::shared().setFastMode(false);
  for (bool windowMode : {false, true}) {
    const HintBar bar({windowMode, true, false}, {1280, 800});
    const QRectF r = bar.rect();
    EXPECT_DOUBLE_EQ(r.center().x(), 640);
    EXPECT_DOUBLE_EQ(r.bottom(), 800 - 32);
    EXPECT_DOUBLE_EQ(r.height(), 32);
    EXPECT_EQ(bar.segmentCount(), windowMode ? 3 : 4);
    // Chip frame: 1.5 inside, chips side by side, 12 of margin after it.
    EXPECT_DOUBLE_EQ(bar.accurateChip().left(), bar.fastChip().right());
    EXPECT_DOUBLE_EQ(r.right() - bar.accurateChip().right(), 12 + 1.5);
    EXPECT_DOUBLE_EQ(bar.fastChip().height(), 18);
    EXPECT_DOUBLE_EQ(bar.fastChip().center().y(), r.center().y());
    EXPECT_TRUE(bar.paintRect().contains(r));
  }
}
