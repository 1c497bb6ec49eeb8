#pragma once
#include <QDate>
#include <QStringList>
#include <optional>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/Scheduler.h"
#include "analytics/SystemFacts.h"

namespace analytics {

// The usage history the payload reports (kept by the session manager).
struct Retention {
  QString firstSessionDate;  // stored day, empty when none
  int averageSessionSeconds = -1;
  QStringList distinctDaysUsed;
  int totalSessionsCount = 0;
  std::optional<int> previousSessionSeconds;
};

// The entries every signal carries besides its own: device, application,
// run, preferences, calendar moment and usage history. Short keys and dotted
// "Analytics." keys stand side by side, several with the same value.
namespace DefaultSignalPayload {

// The client's version, as the payload and the service know it.
inline constexpr const char* kSDKVersion = "2.14.2";

Parameters parameters(const SystemFacts& system, const HostFacts& host, TimePoint now, const Retention& retention);

// "UTC", a sign, the whole hours and ":mm" when there are minutes: UTC+5:30, UTC-5, UTC+0.
QString timeZoneText(int offsetSeconds);
// The local day of an instant, "yyyy-MM-dd".
QString localDay(TimePoint instant);
QDate localDate(TimePoint instant);

}  // namespace DefaultSignalPayload

}  // namespace analytics
