#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <sys/utsname.h>

#include "analytics/SendRules.h"
#include "tests/analytics/Rig.h"

using namespace rig;
using testsupport::HttpStub;
using testsupport::StubAnswer;
using testsupport::StubRequest;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The child of the wire test: 250 signals through a real stub under the
// locale and time zone its parent chose, reported as one JSON object.
int wireChild() {
  const QString root = testenv::scratch() + QStringLiteral("/fakeroot");
  writeFile(root + "/etc/os-release", "NAME=\"Testix GNU/Linux\"\nVERSION_ID=\"7.2.1\"\nID=testix\n");
  writeFile(root + "/sys/class/dmi/id/product_name", "Fake Board 9000\n");
  analytics::HostFacts host;
  host.screenSize = QSizeF(1920, 1080);
  host.screenScale = 1.5;
  host.colorScheme = QStringLiteral("Dark");
  host.layoutDirection = QStringLiteral("rightToLeft");
  analytics::HostFacts::set(host);
  HttpStub stub;
  Client client(stub.url(), {}, [&](analytics::SignalManager::Parts& parts) {
    parts.system = analytics::SystemFacts::read(root);
    parts.retention = [] {
      analytics::Retention r;
      r.averageSessionSeconds = 42;
      r.distinctDaysUsed = {"2026-01-20", "2026-01-30", "2026-01-31", "2026-03-02"};
      r.totalSessionsCount = 8;
      r.previousSessionSeconds = 30;
      return r;
    };
  });
  client.send(250);
  QJsonArray attempts;
  for (int i = 0; i < 4; ++i) attempts.append(client.nextAttempt());
  QJsonArray requests;
  for (const StubRequest& r : stub.requests()) {
    requests.append(QJsonObject{{"path", QString::fromLatin1(r.path)},
                                {"type", QString::fromLatin1(r.headers.value("content-type"))},
                                {"body", QJsonDocument::fromJson(r.body).array()}});
  }
  const QByteArray out = QJsonDocument(QJsonObject{{"attempts", attempts}, {"requests", requests}}).toJson();
  std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
  return 0;
}

const bool registered = (testenv::registerChild("wire", wireChild), true);

}  // namespace

