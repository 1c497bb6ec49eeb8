#pragma once

namespace capture {
// True when a compositing manager owns _NET_WM_CM_S<screen>; asked anew at
// every call. False off X11.
bool compositing();
}  // namespace capture
