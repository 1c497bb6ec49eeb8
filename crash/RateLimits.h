#pragma once
#include <QByteArray>
#include <QMap>

namespace crash {

// The service's rate limits: "X-Sentry-Rate-Limits" (on any answer) names
// categories and how many seconds to keep away from them; a 429 without it
// keeps away from everything for its Retry-After (60 s when absent or unreadable).
class RateLimits {
 public:
  // `headers` with lower-case names; times in milliseconds since the epoch.
  void update(int status, const QMap<QByteArray, QByteArray>& headers, qint64 now);
  bool limited(const QByteArray& category, qint64 now) const;

 private:
  QMap<QByteArray, qint64> until_;  // category ("" for all) -> end of the limit
};

}  // namespace crash
