#include "capture/Compositing.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <cstdlib>

namespace capture {

bool compositing() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* conn = x11 ? x11->connection() : nullptr;
  if (!conn) return false;
  const QByteArray name = "_NET_WM_CM_S0";
  auto* atom = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(name.size()), name.constData()), nullptr);
  if (!atom) return false;
  auto* owner = xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, atom->atom), nullptr);
  const bool running = owner && owner->owner != XCB_NONE;
  std::free(atom);
  std::free(owner);
  return running;
}

}  // namespace capture
