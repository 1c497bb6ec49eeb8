// The hint bar's place and the chips' places.
#include "capture/HintBar.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "tests/capture/CapturePrint.h"

TEST(HintBar, LaidOutCentredAboveTheBottomWithChipsAtTheRightEnd) {
  Settings::shared().setFastMode(false);
  for (bool windowMode : {false, true}) {
    const capture::HintBar bar({windowMode, true, false}, {1280, 800});
    const QRectF r = bar.rect();
    EXPECT_EQ(r, QRectF(640 - r.width() / 2, 800 - 32 - 32, r.width(), 32));
    EXPECT_EQ(bar.segmentCount(), windowMode ? 3 : 4);
    // Chip frame: 1.5 inside, chips side by side, 12 of margin after it.
    EXPECT_DOUBLE_EQ(bar.accurateChip().left(), bar.fastChip().right());
    EXPECT_DOUBLE_EQ(r.right() - bar.accurateChip().right(), 12 + 1.5);
    EXPECT_DOUBLE_EQ(bar.fastChip().center().y(), r.center().y());
    EXPECT_TRUE(bar.paintRect().contains(r));
  }
}
