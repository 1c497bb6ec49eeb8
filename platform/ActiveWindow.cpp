#include "platform/ActiveWindow.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/X11.h"

namespace ActiveWindow {
namespace {

// The window named by the root's _NET_ACTIVE_WINDOW; none when no window
// manager keeps the property.
std::optional<Id> netActive(xcb_connection_t* conn, xcb_window_t root, xcb_atom_t property) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      conn, xcb_get_property(conn, 0, root, property, XCB_ATOM_WINDOW, 0, 1), nullptr);
  if (!reply) return std::nullopt;
  std::optional<Id> id;
  if (reply->type == XCB_ATOM_WINDOW && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
    id = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
  }
  std::free(reply);
  return id;
}

Id inputFocus(xcb_connection_t* conn) {
  xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr);
  if (!reply) return 0;
  const Id focus = reply->focus;
  std::free(reply);
  return focus <= XCB_INPUT_FOCUS_POINTER_ROOT ? 0 : focus;  // None and PointerRoot name no window
}

bool exists(xcb_connection_t* conn, Id window) {
  // Taking the error here keeps a vanished window from being logged as an X error.
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply =
      xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, window), &error);
  std::free(error);
  std::free(reply);
  return reply != nullptr;
}

}  // namespace

Id current() {
  xcb_connection_t* conn = x11::connection();
  if (!conn) return 0;
  const std::optional<Id> active = netActive(conn, x11::root(conn), x11::atom(conn, "_NET_ACTIVE_WINDOW"));
  if (active && *active != 0) return *active;
  return inputFocus(conn);
}

bool activate(Id window) {
  xcb_connection_t* conn = x11::connection();
  if (!conn || window == 0 || !exists(conn, window)) return false;
  const xcb_window_t root = x11::root(conn);
  const xcb_atom_t property = x11::atom(conn, "_NET_ACTIVE_WINDOW");
  if (netActive(conn, root, property)) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = property;
    event.data.data32[0] = 2;  // source: a pager, which focus-stealing prevention trusts
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(conn, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
  } else {
    xcb_set_input_focus(conn, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  }
  xcb_flush(conn);
  return true;
}

}  // namespace ActiveWindow
