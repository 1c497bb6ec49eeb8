// The About window under a real window manager: above others, centred, and
// back after its close button in the language of the moment.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "core/Settings.h"
#include "tests/support/XWindows.h"
#include "ui/about/AboutController.h"

TEST(AboutWindow, OpensAboveOthersCentredAndComesBackAfterItsCloseButton) {
  xwindows::Probe x;
  Settings::shared().setLanguage(Lang("en"));
  AboutController c;
  c.open();
  QWidget* w = c.window();
  auto id = xcb_window_t(w->winId());
  ASSERT_TRUE(x.waitListed(id));
  EXPECT_TRUE(x.hasState(id, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(x.name(id), "About tarvok");
  EXPECT_TRUE(x.centredOn(id, QGuiApplication::primaryScreen()->availableGeometry()));
  const xcb_window_t other = x.foreign(x.frame(id).adjusted(-30, -30, 30, 30));
  ASSERT_TRUE(x.waitListed(other));
  EXPECT_TRUE(x.above(id, other));

  x.requestClose(id);
  ASSERT_TRUE(xwindows::waitUntil([&] { return !w->isVisible(); }));
  Settings::shared().setLanguage(Lang("ko"));
  c.open();
  EXPECT_EQ(c.window(), w);
  id = xcb_window_t(w->winId());
  ASSERT_TRUE(x.waitListed(id));
  EXPECT_EQ(x.name(id), "tarvok 소개");
  EXPECT_TRUE(xwindows::waitUntil([&] { return x.above(id, other); }, 2000));
}
