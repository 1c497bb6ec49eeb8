#include "core/Reporting.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <limits>

#include "core/Settings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestEnv.h"

namespace {

// Both clients, logging every call in order.
struct FakeClients : reporting::CrashClient, reporting::AnalyticsClient {
  QStringList calls;
  reporting::CrashOptions options;
  reporting::AnalyticsConfig config;
  reporting::Params params;  // of the last message or signal
  void start(const reporting::CrashOptions& o) override { calls << "crash start"; options = o; }
  void captureMessage(const QString& m, const QString& level, const reporting::Params& p) override {
    calls << "crash " + m + " " + level;
    params = p;
  }
  void close() override { calls << "crash close"; }
  void closeNow() override { calls << "crash close now"; }
  void discardPending() override { calls << "crash discard"; }
  void initialize(const reporting::AnalyticsConfig& c) override { calls << "analytics init"; config = c; }
  void signal(const QString& name, const reporting::Params& p) override {
    calls << "signal " + name;
    params = p;
  }
  void stopAndDiscard() override { calls << "analytics discard"; }
};

const QString kDSN = "https://key@127.0.0.1/1";

// Reports start on with the clients installed; each test sets Info.json its way.
class ReportingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reporting::setCrashClient(&fake);
    Reporting::setAnalyticsClient(&fake);
    Settings::shared().setReports(false);
    Settings::shared().setReports(true);
    fake.calls.clear();
  }
  void TearDown() override {
    Settings::shared().setReports(false);
    Reporting::setCrashClient(nullptr);
    Reporting::setAnalyticsClient(nullptr);
    qunsetenv("TQ_REPORT_TEST");
  }
  void configure(const QJsonObject& info) {
    bundle.writeInfo(info);
    bundle.reload();
  }
  testenv::FakeBundle bundle;
  FakeClients fake;
};

TEST_F(ReportingTest, OnlyCrashReportingConfigured) {
  configure({{"TQSentryDSN", kDSN}});
  Reporting::start();
  EXPECT_EQ(fake.options.dsn, kDSN);
  EXPECT_EQ(fake.options.environment, "production");
  Reporting::signal("capture.started", {{"mode", "fast"}});
  Reporting::error("capture.failed", {{"reason", "permission"}});
  // app.launched and every other signal are dropped.
  EXPECT_EQ(fake.calls, (QStringList{"crash start", "crash capture.failed warning"}));
  EXPECT_EQ(fake.params, (reporting::Params{{"reason", "permission"}}));
}

TEST_F(ReportingTest, OnlyAnalyticsConfigured) {
  configure({{"TQTelemetryAppID", "APP-1"}});
  Reporting::start();
  const reporting::Params launched = fake.params;
  Reporting::error("report.test", {{"from", "cli"}});
  EXPECT_EQ(fake.calls, (QStringList{"analytics init", "signal app.launched"}));
  EXPECT_EQ(fake.config.appID, "APP-1");
  EXPECT_FALSE(fake.config.testMode);
  EXPECT_FALSE(fake.config.baseURL);
  EXPECT_EQ(launched, (reporting::Params{{"mode", "accurate"},
                                         {"chip", Reporting::chip()},
                                         {"language", Settings::shared().language().resolved().rawValue()}}));
}

TEST_F(ReportingTest, NothingIsSentBeforeAStartOrWithoutIdentifiersOrConsent) {
  configure({{"TQTelemetryAppID", "APP"}, {"TQSentryDSN", kDSN}});
  Reporting::signal("capture.started");  // not started yet
  Reporting::error("capture.failed");
  EXPECT_TRUE(fake.calls.isEmpty());
  configure({{"TQTelemetryAppID", ""}, {"TQSentryDSN", 42}});  // a number is no DSN
  Reporting::start();
  EXPECT_FALSE(Reporting::isStarted());
  configure({{"TQTelemetryAppID", "APP"}});
  Settings::shared().setReports(false);
  fake.calls.clear();
  Reporting::start();
  EXPECT_FALSE(Reporting::isStarted());
  EXPECT_TRUE(fake.calls.isEmpty());
}

// Turning reports off stops everything and discards what waits; on again starts afresh.
TEST_F(ReportingTest, StartsOnceAndAgainAfterReportsWereTurnedBackOn) {
  configure({{"TQTelemetryAppID", "APP"}, {"TQSentryDSN", kDSN}});
  Reporting::start();
  Reporting::start();
  Settings::shared().setReports(false);
  Reporting::signal("toast.undo");
  Reporting::error("capture.failed");
  EXPECT_EQ(fake.calls, (QStringList{"crash start", "analytics init", "signal app.launched", "crash discard",
                                     "analytics discard", "crash close"}));
  fake.calls.clear();
  Settings::shared().setReports(true);
  EXPECT_EQ(fake.calls, (QStringList{"crash start", "analytics init", "signal app.launched"}));
}

TEST_F(ReportingTest, TurningReportsOffBeforeAnyStartOnlyDiscards) {
  Settings::shared().setReports(false);
  EXPECT_EQ(fake.calls, (QStringList{"crash discard", "analytics discard"}));
}

TEST_F(ReportingTest, TestModeNeedsExactlyOne) {
  configure({{"TQTelemetryAppID", "APP"}, {"TQSentryDSN", kDSN}, {"TQTelemetryURL", "http://127.0.0.1:9/"}});
  qputenv("TQ_REPORT_TEST", "yes");
  EXPECT_FALSE(Reporting::isTest());
  qputenv("TQ_REPORT_TEST", "1");
  Reporting::start();
  EXPECT_EQ(fake.options.environment, "test");
  EXPECT_TRUE(fake.config.testMode);
  EXPECT_EQ(fake.config.baseURL, QString("http://127.0.0.1:9/"));
}

TEST(ReportingLabels, CountAndSecondBuckets) {
  const std::pair<long long, const char*> counts[] = {{-7, "0"}, {0, "0"}, {1, "1"}, {5, "2-5"}, {6, "6-20"},
                                                      {20, "6-20"}, {21, "21-100"}, {100, "21-100"}, {101, "100+"}};
  for (const auto& [n, label] : counts) EXPECT_EQ(Reporting::bucket(n), label) << n;
  const std::pair<double, const char*> times[] = {
      {-1, "<0.5"}, {0.49, "<0.5"}, {0.5, "<1"}, {1.0, "<2"}, {4.99, "<5"}, {5, "<10"}, {9.99, "<10"},
      {10.0, "10+"}, {std::numeric_limits<double>::quiet_NaN(), "10+"}};
  for (const auto& [t, label] : times) EXPECT_EQ(Reporting::seconds(t), label) << t;
}

}  // namespace
