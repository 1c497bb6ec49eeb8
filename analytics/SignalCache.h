#pragma once
#include <deque>
#include <mutex>
#include <optional>

#include "analytics/LogHandler.h"
#include "analytics/SignalPostBody.h"

namespace analytics {

// The records waiting to be sent, oldest first, bounded by a limit (the
// oldest go first), safe to use from any thread. A batch taken for sending
// stays known as "in flight" until its outcome settles it, so that a snapshot
// of everything pending can include it.
class SignalCache {
 public:
  static constexpr int maximumNumberOfSignalsToPopAtOnce = 100;

  enum class Outcome {
    done,          // accepted or given up: the batch is gone
    requeueBack,   // behind the records that arrived meanwhile
    requeueFront,  // back where it was
  };

  explicit SignalCache(int cacheLimit, std::optional<LogHandler> log = std::nullopt);

  int count() const;  // waiting, not counting the batch in flight
  void push(SignalPostBody signal);
  void push(Batch records);
  // The oldest records, at most `max` and at most 100; they stay in flight
  // until settle(). Empty while a batch is in flight.
  Batch takeBatch(int max = maximumNumberOfSignalsToPopAtOnce);
  bool inFlight() const;
  int inFlightCount() const;
  void settle(Outcome outcome);
  // Everything not yet accepted: the batch in flight, then the waiting records.
  Batch pending() const;
  // Forgets everything, the batch in flight included.
  void clear();
  void setCacheLimit(int limit);
  // Grows with every change, so that a writer can tell whether its copy is current.
  quint64 revision() const;

 private:
  void trimLocked();

  mutable std::mutex mutex_;
  std::deque<SignalPostBody> cachedSignals_;
  Batch inFlight_;
  bool flying_ = false;
  int cacheLimit_;
  quint64 revision_ = 0;
  std::optional<LogHandler> log_;
  qint64 trimmed_ = 0;
};

}  // namespace analytics
