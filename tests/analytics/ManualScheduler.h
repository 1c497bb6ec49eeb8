#pragma once
// A scheduler whose time the caller moves by hand (tests and benches).
#include <condition_variable>
#include <map>
#include <mutex>

#include "analytics/Scheduler.h"

namespace rig {

using namespace std::chrono_literals;
using analytics::TimePoint;

// Sunday 2026-03-01 20:00:00 UTC: already Monday east of UTC+4.
inline TimePoint start() { return analytics::WallClock::from_time_t(1772395200); }

class ManualScheduler final : public analytics::Scheduler {
 public:
  explicit ManualScheduler(TimePoint at = start()) : now_(at) {}
  TimePoint now() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  Handle post(Task task, std::chrono::nanoseconds delay) override {
    std::lock_guard lock(mutex_);
    const Handle h = next_++;
    tasks_.emplace(std::make_pair(now_ + std::chrono::duration_cast<analytics::WallClock::duration>(delay), h),
                   std::move(task));
    changed_.notify_all();
    return h;
  }
  void cancel(Handle handle) override {
    std::lock_guard lock(mutex_);
    std::erase_if(tasks_, [&](const auto& t) { return t.first.second == handle; });
  }
  // Runs, in order, every task due by now + `by`, moving the time to each; ends at now + `by`.
  void advance(std::chrono::nanoseconds by = {}) {
    const TimePoint until = now() + std::chrono::duration_cast<analytics::WallClock::duration>(by);
    while (runOne(until)) {
    }
    std::lock_guard lock(mutex_);
    now_ = until;
  }
  // Moves to the next task and runs it (and all due with it); false when none is pending.
  bool advanceToNext() {
    TimePoint due;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return false;
      due = tasks_.begin()->first.first;
    }
    advance(std::max(std::chrono::nanoseconds(0), std::chrono::nanoseconds(due - now())));
    return true;
  }
  // Waits for real until another thread (an HTTP completion) posts work for now, then runs it.
  bool waitForReady(std::chrono::milliseconds timeout = 15s) {
    {
      std::unique_lock lock(mutex_);
      const bool ready = changed_.wait_for(lock, timeout, [&] {
        return !tasks_.empty() && tasks_.begin()->first.first <= now_;
      });
      if (!ready) return false;
    }
    advance();
    return true;
  }
  double secondsSinceStart() const { return std::chrono::duration<double>(now() - start()).count(); }

 private:
  bool runOne(TimePoint until) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty() || tasks_.begin()->first.first > until) return false;
      now_ = std::max(now_, tasks_.begin()->first.first);
      task = std::move(tasks_.begin()->second);
      tasks_.erase(tasks_.begin());
    }
    task();
    return true;
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  TimePoint now_;
  std::map<std::pair<TimePoint, Handle>, Task> tasks_;
  Handle next_ = 1;
};

}  // namespace rig
