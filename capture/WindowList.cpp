#include "capture/WindowList.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/X11.h"

namespace capture {

std::vector<QRect> offeredFrames(const std::vector<ClientWindow>& bottomToTop,
                                 std::optional<uint32_t> currentDesktop, uint32_t ownPid) {
  std::vector<QRect> out;
  for (auto it = bottomToTop.rbegin(); it != bottomToTop.rend(); ++it) {
    const ClientWindow& w = *it;
    if (!w.viewable || w.hidden || w.panel) continue;
    if (w.pid && *w.pid == ownPid) continue;
    if (w.desktop && currentDesktop && *w.desktop != 0xFFFFFFFFu && *w.desktop != *currentDesktop)
      continue;
    const QRect frame(w.client.x() - w.left, w.client.y() - w.top,
                      w.client.width() + w.left + w.right, w.client.height() + w.top + w.bottom);
    if (frame.isEmpty()) continue;
    out.push_back(frame);
  }
  return out;
}

namespace {

struct Free {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_get_property_cookie_t ask(xcb_connection_t* conn, uint32_t window, xcb_atom_t prop, xcb_atom_t type,
                              uint32_t length = 1024) {
  return xcb_get_property(conn, 0, window, prop, type, 0, length);
}

// The 32-bit values of a property reply (empty when absent or of another form).
std::vector<uint32_t> values(xcb_connection_t* conn, xcb_get_property_cookie_t cookie) {
  Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(conn, cookie, nullptr));
  if (!r || r->format != 32) return {};
  const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
  return {data, data + xcb_get_property_value_length(r.get()) / 4};
}

std::optional<uint32_t> first(const std::vector<uint32_t>& v) {
  if (v.empty()) return std::nullopt;
  return v.front();
}

bool hasWindowManager(xcb_connection_t* conn, uint32_t root) {
  const auto check = values(conn, ask(conn, root, x11::atom(conn, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW));
  return !check.empty() && check.front() != 0;
}

// Per-window requests sent together, answered together: one round trip for all.
struct Pending {
  uint32_t id;
  xcb_get_window_attributes_cookie_t attributes;
  xcb_get_geometry_cookie_t geometry;
  xcb_translate_coordinates_cookie_t origin;
  xcb_get_property_cookie_t extents, state, desktop, type, pid;
};

std::vector<ClientWindow> readWindows(xcb_connection_t* conn, uint32_t root, const std::vector<uint32_t>& ids,
                                      bool managed) {
  const xcb_atom_t extentsAtom = x11::atom(conn, "_NET_FRAME_EXTENTS");
  const xcb_atom_t stateAtom = x11::atom(conn, "_NET_WM_STATE");
  const xcb_atom_t deskAtom = x11::atom(conn, "_NET_WM_DESKTOP");
  const xcb_atom_t typeAtom = x11::atom(conn, "_NET_WM_WINDOW_TYPE");
  const xcb_atom_t pidAtom = x11::atom(conn, "_NET_WM_PID");
  const xcb_atom_t hiddenAtom = x11::atom(conn, "_NET_WM_STATE_HIDDEN");
  const xcb_atom_t dockAtom = x11::atom(conn, "_NET_WM_WINDOW_TYPE_DOCK");
  const xcb_atom_t desktopAtom = x11::atom(conn, "_NET_WM_WINDOW_TYPE_DESKTOP");
  std::vector<Pending> pending;
  pending.reserve(ids.size());
  for (uint32_t id : ids) {
    pending.push_back({id, xcb_get_window_attributes(conn, id), xcb_get_geometry(conn, id),
                       xcb_translate_coordinates(conn, id, root, 0, 0),
                       ask(conn, id, extentsAtom, XCB_ATOM_CARDINAL, 4), ask(conn, id, stateAtom, XCB_ATOM_ATOM),
                       ask(conn, id, deskAtom, XCB_ATOM_CARDINAL, 1), ask(conn, id, typeAtom, XCB_ATOM_ATOM),
                       ask(conn, id, pidAtom, XCB_ATOM_CARDINAL, 1)});
  }
  std::vector<ClientWindow> out;
  for (const Pending& p : pending) {
    Reply<xcb_get_window_attributes_reply_t> attrs(xcb_get_window_attributes_reply(conn, p.attributes, nullptr));
    Reply<xcb_get_geometry_reply_t> geo(xcb_get_geometry_reply(conn, p.geometry, nullptr));
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(conn, p.origin, nullptr));
    const auto extents = values(conn, p.extents);
    const auto state = values(conn, p.state);
    const auto desktop = values(conn, p.desktop);
    const auto types = values(conn, p.type);
    const auto pid = values(conn, p.pid);
    if (!attrs || !geo || !at) continue;  // gone meanwhile
    // Without a window manager, override-redirect windows are menus and tips.
    if (!managed && attrs->override_redirect) continue;
    ClientWindow w;
    w.id = p.id;
    const int border = geo->border_width;
    w.client = QRect(at->dst_x, at->dst_y, geo->width, geo->height);
    if (extents.size() == 4) {
      w.left = int(extents[0]);
      w.right = int(extents[1]);
      w.top = int(extents[2]);
      w.bottom = int(extents[3]);
    } else if (!managed) {
      w.left = w.right = w.top = w.bottom = border;
    }
    w.viewable = attrs->map_state == XCB_MAP_STATE_VIEWABLE;
    for (uint32_t s : state) w.hidden = w.hidden || s == hiddenAtom;
    w.desktop = first(desktop);
    for (uint32_t t : types) w.panel = w.panel || t == dockAtom || t == desktopAtom;
    w.pid = first(pid);
    out.push_back(w);
  }
  return out;
}

}  // namespace

std::vector<QRect> onScreenFrames(xcb_connection_t* conn, uint32_t root, uint32_t ownPid) {
  std::vector<uint32_t> ids;
  bool managed = hasWindowManager(conn, root);
  if (managed) ids = values(conn, ask(conn, root, x11::atom(conn, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 65536));
  if (ids.empty()) {
    managed = false;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(conn, xcb_query_tree(conn, root), nullptr));
    if (tree) {
      const xcb_window_t* kids = xcb_query_tree_children(tree.get());
      ids.assign(kids, kids + xcb_query_tree_children_length(tree.get()));
    }
  }
  const auto current = first(values(conn, ask(conn, root, x11::atom(conn, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 1)));
  return offeredFrames(readWindows(conn, root, ids, managed), current, ownPid);
}

std::optional<uint32_t> windowPid(xcb_connection_t* conn, uint32_t window) {
  return first(values(conn, ask(conn, window, x11::atom(conn, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 1)));
}

}  // namespace capture
