#pragma once
#include <optional>

// Whether a compositing manager runs. Translucent windows need one: without it
// their transparent parts come out black, so views fall back to a shape mask,
// draw no shadow and skip fades.
namespace Compositor {

// True when some client owns the selection _NET_WM_CM_S<screen>; asked anew at
// every call (a compositor may start or stop at any time). False off X11.
bool running();

// Pins the answer (tests, the snapshot renderer); none asks the X server again.
void setForced(std::optional<bool> running);

}  // namespace Compositor
