#pragma once
#include <xcb/xcb.h>

#include <QByteArray>

// Small helpers over the X connection that Qt opened; every function answers
// "nothing" (null, 0, XCB_NONE) when the application does not run on X11.
namespace x11 {

// Qt's own connection, or null off X11 (offscreen, Wayland).
xcb_connection_t* connection();
// The screen number DISPLAY names (0 when it names none).
int screenNumber();
// The root window of that screen.
xcb_window_t root(xcb_connection_t* conn);
// The atom of a name, created when missing; XCB_NONE on failure.
xcb_atom_t atom(xcb_connection_t* conn, const QByteArray& name);

}  // namespace x11
