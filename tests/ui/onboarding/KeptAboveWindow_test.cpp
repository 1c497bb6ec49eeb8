#include "ui/onboarding/KeptAboveWindow.h"

#include <gtest/gtest.h>

TEST(KeptAboveWindow, CentresInTheAvailableAreaAndStaysInside) {
  const QRect screen(1280, 24, 1920, 1056);  // a second screen, below a top panel
  EXPECT_EQ(KeptAboveWindow::centredIn(screen, {400, 600}), QPoint(1280 + 760, 24 + 228));
  // Taller than the area: the top edge stays reachable.
  EXPECT_EQ(KeptAboveWindow::centredIn(QRect(0, 0, 800, 500), {400, 700}), QPoint(200, 0));
}
