#pragma once
#include <functional>

// How a console run ends on a signal: at once, from a thread of its own, also
// while the main thread is busy drawing or recognising. Work that must not be
// cut in half (a file written under a temporary name and renamed into place)
// holds a SignalExit::Hold, and the exit waits for it; what a run leaves
// behind that nobody else would remove (a private folder) is registered with
// atExit.
namespace SignalExit {

// While one lives on any thread, an exit through now() from another thread
// waits. Holds nest; keep them short (a write, not a computation).
class Hold {
 public:
  Hold();
  ~Hold();
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};

// Runs `cleanup` when the process ends through now(); returns an id for cancel.
int atExit(std::function<void()> cleanup);
void cancel(int id);

// Waits until no other thread holds a Hold, runs the registered clean-ups,
// flushes standard output and error, and ends the process with `code`
// without running destructors.
[[noreturn]] void now(int code);

}  // namespace SignalExit
