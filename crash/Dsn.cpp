#include "crash/Dsn.h"

#include <QRegularExpression>
#include <QUrl>

namespace crash {

std::optional<Dsn> Dsn::parse(const QString& text) {
  const QUrl url(text.trimmed(), QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty() || url.userName().isEmpty()) return std::nullopt;
  Dsn d;
  d.scheme = url.scheme().toLower();
  if (d.scheme != QLatin1String("http") && d.scheme != QLatin1String("https")) return std::nullopt;
  if (url.hasQuery() || url.hasFragment()) return std::nullopt;
  d.publicKey = url.userName();
  d.secretKey = url.password();
  d.host = url.host();
  d.port = url.port(-1);
  QString path = url.path();
  while (path.endsWith(QLatin1Char('/'))) path.chop(1);
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) return std::nullopt;
  d.projectId = path.mid(slash + 1);
  d.prefix = path.left(slash).mid(1);
  static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
  if (!digits.match(d.projectId).hasMatch()) return std::nullopt;
  return d;
}

QString Dsn::envelopeUrl() const {
  QString url = scheme + QStringLiteral("://") + (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host);
  if (port >= 0) url += QLatin1Char(':') + QString::number(port);
  url += QLatin1Char('/');
  if (!prefix.isEmpty()) url += prefix + QLatin1Char('/');
  return url + QStringLiteral("api/") + projectId + QStringLiteral("/envelope/");
}

QByteArray Dsn::authHeader(const QString& client) const {
  QByteArray h = "Sentry sentry_version=7, sentry_client=" + client.toUtf8() + ", sentry_key=" + publicKey.toUtf8();
  if (!secretKey.isEmpty()) h += ", sentry_secret=" + secretKey.toUtf8();
  return h;
}

}  // namespace crash
