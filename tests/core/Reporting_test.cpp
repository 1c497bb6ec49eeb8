#include "core/Reporting.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <cmath>
#include <limits>

#include "core/Settings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestEnv.h"

namespace {

struct FakeCrash : reporting::CrashClient {
  QStringList calls;
  reporting::CrashOptions options;
  reporting::Params lastTags;
  void start(const reporting::CrashOptions& o) override { calls << "start"; options = o; }
  void captureMessage(const QString& m, const QString& level, const reporting::Params& tags) override {
    calls << "capture " + m + " " + level;
    lastTags = tags;
  }
  void close() override { calls << "close"; }
  void discardPending() override { calls << "discard"; }
};

struct FakeAnalytics : reporting::AnalyticsClient {
  QStringList calls;
  reporting::AnalyticsConfig config;
  QList<reporting::Params> params;
  void initialize(const reporting::AnalyticsConfig& c) override { calls << "init"; config = c; }
  void signal(const QString& name, const reporting::Params& p) override {
    calls << "signal " + name;
    params << p;
  }
  void stopAndDiscard() override { calls << "discard"; }
};

// Reports start on with clients installed; each test sets Info.json its way.
class ReportingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reporting::setCrashClient(&crash);
    Reporting::setAnalyticsClient(&analytics);
    Settings::shared().setReports(false);
    Settings::shared().setReports(true);
    crash.calls.clear();
    analytics.calls.clear();
  }
  void TearDown() override {
    Settings::shared().setReports(false);
    Reporting::setCrashClient(nullptr);
    Reporting::setAnalyticsClient(nullptr);
    qunsetenv("TQ_REPORT_TEST");
  }
  void configure(const QJsonObject& info) { bundle.writeInfo(info), bundle.reload(); }
  testenv::FakeBundle bundle;
  FakeCrash crash;
  FakeAnalytics analytics;
};

TEST_F(ReportingTest, OnlyCrashReportingConfigured) {
  configure({{"TQSentryDSN", "https://key@127.0.0.1/1"}});
  Reporting::start();
  ASSERT_EQ(crash.calls, QStringList{"start"});
  EXPECT_EQ(crash.options.dsn, "https://key@127.0.0.1/1");
  EXPECT_EQ(crash.options.environment, "production");
  EXPECT_TRUE(crash.options.enableCrashHandler);
  EXPECT_FALSE(crash.options.sendDefaultPii);
  EXPECT_EQ(crash.options.tracesSampleRate, 0.0);
  EXPECT_TRUE(analytics.calls.isEmpty());  // app.launched dropped too
  Reporting::signal("capture.started", {{"mode", "fast"}});
  Reporting::error("capture.failed", {{"reason", "permission"}});
  EXPECT_TRUE(analytics.calls.isEmpty());
  EXPECT_EQ(crash.calls.last(), "capture capture.failed warning");
  EXPECT_EQ(crash.lastTags, (reporting::Params{{"reason", "permission"}}));
}

TEST_F(ReportingTest, OnlyAnalyticsConfigured) {
  configure({{"TQTelemetryAppID", "APP-1"}});
  testenv::LogCapture log("tarvok.reporting");
  Reporting::start();
  EXPECT_TRUE(crash.calls.isEmpty());
  ASSERT_EQ(analytics.calls, (QStringList{"init", "signal app.launched"}));
  EXPECT_EQ(analytics.config.appID, "APP-1");
  EXPECT_FALSE(analytics.config.testMode);
  EXPECT_FALSE(analytics.config.baseURL);
  const reporting::Params launched = analytics.params.first();
  EXPECT_EQ(launched.value("mode"), "accurate");
  EXPECT_EQ(launched.value("chip"), Reporting::chip());
  EXPECT_FALSE(launched.value("language").isEmpty());
  Reporting::error("report.test", {{"from", "cli"}});
  EXPECT_TRUE(crash.calls.isEmpty());
  EXPECT_TRUE(log.contains("error dropped: report.test from=cli"));
  EXPECT_TRUE(log.contains("signal: app.launched"));
}

