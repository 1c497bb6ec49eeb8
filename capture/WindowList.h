#pragma once
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;

// The other applications' windows on screen, as the overlay's window mode
// offers them: frames included, front-most first.
namespace capture {

// What the window manager tells about one top-level client window.
struct ClientWindow {
  uint32_t id = 0;
  QRect client;                 // the client area in root pixels
  int left = 0, right = 0, top = 0, bottom = 0;  // frame extents around it
  bool viewable = true;         // mapped, with its parents
  bool hidden = false;          // minimised (_NET_WM_STATE_HIDDEN)
  std::optional<uint32_t> desktop;  // 0xFFFFFFFF: on every desktop
  bool panel = false;           // a dock or the desktop itself
  std::optional<uint32_t> pid;
};

// Frames of the windows worth offering, front-most first. `bottomToTop` is
// the stacking order; windows that are hidden, unmapped, on another desktop,
// docks and desktops, and the windows of `ownPid` are dropped.
std::vector<QRect> offeredFrames(const std::vector<ClientWindow>& bottomToTop,
                                 std::optional<uint32_t> currentDesktop, uint32_t ownPid);

// Reads the stacking list from the window manager (EWMH), or the root's
// children when no window manager keeps one, and returns offeredFrames() of it.
std::vector<QRect> onScreenFrames(xcb_connection_t* conn, uint32_t root, uint32_t ownPid);

// The process that owns a window (_NET_WM_PID), or none.
std::optional<uint32_t> windowPid(xcb_connection_t* conn, uint32_t window);

}  // namespace capture
