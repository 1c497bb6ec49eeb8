#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include "crash/Client.h"
#include "crash/Envelope.h"
#include "crash/PendingStore.h"
#include "crash/RateLimits.h"
#include "tests/crash/CrashTest.h"

using namespace std::chrono_literals;
using crashtest::items;
using crashtest::ofType;
using testsupport::HttpStub;
using testsupport::StubAnswer;

namespace {

crash::Options optionsFor(const HttpStub& stub, const QString& name, const QString& dsnPath = QStringLiteral("/42")) {
  crash::Options o;
  o.dsn = QStringLiteral("http://pub@127.0.0.1:%1").arg(stub.port()) + dsnPath;
  o.release = QStringLiteral("tarvok@9.9.9");
  o.environment = QStringLiteral("test");
  o.dir = testenv::scratch() + QStringLiteral("/sending/") + name;
  QDir(o.dir).removeRecursively();
  o.crashHandler = false;  // this process is the test runner
  o.autoSessions = false;
  return o;
}

}  // namespace

TEST(Sending, AMessageEventCarriesLevelTagsAndNothingPersonal) {
  HttpStub stub;
  crash::Client client;
  crash::Options options = optionsFor(stub, QStringLiteral("message"), QStringLiteral("/relay/42"));
  options.autoSessions = true;
  ASSERT_TRUE(client.start(options));
  const QString longKey(40, QLatin1Char('k'));
  const QString file = client.captureMessage(
      QStringLiteral("report.test"), QStringLiteral("warning"),
      {{QStringLiteral("from"), QStringLiteral("cli")}, {longKey, QStringLiteral("two\nlines") + QString(300, QLatin1Char('v'))}});
  EXPECT_TRUE(client.delivered(file, 5s));
  EXPECT_FALSE(QFile::exists(file));

  for (const auto& r : stub.requests()) {
    EXPECT_EQ(r.path, "/relay/api/42/envelope/");
    EXPECT_EQ(r.headers.value("content-type"), "application/x-sentry-envelope");
    const QByteArray auth = r.headers.value("x-sentry-auth");
    EXPECT_TRUE(auth.startsWith("Sentry sentry_version=7, sentry_client=tarvok.crash/")) << auth.constData();
    EXPECT_TRUE(auth.endsWith(", sentry_key=pub")) << auth.constData();
  }
  const auto all = items(stub);
  const QList<QJsonObject> events = ofType(all, "event");
  ASSERT_EQ(events.size(), 1);
  const QJsonObject& e = events[0];
  EXPECT_EQ(e.value(QStringLiteral("level")).toString(), QStringLiteral("warning"));
  EXPECT_EQ(e[QStringLiteral("message")][QStringLiteral("formatted")].toString(), QStringLiteral("report.test"));
  EXPECT_EQ(e.value(QStringLiteral("environment")).toString(), QStringLiteral("test"));
  EXPECT_EQ(e.value(QStringLiteral("release")).toString(), QStringLiteral("tarvok@9.9.9"));
  EXPECT_EQ(e.value(QStringLiteral("event_id")).toString().size(), 32);
  const QJsonObject tags = e.value(QStringLiteral("tags")).toObject();
  EXPECT_EQ(tags.size(), 2);
  EXPECT_EQ(tags.value(QStringLiteral("from")).toString(), QStringLiteral("cli"));
  const QString clamped = tags.value(longKey.left(32)).toString();
  EXPECT_EQ(clamped.size(), 200);
  EXPECT_TRUE(clamped.startsWith(QLatin1String("two lines")));
  const QJsonObject os = e[QStringLiteral("contexts")][QStringLiteral("os")].toObject();
  utsname u{};
  uname(&u);
  EXPECT_EQ(os.value(QStringLiteral("name")).toString(), QStringLiteral("Linux"));
  EXPECT_EQ(os.value(QStringLiteral("kernel_version")).toString(), QString::fromUtf8(u.release));
  EXPECT_EQ(e[QStringLiteral("sdk")][QStringLiteral("name")].toString(), QStringLiteral("tarvok.crash"));
  for (const char* personal : {"user", "server_name", "request", "modules"}) EXPECT_FALSE(e.contains(QLatin1String(personal)));
  // The run's session opened with its release: the service drops sessions without one.
  const QList<QJsonObject> sessions = ofType(all, "session");
  ASSERT_EQ(sessions.size(), 1);
  EXPECT_EQ(sessions[0].value(QStringLiteral("init")), QJsonValue(true));
  EXPECT_EQ(sessions[0][QStringLiteral("attrs")][QStringLiteral("release")].toString(), QStringLiteral("tarvok@9.9.9"));
  EXPECT_FALSE(sessions[0].contains(QStringLiteral("did")));
}

