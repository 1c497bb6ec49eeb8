// Compositor detection and keyboard hand-back against a real X server with a
// window manager (tests/support/xsession, plain and with xcompmgr).
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "platform/ActiveWindow.h"
#include "platform/Compositor.h"

namespace {

bool waitUntil(const std::function<bool()>& done, int ms = 4000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

// Ordinary top-level windows of another client, as the user's programs are.
class OtherWindows {
 public:
  OtherWindows() {
    conn_ = xcb_connect(nullptr, nullptr);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
  }
  ~OtherWindows() { xcb_disconnect(conn_); }
  OtherWindows(const OtherWindows&) = delete;
  OtherWindows& operator=(const OtherWindows&) = delete;

  xcb_window_t open(int x) {
    const xcb_window_t w = xcb_generate_id(conn_);
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, w, root_, int16_t(x), 100, 200, 150, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(conn_, w);
    xcb_flush(conn_);
    // The window manager must have taken the window on before it will activate it.
    waitUntil([&] { return managed(w); });
    return w;
  }

  bool managed(xcb_window_t w) {
    xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, 16, "_NET_CLIENT_LIST"), nullptr);
    xcb_get_property_reply_t* list =
        xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, root_, a->atom, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    std::free(a);
    bool found = false;
    if (list) {
      const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
      const int n = xcb_get_property_value_length(list) / 4;
      for (int i = 0; i < n; ++i) found = found || ids[i] == w;
      std::free(list);
    }
    return found;
  }

 private:
  xcb_connection_t* conn_;
  xcb_window_t root_;
};

}  // namespace

TEST(CompositorX, FollowsTheCompositingManager) {
  const bool expected = qEnvironmentVariable("TARVOK_XSESSION_MODE") == QLatin1String("compositor");
  EXPECT_EQ(Compositor::running(), expected);
  Compositor::setForced(!expected);
  EXPECT_EQ(Compositor::running(), !expected);
  Compositor::setForced(std::nullopt);
  EXPECT_EQ(Compositor::running(), expected);
}

TEST(ActiveWindowX, HandsTheKeyboardBackToAnotherProgramsWindow) {
  OtherWindows others;
  const xcb_window_t first = others.open(100);
  const xcb_window_t second = others.open(400);
  ASSERT_TRUE(ActiveWindow::activate(first));
  EXPECT_TRUE(waitUntil([&] { return ActiveWindow::current() == first; }));
  ASSERT_TRUE(ActiveWindow::activate(second));
  EXPECT_TRUE(waitUntil([&] { return ActiveWindow::current() == second; }));
  EXPECT_FALSE(ActiveWindow::activate(0));
  EXPECT_FALSE(ActiveWindow::activate(0x3fffff0));  // no such window
  EXPECT_EQ(ActiveWindow::current(), second);
}
