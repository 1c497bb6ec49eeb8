#pragma once
#include <atomic>
#include <memory>
#include <utility>

// Stopping a recognition nobody waits for any more: a newer capture
// superseded it, or the program quits. The flag belongs to one recognition;
// its steps (each engine pass, each code variant) look at it through the
// thread they run on, and the threads a recognition starts carry it over.
// A recognition that stops returns what it has so far, or nothing.
namespace Recognizer {

using StopFlag = std::shared_ptr<std::atomic<bool>>;

inline StopFlag newStopFlag() { return std::make_shared<std::atomic<bool>>(false); }

// While it lives, `flag` is the stop flag of the recognition on this thread.
class StopScope {
 public:
  explicit StopScope(StopFlag flag);
  ~StopScope();
  StopScope(const StopScope&) = delete;
  StopScope& operator=(const StopScope&) = delete;

 private:
  StopFlag was_;
};

// The flag of the recognition on this thread; none outside a StopScope.
StopFlag currentStop();

// Whether the recognition on this thread was asked to stop.
bool stopRequested();

// `run` for another thread, as a part of the recognition on this one.
template <typename Run>
auto carryingStop(Run run) {
  return [flag = currentStop(), run = std::move(run)]() mutable {
    StopScope scope(flag);
    return run();
  };
}

}  // namespace Recognizer
