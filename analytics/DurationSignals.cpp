#include "analytics/DurationSignals.h"

#include <cmath>

#include "analytics/Analytics.h"
#include "analytics/AppLifecycle.h"
#include "analytics/DecimalText.h"

namespace analytics {

DurationSignalTracker& DurationSignalTracker::shared() {
  static DurationSignalTracker* tracker = [] {
    auto* t = new DurationSignalTracker(&AnalyticsManager::clientNow);
    AppLifecycle::Observer observer;
    observer.didResignActive = [t] { t->handleDidEnterBackgroundNotification(); };
    observer.willBecomeActive = [t] { t->handleWillEnterForegroundNotification(); };
    AppLifecycle::instance().subscribe(std::move(observer));
    return t;
  }();
  return *tracker;
}

DurationSignalTracker::DurationSignalTracker(Clock clock) : clock_(std::move(clock)) {}

void DurationSignalTracker::startTracking(const QString& name, const Parameters& parameters, bool includeBackgroundTime) {
  std::optional<QString> dropped;
  {
    std::lock_guard lock(mutex_);
    if (!startedSignals_.count(name) && startedSignals_.size() >= kMaxTimers) {
      const auto oldest = std::min_element(startedSignals_.begin(), startedSignals_.end(),
                                           [](const auto& a, const auto& b) { return a.second.order < b.second.order; });
      dropped = oldest->first;
      startedSignals_.erase(oldest);
    }
    startedSignals_[name] = {clock_(), parameters, includeBackgroundTime, ++started_};
  }
  if (dropped) {
    if (const auto manager = AnalyticsManager::shared()) {
      manager->configuration()->log(LogLevel::error,
                                    QStringLiteral("Too many duration signals running: dropped the oldest, '%1'").arg(*dropped));
    }
  }
}

std::optional<DurationSignalTracker::Stopped> DurationSignalTracker::stopTracking(const QString& name) {
  std::lock_guard lock(mutex_);
  const auto it = startedSignals_.find(name);
  if (it == startedSignals_.end()) return std::nullopt;
  Stopped result{std::chrono::duration<double>(clock_() - it->second.startTime).count(), it->second.parameters};
  startedSignals_.erase(it);
  return result;
}

void DurationSignalTracker::handleDidEnterBackgroundNotification() {
  std::lock_guard lock(mutex_);
  lastEnteredBackground_ = clock_();
}

void DurationSignalTracker::handleWillEnterForegroundNotification() {
  std::lock_guard lock(mutex_);
  if (!lastEnteredBackground_) return;
  const auto span = clock_() - *lastEnteredBackground_;
  for (auto& [name, data] : startedSignals_) {
    if (!data.includeBackgroundTime) data.startTime += span;
  }
  lastEnteredBackground_.reset();
}

QString durationText(double seconds) { return decimalText(std::floor(seconds * 1000) / 1000); }

namespace Analytics {

void startDurationSignal(const QString& name, const Parameters& parameters, bool includeBackgroundTime) {
  DurationSignalTracker::shared().startTracking(name, parameters, includeBackgroundTime);
}

void cancelDurationSignal(const QString& name) { DurationSignalTracker::shared().stopTracking(name); }

void stopAndSendDurationSignal(const QString& name, const Parameters& parameters, std::optional<double> floatValue,
                               const std::optional<QString>& customUserID) {
  const std::optional<DurationSignalTracker::Stopped> stopped = DurationSignalTracker::shared().stopTracking(name);
  if (!stopped) return;
  Parameters merged{{QStringLiteral("Analytics.Signal.durationInSeconds"), durationText(stopped->seconds)}};
  merged.insert(stopped->parameters);
  merged.insert(parameters);
  internalSignal(name, merged, floatValue, customUserID);
}

}  // namespace Analytics

}  // namespace analytics
