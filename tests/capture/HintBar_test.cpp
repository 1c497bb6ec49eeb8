// The hint bar's segments, its width rule and the chips' places.
#include "capture/HintBar.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "core/Strings.h"
#include "tests/capture/CapturePrint.h"

using capture::HintBar;

TEST(HintBar, SegmentsFollowTheModeAndTheLastPick) {
  const Strings en(QStringLiteral("en"));
  const auto window = capture::hintSegments(en, true, true, QStringLiteral("CtrlShift2"));
  ASSERT_EQ(window.size(), 3u);
  EXPECT_EQ(window[0].text, en.pickWindow);
  EXPECT_TRUE(window[0].bold);
  EXPECT_EQ(window[1].text, en.spaceDrag);
  EXPECT_EQ(window[2].text, en.escCancel);

  EXPECT_EQ(capture::hintSegments(en, false, false, {}).size(), 3u);
  const auto region = capture::hintSegments(en, false, true, QStringLiteral("CtrlShift2"));
  ASSERT_EQ(region.size(), 4u);
  EXPECT_EQ(region[0].text, en.dragSelect);
  EXPECT_EQ(region[1].text, en.spaceWindow);
  EXPECT_EQ(region[2].text, en.sameSpot(QStringLiteral("CtrlShift2")));
  EXPECT_FALSE(region[2].bold);
  EXPECT_EQ(region[3].text, en.escCancel);
}

TEST(HintBar, WidthRule) {
  // 8 + 18 + 8 + 180 + 14*2 + 14 + 1 + 14 + (54 + 74 + 3) + 12
  EXPECT_DOUBLE_EQ(capture::hintBarWidth({100, 50, 30}, 40, 60), 414);
  EXPECT_DOUBLE_EQ(capture::chipsWidth(40, 60), 131);
  EXPECT_DOUBLE_EQ(capture::hintBarWidth({10}, 0, 0), 8 + 18 + 8 + 10 + 14 + 1 + 14 + 31 + 12);
}

TEST(HintBar, ChipHitAreasReachAlittleBeyondTheChips) {
  EXPECT_EQ(capture::chipHitArea({100, 50, 40, 18}), QRectF(98, 46, 44, 26));
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
