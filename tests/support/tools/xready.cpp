// Waits until a private X session is ready for tests: the window manager owns
// WM_S0, announces itself and takes on a window mapped now, the tray host owns
// _NET_SYSTEM_TRAY_S0 and, with --compositor, the compositor owns _NET_WM_CM_S0.
// Exit 0 when all are there, 1 (with what is missing) when they are not within
// the time.
//   xready [--compositor] [--timeout SECONDS]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : XCB_NONE;
  std::free(r);
  return a;
}

bool owned(xcb_connection_t* c, const char* selection) {
  auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, selection)), nullptr);
  const bool yes = r && r->owner != XCB_NONE;
  std::free(r);
  return yes;
}

// The window manager's check window must exist and point at itself.
bool announced(xcb_connection_t* c, xcb_window_t root) {
  const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
  auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
  xcb_window_t w = XCB_NONE;
  if (r && xcb_get_property_value_length(r) == 4) w = *static_cast<xcb_window_t*>(xcb_get_property_value(r));
  std::free(r);
  if (w == XCB_NONE) return false;
  r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
  const bool self = r && xcb_get_property_value_length(r) == 4 && *static_cast<xcb_window_t*>(xcb_get_property_value(r)) == w;
  std::free(r);
  return self;
}

bool listed(xcb_connection_t* c, xcb_window_t root, xcb_window_t w) {
  auto* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096), nullptr);
  bool found = false;
  if (r && r->format == 32) {
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(r));
    for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i) found = found || ids[i] == w;
  }
  std::free(r);
  return found;
}

// The window manager takes on new windows: a window of ours mapped now shows
// up in its client list. A map request made while it was still starting up
// may be passed over, so the window is mapped again each second until it shows.
class ProbeWindow {
 public:
  ProbeWindow(xcb_connection_t* c, xcb_window_t root) : c_(c), root_(root), w_(xcb_generate_id(c)) {
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w_, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
  }
  bool managed() {
    const auto now = std::chrono::steady_clock::now();
    if (now - mapped_ > std::chrono::seconds(1)) {
      xcb_unmap_window(c_, w_);
      xcb_map_window(c_, w_);
      xcb_flush(c_);
      mapped_ = now;
    }
    return listed(c_, root_, w_);
  }
  // Gone, and let go of by the window manager: a client connecting next may
  // be given the same window id.
  void destroy(std::chrono::steady_clock::time_point deadline) {
    xcb_destroy_window(c_, w_);
    xcb_flush(c_);
    while (listed(c_, root_, w_) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_;
  xcb_window_t w_;
  std::chrono::steady_clock::time_point mapped_{};
};

}  // namespace

int main(int argc, char** argv) {
  bool compositor = false;
  int seconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--compositor") == 0) compositor = true;
    else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) seconds = std::atoi(argv[++i]);
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "xready: no X server\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  ProbeWindow probe(c, root);
  std::vector<std::string> missing;
  do {
    missing.clear();
    if (!owned(c, "WM_S0") || !announced(c, root)) missing.push_back("window manager");
    else if (!probe.managed()) missing.push_back("window manager taking on windows");
    if (!owned(c, "_NET_SYSTEM_TRAY_S0")) missing.push_back("tray host");
    if (compositor && !owned(c, "_NET_WM_CM_S0")) missing.push_back("compositor");
    if (missing.empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  probe.destroy(deadline);
  xcb_disconnect(c);
  for (const std::string& m : missing) std::fprintf(stderr, "xready: no %s after %d s\n", m.c_str(), seconds);
  return missing.empty() ? 0 : 1;
}
