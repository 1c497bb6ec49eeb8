#include "platform/X11.h"

#include <QGuiApplication>
#include <cstdlib>

namespace x11 {

xcb_connection_t* connection() {
  if (!qGuiApp) return nullptr;
  auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return native ? native->connection() : nullptr;
}

int screenNumber() {
  int screen = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
  std::free(host);
  return screen;
}

xcb_window_t root(xcb_connection_t* conn) {
  if (!conn) return XCB_NONE;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
  const xcb_window_t first = it.data ? it.data->root : xcb_window_t(XCB_NONE);
  const int wanted = screenNumber();
  for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
    if (i == wanted) return it.data->root;
  }
  return first;
}

xcb_atom_t atom(xcb_connection_t* conn, const QByteArray& name) {
  if (!conn) return XCB_NONE;
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      conn, xcb_intern_atom(conn, 0, uint16_t(name.size()), name.constData()), nullptr);
  if (!reply) return XCB_NONE;
  const xcb_atom_t a = reply->atom;
  std::free(reply);
  return a;
}

}  // namespace x11
