#pragma once
// A window of another X client, standing for the program the user works in,
// and helpers to drive a real X session.
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace xwindows {

inline bool waitUntil(const std::function<bool()>& done, int ms = 4000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

inline void pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
}

// Runs xdotool while this process keeps answering X events.
inline bool xdotool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  waitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000);
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class UserWindow {
 public:
  explicit UserWindow(int x = 100) {
    conn_ = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
    root_ = screen->root;
    window_ = xcb_generate_id(conn_);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, root_, int16_t(x), 200, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(conn_, window_);
    xcb_flush(conn_);
  }
  ~UserWindow() { xcb_disconnect(conn_); }
  UserWindow(const UserWindow&) = delete;
  UserWindow& operator=(const UserWindow&) = delete;

  xcb_window_t id() const { return window_; }

  // Waits until the window manager has taken the window on. A window mapped
  // while the window manager was still starting is never managed: it is
  // mapped again until it is.
  bool waitManaged(int ms = 6000) {
    QElapsedTimer timer;
    timer.start();
    while (!managed()) {
      if (timer.elapsed() > ms) return false;
      if (!waitUntil([&] { return managed(); }, 1000)) {
        xcb_unmap_window(conn_, window_);
        xcb_map_window(conn_, window_);
        xcb_flush(conn_);
      }
    }
    return true;
  }

  // True once the window manager lists the window among its clients.
  bool managed() {
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, 16, "_NET_CLIENT_LIST"), nullptr);
    xcb_get_property_reply_t* list =
        xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, root_, a->atom, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    std::free(a);
    bool found = false;
    if (list) {
      const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
      for (int i = 0; i < xcb_get_property_value_length(list) / 4; ++i) found = found || ids[i] == window_;
      std::free(list);
    }
    return found;
  }

  // Where the X server has a window (of any client) on the screen.
  QRect onScreen(xcb_window_t w) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr);
    xcb_translate_coordinates_reply_t* t =
        xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, w, root_, 0, 0), nullptr);
    const QRect r = (g && t) ? QRect(t->dst_x, t->dst_y, g->width, g->height) : QRect();
    std::free(g);
    std::free(t);
    return r;
  }

  // The window that has the X input focus.
  xcb_window_t focus() {
    xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr);
    const xcb_window_t f = r ? r->focus : XCB_NONE;
    std::free(r);
    return f;
  }

 private:
  xcb_connection_t* conn_;
  xcb_window_t root_;
  xcb_window_t window_;
};

}  // namespace xwindows
