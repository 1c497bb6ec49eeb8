#pragma once
// Helpers for the capture tests on a real X server: a foreign client's window
// showing known pixels, the pointer and keys through xdotool, and waiting.
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "capture/Still.h"

namespace xtest {

// Processes events until `done` holds or `ms` pass; false on time-out.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
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

// Runs xdotool with the arguments and lets the events arrive.
inline bool xdotool(const QStringList& args) {
  const bool ok = QProcess::execute(QStringLiteral("xdotool"), args) == 0;
  pump(30);
  return ok;
}

// The known colour of pixel (x, y) of a foreign window's client area.
inline QRgb patternAt(int x, int y) { return qRgb((x * 7) % 256, (y * 5) % 256, (x + 3 * y) % 256); }

// The root window as it is on screen now, from a connection of its own.
inline QImage rootImage(const QRect& rect) {
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  QImage img = capture::grabRoot(conn, rect).copy();
  xcb_disconnect(conn);
  return img;
}

// A top-level window of another X client whose background is the pattern,
// painted by the server itself, so it needs no event loop.
class ForeignWindow {
 public:
  ForeignWindow(const QRect& want) : size_(want.size()) {
    conn_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
    root_ = screen->root;
    const xcb_pixmap_t pixmap = xcb_generate_id(conn_);
    xcb_create_pixmap(conn_, screen->root_depth, pixmap, root_, uint16_t(want.width()), uint16_t(want.height()));
    const xcb_gcontext_t gc = xcb_generate_id(conn_);
    xcb_create_gc(conn_, gc, pixmap, 0, nullptr);
    const int rows = 40;
    std::vector<uint32_t> buf(size_t(want.width() * rows));
    for (int y0 = 0; y0 < want.height(); y0 += rows) {
      const int n = std::min(rows, want.height() - y0);
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < want.width(); ++x) buf[size_t(y * want.width() + x)] = patternAt(x, y0 + y) & 0xFFFFFF;
      xcb_put_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(want.width()), uint16_t(n), 0,
                    int16_t(y0), 0, screen->root_depth, uint32_t(want.width() * n * 4),
                    reinterpret_cast<const uint8_t*>(buf.data()));
    }
    window_ = xcb_generate_id(conn_);
    const uint32_t values[] = {pixmap};
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, root_, int16_t(want.x()), int16_t(want.y()),
                      uint16_t(want.width()), uint16_t(want.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXMAP, values);
    // Ask the window manager to keep the position we give.
    uint32_t hints[18] = {};
    hints[0] = 1 | 2 | 4 | 8;  // user/program position and size
    hints[1] = uint32_t(want.x());
    hints[2] = uint32_t(want.y());
    hints[3] = uint32_t(want.width());
    hints[4] = uint32_t(want.height());
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                        32, 18, hints);
    const char* name = "foreign";
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(std::strlen(name)), name);
    xcb_map_window(conn_, window_);
    xcb_free_gc(conn_, gc);
    xcb_flush(conn_);
  }
  ~ForeignWindow() {
    xcb_destroy_window(conn_, window_);
    xcb_flush(conn_);
    xcb_disconnect(conn_);
  }
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;

  xcb_connection_t* conn() const { return conn_; }
  xcb_window_t id() const { return window_; }
  xcb_window_t root() const { return root_; }

  // Waits until it is mapped, framed by the window manager and on top.
  bool waitShown(int ms = 1500) {
    return waitUntil([&] {
      auto* attrs = xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, window_), nullptr);
      const bool viewable = attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
      std::free(attrs);
      return viewable && frame() != client();
    }, ms) && (pump(150), true);
  }

  // The client area in root pixels.
  QRect client() const {
    auto* at = xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, window_, root_, 0, 0), nullptr);
    QRect r = at ? QRect(at->dst_x, at->dst_y, size_.width(), size_.height()) : QRect();
    std::free(at);
    return r;
  }
  // The frame around it that the window manager drew.
  QRect frame() const {
    const char* name = "_NET_FRAME_EXTENTS";
    auto* atom = xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, uint16_t(std::strlen(name)), name), nullptr);
    auto* prop = xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, window_, atom ? atom->atom : 0, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    QRect r = client();
    if (prop && prop->format == 32 && xcb_get_property_value_length(prop) == 16) {
      const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(prop));
      r.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3]));
    }
    std::free(atom);
    std::free(prop);
    return r;
  }

  // Whether this client could take both the keyboard and the pointer now; lets go at once.
  bool canGrab() {
    auto* k = xcb_grab_keyboard_reply(
        conn_, xcb_grab_keyboard(conn_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    auto* p = xcb_grab_pointer_reply(conn_,
                                     xcb_grab_pointer(conn_, 0, root_, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                                      XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                                     nullptr);
    const bool ok = k && k->status == XCB_GRAB_STATUS_SUCCESS && p && p->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(k);
    std::free(p);
    xcb_ungrab_keyboard(conn_, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(conn_, XCB_CURRENT_TIME);
    xcb_flush(conn_);
    return ok;
  }

 private:
  xcb_connection_t* conn_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_window_t window_ = 0;
  QSize size_;
};

}  // namespace xtest
