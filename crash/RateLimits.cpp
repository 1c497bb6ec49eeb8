#include "crash/RateLimits.h"

#include <QList>

namespace crash {

namespace {
constexpr qint64 kDefaultMs = 60000;
}

void RateLimits::update(int status, const QMap<QByteArray, QByteArray>& headers, qint64 now) {
  auto extend = [&](const QByteArray& category, qint64 ms) {
    qint64& until = until_[category];
    until = std::max(until, now + ms);
  };
  const QByteArray limits = headers.value("x-sentry-rate-limits").trimmed();
  if (!limits.isEmpty()) {
    // "SECONDS:CATEGORIES:SCOPE[:REASON], ..." with categories split by ';'.
    for (const QByteArray& entry : limits.split(',')) {
      const QList<QByteArray> parts = entry.trimmed().split(':');
      bool ok = false;
      const double seconds = parts.value(0).toDouble(&ok);
      if (!ok || seconds < 0) continue;
      const QList<QByteArray> categories = parts.value(1).split(';');
      for (const QByteArray& category : categories) extend(category.trimmed(), qint64(seconds * 1000));
    }
    return;
  }
  if (status == 429) {
    bool ok = false;
    const qint64 seconds = headers.value("retry-after").trimmed().toLongLong(&ok);
    extend({}, ok && seconds >= 0 ? seconds * 1000 : kDefaultMs);
  }
}

bool RateLimits::limited(const QByteArray& category, qint64 now) const {
  return until_.value({}, 0) > now || (!category.isEmpty() && until_.value(category, 0) > now);
}

}  // namespace crash
