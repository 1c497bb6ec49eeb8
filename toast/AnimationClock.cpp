#include "toast/AnimationClock.h"

#include <chrono>

namespace animation {

double steadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

AnimationClock orSteady(AnimationClock clock) { return clock ? std::move(clock) : AnimationClock(steadySeconds); }

}  // namespace animation
