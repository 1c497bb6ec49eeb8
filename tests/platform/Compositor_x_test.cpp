// Compositor detection and keyboard hand-back against a real X server with a
// window manager (tests/support/xsession, plain and with xcompmgr).
#include <gtest/gtest.h>

#include "platform/ActiveWindow.h"
#include "platform/Compositor.h"
#include "tests/support/XWindows.h"

using xwindows::UserWindow;
using xwindows::waitUntil;

TEST(CompositorX, FollowsTheCompositingManager) {
  const bool expected = qEnvironmentVariable("TARVOK_XSESSION_MODE") == QLatin1String("compositor");
  EXPECT_EQ(Compositor::running(), expected);
  Compositor::setForced(!expected);
  EXPECT_EQ(Compositor::running(), !expected);
  Compositor::setForced(std::nullopt);
  EXPECT_EQ(Compositor::running(), expected);
}

TEST(ActiveWindowX, HandsTheKeyboardBackToAnotherProgramsWindow) {
  UserWindow first;
  UserWindow second(600);
  ASSERT_TRUE(first.waitManaged() && second.waitManaged());
  ASSERT_TRUE(ActiveWindow::activate(first.id()));
  EXPECT_TRUE(waitUntil([&] { return ActiveWindow::current() == first.id(); }));
  ASSERT_TRUE(ActiveWindow::activate(second.id()));
  EXPECT_TRUE(waitUntil([&] { return ActiveWindow::current() == second.id(); }));
  EXPECT_FALSE(ActiveWindow::activate(0));
  EXPECT_FALSE(ActiveWindow::activate(0x3fffff0));  // no such window
}
