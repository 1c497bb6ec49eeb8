#include "app/Environment.h"

#include <unistd.h>

#include <cstdlib>

namespace Environment {

void ensureThreadLimit(char** argv) {
  if (std::getenv("OMP_THREAD_LIMIT")) return;
  setenv("OMP_THREAD_LIMIT", "1", 1);
  execv("/proc/self/exe", argv);
  // exec failed: carry on with the limit set for whatever loads later.
}

void preferOffscreenForConsole(bool consoleSwitch) {
  if (!consoleSwitch || std::getenv("QT_QPA_PLATFORM")) return;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace Environment
