#include "app/AnalyticsAdapter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "analytics/Analytics.h"
#include "analytics/CacheFile.h"
#include "core/Settings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/HttpStub.h"
#include "tests/support/TestEnv.h"

using namespace std::chrono_literals;
using testsupport::HttpStub;
using testsupport::StubAnswer;

namespace {

QStringList types(const testsupport::StubRequest& request) {
  QStringList out;
  for (const QJsonValue& v : QJsonDocument::fromJson(request.body).array()) out << v["type"].toString();
  return out;
}

// "tarvok -reporttest" from a copy of the program whose resources name `info`.
QStringList reportTest(const QJsonObject& info, const QString& name) {
  const testenv::FakeBundle bundle(info);
  const QString bin = testenv::scratch() + "/reporttest-" + name;
  QDir().mkpath(bin);
  QFile::copy(TARVOK_EXE, bin + "/tarvok");
  QFile::link(bundle.dir(), bin + "/resources");
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CACHE_HOME", bin + "/cache");
  p.setProcessEnvironment(env);
  p.start(bin + "/tarvok", {"-reporttest"});
  p.waitForFinished(30000);
  EXPECT_EQ(testenv::ending(p), "exit 0") << name.toStdString();
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

// The console says what really became of the signal.
TEST(AnalyticsAdapter, ReportTestSendsToTheConfiguredAddressAndSaysWhatHappened) {
  HttpStub stub;
  const QJsonObject info{{"TQTelemetryAppID", "TEST-APP"}, {"TQTelemetryURL", stub.url()}};
  EXPECT_EQ(reportTest(info, "ok"), (QStringList{"키: sentry 없음 · telemetry 있음 · 설정 켬",
                                                 "보냄: report.test (신호). 대시보드에서 확인"}));
  ASSERT_EQ(stub.requests().size(), 1);
  const auto request = stub.requests()[0];
  EXPECT_EQ(request.path, "/v2/");
  EXPECT_EQ(types(request), (QStringList{"app.launched", "report.test"}));
  const QJsonValue second = QJsonDocument::fromJson(request.body).array().at(1);
  EXPECT_EQ(second["payload"]["from"].toString(), "cli");
  EXPECT_EQ(second["isTestMode"].toString(), "false");

  stub.push({500, {}, {}, 0ms, StubAnswer::Fault::None});
  EXPECT_EQ(reportTest(info, "refused").last(), "보내지 않음: report.test. 신호가 전달되지 않음 (HTTP 500)");

  EXPECT_EQ(reportTest({{"TQTelemetryAppID", "TEST-APP"}}, "no-address").last(),
            "보내지 않음: report.test. Info.json에 TQTelemetryURL이 없음");
  EXPECT_EQ(stub.requests().size(), 2);
}

// Reports off: nothing more leaves, the queue and file are gone; on again, what comes after is sent.
TEST(AnalyticsAdapter, ReportsOffDiscardsEverythingAndOnAgainLosesNothingNew) {
  {
    HttpStub stub;
    std::atomic<int> status{500};
    stub.setScript([&](const testsupport::StubRequest&) { return StubAnswer{status.load(), {}, {}, 0ms, StubAnswer::Fault::None}; });
    const testenv::FakeBundle bundle({{"TQTelemetryAppID", "ADAPTER"}, {"TQTelemetryURL", stub.url()}});
    Settings::shared().setReports(false);
    AnalyticsAdapter adapter;
    Reporting::setAnalyticsClient(&adapter);
    Settings::shared().setReports(true);  // starts reporting: app.launched
    Reporting::signal("before.off");
    EXPECT_FALSE(adapter.deliver(10000).delivered);
    const int tried = int(stub.requests().size());
    ASSERT_TRUE(testenv::waitUntil([] { return QFile::exists(analytics::CacheFile::defaultPath()); }, 10000));

    Settings::shared().setReports(false);
    EXPECT_FALSE(QFile::exists(analytics::CacheFile::defaultPath()));
    EXPECT_EQ(analytics::AnalyticsManager::shared()->signalManager().pendingCount(), 0);
    Reporting::signal("while.off");
    status = 200;
    EXPECT_FALSE(adapter.deliver(300).delivered);
    EXPECT_EQ(stub.requests().size(), tried);

    Settings::shared().setReports(true);
    Reporting::signal("after.on");
    const AnalyticsAdapter::Delivery d = adapter.deliver(10000);
    EXPECT_TRUE(d.delivered) << d.detail.toStdString();
    QStringList delivered;
    for (qsizetype i = tried; i < stub.requests().size(); ++i) delivered << types(stub.requests()[i]);
    delivered.removeAll("Analytics.Session.started");
    delivered.removeAll("Analytics.Acquisition.newInstallDetected");
    EXPECT_EQ(delivered, (QStringList{"app.launched", "after.on"}));
    Settings::shared().setReports(false);
    Reporting::setAnalyticsClient(nullptr);
  }
  Settings::shared().setReports(true);  // the default again, for the programs later tests run
}

// Reports switched off while no client runs in this process (an address-less
// Info.json, reports off since launch): the signals an earlier run left on
// disk go all the same, since they would otherwise leave once reports are on.
TEST(AnalyticsAdapter, ReportsOffWithNoClientRunningDeletesAnEarlierRunsCache) {
  ASSERT_FALSE(analytics::AnalyticsManager::shared());
  const QString path = analytics::CacheFile::defaultPath();
  QDir().mkpath(QFileInfo(path).path());
  {
    analytics::CacheFile earlier(path, std::nullopt);
    ASSERT_TRUE(earlier.claim());
    analytics::SignalPostBody record;
    record.type = QStringLiteral("left.behind");
    ASSERT_TRUE(earlier.save({record}));
  }
  ASSERT_TRUE(QFile::exists(path));
  AnalyticsAdapter adapter;
  Reporting::setAnalyticsClient(&adapter);
  Settings::shared().setReports(false);
  EXPECT_FALSE(QFile::exists(path));
  Reporting::setAnalyticsClient(nullptr);
  Settings::shared().setReports(true);  // the default again, for the programs later tests run
}
