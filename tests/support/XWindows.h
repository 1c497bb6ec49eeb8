#pragma once
// Driving a real X session (tests/support/xsession) from a test: a connection
// of the test's own that reads what the window manager made of windows (client
// list, stacking, states, frames, focus), windows of another client, and the
// pointer and keys through xdotool.
#include <xcb/xcb.h>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/TestEnv.h"

namespace xwindows {

using testenv::pump;
using testenv::waitUntil;

// Runs xdotool while this process keeps answering X events (it may own the
// clipboard or hold a grab xdotool waits on).
inline bool xdotool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  waitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000);
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline xcb_atom_t atom(xcb_connection_t* conn, const char* name) {
  auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : XCB_NONE;
  std::free(r);
  return a;
}

struct Paste {
  bool ok = false;
  QByteArray bytes;
};
// What a program pasting `target` from `selection` gets, read with xclip while
// this process keeps answering (it may own the selection itself).
inline Paste paste(const QString& target, const QString& selection = QStringLiteral("clipboard")) {
  QProcess xclip;
  xclip.start(QStringLiteral("xclip"), {"-o", "-selection", selection, "-t", target});
  waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 15000);
  return {xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0, xclip.readAllStandardOutput()};
}

class Probe {
 public:
  Probe() : conn_(xcb_connect(nullptr, nullptr)) { root_ = screen()->root; }
  // The window manager lets go of our windows before the connection closes:
  // the next connection may be given the same window ids, and a manager still
  // holding the old window would take the new one for it.
  ~Probe() {
    for (xcb_window_t w : own_) xcb_destroy_window(conn_, w);
    xcb_flush(conn_);
    waitUntil([&] { return std::none_of(own_.begin(), own_.end(), [&](xcb_window_t w) { return listed(w); }); }, 3000);
    xcb_disconnect(conn_);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  xcb_connection_t* conn() const { return conn_; }
  xcb_window_t root() const { return root_; }
  xcb_screen_t* screen() const { return xcb_setup_roots_iterator(xcb_get_setup(conn_)).data; }

  xcb_atom_t atom(const char* name) { return xwindows::atom(conn_, name); }

  std::vector<uint32_t> cardinals(xcb_window_t w, const char* prop, xcb_atom_t type) {
    auto* r = xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, w, atom(prop), type, 0, 1024), nullptr);
    std::vector<uint32_t> out;
    if (r && r->format == 32) {
      const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
      out.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }

  // Bottom to top, as the window manager keeps them.
  std::vector<uint32_t> stacking() { return cardinals(root_, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW); }
  bool listed(xcb_window_t w) {
    const auto list = cardinals(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    return std::find(list.begin(), list.end(), w) != list.end();
  }
  // True when `upper` stands above `lower` in the stacking order.
  bool above(xcb_window_t upper, xcb_window_t lower) {
    const auto s = stacking();
    const auto u = std::find(s.begin(), s.end(), upper), l = std::find(s.begin(), s.end(), lower);
    return u != s.end() && l != s.end() && u > l;
  }
  bool hasState(xcb_window_t w, const char* state) {
    const auto states = cardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
  }
  QByteArray name(xcb_window_t w) {
    auto* r = xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256), nullptr);
    QByteArray out = r ? QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r))
                       : QByteArray();
    std::free(r);
    return out;
  }
  bool viewable(xcb_window_t w) {
    auto* a = xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, w), nullptr);
    const bool v = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return v;
  }
  // Where a window (of any client) is on the screen, in root pixels.
  QRect onScreen(xcb_window_t w) {
    auto* g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr);
    auto* t = xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, w, root_, 0, 0), nullptr);
    const QRect r = g && t ? QRect(t->dst_x, t->dst_y, g->width, g->height) : QRect();
    std::free(g);
    std::free(t);
    return r;
  }
  // The same, widened by the frame the window manager drew.
  QRect frame(xcb_window_t w) {
    QRect r = onScreen(w);
    const auto e = cardinals(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (e.size() == 4) r.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3]));
    return r;
  }
  // Waits until the window manager lists and shows a window.
  bool waitListed(xcb_window_t w, int ms = 5000) { return waitUntil([&] { return listed(w) && viewable(w); }, ms); }
  // Whether a window's frame is centred on an area, give or take 2 pixels.
  bool centredOn(xcb_window_t w, const QRect& area) {
    const QPoint d = frame(w).center() - area.center();
    return std::abs(d.x()) <= 2 && std::abs(d.y()) <= 2;
  }
  // The window that has the X input focus.
  xcb_window_t focus() {
    auto* r = xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr);
    const xcb_window_t f = r ? r->focus : XCB_NONE;
    std::free(r);
    return f;
  }

  // What the title bar's close button does: the manager is asked to close it.
  void requestClose(xcb_window_t w) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom("_NET_CLOSE_WINDOW");
    ev.data.data32[0] = XCB_CURRENT_TIME;
    ev.data.data32[1] = 2;  // from a pager: the user's own request
    xcb_send_event(conn_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(conn_);
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

  // Waits until the window manager has taken the window on (the session
  // starts tests only once the window manager runs: see tests/support/xready).
  bool waitManaged(xcb_window_t w, int ms = 6000) { return waitUntil([&] { return listed(w); }, ms); }

  // One pixel of the screen as it shows now.
  QRgb rootPixel(QPoint p) {
    auto* r = xcb_get_image_reply(
        conn_, xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, int16_t(p.x()), int16_t(p.y()), 1, 1, ~0u),
        nullptr);
    const QRgb c = r && xcb_get_image_data_length(r) >= 4 ? *reinterpret_cast<const uint32_t*>(xcb_get_image_data(r)) : 0;
    std::free(r);
    return qRgb(qRed(c), qGreen(c), qBlue(c));
  }

  // An ordinary window of this client over the given area, mapped now, with
  // a white background or the given one (a pixmap). The window manager is
  // asked to keep the position.
  xcb_window_t foreign(const QRect& r, xcb_pixmap_t background = XCB_NONE) {
    const xcb_window_t w = xcb_generate_id(conn_);
    const uint32_t values[] = {background ? background : screen()->white_pixel};
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, w, root_, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                      uint16_t(r.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen()->root_visual,
                      background ? XCB_CW_BACK_PIXMAP : XCB_CW_BACK_PIXEL, values);
    uint32_t hints[18] = {1 | 2 | 4 | 8, uint32_t(r.x()), uint32_t(r.y()), uint32_t(r.width()), uint32_t(r.height())};
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);
    xcb_map_window(conn_, w);
    xcb_flush(conn_);
    own_.push_back(w);
    return w;
  }

 private:
  xcb_connection_t* conn_;
  xcb_window_t root_ = XCB_NONE;
  std::vector<xcb_window_t> own_;
};

