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

}  // namespace

QByteArray ofEvent(const QJsonObject& event) {
  return make({{QStringLiteral("event_id"), event.value(QStringLiteral("event_id"))}}, "event", event);
}

QByteArray ofSession(const QJsonObject& session) { return make({}, "session", session); }

QByteArray category(const QByteArray& envelope) {
  const qsizetype first = envelope.indexOf('\n');
  if (first < 0) return {};
  const QByteArray itemHeader = envelope.mid(first + 1, envelope.indexOf('\n', first + 1) - first - 1);
  const QString type = QJsonDocument::fromJson(itemHeader).object().value(QStringLiteral("type")).toString();
  if (type == QLatin1String("event")) return "error";
  if (type == QLatin1String("session")) return "session";
  return {};
}

}  // namespace crash::envelope
