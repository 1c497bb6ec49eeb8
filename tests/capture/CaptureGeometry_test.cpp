// The arithmetic of a capture across screens and pixel ratios.
#include "capture/CaptureGeometry.h"

#include <gtest/gtest.h>


#include "tests/support/Printers.h"

using namespace capture;

TEST(CaptureGeometry, ScreenUnderThePointerOwnsItsLeftAndTopEdgesOnly) {
  // A 1280 x 800 screen with a 1920 x 1080 one to its right, a third above.
  const std::vector<QRect> screens{{0, 0, 1280, 800}, {1280, 0, 1920, 1080}, {0, -900, 1440, 900}};
  EXPECT_EQ(screenAt(screens, {1279, 799}), 0);
  EXPECT_EQ(screenAt(screens, {1280, 10}), 1) << "the shared border belongs to the right screen";
  EXPECT_EQ(screenAt(screens, {10, -1}), 2);
  EXPECT_EQ(screenAt(screens, {3200, 10}), -1) << "past every screen: the caller takes the primary";
  EXPECT_EQ(screenAt({}, {0, 0}), -1);
  EXPECT_EQ(rootPixels({1280, 0, 1280, 720}, 1.5), QRect(1280, 0, 1920, 1080)) << "origin kept, size scaled";
  EXPECT_EQ(rootPixels({0, 0, 853, 480}, 1.5).width(), 1279) << "1279.5 truncated";
}

TEST(CaptureGeometry, CropFollowsTheViewToPixelScale) {
  EXPECT_EQ(cropRect({10, 830, 100, 50}, {1440, 900}, {2880, 1800}), QRect(20, 1660, 200, 100));
  EXPECT_EQ(cropRect({10, 830, 100, 50}, {1440, 900}, {1440, 900}), QRect(10, 830, 100, 50));
  // 1.5: edges that fall between pixels grow outwards to whole pixels.
  EXPECT_EQ(cropRect({1, 1, 3, 3}, {100, 100}, {150, 150}), QRect(1, 1, 5, 5));
  EXPECT_EQ(cropRect({2, 2, 4, 4}, {100, 100}, {150, 150}), QRect(3, 3, 6, 6));
  // Floating-point noise does not add a pixel (0.1 * 3 > 0.3).
  EXPECT_EQ(cropRect({0.1, 0.1, 10, 10}, {100, 100}, {300, 300}), QRect(0, 0, 31, 31));
  EXPECT_EQ(cropRect({10, 10, 0.1, 0.1}, {100, 100}, {1000, 1000}), QRect(100, 100, 1, 1));
  EXPECT_EQ(integral({1.2, 2.7, 3.1, 0.2}), QRectF(1, 2, 4, 1));
}

TEST(CaptureGeometry, EmptyOrOutsidePicksGiveNoCropNeverTheWholeImage) {
  const QSizeF view(1280, 800);
  const QSize image(1280, 800);
  for (const QRectF& pick : {QRectF(100, 100, 0, 0), QRectF(100, 100, 0, 50), QRectF(1300, 100, 50, 50),
                             QRectF(-60, 100, 50, 50)})
    EXPECT_EQ(cropRect(pick, view, image), std::nullopt) << ::testing::PrintToString(pick);
  EXPECT_EQ(cropRect({100, 100, 50, 50}, {0, 0}, image), std::nullopt);
  EXPECT_EQ(cropRect({100, 100, 50, 50}, view, {}), std::nullopt);
  EXPECT_EQ(cropRect({1250, 780, 100, 100}, view, image), QRect(1250, 780, 30, 20)) << "what lies on the image";
}

TEST(CaptureGeometry, WindowsAreOfferedBySizeAndClippedToTheScreen) {
  const std::vector<QRect> frames{
      {100, 100, 40, 300},    // exactly 40 wide: not offered
      {200, 200, 41, 41},     // just over
      {1400, 300, 300, 200},  // visible part exactly 40 wide: offered, clipped
      {1410, 300, 300, 200},  // visible part 30 wide: dropped
      {-100, -50, 400, 300},  // half off: clipped
      {2000, 100, 300, 300},  // on another screen: nothing here
  };
  const std::vector<QRectF> want{{200, 200, 41, 41}, {1400, 300, 40, 200}, {0, 0, 300, 250}};
  EXPECT_EQ(viewWindows(frames, {0, 0, 1440, 900}, 1, {1440, 900}), want);

  // A second screen at root (1280, 0), 2560 x 1600 pixels at ratio 2: 80
  // pixels are 40 view pixels, not offered; 82 are 41.
  const QRect hiDpi(1280, 0, 2560, 1600);
  const std::vector<QRectF> scaled{{100, 50, 100, 100}, {10, 0, 41, 41}};
  EXPECT_EQ(viewWindows({{1480, 100, 200, 200}, {1300, 0, 80, 80}, {1300, 0, 82, 82}}, hiDpi, 2, {1280, 800}), scaled);
  EXPECT_TRUE(viewWindows({{0, 0, 500, 500}}, hiDpi, 0, {1280, 800}).empty());
}
