#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "tests/support/ViewProbe.h"
#include "tests/ui/onboarding/SignalRecorder.h"
#include "tests/support/XWindows.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingController.h"

TEST(OnboardingWindow, AFreshStartShowsAListedWindowAboveOthersCentredOnTheScreen) {
  SignalRecorder rec;
  xwindows::Probe x;
  OnboardingController c;  // the real screen-access check
  EXPECT_TRUE(c.model().permission());  // an X connection is up
  c.show();
  QWidget* w = c.window();
  const auto id = xcb_window_t(w->winId());
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.listed(id) && x.viewable(id); }));
  xwindows::pump(200);  // the manager settles the frame
  EXPECT_TRUE(x.hasState(id, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(x.name(id), "tarvok");
  EXPECT_TRUE(w->findChild<ObButton*>("try")->isEnabled());
  EXPECT_TRUE(xwindows::waitUntil([&] { return w->isActiveWindow(); }, 2000));

  const QRect frame = x.frame(id);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_NEAR(frame.center().x(), area.center().x(), 2) << frame.x() << "," << frame.y();
  EXPECT_NEAR(frame.center().y(), area.center().y(), 2) << frame.x() << "," << frame.y();

  // A window opened later by another program stays below it.
  const xcb_window_t other = x.foreign(frame.adjusted(-40, -40, 40, 40));
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.listed(other) && x.viewable(other); }));
  xwindows::pump(100);
  EXPECT_TRUE(x.above(id, other));

  // The title bar's close button hides the window and does not finish onboarding.
  x.requestClose(id);
  ASSERT_TRUE(xwindows::waitUntil([&] { return !w->isVisible() && !x.viewable(id); }));
  EXPECT_FALSE(c.polling());
  EXPECT_FALSE(OnboardingController::onboarded());
  EXPECT_EQ(rec.count("onboarding.done"), 0);

  c.show();  // the same window comes back
  EXPECT_EQ(c.window(), w);
  // Qt gives the window a new X id after a close; the widget is the same.
  const auto again = xcb_window_t(w->winId());
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.viewable(again) && x.listed(again); }));
  xwindows::pump(200);
  EXPECT_NEAR(x.frame(again).center().y(), area.center().y(), 2);  // centred again
  EXPECT_TRUE(x.above(again, other));
  EXPECT_EQ(rec.count("onboarding.shown"), 1);
  probe::click(w->findChild<ObButton*>("later"));
  EXPECT_TRUE(xwindows::waitUntil([&] { return !x.viewable(again); }));
  EXPECT_TRUE(OnboardingController::onboarded());
}
