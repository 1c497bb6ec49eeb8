#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// The client's own serial queue with delayed work, and its clock. Everything
// the client does in the background (building records, the send chain, the
// session timer, cache snapshots) runs as tasks on one Scheduler, one at a
// time; tests pass a scheduler whose time they move by hand.
namespace analytics {

using WallClock = std::chrono::system_clock;
using TimePoint = WallClock::time_point;

class Scheduler {
 public:
  using Task = std::function<void()>;
  using Handle = std::uint64_t;  // 0 is no task

  virtual ~Scheduler() = default;
  // The wall-clock time of this scheduler.
  virtual TimePoint now() const = 0;
  // Runs `task` after `delay`; tasks due at the same moment run in posting order.
  virtual Handle post(Task task, std::chrono::nanoseconds delay = {}) = 0;
  // A task that has not started yet never runs.
  virtual void cancel(Handle handle) = 0;
};

// A scheduler on a thread of its own, measuring delays on the steady clock.
class ThreadScheduler final : public Scheduler {
 public:
  ThreadScheduler();
  // Drops what has not run; joins the thread unless called from it.
  ~ThreadScheduler() override;
  ThreadScheduler(const ThreadScheduler&) = delete;
  ThreadScheduler& operator=(const ThreadScheduler&) = delete;

  TimePoint now() const override;
  Handle post(Task task, std::chrono::nanoseconds delay = {}) override;
  void cancel(Handle handle) override;
  // Stops: what has not run never will, the running task finishes first.
  void shutdown();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Seconds as a chrono duration, for intervals the configuration gives in seconds.
inline std::chrono::nanoseconds seconds(double s) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(s));
}

}  // namespace analytics
