#include "analytics/Scheduler.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace analytics {

struct ThreadScheduler::State {
  using Key = std::pair<std::chrono::steady_clock::time_point, Handle>;
  std::mutex mutex;
  std::condition_variable changed;
  std::map<Key, Task> tasks;
  std::unordered_map<Handle, Key> keys;
  Handle next = 1;
  bool stopping = false;
  std::thread thread;

  void run() {
    std::unique_lock lock(mutex);
    for (;;) {
      if (stopping) return;
      if (tasks.empty()) {
        changed.wait(lock);
        continue;
      }
      const auto first = tasks.begin();
      // A copy: the wait reads its time point again once it has the lock
      // back, and cancel() or shutdown() may have erased the task by then.
      const auto due = first->first.first;
      if (due > std::chrono::steady_clock::now()) {
        changed.wait_until(lock, due);
        continue;  // the queue may look different now: look again
      }
      Task task = std::move(first->second);
      keys.erase(first->first.second);
      tasks.erase(first);
      lock.unlock();
      task();
      task = nullptr;  // its captures go before the lock is taken again
      lock.lock();
    }
  }
};

ThreadScheduler::ThreadScheduler() : state_(std::make_shared<State>()) {
  // The thread holds the state, so that a scheduler released by one of its
  // own tasks can let the thread finish on its own.
  state_->thread = std::thread([state = state_] { state->run(); });
}

ThreadScheduler::~ThreadScheduler() { shutdown(); }

void ThreadScheduler::shutdown() {
  if (!state_->thread.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    state_->tasks.clear();
    state_->keys.clear();
  }
  state_->changed.notify_all();
  if (state_->thread.get_id() == std::this_thread::get_id()) {
    state_->thread.detach();
  } else {
    state_->thread.join();
  }
}

TimePoint ThreadScheduler::now() const { return WallClock::now(); }

Scheduler::Handle ThreadScheduler::post(Task task, std::chrono::nanoseconds delay) {
  std::lock_guard lock(state_->mutex);
  if (state_->stopping) return 0;
  const Handle handle = state_->next++;
  const State::Key key{std::chrono::steady_clock::now() + delay, handle};
  state_->tasks.emplace(key, std::move(task));
  state_->keys.emplace(handle, key);
  state_->changed.notify_all();
  return handle;
}

void ThreadScheduler::cancel(Handle handle) {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->keys.find(handle);
  if (it == state_->keys.end()) return;
  state_->tasks.erase(it->second);
  state_->keys.erase(it);
}

}  // namespace analytics
