#pragma once
#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

#include "analytics/Payload.h"

namespace analytics {

// One signal as it travels: an element of the JSON array posted to the
// service, and of the array kept in the cache file.
struct SignalPostBody {
  std::chrono::microseconds receivedAt{0};  // since 1970-01-01 00:00 UTC
  QString appID;
  QString clientUser;  // SHA-256 hex of the user identifier and the salt
  QString sessionID;   // upper-case UUID text
  QString type;
  std::optional<double> floatValue;
  Payload payload;
  QString isTestMode;  // "true" or "false", a string on the wire

  friend bool operator==(const SignalPostBody& a, const SignalPostBody& b);
};

using Batch = std::vector<SignalPostBody>;

namespace SignalCoding {

enum class DateForm {
  wire,  // "yyyy-MM-ddTHH:mm:ss+0000", UTC, whole seconds
  file,  // seconds since 2001-01-01 00:00 UTC with fraction
};

// A JSON array of the records, keys in field order, compact; none when a
// float value is not finite.
std::optional<QByteArray> encode(const Batch& batch, DateForm form);

// The records of a cache file; a record missing a required member or holding
// one of the wrong type is left out and counted in `skipped`. A text that is
// not a JSON array gives none.
std::optional<Batch> decodeFile(const QByteArray& json, int* skipped = nullptr);

// The wire text of an instant.
QByteArray wireDate(std::chrono::microseconds since1970);

// A readable line of all fields, for debug logs.
QString describe(const SignalPostBody& record);

}  // namespace SignalCoding

}  // namespace analytics