TEST(Sending, AFileGoesOnlyWhenTheServiceTookItOrRefusedItForGood) {
  struct Case {
    int status;
    StubAnswer::Fault fault;
    bool delivered;
    bool kept;
  };
  const Case cases[] = {
      {200, StubAnswer::Fault::None, true, false},   {202, StubAnswer::Fault::None, true, false},
      {400, StubAnswer::Fault::None, false, false},  {413, StubAnswer::Fault::None, false, false},
      {429, StubAnswer::Fault::None, false, true},   {500, StubAnswer::Fault::None, false, true},
      {503, StubAnswer::Fault::None, false, true},   {200, StubAnswer::Fault::CloseBeforeAnswer, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.status << " fault " << int(c.fault));
    HttpStub stub;
    stub.push({c.status, {}, {}, 0ms, c.fault});
    crash::Client client;
    ASSERT_TRUE(client.start(optionsFor(stub, QStringLiteral("outcome"))));
    const QString first = client.captureMessage(QStringLiteral("one"), QStringLiteral("warning"), {});
    EXPECT_EQ(client.delivered(first, 5s), c.delivered);
    EXPECT_EQ(QFile::exists(first), c.kept);
    // What failed for now holds back what comes after it until the next start.
    const QString second = client.captureMessage(QStringLiteral("two"), QStringLiteral("warning"), {});
    client.delivered(second, 5s);
    EXPECT_EQ(stub.requests().size(), c.status == 429 ? 1 : 2);
  }
}

TEST(Sending, RateLimitsHoldBackTheirCategoriesForTheirTime) {
  using Headers = QMap<QByteArray, QByteArray>;
  struct Case {
    int status;
    Headers headers;
    qint64 errorMs;    // how long events wait (0: not at all)
    qint64 sessionMs;  // how long sessions wait
  };
  const Case cases[] = {
      {200, {{"x-sentry-rate-limits", "60:error:key"}}, 60000, 0},
      {200, {{"x-sentry-rate-limits", "60::organization"}}, 60000, 60000},
      {200, {{"x-sentry-rate-limits", "10:error;session:key, 100:session:org"}}, 10000, 100000},
      {429, {}, 60000, 60000},
      {429, {{"retry-after", "5"}}, 5000, 5000},
      {429, {{"retry-after", "Wed, 21 Oct 2015 07:28:00 GMT"}}, 60000, 60000},
      {429, {{"x-sentry-rate-limits", "30:session:key"}, {"retry-after", "99"}}, 0, 30000},
      {500, {{"retry-after", "5"}}, 0, 0},
      {200, {{"x-sentry-rate-limits", "garbage"}}, 0, 0},
  };
  const qint64 now = 1'000'000;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.status << " " << c.headers.value("x-sentry-rate-limits").constData());
    crash::RateLimits limits;
    limits.update(c.status, c.headers, now);
    for (const auto& [category, ms] : {std::pair{QByteArray("error"), c.errorMs}, std::pair{QByteArray("session"), c.sessionMs}}) {
      EXPECT_EQ(limits.limited(category, now + 1), ms > 0) << category.constData();
      EXPECT_FALSE(limits.limited(category, now + ms)) << category.constData();
    }
  }
}

