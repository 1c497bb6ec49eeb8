#pragma once
// What a window manager makes of our windows on a real X server, read from
// a connection of the test's own: the client list, stacking, states, frames;
// plus a plain window of another client, and the close button's request.
#include <xcb/xcb.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRect>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace xwin {

inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

inline void pump(int ms) { waitUntil([] { return false; }, ms); }

class Probe {
 public:
  Probe() : conn_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
  }
  ~Probe() {
    for (xcb_window_t w : own_) xcb_destroy_window(conn_, w);
    xcb_flush(conn_);
    xcb_disconnect(conn_);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_NONE;
    std::free(r);
    return a;
  }

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
    auto* r = xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256),
                                     nullptr);
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
  // The client area in root coordinates, widened by the frame the manager drew.
  QRect frame(xcb_window_t w) {
    auto* g = xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, w), nullptr);
    auto* t = xcb_translate_coordinates_reply(conn_, xcb_translate_coordinates(conn_, w, root_, 0, 0), nullptr);
    QRect r = g && t ? QRect(t->dst_x, t->dst_y, g->width, g->height) : QRect();
    std::free(g);
    std::free(t);
    const auto e = cardinals(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (e.size() == 4) r.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3]));
    return r;
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

  // An ordinary window of another client over the given area, mapped now.
  xcb_window_t foreign(const QRect& r) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
    const xcb_window_t w = xcb_generate_id(conn_);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, w, root_, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                      uint16_t(r.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      values);
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

}  // namespace xwin