// A window of another program, the one the user works in.
class UserWindow : public Probe {
 public:
  explicit UserWindow(int x = 100) : window_(foreign({x, 200, 400, 300})) {}

  xcb_window_t id() const { return window_; }
  bool managed() { return listed(window_); }
  bool waitManaged(int ms = 6000) { return Probe::waitManaged(window_, ms); }

 private:
  xcb_window_t window_;
};

// A window of another program whose background is `picture`, painted by the
// server itself, so it needs no event loop.
class PictureWindow : public Probe {
 public:
  PictureWindow(const QImage& picture, QPoint at) : image_(picture.convertToFormat(QImage::Format_RGB32)) {
    const xcb_pixmap_t pixmap = xcb_generate_id(conn());
    const uint8_t depth = screen()->root_depth;
    xcb_create_pixmap(conn(), depth, pixmap, root(), uint16_t(image_.width()), uint16_t(image_.height()));
    const xcb_gcontext_t gc = xcb_generate_id(conn());
    xcb_create_gc(conn(), gc, pixmap, 0, nullptr);
    for (int y = 0; y < image_.height(); ++y)  // a row at a time keeps each request small
      xcb_put_image(conn(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(image_.width()), 1, 0, int16_t(y), 0, depth,
                    uint32_t(image_.width() * 4), image_.constScanLine(y));
    xcb_free_gc(conn(), gc);
    window_ = foreign(QRect(at, image_.size()), pixmap);
  }

  xcb_window_t id() const { return window_; }
  QRect client() { return onScreen(window_); }
  QRect frame() { return Probe::frame(window_); }

  // Waits until it is managed, framed, and its corners show on the screen
  // (a compositor paints a newly mapped window a moment later).
  bool waitShown() {
    return waitManaged(window_) && waitUntil([&] {
      const QRect c = client();
      return viewable(window_) && frame() != c && rootPixel(c.topLeft()) == image_.pixel(0, 0) &&
             rootPixel(c.bottomRight()) == image_.pixel(image_.width() - 1, image_.height() - 1);
    });
  }

 private:
  QImage image_;
  xcb_window_t window_ = XCB_NONE;
};

// The known colour of pixel (x, y) of a PatternWindow's client area.
inline QRgb patternAt(int x, int y) { return qRgb((x * 7) % 256, (y * 5) % 256, (x + 3 * y) % 256); }

// A window of another program in which every pixel tells where it is.
class PatternWindow : public PictureWindow {
 public:
  explicit PatternWindow(const QRect& want) : PictureWindow(pattern(want.size()), want.topLeft()) {}

 private:
  static QImage pattern(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, patternAt(x, y));
    return img;
  }
};

}  // namespace xwindows
