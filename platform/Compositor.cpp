#include "platform/Compositor.h"

#include <QByteArray>
#include <cstdlib>

#include "platform/X11.h"

namespace Compositor {
namespace {
std::optional<bool>& forced() {
  static std::optional<bool> value;
  return value;
}
}  // namespace

bool running() {
  if (forced()) return *forced();
  xcb_connection_t* conn = x11::connection();
  if (!conn) return false;
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x11::screenNumber());
  const xcb_atom_t selection = x11::atom(conn, name);
  if (selection == XCB_NONE) return false;
  xcb_get_selection_owner_reply_t* reply =
      xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr);
  if (!reply) return false;
  const bool owned = reply->owner != XCB_NONE;
  std::free(reply);
  return owned;
}

void setForced(std::optional<bool> value) { forced() = value; }

}  // namespace Compositor