TEST(Sending, ARateLimitedEventWaitsWhileSessionsStillGo) {
  HttpStub stub;
  stub.push({});  // the session's start
  stub.push({200, {{"X-Sentry-Rate-Limits", "60:error:key"}}, {}, 0ms, StubAnswer::Fault::None});
  QString held;
  {
    crash::Client client;
    crash::Options options = optionsFor(stub, QStringLiteral("limited"));
    options.autoSessions = true;
    ASSERT_TRUE(client.start(options));
    EXPECT_TRUE(client.delivered(client.captureMessage(QStringLiteral("one"), QStringLiteral("warning"), {}), 5s));
    held = client.captureMessage(QStringLiteral("two"), QStringLiteral("warning"), {});
    EXPECT_FALSE(client.delivered(held, 5s));
  }
  EXPECT_TRUE(QFile::exists(held));
  const auto all = items(stub);
  EXPECT_EQ(ofType(all, "event").size(), 1);
  ASSERT_EQ(ofType(all, "session").size(), 2);
  EXPECT_EQ(ofType(all, "session").last().value(QStringLiteral("status")).toString(), QStringLiteral("exited"));
}

TEST(Sending, PendingEnvelopesAreBoundedAndTheOldestGoFirst) {
  const QString dir = testenv::scratch() + QStringLiteral("/bounded");
  crash::PendingStore store(dir, 3);
  for (int i = 0; i < 5; ++i) ASSERT_FALSE(store.add(QByteArray::number(i)).isEmpty());
  QByteArrayList kept;
  for (const QString& path : store.files()) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    kept << f.readAll();
  }
  EXPECT_EQ(kept, (QByteArrayList{"2", "3", "4"}));
}

// However many session updates runs without a network add, events keep their
// own bound; sessions merge to their latest update (which keeps the session's
// start), then the oldest go, crashed ones last, and never the one being sent.
TEST(Sending, SessionUpdatesNeverPushOutAnEvent) {
  const QString dir = testenv::scratch() + QStringLiteral("/kinds");
  crash::PendingStore store(dir, 3);
  const auto event = [&](int n) { return store.add(crash::envelope::ofEvent({{QStringLiteral("event_id"), QString::number(n)}})); };
  const auto session = [&](const char* sid, const char* status, bool init) {
    return store.add(crash::envelope::ofSession(
        {{QStringLiteral("sid"), QLatin1String(sid)}, {QStringLiteral("status"), QLatin1String(status)}, {QStringLiteral("init"), init}}));
  };
  // What is kept, oldest first: "e<id>" for events, "<sid> <status>[ init]" for sessions.
  const auto kept = [&] {
    QStringList out;
    for (const QString& path : store.files()) {
      QFile f(path);
      f.open(QIODevice::ReadOnly);
      const QByteArray bytes = f.readAll();
      const QJsonObject s = crash::envelope::sessionOf(bytes);
      if (s.isEmpty()) {
        out << QStringLiteral("e") + QJsonDocument::fromJson(bytes.left(bytes.indexOf('\n'))).object().value("event_id").toString();
      } else {
        out << s.value("sid").toString() + QLatin1Char(' ') + s.value("status").toString() +
                   (s.value("init").toBool() ? QStringLiteral(" init") : QString());
      }
    }
    return out;
  };

  event(1);
  session("a", "ok", true);
  session("a", "exited", false);
  event(2);
  session("b", "ok", true);
  session("b", "exited", false);  // four updates: a and b merge
  EXPECT_EQ(kept(), (QStringList{"e1", "a exited init", "e2", "b exited init"}));
  session("c", "crashed", false);
  event(3);
  session("d", "ok", true);  // a goes
  event(4);                  // e1 goes
  EXPECT_EQ(kept(), (QStringList{"e2", "b exited init", "c crashed", "e3", "d ok init", "e4"}));
  session("f", "ok", true);
  session("g", "ok", true);
  EXPECT_EQ(kept(), (QStringList{"e2", "c crashed", "e3", "e4", "f ok init", "g ok init"}));
  // On its way to the service, f stays whatever its age.
  store.setSending(store.files()[4]);
  session("h", "ok", true);
  EXPECT_EQ(kept(), (QStringList{"e2", "c crashed", "e3", "e4", "f ok init", "h ok init"}));
}
