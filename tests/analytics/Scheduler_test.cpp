#include "analytics/Scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using analytics::ThreadScheduler;

namespace {

// What the tasks did, in the order they did it, for the test thread to wait on.
struct Trace {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> order;

  std::function<void()> note(int n) {
    return [this, n] {
      std::lock_guard lock(mutex);
      order.push_back(n);
      changed.notify_all();
    };
  }
  // Posts a task that notes `n` and waits until it ran: everything due before
  // it has run, and the scheduler's thread goes back to waiting.
  bool postAndWait(ThreadScheduler& scheduler, int n) {
    scheduler.post(note(n));
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 10s, [&] { return !order.empty() && order.back() == n; });
  }
};

}  // namespace

TEST(ThreadScheduler, RunsByDueTimeThenPostingOrderAndNeverWhatWasCancelled) {
  ThreadScheduler scheduler;
  Trace trace;
  // Held back until everything is posted, so that the order is the queue's.
  std::mutex gate;
  std::unique_lock closed(gate);
  scheduler.post([&] { std::lock_guard wait(gate); });
  scheduler.post(trace.note(4), 200ms);
  scheduler.post(trace.note(1));
  const auto dropped = scheduler.post(trace.note(99));
  scheduler.post(trace.note(2));
  scheduler.cancel(dropped);
  scheduler.cancel(dropped);  // twice is harmless
  scheduler.cancel(12345);    // and so is a handle that never was
  closed.unlock();
  ASSERT_TRUE(trace.postAndWait(scheduler, 3));
  std::unique_lock lock(trace.mutex);
  ASSERT_TRUE(trace.changed.wait_for(lock, 10s, [&] { return trace.order.size() == 4; }));
  EXPECT_EQ(trace.order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(ThreadScheduler, ShutdownDropsWhatHasNotRunAndRefusesNewWork) {
  ThreadScheduler scheduler;
  std::atomic<int> runs{0};
  scheduler.post([&] { ++runs; }, 1h);
  scheduler.shutdown();
  scheduler.shutdown();
  EXPECT_EQ(scheduler.post([&] { ++runs; }), 0u);
  EXPECT_EQ(runs, 0);
}

// The thread waits for the earliest task's time while cancel() or shutdown()
// on another thread removes that task; the wait must not read what was
// removed (AddressSanitizer sees it when it does). Many rounds, so that the
// removal meets the thread inside its wait.
TEST(ThreadScheduler, RemovingTheTaskItWaitsForLeavesTheWaitingThreadSound) {
  std::atomic<int> lateRuns{0};
  for (int round = 0; round < 200; ++round) {
    ThreadScheduler scheduler;
    const auto late = scheduler.post([&] { ++lateRuns; }, 1h);
    Trace trace;
    ASSERT_TRUE(trace.postAndWait(scheduler, 1));  // now the thread waits for `late`
    std::this_thread::sleep_for(1ms);  // time to get back into the wait; no result depends on it
    if (round % 2 == 0) {
      scheduler.cancel(late);
      ASSERT_TRUE(trace.postAndWait(scheduler, 2));  // wakes the thread after the removal
    }
    scheduler.shutdown();
  }
  EXPECT_EQ(lateRuns, 0);
}
