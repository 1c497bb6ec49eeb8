#include "analytics/SignalCache.h"

#include <algorithm>

namespace analytics {

SignalCache::SignalCache(int cacheLimit, std::optional<LogHandler> log)
    : cacheLimit_(std::max(0, cacheLimit)), log_(std::move(log)) {}

int SignalCache::count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(cachedSignals_.size());
}

void SignalCache::push(SignalPostBody signal) {
  std::lock_guard lock(mutex_);
  cachedSignals_.push_back(std::move(signal));
  ++revision_;
  trimLocked();
}

void SignalCache::push(Batch records) {
  std::lock_guard lock(mutex_);
  for (SignalPostBody& s : records) cachedSignals_.push_back(std::move(s));
  ++revision_;
  trimLocked();
}

Batch SignalCache::takeBatch(int max) {
  std::lock_guard lock(mutex_);
  if (flying_) return {};
  const size_t n = std::min<size_t>(cachedSignals_.size(),
                                    static_cast<size_t>(std::clamp(max, 0, maximumNumberOfSignalsToPopAtOnce)));
  inFlight_.assign(std::make_move_iterator(cachedSignals_.begin()),
                   std::make_move_iterator(cachedSignals_.begin() + static_cast<std::ptrdiff_t>(n)));
  cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<std::ptrdiff_t>(n));
  flying_ = n > 0;
  return inFlight_;
}

bool SignalCache::inFlight() const {
  std::lock_guard lock(mutex_);
  return flying_;
}

int SignalCache::inFlightCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(inFlight_.size());
}

void SignalCache::settle(Outcome outcome) {
  std::lock_guard lock(mutex_);
  if (!flying_) return;
  switch (outcome) {
    case Outcome::done:
      break;
    case Outcome::requeueBack:
      cachedSignals_.insert(cachedSignals_.end(), std::make_move_iterator(inFlight_.begin()),
                            std::make_move_iterator(inFlight_.end()));
      break;
    case Outcome::requeueFront:
      cachedSignals_.insert(cachedSignals_.begin(), std::make_move_iterator(inFlight_.begin()),
                            std::make_move_iterator(inFlight_.end()));
      break;
  }
  inFlight_.clear();
  flying_ = false;
  ++revision_;
  trimLocked();
}

Batch SignalCache::pending() const {
  std::lock_guard lock(mutex_);
  Batch all(inFlight_);
  all.insert(all.end(), cachedSignals_.begin(), cachedSignals_.end());
  return all;
}

void SignalCache::clear() {
  std::lock_guard lock(mutex_);
  cachedSignals_.clear();
  inFlight_.clear();
  flying_ = false;
  ++revision_;
}

void SignalCache::setCacheLimit(int limit) {
  std::lock_guard lock(mutex_);
  cacheLimit_ = std::max(0, limit);
  trimLocked();
}

quint64 SignalCache::revision() const {
  std::lock_guard lock(mutex_);
  return revision_;
}

void SignalCache::trimLocked() {
  const size_t limit = static_cast<size_t>(cacheLimit_);
  if (cachedSignals_.size() <= limit) return;
  const size_t excess = cachedSignals_.size() - limit;
  cachedSignals_.erase(cachedSignals_.begin(), cachedSignals_.begin() + static_cast<std::ptrdiff_t>(excess));
  // One line per thousand dropped keeps a flood of records from flooding the log too.
  if (log_ && (trimmed_ / 1000 != (trimmed_ + static_cast<qint64>(excess)) / 1000 || trimmed_ == 0)) {
    log_->log(LogLevel::error, QStringLiteral("Cache limit of %1 reached: dropped the oldest %2 signal(s)")
                                   .arg(cacheLimit_)
                                   .arg(excess));
  }
  trimmed_ += static_cast<qint64>(excess);
}

}  // namespace analytics
