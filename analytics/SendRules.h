#pragma once
#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

#include "analytics/Scheduler.h"

// The rules of one send: where it goes, what an answer means, how long to
// wait before the next attempt.
namespace analytics::SendRules {

struct Disposition {
  enum class Kind {
    accept,
    drop,      // the service will never take this batch
    tooLarge,  // 413: smaller batches may pass
    retry,
  };
  Kind kind = Kind::retry;
  QString reason;  // for drop and tooLarge
};

// The outcome of an HTTP status; 0 (no HTTP answer) means retry.
Disposition disposition(int status);

// The base address, a slash unless it ends in one, then "v2/" or
// "v2/namespace/NAME/". None for an address that is no http(s) URL or a
// namespace outside [A-Za-z0-9._-], which would otherwise change the path.
std::optional<QString> serviceUrl(const QString& baseURL, const std::optional<QString>& ns);

// interval × 2^failures, at most `cap`; a Retry-After the service asked for
// lengthens it, never beyond the cap.
std::chrono::nanoseconds nextDelay(double interval, double cap, int failures,
                                   std::optional<double> retryAfterSeconds = std::nullopt);

// Seconds from a Retry-After value: whole seconds or an HTTP date.
std::optional<double> retryAfter(const QByteArray& value, TimePoint now);

}  // namespace analytics::SendRules