// 250 signals leave as 100, 100 and 50, in order, one interval apart, every
// record whole, its time in UTC and its payload in the local calendar with
// ASCII digits, whatever the time zone and language.
TEST(AnalyticsSending, WireFormUnderAForeignLocaleAndTimeZone) {
  ASSERT_TRUE(registered);
  const auto child = testenv::runChild("wire", {{"TZ", "XST-5:30"},
                                                {"LANG", "ar_EG.UTF-8"},
                                                {"LC_ALL", "ar_EG.UTF-8"},
                                                {"LANGUAGE", "ar_EG"}});
  ASSERT_EQ(child.exitCode, 0);
  const QJsonObject result = QJsonDocument::fromJson(child.out).object();
  EXPECT_EQ(result["attempts"].toArray(), (QJsonArray{0.0, 10.0, 20.0, 30.0}));
  const QJsonArray requests = result["requests"].toArray();
  ASSERT_EQ(requests.size(), 3);
  int n = 0;
  for (int i = 0; i < 3; ++i) {
    const QJsonObject r = requests[i].toObject();
    EXPECT_EQ(r["path"].toString(), "/v2/");
    EXPECT_EQ(r["type"].toString(), "application/json");
    const QJsonArray body = r["body"].toArray();
    EXPECT_EQ(body.size(), i < 2 ? 100 : 50);
    for (const QJsonValue& v : body) {
      const QJsonObject record = v.toObject();
      EXPECT_EQ(record.keys(), (QStringList{"appID", "clientUser", "isTestMode", "payload", "receivedAt",
                                            "sessionID", "type"}));
      EXPECT_EQ(record["receivedAt"].toString(), "2026-03-01T20:00:00+0000");
      EXPECT_EQ(record["appID"].toString(), "APP");
      EXPECT_TRUE(QRegularExpression("^[0-9a-f]{64}$").match(record["clientUser"].toString()).hasMatch());
      EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")
                      .match(record["sessionID"].toString())
                      .hasMatch());
      EXPECT_EQ(record["isTestMode"].toString(), "false");
      EXPECT_EQ(record["payload"].toObject()["n"].toString(), QString::number(n++));
    }
  }
  EXPECT_EQ(n, 250);

  utsname uts{};
  uname(&uts);
  const QString arch = QString::fromLatin1(uts.machine);
  const QJsonObject expected{
      {"n", "0"},
      {"platform", "Linux"},
      {"systemVersion", "Testix GNU/Linux 7.2.1"},
      {"majorSystemVersion", "Testix GNU/Linux 7"},
      {"majorMinorSystemVersion", "Testix GNU/Linux 7.2"},
      {"appVersion", "0"},
      {"buildNumber", "0"},
      {"isSimulator", "false"},
      {"isDebug", "false"},
      {"isTestFlight", "false"},
      {"isAppStore", "false"},
      {"modelName", "Fake Board 9000"},
      {"architecture", arch},
      {"operatingSystem", "Linux"},
      {"targetEnvironment", "native"},
      {"locale", "ar_EG"},
      {"region", "EG"},
      {"appLanguage", "ar"},
      {"preferredLanguage", "ar"},
      {"analyticsClientVersion", "2.14.2"},
      {"Analytics.AppInfo.buildNumber", "0"},
      {"Analytics.AppInfo.version", "0"},
      {"Analytics.AppInfo.versionAndBuildNumber", "0 (build 0)"},
      {"Analytics.Device.architecture", arch},
      {"Analytics.Device.modelName", "Fake Board 9000"},
      {"Analytics.Device.operatingSystem", "Linux"},
      {"Analytics.Device.orientation", "Fixed"},
      {"Analytics.Device.platform", "Linux"},
      {"Analytics.Device.screenResolutionHeight", "1080.0"},
      {"Analytics.Device.screenResolutionWidth", "1920.0"},
      {"Analytics.Device.screenScaleFactor", "1.5"},
      {"Analytics.Device.systemMajorMinorVersion", "Testix GNU/Linux 7.2"},
      {"Analytics.Device.systemMajorVersion", "Testix GNU/Linux 7"},
      {"Analytics.Device.systemVersion", "Testix GNU/Linux 7.2.1"},
      {"Analytics.Device.timeZone", "UTC+5:30"},
      {"Analytics.RunContext.isAppStore", "false"},
      {"Analytics.RunContext.isDebug", "false"},
      {"Analytics.RunContext.isSimulator", "false"},
      {"Analytics.RunContext.isTestFlight", "false"},
      {"Analytics.RunContext.language", "ar"},
      {"Analytics.RunContext.locale", "ar_EG"},
      {"Analytics.RunContext.targetEnvironment", "native"},
      {"Analytics.SDK.name", "SwiftSDK"},
      {"Analytics.SDK.nameAndVersion", "SwiftSDK 2.14.2"},
      {"Analytics.SDK.version", "2.14.2"},
      {"Analytics.UserPreference.colorScheme", "Dark"},
      {"Analytics.UserPreference.language", "ar"},
      {"Analytics.UserPreference.layoutDirection", "rightToLeft"},
      {"Analytics.UserPreference.region", "EG"},
      // Monday 01:30 in UTC+5:30 while it is still Sunday in UTC.
      {"Analytics.Calendar.dayOfMonth", "2"},
      {"Analytics.Calendar.dayOfWeek", "1"},
      {"Analytics.Calendar.dayOfYear", "61"},
      {"Analytics.Calendar.weekOfYear", "10"},
      {"Analytics.Calendar.isWeekend", "false"},
      {"Analytics.Calendar.monthOfYear", "3"},
      {"Analytics.Calendar.quarterOfYear", "1"},
      {"Analytics.Calendar.hourOfDay", "2"},
      // No stored first day: today, local.
      {"Analytics.Acquisition.firstSessionDate", "2026-03-02"},
      {"Analytics.Retention.averageSessionSeconds", "42"},
      {"Analytics.Retention.distinctDaysUsed", "4"},
      // The cutoff is the local day 30 days back (01-31), not the UTC one (01-30).
      {"Analytics.Retention.distinctDaysUsedLastMonth", "2"},
      {"Analytics.Retention.totalSessionsCount", "8"},
      {"Analytics.Retention.previousSessionSeconds", "30"},
  };
  const QJsonObject first = requests[0].toObject()["body"].toArray()[0].toObject()["payload"].toObject();
  for (auto it = expected.begin(); it != expected.end(); ++it) EXPECT_EQ(first[it.key()], it.value()) << it.key().toStdString();
  EXPECT_EQ(first.size(), expected.size());
}

TEST(AnalyticsSending, DispositionOfEveryStatus) {
  using Kind = analytics::SendRules::Disposition::Kind;
  const std::map<int, QString> drops{{400, "Bad Request (400)"},       {401, "Unauthorized (401)"},
                                     {403, "Forbidden (403)"},         {404, "Not Found (404)"},
                                     {422, "Unprocessable Entity (422)"}, {501, "Not Implemented (501)"},
                                     {505, "HTTP Version Not Supported (505)"}};
  for (int status = 0; status < 600; ++status) {
    const auto d = analytics::SendRules::disposition(status);
    if (status >= 200 && status < 300) {
      EXPECT_EQ(d.kind, Kind::accept) << status;
    } else if (drops.count(status)) {
      EXPECT_EQ(d.kind, Kind::drop) << status;
      EXPECT_EQ(d.reason, drops.at(status));
    } else if (status == 413) {
      EXPECT_EQ(d.kind, Kind::tooLarge);
      EXPECT_EQ(d.reason, "Payload Too Large (413)");
    } else {
      EXPECT_EQ(d.kind, Kind::retry) << status;
    }
  }
}

