#pragma once
#include <functional>

// Seconds on a steady scale; only differences matter. Views and controllers
// of the toast read time through one of these so that tests can step it.
using AnimationClock = std::function<double()>;

namespace animation {
// The monotonic clock of the process.
double steadySeconds();
// The given clock, or the monotonic one when it is empty.
AnimationClock orSteady(AnimationClock clock);
// Milliseconds between repaints of a running animation (about 60 a second).
inline constexpr int kFrameMs = 16;
}  // namespace animation
