#include "crash/Envelope.h"

#include <QJsonDocument>

#include "crash/Event.h"

namespace crash::envelope {

namespace {

QByteArray make(QJsonObject header, const QByteArray& type, const QJsonObject& payload) {
  header.insert(QStringLiteral("sdk"), sdkInfo());
  const QByteArray body = QJsonDocument(payload).toJson(QJsonDocument::Compact);
  const QJsonObject item{{QStringLiteral("type"), QString::fromLatin1(type)}, {QStringLiteral("length"), body.size()}};
  return QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' + QJsonDocument(item).toJson(QJsonDocument::Compact) +
         '\n' + body + '\n';
}

// The header line of the one item, and where its payload starts.
QJsonObject itemHeader(const QByteArray& envelope, qsizetype* payloadAt) {
  const qsizetype first = envelope.indexOf('\n');
  const qsizetype second = first < 0 ? -1 : envelope.indexOf('\n', first + 1);
  if (second < 0) return {};
  *payloadAt = second + 1;
  return QJsonDocument::fromJson(envelope.mid(first + 1, second - first - 1)).object();
}

}  // namespace

QByteArray ofEvent(const QJsonObject& event) {
  return make({{QStringLiteral("event_id"), event.value(QStringLiteral("event_id"))}}, "event", event);
}

QByteArray ofSession(const QJsonObject& session) { return make({}, "session", session); }

QByteArray category(const QByteArray& envelope) {
  qsizetype at = 0;
  const QString type = itemHeader(envelope, &at).value(QStringLiteral("type")).toString();
  if (type == QLatin1String("event")) return "error";
  if (type == QLatin1String("session")) return "session";
  return {};
}

QJsonObject sessionOf(const QByteArray& envelope) {
  qsizetype at = 0;
  const QJsonObject header = itemHeader(envelope, &at);
  if (header.value(QStringLiteral("type")).toString() != QLatin1String("session")) return {};
  return QJsonDocument::fromJson(envelope.mid(at, header.value(QStringLiteral("length")).toInteger(-1))).object();
}

}  // namespace crash::envelope
