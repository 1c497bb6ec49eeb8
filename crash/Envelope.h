#pragma once
#include <QByteArray>
#include <QJsonObject>

// Envelopes: a JSON header line, then per item a JSON header line with its
// type and length, and the payload. Each envelope we make carries one kind of
// data, so that the service's rate limits apply to it as a whole.
namespace crash::envelope {

QByteArray ofEvent(const QJsonObject& event);
QByteArray ofSession(const QJsonObject& session);

// The rate-limit category of an envelope we made: "error" for events,
// "session" for sessions, empty when it cannot be read.
QByteArray category(const QByteArray& envelope);

// The payload of a session envelope we made; empty when it is none.
QJsonObject sessionOf(const QByteArray& envelope);

}  // namespace crash::envelope
