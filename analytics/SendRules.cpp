#include "analytics/SendRules.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace analytics::SendRules {

Disposition disposition(int status) {
  using Kind = Disposition::Kind;
  if (status >= 200 && status <= 299) return {Kind::accept, {}};
  switch (status) {
    case 400:
      return {Kind::drop, QStringLiteral("Bad Request (400)")};
    case 401:
      return {Kind::drop, QStringLiteral("Unauthorized (401)")};
    case 403:
      return {Kind::drop, QStringLiteral("Forbidden (403)")};
    case 404:
      return {Kind::drop, QStringLiteral("Not Found (404)")};
    case 413:
      return {Kind::tooLarge, QStringLiteral("Payload Too Large (413)")};
    case 422:
      return {Kind::drop, QStringLiteral("Unprocessable Entity (422)")};
    case 501:
      return {Kind::drop, QStringLiteral("Not Implemented (501)")};
    case 505:
      return {Kind::drop, QStringLiteral("HTTP Version Not Supported (505)")};
    default:
      return {Kind::retry, {}};
  }
}

std::optional<QString> serviceUrl(const QString& baseURL, const std::optional<QString>& ns) {
  QString text = baseURL;
  if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
  if (ns && !ns->isEmpty()) {
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (!safe.match(*ns).hasMatch() || *ns == QLatin1String(".") || *ns == QLatin1String("..")) return std::nullopt;
    text += QStringLiteral("v2/namespace/") + *ns + QLatin1Char('/');
  } else {
    text += QStringLiteral("v2/");
  }
  const QUrl url(text, QUrl::StrictMode);
  const QString scheme = url.scheme();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    return std::nullopt;
  }
  return text;
}

std::chrono::nanoseconds nextDelay(double interval, double cap, int failures, std::optional<double> retryAfterSeconds) {
  double delay = std::min(cap, interval * std::pow(2.0, failures));
  if (retryAfterSeconds) delay = std::min(cap, std::max(delay, *retryAfterSeconds));
  return seconds(std::max(0.0, delay));
}

std::optional<double> retryAfter(const QByteArray& value, TimePoint now) {
  const QByteArray text = value.trimmed();
  if (text.isEmpty()) return std::nullopt;
  bool ok = false;
  const qlonglong secs = text.toLongLong(&ok);
  if (ok) return secs < 0 ? std::nullopt : std::optional<double>(double(secs));
  // An HTTP date names its zone GMT, which Qt's RFC 2822 reading does not take.
  QString date = QString::fromLatin1(text);
  if (date.endsWith(QLatin1String(" GMT"))) date = date.chopped(4) + QLatin1String(" +0000");
  const QDateTime at = QDateTime::fromString(date, Qt::RFC2822Date);
  if (!at.isValid()) return std::nullopt;
  const qint64 nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  return std::max(0.0, double(at.toMSecsSinceEpoch() - nowMs) / 1000.0);
}

}  // namespace analytics::SendRules
