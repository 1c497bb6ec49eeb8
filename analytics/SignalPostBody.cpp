#include "analytics/SignalPostBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <cmath>
#include <ctime>

namespace analytics {

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the file form's epoch.
constexpr qint64 k2001 = 978307200;

void appendString(QByteArray& out, const QString& text) {
  out += '"';
  for (const char c : text.toUtf8()) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "\\u00";
          out += QByteArray::number(static_cast<unsigned char>(c) >> 4, 16);
          out += QByteArray::number(c & 0xf, 16);
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void appendNumber(QByteArray& out, double value) {
  out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

bool encodeOne(QByteArray& out, const SignalPostBody& r, SignalCoding::DateForm form) {
  if (r.floatValue && !std::isfinite(*r.floatValue)) return false;
  out += "{\"receivedAt\":";
  if (form == SignalCoding::DateForm::wire) {
    out += '"' + SignalCoding::wireDate(r.receivedAt) + '"';
  } else {
    appendNumber(out, static_cast<double>(r.receivedAt.count() - k2001 * 1000000) / 1e6);
  }
  const std::pair<const char*, const QString*> texts[] = {
      {"appID", &r.appID}, {"clientUser", &r.clientUser}, {"sessionID", &r.sessionID}, {"type", &r.type}};
  for (const auto& [key, value] : texts) {
    out += ",\"";
    out += key;
    out += "\":";
    appendString(out, *value);
  }
  if (r.floatValue) {
    out += ",\"floatValue\":";
    appendNumber(out, *r.floatValue);
  }
  out += ",\"payload\":{";
  bool first = true;
  for (const auto& [key, value] : r.payload.entries()) {
    if (!first) out += ',';
    first = false;
    appendString(out, key);
    out += ':';
    appendString(out, value);
  }
  out += "},\"isTestMode\":";
  appendString(out, r.isTestMode);
  out += '}';
  return true;
}

// Equal texts of a file's records share one copy: a full cache repeats its
// identifiers and keys ten thousand times.
struct Interner {
  QSet<QString> seen;
  QString operator()(const QString& text) { return *seen.insert(text); }
};

std::optional<SignalPostBody> decodeOne(const QJsonValue& value, Payload::Base& base, Interner& intern) {
  if (!value.isObject()) return std::nullopt;
  const QJsonObject o = value.toObject();
  SignalPostBody r;
  const QJsonValue at = o.value(QLatin1String("receivedAt"));
  if (!at.isDouble() || !std::isfinite(at.toDouble())) return std::nullopt;
  r.receivedAt = std::chrono::microseconds(std::llround(at.toDouble() * 1e6) + k2001 * 1000000);
  const std::pair<const char*, QString*> texts[] = {{"appID", &r.appID},         {"clientUser", &r.clientUser},
                                                    {"sessionID", &r.sessionID}, {"type", &r.type},
                                                    {"isTestMode", &r.isTestMode}};
  for (const auto& [key, field] : texts) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) return std::nullopt;
    *field = intern(v.toString());
  }
  if (o.contains(QLatin1String("floatValue"))) {
    const QJsonValue v = o.value(QLatin1String("floatValue"));
    if (!v.isDouble() || !std::isfinite(v.toDouble())) return std::nullopt;
    r.floatValue = v.toDouble();
  }
  const QJsonValue payload = o.value(QLatin1String("payload"));
  if (!payload.isObject()) return std::nullopt;
  const QJsonObject p = payload.toObject();
  Payload::Entries entries;
  entries.reserve(static_cast<size_t>(p.size()));
  for (auto it = p.begin(); it != p.end(); ++it) {
    if (!it.value().isString()) return std::nullopt;
    entries.emplace_back(intern(it.key()), it.value().toString());
  }
  r.payload = Payload::compact(std::move(entries), base);  // QJsonObject iterates in key order
  return r;
}

}  // namespace

bool operator==(const SignalPostBody& a, const SignalPostBody& b) {
  return a.receivedAt == b.receivedAt && a.appID == b.appID && a.clientUser == b.clientUser &&
         a.sessionID == b.sessionID && a.type == b.type && a.floatValue == b.floatValue && a.payload == b.payload &&
         a.isTestMode == b.isTestMode;
}

namespace SignalCoding {

QByteArray wireDate(std::chrono::microseconds since1970) {
  const auto secs = std::chrono::floor<std::chrono::seconds>(since1970).count();
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d+0000", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return QByteArray(text);
}

std::optional<QByteArray> encode(const Batch& batch, DateForm form) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(batch.size()) * 2048 + 2);
  out += '[';
  for (size_t i = 0; i < batch.size(); ++i) {
    if (i) out += ',';
    if (!encodeOne(out, batch[i], form)) return std::nullopt;
  }
  out += ']';
  return out;
}

std::optional<Batch> decodeFile(const QByteArray& json, int* skipped) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isArray()) return std::nullopt;
  const QJsonArray array = doc.array();
  Batch batch;
  batch.reserve(static_cast<size_t>(array.size()));
  Payload::Base base;
  Interner intern;
  int bad = 0;
  for (const QJsonValue& value : array) {
    if (std::optional<SignalPostBody> r = decodeOne(value, base, intern)) {
      batch.push_back(std::move(*r));
    } else {
      ++bad;
    }
  }
  if (skipped) *skipped = bad;
  return batch;
}

QString describe(const SignalPostBody& r) {
  QStringList payload;
  for (const auto& [key, value] : r.payload.entries()) payload << key + QLatin1Char('=') + value;
  return QStringLiteral("SignalPostBody(receivedAt: %1, appID: %2, clientUser: %3, sessionID: %4, type: %5, "
                        "floatValue: %6, payload: [%7], isTestMode: %8)")
      .arg(QString::fromLatin1(wireDate(r.receivedAt)), r.appID, r.clientUser, r.sessionID, r.type,
           r.floatValue ? QString::number(*r.floatValue, 'g', QLocale::FloatingPointShortest) : QStringLiteral("nil"),
           payload.join(QLatin1String(", ")), r.isTestMode);
}

}  // namespace SignalCoding

}  // namespace analytics
