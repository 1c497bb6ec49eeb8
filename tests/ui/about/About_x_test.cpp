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
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.listed(id) && x.viewable(id); }));
  xwindows::pump(200);
  EXPECT_TRUE(x.hasState(id, "_NET_WM_STATE_ABOVE"));
  EXPECT_EQ(x.name(id), "About tarvok");
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_NEAR(x.frame(id).center().x(), area.center().x(), 2);
  EXPECT_NEAR(x.frame(id).center().y(), area.center().y(), 2);
  const xcb_window_t other = x.foreign(x.frame(id).adjusted(-30, -30, 30, 30));
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.viewable(other); }));
  xwindows::pump(100);
  EXPECT_TRUE(x.above(id, other));

  x.requestClose(id);
  ASSERT_TRUE(xwindows::waitUntil([&] { return !w->isVisible(); }));
  Settings::shared().setLanguage(Lang("ko"));
  c.open();
  EXPECT_EQ(c.window(), w);
  id = xcb_window_t(w->winId());
  ASSERT_TRUE(xwindows::waitUntil([&] { return x.listed(id) && x.viewable(id); }));
  EXPECT_EQ(x.name(id), "tarvok 소개");
  EXPECT_TRUE(xwindows::waitUntil([&] { return x.above(id, other); }, 2000));
}