TEST_F(ReportingTest, NothingStartsWithoutIdentifiersOrConsent) {
  configure({{"TQTelemetryAppID", ""}, {"TQSentryDSN", 42}});  // a number is no DSN
  Reporting::start();
  EXPECT_FALSE(Reporting::isStarted());
  Reporting::signal("capture.started");
  EXPECT_TRUE(analytics.calls.isEmpty());
  EXPECT_TRUE(crash.calls.isEmpty());

  configure({{"TQTelemetryAppID", "APP"}});
  Settings::shared().setReports(false);
  analytics.calls.clear();
  Reporting::start();
  EXPECT_FALSE(Reporting::isStarted());
  EXPECT_TRUE(analytics.calls.isEmpty());
}

TEST_F(ReportingTest, StartsOnceAndAgainAfterReportsWereTurnedBackOn) {
  configure({{"TQTelemetryAppID", "APP"}, {"TQSentryDSN", "https://k@127.0.0.1/2"}});
  Reporting::start();
  Reporting::start();
  EXPECT_EQ(analytics.calls.filter("app.launched").size(), 1);
  Settings::shared().setReports(false);
  // Turning reports off closes crash reporting and throws away what waits.
  EXPECT_EQ(crash.calls, (QStringList{"start", "close", "discard"}));
  EXPECT_EQ(analytics.calls.last(), "discard");
  Reporting::signal("toast.undo");
  Reporting::error("capture.failed");
  EXPECT_EQ(analytics.calls.filter("toast.undo").size(), 0);
  EXPECT_EQ(crash.calls.filter("capture").size(), 0);
  Settings::shared().setReports(true);
  EXPECT_EQ(analytics.calls.filter("app.launched").size(), 2);
  EXPECT_EQ(analytics.calls.filter("init").size(), 2);
}

TEST_F(ReportingTest, TurningReportsOffBeforeAnyStartOnlyDiscards) {
  Settings::shared().setReports(false);
  EXPECT_FALSE(Reporting::isStarted());
  EXPECT_EQ(crash.calls, QStringList{"discard"});
}

TEST_F(ReportingTest, TestModeNeedsExactlyOne) {
  configure({{"TQTelemetryAppID", "APP"}, {"TQSentryDSN", "https://k@127.0.0.1/3"},
             {"TQTelemetryURL", "http://127.0.0.1:9/"}});
  qputenv("TQ_REPORT_TEST", "yes");
  EXPECT_FALSE(Reporting::isTest());
  qputenv("TQ_REPORT_TEST", "1");
  Reporting::start();
  EXPECT_EQ(crash.options.environment, "test");
  EXPECT_TRUE(analytics.config.testMode);
  EXPECT_EQ(analytics.config.baseURL, QString("http://127.0.0.1:9/"));
}

TEST(ReportingLabels, CountBuckets) {
  const std::pair<long long, const char*> cases[] = {
      {-7, "0"}, {0, "0"}, {1, "1"}, {2, "2-5"}, {5, "2-5"}, {6, "6-20"}, {20, "6-20"},
      {21, "21-100"}, {100, "21-100"}, {101, "100+"}, {1LL << 40, "100+"}};
  for (const auto& [n, label] : cases) EXPECT_EQ(Reporting::bucket(n), label) << n;
}

TEST(ReportingLabels, SecondBuckets) {
  const std::pair<double, const char*> cases[] = {
      {-1, "<0.5"}, {0, "<0.5"}, {0.49, "<0.5"}, {0.5, "<1"}, {0.999, "<1"}, {1.0, "<2"},
      {4.99, "<5"}, {5, "<10"}, {9.99, "<10"}, {10.0, "10+"},
      {std::numeric_limits<double>::quiet_NaN(), "10+"}, {std::numeric_limits<double>::infinity(), "10+"}};
  for (const auto& [t, label] : cases) EXPECT_EQ(Reporting::seconds(t), label) << t;
}

}  // namespace
