#pragma once
#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/Scheduler.h"

namespace analytics {

// Named timers of the host application: started, cancelled, or stopped to
// send how long they ran. A timer may leave out the time the application was
// not active; that span comes off when the application is active again.
// Names may be made at run time, so the number of running timers is bounded:
// beyond the limit the oldest one goes, with a log line.
class DurationSignalTracker {
 public:
  static constexpr size_t kMaxTimers = 1000;
  using Clock = std::function<TimePoint()>;
  struct Stopped {
    double seconds;
    Parameters parameters;  // given at the start
  };

  // The process-wide tracker, on the client's clock, told of activation.
  static DurationSignalTracker& shared();
  explicit DurationSignalTracker(Clock clock);

  // Replaces a timer of the same name.
  void startTracking(const QString& name, const Parameters& parameters, bool includeBackgroundTime);
  // Ends the timer; none when it was not running.
  std::optional<Stopped> stopTracking(const QString& name);
  void handleDidEnterBackgroundNotification();
  void handleWillEnterForegroundNotification();

 private:
  struct CachedData {
    TimePoint startTime;
    Parameters parameters;
    bool includeBackgroundTime;
    quint64 order;  // when it started, for dropping the oldest
  };

  Clock clock_;
  std::mutex mutex_;
  std::map<QString, CachedData> startedSignals_;
  std::optional<TimePoint> lastEnteredBackground_;
  quint64 started_ = 0;
};

// The text of a measured duration: cut to whole milliseconds, then the
// shortest decimal that reads back the same, with ".0" when whole.
QString durationText(double seconds);

namespace Analytics {

void startDurationSignal(const QString& name, const Parameters& parameters = {}, bool includeBackgroundTime = false);
void cancelDurationSignal(const QString& name);
// Sends the timer's name with "Analytics.Signal.durationInSeconds", laid
// under the start's parameters and those under the stop's; nothing when it
// was not running.
void stopAndSendDurationSignal(const QString& name, const Parameters& parameters = {},
                               std::optional<double> floatValue = std::nullopt,
                               const std::optional<QString>& customUserID = std::nullopt);

}  // namespace Analytics

}  // namespace analytics
