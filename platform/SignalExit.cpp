#include "platform/SignalExit.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <shared_mutex>

namespace SignalExit {

namespace {

// Never destroyed: a signal may come while the process runs its static destructors.
struct State {
  std::shared_mutex gate;  // shared by every Hold, exclusive on the way out
  std::mutex lock;         // guards the clean-ups
  std::map<int, std::function<void()>> cleanups;
  int next = 1;
};

State& state() {
  static State* s = new State;
  return *s;
}

thread_local int holds = 0;

}  // namespace

Hold::Hold() {
  if (holds++ == 0) state().gate.lock_shared();
}

Hold::~Hold() {
  if (--holds == 0) state().gate.unlock_shared();
}

int atExit(std::function<void()> cleanup) {
  State& s = state();
  std::lock_guard guard(s.lock);
  const int id = s.next++;
  s.cleanups.emplace(id, std::move(cleanup));
  return id;
}

void cancel(int id) {
  State& s = state();
  std::lock_guard guard(s.lock);
  s.cleanups.erase(id);
}

void now(int code) {
  State& s = state();
  // A thread that holds the gate itself is the one writing: nothing to wait for.
  if (holds == 0) s.gate.lock();
  std::map<int, std::function<void()>> cleanups;
  {
    std::lock_guard guard(s.lock);
    cleanups.swap(s.cleanups);
  }
  for (auto& [id, cleanup] : cleanups) cleanup();
  std::fflush(nullptr);
  ::_exit(code);
}

}  // namespace SignalExit
