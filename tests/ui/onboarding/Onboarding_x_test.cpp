// The onboarding window under a real window manager: listed, above others,
// centred, hidden by its close button and back the same.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "tests/support/ViewProbe.h"
#include "tests/support/XWindows.h"
#include "tests/ui/onboarding/SignalRecorder.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingController.h"

using xwindows::waitUntil;

TEST(OnboardingWindow, AFreshStartShowsAListedWindowAboveOthersCentredOnTheScreen) {
  SignalRecorder rec;
  xwindows::Probe x;
  OnboardingController c;  // the real screen-access check
  EXPECT_TRUE(c.model().permission()) << "an X connection is up";
  c.show();
  QWidget* w = c.window();
  const auto id = xcb_window_t(w->winId());
  ASSERT_TRUE(x.waitListed(id));
  EXPECT_TRUE(x.hasState(id, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(x.name(id), "tarvok");
  EXPECT_TRUE(w->findChild<ObButton*>("try")->isEnabled());
  EXPECT_TRUE(waitUntil([&] { return w->isActiveWindow(); }, 2000));
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(x.centredOn(id, area)) << ::testing::PrintToString(x.frame(id));

  // A window opened later by another program stays below it.
  const xcb_window_t other = x.foreign(x.frame(id).adjusted(-40, -40, 40, 40));
  ASSERT_TRUE(x.waitListed(other));
  EXPECT_TRUE(x.above(id, other));

  // The title bar's close button hides the window and does not finish onboarding.
  x.requestClose(id);
  ASSERT_TRUE(waitUntil([&] { return !w->isVisible() && !x.viewable(id); }));
  EXPECT_FALSE(c.polling());
  EXPECT_EQ(rec.count("onboarding.done"), 0);

  c.show();  // the same widget comes back, with a new X id after a close
  EXPECT_EQ(c.window(), w);
  const auto again = xcb_window_t(w->winId());
  ASSERT_TRUE(x.waitListed(again));
  EXPECT_TRUE(x.centredOn(again, area));
  EXPECT_TRUE(x.above(again, other));
  EXPECT_EQ(rec.count("onboarding.shown"), 1);
  probe::click(w->findChild<ObButton*>("later"));
  EXPECT_TRUE(waitUntil([&] { return !x.viewable(again); }));
  EXPECT_TRUE(OnboardingController::onboarded());
}
