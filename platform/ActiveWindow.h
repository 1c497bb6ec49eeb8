#pragma once
#include <cstdint>

// The window that holds the keyboard, across applications, and the way to hand
// the keyboard back to it. Panels that take the keyboard for a moment (the
// toast's editor, the status menu) remember current() first and activate() it
// when they are done, so the user's own window gets its keyboard back.
namespace ActiveWindow {

using Id = uint32_t;  // an X window; 0 for none

// The window manager's active window (_NET_ACTIVE_WINDOW) when one keeps it,
// else the X input focus window; 0 when there is none or off X11.
Id current();

// Activates a window the way a pager does, so that focus-stealing prevention
// lets it through; without a window manager the input focus is set directly.
// False when the window is gone, the id is 0, or off X11.
bool activate(Id window);

}  // namespace ActiveWindow
