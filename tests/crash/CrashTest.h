#pragma once
// What the crash tests share: envelopes read back from the stub's requests.
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "tests/crash/Driver.h"
#include "tests/support/HttpStub.h"
#include "tests/support/TestEnv.h"

namespace crashtest {

struct Item {
  QByteArray type;
  QJsonObject payload;
};

// The items of every request the stub read, in order; an envelope that
// does not parse (wrong length, bad JSON) fails the test.
inline QList<Item> items(const testsupport::HttpStub& stub) {
  QList<Item> out;
  for (const testsupport::StubRequest& r : stub.requests()) {
    const QByteArray& b = r.body;
    qsizetype at = b.indexOf('\n') + 1;
    EXPECT_GT(at, 0) << "no envelope header";
    while (at > 0 && at < b.size()) {
      const qsizetype end = b.indexOf('\n', at);
      const QJsonObject header = QJsonDocument::fromJson(b.mid(at, end - at)).object();
      const qsizetype length = header.value(QStringLiteral("length")).toInteger(-1);
      QJsonParseError error{};
      const QJsonDocument payload = QJsonDocument::fromJson(b.mid(end + 1, length), &error);
      EXPECT_EQ(error.error, QJsonParseError::NoError) << b.constData();
      out << Item{header.value(QStringLiteral("type")).toString().toUtf8(), payload.object()};
      at = end + 1 + length + 1;
    }
  }
  return out;
}

inline QList<QJsonObject> ofType(const QList<Item>& all, const QByteArray& type) {
  QList<QJsonObject> out;
  for (const Item& i : all) {
    if (i.type == type) out << i.payload;
  }
  return out;
}

}  // namespace crashtest
