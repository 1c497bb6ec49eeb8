// The onboarding and About windows under a real window manager: listed,
// above others, centred, hidden by their close button and back the same
// widget, with a new X id after the close.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <functional>

#include "core/Settings.h"
#include "tests/support/ViewProbe.h"
#include "tests/support/XWindows.h"
#include "ui/about/AboutController.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingController.h"

using xwindows::waitUntil;

namespace {

// Opens the window, checks where and how it stands, closes it with the title
// bar's button and opens it again; `whileClosed` runs in between. Returns the
// window's X id after the second open.
xcb_window_t openCloseAndReopen(xwindows::Probe& x, QWidget* w, const std::function<void()>& open,
                                const QByteArray& title, const std::function<void()>& whileClosed) {
  const auto id = xcb_window_t(w->winId());
  EXPECT_TRUE(x.waitListed(id));
  EXPECT_TRUE(x.hasState(id, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(x.name(id), title);
  EXPECT_TRUE(waitUntil([&] { return w->isActiveWindow(); }));
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // It centres again once the window manager has framed it.
  EXPECT_TRUE(waitUntil([&] { return x.centredOn(id, area); })) << ::testing::PrintToString(x.frame(id));

  // A window opened later by another program stays below it.
  const xcb_window_t other = x.foreign(x.frame(id).adjusted(-40, -40, 40, 40));
  EXPECT_TRUE(x.waitListed(other));
  EXPECT_TRUE(waitUntil([&] { return x.above(id, other); }));

  x.requestClose(id);
  EXPECT_TRUE(waitUntil([&] { return !w->isVisible() && !x.viewable(id); }));
  whileClosed();
  open();
  const auto again = xcb_window_t(w->winId());
  EXPECT_TRUE(x.waitListed(again));
  EXPECT_TRUE(waitUntil([&] { return x.centredOn(again, area); }));
  EXPECT_TRUE(waitUntil([&] { return x.above(again, other); }));
  return again;
}

}  // namespace

TEST(KeptAboveX, AFreshStartShowsTheOnboardingWindowAndItsCloseButtonDoesNotFinishIt) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  xwindows::Probe x;
  OnboardingController c;  // the real screen-access check
  EXPECT_TRUE(c.model().permission()) << "an X connection is up";
  c.show();
  QWidget* w = c.window();
  EXPECT_TRUE(w->findChild<ObButton*>("try")->isEnabled());
  const xcb_window_t id = openCloseAndReopen(x, w, [&] { c.show(); }, "tarvok", [&] {
    EXPECT_FALSE(c.polling());
    EXPECT_EQ(log.reported().filter("onboarding.done").size(), 0);
  });
  EXPECT_EQ(c.window(), w);
  EXPECT_EQ(log.reported().filter("onboarding.shown").size(), 1);
  probe::click(w->findChild<ObButton*>("later"));
  EXPECT_TRUE(waitUntil([&] { return !x.viewable(id); }));
  EXPECT_TRUE(OnboardingController::onboarded());
}

TEST(KeptAboveX, TheAboutWindowComesBackInTheLanguageOfTheMoment) {
  xwindows::Probe x;
  Settings::shared().setLanguage(Lang("en"));
  AboutController c;
  c.open();
  QWidget* w = c.window();
  const xcb_window_t id = openCloseAndReopen(x, w, [&] { c.open(); }, "About tarvok",
                                             [] { Settings::shared().setLanguage(Lang("ko")); });
  EXPECT_EQ(c.window(), w);
  EXPECT_EQ(x.name(id), "tarvok 소개");
}