TEST(AnalyticsSending, AddressesAndRetryAfter) {
  using analytics::SendRules::serviceUrl;
  const std::vector<std::tuple<QString, std::optional<QString>, std::optional<QString>>> urls{
      {"https://a.example/base", QString("abc"), "https://a.example/base/v2/namespace/abc/"},
      {"https://a.example/", QString(""), "https://a.example/v2/"},
      {"http://127.0.0.1:8080", std::nullopt, "http://127.0.0.1:8080/v2/"},
      {"https://a.example/", QString("a/b"), std::nullopt},
      {"https://a.example/", QString(".."), std::nullopt},
      {"https://a.example/", QString("a b?c"), std::nullopt},
      {"ftp://a.example/", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
  };
  for (const auto& [base, ns, want] : urls) EXPECT_EQ(serviceUrl(base, ns), want) << base.toStdString();
  using analytics::SendRules::retryAfter;
  const TimePoint now = analytics::WallClock::from_time_t(1445412480);  // Wed, 21 Oct 2015 07:28:00 GMT
  EXPECT_EQ(retryAfter("120", now), 120.0);
  EXPECT_EQ(retryAfter("Wed, 21 Oct 2015 07:29:30 GMT", now), 90.0);
  EXPECT_FALSE(retryAfter("soon", now));
  EXPECT_FALSE(retryAfter("-5", now));
}

// What one answer does to the batch and to the time of the next attempt.
TEST(AnalyticsSending, AnswersKeepOrDropTheBatchAndSetTheNextAttempt) {
  struct Case {
    const char* name;
    StubAnswer answer;
    int pendingAfter;
    QString logLine;
    double nextAt;
  };
  const Case cases[] = {
      {"accepted", {200, {}, "ok", 0ms, StubAnswer::Fault::None}, 0, "ok", 10},
      {"bad request", {400, {}, "", 0ms, StubAnswer::Fault::None}, 0,
       "Dropping 1 signal(s): rejected by server Bad Request (400)", 10},
      {"one record too large", {413, {}, "", 0ms, StubAnswer::Fault::None}, 0,
       "Dropping 1 signal(s): rejected by server Payload Too Large (413)", 10},
      {"server error", {500, {}, "", 0ms, StubAnswer::Fault::None}, 1,
       "Failed to send events (status 500), will try again later", 20},
      {"too many requests, retry after 45 s", {429, {{"Retry-After", "45"}}, "", 0ms, StubAnswer::Fault::None}, 1,
       "Failed to send events (status 429)", 45},
      {"retry after beyond the cap", {503, {{"Retry-After", "100000"}}, "", 0ms, StubAnswer::Fault::None}, 1,
       "(status 503)", 300},
      {"connection closed", {200, {}, "", 0ms, StubAnswer::Fault::CloseBeforeAnswer}, 1, "Server returned nothing", 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpStub stub;
    stub.push(c.answer);
    Client client(stub.url());
    client.send(1);
    EXPECT_EQ(client.nextAttempt(), 0);
    EXPECT_EQ(client.manager->pendingCount(), c.pendingAfter);
    EXPECT_FALSE(client.log.find(c.logLine).isEmpty()) << client.log.find("").join('\n').toStdString();
    EXPECT_EQ(client.nextAttempt(), c.nextAt);
  }
}

// Failures double the wait up to the cap; a failed batch goes behind newer
// signals; a success brings the interval back.
TEST(AnalyticsSending, BackOffDoublesToTheCapAndResetsAfterASuccess) {
  HttpStub stub;
  std::atomic<int> status{500};
  stub.setScript([&](const StubRequest&) { return StubAnswer{status.load(), {}, {}, 0ms, StubAnswer::Fault::None}; });
  Client client(stub.url());
  client.send(150);
  std::vector<double> at;
  for (int i = 0; i < 6; ++i) at.push_back(client.nextAttempt());
  EXPECT_EQ(at, (std::vector<double>{0, 20, 60, 140, 300, 600}));
  EXPECT_EQ(batches(stub)[1][0].toObject()["payload"].toObject()["n"].toString(), "100");
  status = 200;
  EXPECT_EQ(client.nextAttempt(), 900);
  EXPECT_EQ(client.nextAttempt(), 910);
  EXPECT_EQ(client.manager->pendingCount(), 0);
}

// 413 halves the batch until it passes; nothing is lost or sent twice.
TEST(AnalyticsSending, TooLargeSplitsTheBatch) {
  HttpStub stub;
  std::vector<QString> accepted;
  std::mutex mutex;
  stub.setScript([&](const StubRequest& r) {
    const QJsonArray body = QJsonDocument::fromJson(r.body).array();
    if (body.size() > 1) return StubAnswer{413, {}, {}, 0ms, StubAnswer::Fault::None};
    std::lock_guard lock(mutex);
    accepted.push_back(body[0].toObject()["payload"].toObject()["n"].toString());
    return StubAnswer{};
  });
  Client client(stub.url());
  client.send(3);
  while (client.manager->pendingCount() > 0 && client.nextAttempt() >= 0) {
  }
  EXPECT_EQ(accepted, (std::vector<QString>{"0", "1", "2"}));
}

TEST(AnalyticsSending, OneRequestAtATimeAndNonFiniteValuesRefusedAtTheDoor) {
  HttpStub stub;
  stub.push({200, {}, {}, 300ms, StubAnswer::Fault::None});
  Client client(stub.url());
  client.manager->processSignal("bad", {}, std::nan(""), std::nullopt, client.config);
  client.send(2);
  client.clock->advance();
  ASSERT_TRUE(client.manager->busy());
  client.manager->attemptToSendNextBatchOfCachedSignals();
  client.clock->advance();
  while (client.manager->busy() && client.clock->waitForReady()) {
  }
  EXPECT_EQ(stub.requests().size(), 1);
  EXPECT_EQ(batches(stub)[0].size(), 2);
  EXPECT_EQ(client.log.find("Refused signal bad: its float value is not a finite number", true).size(), 1);
}

// A transport that never reports back cannot stop sending for good.
TEST(AnalyticsSending, ARequestWithoutCompletionCountsAsFailedAfterTheWatchdog) {
  struct Silent : analytics::SignalTransport {
    int posts = 0;
    void post(const QString&, const QByteArray&, Done) override { ++posts; }
    void abortAll() override {}
  };
  const auto silent = std::make_shared<Silent>();
  Client client("http://127.0.0.1:9/");
  client.config->urlSession.set(silent);
  client.waitForAnswers = false;
  client.send(1);
  EXPECT_EQ(client.nextAttempt(), 0);
  EXPECT_EQ(client.nextAttempt(), 75 + 20);
  EXPECT_EQ(silent->posts, 2);
  EXPECT_EQ(client.log.find("Send request never completed", true).size(), 1);
}

// Reports off: nothing more leaves, queue and file are gone; on again, new signals flow.
TEST(AnalyticsSending, DiscardStopsSendingAndForgetsTheQueueAndFile) {
  HttpStub stub;
  stub.setScript([](const StubRequest&) { return StubAnswer{500, {}, {}, 0ms, StubAnswer::Fault::None}; });
  const QString file = testenv::scratch() + QStringLiteral("/discard/analyticssignalcache");
  Client client(stub.url(), file);
  client.send(5);
  client.nextAttempt();
  client.clock->advance(3s);  // a snapshot
  ASSERT_TRUE(QFile::exists(file));
  client.manager->discardAll();
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(client.manager->pendingCount(), 0);
  client.send(1, 100);
  client.clock->advance(600s);
  EXPECT_EQ(stub.requests().size(), 1);
  stub.setScript({});
  client.manager->resume();
  client.send(1, 200);
  client.nextAttempt();
  const auto sent = batches(stub);
  ASSERT_EQ(sent.size(), 2u);
  ASSERT_EQ(sent[1].size(), 1);
  EXPECT_EQ(sent[1][0].toObject()["payload"].toObject()["n"].toString(), "200");
}

// What "-reporttest" relies on: a bounded wait that says what happened.
TEST(AnalyticsSending, SendNowReportsTheOutcome) {
  HttpStub stub;
  const auto config = analytics::AnalyticsManagerConfiguration::make("APP", std::nullopt, stub.url());
  config->logHandler.set(std::nullopt);
  analytics::SignalManager::Parts parts;
  parts.scheduler = std::make_shared<analytics::ThreadScheduler>();
  const auto manager = analytics::SignalManager::make(config, parts);
  manager->processSignal("a", {}, std::nullopt, std::nullopt, config);
  const auto delivered = manager->sendNow(10s);
  EXPECT_TRUE(delivered.delivered) << delivered.detail.toStdString();
  stub.push({500, {}, {}, 0ms, StubAnswer::Fault::None});
  manager->processSignal("b", {}, std::nullopt, std::nullopt, config);
  const auto failed = manager->sendNow(10s);
  EXPECT_FALSE(failed.delivered);
  EXPECT_EQ(failed.detail, "HTTP 500");
  EXPECT_EQ(stub.requests().size(), 2);
}
